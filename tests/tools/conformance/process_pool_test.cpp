#include "tools/conformance/core/process_pool.h"

#include "conformance_fixtures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

#include <map>

namespace conformance {
namespace {

using Ending = ProcessOutcome::Ending;

ProcessJob shell(const QString& script, int timeoutMs = 20'000)
{
    return ProcessJob{QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script}, timeoutMs, ProcessJob{}.outputLimitBytes, 0};
}

std::map<size_t, ProcessOutcome> runAll(const std::vector<ProcessJob>& jobs, int parallel)
{
    std::map<size_t, ProcessOutcome> outcomes;
    runProcesses(jobs, parallel, [&](size_t index, ProcessOutcome&& outcome) {
        EXPECT_FALSE(outcomes.count(index)) << "job " << index << " reported twice";
        outcomes[index] = std::move(outcome);
    });
    EXPECT_EQ(outcomes.size(), jobs.size());
    return outcomes;
}

TEST(ProcessPool, ReportsEveryWayARunCanEnd)
{
    ProcessJob flood = shell(QStringLiteral("yes"));
    flood.outputLimitBytes = 1 << 20;
    const auto outcomes = runAll({shell(QStringLiteral("printf 'a\\nb\\n'")),
                                  shell(QStringLiteral("echo first >&2; echo 'cannot load x.swf' >&2; exit 3")),
                                  shell(QStringLiteral("kill -SEGV $$")),
                                  ProcessJob{QStringLiteral("/nonexistent/swfcli"), {}, 1000, 1 << 20, 0},
                                  flood},
                                 2);
    EXPECT_TRUE(outcomes.at(0).succeeded());
    EXPECT_EQ(outcomes.at(0).standardOutput, "a\nb\n");
    EXPECT_EQ(outcomes.at(1).ending, Ending::Exited);
    EXPECT_EQ(outcomes.at(1).exitCode, 3);
    EXPECT_EQ(outcomes.at(1).describeFailure(), "exit code 3: cannot load x.swf");
    EXPECT_EQ(outcomes.at(2).ending, Ending::Crashed);
    EXPECT_FALSE(outcomes.at(2).succeeded());
    EXPECT_EQ(outcomes.at(3).ending, Ending::FailedToStart);
    EXPECT_EQ(outcomes.at(4).ending, Ending::OutputTooLarge);
    EXPECT_LT(outcomes.at(4).standardOutput.size(), 64 << 20);
}

TEST(ProcessPool, KillsARunPastItsTimeLimitWithWhatItStarted)
{
    QTemporaryDir dir;
    const QString marker = QDir(dir.path()).filePath("survived");
    // The child sleeps in a grandchild that holds the output pipe open; both must go.
    const auto outcomes = runAll({shell(QStringLiteral("(sleep 2; touch %1) & sleep 30").arg(marker), 300),
                                  shell(QStringLiteral("echo quick"))},
                                 2);
    EXPECT_EQ(outcomes.at(0).ending, Ending::TimedOut);
    EXPECT_EQ(outcomes.at(0).describeFailure(), "timeout");
    EXPECT_LT(outcomes.at(0).elapsedMs, 2000);
    EXPECT_TRUE(outcomes.at(1).succeeded());
    // Had the grandchild lived on, it would have written the marker by now.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 2500 && !QFile::exists(marker))
        QThread::msleep(200);
    EXPECT_FALSE(QFile::exists(marker));
}

TEST(ProcessPool, NeverRunsMoreThanAllowedAtOnce)
{
    QTemporaryDir dir;
    const QString log = QDir(dir.path()).filePath("log");
    // Each job logs its start and end; replaying the log gives the peak number running at once.
    std::vector<ProcessJob> jobs;
    for (int i = 0; i < 6; ++i)
        jobs.push_back(shell(QStringLiteral("echo + >> %1; sleep 0.2; echo - >> %1").arg(log)));
    runAll(jobs, 2);
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    int running = 0, peak = 0, started = 0;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line == "+") {
            peak = std::max(peak, ++running);
            ++started;
        } else if (line == "-") {
            --running;
        }
    }
    EXPECT_EQ(started, 6);
    EXPECT_LE(peak, 2);
}

TEST(ProcessPool, AppliesTheMemoryLimit)
{
    // A shell asked to build a 100 MB string under a 32 MB address-space limit fails.
    ProcessJob hungry = shell(QStringLiteral("x=$(head -c 100000000 /dev/zero | tr '\\0' a); echo ${#x}"));
    hungry.memoryLimitBytes = 32ll << 20;
    const auto outcomes = runAll({hungry}, 1);
    EXPECT_NE(outcomes.at(0).standardOutput.trimmed(), "100000000");
}

}  // namespace
}  // namespace conformance
