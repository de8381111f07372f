#include "gx/gl/gxGlLoadGuard.h"

#include <atomic>
#include <cerrno>
#include <csetjmp>
#include <csignal>
#include <cstddef>
#include <cstring>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>

#include "gx/gl/gxGlDevice.h"

namespace gxgl {

namespace {

constexpr int kFaults[] = {SIGSEGV, SIGBUS};
constexpr int kFaultCount = static_cast<int>(sizeof kFaults / sizeof kFaults[0]);
// Sockets past this many are not looked at: the X connection is opened
// early, among the first descriptors.
constexpr long kMaxDescriptors = 65536;

sigjmp_buf s_jump;
// The thread inside Run (its kernel id), 0 when none.
std::atomic<long> s_nGuardThread{0};
struct sigaction s_previous[kFaultCount];
long s_nDescriptors = 1024;

long CurrentThread()
{
    return static_cast<long>(syscall(SYS_gettid));
}

// Whether the socket's peer is an X server: its Unix socket (abstract or in
// the file system), or its TCP port.
bool IsXServerPeer(int fd)
{
    sockaddr_storage address;
    socklen_t length = sizeof address;
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return false;
    if (address.ss_family == AF_UNIX) {
        static constexpr char kPrefix[] = "/tmp/.X11-unix/X";
        const sockaddr_un* pUnix = reinterpret_cast<const sockaddr_un*>(&address);
        const char* path = pUnix->sun_path;
        size_t size = length > offsetof(sockaddr_un, sun_path) ? length - offsetof(sockaddr_un, sun_path) : 0;
        if (size > 0 && path[0] == '\0') {
            ++path;
            --size;
        }
        return size >= sizeof kPrefix - 1 && std::memcmp(path, kPrefix, sizeof kPrefix - 1) == 0;
    }
    int port = 0;
    if (address.ss_family == AF_INET)
        port = ntohs(reinterpret_cast<const sockaddr_in*>(&address)->sin_port);
    else if (address.ss_family == AF_INET6)
        port = ntohs(reinterpret_cast<const sockaddr_in6*>(&address)->sin6_port);
    return port >= 6000 && port <= 6063;
}

// Whether the other end has closed the socket (whatever it sent before
// still unread).
bool PeerClosed(int fd)
{
    pollfd p = {fd, POLLRDHUP, 0};
    return poll(&p, 1, 0) == 1 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

void OnFault(int sig, siginfo_t*, void*)
{
    const int savedErrno = errno;
    if (s_nGuardThread.load() == CurrentThread() &&
        (GlDevice::Get().DisplayLost() || GlLoadGuard::XConnectionBroken()))
        siglongjmp(s_jump, 1);
    for (int i = 0; i < kFaultCount; ++i) {
        if (kFaults[i] == sig)
            sigaction(sig, &s_previous[i], nullptr);
    }
    errno = savedErrno;
    raise(sig);
}

void Arm()
{
    rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        s_nDescriptors = static_cast<long>(limit.rlim_cur < kMaxDescriptors ? limit.rlim_cur : kMaxDescriptors);
    else
        s_nDescriptors = kMaxDescriptors;
    struct sigaction action = {};
    action.sa_sigaction = OnFault;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < kFaultCount; ++i)
        sigaction(kFaults[i], &action, &s_previous[i]);
    s_nGuardThread = CurrentThread();
}

void Disarm()
{
    s_nGuardThread = 0;
    for (int i = 0; i < kFaultCount; ++i)
        sigaction(kFaults[i], &s_previous[i], nullptr);
}

}  // namespace

bool GlLoadGuard::Run(const std::function<void()>& call)
{
    if (sigsetjmp(s_jump, 1) != 0) {
        Disarm();
        return false;
    }
    Arm();
    call();
    Disarm();
    return true;
}

void GlLoadGuard::Leave()
{
    if (s_nGuardThread.load() == CurrentThread())
        siglongjmp(s_jump, 1);
}

bool GlLoadGuard::XConnectionBroken()
{
    const int savedErrno = errno;
    bool bBroken = false;
    for (int fd = 0; fd < s_nDescriptors && !bBroken; ++fd) {
        struct stat st;
        bBroken = fstat(fd, &st) == 0 && S_ISSOCK(st.st_mode) && IsXServerPeer(fd) && PeerClosed(fd);
    }
    errno = savedErrno;
    return bBroken;
}

}  // namespace gxgl
