#include "gcGameCore/actions/gcDoLoadMap.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcGameSave.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcPlatformConfig.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoLoadMap, gcAction, 107)

namespace {

// The game file's name of the loading screen, or "LoadingScreen03" when it
// has none (or the index lies outside the table).
void AppendLoadingScreenName(const gcGame& game, int32_t nIndex, char* pBuf)
{
    if (nIndex >= 0 && nIndex < gcGame::kMaxLoadingScreens && game.m_loadingScreenNames[nIndex].m_nLength > 0)
        gcScriptText::Append(pBuf, game.m_loadingScreenNames[nIndex].m_sData);
    else
        gcScriptText::AppendF(pBuf, "LoadingScreen%.2lld", static_cast<long long>(nIndex) + 1);
}

}  // namespace

cBase* gcDoLoadMap::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoLoadMap>(nLoadingScreenToLoad, nActToLoad, nMapToLoad, bExitCurrentMap, bSaveGame,
                                           bRestartCurrentMap)
                 : nullptr;
}

void gcDoLoadMap::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    wb.WriteInt(nLoadingScreenToLoad);
    wb.WriteInt(nActToLoad);
    wb.WriteInt(nMapToLoad);
    wb.WriteBool(bExitCurrentMap);
    wb.WriteBool(bSaveGame);
    wb.WriteBool(bRestartCurrentMap);
}

bool gcDoLoadMap::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1 || rb.m_nVersion > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    const gcDoLoadMap defaults;
    const int32_t nScreen = rb.ReadInt();
    const int32_t nAct = rb.ReadInt();
    const int32_t nMap = rb.ReadInt();
    const bool bExit = rb.m_nVersion >= 2 ? rb.ReadBool() : defaults.bExitCurrentMap;
    const bool bSave = rb.m_nVersion >= 3 ? rb.ReadBool() : defaults.bSaveGame;
    const bool bRestart = rb.m_nVersion >= 4 ? rb.ReadBool() : defaults.bRestartCurrentMap;
    if (rb.Failed())
        return false;
    nLoadingScreenToLoad = nScreen;
    nActToLoad = nAct;
    nMapToLoad = nMap;
    bExitCurrentMap = bExit;
    bSaveGame = bSave;
    bRestartCurrentMap = bRestart;
    return true;
}

void gcDoLoadMap::GetText(char* pBuf) const
{
    if (bExitCurrentMap) {
        gcScriptText::Append(pBuf, "ExitMap( )");
    } else if (bRestartCurrentMap) {
        gcScriptText::Append(pBuf, "RestartCurrentMap( )");
    } else if (const gcGame* pGame = gcGame::s_pGame) {
        gcScriptText::AppendF(pBuf, "LoadMap( %lld, %lld, \"", static_cast<long long>(nActToLoad) + 1,
                              static_cast<long long>(nMapToLoad) + 1);
        AppendLoadingScreenName(*pGame, nLoadingScreenToLoad, pBuf);
        gcScriptText::Append(pBuf, "\" )");
    } else {
        gcScriptText::AppendF(pBuf, "LoadMap( %lld, %lld, %lld )", static_cast<long long>(nActToLoad) + 1,
                              static_cast<long long>(nMapToLoad) + 1, static_cast<long long>(nLoadingScreenToLoad) + 1);
    }
}

void gcDoLoadMap::DoAction(const gcEventParams& params) const
{
    gcMap* pMap = gcMap::s_pMap;
    gcGame* pGame = gcGame::s_pGame;
    if (bExitCurrentMap) {
        if (pMap)
            pMap->m_nFlags |= gcMap::kFlagEndMap;
        return;
    }
    if (bRestartCurrentMap) {
        if (pMap && pGame && gcAct::s_pAct)
            pGame->SetNextMapToLoad(nLoadingScreenToLoad, gcAct::s_pAct->m_nActId, pMap->m_nMapId);
        return;
    }
    if (!pGame)
        return;
    pGame->SetNextMapToLoad(nLoadingScreenToLoad, nActToLoad, nMapToLoad);
    if (!bSaveGame)
        return;
    // The profile records the map just requested; the data's saved event
    // decides whether the card is written.
    gcGameSave::UpdateCurProfile(false);
    if (gcPlatformConfig::s_pPlatformConfig)
        gcPlatformConfig::s_pPlatformConfig->onGameSaved.Apply(params, gcEventStackData());
}
