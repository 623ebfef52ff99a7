#pragma once
// Runs jobs in forked children, a few at a time, each under a memory cap and a time limit, and
// reports how each ended, how long it took and the most memory it held.

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <string>

#include <sys/types.h>

namespace swfmutate {

struct SandboxLimits {
    // Processor time a child may use (RLIMIT_CPU; past it the child is killed and counts as
    // timed out). A child also counts as timed out when, after five times this much wall time,
    // it stops using the processor for this long or 3 s (blocked, not computing), or when it reaches
    // sixty times this much wall time. A child that merely waits for the processor on a busy
    // machine keeps using some, and is not taken for a hang.
    double seconds = 10;
    std::size_t memoryMiB = 0;  // address-space cap (setrlimit); 0: none (sanitizer builds)
};

struct SandboxResult {
    enum class Outcome { Exited, Crashed, TimedOut };
    std::size_t job = 0;  // the number start() was given
    Outcome outcome = Outcome::Exited;
    int exitCode = 0;     // Exited
    int signal = 0;       // Crashed
    double milliseconds = 0;     // wall time
    double cpuMilliseconds = 0;  // user and system time
    std::size_t maxRssKiB = 0;
    bool ok() const { return outcome == Outcome::Exited && exitCode == 0; }
    std::string describe() const;
};

// Exit codes a child uses for failures that are not signals.
inline constexpr int kExitEscapedException = 124;

class Sandbox {
public:
    Sandbox(SandboxLimits limits, int parallel) : limits_(limits), parallel_(parallel < 1 ? 1 : parallel) {}
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    bool full() const { return static_cast<int>(running_.size()) >= parallel_; }
    bool idle() const { return running_.empty(); }
    // Forks a child that runs `job` (its return value is the exit code). The calling process
    // must not have started threads of its own: fork copies only the calling thread.
    void start(std::size_t job, const std::function<int()>& work);
    // Waits until a child ends (killing those past their time) and returns its result.
    SandboxResult next();

private:
    using Clock = std::chrono::steady_clock;
    struct Running {
        std::size_t job;
        Clock::time_point started;
        bool killed = false;
        // Watch of a child past its first wall-time allowance: its processor time when last
        // seen to grow, and when that was.
        long cpuTicks = -1;
        Clock::time_point cpuSeen;
    };
    // Whether a running child must be killed as hung; updates its processor-time watch.
    bool hung(pid_t pid, Running& run, Clock::time_point now) const;
    SandboxLimits limits_;
    int parallel_;
    std::map<pid_t, Running> running_;
};

// True when this program was built with AddressSanitizer, whose shadow memory makes an
// address-space cap meaningless.
bool builtWithAddressSanitizer();

}  // namespace swfmutate
