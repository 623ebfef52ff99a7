#include "sandbox.h"

#include <chrono>
#include <csignal>
#include <thread>

#include <gtest/gtest.h>

namespace {

using swfmutate::Sandbox;
using swfmutate::SandboxLimits;
using swfmutate::SandboxResult;

SandboxResult runOne(double seconds, const std::function<int()>& work)
{
    Sandbox sandbox(SandboxLimits{seconds, 0}, 1);
    sandbox.start(7, work);
    return sandbox.next();
}

TEST(SwfmutateSandbox, ReportsHowAChildEnded)
{
    SandboxResult fine = runOne(5, [] { return 0; });
    EXPECT_TRUE(fine.ok());
    EXPECT_EQ(fine.job, 7u);

    SandboxResult failed = runOne(5, [] { return 3; });
    EXPECT_EQ(failed.outcome, SandboxResult::Outcome::Exited);
    EXPECT_EQ(failed.exitCode, 3);

    SandboxResult crashed = runOne(5, [] {
        std::raise(SIGSEGV);
        return 0;
    });
    if (swfmutate::builtWithAddressSanitizer()) {
        // The sanitizer catches the signal, reports it and ends the child with an error code.
        EXPECT_EQ(crashed.outcome, SandboxResult::Outcome::Exited);
        EXPECT_FALSE(crashed.ok());
    } else {
        EXPECT_EQ(crashed.outcome, SandboxResult::Outcome::Crashed);
        EXPECT_EQ(crashed.signal, SIGSEGV);
    }

    SandboxResult thrown = runOne(5, []() -> int { throw std::bad_alloc(); });
    EXPECT_EQ(thrown.exitCode, swfmutate::kExitEscapedException);
}

TEST(SwfmutateSandbox, ChildThatComputesForEverRunsOutOfProcessorTime)
{
    SandboxResult r = runOne(0.3, [] {
        volatile unsigned long spin = 0;
        for (;;) spin = spin + 1;
        return 0;
    });
    EXPECT_EQ(r.outcome, SandboxResult::Outcome::TimedOut);
    EXPECT_GE(r.cpuMilliseconds, 900);
}

// A child that waits without computing (a deadlock, a blocking read) uses no processor time, so
// only the wall-time watch can end it: after five allowances, once it has used none for 3 s.
TEST(SwfmutateSandbox, ChildThatStopsUsingTheProcessorIsTakenForAHang)
{
    auto started = std::chrono::steady_clock::now();
    SandboxResult r = runOne(0.2, [] {
        std::this_thread::sleep_for(std::chrono::seconds(30));
        return 0;
    });
    auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(r.outcome, SandboxResult::Outcome::TimedOut);
    EXPECT_LT(waited, std::chrono::seconds(25));
}

// A child that keeps computing past five allowances of wall time, as one waiting for the
// processor on a busy machine does, is not killed while its processor time is under the limit.
TEST(SwfmutateSandbox, ChildThatKeepsComputingPastTheWallAllowanceIsNotKilled)
{
    SandboxResult r = runOne(0.2, [] {
        // Alternate short computations with pauses: about a fifth of the processor for 1.5 s,
        // so that the processor time stays under the limit while the wall time passes 5 x 0.2 s.
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
        while (std::chrono::steady_clock::now() < end) {
            auto burst = std::chrono::steady_clock::now() + std::chrono::milliseconds(10);
            volatile unsigned long spin = 0;
            while (std::chrono::steady_clock::now() < burst) spin = spin + 1;
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
        }
        return 0;
    });
    EXPECT_TRUE(r.ok()) << r.describe();
}

}  // namespace
