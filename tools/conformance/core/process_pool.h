// Runs child processes a few at a time, each with a time limit, an output limit and optionally a
// memory limit. Needs a QCoreApplication; runs its own event loop until every job has ended.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace conformance {

struct ProcessJob {
    QString program;
    QStringList arguments;
    int timeoutMs = 20'000;
    qint64 outputLimitBytes = 64ll << 20;
    qint64 memoryLimitBytes = 0;       // 0: no limit
};

struct ProcessOutcome {
    enum class Ending { Exited, Crashed, TimedOut, FailedToStart, OutputTooLarge };
    Ending ending = Ending::FailedToStart;
    int exitCode = -1;
    QByteArray standardOutput;
    QByteArray errorTail;              // the last few KB of standard error
    qint64 elapsedMs = 0;

    bool succeeded() const { return ending == Ending::Exited && exitCode == 0; }
    QString describeFailure() const;   // "timeout", "exit code 3: <last error line>", ...
};

// Starts at most `parallel` jobs at once; `finished` is called on this thread as each one ends,
// with the job's index. A job past its time limit or output limit is killed together with any
// process it started (each job runs in its own process group).
void runProcesses(const std::vector<ProcessJob>& jobs, int parallel,
                  const std::function<void(size_t, ProcessOutcome&&)>& finished);

}  // namespace conformance
