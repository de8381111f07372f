#pragma once
// Test interface of the graphics layer: start headless video once per test
// process, read back the embedded frame buffer and the last presented frame,
// and inspect what the backend replayed (draw and vertex counts, the last
// draw's state). Main thread; every read waits for the render thread first.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gx.h"

struct gxState;

// Starts video with SDL's offscreen driver (VISetHeadless, VIInit) unless it
// runs already. False when no OpenGL 3.3 context could be made.
bool GXTestStartHeadless();

// Stops (false) or resumes (true) handing the draws to the backend. Drawing
// is nearly all of a frame's work: a test that reads no pixels can leave it
// out, as a headless run without a frame to write does.
void GXTestSetDrawing(bool on);

// Reads a rectangle of the embedded frame buffer (x, y from the top-left)
// as RGBA8, rows from the top. False when video is not running.
bool GXTestReadEfb(int x, int y, int w, int h, std::vector<uint8_t>* rgba);
// One pixel of the embedded frame buffer (black when video is not running).
GXColor GXTestEfbPixel(int x, int y);
// The last presented frame (640x480 RGBA8, rows from the top).
bool GXTestReadPresented(std::vector<uint8_t>* rgba, int* width, int* height);
// Presented frames composed so far: without a window a retrace only notes
// its frame, composed when read.
uint64_t GXTestComposedFrames();
// Clears the whole embedded frame buffer's colour and depth (24-bit).
void GXTestClearEfb(GXColor color, uint32_t depth24);

struct GXTestDrawStats {
    uint64_t draws = 0;     // draw commands replayed
    uint64_t vertices = 0;  // vertices in them
};
GXTestDrawStats GXTestGetDrawStats();
void GXTestResetDrawStats();

struct GXTestLastDraw {
    std::shared_ptr<const gxState> state;  // null before the first draw
    GXPrimitive primitive = GX_TRIANGLES;
    uint32_t attrMask = 0;  // bit n: GXAttr n was in the vertices
    uint32_t vertexCount = 0;
};
GXTestLastDraw GXTestGetLastDraw();

// Draw with the generic combiner program instead of the programs
// specialised per configuration (both must give the same pixels).
void GXTestForceGenericProgram(bool on);
// Combiner configurations whose specialised program did not build (they
// are drawn by the generic one instead).
size_t GXTestFailedPrograms();

// Decoded textures and texture copies held by the backend's cache.
size_t GXTestTextureCacheSize();
