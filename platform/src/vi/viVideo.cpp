// The video interface: the mode, the frame buffer shown at each retrace, the
// retrace clock and the window's events. Presenting runs on the render
// thread, posted in order after the graphics commands issued before it.

#include "platform/vi.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <mutex>
#include <string>
#include <vector>

#include <SDL2/SDL.h>

#include "os/os_local.h"
#include "gx/gl/gxGlBackend.h"
#include "gx/gl/gxGlDevice.h"
#include "gx/gl/gxPngWriter.h"
#include "gx/gxFront_local.h"

#define QM_VI_TEXT_CASE(name, value, note) \
    case value: return #name;

const char* VITVModeText(int value)
{
    switch (value) {
        VI_TV_MODE_LIST(QM_VI_TEXT_CASE)
    default: return "???";
    }
}

const char* VIXFBModeText(int value)
{
    switch (value) {
        VI_XFB_MODE_LIST(QM_VI_TEXT_CASE)
    default: return "???";
    }
}

namespace {

// What the program set, what VIFlush committed, and what the last retrace
// made current.
struct ViRegisters {
    const GXRenderModeObj* mode = nullptr;
    void* frameBuffer = nullptr;
    bool black = true;  // the console starts blanked until VISetBlack(0)
};

struct ViState {
    bool init = false;
    bool headlessChoice = false;
    bool headlessDrawing = true;
    bool quit = false;
    ViRegisters set, flushed, current;
    uint32_t retraces = 0;
    uint64_t frameLimit = 0;       // shown frames allowed; 0: no limit
    uint64_t copiesAtLimit = 0;    // display copies when the limit was set
    OSTime epoch = 0;  // time of retrace 0
};

ViState s_vi;

// The signal that asked the program to end (SIGINT, SIGTERM, SIGHUP); 0
// while none has. Set by the handler, read by the game's loops through VIQuitRequested.
std::atomic<int> s_nQuitSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

// The first signal asks for the normal shutdown; a second one, while that
// is still under way, ends the program at once as the default action would.
extern "C" void OnQuitSignal(int sig)
{
    int expected = 0;
    if (!s_nQuitSignal.compare_exchange_strong(expected, sig)) {
        std::signal(sig, SIG_DFL);
        std::raise(sig);
    }
}


bool Interlaced(const GXRenderModeObj* mode)
{
    return !mode || mode->viTVmode != VI_TVMODE_NTSC_PROG;
}

void PumpWindowEvents()
{
    // A lost display's connection takes no more calls.
    if (gxgl::GlDevice::Get().IsHeadless() || VIDisplayLost())
        return;
    SDL_PumpEvents();
    // Only the quit and window events are taken; input events stay queued
    // for the controller layer.
    SDL_Event events[16];
    int n;
    while ((n = SDL_PeepEvents(events, 16, SDL_GETEVENT, SDL_QUIT, SDL_QUIT)) > 0) {
        s_vi.quit = true;
    }
    while ((n = SDL_PeepEvents(events, 16, SDL_GETEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT)) > 0) {
        for (int i = 0; i < n; ++i) {
            if (events[i].window.event == SDL_WINDOWEVENT_CLOSE)
                s_vi.quit = true;
        }
    }
}

}  // namespace

// SDL would turn these signals into quit events that a headless run never
// reads; the program takes them itself. SIGHUP (the terminal it runs in
// closed) asks to end as SIGTERM does: its default action would skip the
// shutdown. A signal the program was started with ignored stays ignored (a
// shell's background job is started with SIGINT ignored, so that the
// terminal's interrupt does not reach it).
void VIInstallQuitSignals()
{
    static bool s_bInstalled = false;
    if (s_bInstalled)
        return;
    s_bInstalled = true;
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    struct sigaction action = {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction started = {};
        if (sigaction(sig, nullptr, &started) == 0 && started.sa_handler == SIG_IGN)
            continue;
        sigaction(sig, &action, nullptr);
    }
    // A write past the file-size limit then fails (EFBIG) and is reported as
    // the write's failure (the frame, the sound, a save) instead of the
    // signal's default action ending the program without its shutdown.
    std::signal(SIGXFSZ, SIG_IGN);
}

void VISetHeadless(BOOL headless)
{
    s_vi.headlessChoice = headless != FALSE;
    gxgl::GlDevice::Get().SetHeadless(headless != FALSE);
}

BOOL VIIsHeadless()
{
    return gxgl::GlDevice::Get().IsHeadless() ? TRUE : FALSE;
}

void VISetHeadlessDrawing(BOOL draw)
{
    if (s_vi.init) {
        OSReport("VI: the headless drawing choice must be made before video starts\n");
        return;
    }
    s_vi.headlessDrawing = draw != FALSE;
}

void VIInit()
{
    if (s_vi.init)
        return;
    s_vi.init = true;
    VIInstallQuitSignals();
    s_vi.set = s_vi.flushed = s_vi.current = ViRegisters();
    s_vi.set.mode = s_vi.flushed.mode = s_vi.current.mode = &GXNtsc480IntDf;
    s_vi.retraces = 0;
    s_vi.epoch = OSGetTime();
    // Drawing is nearly all of a headless frame's work; without a reader of
    // the frames it changes nothing the run puts out.
    if (gxgl::GlDevice::Get().IsHeadless() && !s_vi.headlessDrawing) {
        OSReport("VI: headless with no frame to write: nothing is drawn\n");
        return;
    }
    if (gxgl::GlDevice::Get().Start())
        gxgl::GlBackend::Get().Attach();
}

void VIConfigure(const GXRenderModeObj* rm)
{
    if (!rm)
        return;
    s_vi.set.mode = rm;
}

void VIFlush()
{
    s_vi.flushed = s_vi.set;
}

void VISetNextFrameBuffer(void* fb)
{
    s_vi.set.frameBuffer = fb;
}

void VISetBlack(BOOL black)
{
    s_vi.set.black = black != FALSE;
}

void VIWaitForRetrace()
{
    VIWaitForRetraceAfter(OSGetTime());
}

OSTime VIWaitForRetraceAfter(OSTime after)
{
    const OSTime from = std::max(after, OSGetTime());
    const int64_t next = (from - s_vi.epoch) / VI_RETRACE_TICKS + 1;
    const OSTime due = s_vi.epoch + next * VI_RETRACE_TICKS;
    OSWaitUntil(due);
    ++s_vi.retraces;
    s_vi.current = s_vi.flushed;
    PumpWindowEvents();
    // The run ends with frame N of a limit of N: what the shut-down still
    // copies (a load finishing, say) is not shown, so the last frame shown
    // and captured is frame N however long the shut-down takes.
    if (s_vi.frameLimit != 0 && gxDisplayCopyCount() - s_vi.copiesAtLimit > s_vi.frameLimit)
        return due;
    const void* fb = s_vi.current.frameBuffer;
    const bool black = s_vi.current.black;
    const bool toWindow = !gxgl::GlDevice::Get().IsHeadless();
    gxgl::GlDevice::Get().Post([fb, black, toWindow] { gxgl::GlBackend::Get().Present(fb, black, toWindow); });
    return due;
}

uint32_t VIGetNextField()
{
    if (!Interlaced(s_vi.current.mode))
        return 0;
    // The field shown after retrace n alternates; the next one is the
    // opposite parity of the retrace count.
    return (s_vi.retraces + 1) & 1;
}

uint32_t VIGetDTVStatus()
{
    return 1;
}

uint32_t VIGetRetraceCount()
{
    return s_vi.retraces;
}

uint32_t VIGetTvFormat()
{
    return 0;
}

BOOL VIQuitRequested()
{
    const bool bLimit = s_vi.frameLimit != 0 && gxDisplayCopyCount() - s_vi.copiesAtLimit >= s_vi.frameLimit;
    return s_vi.quit || bLimit || s_nQuitSignal.load() != 0 || VIDisplayLost() ||
                   os::SystemMenuRequested()
               ? TRUE
               : FALSE;
}

BOOL VIDisplayLost()
{
    const gxgl::GlDevice& device = gxgl::GlDevice::Get();
    return device.DisplayLost() || device.WindowRefused() ? TRUE : FALSE;
}

void VISetDisplayLostExitCode(int code)
{
    gxgl::GlDevice::Get().SetLostExitCode(code);
}

void VIEndProcess(int code)
{
    gxgl::GlDevice::EndProcessNow(code);
}

int VIQuitSignal()
{
    return s_nQuitSignal.load();
}

namespace {

// The frame limit bounds the whole run across soft resets: the restarted
// program is handed what was left.
constexpr const char* kFramesLeftEnv = "QM_FRAMES_LEFT";

void HandOverFramesLeft()
{
    if (s_vi.frameLimit == 0)
        return;
    const uint64_t shown = gxDisplayCopyCount() - s_vi.copiesAtLimit;
    const uint64_t left = shown < s_vi.frameLimit ? s_vi.frameLimit - shown : 1;
    setenv(kFramesLeftEnv, std::to_string(left).c_str(), 1);
}

[[maybe_unused]] const bool s_bHandoverInstalled = (os::AddResetHandover(HandOverFramesLeft), true);

}  // namespace

void VISetFrameLimit(uint64_t frames)
{
    uint64_t left = 0;
    if (frames != 0 && os::TakeHandedOverCount(kFramesLeftEnv, &left) && left != 0 && left < frames) {
        OSReport("VI: %llu of the run's %llu frames are left after the soft reset\n",
                 static_cast<unsigned long long>(left), static_cast<unsigned long long>(frames));
        frames = left;
    }
    s_vi.frameLimit = frames;
    s_vi.copiesAtLimit = gxDisplayCopyCount();
}

BOOL VIWriteScreenshotPNG(const char* path)
{
    gxgl::GlDevice& device = gxgl::GlDevice::Get();
    if (!device.IsRunning()) {
        OSReport("VI: no frame to write: video is not running\n");
        return FALSE;
    }
    std::vector<uint8_t> rgba;
    int w = 0, h = 0;
    device.RunSync([&] { gxgl::GlBackend::Get().ReadPresented(&rgba, &w, &h); });
    return gxgl::WritePngRgb(path, rgba.data(), w, h) ? TRUE : FALSE;
}
