// Writes THP movies: JPEG frames from libjpeg with their scans unstuffed,
// DSP-ADPCM audio blocks from the sound encoder, and the header, component
// table and chained frames around them.

#include "datagen/thpWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

#include "platform/ps.h"
#include "cCore/cLog.h"
#include "datagen/blockWriter.h"
#include "datagen/soundWriters.h"

namespace datagen {
namespace {

constexpr uint32_t kVersion = 0x00011000;
constexpr uint32_t kHeaderSize = 0x30;
constexpr uint32_t kFrameAlign = 32;  // frames are read from disc in 32-byte units
constexpr uint8_t kComponentVideo = 0;
constexpr uint8_t kComponentAudio = 1;
constexpr uint8_t kComponentNone = 0xFF;
constexpr uint32_t kMaxComponents = 16;

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    uint8_t b[4];
    ps::StoreU32BE(b, v);
    out.insert(out.end(), b, b + 4);
}

void PadTo(std::vector<uint8_t>& out, size_t align)
{
    out.resize((out.size() + align - 1) / align * align, 0);
}

// Samples of one frame for frame index k.
uint32_t FrameSampleStart(const ThpMovie& movie, size_t k)
{
    return static_cast<uint32_t>(static_cast<double>(k) * movie.audioFrequency / movie.fFrameRate);
}

std::vector<uint8_t> FrameAudio(const ThpMovie& movie, size_t k, uint32_t* pTrackSize, uint32_t* pSamples)
{
    const uint32_t start = FrameSampleStart(movie, k);
    const uint32_t end = FrameSampleStart(movie, k + 1);
    std::vector<uint8_t> component;
    *pTrackSize = 0;
    *pSamples = end - start;
    for (const std::vector<int16_t>& track : movie.audioTracks) {
        std::vector<int16_t> chunk(static_cast<size_t>(end - start) * movie.audioChannels, 0);
        for (size_t i = 0; i < chunk.size(); ++i) {
            const size_t at = static_cast<size_t>(start) * movie.audioChannels + i;
            chunk[i] = at < track.size() ? track[at] : 0;
        }
        std::vector<uint8_t> block = EncodeThpAudioBlock(chunk.data(), end - start, movie.audioChannels);
        PadTo(block, 4);
        *pTrackSize = static_cast<uint32_t>(block.size());
        component.insert(component.end(), block.begin(), block.end());
    }
    return component;
}

}  // namespace

std::vector<uint8_t> EncodeThpImage(const std::vector<uint8_t>& rgb, uint32_t width, uint32_t height, int quality)
{
    if (width == 0 || height == 0 || width % 16 != 0 || height % 8 != 0 ||
        rgb.size() != static_cast<size_t>(width) * height * 3) {
        cLogError_("EncodeThpImage: %ux%u frame of %zu bytes cannot be a movie frame", width, height, rgb.size());
        return {};
    }
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* mem = nullptr;
    unsigned long memSize = 0;
    jpeg_mem_dest(&cinfo, &mem, &memSize);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);  // YCbCr, luma 2x2 over chroma: 4:2:0; no restarts
    cinfo.write_JFIF_header = FALSE;
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.data() + static_cast<size_t>(cinfo.next_scanline) * width * 3);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<uint8_t> jpeg(mem, mem + memSize);
    jpeg_destroy_compress(&cinfo);
    std::free(mem);
    return UnstuffJpegScan(jpeg);
}

std::vector<uint8_t> UnstuffJpegScan(const std::vector<uint8_t>& jpeg)
{
    // Markers up to the start of scan, whose segment length is skipped.
    size_t pos = 2;
    while (pos + 4 <= jpeg.size() && jpeg[pos] == 0xFF) {
        const uint8_t marker = jpeg[pos + 1];
        const size_t length = static_cast<size_t>(jpeg[pos + 2]) << 8 | jpeg[pos + 3];
        pos += 2 + length;
        if (marker == 0xDA)
            break;
    }
    std::vector<uint8_t> out(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(std::min(pos, jpeg.size())));
    for (size_t i = pos; i < jpeg.size(); ++i) {
        out.push_back(jpeg[i]);
        if (jpeg[i] == 0xFF && i + 1 < jpeg.size() && jpeg[i + 1] == 0x00)
            ++i;
    }
    return out;
}

std::vector<uint8_t> EncodeThpAudioBlock(const int16_t* interleaved, uint32_t n, uint32_t channels)
{
    std::vector<AdpcmSound> encoded;
    for (uint32_t c = 0; c < channels; ++c) {
        std::vector<int16_t> pcm(n);
        for (uint32_t i = 0; i < n; ++i)
            pcm[i] = interleaved[static_cast<size_t>(i) * channels + c];
        encoded.push_back(EncodeDspAdpcm(pcm));
    }
    const uint32_t channelBytes = encoded.empty() ? 0 : static_cast<uint32_t>(encoded[0].bytes.size());
    std::vector<uint8_t> block;
    PutU32(block, channelBytes);
    PutU32(block, n);
    for (const AdpcmSound& s : encoded)
        block.insert(block.end(), s.header, s.header + 32);  // eight coefficient pairs
    for (const AdpcmSound& s : encoded)
        block.insert(block.end(), s.header + 36, s.header + 40);  // history 1 and 2
    for (const AdpcmSound& s : encoded)
        block.insert(block.end(), s.bytes.begin(), s.bytes.end());
    return block;
}

std::vector<uint8_t> MakeThpFile(const ThpMovie& movie)
{
    const bool bAudio = movie.audioChannels != 0;
    if (movie.framesRgb.empty() || movie.fFrameRate <= 0.0f || movie.audioChannels > 2 ||
        (bAudio && movie.audioTracks.empty())) {
        cLogError_("MakeThpFile: %zu frames at %g per second with %u audio channels and %zu tracks is no movie",
                   movie.framesRgb.size(), movie.fFrameRate, movie.audioChannels, movie.audioTracks.size());
        return {};
    }
    std::vector<std::vector<uint8_t>> frames;
    uint32_t maxSamples = 0, totalSamples = 0;
    for (size_t k = 0; k < movie.framesRgb.size(); ++k) {
        std::vector<uint8_t> image = EncodeThpImage(movie.framesRgb[k], movie.width, movie.height, movie.nJpegQuality);
        if (image.empty())
            return {};
        PadTo(image, 4);
        uint32_t trackSize = 0, samples = 0;
        const std::vector<uint8_t> audio = bAudio ? FrameAudio(movie, k, &trackSize, &samples) : std::vector<uint8_t>();
        maxSamples = std::max(maxSamples, samples);
        totalSamples += samples;
        std::vector<uint8_t> frame;
        PutU32(frame, 0);  // next and previous frame sizes: chained below
        PutU32(frame, 0);
        PutU32(frame, static_cast<uint32_t>(image.size()));
        if (bAudio)
            PutU32(frame, trackSize);
        frame.insert(frame.end(), image.begin(), image.end());
        frame.insert(frame.end(), audio.begin(), audio.end());
        PadTo(frame, kFrameAlign);
        frames.push_back(std::move(frame));
    }
    const size_t n = frames.size();
    uint32_t maxFrame = 0, dataSize = 0;
    for (size_t k = 0; k < n; ++k) {
        // The last frame's "next" is the first again, as a looping reader
        // expects; the first frame's "previous" is the last.
        ps::StoreU32BE(frames[k].data(), static_cast<uint32_t>(frames[(k + 1) % n].size()));
        ps::StoreU32BE(frames[k].data() + 4, static_cast<uint32_t>(frames[(k + n - 1) % n].size()));
        maxFrame = std::max(maxFrame, static_cast<uint32_t>(frames[k].size()));
        dataSize += static_cast<uint32_t>(frames[k].size());
    }

    std::vector<uint8_t> table;
    PutU32(table, bAudio ? 2 : 1);
    uint8_t kinds[kMaxComponents];
    std::memset(kinds, kComponentNone, sizeof(kinds));
    kinds[0] = kComponentVideo;
    if (bAudio)
        kinds[1] = kComponentAudio;
    table.insert(table.end(), kinds, kinds + kMaxComponents);
    PutU32(table, movie.width);
    PutU32(table, movie.height);
    PutU32(table, 0);  // progressive
    if (bAudio) {
        PutU32(table, movie.audioChannels);
        PutU32(table, movie.audioFrequency);
        PutU32(table, totalSamples);
        PutU32(table, static_cast<uint32_t>(movie.audioTracks.size()));
    }
    const uint32_t firstFrame = (kHeaderSize + static_cast<uint32_t>(table.size()) + kFrameAlign - 1) / kFrameAlign * kFrameAlign;
    const uint32_t lastFrame = firstFrame + dataSize - static_cast<uint32_t>(frames.back().size());

    std::vector<uint8_t> file(kHeaderSize, 0);
    std::memcpy(file.data(), "THP", 4);
    ps::StoreU32BE(&file[0x04], kVersion);
    ps::StoreU32BE(&file[0x08], maxFrame);
    ps::StoreU32BE(&file[0x0C], bAudio ? maxSamples : 0);
    ps::StoreF32BE(&file[0x10], movie.fFrameRate);
    ps::StoreU32BE(&file[0x14], static_cast<uint32_t>(n));
    ps::StoreU32BE(&file[0x18], static_cast<uint32_t>(frames[0].size()));
    ps::StoreU32BE(&file[0x1C], dataSize);
    ps::StoreU32BE(&file[0x20], kHeaderSize);
    ps::StoreU32BE(&file[0x24], 0);  // no frame-offset table
    ps::StoreU32BE(&file[0x28], firstFrame);
    ps::StoreU32BE(&file[0x2C], lastFrame);
    file.insert(file.end(), table.begin(), table.end());
    file.resize(firstFrame, 0);
    for (const std::vector<uint8_t>& frame : frames)
        file.insert(file.end(), frame.begin(), frame.end());
    return file;
}

bool WriteThpFile(const std::string& path, const ThpMovie& movie)
{
    const std::vector<uint8_t> bytes = MakeThpFile(movie);
    return !bytes.empty() && WriteBytes(path, bytes);
}

}  // namespace datagen
