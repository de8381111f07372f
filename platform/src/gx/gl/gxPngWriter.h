#pragma once
// Writes an RGBA8 image (rows top to bottom) as a PNG file with libpng.
// Pure host code, any thread; no GL.

#include <cstdint>

namespace gxgl {

// Returns false (and logs the cause) when the file cannot be written or the
// image is empty. The alpha channel is dropped: a frame is opaque.
bool WritePngRgb(const char* path, const uint8_t* rgba, int width, int height);

}  // namespace gxgl
