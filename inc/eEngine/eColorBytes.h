#pragma once
// Colour conversions shared by materials and lights. A float component
// becomes a byte by truncating 255 x the component, after clamping it to
// [0, 1]: a component below zero (a flicker drop) or above one (an intensity
// boost) saturates instead of wrapping round into a flash. Colour words are
// 0xAARRGGBB. Plain functions; any thread.

#include <cstdint>

inline uint8_t eColorByte(float c)
{
    if (!(c > 0.0f))  // also NaN
        return 0;
    if (c >= 1.0f)
        return 255;
    return static_cast<uint8_t>(c * 255.0f);
}

// Byte channels multiplied as the hardware's register maths does: a x b / 255.
inline uint32_t eMulColorChannel(uint32_t a, uint32_t b)
{
    return (a & 0xFFu) * (b & 0xFFu) / 255u;
}

inline uint32_t eColorChannel(uint32_t argb, int shift)
{
    return (argb >> shift) & 0xFFu;
}

inline uint32_t ePackColor(uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    return (a & 0xFFu) << 24 | (r & 0xFFu) << 16 | (g & 0xFFu) << 8 | (b & 0xFFu);
}
