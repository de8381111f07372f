#pragma once
// A screen rectangle in pixels, origin at the top left of the 640 x 480
// screen. Plain value; cameras, sprites and the video device copy it.

#include <cstdint>

struct eViewport {
    int32_t nX;
    int32_t nY;
    int32_t nWidth;
    int32_t nHeight;
};
