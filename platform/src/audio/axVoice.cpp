// The voice table: acquiring and freeing voices and programming them. Every
// setter takes the interrupt lock, so a frame never sees half a field.
#include "platform/ax.h"

#include "audio/audio_local.h"
#include "audio/ax_local.h"
#include "platform/ar.h"

namespace {

// A voice as acquired: stopped, ADPCM, ratio 1.0, linear, silent.
void ClearVoice(AXVPB& v)
{
    const int index = v.index;
    v = AXVPB();
    v.index = index;
}

}  // namespace

AXVPB* ax::Voices()
{
    static AXVPB* s_pVoices = [] {
        AXVPB* p = new AXVPB[AX_MAX_VOICES];
        for (int i = 0; i < AX_MAX_VOICES; ++i)
            p[i].index = i;
        return p;
    }();
    return s_pVoices;
}

void ax::ResetPlayback(AXVPB& v)
{
    v.nHist1 = v.adpcm.yn1;
    v.nHist2 = v.adpcm.yn2;
    v.nSrcOld = 0;
    v.nSrcNew = 0;
    v.bSrcPrimed = false;
    v.bOldValid = false;
    v.bNewValid = false;
    v.bInputEnded = false;
}

AXVPB* AXAcquireVoice(uint32_t priority, AXVoiceCallback callback, uint32_t userContext)
{
    OSInterruptScope scope;
    AXVPB* voices = ax::Voices();
    for (int i = 0; i < AX_MAX_VOICES; ++i) {
        AXVPB& v = voices[i];
        if (v.bAcquired)
            continue;
        ClearVoice(v);
        v.bAcquired = true;
        v.priority = priority;
        v.callback = callback;
        v.userContext = userContext;
        return &v;
    }
    OSReport("AX: AXAcquireVoice: all %d voices are in use\n", AX_MAX_VOICES);
    return nullptr;
}

void AXFreeVoice(AXVPB* voice)
{
    if (!voice)
        return;
    OSInterruptScope scope;
    ClearVoice(*voice);
}

void AXSetVoiceAdpcm(AXVPB* voice, const uint8_t header[AX_ADPCM_HEADER_SIZE])
{
    if (!voice || !header)
        return;
    AXPBADPCM adpcm;
    AXReadAdpcmHeader(header, &adpcm);
    OSInterruptScope scope;
    voice->adpcm = adpcm;
    voice->adpcmLoop = AXPBADPCMLOOP{adpcm.predScale, adpcm.yn1, adpcm.yn2};
    voice->nPredScale = adpcm.predScale;
    ax::ResetPlayback(*voice);
}

void AXSetVoiceAdpcmLoop(AXVPB* voice, const AXPBADPCMLOOP* loop)
{
    if (!voice || !loop)
        return;
    OSInterruptScope scope;
    voice->adpcmLoop = *loop;
}

void AXSetVoiceAddr(AXVPB* voice, const AXPBADDR* addr)
{
    if (!voice || !addr)
        return;
    OSInterruptScope scope;
    voice->addr = *addr;
    ax::ResetPlayback(*voice);
}

void AXSetVoiceLoop(AXVPB* voice, uint32_t loop)
{
    if (!voice)
        return;
    OSInterruptScope scope;
    voice->addr.loopFlag = loop ? 1 : 0;
}

void AXSetVoiceLoopAddr(AXVPB* voice, uint32_t address)
{
    if (!voice)
        return;
    OSInterruptScope scope;
    voice->addr.loopAddress = address;
}

void AXSetVoiceEndAddr(AXVPB* voice, uint32_t address)
{
    if (!voice)
        return;
    OSInterruptScope scope;
    voice->addr.endAddress = address;
}

void AXSetVoiceCurrentAddr(AXVPB* voice, uint32_t address)
{
    if (!voice)
        return;
    OSInterruptScope scope;
    voice->addr.currentAddress = address;
    if (voice->addr.format == AX_PB_FORMAT_ADPCM && address % AX_ADPCM_FRAME_NIBBLES != 0) {
        // Entering a frame past its header: its predictor/scale still applies.
        const uint32_t header = (address & ~(AX_ADPCM_FRAME_NIBBLES - 1)) / 2;
        voice->nPredScale = audio::Memory()[header & (AR_MEMORY_SIZE - 1)];
    }
    ax::ResetPlayback(*voice);
}

void AXSetVoiceSrc(AXVPB* voice, const AXPBSRC* src)
{
    if (!voice || !src)
        return;
    AXPBSRC s = *src;
    if ((static_cast<uint32_t>(s.ratioHi) << 16 | s.ratioLo) > ax::kMaxRatio) {
        s.ratioHi = static_cast<uint16_t>(ax::kMaxRatio >> 16);
        s.ratioLo = 0;
    }
    OSInterruptScope scope;
    voice->src = s;
}

void AXSetVoiceSrcType(AXVPB* voice, uint32_t type)
{
    if (!voice)
        return;
    OSInterruptScope scope;
    voice->srcType = type;
}

void AXSetVoiceVe(AXVPB* voice, const AXPBVE* ve)
{
    if (!voice || !ve)
        return;
    OSInterruptScope scope;
    voice->ve = *ve;
}

void AXSetVoiceMix(AXVPB* voice, const AXPBMIX* mix)
{
    if (!voice || !mix)
        return;
    OSInterruptScope scope;
    voice->mix = *mix;
}

void AXSetVoiceState(AXVPB* voice, uint32_t state)
{
    if (!voice)
        return;
    OSInterruptScope scope;
    if (state == AX_PB_STATE_RUN) {
        voice->state = AX_PB_STATE_RUN;
        return;
    }
    voice->state = AX_PB_STATE_STOP;
    if (state == AX_PB_STATE_RELEASE) {
        // Freed by the mixer: nothing of the old sound may sound again.
        // Owner and levels stay: they belong to the owner and the mixer.
        const AXVPB kept = *voice;
        ClearVoice(*voice);
        voice->bAcquired = kept.bAcquired;
        voice->priority = kept.priority;
        voice->callback = kept.callback;
        voice->userContext = kept.userContext;
        voice->ve = kept.ve;
        voice->mix = kept.mix;
    }
}
