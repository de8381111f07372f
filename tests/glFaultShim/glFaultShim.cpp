// Preloaded into the program by the window tests: when SDL loads the GL
// library (or, for a QM_GL_FAULT that begins "context-", when the program
// makes its GL context), first does what QM_GL_FAULT says, as the X server
// gone in the middle of the GL library's start would leave it:
//   broken        the program's X connections shut down
//   broken-fault  the same, then a fault (a write through a null pointer)
//   fault         the fault alone, the X server still there
#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace {

bool IsXConnection(int fd)
{
    struct stat st;
    sockaddr_un address{};
    socklen_t length = sizeof address;
    if (fstat(fd, &st) != 0 || !S_ISSOCK(st.st_mode) ||
        getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0 || address.sun_family != AF_UNIX)
        return false;
    const char* path = address.sun_path[0] ? address.sun_path : address.sun_path + 1;
    return std::strncmp(path, "/tmp/.X11-unix/X", 16) == 0;
}

void BreakXConnections()
{
    for (int fd = 0; fd < 1024; ++fd) {
        if (IsXConnection(fd))
            shutdown(fd, SHUT_RDWR);
    }
}

void Fault()
{
    volatile int* volatile pNowhere = nullptr;
    *pNowhere = 1;
}

// Does what QM_GL_FAULT says, once, when it names this step ("context-"
// or not).
void Strike(bool bContext)
{
    static bool s_bDone = false;
    const char* sHow = std::getenv("QM_GL_FAULT");
    if (!sHow || s_bDone || (std::strncmp(sHow, "context-", 8) == 0) != bContext)
        return;
    s_bDone = true;
    if (bContext)
        sHow += 8;
    if (std::strncmp(sHow, "broken", 6) == 0)
        BreakXConnections();
    if (std::strstr(sHow, "fault"))
        Fault();
}

}  // namespace

extern "C" void* dlopen(const char* sFile, int mode)
{
    using Open = void* (*)(const char*, int);
    static const Open s_open = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "dlopen"));
    if (sFile && std::strstr(sFile, "libGL.so"))
        Strike(false);
    return s_open(sFile, mode);
}

extern "C" void* SDL_GL_CreateContext(void* pWindow)
{
    using Create = void* (*)(void*);
    static const Create s_create = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "SDL_GL_CreateContext"));
    Strike(true);
    return s_create(pWindow);
}
