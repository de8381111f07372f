#pragma once
// A virtual X server (Xvfb) for tests that need a window, and the
// environment a child process finds it by. Header-only.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xlib.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

inline bool OnPath(const char* sName)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    for (size_t from = 0; from <= dirs.size();) {
        size_t to = dirs.find(':', from);
        if (to == std::string::npos)
            to = dirs.size();
        if (access((dirs.substr(from, to - from) + "/" + sName).c_str(), X_OK) == 0)
            return true;
        from = to + 1;
    }
    return false;
}

// A display name no server answers at (from :900 on), or "" when every one
// of a hundred has a server.
inline std::string DeadDisplay()
{
    for (int n = 900; n < 1000; ++n) {
        const std::string name = ":" + std::to_string(n);
        Display* pDisplay = XOpenDisplay(name.c_str());
        if (!pDisplay)
            return name;
        XCloseDisplay(pDisplay);
    }
    return "";
}

// A display that takes every connection and never answers one: a socket
// in the abstract namespace where Xlib looks first for display :N, listening,
// its connections never accepted (the kernel completes them all the same).
class SilentDisplay {
public:
    bool Start()
    {
        for (int n = 900; n < 1000; ++n) {
            m_fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (m_fd < 0)
                return false;
            sockaddr_un address = {};
            address.sun_family = AF_UNIX;
            const std::string path = "/tmp/.X11-unix/X" + std::to_string(n);
            std::memcpy(address.sun_path + 1, path.data(), path.size());
            const socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + path.size());
            if (bind(m_fd, reinterpret_cast<sockaddr*>(&address), length) == 0 && listen(m_fd, 64) == 0) {
                m_name = ":" + std::to_string(n);
                return true;
            }
            close(m_fd);
            m_fd = -1;
        }
        return false;
    }
    ~SilentDisplay()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    const std::string& Name() const { return m_name; }

private:
    int m_fd = -1;
    std::string m_name;
};

// Xvfb on a display number of its own choice (-displayfd: no clash with
// another test's server), killed when this goes.
class Xvfb {
public:
    bool Start()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return false;
        m_pid = fork();
        if (m_pid == 0) {
            close(fds[0]);
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // The number comes once the server takes clients.
        std::string number;
        pollfd p = {fds[0], POLLIN, 0};
        char c;
        while (m_pid > 0 && poll(&p, 1, 20000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (number.empty())
            return false;
        m_name = ":" + number;
        return true;
    }
    ~Xvfb()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    const std::string& Name() const { return m_name; }

private:
    pid_t m_pid = -1;
    std::string m_name;
};

class ScopedEnv {
public:
    ScopedEnv(const char* sName, const char* sValue) : m_name(sName)
    {
        const char* old = std::getenv(sName);
        m_bHad = old != nullptr;
        if (old)
            m_old = old;
        if (sValue)
            setenv(sName, sValue, 1);
        else
            unsetenv(sName);
    }
    ~ScopedEnv()
    {
        if (m_bHad)
            setenv(m_name.c_str(), m_old.c_str(), 1);
        else
            unsetenv(m_name.c_str());
    }

private:
    std::string m_name, m_old;
    bool m_bHad = false;
};

inline bool XvfbInstalled()
{
    return OnPath("Xvfb");
}
