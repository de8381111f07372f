// The window's X connection breaking (the window killed, the X server gone)
// and the window destroyed by another client. Xlib's own handling ends the
// process with exit() on whichever thread found it, with the display locked
// for that thread: the exit handler then waits for the render thread, which
// is that same thread or waits in an X call for that lock, and never ends.
// Instead the loss is handed to GlDevice::LoseDisplay and the main thread
// ends the program through its shutdown.
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
    decltype(&XSetErrorHandler) setErrorHandler = nullptr;
    decltype(&XSetIOErrorHandler) setIOErrorHandler = nullptr;
    decltype(&XSetIOErrorExitHandler) setIOErrorExitHandler = nullptr;  // Xlib 1.7 and later
    decltype(&XUnlockDisplay) unlockDisplay = nullptr;
};

XlibCalls s_xlib;
// The window's display, once its exit handler is ours.
std::atomic<Display*> s_pWatched{nullptr};
// The window, and the error handler that was there before ours (SDL's,
// which hands on to Xlib's: that one prints the error and calls exit()).
std::atomic<unsigned long> s_nWindow{0};
std::atomic<XErrorHandler> s_previousErrorHandler{nullptr};

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

// A request on the window that the server refused because the window no
// longer exists: another client destroyed it (xdotool windowclose, say).
// Without its window the program has no display left. Any other error goes
// to the handler before ours; when that one ends the process from here, the
// display stays locked for this thread, so the exit handler must not wait
// for the render thread's next X call (GlDevice::HoldDisplayForExit).
bool WindowGone(const XErrorEvent& error)
{
    const unsigned long window = s_nWindow.load();
    return window != 0 && error.resourceid == window &&
           (error.error_code == BadWindow || error.error_code == BadDrawable);
}

extern "C" int OnXError(Display* pDisplay, XErrorEvent* pError)
{
    if (WindowGone(*pError)) {
        // Every request on it that is still under way fails alike: one line.
        static std::atomic<bool> s_bLogged{false};
        if (!s_bLogged.exchange(true))
            OSReport("VI: the window was destroyed (X error %d on it, request %d)\n", pError->error_code,
                     pError->request_code);
        gxgl::GlDevice::Get().LoseDisplay();
        return 0;
    }
    const XErrorHandler previous = s_previousErrorHandler.load();
    if (!previous)
        return 0;
    gxgl::GlDevice::Get().HoldDisplayForExit(true);
    const int result = previous(pDisplay, pError);
    gxgl::GlDevice::Get().HoldDisplayForExit(false);
    return result;
}

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
    if (!pLibrary || !Find(pLibrary, "XSetErrorHandler", &s_xlib.setErrorHandler) ||
        !Find(pLibrary, "XSetIOErrorHandler", &s_xlib.setIOErrorHandler) ||
        !Find(pLibrary, "XUnlockDisplay", &s_xlib.unlockDisplay)) {
        OSReport("VI: Xlib's error handlers cannot be set: losing the display ends the program in %d s\n",
                 GlDevice::kLostGraceSeconds);
        return;
    }
    s_nWindow = info.info.x11.window;
    const XErrorHandler previous = s_xlib.setErrorHandler(OnXError);
    if (previous != OnXError)  // video started again: ours is there already
        s_previousErrorHandler = previous;
    s_xlib.setIOErrorHandler(OnXIOError);
    // Without the exit handler the main thread too stops in OnXIOError, and
    // the grace period ends the program.
    if (Find(pLibrary, "XSetIOErrorExitHandler", &s_xlib.setIOErrorExitHandler)) {
        s_xlib.setIOErrorExitHandler(info.info.x11.display, OnXIOErrorExit, nullptr);
        s_pWatched = info.info.x11.display;
    }
}

void gxgl::UnwatchWindow()
{
    s_nWindow = 0;
}

#else

void gxgl::WatchDisplayConnection(SDL_Window*) {}
void gxgl::UnwatchWindow() {}

#endif
