// DSP-ADPCM and PCM decoding: pure functions over bytes, and the read of a
// voice's next input sample from audio memory.
#include "platform/ax.h"

#include <algorithm>

#include "audio/audio_local.h"
#include "audio/ax_local.h"
#include "platform/ar.h"
#include "platform/ps.h"

void AXReadAdpcmHeader(const uint8_t header[AX_ADPCM_HEADER_SIZE], AXPBADPCM* out)
{
    for (int i = 0; i < 16; ++i)
        out->coef[i] = ps::LoadS16BE(header + 2 * i);
    out->gain = ps::LoadU16BE(header + 32);
    out->predScale = ps::LoadU16BE(header + 34);
    out->yn1 = ps::LoadS16BE(header + 36);
    out->yn2 = ps::LoadS16BE(header + 38);
}

int16_t AXDecodeAdpcmSample(int nibble, uint16_t predScale, const int16_t coef[16], int16_t* hist1, int16_t* hist2)
{
    const int n = (nibble & 0x8) ? (nibble & 0xF) - 16 : (nibble & 0xF);
    const int pair = (predScale >> 4) & 0x7;
    const int scale = predScale & 0xF;
    const int32_t c1 = coef[2 * pair];
    const int32_t c2 = coef[2 * pair + 1];
    // The residual is the code shifted up by the scale; the prediction is
    // rounded to nearest (+1024 before the 11-bit shift of 5.11 products).
    const int32_t predicted = (1024 + c1 * *hist1 + c2 * *hist2) >> 11;
    const int32_t sample = std::clamp((n * (1 << scale)) + predicted, -32767, 32767);
    *hist2 = *hist1;
    *hist1 = static_cast<int16_t>(sample);
    return static_cast<int16_t>(sample);
}

void AXDecodeAdpcmFrame(const uint8_t frame[AX_ADPCM_FRAME_BYTES], const int16_t coef[16], int16_t* hist1,
                        int16_t* hist2, int16_t out[AX_ADPCM_FRAME_SAMPLES])
{
    const uint16_t predScale = frame[0];
    for (uint32_t i = 0; i < AX_ADPCM_FRAME_SAMPLES; ++i) {
        const uint8_t byte = frame[1 + i / 2];
        const int nibble = (i % 2 == 0) ? byte >> 4 : byte & 0xF;  // high nibble first
        out[i] = AXDecodeAdpcmSample(nibble, predScale, coef, hist1, hist2);
    }
}

namespace {

// Audio memory wraps at its size, so every address is inside it.
uint8_t ByteAt(uint32_t byteAddress)
{
    return audio::Memory()[byteAddress & (AR_MEMORY_SIZE - 1)];
}

int16_t ReadAdpcm(AXVPB& v)
{
    uint32_t a = v.addr.currentAddress;
    if (a % AX_ADPCM_FRAME_NIBBLES == 0) {
        // A frame starts: its first byte is the predictor/scale, not samples.
        v.nPredScale = ByteAt(a / 2);
        a += 2;
        v.addr.currentAddress = a;
    }
    const uint8_t byte = ByteAt(a / 2);
    const int nibble = (a % 2 == 0) ? byte >> 4 : byte & 0xF;
    return AXDecodeAdpcmSample(nibble, v.nPredScale, v.adpcm.coef, &v.nHist1, &v.nHist2);
}

int16_t ReadPcm16(const AXVPB& v)
{
    const uint32_t b = v.addr.currentAddress * 2;
    return static_cast<int16_t>((ByteAt(b) << 8) | ByteAt(b + 1));
}

int16_t ReadPcm8(const AXVPB& v)
{
    return static_cast<int16_t>(static_cast<int8_t>(ByteAt(v.addr.currentAddress)) * 256);
}

}  // namespace

bool ax::NextInputSample(AXVPB& v, int16_t* pOut)
{
    if (v.bInputEnded)
        return false;
    int16_t s;
    switch (v.addr.format) {
    case AX_PB_FORMAT_PCM16:
        s = ReadPcm16(v);
        break;
    case AX_PB_FORMAT_PCM8:
        s = ReadPcm8(v);
        break;
    default:
        s = ReadAdpcm(v);
        break;
    }
    *pOut = s;
    if (v.addr.currentAddress != v.addr.endAddress) {
        ++v.addr.currentAddress;
        return true;
    }
    if (!v.addr.loopFlag) {
        v.bInputEnded = true;
        return true;
    }
    v.addr.currentAddress = v.addr.loopAddress;
    if (v.addr.format == AX_PB_FORMAT_ADPCM) {
        v.nPredScale = v.adpcmLoop.loopPredScale;
        v.nHist1 = v.adpcmLoop.loopYn1;
        v.nHist2 = v.adpcmLoop.loopYn2;
    }
    return true;
}
