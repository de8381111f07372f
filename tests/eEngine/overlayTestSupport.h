#pragma once
// Shared pieces of the overlay drawing tests: the presented frame read back
// with pixel probes, and PNG copies of it for a person to look at, written
// to $QM_OVERLAY_PNG_DIR or else the working directory (the build tree when
// run by CTest).

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/vi.h"
#include "../test/gx_test.h"

struct PresentedFrame {
    std::vector<uint8_t> rgba;
    int width = 0;
    int height = 0;

    // Shows the frame the last flip copied (it goes out at the next
    // retrace) and reads it.
    bool Read()
    {
        VIWaitForRetrace();
        return GXTestReadPresented(&rgba, &width, &height) && width == 640 && height == 480;
    }
    // Channel 0-2 of the pixel (x, y from the top left).
    int At(int x, int y, int channel) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + channel]; }
    int Luma(int x, int y) const { return (At(x, y, 0) + At(x, y, 1) + At(x, y, 2)) / 3; }
};

inline std::string OverlayPngPath(const char* name)
{
    const char* dir = std::getenv("QM_OVERLAY_PNG_DIR");
    return std::string(dir && *dir ? dir : ".") + "/" + name;
}

inline bool SaveOverlayPng(const char* name)
{
    return VIWriteScreenshotPNG(OverlayPngPath(name).c_str()) != 0;
}
