#pragma once
// Internals of the movie decoder library.

#include <cstdint>

namespace thp {

// Copies a width x height plane (rows stride bytes apart) into the 8 x 4
// texel tiles of an 8-bit intensity texture. Pure.
void TileI8(const uint8_t* src, int stride, uint32_t width, uint32_t height, uint8_t* dst);

}  // namespace thp
