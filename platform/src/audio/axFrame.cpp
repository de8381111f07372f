// The voice library's frame: the frame callback, then every running voice
// through its converter and volumes into the main bus, then the bus folded to
// the stereo block the audio interface plays.
#include "platform/ax.h"

#include <algorithm>
#include <atomic>

#include "audio/audio_local.h"
#include "audio/ax_local.h"
#include "platform/ai.h"
#include "platform/ps.h"

namespace {

struct Library {
    bool bInit = false;
    AXUserCallback userCallback = nullptr;
    uint32_t nMode = AX_MODE_STEREO;
    uint8_t blocks[2][audio::kFrameBytes] = {};  // the frame's output, alternated
    int nNextBlock = 0;
};

Library& L()
{
    static Library* s_pLibrary = new Library;
    return *s_pLibrary;
}

// The surround bus joins both sides at -3 dB (0.7071 in 1.15).
constexpr int32_t kSurroundFold = 23170;

int16_t Clamp16(int32_t v)
{
    return static_cast<int16_t>(std::clamp(v, -32767, 32767));
}

// Moves the converter on by whole input samples.
void Step(AXVPB& v, uint32_t steps)
{
    for (uint32_t i = 0; i < steps; ++i) {
        v.nSrcOld = v.nSrcNew;
        v.bOldValid = v.bNewValid;
        int16_t s = v.nSrcOld;
        v.bNewValid = ax::NextInputSample(v, &s);
        v.nSrcNew = v.bNewValid ? s : v.nSrcOld;
    }
}

// The most input samples a frame's converter steps take: 160 outputs at the
// highest ratio from a fraction just short of the next sample.
constexpr uint32_t kMaxFrameSteps =
    static_cast<uint32_t>((0xFFFFull + static_cast<uint64_t>(AX_FRAME_SAMPLES) * ax::kMaxRatio) >> 16);

// The converter's inputs for a frame: the two samples it holds, then the
// samples its steps read. The valid ones are a prefix (an input that has
// ended stays ended); past it every sample repeats the last one held, as a
// step that finds no sample keeps the previous one.
struct FrameInput {
    int16_t samples[kMaxFrameSteps + 2];
    uint32_t nValid;
};

// Reads the frame's steps ahead in one go: the voice's address ends where
// reading sample by sample would leave it, and reads past the input's end
// change nothing, so a one-shot stopping mid-frame is no exception.
void ReadFrameInput(AXVPB& v, uint32_t steps, FrameInput* pIn)
{
    int16_t* s = pIn->samples;
    s[0] = v.nSrcOld;
    s[1] = v.nSrcNew;
    const uint32_t read = ax::ReadInputSamples(v, s + 2, steps);
    std::fill(s + 2 + read, s + 2 + steps, s[1 + read]);
    pIn->nValid = v.bOldValid ? (v.bNewValid ? 2 + read : 1) : 0;
}

// 16.16 input position of output i: whole samples past the frame's first
// held sample, and the fraction.
uint64_t Position(uint32_t frac, uint32_t ratio, uint32_t i)
{
    return frac + static_cast<uint64_t>(i) * ratio;
}

// How many of the frame's outputs have a valid sample at the converter's
// position: all of them unless the input ends within the frame.
uint32_t PlayedOutputs(uint32_t frac, uint32_t ratio, uint32_t nValid)
{
    if ((Position(frac, ratio, AX_FRAME_SAMPLES - 1) >> 16) < nValid)
        return AX_FRAME_SAMPLES;
    uint32_t n = 0;
    while (n < AX_FRAME_SAMPLES && (Position(frac, ratio, n) >> 16) < nValid)
        ++n;
    return n;
}

// The converter's outputs from the frame's inputs: linear between the held
// pair at the fraction, or the older of the pair.
template <bool bInterpolate>
void Convert(const int16_t* in, uint32_t frac, uint32_t ratio, uint32_t n, int16_t* pOut)
{
    uint32_t p = 0;
    for (uint32_t i = 0; i < n; ++i) {
        int32_t s = in[p];
        if constexpr (bInterpolate)
            s += static_cast<int32_t>((static_cast<int64_t>(in[p + 1] - in[p]) * frac) >> 16);
        pOut[i] = static_cast<int16_t>(s);
        const uint32_t next = frac + ratio;
        frac = next & 0xFFFF;
        p += next >> 16;
    }
}

// The frame's n converter outputs: at ratio 1.0 from a whole sample, or
// nearest at ratio 1.0, the inputs themselves; else converted into pScratch.
const int16_t* ConvertFrame(const AXVPB& v, const FrameInput& in, uint32_t frac, uint32_t ratio, uint32_t n,
                            int16_t* pScratch)
{
    const bool bInterpolate = v.srcType != AX_SRC_TYPE_NONE;
    if (ratio == 0x10000 && (frac == 0 || !bInterpolate))
        return in.samples;
    if (bInterpolate)
        Convert<true>(in.samples, frac, ratio, n, pScratch);
    else
        Convert<false>(in.samples, frac, ratio, n, pScratch);
    return pScratch;
}

#define QM_MIX_TARGET
namespace base {
#include "audio/axMixKernels.h"
}  // namespace base
#undef QM_MIX_TARGET

#if defined(__x86_64__) || defined(__i386__)
#define QM_MIX_AVX2 1
#define QM_MIX_TARGET __attribute__((target("avx2")))
namespace avx2 {
#include "audio/axMixKernels.h"
}  // namespace avx2
#undef QM_MIX_TARGET
#endif

std::atomic<bool> s_bMixSimd{true};

// MixOutputs of the kernels for the processor the program runs on: AVX2's
// where it has them and they are not switched off.
template <uint32_t kCount>
void MixOutputs(const int16_t* in, uint32_t n, const AXPBVE& ve, const AXPBMIX& mix, int32_t* pLeft,
                int32_t* pRight, int32_t* pSurround)
{
#if defined(QM_MIX_AVX2)
    static const bool s_bAvx2 = __builtin_cpu_supports("avx2");
    if (s_bAvx2 && s_bMixSimd) {
        avx2::MixOutputs<kCount>(in, n, ve, mix, pLeft, pRight, pSurround);
        return;
    }
#endif
    base::MixOutputs<kCount>(in, n, ve, mix, pLeft, pRight, pSurround);
}

// The voice's frame, installed as the audio interface's DMA callback.
void FrameDmaCallback()
{
    Library& l = L();
    uint8_t* pBlock = l.blocks[l.nNextBlock];
    l.nNextBlock ^= 1;
    ax::RenderFrame(pBlock);
    AIInitDMA(pBlock, audio::kFrameBytes);
}

}  // namespace

void ax::MixVoice(AXVPB& v, int32_t* pLeft, int32_t* pRight, int32_t* pSurround)
{
    if (!v.bSrcPrimed) {
        v.bSrcPrimed = true;
        v.bNewValid = true;
        v.nSrcNew = 0;
        Step(v, 2);
    }
    if (!v.bOldValid) {
        v.state = AX_PB_STATE_STOP;  // a one-shot played its last sample
        return;
    }
    // The setters keep the ratio within kMaxRatio, which sizes the frame's
    // inputs.
    const uint32_t ratio = std::min(static_cast<uint32_t>(v.src.ratioHi) << 16 | v.src.ratioLo, kMaxRatio);
    const uint32_t frac = v.src.currentAddressFrac;
    FrameInput in;
    ReadFrameInput(v, static_cast<uint32_t>(Position(frac, ratio, AX_FRAME_SAMPLES) >> 16), &in);
    const uint32_t n = PlayedOutputs(frac, ratio, in.nValid);

    int16_t scratch[AX_FRAME_SAMPLES];
    const int16_t* converted = ConvertFrame(v, in, frac, ratio, n, scratch);
    if (n == AX_FRAME_SAMPLES)
        MixOutputs<AX_FRAME_SAMPLES>(converted, n, v.ve, v.mix, pLeft, pRight, pSurround);
    else
        MixOutputs<0>(converted, n, v.ve, v.mix, pLeft, pRight, pSurround);

    // The converter where the frame's last played output left it.
    const uint64_t end = Position(frac, ratio, n);
    const uint32_t p = static_cast<uint32_t>(end >> 16);
    v.nSrcOld = in.samples[p];
    v.nSrcNew = in.samples[p + 1];
    v.bOldValid = p < in.nValid;
    v.bNewValid = p + 1 < in.nValid;
    v.src.currentAddressFrac = static_cast<uint16_t>(end);
    v.ve.currentVolume = static_cast<uint16_t>(base::RampVolume(v.ve.currentVolume, v.ve.currentDelta, n));
    if (n < AX_FRAME_SAMPLES)
        v.state = AX_PB_STATE_STOP;  // a one-shot played its last sample
}

void ax::RenderFrame(uint8_t* pBlock)
{
    Library& l = L();
    if (l.userCallback)
        l.userCallback();
    int32_t left[AX_FRAME_SAMPLES] = {};
    int32_t right[AX_FRAME_SAMPLES] = {};
    int32_t surround[AX_FRAME_SAMPLES] = {};
    AXVPB* voices = Voices();
    for (int i = 0; i < AX_MAX_VOICES; ++i) {
        AXVPB& v = voices[i];
        if (v.bAcquired && v.state == AX_PB_STATE_RUN)
            MixVoice(v, left, right, surround);
    }
    for (int i = 0; i < AX_FRAME_SAMPLES; ++i) {
        // The bus saturates as the DSP's does, then the surround fold.
        const int32_t s = (Clamp16(surround[i]) * kSurroundFold) >> 15;
        ps::StoreS16BE(pBlock + 4 * i, Clamp16(Clamp16(left[i]) + s));
        ps::StoreS16BE(pBlock + 4 * i + 2, Clamp16(Clamp16(right[i]) + s));
    }
}

bool ax::SetMixSimd(bool enabled) { return s_bMixSimd.exchange(enabled); }

void AXInit()
{
    AIInit(nullptr);
    {
        OSInterruptScope scope;
        Library& l = L();
        if (l.bInit)
            return;
        l.bInit = true;
        AXVPB* voices = ax::Voices();
        for (int i = 0; i < AX_MAX_VOICES; ++i)
            AXFreeVoice(&voices[i]);
        l.nMode = AX_MODE_STEREO;
    }
    AIRegisterDMACallback(FrameDmaCallback);
    AIInitDMA(L().blocks[0], audio::kFrameBytes);
    AIStartDMA();
}

BOOL AXIsInit()
{
    OSInterruptScope scope;
    return L().bInit ? TRUE : FALSE;
}

AXUserCallback AXRegisterCallback(AXUserCallback callback)
{
    OSInterruptScope scope;
    const AXUserCallback old = L().userCallback;
    L().userCallback = callback;
    return old;
}

void AXSetMode(uint32_t mode)
{
    if (mode > AX_MODE_DPL2) {
        OSReport("AX: AXSetMode(%u) ignored: not a mode\n", mode);
        return;
    }
    OSInterruptScope scope;
    L().nMode = mode;
}

uint32_t AXGetMode()
{
    OSInterruptScope scope;
    return L().nMode;
}
