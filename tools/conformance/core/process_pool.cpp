#include "tools/conformance/core/process_pool.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <memory>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

namespace conformance {
namespace {

constexpr qsizetype kErrorTailBytes = 4096;

struct Worker {
    std::unique_ptr<QProcess> process;
    std::unique_ptr<QTimer> deadline;
    QElapsedTimer clock;
    size_t job = 0;
    ProcessOutcome outcome;
    bool timedOut = false;
    bool overflowed = false;
    bool ended = false;
};

void killGroup(QProcess& process)
{
    const qint64 pid = process.processId();
    if (pid > 0)
        ::kill(-static_cast<pid_t>(pid), SIGKILL);
    process.kill();
}

}  // namespace

QString ProcessOutcome::describeFailure() const
{
    switch (ending) {
    case Ending::TimedOut: return QStringLiteral("timeout");
    case Ending::FailedToStart: return QStringLiteral("swfcli could not be started");
    case Ending::OutputTooLarge: return QStringLiteral("output too large");
    case Ending::Crashed: return QStringLiteral("crashed");
    case Ending::Exited: break;
    }
    if (exitCode == 0)
        return {};
    const QList<QByteArray> lines = errorTail.trimmed().split('\n');
    const QString last = QString::fromUtf8(lines.last()).trimmed().left(200);
    return last.isEmpty() ? QStringLiteral("exit code %1").arg(exitCode)
                          : QStringLiteral("exit code %1: %2").arg(exitCode).arg(last);
}

void runProcesses(const std::vector<ProcessJob>& jobs, int parallel,
                  const std::function<void(size_t, ProcessOutcome&&)>& finished)
{
    if (jobs.empty())
        return;
    QEventLoop loop;
    std::vector<Worker> workers(static_cast<size_t>(std::max(1, parallel)));
    size_t nextJob = 0;
    size_t endedJobs = 0;

    std::function<void(Worker&)> startNext;

    // Reports the job and, once control is back in the loop (the process's own signal handler
    // may still be on the stack), frees the worker for the next job.
    auto end = [&](Worker& worker, ProcessOutcome::Ending ending) {
        if (worker.ended)
            return;
        worker.ended = true;
        worker.deadline->stop();
        worker.outcome.ending = ending;
        worker.outcome.elapsedMs = worker.clock.elapsed();
        finished(worker.job, std::move(worker.outcome));
        ++endedJobs;
        QTimer::singleShot(0, &loop, [&, w = &worker] {
            w->process.reset();
            w->deadline.reset();
            startNext(*w);
            if (endedJobs == jobs.size())
                loop.quit();
        });
    };

    startNext = [&](Worker& worker) {
        if (nextJob >= jobs.size())
            return;
        const ProcessJob& job = jobs[nextJob];
        worker = Worker{};
        worker.job = nextJob++;
        worker.process = std::make_unique<QProcess>();
        worker.deadline = std::make_unique<QTimer>();
        QProcess* process = worker.process.get();
        Worker* w = &worker;

        const qint64 memoryLimit = job.memoryLimitBytes;
        process->setChildProcessModifier([memoryLimit] {
            ::setpgid(0, 0);
            if (memoryLimit > 0) {
                const rlimit limit{static_cast<rlim_t>(memoryLimit), static_cast<rlim_t>(memoryLimit)};
                ::setrlimit(RLIMIT_AS, &limit);
            }
        });
        process->setStandardInputFile(QProcess::nullDevice());

        QObject::connect(process, &QProcess::readyReadStandardOutput, &loop, [w, limit = job.outputLimitBytes] {
            w->outcome.standardOutput += w->process->readAllStandardOutput();
            if (w->outcome.standardOutput.size() > limit && !w->overflowed) {
                w->overflowed = true;
                killGroup(*w->process);
            }
        });
        QObject::connect(process, &QProcess::readyReadStandardError, &loop, [w] {
            w->outcome.errorTail += w->process->readAllStandardError();
            if (w->outcome.errorTail.size() > kErrorTailBytes)
                w->outcome.errorTail = w->outcome.errorTail.right(kErrorTailBytes);
        });
        QObject::connect(process, &QProcess::errorOccurred, &loop, [w, &end](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                end(*w, ProcessOutcome::Ending::FailedToStart);
        });
        QObject::connect(process, &QProcess::finished, &loop, [w, &end](int exitCode, QProcess::ExitStatus status) {
            w->outcome.standardOutput += w->process->readAllStandardOutput();
            w->outcome.errorTail += w->process->readAllStandardError();
            w->outcome.errorTail = w->outcome.errorTail.right(kErrorTailBytes);
            w->outcome.exitCode = exitCode;
            if (w->timedOut)
                end(*w, ProcessOutcome::Ending::TimedOut);
            else if (w->overflowed)
                end(*w, ProcessOutcome::Ending::OutputTooLarge);
            else
                end(*w, status == QProcess::CrashExit ? ProcessOutcome::Ending::Crashed : ProcessOutcome::Ending::Exited);
        });
        worker.deadline->setSingleShot(true);
        QObject::connect(worker.deadline.get(), &QTimer::timeout, &loop, [w] {
            w->timedOut = true;
            killGroup(*w->process);
        });

        worker.clock.start();
        worker.deadline->start(job.timeoutMs);
        process->start(job.program, job.arguments, QIODevice::ReadOnly);
    };

    for (Worker& worker : workers)
        startNext(worker);
    loop.exec();
}

}  // namespace conformance
