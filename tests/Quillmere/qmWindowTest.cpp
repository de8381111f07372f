// The program in a window on a virtual X server (Xvfb, software OpenGL): how
// it ends when its window goes away under it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <string>
#include <thread>

#include "datagen/datagen.h"
#include "qmChild.h"
#include "qmXCut.h"
#include "tempDir.h"
#include "xvfbServer.h"

namespace {

using Clock = std::chrono::steady_clock;

// The top-level window of that name, or 0.
Window FindWindow(Display* pDisplay, const char* sName)
{
    Window root = 0, parent = 0, found = 0;
    Window* pChildren = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(pDisplay, DefaultRootWindow(pDisplay), &root, &parent, &pChildren, &n))
        return 0;
    for (unsigned int i = 0; i < n && found == 0; ++i) {
        char* sWindowName = nullptr;
        if (XFetchName(pDisplay, pChildren[i], &sWindowName) && sWindowName) {
            if (std::strcmp(sWindowName, sName) == 0)
                found = pChildren[i];
            XFree(sWindowName);
        }
    }
    if (pChildren)
        XFree(pChildren);
    return found;
}

// Another client destroys the program's window (as xdotool windowclose
// does); the time it did, or none when there was no window to destroy.
bool DestroyTheWindow(const std::string& display, Clock::time_point* pWhen)
{
    Display* pDisplay = XOpenDisplay(display.c_str());
    if (!pDisplay)
        return false;
    Window window = 0;
    for (int i = 0; i < 100 && window == 0; ++i) {
        window = FindWindow(pDisplay, "Quillmere");
        if (window == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (window != 0) {
        std::this_thread::sleep_for(std::chrono::seconds(2));  // into the main menu
        XDestroyWindow(pDisplay, window);
        XSync(pDisplay, False);
        *pWhen = Clock::now();
    }
    XCloseDisplay(pDisplay);
    return window != 0;
}

// Another client that destroys the program's window the moment it exists
// (looked for every 2 ms, its name set as soon as it is made), from Start
// to Stop; Stop tells how many it destroyed. A window that goes between the
// look and the destruction is an error of this client's, and ignored. Its
// connection stays open across runs: the server resets when its last
// client leaves, and refuses clients meanwhile.
class WindowDestroyer {
public:
    explicit WindowDestroyer(const std::string& display)
        : m_pDisplay(XOpenDisplay(display.c_str())),
          m_previous(XSetErrorHandler([](Display*, XErrorEvent*) { return 0; }))
    {
    }
    ~WindowDestroyer()
    {
        Stop();
        if (m_pDisplay)
            XCloseDisplay(m_pDisplay);
        XSetErrorHandler(m_previous);
    }
    bool Start()
    {
        if (!m_pDisplay || m_thread.joinable())
            return false;
        m_bStop = false;
        m_nDestroyed = 0;
        m_thread = std::thread([this] { Loop(); });
        return true;
    }
    int Stop()
    {
        m_bStop = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_nDestroyed;
    }

private:
    void Loop()
    {
        while (!m_bStop) {
            if (const Window window = FindWindow(m_pDisplay, "Quillmere")) {
                XDestroyWindow(m_pDisplay, window);
                XSync(m_pDisplay, False);
                ++m_nDestroyed;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    Display* m_pDisplay;
    XErrorHandler m_previous;
    std::thread m_thread;
    std::atomic<bool> m_bStop{false};
    int m_nDestroyed = 0;
};

}  // namespace

// A window destroyed as it appears, while it is being made or before the
// context is made on it or just after, is a lost display as later on: exit
// 4, never a crash (SDL read a destroyed window's attributes) nor Xlib's
// own exit 1 on an error about it (GLX's codes included). Each run hits
// the start-up at another point.
TEST(qmWindowTest, AWindowDestroyedAsItAppearsEndsTheProgramAsALostDisplay)
{
    if (!XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    Xvfb server;
    ASSERT_TRUE(server.Start()) << "Xvfb did not start";
    TempDir tmp{"qm_window_early"};
    ASSERT_TRUE(tmp.Valid());
    ASSERT_TRUE(datagen::WriteSampleGame(tmp.Path()));
    ScopedEnv display("DISPLAY", server.Name().c_str());
    ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
    ScopedEnv driver("SDL_VIDEODRIVER", nullptr);

    WindowDestroyer destroyer(server.Name());
    for (int run = 0; run < 5; ++run) {
        SCOPED_TRACE(run);
        ASSERT_TRUE(destroyer.Start());
        const qmtest::ChildResult r =
            qmtest::RunChild({QM_QUILLMERE, "--data", tmp.Path(), "--frames", "100000"}, 60.0);
        EXPECT_GE(destroyer.Stop(), 1) << r.log;
        EXPECT_FALSE(r.bTimedOut) << r.log;
        EXPECT_EQ(r.nExit, 4) << r.log;
        EXPECT_NE(r.log.find("VI: the display was lost"), std::string::npos) << r.log;
        EXPECT_EQ(r.log.find("X Error"), std::string::npos) << r.log;
        EXPECT_LT(r.seconds, 10.0 * qmtest::kBoundScale) << r.log;
    }
}

// A window destroyed by another client leaves the program no display: it
// ends through its shutdown with the lost display's code, within 5 s.
TEST(qmWindowTest, AWindowDestroyedByAnotherClientEndsTheProgramAsALostDisplay)
{
    if (!XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    Xvfb server;
    ASSERT_TRUE(server.Start()) << "Xvfb did not start";
    TempDir tmp{"qm_window"};
    ASSERT_TRUE(tmp.Valid());
    ASSERT_TRUE(datagen::WriteSampleGame(tmp.Path()));
    ScopedEnv display("DISPLAY", server.Name().c_str());
    ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
    ScopedEnv driver("SDL_VIDEODRIVER", nullptr);

    bool bDestroyed = false;
    Clock::time_point destroyed;
    const qmtest::ChildResult r = qmtest::RunChild(
        {QM_QUILLMERE, "--data", tmp.Path(), "--frames", "100000"}, 60.0,
        {{"quillmere: start game configuration",
          [&](int) { bDestroyed = DestroyTheWindow(server.Name(), &destroyed); }}});
    const double seconds = std::chrono::duration<double>(Clock::now() - destroyed).count();

    ASSERT_TRUE(bDestroyed) << r.log;
    EXPECT_FALSE(r.bTimedOut) << r.log;
    EXPECT_EQ(r.nExit, 4) << r.log;
    EXPECT_NE(r.log.find("VI: the window was destroyed"), std::string::npos) << r.log;
    EXPECT_NE(r.log.find("quillmere: stop video"), std::string::npos) << r.log;
    // The shutdown ended it, not the lost display's last resort.
    EXPECT_EQ(r.log.find("did not end within"), std::string::npos) << r.log;
    EXPECT_LT(seconds, 5.0 * qmtest::kBoundScale) << r.log;
}

namespace {

struct NoWindowRow {
    const char* name;
    bool bDisplay;       // DISPLAY names a display no server answers at; else unset
    const char* driver;  // SDL_VIDEODRIVER, or none
    bool bHeadless;
    int nExit;
    const char* message;  // in the log; none for a run that plays
};

const NoWindowRow kNoWindowRows[] = {
    {"no server at DISPLAY", true, nullptr, false, 4, "VI: no window can be made: no display answers at DISPLAY=\":9"},
    {"DISPLAY not set", false, nullptr, false, 4, "VI: no window can be made: DISPLAY is not set;"},
    {"headless, DISPLAY not set", false, nullptr, true, 0, nullptr},
    {"the offscreen driver named", false, "offscreen", false, 0, nullptr},
};

}  // namespace

// A run that wants a window where none can be made says so in one line,
// naming the display and --headless, and ends at once through its shutdown
// with the lost display's code instead of playing on unseen; a headless
// run, or one that names the offscreen driver, plays there as ever. (The
// platform's tests hold the other ways to have no window.)
TEST(qmWindowTest, ARunThatWantsAWindowWhereNoneCanBeMadeEnds)
{
    TempDir tmp{"qm_window_none"};
    ASSERT_TRUE(tmp.Valid());
    ASSERT_TRUE(datagen::WriteSampleGame(tmp.Path()));
    const std::string dead = DeadDisplay();
    ASSERT_FALSE(dead.empty());
    ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
    for (const NoWindowRow& row : kNoWindowRows) {
        SCOPED_TRACE(row.name);
        ScopedEnv display("DISPLAY", row.bDisplay ? dead.c_str() : nullptr);
        ScopedEnv driver("SDL_VIDEODRIVER", row.driver);
        std::vector<std::string> args = {QM_QUILLMERE, "--data", tmp.Path(), "--frames", "30"};
        if (row.bHeadless)
            args.push_back("--headless");
        const qmtest::ChildResult r = qmtest::RunChild(args, 30.0);
        EXPECT_FALSE(r.bTimedOut) << r.log;
        EXPECT_EQ(r.nExit, row.nExit) << r.log;
        const size_t at = r.log.find("VI: no window can be made");
        if (row.message) {
            EXPECT_NE(r.log.find(row.message), std::string::npos) << r.log;
            EXPECT_NE(r.log.find("; --headless runs without one\n", at), std::string::npos) << r.log;
            EXPECT_NE(r.log.find("quillmere: stop video"), std::string::npos) << r.log;  // through the shutdown
        } else {
            EXPECT_EQ(at, std::string::npos) << r.log;
        }
    }
}

// A display that takes the connection and never answers holds the start no
// longer than the wait for its answer: the run ends as where no display
// answers, naming it, instead of waiting in Xlib for good; a quit signal
// during that wait ends the run with the signal's code.
TEST(qmWindowTest, ADisplayThatNeverAnswersEndsTheRun)
{
    TempDir tmp{"qm_window_silent"};
    ASSERT_TRUE(tmp.Valid());
    ASSERT_TRUE(datagen::WriteSampleGame(tmp.Path()));
    SilentDisplay silent;
    ASSERT_TRUE(silent.Start());
    ScopedEnv display("DISPLAY", silent.Name().c_str());
    ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
    ScopedEnv driver("SDL_VIDEODRIVER", nullptr);
    const std::vector<std::string> args = {QM_QUILLMERE, "--data", tmp.Path(), "--frames", "30"};

    const qmtest::ChildResult r = qmtest::RunChild(args, 30.0);
    EXPECT_FALSE(r.bTimedOut) << r.log;
    EXPECT_EQ(r.nExit, 4) << r.log;
    EXPECT_NE(r.log.find("VI: no window can be made: no display answers at DISPLAY=\"" + silent.Name() +
                         "\" (it took the connection but did not answer within 3 s)"),
              std::string::npos)
        << r.log;
    EXPECT_NE(r.log.find("quillmere: stop video"), std::string::npos) << r.log;

    const qmtest::ChildResult term =
        qmtest::RunChild(args, 30.0, {{"quillmere: start video", [](int pid) { kill(pid, SIGTERM); }}});
    EXPECT_FALSE(term.bTimedOut) << term.log;
    EXPECT_EQ(term.nExit, 128 + SIGTERM) << term.log;
    EXPECT_NE(term.log.find("quillmere: ended by signal 15"), std::string::npos) << term.log;
    EXPECT_EQ(term.log.find("no window can be made"), std::string::npos) << term.log;
}

// The X server gone at any point of the start-up, from before the display
// is opened to the context made on the window, is a lost display: exit 4
// (within the grace period), never Xlib's exit 1, a crash, or a run on
// without a window. Each row breaks the connection after that many bytes
// from the server (here the start-up takes about 400 KB: 10 KB the
// connection's set-up, then SDL's, the GL library's and the window's).
TEST(qmWindowTest, TheXServerGoneDuringTheStartUpIsALostDisplay)
{
    if (!XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    Xvfb server;
    ASSERT_TRUE(server.Start()) << "Xvfb did not start";
    // The server resets when its last client leaves, and refuses clients
    // meanwhile: one stays connected across the rows.
    Display* pStay = XOpenDisplay(server.Name().c_str());
    ASSERT_NE(pStay, nullptr);
    TempDir tmp{"qm_window_cut"};
    ASSERT_TRUE(tmp.Valid());
    ASSERT_TRUE(datagen::WriteSampleGame(tmp.Path()));
    ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
    ScopedEnv driver("SDL_VIDEODRIVER", nullptr);
    for (const size_t bytes : {size_t{1}, size_t{9000}, size_t{12000}, size_t{20000}, size_t{38000}, size_t{200000}}) {
        SCOPED_TRACE(bytes);
        XCut cut(server.Name(), bytes);
        ASSERT_TRUE(cut.Start());
        ScopedEnv display("DISPLAY", cut.Name().c_str());
        const qmtest::ChildResult r =
            qmtest::RunChild({QM_QUILLMERE, "--data", tmp.Path(), "--frames", "100000"}, 30.0);
        EXPECT_TRUE(cut.Cut());
        EXPECT_FALSE(r.bTimedOut) << r.log;
        EXPECT_EQ(r.nExit, 4) << r.log;
        const bool bSaid = r.log.find("VI: the display was lost") != std::string::npos ||
                           r.log.find("VI: no window can be made") != std::string::npos;
        EXPECT_TRUE(bSaid) << r.log;
        EXPECT_LT(r.seconds, 5.0 * qmtest::kBoundScale) << r.log;
    }
    XCloseDisplay(pStay);
}

// A preloaded library would come before a sanitizer's runtime: these rows
// run only in a build without one.
#if !QM_TEST_SANITIZED
namespace {

struct GlLoadRow {
    const char* how;  // QM_GL_FAULT for the preloaded library
    int nExit;
    const char* message;  // in the log
};

// The X server gone as SDL loads the GL library, or as the render thread
// makes its context: the connection found broken through Xlib, or the GL
// library faulting on it; a fault with the server still there is no lost
// display.
const GlLoadRow kGlLoadRows[] = {
    {"broken", 4, "VI: the display was lost"},
    {"broken-fault", 4, "VI: the display was lost"},
    {"fault", 128 + SIGSEGV, "quillmere: start video"},
    {"context-broken", 4, "VI: the display was lost"},
    {"context-broken-fault", 4, "VI: the display was lost"},
    {"context-fault", 128 + SIGSEGV, "quillmere: start video"},
};

}  // namespace

// A lost display, not a crash, and the program ends through its normal
// shutdown (not the lost display's last resort).
TEST(qmWindowTest, TheXServerGoneAsTheGlLibraryStartsIsALostDisplay)
{
    if (!XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    Xvfb server;
    ASSERT_TRUE(server.Start()) << "Xvfb did not start";
    Display* pStay = XOpenDisplay(server.Name().c_str());  // the server resets when its last client leaves
    ASSERT_NE(pStay, nullptr);
    TempDir tmp{"qm_window_gl"};
    ASSERT_TRUE(tmp.Valid());
    ASSERT_TRUE(datagen::WriteSampleGame(tmp.Path()));
    ScopedEnv display("DISPLAY", server.Name().c_str());
    ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
    ScopedEnv driver("SDL_VIDEODRIVER", nullptr);
    ScopedEnv preload("LD_PRELOAD", QM_GL_FAULT_SHIM);
    for (const GlLoadRow& row : kGlLoadRows) {
        SCOPED_TRACE(row.how);
        ScopedEnv how("QM_GL_FAULT", row.how);
        const qmtest::ChildResult r =
            qmtest::RunChild({QM_QUILLMERE, "--data", tmp.Path(), "--frames", "100000"}, 30.0);
        EXPECT_FALSE(r.bTimedOut) << r.log;
        EXPECT_EQ(r.nExit, row.nExit) << r.log;
        EXPECT_NE(r.log.find(row.message), std::string::npos) << r.log;
        if (row.nExit == 4) {
            EXPECT_NE(r.log.find("quillmere: stop video"), std::string::npos) << r.log;
            EXPECT_EQ(r.log.find("did not end within"), std::string::npos) << r.log;
            EXPECT_LT(r.seconds, 5.0 * qmtest::kBoundScale) << r.log;
        }
    }
    XCloseDisplay(pStay);
}
#endif  // !QM_TEST_SANITIZED
