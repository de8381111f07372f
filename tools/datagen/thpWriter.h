#pragma once
// Movies in the console's THP format for tests and the sample game: frames
// as baseline JPEG images (4:2:0, scan not byte-stuffed) made with libjpeg,
// audio as 4-bit DSP-ADPCM blocks with each channel's coefficients and
// history. Offline tools and test fixtures; main thread.

#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

// What a movie holds. Every frame is width x height RGB (3 bytes a pixel,
// rows from the top); width must be a multiple of 16 and height of 8.
struct ThpMovie {
    uint32_t width = 0;
    uint32_t height = 0;
    float fFrameRate = 29.97f;
    int nJpegQuality = 90;
    std::vector<std::vector<uint8_t>> framesRgb;
    // Audio: none when audioChannels is 0. Each track is the whole movie's
    // samples, interleaved by channel; frame k carries the samples from
    // k x rate / fps to (k + 1) x rate / fps (rounded down).
    uint32_t audioChannels = 0;  // 1 or 2
    uint32_t audioFrequency = 32000;
    std::vector<std::vector<int16_t>> audioTracks;
};

// One frame's image; empty (logged) when libjpeg fails or the size is not
// aligned.
std::vector<uint8_t> EncodeThpImage(const std::vector<uint8_t>& rgb, uint32_t width, uint32_t height, int quality);
// Removes the stuffing zero after every 0xFF in a baseline JPEG's scan.
std::vector<uint8_t> UnstuffJpegScan(const std::vector<uint8_t>& jpeg);
// One audio track of one frame: n samples of each channel, interleaved.
std::vector<uint8_t> EncodeThpAudioBlock(const int16_t* interleaved, uint32_t n, uint32_t channels);

// The whole file (version 1.1); empty (logged) when a frame does not encode
// or the description is inconsistent.
std::vector<uint8_t> MakeThpFile(const ThpMovie& movie);
bool WriteThpFile(const std::string& path, const ThpMovie& movie);

}  // namespace datagen
