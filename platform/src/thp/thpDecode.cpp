// The movie decoders on FFmpeg's THP video and THP ADPCM decoders, and the
// tiling of the decoded planes into the graphics library's I8 layout.

#include "platform/thp.h"

#include <algorithm>
#include <cstring>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
}

#include "platform/ps.h"
#include "thp/thp_local.h"

#define QM_THP_TEXT_CASE(name, value, note) \
    case value: return #name;

const char* THPVideoResultText(int value)
{
    switch (value) {
        THP_VIDEO_RESULT_LIST(QM_THP_TEXT_CASE)
    default: return "???";
    }
}

namespace {

// The sample rate only tells FFmpeg the stream is audio; ADPCM decoding does
// not depend on it.
constexpr int kNominalRate = 32000;

struct VideoDecoder {
    AVCodecContext* context = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    std::vector<uint8_t> padded;  // the packet's bytes with FFmpeg's zero padding
};

VideoDecoder s_video;
bool s_bInit = false;

// An audio block: channel size and sample count, then per channel eight
// coefficient pairs, then per channel two history samples, then the frames.
constexpr uint32_t kBlockWords = 8;
constexpr uint32_t kCoefBytes = 32;
constexpr uint32_t kHistBytes = 4;

bool AudioDecoderPresent()
{
    return avcodec_find_decoder(AV_CODEC_ID_ADPCM_THP) != nullptr;
}

// FFmpeg reads a little past a packet's end; that tail must be zero.
AVPacket* PacketOf(const void* data, uint32_t size, std::vector<uint8_t>* pPadded, AVPacket* packet)
{
    pPadded->assign(size + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    std::memcpy(pPadded->data(), data, size);
    av_packet_unref(packet);
    packet->data = pPadded->data();
    packet->size = static_cast<int>(size);
    return packet;
}

bool IsPlanar420(int format)
{
    return format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUV420P;
}

// One channel's samples of a decoded frame as host s16, whatever FFmpeg's
// output format.
int16_t SampleAt(const AVFrame* frame, int channel, int index, int channels)
{
    switch (frame->format) {
    case AV_SAMPLE_FMT_S16P: return reinterpret_cast<const int16_t*>(frame->extended_data[channel])[index];
    case AV_SAMPLE_FMT_S16: return reinterpret_cast<const int16_t*>(frame->data[0])[index * channels + channel];
    default: return 0;
    }
}

// Decodes a one-channel block into every stride-th value of out, at most
// samples values. Returns the samples written.
uint32_t DecodeMonoBlock(std::vector<uint8_t>& block, uint32_t samples, int16_t* out, int stride)
{
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_ADPCM_THP);
    AVCodecContext* context = codec ? avcodec_alloc_context3(codec) : nullptr;
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    uint32_t written = 0;
    std::vector<uint8_t> padded;
    if (context && frame && packet) {
        av_channel_layout_default(&context->ch_layout, 1);
        context->sample_rate = kNominalRate;
        if (avcodec_open2(context, codec, nullptr) >= 0 &&
            avcodec_send_packet(context, PacketOf(block.data(), static_cast<uint32_t>(block.size()), &padded, packet)) >= 0) {
            while (written < samples && avcodec_receive_frame(context, frame) >= 0) {
                const int n = std::min<int>(frame->nb_samples, static_cast<int>(samples - written));
                for (int i = 0; i < n; ++i)
                    out[static_cast<size_t>(written + i) * stride] = SampleAt(frame, 0, i, 1);
                written += static_cast<uint32_t>(n);
                av_frame_unref(frame);
            }
        }
        packet->data = nullptr;
        packet->size = 0;
    }
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&context);
    return written;
}

}  // namespace

void thp::TileI8(const uint8_t* src, int stride, uint32_t width, uint32_t height, uint8_t* dst)
{
    const uint32_t tilesPerRow = (width + 7) / 8;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t tile = (y / 4) * tilesPerRow + x / 8;
            dst[tile * 32 + (y % 4) * 8 + x % 8] = src[static_cast<size_t>(y) * stride + x];
        }
    }
}

BOOL THPInit()
{
    if (s_bInit)
        return TRUE;
    av_log_set_level(AV_LOG_QUIET);  // failures are reported here, once, in our words
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_THP);
    if (!codec || !AudioDecoderPresent()) {
        OSReport("THP: FFmpeg has no movie video or audio decoder\n");
        return FALSE;
    }
    s_video.context = avcodec_alloc_context3(codec);
    s_video.frame = av_frame_alloc();
    s_video.packet = av_packet_alloc();
    if (!s_video.context || !s_video.frame || !s_video.packet || avcodec_open2(s_video.context, codec, nullptr) < 0) {
        OSReport("THP: the movie video decoder does not start\n");
        avcodec_free_context(&s_video.context);
        av_frame_free(&s_video.frame);
        av_packet_free(&s_video.packet);
        return FALSE;
    }
    s_bInit = true;
    return TRUE;
}

int32_t THPVideoDecode(const void* data, uint32_t size, uint32_t width, uint32_t height, void* tileY,
                       void* tileU, void* tileV, void*)
{
    if (!s_bInit)
        return THP_VIDEO_NOT_INITIALIZED;
    if (!data || size == 0 || !tileY || !tileU || !tileV || width == 0 || height == 0 ||
        width % THP_WIDTH_ALIGN != 0 || height % THP_HEIGHT_ALIGN != 0)
        return THP_VIDEO_BAD_ARGUMENT;
    AVPacket* packet = PacketOf(data, size, &s_video.padded, s_video.packet);
    const int sent = avcodec_send_packet(s_video.context, packet);
    packet->data = nullptr;
    packet->size = 0;
    if (sent < 0 || avcodec_receive_frame(s_video.context, s_video.frame) < 0)
        return THP_VIDEO_BAD_DATA;
    const AVFrame* f = s_video.frame;
    if (!IsPlanar420(f->format) || static_cast<uint32_t>(f->width) != width ||
        static_cast<uint32_t>(f->height) != height) {
        av_frame_unref(s_video.frame);
        return THP_VIDEO_WRONG_SIZE;
    }
    thp::TileI8(f->data[0], f->linesize[0], width, height, static_cast<uint8_t*>(tileY));
    thp::TileI8(f->data[1], f->linesize[1], width / 2, height / 2, static_cast<uint8_t*>(tileU));
    thp::TileI8(f->data[2], f->linesize[2], width / 2, height / 2, static_cast<uint8_t*>(tileV));
    av_frame_unref(s_video.frame);
    return THP_VIDEO_OK;
}

uint32_t THPAudioDecode(int16_t* dst, const void* data, uint32_t size, uint32_t channels, uint32_t maxSamples)
{
    if (!dst || !data || (channels != 1 && channels != 2) || maxSamples == 0)
        return 0;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    const uint32_t header = kBlockWords + channels * (kCoefBytes + kHistBytes);
    if (size < header) {
        OSReport("THP: an audio track of %u bytes is shorter than its header\n", size);
        return 0;
    }
    const uint32_t channelBytes = ps::LoadU32BE(bytes);
    const uint32_t samples = std::min(ps::LoadU32BE(bytes + 4), maxSamples);
    if (channelBytes > (size - header) / channels) {
        OSReport("THP: an audio track of %u bytes claims %u bytes a channel\n", size, channelBytes);
        return 0;
    }
    // Each channel goes through FFmpeg on its own, as a one-channel block:
    // its decoder finds a second channel's data by the sample count rather
    // than by the stored channel size, and every block carries its own
    // starting history, so a fresh decoder per channel keeps channels,
    // tracks and frames apart.
    uint32_t written = samples;
    for (uint32_t c = 0; c < channels; ++c) {
        std::vector<uint8_t> mono;
        mono.insert(mono.end(), bytes, bytes + kBlockWords);
        const uint8_t* coefs = bytes + kBlockWords + c * kCoefBytes;
        const uint8_t* hist = bytes + kBlockWords + channels * kCoefBytes + c * kHistBytes;
        const uint8_t* frames = bytes + header + static_cast<size_t>(c) * channelBytes;
        mono.insert(mono.end(), coefs, coefs + kCoefBytes);
        mono.insert(mono.end(), hist, hist + kHistBytes);
        mono.insert(mono.end(), frames, frames + channelBytes);
        written = std::min(written, DecodeMonoBlock(mono, samples, dst + c, 2));
    }
    if (channels == 1) {
        for (uint32_t i = 0; i < written; ++i)
            dst[2 * i + 1] = dst[2 * i];
    }
    if (written == 0)
        OSReport("THP: an audio track of %u bytes does not decode\n", size);
    return written;
}
