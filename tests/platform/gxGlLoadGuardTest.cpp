// The guard around the start of video: when it leaves the call, and how it
// tells a broken X connection from a live one or from another socket.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/wait.h>
#include <sys/un.h>
#include <unistd.h>

#include <csignal>
#include <cstddef>
#include <cstring>
#include <string>

#include "gx/gl/gxGlLoadGuard.h"

using gxgl::GlLoadGuard;

namespace {

// A listening Unix socket at an abstract name, a client connected to it and
// the server's end of that connection.
struct SocketTriple {
    int listener = -1, client = -1, server = -1;
    explicit SocketTriple(const std::string& name)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + 1, name.data(), name.size());
        const socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
        listener = socket(AF_UNIX, SOCK_STREAM, 0);
        client = socket(AF_UNIX, SOCK_STREAM, 0);
        if (bind(listener, reinterpret_cast<sockaddr*>(&address), length) == 0 && listen(listener, 1) == 0 &&
            connect(client, reinterpret_cast<sockaddr*>(&address), length) == 0)
            server = accept(listener, nullptr, nullptr);
    }
    ~SocketTriple()
    {
        for (int fd : {listener, client, server}) {
            if (fd >= 0)
                close(fd);
        }
    }
    void CloseServer()
    {
        close(server);
        server = -1;
    }
};

struct PeerRow {
    const char* name;
    bool bXName;        // the peer's name is an X server's
    bool bCloseServer;  // the peer has closed its end
    bool bBroken;
};

const PeerRow kPeerRows[] = {
    {"X server there", true, false, false},
    {"X server gone", true, true, true},
    {"another socket gone", false, true, false},
};

}  // namespace

TEST(gxGlLoadGuardTest, AConnectionIsBrokenWhenItsXServerClosedIt)
{
    const std::string pid = std::to_string(getpid());
    for (const PeerRow& row : kPeerRows) {
        SCOPED_TRACE(row.name);
        SocketTriple sockets(row.bXName ? "/tmp/.X11-unix/X" + pid : "/tmp/qm-guard-" + pid);
        ASSERT_GE(sockets.server, 0);
        if (row.bCloseServer)
            sockets.CloseServer();
        EXPECT_EQ(GlLoadGuard::XConnectionBroken(), row.bBroken);
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

// A fault inside the guard with no X connection broken is not taken for a
// lost display: the program dies of it as without the guard (by the signal,
// or by a sanitizer's report of it).
TEST(gxGlLoadGuardDeathTest, AFaultWithTheDisplayThereIsRaisedAgain)
{
    EXPECT_EXIT(GlLoadGuard::Run([] {
        volatile int* volatile pNowhere = nullptr;
        *pNowhere = 1;
    }),
                [](int status) { return WIFSIGNALED(status) ? WTERMSIG(status) == SIGSEGV : WEXITSTATUS(status) != 0; },
                "");
}
