#pragma once
// Writes an RGBA8 image (rows top to bottom) as a PNG file with libpng.
// Pure host code, any thread; no GL.

#include <cstdint>

namespace gxgl {

// Returns false (and logs the cause) when the file cannot be written or the
// image is empty. The alpha channel is dropped: a frame is opaque. A regular
// file (or a new one) is replaced only by a complete picture: a failed write
// leaves it as it was. It is written to a new file beside it and renamed
// over it; where no new file can be made there, the whole picture is encoded
// first and rewritten in place only once the file's room for it is made. A
// device or pipe is written in place and never removed.
bool WritePngRgb(const char* path, const uint8_t* rgba, int width, int height);

}  // namespace gxgl
