#include "qmChild.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

namespace qmtest {

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

int ExitOf(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

// Reads what is there; false at the end of the output.
bool Drain(int fd, std::string* pLog)
{
    char buf[4096];
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0)
        pLog->append(buf, static_cast<size_t>(n));
    return n > 0;
}

}  // namespace

ChildResult RunChild(const std::vector<std::string>& args, double boundSeconds, const std::vector<ChildStep>& steps,
                     const std::function<void()>& inChild)
{
    ChildResult result;
    int fds[2];
    if (args.empty() || pipe2(fds, O_CLOEXEC) != 0)
        return result;
    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        if (inChild)
            inChild();
        std::vector<char*> argv;
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    std::vector<bool> done(steps.size(), false);
    bool bOpen = pid > 0;
    while (bOpen) {
        const double left = boundSeconds * kBoundScale - SecondsSince(start);
        if (left <= 0) {
            result.bTimedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        pollfd p = {fds[0], POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left * 1000) + 1) > 0)
            bOpen = Drain(fds[0], &result.log);
        for (size_t i = 0; i < steps.size(); ++i) {
            if (!done[i] && result.log.find(steps[i].when) != std::string::npos) {
                done[i] = true;
                steps[i].action(pid);
            }
        }
    }
    while (Drain(fds[0], &result.log)) {
    }
    close(fds[0]);
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid)
        result.nExit = ExitOf(status);
    result.seconds = SecondsSince(start);
    return result;
}

}  // namespace qmtest
