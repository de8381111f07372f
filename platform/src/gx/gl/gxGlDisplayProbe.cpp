#include "gx/gl/gxGlDisplayProbe.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include <dlfcn.h>

namespace gxgl {

namespace {

using OpenDisplayFn = void* (*)(const char*);
using CloseDisplayFn = int (*)(void*);

constexpr int kPollMs = 10;

// What the probing thread and the waiting one share. Held by both, so a
// thread still stuck in the open after the wait was given up touches
// nothing that has gone.
struct ProbeState {
    std::mutex mutex;
    std::condition_variable done;
    bool bFinished = false;
};

}  // namespace

eDisplayAnswer ProbeDisplay(int boundMs, bool (*stop)())
{
    // The same library SDL opens for its X driver; it stays loaded.
    void* pLibrary = dlopen("libX11.so.6", RTLD_NOW | RTLD_GLOBAL);
    if (!pLibrary)
        return eDisplayAnswer::NOT_PROBED;
    const auto open = reinterpret_cast<OpenDisplayFn>(dlsym(pLibrary, "XOpenDisplay"));
    const auto close = reinterpret_cast<CloseDisplayFn>(dlsym(pLibrary, "XCloseDisplay"));
    if (!open || !close)
        return eDisplayAnswer::NOT_PROBED;
    auto pState = std::make_shared<ProbeState>();
    // Detached: one that never returns from the open stays blocked in its
    // read until the process ends, and holds nothing the program needs.
    std::thread([pState, open, close] {
        if (void* pDisplay = open(nullptr))
            close(pDisplay);
        std::lock_guard<std::mutex> lock(pState->mutex);
        pState->bFinished = true;
        pState->done.notify_all();
    }).detach();
    std::unique_lock<std::mutex> lock(pState->mutex);
    for (int waited = 0; waited < boundMs; waited += kPollMs) {
        if (pState->done.wait_for(lock, std::chrono::milliseconds(kPollMs), [&] { return pState->bFinished; }))
            return eDisplayAnswer::ANSWERS;
        if (stop && stop())
            return eDisplayAnswer::STOPPED;
    }
    return pState->bFinished ? eDisplayAnswer::ANSWERS : eDisplayAnswer::SILENT;
}

}  // namespace gxgl
