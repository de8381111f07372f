// The guard around the start of video: when it leaves the call, and how it
// tells a broken X connection from a live one or from another socket.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <sys/un.h>
#include <unistd.h>

#include <csignal>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>

#include "gx/gl/gxGlLoadGuard.h"

using gxgl::GlLoadGuard;

namespace {

// A listening socket, a client connected to it and the server's end of
// that connection: on a Unix socket at an abstract name, or on TCP at a
// port of the loopback address (the first free one of a range).
struct SocketTriple {
    int listener = -1, client = -1, server = -1;
    explicit SocketTriple(const std::string& name)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + 1, name.data(), name.size());
        Connect(AF_UNIX, reinterpret_cast<sockaddr*>(&address),
                static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size()));
    }
    SocketTriple(int nFirstPort, int nLastPort)
    {
        for (int port = nFirstPort; port <= nLastPort && server < 0; ++port) {
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_port = htons(static_cast<uint16_t>(port));
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            Connect(AF_INET, reinterpret_cast<sockaddr*>(&address), sizeof address);
        }
    }
    ~SocketTriple() { CloseAll(); }
    void CloseAll()
    {
        for (int* pFd : {&listener, &client, &server}) {
            if (*pFd >= 0)
                close(*pFd);
            *pFd = -1;
        }
    }
    void Connect(int family, const sockaddr* pAddress, socklen_t length)
    {
        CloseAll();
        listener = socket(family, SOCK_STREAM, 0);
        client = socket(family, SOCK_STREAM, 0);
        if (bind(listener, pAddress, length) == 0 && listen(listener, 1) == 0 &&
            connect(client, pAddress, length) == 0)
            server = accept(listener, nullptr, nullptr);
    }
    void CloseServer()
    {
        close(server);
        server = -1;
    }
};

enum ePeer { UNIX_X, UNIX_OTHER, UNIX_X_FOLDER, UNIX_X_FOLDER_ONLY, TCP_X, TCP_OTHER, TCP_UNCONNECTED };

struct PeerRow {
    const char* name;
    ePeer peer;
    bool bCloseServer;  // the peer has closed its end
    bool bBroken;
    // A live X connection made first, on lower descriptors: the name of its
    // peer read before the row's must not stand in for the row's.
    bool bLiveXFirst = false;
};

const PeerRow kPeerRows[] = {
    {"X server there", UNIX_X, false, false},
    {"X server gone", UNIX_X, true, true},
    {"another socket gone", UNIX_OTHER, true, false},
    {"another socket in the X folder gone", UNIX_X_FOLDER, true, false},
    {"a socket named for the X folder alone gone", UNIX_X_FOLDER_ONLY, true, false, true},
    {"X server on TCP there", TCP_X, false, false},
    {"X server on TCP gone", TCP_X, true, true},
    {"another TCP port gone", TCP_OTHER, true, false},
    {"a TCP socket never connected", TCP_UNCONNECTED, false, false},
};

}  // namespace

TEST(gxGlLoadGuardTest, AConnectionIsBrokenWhenItsXServerClosedIt)
{
    const std::string pid = std::to_string(getpid());
    for (const PeerRow& row : kPeerRows) {
        SCOPED_TRACE(row.name);
        std::unique_ptr<SocketTriple> pLiveX, pSockets;
        if (row.bLiveXFirst)
            pLiveX = std::make_unique<SocketTriple>("/tmp/.X11-unix/X" + pid + "0");
        int nUnconnected = -1;
        switch (row.peer) {
        case UNIX_X:
            pSockets = std::make_unique<SocketTriple>("/tmp/.X11-unix/X" + pid);
            break;
        case UNIX_OTHER:
            pSockets = std::make_unique<SocketTriple>("/tmp/qm-guard-" + pid);
            break;
        case UNIX_X_FOLDER:
            pSockets = std::make_unique<SocketTriple>("/tmp/.X11-unix/Y" + pid);
            break;
        case UNIX_X_FOLDER_ONLY:
            pSockets = std::make_unique<SocketTriple>("/tmp/.X11-unix/");
            break;
        case TCP_X:
            pSockets = std::make_unique<SocketTriple>(6000, 6063);
            break;
        case TCP_OTHER:
            pSockets = std::make_unique<SocketTriple>(6064, 6200);
            break;
        case TCP_UNCONNECTED:
            nUnconnected = socket(AF_INET, SOCK_STREAM, 0);
            ASSERT_GE(nUnconnected, 0);
            break;
        }
        if (pSockets) {
            // Every X port of this machine taken; the folder's name, which
            // cannot carry the process id, taken by another run of the test.
            if (pSockets->server < 0 && (row.peer == TCP_X || row.peer == UNIX_X_FOLDER_ONLY))
                continue;
            ASSERT_GE(pSockets->server, 0);
            if (row.bCloseServer)
                pSockets->CloseServer();
        }
        EXPECT_EQ(GlLoadGuard::XConnectionBroken(), row.bBroken);
        if (nUnconnected >= 0)
            close(nUnconnected);
    }
}

TEST(gxGlLoadGuardTest, LeaveEndsOnlyTheCallInsideTheGuard)
{
    int nReached = 0;
    GlLoadGuard::Leave();  // outside: nothing
    EXPECT_TRUE(GlLoadGuard::Run([&] { ++nReached; }));
    EXPECT_FALSE(GlLoadGuard::Run([&] {
        ++nReached;
        GlLoadGuard::Leave();
        ++nReached;
    }));
    EXPECT_EQ(nReached, 2);
    GlLoadGuard::Leave();  // the guard is off again
}

// A fault inside the guard while an X connection is broken (the X server
// gone) leaves the call, as the GL library's fault on it would be left.
TEST(gxGlLoadGuardTest, AFaultWithTheXServerGoneLeavesTheCall)
{
    SocketTriple sockets("/tmp/.X11-unix/X" + std::to_string(getpid()));
    ASSERT_GE(sockets.server, 0);
    sockets.CloseServer();
    bool bPastTheFault = false;
    EXPECT_FALSE(GlLoadGuard::Run([&] {
        volatile int* volatile pNowhere = nullptr;
        *pNowhere = 1;
        bPastTheFault = true;
    }));
    EXPECT_FALSE(bPastTheFault);
}

namespace {

// Handlers in place before the guard, each telling its signal by its exit.
void ExitThree(int) { _exit(3); }
void ExitFour(int) { _exit(4); }

}  // namespace

// A fault inside the guard with no X connection broken is not taken for a
// lost display: the program dies of it as without the guard (by the signal,
// or by a sanitizer's report of it, or by the handler it had before); so it
// does of the signal sent to it.
TEST(gxGlLoadGuardDeathTest, AFaultWithTheDisplayThereIsRaisedAgain)
{
    // A sanitizer that reports the fault ends the process by its abort.
#if defined(__SANITIZE_ADDRESS__)
    constexpr int kReportSignal = SIGABRT;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    constexpr int kReportSignal = SIGABRT;
#else
    constexpr int kReportSignal = 0;
#endif
#else
    constexpr int kReportSignal = 0;
#endif
    const auto dies = [](int sig) {
        return [sig](int status) {
            return WIFSIGNALED(status) ? WTERMSIG(status) == sig || WTERMSIG(status) == kReportSignal
                                       : WEXITSTATUS(status) != 0;
        };
    };
    const struct {
        const char* name;
        void (*fault)();
        int sig;
        int nExit;  // of the handler the fault is handed back to
    } faults[] = {
        {"a null write",
         [] {
             volatile int* volatile pNowhere = nullptr;
             *pNowhere = 1;
         },
         SIGSEGV, 3},
        {"a bus error", [] { raise(SIGBUS); }, SIGBUS, 4},
    };
    for (const auto& f : faults) {
        SCOPED_TRACE(f.name);
        // A fault caught again and again instead of raised would hang the
        // child: its alarm ends it, a death of the wrong signal.
        EXPECT_EXIT((alarm(10), GlLoadGuard::Run(f.fault)), dies(f.sig), "");
        // The handler there before the guard is the one the fault goes to.
        EXPECT_EXIT((alarm(10), signal(SIGSEGV, ExitThree), signal(SIGBUS, ExitFour), GlLoadGuard::Run(f.fault)),
                    testing::ExitedWithCode(f.nExit), "");
    }
}
