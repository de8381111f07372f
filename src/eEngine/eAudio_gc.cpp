// The console half of the mixer: programming voices and setting mixer levels
// and the output mode through the voice and mixer libraries.
#include "eEngine/eAudio.h"

#include <algorithm>

#include "platform/ax.h"
#include "platform/mix.h"
#include "platform/os.h"

#include "eEngine/eAudioPlatform.h"
#include "eEngine/eSoundData.h"
#include "eEngine/eSoundWaveData.h"

namespace {

// Ratio 1.0: every sound plays at the output rate.
constexpr AXPBSRC kUnityRatio = {1, 0, 0};
// A frame's samples follow its predictor/scale byte (2 nibbles).
constexpr uint32_t kFirstSampleNibble = 2;

}  // namespace

// The sample at the play position: n = truncate(seconds x sample rate), in
// 8-byte ADPCM frames of 2 header nibbles and 14 samples. A sound with no
// length, a negative time or a position past the samples starts at the first
// sample.
uint32_t eAudio::CalcStartAddress(const eSoundData& sound, cTimeValue t)
{
    const eSoundWaveData& wave = *sound.m_pWaveData;
    const uint32_t first = wave.m_nStartAddress + kFirstSampleNibble;
    if (sound.m_length <= 0 || t.m_nTicks <= 0)
        return first;
    const int32_t ticks = t.m_nTicks % sound.m_length;
    const int32_t rate = sound.m_nFrequency > 0 ? sound.m_nFrequency : kDefaultSampleRate;
    const double seconds = static_cast<double>(ticks) / cTimeValue::TICKS_PER_SECOND;
    const uint32_t n = static_cast<uint32_t>(seconds * rate);
    const uint32_t address = wave.m_nStartAddress + AX_ADPCM_FRAME_NIBBLES * (n / AX_ADPCM_FRAME_SAMPLES) +
                             kFirstSampleNibble + n % AX_ADPCM_FRAME_SAMPLES;
    return address > wave.m_nEndAddress ? first : address;
}

void eAudio::PlatformStartVoice(eAudioChannel& channel)
{
    AXVPB* pVoice = channel.pPlatformData;
    const eSoundWaveData* pWave = channel.pSound ? channel.pSound->m_pWaveData : nullptr;
    if (!pVoice || !pWave)
        return;
    // The voice library's frame must never see a half-programmed voice.
    const BOOL level = OSDisableInterrupts();
    AXSetVoiceAdpcm(pVoice, pWave->m_adpcmHeader);
    AXSetVoiceEndAddr(pVoice, pWave->m_nEndAddress);
    AXSetVoiceSrc(pVoice, &kUnityRatio);
    AXSetVoiceSrcType(pVoice, AX_SRC_TYPE_LINEAR);
    if (channel.bIsLooping) {
        AXSetVoiceLoopAddr(pVoice, pWave->m_nStartAddress);
        AXSetVoiceLoop(pVoice, 1);
    } else {
        AXSetVoiceLoopAddr(pVoice, eAudioPlatform::s_nZeroBuffer * 2);
        AXSetVoiceLoop(pVoice, 0);
    }
    MIXInitChannel(pVoice, 0, MIX_LEVEL_SILENT, MIX_LEVEL_SILENT, MIX_LEVEL_SILENT, MIX_PAN_CENTER, MIX_SPAN_FRONT, 0);
    OSRestoreInterrupts(level);
    AXSetVoiceCurrentAddr(pVoice, CalcStartAddress(*channel.pSound, channel.playTime));
}

void eAudio::PlatformSetLevels(eAudioChannel& channel, int nInput, int nPan, int nSurroundPan, bool bSurround)
{
    AXVPB* pVoice = channel.pPlatformData;
    MIXSetInput(pVoice, nInput);
    MIXSetPan(pVoice, nPan);
    if (bSurround)
        MIXSetSPan(pVoice, nSurroundPan);
}

void eAudio::PlatformRunVoice(eAudioChannel& channel)
{
    AXSetVoiceState(channel.pPlatformData, AX_PB_STATE_RUN);
}

void eAudio::PlatformStopVoice(eAudioChannel& channel)
{
    AXSetVoiceState(channel.pPlatformData, AX_PB_STATE_STOP);
}

void eAudio::PlatformReleaseVoice(eAudioChannel& channel)
{
    AXSetVoiceState(channel.pPlatformData, AX_PB_STATE_RELEASE);
    MIXReleaseChannel(channel.pPlatformData);
}

// The voice's envelope falls from where it stands by a delta a sample that
// reaches 0 within nSamples; it stays at 0 once there.
void eAudio::PlatformRampDownVoice(eAudioChannel& channel, uint32_t nSamples)
{
    AXVPB* pVoice = channel.pPlatformData;
    if (!pVoice)
        return;
    const BOOL level = OSDisableInterrupts();
    const uint32_t volume = pVoice->ve.currentVolume;
    const uint32_t step = std::max<uint32_t>(1, (volume + nSamples - 1) / std::max<uint32_t>(nSamples, 1));
    const AXPBVE ramp{static_cast<uint16_t>(volume), static_cast<int16_t>(-static_cast<int32_t>(std::min<uint32_t>(step, 0x7FFF)))};
    AXSetVoiceVe(pVoice, &ramp);
    OSRestoreInterrupts(level);
}

// The audio frames go on while the main thread sleeps: on the virtual clock
// of a headless run as on the real one. One frame more lets the last ramp's
// frame be played out.
void eAudio::PlatformWait(cTimeValue time)
{
    const OSTime ms = static_cast<OSTime>(time.m_nTicks) * 1000 / cTimeValue::TICKS_PER_SECOND;
    OSSleepTicks(OSMillisecondsToTicks(ms) + AX_FRAME_TICKS);
}

bool eAudio::PlatformIsSurround()
{
    return eAudioPlatform::s_bStereo && AXGetMode() != AX_MODE_STEREO;
}

void eAudio::SetOutputMode(eAudioOutputMode mode, bool bForce)
{
    if ((mode == AOM_MONO || mode == AOM_STEREO) && !bForce)
        return;
    if (mode == AOM_MONO) {
        eAudioPlatform::s_bStereo = false;
        OSSetSoundMode(OS_SOUND_MODE_MONO);
        MIXSetSoundMode(MIX_SOUND_MODE_MONO);
        return;
    }
    eAudioPlatform::s_bStereo = true;
    OSSetSoundMode(OS_SOUND_MODE_STEREO);
    switch (mode) {
    case AOM_SURROUND:
        MIXSetSoundMode(MIX_SOUND_MODE_SURROUND);
        AXSetMode(AX_MODE_SURROUND);
        break;
    case AOM_DPL2:
        MIXSetSoundMode(MIX_SOUND_MODE_DPL2);
        AXSetMode(AX_MODE_DPL2);
        break;
    default:  // stereo, and any other value
        MIXSetSoundMode(MIX_SOUND_MODE_STEREO);
        AXSetMode(AX_MODE_STEREO);
        break;
    }
}

eAudio::eAudioOutputMode eAudio::GetOutputMode()
{
    if (OSGetSoundMode() == OS_SOUND_MODE_MONO)
        return AOM_MONO;
    switch (AXGetMode()) {
    case AX_MODE_SURROUND:
        return AOM_SURROUND;
    case AX_MODE_DPL2:
        return AOM_DPL2;
    default:
        return AOM_STEREO;
    }
}
