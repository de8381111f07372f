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

// The signed 4-bit code of the sample at nibble address a (high nibble
// first).
int AdpcmCode(const uint8_t* memory, uint32_t a)
{
    const uint8_t byte = memory[(a / 2) & (AR_MEMORY_SIZE - 1)];
    const int nibble = (a % 2 == 0) ? byte >> 4 : byte & 0xF;
    return (nibble & 0x8) ? nibble - 16 : nibble;
}

// DecodeAdpcmRun without the clamp, for runs that never reach it: the
// residual is added under the rounding shift ((x >> 11) + r equals
// (x + (r << 11)) >> 11), so each sample waits on the one before for a
// multiply, an add and a shift only. False, with the history kept, when a
// sample falls outside -32767..32767; pOut then holds wrong samples. The
// 32-bit prediction of the clamped decoder wraps only for two programmed
// -32768 histories on two -32768 coefficients, whose 64-bit sample is far
// outside the range, so those runs take the clamped decoder too.
bool DecodeAdpcmRunUnclamped(const uint8_t* memory, uint32_t a, uint32_t count, uint16_t predScale,
                             const int16_t coef[16], int16_t* pHist1, int16_t* pHist2, int16_t* pOut)
{
    const int pair = (predScale >> 4) & 0x7;
    const int shift = (predScale & 0xF) + 11;
    const int64_t c1 = coef[2 * pair];
    const int64_t c2 = coef[2 * pair + 1];
    int64_t h1 = *pHist1, h2 = *pHist2;
    uint64_t outside = 0;
    for (uint32_t i = 0; i < count; ++i, ++a) {
        const uint32_t byte = memory[(a / 2) & (AR_MEMORY_SIZE - 1)];
        const int64_t code = static_cast<int64_t>(((byte >> (~a & 1) * 4) & 0xF) ^ 8) - 8;  // high nibble first
        const int64_t rest = c2 * h2 + 1024 + code * (int64_t(1) << shift);
        const int64_t sample = (c1 * h1 + rest) >> 11;
        outside |= static_cast<uint64_t>(sample + 32767) > 65534;
        pOut[i] = static_cast<int16_t>(sample);
        h2 = h1;
        h1 = sample;
    }
    if (outside)
        return false;
    *pHist1 = static_cast<int16_t>(h1);
    *pHist2 = static_cast<int16_t>(h2);
    return true;
}

// Decodes count samples (at most a frame's) of the ADPCM frame whose sample
// nibbles start at nibble address a, with the frame's predictor/scale: the
// coefficients and scale are chosen once for the run, the arithmetic is
// AXDecodeAdpcmSample's.
void DecodeAdpcmRun(const uint8_t* memory, AXVPB& v, uint32_t a, uint32_t count, int16_t* pOut)
{
    if (DecodeAdpcmRunUnclamped(memory, a, count, v.nPredScale, v.adpcm.coef, &v.nHist1, &v.nHist2, pOut))
        return;
    const int pair = (v.nPredScale >> 4) & 0x7;
    const int scale = v.nPredScale & 0xF;
    const int32_t c1 = v.adpcm.coef[2 * pair];
    const int32_t c2 = v.adpcm.coef[2 * pair + 1];
    int32_t h1 = v.nHist1, h2 = v.nHist2;
    for (uint32_t i = 0; i < count; ++i, ++a) {
        const int32_t predicted = (1024 + c1 * h1 + c2 * h2) >> 11;
        const int32_t sample = std::clamp((AdpcmCode(memory, a) * (1 << scale)) + predicted, -32767, 32767);
        h2 = h1;
        h1 = sample;
        pOut[i] = static_cast<int16_t>(sample);
    }
    v.nHist1 = static_cast<int16_t>(h1);
    v.nHist2 = static_cast<int16_t>(h2);
}

// ReadInputSamples for ADPCM: a run at a time up to the frame's end or the
// end address, with NextInputSample's address, end and loop handling.
uint32_t ReadAdpcmSamples(AXVPB& v, int16_t* pOut, uint32_t count)
{
    const uint8_t* memory = audio::Memory();
    uint32_t done = 0;
    while (done < count && !v.bInputEnded) {
        uint32_t a = v.addr.currentAddress;
        if (a % AX_ADPCM_FRAME_NIBBLES == 0) {
            v.nPredScale = memory[(a / 2) & (AR_MEMORY_SIZE - 1)];
            a += 2;
            v.addr.currentAddress = a;
        }
        const uint32_t frameLast = a | (AX_ADPCM_FRAME_NIBBLES - 1);
        const uint32_t end = v.addr.endAddress;
        uint32_t run = frameLast - a + 1;
        bool bReachesEnd = false;
        if (end >= a && end <= frameLast) {
            run = end - a + 1;
            bReachesEnd = true;
        }
        if (run > count - done) {
            run = count - done;
            bReachesEnd = false;
        }
        DecodeAdpcmRun(memory, v, a, run, pOut + done);
        done += run;
        if (!bReachesEnd) {
            v.addr.currentAddress = a + run;
            continue;
        }
        v.addr.currentAddress = end;
        if (!v.addr.loopFlag) {
            v.bInputEnded = true;
            break;
        }
        v.addr.currentAddress = v.addr.loopAddress;
        v.nPredScale = v.adpcmLoop.loopPredScale;
        v.nHist1 = v.adpcmLoop.loopYn1;
        v.nHist2 = v.adpcmLoop.loopYn2;
    }
    return done;
}

}  // namespace

uint32_t ax::ReadInputSamples(AXVPB& v, int16_t* pOut, uint32_t count)
{
    if (v.addr.format == AX_PB_FORMAT_ADPCM)
        return ReadAdpcmSamples(v, pOut, count);
    uint32_t done = 0;
    while (done < count && NextInputSample(v, &pOut[done]))
        ++done;
    return done;
}

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
