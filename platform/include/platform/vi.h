#pragma once
// The video interface: the video mode, the external frame buffer shown at
// each vertical retrace (59.94 Hz), blanking, and the window it is shown in.
// Here the picture goes to a 640x480 window (resizable, aspect kept) or,
// headless, to SDL's offscreen driver; the last presented frame can be
// written as PNG.
//
// Threads: the main OS thread calls these. VIWaitForRetrace gives up the CPU
// until the next retrace, on the OS clock (virtual in headless runs).

#include <cstdint>

#include "platform/gx.h"
#include "platform/os.h"

// TV modes (GXRenderModeObj::viTVmode) and external-frame-buffer modes.
#define VI_TV_MODE_LIST(X)                                     \
    X(VI_TVMODE_NTSC_INT, 0, "NTSC 480 lines, interlaced")     \
    X(VI_TVMODE_NTSC_DS, 1, "NTSC 240 lines, double strike")   \
    X(VI_TVMODE_NTSC_PROG, 2, "NTSC 480 lines, progressive")
enum VITVMode { VI_TV_MODE_LIST(QM_GX_ENUM_ENTRY) };
const char* VITVModeText(int value);

#define VI_XFB_MODE_LIST(X)                                            \
    X(VI_XFBMODE_SF, 0, "single field: one field a buffer")            \
    X(VI_XFBMODE_DF, 1, "double field: one 480-line buffer, both fields")
enum VIXFBMode { VI_XFB_MODE_LIST(QM_GX_ENUM_ENTRY) };
const char* VIXFBModeText(int value);

constexpr uint32_t VI_FIELD_ABOVE = 1;  // VIGetNextField: the odd (upper) field
constexpr uint32_t VI_FIELD_BELOW = 0;

// Retrace period in OS ticks: 1001/60000 s (59.94 Hz) = 675,675 ticks.
constexpr int64_t VI_RETRACE_TICKS = 675675;

// Opens video: the window (or the offscreen driver) and the render thread,
// which then replays the graphics commands. Idempotent. Without OpenGL 3.3
// it logs the cause and the layer draws nothing.
void VIInit();
// Takes the mode; it becomes visible at the next VIFlush. Null is ignored.
void VIConfigure(const GXRenderModeObj* rm);
// Makes the calls since the last flush (frame buffer, black, mode) take
// effect at the next retrace.
void VIFlush();
// Waits for the next vertical retrace, then shows the current frame buffer
// (black while blanked).
void VIWaitForRetrace();
void VISetNextFrameBuffer(void* fb);
void VISetBlack(BOOL black);
// The field shown at the next retrace: interlaced modes alternate 0 and 1,
// progressive ones stay 0.
uint32_t VIGetNextField();
// Non-zero: a cable that can carry progressive video is present (always here).
uint32_t VIGetDTVStatus();
uint32_t VIGetRetraceCount();  // retraces since VIInit
uint32_t VIGetTvFormat();      // 0 NTSC

// ---- platform only --------------------------------------------------------------
// Waits for the first retrace due later than both `after` and now, then does
// what VIWaitForRetrace does; returns when that retrace was due (the wait may
// end later). A frame hold that counts from the returned time stays in step
// with the retraces however late the host wakes the waiting thread.
OSTime VIWaitForRetraceAfter(OSTime after);
// Takes over SIGINT, SIGTERM and SIGHUP (those not started ignored): from
// then on each asks the program to end (VIQuitRequested, VIQuitSignal), and a
// second one while it ends ends it at once. The program calls it first of
// all; VIInit calls it too.
void VIInstallQuitSignals();
// Chooses headless (no window, SDL's offscreen driver) before VIInit; a
// missing display chooses it too.
void VISetHeadless(BOOL headless);
BOOL VIIsHeadless();
// Chooses, before VIInit, whether a headless run draws its frames (it does
// unless told otherwise). A run that writes no frame has no use for them:
// the graphics front end still decodes and counts everything, but no render
// thread starts and nothing is replayed, so VIWriteScreenshotPNG has no
// frame to write. A window always draws.
void VISetHeadlessDrawing(BOOL draw);
// True once the window was asked to close (its close button), the frame limit
// was reached, SIGINT/SIGTERM/SIGHUP arrived (see VIInstallQuitSignals), the display
// was lost or a reset asked for the system menu (OSResetSystem); the
// program's loops should then end. Events other than the window's stay
// queued for input.
BOOL VIQuitRequested();
// The signal that asked the program to end; 0 when none did.
int VIQuitSignal();
// TRUE once the window's display was lost (the window destroyed by another
// client, or its X connection broken: the window killed, the X server gone). The layer then draws and shows nothing
// and waits for nothing it would have drawn; the program should end through
// its shutdown. One that has not ended 4 s after the loss is ended with the
// exit code set here (1 until set). TRUE as well when no window could be
// made for a run that wants one (no display was ever there: nothing waits).
BOOL VIDisplayLost();
void VISetDisplayLostExitCode(int code);
// Ends the process at once with that code once the C streams are flushed:
// no exit handlers and no destructors run. For the end of a run whose
// display was lost, after its shutdown.
[[noreturn]] void VIEndProcess(int code);
// Ends the run after that many more shown frames (display copies): from then
// on VIQuitRequested is true. 0 removes the limit. The limit bounds the whole
// run across soft resets: a restarted program gets what was left.
void VISetFrameLimit(uint64_t frames);
// Writes the last presented frame (640x480) as a PNG file. Waits for the
// render thread. FALSE (logged) when video is not running or the file cannot
// be written.
BOOL VIWriteScreenshotPNG(const char* path);
