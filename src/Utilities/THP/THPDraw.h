#pragma once
// Drawing a decoded movie picture: the Y, U and V planes as three 8-bit
// intensity textures, combined into RGB by four texture-combiner stages on
// one screen quad. Main thread; the state the drawing changed is put back
// by THPGXRestore.

#include <cstdint>

#include "platform/gx.h"

// Orthographic screen of the mode's frame buffer, no depth, no blending,
// one texture coordinate, the four combiner stages and their constants.
void THPGXYuv2RgbSetup(const GXRenderModeObj* rmode);
// Draws the planes (textureW x textureH texels of Y) as the quad from
// (x, y) to (x + polygonW, y + polygonH).
void THPGXYuv2RgbDraw(const uint8_t* yImage, const uint8_t* uImage, const uint8_t* vImage, int16_t x, int16_t y,
                      int16_t textureW, int16_t textureH, int16_t polygonW, int16_t polygonH);
// Back to one combiner stage passing the vertex colour, depth on, the swap
// table and konst choices the engine expects.
void THPGXRestore();
