#include "gcGameCore/actions/gcDoPlayMusic.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcMainMenu.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcMusic.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoPlayMusic, gcAction, 175)

namespace {

gcDesiredValue Literal(float f)
{
    gcDesiredValue v;
    v.desiredValue = gcDesiredValue::VAL_NUMBER;
    v.fConst = f;
    return v;
}

// The slot of a track in a level's table; -1 for a track outside it.
int32_t SlotOf(const int32_t* pTable, int nEntries, int32_t nIndex)
{
    return nIndex >= 0 && nIndex < nEntries ? pTable[nIndex] : -1;
}

}  // namespace

gcDoPlayMusic::gcDoPlayMusic() : desiredVolume(Literal(1.0f)) {}

cBase* gcDoPlayMusic::Copy(cMemPool* pPool) const
{
    gcDoPlayMusic* pCopy = pPool ? pPool->New<gcDoPlayMusic>() : nullptr;
    if (!pCopy)
        return nullptr;
    pCopy->nLevel = nLevel;
    pCopy->nIndex = nIndex;
    pCopy->bStop = bStop;
    pCopy->bLooping = bLooping;
    pCopy->fadeTime = fadeTime;
    pCopy->bPlayAsAmbientSFX = bPlayAsAmbientSFX;
    pCopy->desiredVolume = desiredVolume;
    return pCopy;
}

void gcDoPlayMusic::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    wb.WriteInt(nLevel);
    wb.WriteInt(nIndex);
    wb.WriteBool(bStop);
    wb.WriteBool(bLooping);
    wb.WriteInt(fadeTime.m_nTicks);
    wb.WriteBool(bPlayAsAmbientSFX);
    desiredVolume.Write(wb);
}

bool gcDoPlayMusic::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kMinVersion || rb.m_nVersion > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoPlayMusic", "version");
    const uint32_t version = rb.m_nVersion;
    const int32_t level = rb.ReadInt();
    const int32_t index = rb.ReadInt();
    const bool bStopIt = rb.ReadBool();
    const bool bLoop = version >= 5 ? rb.ReadBool() : true;
    const int32_t nFade = rb.ReadInt();
    const bool bAmbient = version >= 3 ? rb.ReadBool() : false;
    gcDesiredValue volume = Literal(1.0f);
    if (version >= 4)
        volume.Read(rb, pPool);
    if (rb.Failed())
        return false;
    nLevel = level;
    nIndex = index;
    bStop = bStopIt;
    bLooping = bLoop;
    fadeTime = cTimeValue(nFade);
    bPlayAsAmbientSFX = bAmbient;
    desiredVolume = volume;
    return true;
}

void gcDoPlayMusic::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, bStop ? "StopMusic( [" : "PlayMusic( [");
    static const char* const s_levels[] = {"Game:%lld", "Act:%lld", "Map:%lld", "Menu:%lld"};
    if (nLevel >= LEVEL_GAME && nLevel <= LEVEL_MENU)
        gcScriptText::AppendF(pBuf, s_levels[nLevel], static_cast<long long>(nIndex) + 1);
    gcScriptText::Append(pBuf, "] )");
}

// The act level has no tracks, and the main menu of this build keeps no
// track table of its own.
int32_t gcDoPlayMusic::GetSlot() const
{
    switch (nLevel) {
    case LEVEL_GAME:
        return gcGame::s_pGame ? SlotOf(gcGame::s_pGame->m_nGameTrackIndex, gcGame::kMaxGameTracks, nIndex) : -1;
    case LEVEL_MAP:
        return gcMap::s_pMap ? SlotOf(gcMap::s_pMap->m_nMapTrackIndex, gcMap::kMaxMapTracks, nIndex) : -1;
    case LEVEL_MENU:
        return gcMainMenu::s_pMainMenu
                   ? SlotOf(gcMainMenu::s_pMainMenu->m_nMenuTrackIndex, gcMainMenu::kMaxMenuTracks, nIndex)
                   : -1;
    default:
        return -1;
    }
}

void gcDoPlayMusic::DoAction(const gcEventParams&) const
{
    const int32_t slot = GetSlot();
    if (slot < 0)
        return;
    if (bStop)
        gcMusic::StopMusic(slot, fadeTime);
    else
        gcMusic::PlayMusic(slot, fadeTime, desiredVolume.GetValue(), bLooping, bPlayAsAmbientSFX);
}
