// The game's outermost control flow: the start-up load, the top loop that
// chooses between the main menu and a map, the pre-game screens, map
// requests and full-screen movies. Main thread.
#include "gcGameCore/flow/gcGame.h"

#include <cstdint>
#include <memory>

#include "cCore/cCoreServices.h"
#include "eEngine/eAudio.h"
#include "eEngine/eInput.h"
#include "eEngine/eMovie.h"
#include "eEngine/eVideo.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/flow/gcGameLoader.h"
#include "gcGameCore/flow/gcMainMenu.h"
#include "gcGameCore/flow/gcMainMenuLoader.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcMapLoader.h"
#include "gcGameCore/flow/gcMusic.h"
#include "gcGameCore/flow/gcPlatformConfig.h"
#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/script/gcMsg.h"
#include "gcGameCore/values/gcValControllerState.h"
#include "mMath/mOCS.h"

namespace {

const cTimeValue kFrameStep(cTimeValue::TICKS_PER_SECOND / 30);

mOCS IdentityFrame()
{
    mOCS frame;
    frame.MakeIdentity();
    return frame;
}

// Events of the game flow run with no objects, ids 0 and a fresh frame.
void ApplyEmpty(const gcEvent& event)
{
    event.Apply(gcEventParams(), gcEventStackData());
}

// A 1-based command-line value as a 0-based id; -1 when absent or refused.
int32_t CommandLineId(const char* name)
{
    int32_t nId = -1;
    return gcGame::ReadCommandLineId(name, &nId) ? nId : -1;
}

// How a failed map load ends the run: what failed it.
gcGame::eRunEnd MapLoadEnd(const gcMapLoader& loader)
{
    switch (loader.m_failure) {
    case gcMapLoader::FAILED_GAME_STATE:
        return gcGame::RUN_GAME_STATE_FAILED;
    case gcMapLoader::FAILED_LOADING_SCREEN:
        return gcGame::RUN_LOADING_SCREEN_FAILED;
    case gcMapLoader::FAILED_NONE:
    case gcMapLoader::FAILED_MAP:
        break;
    }
    return gcGame::RUN_MAP_FAILED;
}

}  // namespace

bool gcGame::ReadCommandLineId(const char* name, int32_t* pId)
{
    *pId = -1;
    cStr value;
    if (!cGetCommandLineValue(name, &value))
        return true;
    // Digits only, checked before they are added up: nothing wraps.
    int64_t n = 0;
    for (const char* p = value.m_sData; *p; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        n = n * 10 + (*p - '0');
        if (n > INT32_MAX)
            return false;
    }
    if (n < 1)
        return false;
    *pId = static_cast<int32_t>(n - 1);
    return true;
}

bool gcGame::LoadBackground()
{
    return gcGameLoader::Get()->Load();
}

void gcGame::HandleCommandLineParams()
{
    const int32_t nAct = CommandLineId("act");
    const int32_t nMap = CommandLineId("map");
    if (nAct >= 0 && nMap >= 0) {
        m_nActToLoad = nAct;
        m_nMapToLoad = nMap;
    }
}

void gcGame::SetNextMapToLoad(int nLoadingScreen, int nAct, int nMap)
{
    m_nLoadingScreenToLoad = nLoadingScreen;
    m_nActToLoad = nAct;
    m_nMapToLoad = nMap;
    if (gcMap::s_pMap)
        gcMap::s_pMap->m_nFlags |= gcMap::kFlagEndMap;
}

void gcGame::DrawOverBlack()
{
    gcGameCamera* pCamera = gcGameCamera::Get();
    pCamera->BeginRender();
    eVideo::Clear(true, true, gcGameConfig::kBlack, 1.0f, nullptr);
    pCamera->Draw();
    pCamera->EndRender();
}

void gcGame::HandleControllerChanged()
{
    const gcValControllerState changed(gcValControllerState::STATE_CHANGED, eInput::JOYBTN_1);
    if (changed.Get(gcEventParams()) != 0.0f && gcPlatformConfig::s_pPlatformConfig)
        ApplyEmpty(gcPlatformConfig::s_pPlatformConfig->onControllerChanged);
}

void gcGame::UpdateWhileLoading(const mOCS& listener, bool bControllerEvent)
{
    eInput::Update(kFrameStep, true);
    if (bControllerEvent)
        HandleControllerChanged();
    gcMusic::Update();
    eAudio::Update(kFrameStep, listener);
    const gcMsgTick tick(kFrameStep);
    gcUI::Get()->Update(tick);
    gcGameCamera::Get()->Send(tick);
}

void gcGame::PreGameFrame(const gcMsgTick& tick)
{
    gcGameCamera* pCamera = gcGameCamera::Get();
    DrawOverBlack();
    eInput::Update(kFrameStep, true);
    eAudio::Update(kFrameStep, IdentityFrame());
    gcUI::Get()->Update(tick);
    pCamera->Send(tick);
    eVideo::PreCull();
    eVideo::Flip();
}

void gcGame::HandlePreGame()
{
    gcGameCamera::Get();
    eInput::Update(kFrameStep, true);
    if (gcPlatformConfig::s_pPlatformConfig)
        ApplyEmpty(gcPlatformConfig::s_pPlatformConfig->onPreGameStarted);
    const gcMsgTick tick(kFrameStep);
    while (cUpdateOS() && gcUI::Get()->GetFocusedDialog())
        PreGameFrame(tick);
}

gcGame::eRunEnd gcGame::Run()
{
    HandleCommandLineParams();
    HandlePreGame();
    if (!IsMapRequested())
        ApplyEmpty(m_onGameStarted);
    while (cUpdateOS()) {
        if (!IsMapRequested()) {
            // Without a menu (its file or the game state unreadable), or
            // with one that leaves nothing to choose, the game cannot go
            // on: that is a failure, not an ending.
            gcMainMenuLoader::Get()->Load();
            if (!gcMainMenu::s_pMainMenu || !gcMainMenu::s_pMainMenu->Run())
                return RUN_MAIN_MENU_FAILED;
        }
        if (!IsMapRequested())
            continue;
        if (!gcMapLoader::Get()->Load(m_nLoadingScreenToLoad, m_nActToLoad, m_nMapToLoad))
            return MapLoadEnd(*gcMapLoader::Get());
        if (!cUpdateOS())
            break;
        m_nLoadingScreenToLoad = m_nActToLoad = m_nMapToLoad = -1;
        if (gcMap::s_pMap) {
            gcMap::s_pMap->Run();
            if (gcMap::s_pMap->m_nDamagedRegionId >= 0)
                return RUN_MAP_FAILED;
        }
        // The next map in the same act keeps the act and its pool; any
        // other request, or none, releases the act with its map.
        if (gcAct::s_pAct && m_nActToLoad == gcAct::s_pAct->m_nActId) {
            if (gcMap::s_pMap)
                std::destroy_at(gcMap::s_pMap);
        } else if (gcAct::s_pAct) {
            std::destroy_at(gcAct::s_pAct);
        }
    }
    return RUN_ENDED;
}

void gcGame::PlayMovie(const char* name, bool bSkippable)
{
    cStr path;
    GetMovieFilename(name, &path);
    const int nController = gcPlayer::Get()->m_nControllerId;
    if (eMovie::Open(path)) {
        const gcValControllerState skip(gcValControllerState::STATE_PRESSED, eInput::JOYBTN_UI_CINEMATICSKIP);
        while (cUpdateOS() && eMovie::Update()) {
            eInput::Update(kFrameStep, true);
            eAudio::Update(kFrameStep, IdentityFrame());
            gcMusic::Update();
            if (bSkippable && skip.Get(gcEventParams()) != 0.0f)
                break;
        }
    }
    eMovie::Close();
    // The idle time restarts, and the button that skipped is seen as held,
    // not pressed again.
    for (int port = 0; port < eInput::kMaxControllers; ++port) {
        if (nController < 0 || port == nController)
            eInput::s_joyState[port].idleTime = cTimeValue(0);
    }
    eInput::Update(cTimeValue(0), false);
}
