#include "gcGameCore/values/gcValAudioVolume.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cTimeValue.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValAudioVolume, gcLValue, 212)

cBase* gcValAudioVolume::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValAudioVolume>(*this) : nullptr;
}

// The group goes before the fader, which was added in version 2.
void gcValAudioVolume::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcLValue::Write(file);
    wb.WriteInt(audioGroup);
    wb.WriteInt(nFaderId);
}

bool gcValAudioVolume::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, kMinVersion, kVersion))
        return false;
    const int32_t group = rb.ReadInt();
    const int32_t fader = rb.m_nVersion >= 2 ? rb.ReadInt() : int32_t(FADER_MAIN);
    if (rb.Failed())
        return false;
    audioGroup = group;
    nFaderId = fader;
    return true;
}

bool gcValAudioVolume::IsValid() const
{
    return audioGroup >= 0 && audioGroup < eAudio::kNumGroups && nFaderId >= 0 && nFaderId < MAX_FADERS;
}

float gcValAudioVolume::Get(const gcEventParams&) const
{
    if (!IsValid())
        return 0.0f;
    const auto group = static_cast<eAudio::eAudioChannelGroup>(audioGroup);
    return nFaderId == FADER_MAIN ? eAudio::GetGroupVolume(group, FADER_MAIN)
                                  : eAudio::GetGroupTargetValue(group, nFaderId);
}

void gcValAudioVolume::Set(float fValue, const gcEventParams&)
{
    if (!IsValid())
        return;
    const float v = fValue <= 0.0f ? 0.0f : fValue >= 1.0f ? 1.0f : fValue;
    const auto group = static_cast<eAudio::eAudioChannelGroup>(audioGroup);
    if (nFaderId == FADER_MAIN)
        eAudio::SetGroupVolume(group, FADER_MAIN, v);
    else
        eAudio::SetGroupFade(group, nFaderId, cTimeValue(cTimeValue::TICKS_PER_SECOND), false, true, v);
}

const char* gcValAudioVolume::GetFaderText(int32_t fader)
{
    static const char* const s_texts[MAX_FADERS] = {"Main", "User1", "User2"};
    return fader >= 0 && fader < MAX_FADERS ? s_texts[fader] : "";
}

void gcValAudioVolume::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, eAudio::GetAudioGroupText(static_cast<eAudio::eAudioChannelGroup>(audioGroup)));
    gcScriptText::Append(pBuf, ".");
    gcScriptText::Append(pBuf, GetFaderText(nFaderId));
    gcScriptText::Append(pBuf, ".Volume");
}
