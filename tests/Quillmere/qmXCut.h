#pragma once
// A display of its own that passes each client connection through to an X
// server and breaks them all once the server has sent a given number of
// bytes over them in all: the X server gone at the same point of a
// client's start-up in every run. From then on it takes no connection, as
// a server that is gone. Header-only.

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

class XCut {
public:
    // server: the display name (":N") of a server on this machine.
    XCut(const std::string& server, size_t bytesBeforeCut) : m_server(server), m_nLeft(bytesBeforeCut) {}
    ~XCut()
    {
        m_bStop = true;
        if (m_thread.joinable())
            m_thread.join();
        for (const Link& link : m_links)
            Close(link);
        if (m_listen >= 0)
            close(m_listen);
    }

    // Listens on the first display number from 300 that no server takes.
    bool Start()
    {
        for (int n = 300; n < 400 && m_listen < 0; ++n) {
            const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_un addr{};
            socklen_t len = Abstract(n, &addr);
            if (access(SocketPath(n).c_str(), F_OK) != 0 && bind(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0 &&
                listen(fd, 16) == 0) {
                m_listen = fd;
                m_name = ":" + std::to_string(n);
            } else {
                close(fd);
            }
        }
        if (m_listen >= 0)
            m_thread = std::thread([this] { Loop(); });
        return m_listen >= 0;
    }
    const std::string& Name() const { return m_name; }
    bool Cut() const { return m_bCut; }
    size_t Left() const { return m_nLeft; }

private:
    struct Link {
        int client;
        int server;
    };

    static std::string SocketPath(int n) { return "/tmp/.X11-unix/X" + std::to_string(n); }
    // Xlib on Linux tries the abstract name first.
    static socklen_t Abstract(int n, sockaddr_un* pAddr)
    {
        const std::string path = SocketPath(n);
        pAddr->sun_family = AF_UNIX;
        std::memcpy(pAddr->sun_path + 1, path.data(), path.size());
        return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + path.size());
    }
    static void Close(const Link& link)
    {
        close(link.client);
        close(link.server);
    }

    int ConnectServer() const
    {
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        const std::string path = SocketPath(std::stoi(m_server.substr(1)));
        std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
        if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            close(fd);
            return -1;
        }
        return fd;
    }

    // Passes what one side sent to the other; the server's bytes only up to
    // the cut. False when the link ends.
    bool Pass(int from, int to, bool bFromServer)
    {
        char buf[4096];
        ssize_t n = read(from, buf, sizeof buf);
        if (n <= 0)
            return false;
        if (bFromServer) {
            n = static_cast<ssize_t>(std::min(static_cast<size_t>(n), m_nLeft.load()));
            m_nLeft -= static_cast<size_t>(n);
            m_bCut = m_nLeft == 0;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = write(to, buf + done, static_cast<size_t>(n - done));
            if (w <= 0)
                return false;
            done += w;
        }
        return !m_bCut;
    }

    void Loop()
    {
        while (!m_bStop) {
            std::vector<pollfd> fds = {{m_listen, POLLIN, 0}};
            for (const Link& link : m_links) {
                fds.push_back({link.client, POLLIN, 0});
                fds.push_back({link.server, POLLIN, 0});
            }
            if (poll(fds.data(), fds.size(), 20) <= 0)
                continue;
            std::vector<Link> kept;
            for (size_t i = 0; i < m_links.size(); ++i) {
                const Link& link = m_links[i];
                const short fromClient = fds[1 + 2 * i].revents, fromServer = fds[2 + 2 * i].revents;
                const bool bOpen = !m_bCut && (!fromClient || Pass(link.client, link.server, false)) &&
                                   (!fromServer || Pass(link.server, link.client, true));
                if (bOpen)
                    kept.push_back(link);
                else
                    Close(link);
            }
            if (m_bCut) {
                for (const Link& link : kept)
                    Close(link);
                kept.clear();
            }
            m_links = kept;
            if (fds[0].revents & POLLIN) {
                const int client = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
                const int server = m_bCut ? -1 : ConnectServer();
                if (server < 0)
                    close(client);
                else
                    m_links.push_back({client, server});
            }
        }
    }

    std::string m_server;
    std::string m_name;
    std::atomic<size_t> m_nLeft;
    int m_listen = -1;
    std::vector<Link> m_links;
    std::thread m_thread;
    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bCut{false};
};
