#include "gcGameCore/flow/gcMapLoader.h"

#include <memory>

#include "cCore/cCoreServices.h"
#include "cCore/cLog.h"
#include "eEngine/eInput.h"
#include "eEngine/eVideo.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/flow/gcLoadingScreen.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/script/gcEventParams.h"
#include "gcGameCore/values/gcValControllerState.h"
#include "mMath/mOCS.h"

namespace {

// How long a loading screen's dialog may stay open once nothing more is
// awaited: five seconds of 30 frames a second (150 frames, 3,000 ticks).
// Its own script closes it long before; one that does not (its close action
// names another dialog, say) would keep the loading bar up for good.
constexpr int kCloseWaitFrames = 5 * 30;

// Whether the player can close the dialog: it holds a control that does
// something with a press (its confirm event has actions). Such a screen may
// wait for the player for as long as they like.
bool TakesAPress(const gcUIDialog& dialog)
{
    for (int i = 0; i < dialog.m_nControls; ++i)
        if (dialog.m_pControls[i] && dialog.m_pControls[i]->onConfirm.HasActions())
            return true;
    return false;
}

bool ConfirmPressed()
{
    const gcValControllerState pressed(gcValControllerState::STATE_PRESSED, eInput::JOYBTN_UI_CONFIRM);
    return pressed.Get(gcEventParams()) != 0.0f;
}

}  // namespace

gcMapLoader* gcMapLoader::Get()
{
    static gcMapLoader s_loader;
    return &s_loader;
}

gcMapLoader::~gcMapLoader()
{
    WaitForFinish();
}

// Another act goes with its map; the same act keeps itself and loses only
// its map. The old loading screen always goes.
void gcMapLoader::DropReplaced(int nAct)
{
    if (gcAct::s_pAct && gcAct::s_pAct->m_nActId != nAct)
        std::destroy_at(gcAct::s_pAct);
    else if (gcMap::s_pMap)
        std::destroy_at(gcMap::s_pMap);
    if (gcLoadingScreen::s_pLoadingScreen)
        std::destroy_at(gcLoadingScreen::s_pLoadingScreen);
}

bool gcMapLoader::Load(int nLoadingScreen, int nAct, int nMap)
{
    m_failure = FAILED_NONE;
    m_nLoadingScreen = nLoadingScreen;
    m_nAct = nAct;
    m_nMap = nMap;
    DropReplaced(nAct);
    m_bLoadingScreenLoaded = false;
    gcGameCamera::Get()->Reset(false);
    eInput::Reset();
    if (!Start()) {
        cLogError_("gcMapLoader: the loader thread did not start");
        m_failure = FAILED_MAP;
        return false;
    }
    // Nothing is drawn until the loading screen is there; a thread that
    // ends without one (a failed game-state load) ends the wait too.
    while (!m_bLoadingScreenLoaded && IsRunning()) {
        cUpdateOS();
        cThread::Yield();
    }
    gcUIDialog* pDialog = gcLoadingScreen::s_pLoadingScreen ? gcLoadingScreen::ShowDialog() : nullptr;
    DrawUntilClosed(pDialog);
    WaitForFinish();
    Draw();
    eVideo::Flip();
    return m_failure == FAILED_NONE;
}

// A screen the player can close waits for them: its bound starts at their
// first press once the map has loaded (a press while it loads may be one the
// screen ignores), so a damaged one still ends five seconds after it. Any
// other screen's bound starts at the load.
void gcMapLoader::DrawUntilClosed(gcUIDialog* pDialog)
{
    const bool bWaitsForPress = pDialog && TakesAPress(*pDialog);
    bool bBound = false;   // the bound is counting
    int nBoundFrames = 0;  // frames shown since it started
    for (;;) {
        const bool bOpen = pDialog && gcUI::Get()->FindDialog(pDialog) >= 0;
        if (!IsRunning() && !bOpen)
            break;
        // The program's quit request (window closed, SIGINT, SIGTERM, frame
        // limit) ends the wait once the thread has ended.
        if (!cUpdateOS() && !IsRunning())
            break;
        const bool bLoaded = !IsRunning();
        bBound = bBound || (bLoaded && !bWaitsForPress);
        if (bOpen && bBound && nBoundFrames++ >= kCloseWaitFrames) {
            cStr name;
            gcLoadingScreen::GetFilename(m_nLoadingScreen, &name);
            cLogError_("gcMapLoader: loading screen \"%s\" (dialog \"%s\") did not close within %d s of %s; closed",
                       name.m_sData, pDialog->m_name.m_sData, kCloseWaitFrames / 30,
                       bWaitsForPress ? "the player's press" : "the map's load");
            gcUI::CloseDialog(pDialog, nullptr, false);
            continue;
        }
        Draw();
        Update();
        eVideo::PreCull();
        eVideo::Flip();
        bBound = bBound || (bLoaded && ConfirmPressed());
    }
}

bool gcMapLoader::Run()
{
    gcGame* pGame = gcGame::s_pGame;
    if (pGame && !gcGame::LoadGameState()) {
        // The game's own data, not the map's: the cause is logged already,
        // naming the file.
        cLogInfo_("gcMapLoader: the game state could not be loaded");
        m_failure = FAILED_GAME_STATE;
        return false;
    }
    bool bOk = pGame != nullptr;
    if (bOk) {
        // A missing screen leaves the load without one; a refused one is
        // damaged game data, and the map is not loaded.
        bool bRefused = false;
        if (m_nLoadingScreen >= 0)
            gcGame::LoadLoadingScreen(m_nLoadingScreen, &bRefused);
        m_bLoadingScreenLoaded = true;
        if (bRefused) {
            // The cause is logged already, naming the file.
            cLogInfo_("gcMapLoader: loading screen %lld could not be loaded; the game data is damaged",
                       static_cast<long long>(m_nLoadingScreen) + 1);
            m_failure = FAILED_LOADING_SCREEN;
            return false;
        }
        bOk = gcGame::LoadAct(m_nAct) && gcAct::s_pAct->LoadMap(m_nMap);
    }
    if (bOk) {
        gcMap* pMap = gcMap::s_pMap;
        pMap->LoadMusic();  // a track that does not load is not fatal
        bOk = pMap->LoadRegions(pMap->m_nInitialRegionId) && gcPlayer::Get()->UpdatePlayerConfig(pMap->m_nPlayerConfigId);
    }
    if (!bOk) {
        // Widened: the ids may come from a save, up to the largest int. The
        // cause is logged already, naming the file or the id.
        cLogInfo_("gcMapLoader: act %lld, map %lld could not be loaded", static_cast<long long>(m_nAct) + 1,
                   static_cast<long long>(m_nMap) + 1);
        m_failure = FAILED_MAP;
        return false;
    }
    eVideo::InvalidateTextureCache();
    return true;
}

void gcMapLoader::Update()
{
    mOCS listener;
    listener.MakeIdentity();
    gcGame::UpdateWhileLoading(listener, true);
}

void gcMapLoader::Draw()
{
    gcGame::DrawOverBlack();
}
