// The render thread's task queue: a poster far ahead of a stalled render
// thread waits at the queue's limit, gives the OS CPU to other threads while
// it waits, and every task still runs once, in posting order. A lost
// display: nothing waits for the render thread any more.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <numeric>
#include <thread>
#include <vector>

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include "../test/gx_test.h"
#include "gx/gl/gxGlDevice.h"
#include "gxRenderGate.h"
#include "platform/os.h"
#include "platform/vi.h"
#include "testDeadline.h"
#include "xvfbServer.h"

namespace {

using gxgl::GlDevice;

// A low-priority OS thread: it runs only once the poster gives up the CPU,
// notes how full the queue is then and lets the render thread go on.
struct Opener {
    OSThread thread;
    RenderGate* pGate = nullptr;
    size_t tasks = 0;
    size_t bytes = 0;
};

void* OpenWhenRun(void* arg)
{
    Opener* o = static_cast<Opener*>(arg);
    GlDevice::Get().QueueUse(&o->tasks, &o->bytes);
    o->pGate->Open();
    return nullptr;
}

struct QueueRow {
    const char* name;
    size_t bytesPerTask;
    size_t limit;  // tasks queued when the poster has to wait
};

const QueueRow kRows[] = {
    {"task count", 0, GlDevice::kMaxQueuedTasks},
    {"declared bytes", GlDevice::kMaxQueuedBytes / 8, 8},
    {"a task over the byte limit alone", GlDevice::kMaxQueuedBytes + 1, 1},
};

}  // namespace

TEST(GlDeviceQueue, PosterFarAheadWaitsAtTheLimitAndEveryTaskRunsInOrder)
{
    if (!GXTestStartHeadless())
        GTEST_SKIP() << "no OpenGL 3.3 context";
    GlDevice& device = GlDevice::Get();
    for (const QueueRow& row : kRows) {
        SCOPED_TRACE(row.name);
        RenderGate gate;
        device.Post([&gate] { gate.Hold(); });
        gate.WaitEntered();

        Opener opener;
        opener.pGate = &gate;
        ASSERT_TRUE(OSCreateThread(&opener.thread, OpenWhenRun, &opener, nullptr, 0x10000, 30, 0));
        OSResumeThread(&opener.thread);

        const size_t count = row.limit * 2 + 3;
        std::vector<size_t> order;
        std::atomic<size_t> mostQueued{0};
        WithinDeadline("posting past the queue's limit", [&] {
            for (size_t i = 0; i < count; ++i) {
                device.Post(
                    [&order, &mostQueued, i] {
                        order.push_back(i);
                        size_t tasks = 0, bytes = 0;
                        GlDevice::Get().QueueUse(&tasks, &bytes);
                        mostQueued = std::max(mostQueued.load(), tasks);
                    },
                    row.bytesPerTask);
            }
            device.Finish();
        });
        OSJoinThread(&opener.thread, nullptr);

        EXPECT_EQ(opener.tasks, row.limit);
        EXPECT_LE(opener.bytes, std::max(GlDevice::kMaxQueuedBytes, row.bytesPerTask));
        EXPECT_LE(mostQueued.load(), row.limit);
        std::vector<size_t> expected(count);
        std::iota(expected.begin(), expected.end(), size_t{0});
        EXPECT_EQ(order, expected);
        size_t tasks = 1, bytes = 1;
        device.QueueUse(&tasks, &bytes);
        EXPECT_EQ(tasks, 0u);
        EXPECT_EQ(bytes, 0u);
    }
}

// After the display was lost the render thread may be stopped for good
// inside the X call that found it (here: held inside a task). Nothing waits
// for it any more, the program is asked to quit, and the shutdown ends.
TEST(GlDeviceDisplayLoss, NothingWaitsForTheRenderThreadAndTheShutdownEnds)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    if (!GXTestStartHeadless())
        GTEST_SKIP() << "no OpenGL 3.3 context";
    EXPECT_EXIT(
        {
            GlDevice& device = GlDevice::Get();
            device.SetLostExitCode(77);
            // Never destroyed, as the render thread never leaves it.
            static RenderGate* s_pGate = new RenderGate;
            device.Post([] { s_pGate->Hold(); });
            s_pGate->WaitEntered();
            const BOOL bQuitBefore = VIQuitRequested();
            device.LoseDisplay();
            device.LoseDisplay();  // logged once
            static std::atomic<bool> s_bRan{false};
            device.Post([] { s_bRan = true; });
            device.Finish();
            device.RunSync([] { s_bRan = true; });
            std::fprintf(stderr, "quit %d/%d lost %d running %d ran %d\n", bQuitBefore, VIQuitRequested(),
                         VIDisplayLost(), device.IsRunning(), s_bRan.load());
            device.Shutdown();
            std::fprintf(stderr, "shut down\n");
            std::exit(0);
        },
        ::testing::ExitedWithCode(0),
        "^VI: the display was lost[^\n]*\nquit 0/1 lost 1 running 0 ran 0\nshut down\n$");
}

// A program that does not end after losing its display is ended, with the
// exit code it gave, instead of hanging.
TEST(GlDeviceDisplayLoss, AProgramStillRunningAfterTheGracePeriodIsEnded)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    if (!GXTestStartHeadless())
        GTEST_SKIP() << "no OpenGL 3.3 context";
    EXPECT_EXIT(
        {
            VISetDisplayLostExitCode(77);
            GlDevice::Get().LoseDisplay();
            for (;;)
                std::this_thread::sleep_for(std::chrono::seconds(1));
        },
        ::testing::ExitedWithCode(77), "did not end within 4 s of losing the display; it ends now \\(exit code 77\\)");
}

// An X error about anything but the window goes on to Xlib's handler, which
// prints it and calls exit() right there, the display still held by the
// thread that found it. The exit handler must not wait for the render
// thread, whose next X call (the context's teardown) waits for that display.
TEST(GlDeviceDisplayLoss, AnXErrorThatEndsTheProgramDoesNotWaitForTheRenderThread)
{
    if (!XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    if (GlDevice::Get().IsRunning())
        GTEST_SKIP() << "video runs already in this process: run the test alone";
    Xvfb server;
    ASSERT_TRUE(server.Start()) << "Xvfb did not start";
    ScopedEnv display("DISPLAY", server.Name().c_str());
    ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
    ScopedEnv driver("SDL_VIDEODRIVER", nullptr);
    // Forked as it is: the child must find the server this process started.
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_EXIT(
        {
            alarm(30);  // a hang ends the child by SIGALRM instead
            GlDevice& device = GlDevice::Get();
            SDL_SysWMinfo info;
            SDL_VERSION(&info.version);
            if (!device.Start() || !SDL_GetWindowWMInfo(device.Window(), &info) ||
                info.subsystem != SDL_SYSWM_X11)
                std::exit(3);
            Display* pDisplay = info.info.x11.display;
            XFreePixmap(pDisplay, XAllocID(pDisplay));  // no such pixmap
            XSync(pDisplay, False);
            std::exit(5);  // not reached
        },
        ::testing::ExitedWithCode(1), "X Error of failed request");
}

// Another client destroys the window (a window manager's close, xdotool
// windowclose): the next request on it is refused, and that refusal is the
// display's loss, logged once, not Xlib's exit. The shutdown then ends.
TEST(GlDeviceDisplayLoss, AWindowDestroyedByAnotherClientIsALostDisplay)
{
    if (!XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    if (GlDevice::Get().IsRunning())
        GTEST_SKIP() << "video runs already in this process: run the test alone";
    Xvfb server;
    ASSERT_TRUE(server.Start()) << "Xvfb did not start";
    ScopedEnv display("DISPLAY", server.Name().c_str());
    ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
    ScopedEnv driver("SDL_VIDEODRIVER", nullptr);
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_EXIT(
        {
            alarm(30);
            GlDevice& device = GlDevice::Get();
            SDL_SysWMinfo info;
            SDL_VERSION(&info.version);
            if (!device.Start() || !SDL_GetWindowWMInfo(device.Window(), &info) ||
                info.subsystem != SDL_SYSWM_X11)
                std::exit(3);
            Display* pOther = XOpenDisplay(server.Name().c_str());
            if (!pOther)
                std::exit(3);
            XDestroyWindow(pOther, info.info.x11.window);
            XSync(pOther, False);
            XCloseDisplay(pOther);
            const BOOL bLostBefore = VIDisplayLost();
            XRaiseWindow(info.info.x11.display, info.info.x11.window);
            XSync(info.info.x11.display, False);
            std::fprintf(stderr, "lost %d/%d quit %d\n", bLostBefore, VIDisplayLost(), VIQuitRequested());
            device.Shutdown();
            std::exit(4);
        },
        ::testing::ExitedWithCode(4),
        "VI: the window was destroyed \\(X error 3 on it[^\n]*\n[^\n]*the display was lost[^\n]*\nlost 0/1 quit 1\n");
}

namespace {

struct LossRow {
    const char* name;
    int code;
    unsigned long resource;
    unsigned long window;
    int glxFirstError;
    bool loses;
};

constexpr unsigned long kOurs = 0x400007, kOther = 0x400009;
constexpr int kGlx = 158;  // the extension's first error on the test's server
constexpr unsigned long kMaking = gxgl::kWindowBeingMade;

const LossRow kLossRows[] = {
    {"BadWindow on the window", BadWindow, kOurs, kOurs, kGlx, true},
    {"BadDrawable on the window", BadDrawable, kOurs, kOurs, kGlx, true},
    {"GLXBadDrawable on the window (a swap)", kGlx + 2, kOurs, kOurs, kGlx, true},
    {"GLXBadCurrentWindow on the window", kGlx + 5, kOurs, kOurs, kGlx, true},
    {"GLXBadCurrentDrawable on the window", kGlx + 11, kOurs, kOurs, kGlx, true},
    {"GLXBadWindow on the window", kGlx + 12, kOurs, kOurs, kGlx, true},
    {"GLXBadContext on the window", kGlx + 0, kOurs, kOurs, kGlx, false},
    {"GLXBadContextTag on the window", kGlx + 4, kOurs, kOurs, kGlx, false},
    {"GLXBadPixmap on the window", kGlx + 3, kOurs, kOurs, kGlx, false},
    {"GLX's code past its last", kGlx + 13, kOurs, kOurs, kGlx, false},
    {"BadMatch on the window", BadMatch, kOurs, kOurs, kGlx, false},
    {"BadValue on the window, no GLX", BadValue, kOurs, kOurs, 0, false},
    {"BadWindow on another window", BadWindow, kOther, kOurs, kGlx, false},
    {"GLXBadDrawable on another drawable", kGlx + 2, kOther, kOurs, kGlx, false},
    {"BadWindow with no window watched", BadWindow, kOurs, 0, kGlx, false},
    {"BadWindow while the window is made", BadWindow, kOther, kMaking, kGlx, true},
    {"GLXBadDrawable while the window is made", kGlx + 2, kOther, kMaking, kGlx, true},
    {"BadGC while the window is made", BadGC, kOther, kMaking, kGlx, false},
};

}  // namespace

// Which X errors say the window is gone (and the display with it) rather
// than a fault that Xlib's handler reports and ends the program on.
TEST(GlDeviceDisplayLoss, XErrorsThatSayTheWindowIsGone)
{
    for (const LossRow& row : kLossRows)
        EXPECT_EQ(gxgl::LosesTheWindow(row.code, row.resource, row.window, row.glxFirstError), row.loses) << row.name;
}

namespace {

struct NoWindowRow {
    const char* name;
    bool bDeadDisplay;    // DISPLAY names a display no server answers at; else unset
    const char* wayland;  // WAYLAND_DISPLAY, or none
    const char* driver;   // SDL_VIDEODRIVER, or none
    bool bHeadless;
    const char* log;  // what the start-up writes ("%s": the dead display), then its outcome
};

const NoWindowRow kNoWindowRows[] = {
    {"DISPLAY not set", false, nullptr, nullptr, false,
     "VI: no window can be made: DISPLAY is not set; --headless runs without one\nlost 0 refused 1 headless 0\n"},
    {"no server at DISPLAY", true, nullptr, nullptr, false,
     "VI: no window can be made: no display answers at DISPLAY=\"%s\"; --headless runs without one\n"
     "lost 0 refused 1 headless 0\n"},
    {"no server at WAYLAND_DISPLAY", false, "qm-no-such-wayland", nullptr, false,
     "VI: no window can be made: no display answers at WAYLAND_DISPLAY=\"qm-no-such-wayland\"; --headless runs "
     "without one\nlost 0 refused 1 headless 0\n"},
    {"x11 named, no server", true, nullptr, "x11", false,
     "VI: no window can be made: no display answers at DISPLAY=\"%s\" (x11 not available); --headless runs "
     "without one\nlost 0 refused 1 headless 0\n"},
    {"a driver without windows named", true, nullptr, "dummy", false,
     "VI: no window can be made: SDL_VIDEODRIVER=\"dummy\" makes none; --headless runs without one\n"
     "lost 0 refused 1 headless 0\n"},
    {"headless", false, nullptr, nullptr, true, "lost 0 refused 0 headless 1\n"},
    {"the offscreen driver named", true, nullptr, "offscreen", false, "lost 0 refused 0 headless 1\n"},
};

}  // namespace

// A start that wants a window where none can be made fails, says so in one
// line naming the display, and counts as a refused window, not a display
// lost (there never was one; the program still ends with the lost
// display's code), instead of running on without a window; a headless
// start, or the offscreen driver named, runs without one.
TEST(GlDeviceNoWindow, AStartThatWantsAWindowWhereNoneCanBeMadeIsRefused)
{
    if (GlDevice::Get().IsRunning())
        GTEST_SKIP() << "video runs already in this process: run the test alone";
    const std::string dead = DeadDisplay();
    ASSERT_FALSE(dead.empty());
    // Forked as it is: each child starts video afresh in the row's environment.
    GTEST_FLAG_SET(death_test_style, "fast");
    for (const NoWindowRow& row : kNoWindowRows) {
        SCOPED_TRACE(row.name);
        ScopedEnv display("DISPLAY", row.bDeadDisplay ? dead.c_str() : nullptr);
        ScopedEnv wayland("WAYLAND_DISPLAY", row.wayland);
        ScopedEnv driver("SDL_VIDEODRIVER", row.driver);
        char expected[512];
        std::snprintf(expected, sizeof expected, row.log, dead.c_str());
        EXPECT_EXIT(
            {
                alarm(30);
                GlDevice& device = GlDevice::Get();
                device.SetHeadless(row.bHeadless);
                // Without OpenGL a headless start fails too, but loses nothing.
                const bool bStarted = device.Start();
                std::fprintf(stderr, "lost %d refused %d headless %d\n", device.DisplayLost(), device.WindowRefused(),
                             device.IsHeadless());
                if (bStarted && device.DisplayLost())
                    std::fprintf(stderr, "started, yet lost\n");
                std::_Exit(0);
            },
            ::testing::ExitedWithCode(0), ::testing::EndsWith(expected));
    }
}
