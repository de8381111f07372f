#pragma once
// The start of video on the thread that starts it (the display opened, the
// GL library loaded, the window made) with the X server gone under it. The
// GL library reads the server's replies past Xlib and faults on one that
// never came; Xlib's connection handler, on a display whose exit handler is
// not ours yet, may neither return (Xlib would exit) nor stop the thread
// for good (the program could then only end by the lost display's grace
// period). Either way the guarded call is left where the loss was found, and
// the caller goes on as after a lost display: touching the display no more.
//
// A fault while the display is still there (or on another thread) is no
// loss: the action that was there before (the default one, or a
// sanitizer's) is put back and the signal raised again.
//
// One guard at a time: the main thread's start of video, then the render
// thread's making of its context, which the main thread waits for.

#include <functional>

namespace gxgl {

class GlLoadGuard {
public:
    // Runs the call with the fault handler armed for this thread. False when
    // the call was left because the display was gone: a fault in it while
    // the X connection was broken (or the loss already noted), or Leave from
    // Xlib's connection handler.
    static bool Run(const std::function<void()>& call);
    // On the thread inside Run, leaves the call at once (does not return);
    // anywhere else does nothing.
    static void Leave();
    // Whether a connection of this process to an X server (a socket whose
    // peer is an X server's: /tmp/.X11-unix/X<n>, or TCP port 6000 to 6063)
    // has been closed by the server. Safe in a signal handler.
    static bool XConnectionBroken();
};

}  // namespace gxgl
