#include "gx/gl/gxGlDevice.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <malloc.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <SDL2/SDL.h>
#include <epoxy/gl.h>

#include "gx/gl/gxGlBackend.h"
#include "gx/gl/gxGlDisplayProbe.h"
#include "gx/gl/gxGlLoadGuard.h"
#include "os/osHostWait.h"
#include "platform/os.h"
#include "platform/vi.h"

namespace gxgl {

GlDevice& GlDevice::Get()
{
    // Never destroyed: a forked child exits with the render thread's
    // condition variables still "waited on", and destroying them would hang.
    // The render thread ends through the exit handler Start registers.
    static GlDevice* s_pDevice = new GlDevice();
    return *s_pDevice;
}

void GlDevice::SetHeadless(bool headless)
{
    if (m_bRunning || m_bFailed) {
        OSReport("VI: the headless choice must be made before video starts\n");
        return;
    }
    m_bHeadless = headless;
}

// SDL's drivers that make no window: on one of them nobody sees the game.
static bool WindowlessDriver(const char* driver)
{
    for (const char* name : {"offscreen", "dummy", "evdev"}) {
        if (driver && std::strcmp(driver, name) == 0)
            return true;
    }
    return false;
}

static bool IsSet(const char* value)
{
    return value && *value;
}

// A run that wants a window and can have none (no display answers, or SDL
// fell back to a driver without windows) ends, as after a lost display: one
// line says why and names the display.
void GlDevice::RefuseWindowless(const char* sdlError)
{
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* forced = std::getenv("SDL_VIDEODRIVER");
    char where[256];
    if (WindowlessDriver(forced))
        std::snprintf(where, sizeof where, "SDL_VIDEODRIVER=\"%s\" makes none", forced);
    else if (IsSet(x) || IsSet(wayland))
        std::snprintf(where, sizeof where, "no display answers at %s=\"%s\"", IsSet(x) ? "DISPLAY" : "WAYLAND_DISPLAY",
                      IsSet(x) ? x : wayland);
    else
        std::snprintf(where, sizeof where, "DISPLAY is not set");
    OSReport("VI: no window can be made: %s%s%s%s; --headless runs without one\n", where, sdlError ? " (" : "",
             sdlError ? sdlError : "", sdlError ? ")" : "");
    m_bWindowRefused = true;
}

// Opens SDL's video on a driver with windows. Our X connection handler is
// in place before SDL opens the display: a connection broken at any point
// from then on is a lost display, not Xlib's exit (and the GL library's
// fault on a connection broken while it queries the server is one too:
// OpenVideo runs this under GlLoadGuard).
bool GlDevice::OpenDisplay()
{
    // A write to a broken display connection fails (and the connection's
    // handler notes the loss) instead of SIGPIPE ending the program there.
    std::signal(SIGPIPE, SIG_IGN);
    if (!DisplayAnswers())
        return false;
    WatchXConnection();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        RefuseWindowless(SDL_GetError());
        return false;
    }
    if (WindowlessDriver(SDL_GetCurrentVideoDriver())) {
        RefuseWindowless(nullptr);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    WatchXErrors();
    return true;
}

static bool QuitSignalled()
{
    return VIQuitSignal() != 0;
}

// Whether the X display answers before SDL opens it (SDL's open would wait
// for a silent one for ever). A silent display is refused as one that is
// not there; a quit signal during the wait gives the window up without a
// word, the signal's own end says why.
bool GlDevice::DisplayAnswers()
{
    const char* forced = std::getenv("SDL_VIDEODRIVER");
    if (!IsSet(std::getenv("DISPLAY")) || (IsSet(forced) && std::strcmp(forced, "x11") != 0))
        return true;
    switch (ProbeDisplay(kDisplayAnswerMs, QuitSignalled)) {
    case eDisplayAnswer::SILENT:
    {
        char sWhy[96];
        std::snprintf(sWhy, sizeof sWhy, "it took the connection but did not answer within %d s",
                      kDisplayAnswerMs / 1000);
        RefuseWindowless(sWhy);
        return false;
    }
    case eDisplayAnswer::STOPPED:
        m_bWindowRefused = true;
        return false;
    default:
        return true;
    }
}

// The X server gone while the display opens, the GL library loads or the
// window is made leaves that start where the loss was found: the display is
// lost, and touched no more.
bool GlDevice::OpenVideo()
{
    // The offscreen driver named by the user (as the test suite does) is a
    // choice of no window, as --headless is.
    const char* forced = std::getenv("SDL_VIDEODRIVER");
    if (IsSet(forced) && std::strcmp(forced, "offscreen") == 0)
        m_bHeadless = true;
    bool bOpened = false;
    if (GlLoadGuard::Run([this, &bOpened] { bOpened = OpenWindow(); }))
        return bOpened;
    LoseDisplay();
    return false;
}

bool GlDevice::OpenWindow()
{
    if (m_bHeadless) {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            OSReport("VI: cannot start offscreen video: %s\n", SDL_GetError());
            return false;
        }
    } else if (!OpenDisplay()) {
        return false;
    }
    // One extra reference to the GL library: it stays loaded until the
    // process ends, so its allocations still have named frames at exit (the
    // leak checker tells a driver's own allocations apart by them).
    static bool s_bLibraryHeld = false;
    if (!s_bLibraryHeld && SDL_GL_LoadLibrary(nullptr) == 0)
        s_bLibraryHeld = true;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    const Uint32 flags = SDL_WINDOW_OPENGL | (m_bHeadless ? SDL_WINDOW_HIDDEN : SDL_WINDOW_RESIZABLE);
    m_pWindow = SDL_CreateWindow("Quillmere", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 640, 480, flags);
    if (m_bDisplayLost)  // destroyed as it was made: the display is touched no more
        return false;
    if (!m_pWindow) {
        OSReport("VI: cannot create the window: %s\n", SDL_GetError());
        UnwatchWindow();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    return m_bHeadless || WatchDisplayConnection(m_pWindow);
}

// Every draw's vertices are uploaded anew (orphaning), and the driver takes
// fresh storage for each upload. Above malloc's mapping threshold each of
// those is mapped and unmapped again, and a frame's uploads pay a page
// fault for every page they touch; trimmed back to the system, a freed
// heap's top does the same. Kept in the heap, the storage is reused.
void GlDevice::KeepUploadsInTheHeap()
{
    mallopt(M_MMAP_THRESHOLD, kMostHeapBlock);
    mallopt(M_TRIM_THRESHOLD, kMostHeapSlack);
}

bool GlDevice::Start()
{
    if (m_bRunning)
        return true;
    if (m_bFailed)
        return false;
    if (!OpenVideo()) {
        m_bFailed = true;
        return false;
    }
    KeepUploadsInTheHeap();
    m_bQuit = false;
    m_bThreadEnded = false;
    m_nOwnerPid = static_cast<int>(getpid());
    m_pThread = new std::thread([this] { ThreadMain(); });
    m_renderThreadId = m_pThread->get_id();
    std::unique_lock<std::mutex> lock(m_mutex);
    // A render thread that found the display lost may be stopped for good
    // inside the X call that found it.
    m_done.wait(lock, [this] { return m_bContextReady || m_bContextFailed || m_bDisplayLost; });
    if (!m_bContextReady) {
        const bool bEnded = m_bContextFailed;
        lock.unlock();
        m_bFailed = true;
        CloseVideo(bEnded, !m_bDisplayLost);  // a lost display is touched no more
        return false;
    }
    m_bRunning = true;
    static bool s_bAtExit = false;
    if (!s_bAtExit) {
        // Registered after the backend exists, so it runs before the
        // backend's destructor: the render thread still finds it alive.
        std::atexit([] { GlDevice::Get().Shutdown(); });
        s_bAtExit = true;
    }
    return true;
}

void GlDevice::Shutdown()
{
    // A forked child (a test that checks an exit code) has no render thread.
    if (!m_bRunning || static_cast<int>(getpid()) != m_nOwnerPid)
        return;
    std::unique_lock<std::mutex> lock(m_mutex);
    m_bQuit = true;
    m_wake.notify_all();
    // After the display was lost the render thread may be stopped inside
    // the X call that found it for good, and the window went with the
    // connection; while this thread holds the display (an X error handler
    // ending the process), the render thread's next X call waits for ever,
    // so it ends without touching the context. Either way it is waited for a
    // while, then left to end with the process.
    // An exit on the render thread itself (from an X error handler) cannot
    // wait for it at all.
    const bool bOnRenderThread = std::this_thread::get_id() == m_renderThreadId;
    const bool bLost = m_bDisplayLost || m_bDisplayHeld || bOnRenderThread;
    const bool bEnded = !bLost || (!bOnRenderThread &&
                                   m_done.wait_for(lock, std::chrono::milliseconds(kLostJoinMilliseconds),
                                                   [this] { return m_bThreadEnded; }));
    lock.unlock();
    m_bRunning = false;
    CloseVideo(bEnded, !bLost);
}

// Joins the render thread when it has ended (else leaves it to end with the
// process), and closes the window and video unless the display may be
// touched no more.
void GlDevice::CloseVideo(bool bJoin, bool bTouchDisplay)
{
    if (bJoin)
        m_pThread->join();
    else
        m_pThread->detach();
    delete m_pThread;
    m_pThread = nullptr;
    if (bTouchDisplay) {
        UnwatchWindow();
        SDL_DestroyWindow(m_pWindow);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    m_pWindow = nullptr;
}

void GlDevice::LoseDisplay()
{
    if (m_bDisplayLost.exchange(true))
        return;
    OSReport("VI: the display was lost (the window destroyed or its X connection broken); the program ends\n");
    {
        // Under the lock, so no waiter misses it between its check and its wait.
        std::lock_guard<std::mutex> lock(m_mutex);
        m_done.notify_all();
        m_room.notify_all();
        m_wake.notify_all();
    }
    const int code = m_nLostExitCode;
    std::thread([code] {
        std::this_thread::sleep_for(std::chrono::seconds(kLostGraceSeconds));
        OSReport("VI: the program did not end within %d s of losing the display; it ends now (exit code %d)\n",
                 kLostGraceSeconds, code);
        EndProcessNow(code);
    }).detach();
}

void GlDevice::EndProcessNow(int code)
{
    std::fflush(nullptr);
    // The system call itself, not _exit: a sanitizer intercepts _exit and
    // runs its end-of-process checks there (ThreadSanitizer reports the
    // render thread, stopped for good, as leaked), which would replace the
    // exit code with its own. Nothing of the process runs after this.
    syscall(SYS_exit_group, code);
    _exit(code);  // not reached
}

bool GlDevice::HasRoom(size_t bytes) const
{
    return m_tasks.empty() || (m_tasks.size() < kMaxQueuedTasks && m_nQueuedBytes + bytes <= kMaxQueuedBytes);
}

void GlDevice::Post(std::function<void()> task, size_t bytes)
{
    Enqueue(Task{std::move(task), bytes, nullptr});
}

void GlDevice::PostDraw(std::shared_ptr<const gxCommand> draw, size_t bytes)
{
    Enqueue(Task{nullptr, bytes, std::move(draw)});
}

void GlDevice::Enqueue(Task&& task)
{
    if (!IsRunning())
        return;
    const size_t bytes = task.bytes;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!HasRoom(bytes)) {
            // A forked child has no render thread that could make room.
            if (static_cast<int>(getpid()) != m_nOwnerPid)
                return;
            // The render thread never waits on its own queue.
            if (std::this_thread::get_id() != m_renderThreadId)
                OSHostWait(lock, m_room, [this, bytes] {
                    if (HasRoom(bytes) || m_bDisplayLost)
                        return true;
                    m_bRoomWanted = true;
                    return false;
                });
        }
        m_tasks.push_back(std::move(task));
        m_nQueuedBytes += bytes;
        ++m_nPosted;
    }
    m_wake.notify_one();
}

void GlDevice::QueueUse(size_t* tasks, size_t* bytes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    *tasks = m_tasks.size();
    *bytes = m_nQueuedBytes;
}

void GlDevice::Finish()
{
    // A forked child has no render thread that could finish anything; after
    // the display was lost it may never finish anything again.
    if (!IsRunning() || static_cast<int>(getpid()) != m_nOwnerPid)
        return;
    std::unique_lock<std::mutex> lock(m_mutex);
    const unsigned long long target = m_nPosted;
    OSHostWait(lock, m_done, [this, target] {
        if (m_nCompleted >= target || m_bDisplayLost)
            return true;
        m_nWakeAt = std::min(m_nWakeAt, target);
        return false;
    });
}

void GlDevice::RunSync(std::function<void()> task)
{
    Post(std::move(task));
    Finish();
}

void GlDevice::DrawableSize(int* w, int* h) const
{
    SDL_GL_GetDrawableSize(m_pWindow, w, h);
}

void GlDevice::SwapWindow()
{
    SDL_GL_SwapWindow(m_pWindow);
}

// The first queued task. Lock held.
GlDevice::Task GlDevice::TakeFront()
{
    Task task = std::move(m_tasks.front());
    m_tasks.pop_front();
    m_nQueuedBytes -= task.bytes;
    if (m_bRoomWanted) {
        m_bRoomWanted = false;
        m_room.notify_all();
    }
    return task;
}

// Collects a draw task and the draws queued right behind it that the
// backend can join to it into m_draws; returns the tasks taken. Only what
// already waits is joined: a draw is never held back for later ones. Lock
// held.
size_t GlDevice::TakeJoinedDraws(Task* front)
{
    if (!front->draw)
        return 1;
    m_draws.push_back(std::move(front->draw));
    while (!m_tasks.empty() && m_tasks.front().draw && GlBackend::CanJoin(*m_draws.front(), *m_tasks.front().draw))
        m_draws.push_back(TakeFront().draw);
    return m_draws.size();
}

void GlDevice::ThreadMain()
{
    // A window destroyed before the context is made, or while it is, is a
    // lost display (logged as that), not a failed start-up; so is the X
    // server gone while the GL library makes it.
    SDL_GLContext context = nullptr;
    if (HoldWindow()) {
        if (GlLoadGuard::Run([this, &context] { context = SDL_GL_CreateContext(m_pWindow); }))
            ReleaseWindow();
        else
            LoseDisplay();
    }
    bool ok = context != nullptr && !m_bDisplayLost;
    if (!context && !m_bDisplayLost)
        OSReport("VI: cannot create an OpenGL 3.3 core context: %s\n", SDL_GetError());
    else if (ok && epoxy_gl_version() < 33) {
        OSReport("VI: OpenGL %d.%d is too old (3.3 needed)\n", epoxy_gl_version() / 10, epoxy_gl_version() % 10);
        ok = false;
    }
    if (ok) {
        SDL_GL_SetSwapInterval(0);  // the video interface paces frames itself
        ok = GlBackend::Get().InitGl();
    }
    if (!ok) {
        if (context && !m_bDisplayLost)
            SDL_GL_DeleteContext(context);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bContextFailed = true;
        m_done.notify_all();
        return;
    }
    m_pContext = context;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bContextReady = true;
    }
    m_done.notify_all();

    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_bQuit || !m_tasks.empty() || m_bDisplayLost; });
        // A lost display takes every call on the context with it; a display
        // held by an exit in progress lets none of them through: the queued
        // tasks are dropped.
        if ((m_tasks.empty() && m_bQuit) || m_bDisplayLost || (m_bQuit && m_bDisplayHeld))
            break;
        Task task = TakeFront();
        const size_t taken = TakeJoinedDraws(&task);
        lock.unlock();
        if (m_draws.empty())
            task.run();
        else
            GlBackend::Get().ExecuteDraws(m_draws);
        task.run = nullptr;  // what it holds goes before the next task is taken
        m_draws.clear();
        lock.lock();
        m_nCompleted += taken;
        if (m_nCompleted >= m_nWakeAt) {
            m_nWakeAt = kNobodyWaits;
            m_done.notify_all();
        }
    }
    lock.unlock();
    if (!m_bDisplayLost && !m_bDisplayHeld) {
        GlBackend::Get().ReleaseGl();
        SDL_GL_DeleteContext(context);
    }
    m_pContext = nullptr;
    lock.lock();
    m_bThreadEnded = true;
    m_done.notify_all();
}

}  // namespace gxgl
