// The voice library's frame: the frame callback, then every running voice
// through its converter and volumes into the main bus, then the bus folded to
// the stereo block the audio interface plays.
#include "platform/ax.h"

#include <algorithm>

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

// The input samples a frame's converter steps take, read ahead in bulk: the
// frame's step count is known from the ratio before mixing, so exactly that
// many are read (in pieces of kRun), and the voice's address ends where
// reading sample by sample would leave it. Reads past the input's end change
// nothing, so a one-shot stopping mid-frame is no exception.
class InputAhead {
public:
    InputAhead(AXVPB& v, uint64_t steps) : m_v(v), m_nLeft(steps) {}

    // NextInputSample's result for the next step.
    bool Next(int16_t* pOut)
    {
        if (m_nNext == m_nHave)
            Refill();
        const uint32_t n = m_nNext++;
        if (n >= m_nValid)
            return false;
        *pOut = m_samples[n];
        return true;
    }

private:
    static constexpr uint32_t kRun = 512;

    void Refill()
    {
        m_nHave = static_cast<uint32_t>(m_nLeft < kRun ? m_nLeft : kRun);
        m_nLeft -= m_nHave;
        m_nValid = ax::ReadInputSamples(m_v, m_samples, m_nHave);
        m_nNext = 0;
    }

    AXVPB& m_v;
    uint64_t m_nLeft;
    uint32_t m_nHave = 0, m_nValid = 0, m_nNext = 0;
    int16_t m_samples[kRun];
};

// Converter steps the frame takes at this ratio from frac.
uint64_t FrameSteps(uint32_t frac, uint32_t ratio)
{
    uint64_t steps = 0;
    for (int i = 0; i < AX_FRAME_SAMPLES; ++i) {
        const uint32_t next = frac + ratio;
        frac = next & 0xFFFF;
        steps += next >> 16;
    }
    return steps;
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
    const uint32_t ratio = static_cast<uint32_t>(v.src.ratioHi) << 16 | v.src.ratioLo;
    const bool bInterpolate = v.srcType != AX_SRC_TYPE_NONE;
    uint32_t frac = v.src.currentAddressFrac;
    int32_t volume = v.ve.currentVolume;
    // The converter and mix state in locals for the frame (the bus stores
    // could otherwise alias them), written back after it.
    const int32_t delta = v.ve.currentDelta;
    const int32_t vL = v.mix.vL, vR = v.mix.vR, vS = v.mix.vS;
    int16_t srcOld = v.nSrcOld, srcNew = v.nSrcNew;
    bool bOldValid = v.bOldValid, bNewValid = v.bNewValid;
    InputAhead input(v, FrameSteps(frac, ratio));
    for (int i = 0; i < AX_FRAME_SAMPLES; ++i) {
        if (!bOldValid) {
            v.state = AX_PB_STATE_STOP;  // a one-shot played its last sample
            break;
        }
        int32_t s = srcOld;
        if (bInterpolate)
            s += static_cast<int32_t>((static_cast<int64_t>(srcNew - srcOld) * frac) >> 16);
        s = (s * volume) >> 15;
        volume = std::clamp(volume + delta, 0, 0xFFFF);
        pLeft[i] += (s * vL) >> 15;
        pRight[i] += (s * vR) >> 15;
        pSurround[i] += (s * vS) >> 15;
        const uint32_t next = frac + ratio;
        frac = next & 0xFFFF;
        for (uint32_t k = next >> 16; k > 0; --k) {
            // Step: a sample that is not there keeps the previous one.
            srcOld = srcNew;
            bOldValid = bNewValid;
            bNewValid = input.Next(&srcNew);
        }
    }
    v.nSrcOld = srcOld;
    v.nSrcNew = srcNew;
    v.bOldValid = bOldValid;
    v.bNewValid = bNewValid;
    v.src.currentAddressFrac = static_cast<uint16_t>(frac);
    v.ve.currentVolume = static_cast<uint16_t>(volume);
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
