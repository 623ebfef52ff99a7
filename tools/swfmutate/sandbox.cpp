#include "sandbox.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace swfmutate {

std::string SandboxResult::describe() const
{
    switch (outcome) {
    case Outcome::Exited:
        if (exitCode == 0) return "ok";
        if (exitCode == kExitEscapedException) return "an exception escaped (out of memory under the cap?)";
        return "exit code " + std::to_string(exitCode);
    case Outcome::Crashed: return "killed by signal " + std::to_string(signal) + " (" + strsignal(signal) + ")";
    case Outcome::TimedOut: return "timed out";
    }
    return "?";
}

bool builtWithAddressSanitizer()
{
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

namespace {

// Processor time (user and system, in clock ticks) a live process has used, from /proc; -1
// when it cannot be read.
long cpuTicksOf(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(in, line)) return -1;
    // The command name (field 2) may hold spaces: the fields after it start after its ')'.
    std::size_t close = line.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(line.substr(close + 1));
    std::string field;
    long utime = -1, stime = -1;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14) utime = std::stol(field);
        if (index == 15) {
            stime = std::stol(field);
            break;
        }
    }
    return utime < 0 || stime < 0 ? -1 : utime + stime;
}

}  // namespace

Sandbox::~Sandbox()
{
    for (const auto& [pid, run] : running_) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

void Sandbox::start(std::size_t job, const std::function<int()>& work)
{
    std::fflush(nullptr);
    pid_t child = fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        if (limits_.memoryMiB > 0) {
            rlimit cap{};
            cap.rlim_cur = cap.rlim_max = static_cast<rlim_t>(limits_.memoryMiB) << 20;
            setrlimit(RLIMIT_AS, &cap);
        }
        rlimit noCore{};
        setrlimit(RLIMIT_CORE, &noCore);
        rlimit cpu{};
        cpu.rlim_cur = static_cast<rlim_t>(limits_.seconds) + 1;
        cpu.rlim_max = cpu.rlim_cur + 1;
        setrlimit(RLIMIT_CPU, &cpu);
        int code = 126;
        try {
            code = work();
        } catch (...) {
            code = kExitEscapedException;
        }
        std::fflush(nullptr);
        _exit(code);
    }
    running_.emplace(child, Running{job, Clock::now(), false, -1, {}});
}

SandboxResult Sandbox::next()
{
    if (running_.empty()) throw std::logic_error("Sandbox::next without a child");
    auto pause = std::chrono::microseconds(200);
    for (;;) {
        int status = 0;
        rusage usage{};
        pid_t done = wait4(-1, &status, WNOHANG, &usage);
        if (done > 0 && running_.count(done)) {
            Running run = running_.at(done);
            running_.erase(done);
            SandboxResult r;
            r.job = run.job;
            r.milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - run.started).count();
            r.maxRssKiB = static_cast<std::size_t>(usage.ru_maxrss);
            r.cpuMilliseconds = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
                                (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
            if (run.killed || (WIFSIGNALED(status) && WTERMSIG(status) == SIGXCPU)) {
                r.outcome = SandboxResult::Outcome::TimedOut;
            } else if (WIFSIGNALED(status)) {
                r.outcome = SandboxResult::Outcome::Crashed;
                r.signal = WTERMSIG(status);
            } else {
                r.exitCode = WEXITSTATUS(status);
            }
            return r;
        }
        auto now = Clock::now();
        for (auto& [pid, run] : running_) {
            if (!run.killed && hung(pid, run, now)) {
                kill(pid, SIGKILL);
                run.killed = true;
            }
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(5'000));
    }
}

bool Sandbox::hung(pid_t pid, Running& run, Clock::time_point now) const
{
    auto allowance = std::chrono::duration<double>(limits_.seconds);
    auto wall = now - run.started;
    if (wall <= 5 * allowance) return false;
    if (wall > 60 * allowance) return true;
    long ticks = cpuTicksOf(pid);
    if (ticks < 0) return false;  // already ended: wait4 collects it next
    if (ticks != run.cpuTicks) {
        run.cpuTicks = ticks;
        run.cpuSeen = now;
        return false;
    }
    // At least a few seconds: a runnable child on a busy machine may wait that long for its turn.
    return now - run.cpuSeen > std::max(allowance, std::chrono::duration<double>(3));
}

}  // namespace swfmutate
