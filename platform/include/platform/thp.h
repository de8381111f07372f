#pragma once
// The movie decoder library: one video component of a movie frame (a JPEG
// image whose scan is not byte-stuffed) into three 8-bit planes, and one
// audio track of a frame (4-bit ADPCM with its own coefficients and history
// per channel) into 16-bit stereo. Decoding is done by FFmpeg's movie
// decoders. The movie file itself is read by the program's player.
//
// Threads: one thread at a time (the player's, the main thread); the video
// decoder keeps state between calls.

#include <cstdint>

#include "platform/os.h"

constexpr uint32_t THP_WORK_AREA_SIZE = 4096;  // bytes the caller lends each video decode

// Width and height of a plane must be multiples of these: the planes are
// laid out as 8-bit intensity textures (8 x 4 texel tiles), and U and V have
// half the width and height of Y.
constexpr uint32_t THP_WIDTH_ALIGN = 16;
constexpr uint32_t THP_HEIGHT_ALIGN = 8;

#define THP_VIDEO_RESULT_LIST(X)                                          \
    X(THP_VIDEO_OK, 0, "decoded")                                         \
    X(THP_VIDEO_NOT_INITIALIZED, 1, "THPInit has not succeeded")          \
    X(THP_VIDEO_BAD_ARGUMENT, 2, "no data, no planes or a size not aligned") \
    X(THP_VIDEO_BAD_DATA, 3, "the image does not decode")                 \
    X(THP_VIDEO_WRONG_SIZE, 4, "the image is not the size asked for")
#define QM_THP_ENUM_ENTRY(name, value, note) name = value,
enum THPVideoResult : int32_t { THP_VIDEO_RESULT_LIST(QM_THP_ENUM_ENTRY) };
const char* THPVideoResultText(int value);

// Starts the decoders; idempotent. FALSE (reported) when FFmpeg lacks them.
BOOL THPInit();

// Decodes the size bytes at data, which must be an image of width x height,
// into Y (width x height bytes), U and V (width/2 x height/2 bytes each), in
// the graphics library's GX_TF_I8 layout. THP_VIDEO_OK, or another result
// with the planes left as they were.
int32_t THPVideoDecode(const void* data, uint32_t size, uint32_t width, uint32_t height, void* tileY,
                       void* tileU, void* tileV, void* work);

// Decodes one audio track of size bytes holding channels (1 or 2) channels
// into interleaved host-order stereo pairs (left, right; a mono track plays
// on both sides), at most maxSamples pairs. Returns the pairs written; 0
// (reported) when the track does not decode.
uint32_t THPAudioDecode(int16_t* dst, const void* data, uint32_t size, uint32_t channels, uint32_t maxSamples);
