// The mixer library: channel settings per voice, turned into main-bus
// volumes by the sound mode, the level law and the pan law.
#include "platform/mix.h"

#include <algorithm>
#include <cmath>

#include "audio/ax_local.h"

namespace {

struct Channel {
    bool bActive = false;
    bool bDirty = false;
    uint32_t nMode = 0;
    int nInput = MIX_LEVEL_SILENT;
    int nAuxA = MIX_LEVEL_SILENT;
    int nAuxB = MIX_LEVEL_SILENT;
    int nPan = MIX_PAN_CENTER;
    int nSPan = MIX_SPAN_FRONT;
    int nFader = 0;
};

struct Mixer {
    Channel channels[AX_MAX_VOICES];
    uint32_t nSoundMode = MIX_SOUND_MODE_STEREO;
    bool bAllDirty = false;
};

Mixer& X()
{
    static Mixer* s_pMixer = new Mixer;
    return *s_pMixer;
}

constexpr float kHalfPi = 1.57079632679f;

Channel* Find(AXVPB* voice)
{
    if (!voice || voice->index < 0 || voice->index >= AX_MAX_VOICES)
        return nullptr;
    Channel& c = X().channels[voice->index];
    return c.bActive ? &c : nullptr;
}

// Sets one field of an active channel and marks it.
template <class F>
void Change(AXVPB* voice, F change)
{
    OSInterruptScope scope;
    if (Channel* c = Find(voice)) {
        change(*c);
        c->bDirty = true;
    }
}

template <class F>
int Query(AXVPB* voice, F get, int fallback)
{
    OSInterruptScope scope;
    const Channel* c = Find(voice);
    return c ? get(*c) : fallback;
}

uint16_t ToVolume(float gain)
{
    return static_cast<uint16_t>(std::clamp(std::lround(gain * AX_VOLUME_UNITY), 0L, 0xFFFFL));
}

void Apply(const Channel& c, AXVPB& voice, uint32_t mode)
{
    const float gain = MIXLevelToGain(std::min(c.nInput, MIX_LEVEL_MAX) + std::min(c.nFader, MIX_LEVEL_MAX));
    float left = gain, right = gain, surround = 0.0f;
    if (mode != MIX_SOUND_MODE_MONO) {
        float panL, panR;
        MIXPanGains(c.nPan, &panL, &panR);
        left *= panL;
        right *= panR;
    }
    if (mode == MIX_SOUND_MODE_SURROUND || mode == MIX_SOUND_MODE_DPL2) {
        float rear, front;
        MIXPanGains(c.nSPan, &rear, &front);
        left *= front;
        right *= front;
        surround = gain * rear;
    }
    voice.mix = AXPBMIX{ToVolume(left), ToVolume(right), ToVolume(surround)};
}

}  // namespace

float MIXLevelToGain(int level)
{
    if (level <= MIX_LEVEL_SILENT)
        return 0.0f;
    return std::pow(10.0f, static_cast<float>(level) / 200.0f);
}

void MIXPanGains(int pan, float* pLeft, float* pRight)
{
    // 1..127 is symmetric about 64 (64 -/+ 63); 0 counts as 1.
    const float t = std::clamp(static_cast<float>(pan - 1) / 126.0f, 0.0f, 1.0f);
    *pLeft = t >= 1.0f ? 0.0f : std::cos(t * kHalfPi);  // cos of a quarter turn in floats is not quite 0
    *pRight = std::sin(t * kHalfPi);
}

void MIXInit()
{
    OSInterruptScope scope;
    Mixer& x = X();
    for (Channel& c : x.channels)
        c = Channel();
}

void MIXQuit()
{
    MIXInit();
}

void MIXInitChannel(AXVPB* voice, uint32_t mode, int input, int auxA, int auxB, int pan, int span, int fader)
{
    if (!voice || voice->index < 0 || voice->index >= AX_MAX_VOICES)
        return;
    OSInterruptScope scope;
    Channel& c = X().channels[voice->index];
    c.bActive = true;
    c.bDirty = true;
    c.nMode = mode;
    c.nInput = input;
    c.nAuxA = auxA;
    c.nAuxB = auxB;
    c.nPan = std::clamp(pan, MIX_PAN_LEFT, MIX_PAN_RIGHT);
    c.nSPan = std::clamp(span, MIX_SPAN_REAR, MIX_SPAN_FRONT);
    c.nFader = fader;
    const AXPBVE ve{AX_VE_UNITY, 0};
    AXSetVoiceVe(voice, &ve);
}

void MIXReleaseChannel(AXVPB* voice)
{
    if (!voice || voice->index < 0 || voice->index >= AX_MAX_VOICES)
        return;
    OSInterruptScope scope;
    X().channels[voice->index] = Channel();
}

void MIXSetInput(AXVPB* voice, int level) { Change(voice, [level](Channel& c) { c.nInput = level; }); }
int MIXGetInput(AXVPB* voice) { return Query(voice, [](const Channel& c) { return c.nInput; }, MIX_LEVEL_SILENT); }
void MIXSetFader(AXVPB* voice, int level) { Change(voice, [level](Channel& c) { c.nFader = level; }); }
int MIXGetFader(AXVPB* voice) { return Query(voice, [](const Channel& c) { return c.nFader; }, MIX_LEVEL_SILENT); }
void MIXSetAuxA(AXVPB* voice, int level) { Change(voice, [level](Channel& c) { c.nAuxA = level; }); }
int MIXGetAuxA(AXVPB* voice) { return Query(voice, [](const Channel& c) { return c.nAuxA; }, MIX_LEVEL_SILENT); }
void MIXSetAuxB(AXVPB* voice, int level) { Change(voice, [level](Channel& c) { c.nAuxB = level; }); }
int MIXGetAuxB(AXVPB* voice) { return Query(voice, [](const Channel& c) { return c.nAuxB; }, MIX_LEVEL_SILENT); }

void MIXSetPan(AXVPB* voice, int pan)
{
    const int p = std::clamp(pan, MIX_PAN_LEFT, MIX_PAN_RIGHT);
    Change(voice, [p](Channel& c) { c.nPan = p; });
}

int MIXGetPan(AXVPB* voice) { return Query(voice, [](const Channel& c) { return c.nPan; }, MIX_PAN_CENTER); }

void MIXSetSPan(AXVPB* voice, int span)
{
    const int p = std::clamp(span, MIX_SPAN_REAR, MIX_SPAN_FRONT);
    Change(voice, [p](Channel& c) { c.nSPan = p; });
}

int MIXGetSPan(AXVPB* voice) { return Query(voice, [](const Channel& c) { return c.nSPan; }, MIX_PAN_CENTER); }

void MIXSetSoundMode(uint32_t mode)
{
    if (mode > MIX_SOUND_MODE_DPL2) {
        OSReport("MIX: MIXSetSoundMode(%u) ignored: not a mode\n", mode);
        return;
    }
    OSInterruptScope scope;
    X().nSoundMode = mode;
    X().bAllDirty = true;
}

uint32_t MIXGetSoundMode()
{
    OSInterruptScope scope;
    return X().nSoundMode;
}

void MIXUpdateSettings()
{
    OSInterruptScope scope;
    Mixer& x = X();
    AXVPB* voices = ax::Voices();
    for (int i = 0; i < AX_MAX_VOICES; ++i) {
        Channel& c = x.channels[i];
        if (!c.bActive || !(c.bDirty || x.bAllDirty))
            continue;
        Apply(c, voices[i], x.nSoundMode);
        c.bDirty = false;
    }
    x.bAllDirty = false;
}
