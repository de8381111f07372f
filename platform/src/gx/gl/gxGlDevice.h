#pragma once
// The OpenGL device: SDL's video subsystem, the window (or SDL's offscreen
// driver when headless, or when SDL_VIDEODRIVER names it) and the render
// thread that owns the OpenGL 3.3 core context. Every GL call of the layer
// runs on that thread as a task posted here, in posting order.
//
// Start and Shutdown are called from the thread that starts video (VIInit);
// Post may be called from any thread. The
// render thread is a host thread of the platform layer: it never holds the
// OS layer's CPU.
//
// The task queue is bounded: a thread that posts faster than the render
// thread replays waits for room (giving up the OS CPU meanwhile) instead of
// growing memory without end.
//
// Losing the display (the window destroyed by another client, or its X
// connection broken: the window killed, the X server gone) is noted from
// whichever thread's X call found it. From
// then on nothing waits for the render thread, which may be stopped inside
// that call: tasks are dropped, Finish returns at once, Shutdown waits a
// bounded time and touches the display no more. The program should then end
// through its shutdown; if it has not after kLostGraceSeconds, the device
// ends it with the exit code it was given.

#include <atomic>
#include <cstddef>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "gx/gxCommand.h"

struct SDL_Window;

namespace gxgl {

class GlDevice {
public:
    static GlDevice& Get();

    // Chooses SDL's offscreen driver and no window; only before Start.
    void SetHeadless(bool headless);
    bool IsHeadless() const { return m_bHeadless; }

    // Opens video and starts the render thread. Idempotent; false (logged)
    // when no OpenGL 3.3 core context can be made, after which every posted
    // task is dropped and drawing does nothing. A run that is not headless
    // and can have no window (no display answers, or SDL has only drivers
    // without windows) does not fall back to none: Start fails and the
    // window counts as refused, so the program ends.
    bool Start();
    // Running, and the display not lost.
    bool IsRunning() const { return m_bRunning && !m_bDisplayLost; }
    // Runs the queued tasks, ends the render thread and closes video.
    void Shutdown();

    // Limits of the queue: tasks, and the bytes the posters declare. A task
    // is always taken into an empty queue, however big.
    static constexpr size_t kMaxQueuedTasks = 4096;
    static constexpr size_t kMaxQueuedBytes = size_t{32} << 20;

    // Runs the task on the render thread after every task posted before it;
    // dropped when the device is not running. bytes is the memory the task
    // holds until it runs. Waits while the queue is full (not on the render
    // thread itself, which drains it; a forked child drops the task).
    void Post(std::function<void()> task, size_t bytes = 0);
    // Posts a draw command for the backend to replay, as Post does. Draws
    // that wait in the queue back to back and that the backend can join
    // are replayed as one (GlBackend::CanJoin).
    void PostDraw(std::shared_ptr<const gxCommand> draw, size_t bytes);
    // Posts and waits until the task has run. Gives up the OS CPU meanwhile.
    void RunSync(std::function<void()> task);
    // Waits until every task posted so far has run.
    void Finish();

    // Notes that the display was lost (logged once); any thread, X error
    // handlers included. Wakes every thread that waits on the render thread
    // and starts the grace period.
    void LoseDisplay();
    // Lost: a display the window was on (or was being made on) went.
    bool DisplayLost() const { return m_bDisplayLost; }
    // No window could be made for a run that wants one: no display answers,
    // or SDL has only drivers without windows.
    bool WindowRefused() const { return m_bWindowRefused; }
    // While set, the calling thread holds the display for good: an X error
    // handler that may end the process with exit() right there. The exit
    // handler (Shutdown) then waits for the render thread a bounded time, as
    // after a loss, since the render thread's next X call cannot return, and
    // touches the display no more.
    void HoldDisplayForExit(bool held) { m_bDisplayHeld = held; }
    // The exit code the grace period ends the program with.
    void SetLostExitCode(int code) { m_nLostExitCode = code; }
    static constexpr int kLostGraceSeconds = 4;
    // How long the start waits for the X display to answer a connection.
    static constexpr int kDisplayAnswerMs = 3000;
    // How long Shutdown waits for a render thread that has to end after the
    // display was lost, and the lost display's exit code until one is set.
    static constexpr int kLostJoinMilliseconds = 500;
    static constexpr int kDefaultLostExitCode = 1;
    // Ends the process at once with the code, output flushed: no exit
    // handler, no destructor and no sanitizer's report runs.
    [[noreturn]] static void EndProcessNow(int code);

    // Tasks waiting to run and the bytes they declared (for tests).
    void QueueUse(size_t* tasks, size_t* bytes);

    SDL_Window* Window() const { return m_pWindow; }
    // Size of the window's drawable in pixels (render thread).
    void DrawableSize(int* w, int* h) const;
    void SwapWindow();  // render thread

private:
    // Blocks up to this size come from the heap, not mappings of their own
    // (the most malloc allows), and this much free heap is kept, not trimmed.
    static constexpr int kMostHeapBlock = 32 << 20;
    static constexpr int kMostHeapSlack = 64 << 20;

    GlDevice() = default;
    ~GlDevice() = default;
    static void KeepUploadsInTheHeap();
    bool OpenVideo();
    bool OpenWindow();
    bool OpenDisplay();
    void RefuseWindowless(const char* sdlError);
    bool DisplayAnswers();
    void CloseVideo(bool bJoin, bool bTouchDisplay);
    void ThreadMain();
    bool HasRoom(size_t bytes) const;

    struct Task {
        std::function<void()> run;
        size_t bytes = 0;
        std::shared_ptr<const gxCommand> draw;  // instead of run: a draw for the backend
    };
    void Enqueue(Task&& task);
    Task TakeFront();
    size_t TakeJoinedDraws(Task* front);

    bool m_bHeadless = false;
    std::atomic<bool> m_bRunning{false};  // read by posting threads
    bool m_bFailed = false;
    SDL_Window* m_pWindow = nullptr;
    void* m_pContext = nullptr;  // SDL_GLContext, render thread only

    // Held by pointer: a forked child (no render thread in it) must neither
    // join it nor destroy a joinable std::thread when it exits.
    std::thread* m_pThread = nullptr;
    std::thread::id m_renderThreadId;
    int m_nOwnerPid = 0;  // the process that started the render thread
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::condition_variable m_room;
    std::deque<Task> m_tasks;
    std::vector<std::shared_ptr<const gxCommand>> m_draws;  // the draws being replayed (render thread)
    size_t m_nQueuedBytes = 0;
    unsigned long long m_nPosted = 0;
    unsigned long long m_nCompleted = 0;
    // Waiters are woken only when what they wait for has come: the earliest
    // task count a Finish waits for, and whether a poster waits for room
    // (each sets its own again if it must go on waiting). Waking them at
    // every task would cost the waiting thread a switch per task.
    static constexpr unsigned long long kNobodyWaits = ~0ull;
    unsigned long long m_nWakeAt = kNobodyWaits;
    bool m_bRoomWanted = false;
    bool m_bQuit = false;
    bool m_bContextReady = false;
    bool m_bContextFailed = false;
    bool m_bThreadEnded = false;
    std::atomic<bool> m_bDisplayLost{false};
    std::atomic<bool> m_bWindowRefused{false};
    std::atomic<bool> m_bDisplayHeld{false};
    std::atomic<int> m_nLostExitCode{kDefaultLostExitCode};
};

// Hands a broken X connection of the window's display, and an X error that
// says the window or its GL drawable was destroyed, to GlDevice::LoseDisplay
// instead of Xlib's exit on whichever thread found it; nothing when video
// is not on X. In gxGlDisplayWatch.cpp.
//
// WatchXConnection sets the connection's handler before SDL opens the
// display, so that no broken connection reaches Xlib's exit; WatchXErrors
// sets both once video is open on X, before the window is made: an error of
// that kind while it is being made is its loss too.
void WatchXConnection();
void WatchXErrors();
// Watches the window once made; false when it no longer exists (the display
// is lost then).
bool WatchDisplayConnection(SDL_Window* pWindow);
// Holds the X server while the render thread makes its context on the
// window, so that no other client can destroy the window under that (SDL
// reads the window's attributes without checking them); false, released,
// when the window no longer exists. Each true is followed by ReleaseWindow.
bool HoldWindow();
void ReleaseWindow();
// The program destroys the window itself: an error on it from then on is no
// loss of the display, and ends nothing.
void UnwatchWindow();

// Whether an X error with that code on that resource says the window is
// gone: BadWindow or BadDrawable, or GLX's GLXBadDrawable, GLXBadCurrentWindow,
// GLXBadCurrentDrawable or GLXBadWindow (counted from glxFirstError, 0 when
// the server has no GLX), on the window; on any resource while the window
// is being made (kWindowBeingMade); never without a window (0).
constexpr unsigned long kWindowBeingMade = ~0ul;
bool LosesTheWindow(int errorCode, unsigned long resource, unsigned long window, int glxFirstError);

}  // namespace gxgl
