#include "gcGameCore/values/gcValConsoleInfo.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eAudio.h"
#include "eEngine/eMemCard.h"
#include "eEngine/eVideo.h"
#include "gcGameCore/flow/gcGameSave.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValConsoleInfo, gcValue, 258)

cBase* gcValConsoleInfo::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValConsoleInfo>(info) : nullptr;
}

void gcValConsoleInfo::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    wb.WriteInt(info);
}

bool gcValConsoleInfo::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    const int32_t i = rb.ReadInt();
    if (rb.Failed())
        return false;
    info = i;
    return true;
}

namespace {

float Flag(bool b)
{
    return b ? 1.0f : 0.0f;
}

}  // namespace

float gcValConsoleInfo::Get(const gcEventParams&) const
{
    switch (info) {
    case INFO_PROGRESSIVE_ALLOWED:
        return Flag(eVideo::CanDisplayProgressive());
    case INFO_PROGRESSIVE_ALWAYSASK:
        return Flag(eVideo::AlwaysPromptProgressive());
    case INFO_SAVEGAME_SIZE:
        return static_cast<float>(eMemCard::GetSaveSize(gcGameSave::kDataSize));
    case INFO_CARDPRESENT:
        return Flag(eMemCard::CardPresent());
    case INFO_CARDCHANGED:
        return Flag(eMemCard::CardChanged());
    case INFO_IS_AUDIO_MODE_MONO:
        return Flag(eAudio::GetOutputMode() == eAudio::AOM_MONO);
    case INFO_IS_AUDIO_MODE_STEREO:
        return Flag(eAudio::GetOutputMode() == eAudio::AOM_STEREO);
    case INFO_IS_AUDIO_MODE_SURROUND:
        return Flag(eAudio::GetOutputMode() == eAudio::AOM_SURROUND);
    case INFO_IS_AUDIO_MODE_DPL2:
        return Flag(eAudio::GetOutputMode() == eAudio::AOM_DPL2);
    default:  // the free space is not asked of the card
        return 0.0f;
    }
}

const char* gcValConsoleInfo::GetInfoText(int32_t i)
{
    static const char* const s_texts[MAX_INFOS] = {
        "CanDisplayProgressive", "AlwaysPromptProgressive", "SaveGameSize", "CardPresent", "CardChanged",
        "IsAudioMono",           "IsAudioStereo",           "IsAudioSurround", "IsAudioDPL2", "MemCardFreeSpace",
    };
    return i >= 0 && i < MAX_INFOS ? s_texts[i] : "???";
}

void gcValConsoleInfo::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, "ConsoleInfo( ");
    gcScriptText::Append(pBuf, GetInfoText(info));
    gcScriptText::Append(pBuf, " )");
}
