#pragma once
// Whether the X display named by DISPLAY answers a connection at all. Xlib's
// own open waits for the server's reply without a bound: a socket that
// accepts the connection and never answers would hold the start-up for
// good, out of reach of the quit signals. The probe opens (and closes) one
// connection on a thread of its own while the caller waits a bounded time.

namespace gxgl {

enum class eDisplayAnswer {
    ANSWERS,      // the server answered (its reply may still refuse us: SDL's open says why)
    SILENT,       // no reply within the bound
    STOPPED,      // the wait was given up because the program is asked to end
    NOT_PROBED,   // Xlib is not there to ask: SDL's open finds that out itself
};

// Waits at most boundMs for the display's answer, giving up early once
// stop() turns true (it is polled every few milliseconds).
eDisplayAnswer ProbeDisplay(int boundMs, bool (*stop)());

}  // namespace gxgl
