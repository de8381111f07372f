// The window's X connection breaking (the window killed, the X server gone).
// Xlib's own handling ends the process with exit() on whichever thread found
// it, the render thread included, whose exit then waits for that same thread
// and never ends. Instead the break is handed to GlDevice::LoseDisplay and
// the main thread ends the program through its shutdown.
//
// The program is not linked with Xlib: SDL loads it, and its calls are
// looked up in the copy SDL loaded.
#include "gx/gl/gxGlDevice.h"

#include <atomic>
#include <chrono>
#include <thread>

#include <dlfcn.h>

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>

#include "platform/os.h"

#if defined(SDL_VIDEO_DRIVER_X11)

namespace {

struct XlibCalls {
    decltype(&XSetIOErrorHandler) setIOErrorHandler = nullptr;
    decltype(&XSetIOErrorExitHandler) setIOErrorExitHandler = nullptr;  // Xlib 1.7 and later
    decltype(&XUnlockDisplay) unlockDisplay = nullptr;
};

XlibCalls s_xlib;
// The window's display, once its exit handler is ours.
std::atomic<Display*> s_pWatched{nullptr};

// Xlib calls this for any display whose connection broke, on the thread
// whose call found it, with the display left locked for that thread:
// unlocked, every other thread's call on it fails at once instead of
// waiting for ever. On the main thread the call that found the break then
// returns (through the exit handler below) and the loops end the program.
// Any other thread (the render thread), and any display whose exit handler
// is still Xlib's, stops here for good: nothing waits for it any more.
extern "C" int OnXIOError(Display* pDisplay)
{
    gxgl::GlDevice::Get().LoseDisplay();
    s_xlib.unlockDisplay(pDisplay);
    if (OSGetCurrentThread() && pDisplay == s_pWatched.load())
        return 0;
    for (;;)
        std::this_thread::sleep_for(std::chrono::hours(1));
}

extern "C" void OnXIOErrorExit(Display*, void*) {}

template <class Call>
bool Find(void* pLibrary, const char* sName, Call* pCall)
{
    *pCall = reinterpret_cast<Call>(dlsym(pLibrary, sName));
    return *pCall != nullptr;
}

}  // namespace

void gxgl::WatchDisplayConnection(SDL_Window* pWindow)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(pWindow, &info) || info.subsystem != SDL_SYSWM_X11)
        return;
    void* pLibrary = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
    if (!pLibrary || !Find(pLibrary, "XSetIOErrorHandler", &s_xlib.setIOErrorHandler) ||
        !Find(pLibrary, "XUnlockDisplay", &s_xlib.unlockDisplay)) {
        OSReport("VI: Xlib's error handlers cannot be set: losing the display ends the program in %d s\n",
                 GlDevice::kLostGraceSeconds);
        return;
    }
    s_xlib.setIOErrorHandler(OnXIOError);
    // Without the exit handler the main thread too stops in OnXIOError, and
    // the grace period ends the program.
    if (Find(pLibrary, "XSetIOErrorExitHandler", &s_xlib.setIOErrorExitHandler)) {
        s_xlib.setIOErrorExitHandler(info.info.x11.display, OnXIOErrorExit, nullptr);
        s_pWatched = info.info.x11.display;
    }
}

#else

void gxgl::WatchDisplayConnection(SDL_Window*) {}

#endif
