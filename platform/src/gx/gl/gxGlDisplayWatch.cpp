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
#include "gx/gl/gxGlLoadGuard.h"

#include <atomic>
#include <chrono>
#include <cstring>
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
    decltype(&XQueryExtension) queryExtension = nullptr;
    decltype(&XGetWindowAttributes) getWindowAttributes = nullptr;
    decltype(&XGrabServer) grabServer = nullptr;
    decltype(&XUngrabServer) ungrabServer = nullptr;
    decltype(&XSync) sync = nullptr;
};

XlibCalls s_xlib;
bool s_bXlibFound = false;
// The window's display, once its exit handler is ours.
std::atomic<Display*> s_pWatched{nullptr};
// The window's display, once the window is made.
std::atomic<Display*> s_pDisplay{nullptr};
// The window (kWindowBeingMade until SDL hands it over, 0 when there is none
// to watch), the one the program destroys itself, GLX's first error code (0:
// no GLX), and the error handler that was there before ours (SDL's, which
// hands on to Xlib's: that one prints the error and calls exit()).
std::atomic<unsigned long> s_nWindow{0};
std::atomic<unsigned long> s_nOwnWindow{0};
std::atomic<int> s_nGlxFirstError{0};
std::atomic<XErrorHandler> s_previousErrorHandler{nullptr};
// The server held by HoldWindow (render thread).
bool s_bGrabbed = false;

extern "C" void OnXIOErrorExit(Display*, void*) {}

// Xlib calls this for any display whose connection broke, on the thread
// whose call found it, with the display left locked for that thread:
// unlocked, every other thread's call on it fails at once instead of
// waiting for ever. On the main thread the call that found the break then
// returns (through the exit handler above) and the loops end the program.
// Any other thread (the render thread) stops here for good: nothing waits
// for it any more.
//
// Found before the display's exit handler is ours (while video starts),
// the break cannot be returned from: Xlib read its exit handler before
// calling this one. The start is left here (GlLoadGuard), and the exit
// handler made ours for any call on the display still to come; a thread
// outside the start stops here for good.
extern "C" int OnXIOError(Display* pDisplay)
{
    const bool bWatched = pDisplay == s_pWatched.load();
    gxgl::GlDevice::Get().LoseDisplay();
    s_xlib.unlockDisplay(pDisplay);
    if (!bWatched && s_xlib.setIOErrorExitHandler) {
        s_xlib.setIOErrorExitHandler(pDisplay, OnXIOErrorExit, nullptr);
        s_pWatched = pDisplay;
    }
    gxgl::GlLoadGuard::Leave();
    if (OSGetCurrentThread() && bWatched)
        return 0;
    for (;;)
        std::this_thread::sleep_for(std::chrono::hours(1));
}

// A request on the window or its GL drawable that the server refused
// because the window no longer exists: another client destroyed it
// (xdotool windowclose, say), as early as while it was being made. Without
// its window the program has no display left, and every request still
// under way on it fails alike: those errors end nothing. An error on the
// window the program destroys itself is no loss. Any other error goes to
// the handler before ours; when that one ends the process from here, the
// display stays locked for this thread, so the exit handler must not wait
// for the render thread's next X call (GlDevice::HoldDisplayForExit).
extern "C" int OnXError(Display* pDisplay, XErrorEvent* pError)
{
    const int code = pError->error_code;
    const unsigned long resource = pError->resourceid;
    const int glxFirstError = s_nGlxFirstError.load();
    if (gxgl::LosesTheWindow(code, resource, s_nWindow.load(), glxFirstError)) {
        if (!gxgl::GlDevice::Get().DisplayLost())
            OSReport("VI: the window was destroyed (X error %d on it, request %d.%d)\n", code, pError->request_code,
                     pError->minor_code);
        gxgl::GlDevice::Get().LoseDisplay();
        return 0;
    }
    if (gxgl::GlDevice::Get().DisplayLost() || gxgl::LosesTheWindow(code, resource, s_nOwnWindow.load(), glxFirstError))
        return 0;
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

bool FindXlib()
{
    if (s_bXlibFound)
        return true;
    void* pLibrary = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
    s_bXlibFound = pLibrary && Find(pLibrary, "XSetErrorHandler", &s_xlib.setErrorHandler) &&
                   Find(pLibrary, "XSetIOErrorHandler", &s_xlib.setIOErrorHandler) &&
                   Find(pLibrary, "XUnlockDisplay", &s_xlib.unlockDisplay) &&
                   Find(pLibrary, "XQueryExtension", &s_xlib.queryExtension) &&
                   Find(pLibrary, "XGetWindowAttributes", &s_xlib.getWindowAttributes) &&
                   Find(pLibrary, "XGrabServer", &s_xlib.grabServer) &&
                   Find(pLibrary, "XUngrabServer", &s_xlib.ungrabServer) && Find(pLibrary, "XSync", &s_xlib.sync);
    if (s_bXlibFound && !Find(pLibrary, "XSetIOErrorExitHandler", &s_xlib.setIOErrorExitHandler))
        s_xlib.setIOErrorExitHandler = nullptr;
    return s_bXlibFound;
}

// Whether the window still exists; when it does not, the error on the
// query has noted the loss.
bool WindowExists(Display* pDisplay, unsigned long window)
{
    XWindowAttributes attributes;
    const bool bExists = s_xlib.getWindowAttributes(pDisplay, window, &attributes) != 0;
    s_xlib.sync(pDisplay, False);
    return bExists && !gxgl::GlDevice::Get().DisplayLost();
}

}  // namespace

bool gxgl::LosesTheWindow(int errorCode, unsigned long resource, unsigned long window, int glxFirstError)
{
    if (window == 0 || (window != kWindowBeingMade && resource != window))
        return false;
    if (errorCode == BadWindow || errorCode == BadDrawable)
        return true;
    if (glxFirstError <= 0)
        return false;
    // GLX's own codes (GLX_BadDrawable and the rest, counted from its first).
    constexpr int kGlxBadDrawable = 2, kGlxBadCurrentWindow = 5, kGlxBadCurrentDrawable = 11, kGlxBadWindow = 12;
    const int glxCode = errorCode - glxFirstError;
    return glxCode == kGlxBadDrawable || glxCode == kGlxBadCurrentWindow || glxCode == kGlxBadCurrentDrawable ||
           glxCode == kGlxBadWindow;
}

void gxgl::WatchXConnection()
{
    // SDL here is linked with Xlib; one that loads it later gets its
    // handler from WatchXErrors.
    if (FindXlib())
        s_xlib.setIOErrorHandler(OnXIOError);
}

void gxgl::WatchXErrors()
{
    const char* sDriver = SDL_GetCurrentVideoDriver();
    if (!sDriver || std::strcmp(sDriver, "x11") != 0)
        return;
    if (!FindXlib()) {
        OSReport("VI: Xlib's error handlers cannot be set: losing the display ends the program in %d s\n",
                 GlDevice::kLostGraceSeconds);
        return;
    }
    s_nOwnWindow = 0;
    s_nWindow = kWindowBeingMade;
    const XErrorHandler previous = s_xlib.setErrorHandler(OnXError);
    if (previous != OnXError)  // video started again: ours is there already
        s_previousErrorHandler = previous;
    s_xlib.setIOErrorHandler(OnXIOError);
}

bool gxgl::WatchDisplayConnection(SDL_Window* pWindow)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!s_bXlibFound || !SDL_GetWindowWMInfo(pWindow, &info) || info.subsystem != SDL_SYSWM_X11) {
        s_nWindow = 0;
        return !GlDevice::Get().DisplayLost();
    }
    Display* pDisplay = info.info.x11.display;
    s_pDisplay = pDisplay;
    int major = 0, firstEvent = 0, firstError = 0;
    if (s_xlib.queryExtension(pDisplay, "GLX", &major, &firstEvent, &firstError))
        s_nGlxFirstError = firstError;
    s_nWindow = info.info.x11.window;
    // Without the exit handler the main thread too stops in OnXIOError, and
    // the grace period ends the program.
    if (s_xlib.setIOErrorExitHandler) {
        s_xlib.setIOErrorExitHandler(pDisplay, OnXIOErrorExit, nullptr);
        s_pWatched = pDisplay;
    }
    return WindowExists(pDisplay, info.info.x11.window);
}

bool gxgl::HoldWindow()
{
    Display* pDisplay = s_pDisplay.load();
    const unsigned long window = s_nWindow.load();
    if (!pDisplay || window == 0 || window == kWindowBeingMade)
        return !GlDevice::Get().DisplayLost();
    s_xlib.grabServer(pDisplay);
    s_bGrabbed = true;
    if (WindowExists(pDisplay, window))
        return true;
    ReleaseWindow();
    return false;
}

void gxgl::ReleaseWindow()
{
    Display* pDisplay = s_pDisplay.load();
    if (!pDisplay || !s_bGrabbed)
        return;
    s_bGrabbed = false;
    s_xlib.ungrabServer(pDisplay);
    s_xlib.sync(pDisplay, False);
}

void gxgl::UnwatchWindow()
{
    s_nOwnWindow = s_nWindow == kWindowBeingMade ? 0 : s_nWindow.load();
    s_nWindow = 0;
}

#else

bool gxgl::LosesTheWindow(int, unsigned long, unsigned long, int)
{
    return false;
}
void gxgl::WatchXConnection() {}
void gxgl::WatchXErrors() {}
bool gxgl::WatchDisplayConnection(SDL_Window*)
{
    return true;
}
bool gxgl::HoldWindow()
{
    return true;
}
void gxgl::ReleaseWindow() {}
void gxgl::UnwatchWindow() {}

#endif
