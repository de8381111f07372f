#pragma once
// Text without data files: the start-up notice and the disc-error messages,
// drawn with the operating system's boot-ROM font as textured quads in the
// sprites' screen space, each line centred on x = 0. A static class; the
// font lives at the low end of the arena from Initialize (video start-up) to
// program end. Main thread.

#include <cstdint>

#include "platform/gx.h"

struct OSFontHeader;

class eROMFont {
public:
    static constexpr int kPrintBufferSize = 1024;  // longer formatted texts are cut
    static constexpr int kSubPixel = 16;           // positions and sizes in sixteenths of a pixel

    // Reserves the font's memory from the arena and has the OS rasterise it
    // there. False (logged) when the arena is too small or the font fails.
    // A second call keeps the font it has.
    static bool Initialize();
    static void Uninitalize();  // nothing to release

    // Formats (bounded, cut at kPrintBufferSize - 1 characters) and draws the
    // lines one under the other, each centred on x = 0, the block centred on
    // y = 0.
    static void Print(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
    // Draws the text's lines from (x, y, z) in pixels; returns the last line's
    // width in whole pixels, rounded up.
    static int PrintString(int x, int y, int z, const char* text);
    // Loads a sheet as the texture of a map (with the texel-to-0..1 matrix),
    // unless it is the sheet last loaded.
    static void LoadSheet(void* image, GXTexMapID map);
    // One glyph quad at (x, y, z) in sixteenths of a pixel from the cell at
    // texel (s, t) of the loaded sheet.
    static void DrawFontChar(int x, int y, int z, int s, int t);
    static int GetStringWidth(const char* text);   // pixels of the widest line
    static int GetStringHeight(const char* text);  // lines x cell width
    // Both in pixels, kept in sixteenths.
    static void SetFontSize(int size, int space);
    static void GetFontSize(int* pSize, int* pSpace);

    static OSFontHeader* s_pFontData;  // null until Initialize succeeds
    static int16_t s_nFontSize;        // glyph cell drawn, sixteenths of a pixel
    static int16_t s_nFontSpace;       // sixteenths of a pixel
    static void* s_pLastSheet;         // the sheet loaded last, to skip reloading
    static uint32_t s_nSheetLoads;     // sheets loaded so far (diagnostic)
};
