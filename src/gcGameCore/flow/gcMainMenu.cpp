#include "gcGameCore/flow/gcMainMenu.h"

#include <algorithm>
#include <memory>

#include "cCore/cCoreServices.h"
#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eAudio.h"
#include "eEngine/eInput.h"
#include "eEngine/eSoundData.h"
#include "eEngine/eVideo.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/flow/gcGamePools.h"
#include "gcGameCore/flow/gcMusic.h"
#include "gcGameCore/flow/gcPlatformConfig.h"
#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/interface/gcUIWidgetGroup.h"
#include "gcGameCore/script/gcEventStackData.h"
#include "gcGameCore/script/gcMsg.h"
#include "mMath/mOCS.h"

QM_DEFINE_TYPE(gcMainMenu, cBase, 173)

gcMainMenu* gcMainMenu::s_pMainMenu = nullptr;

namespace {

const cTimeValue kFrameStep(cTimeValue::TICKS_PER_SECOND / 30);

// Events of the game flow run with no objects, ids 0 and a fresh frame.
void ApplyEmpty(const gcEvent& event)
{
    event.Apply(gcEventParams(), gcEventStackData());
}

bool IsMapRequested()
{
    return gcGame::s_pGame && gcGame::s_pGame->IsMapRequested();
}

}  // namespace

gcMainMenu::gcMainMenu() : onStarted("OnStarted", "MainMenu")
{
    using G = gcGameConfig;
    G::SetGroupRange(m_textures, 150, 350);
    G::SetGroupRange(m_materials, 300, 600);
    G::SetGroupRange(m_fonts, 4, 8);
    G::SetGroupRange(m_sprites, 200, 300);
    G::SetGroupRange(m_UIDialogs, 100, 200);
    G::SetGroupRange(m_functions, 400, 450);
    s_pMainMenu = this;
}

gcMainMenu::~gcMainMenu()
{
    DeleteSoundData();
    if (s_pMainMenu == this)
        s_pMainMenu = nullptr;
}

void gcMainMenu::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cBase::Write(file);
    m_textures.Write(file);
    m_materials.Write(file);
    m_fonts.Write(file);
    m_sprites.Write(file);
    m_UIDialogs.Write(file);
    m_functions.Write(file);
    onStarted.Write(file);
    wb.WriteInt(static_cast<int32_t>(kMaxMenuTracks));
    wb.WriteInts(m_nMenuTracks, kMaxMenuTracks);
}

bool gcMainMenu::ReadGroups(const cFile& file, cMemPool* pPool, uint32_t version)
{
    using G = gcGameConfig;
    bool bOk = G::ReadGroup(m_textures, file, pPool) && G::ReadGroup(m_materials, file, pPool);
    if (bOk && version >= 2)
        bOk = G::ReadGroup(m_fonts, file, pPool);
    if (bOk && version >= 3)
        bOk = G::ReadGroup(m_sprites, file, pPool);
    bOk = bOk && G::ReadGroup(m_UIDialogs, file, pPool);
    if (bOk && version >= 5)
        bOk = G::ReadGroup(m_functions, file, pPool);
    return bOk;
}

bool gcMainMenu::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0 || rb.m_nVersion > kVersion)
        return rb.Reject("gcMainMenu", "version");
    // A dialog refused or missing a widget refuses its group, and the menu.
    bool bOk = cBase::Read(file, pPool) && ReadGroups(file, pPool, rb.m_nVersion) && onStarted.Read(file, pPool);
    if (bOk && rb.m_nVersion >= 4) {
        int32_t tracks[kMaxMenuTracks] = {-1, -1};
        // More than two tracks: the rest is read and dropped.
        bOk = gcGameConfig::ReadIntRun(rb, rb.ReadInt(), tracks, kMaxMenuTracks);
        if (bOk)
            std::copy(std::begin(tracks), std::end(tracks), m_nMenuTracks);
    }
    if (!bOk || rb.Failed())
        return rb.Reject("gcMainMenu", "block");
    return true;
}

void gcMainMenu::GetFilename(cStr* pName)
{
    pName->Set("%s/Game/MainMenu.mnu", gcGameConfig::s_dataPath.m_sData);
}

void gcMainMenu::GetSoundFilename(cStr* pName)
{
    pName->Set("%s/Game/MainMenuSound.snd", gcGameConfig::s_dataPath.m_sData);
}

bool gcMainMenu::Load()
{
    if (s_pMainMenu)
        return true;
    cStr name;
    GetFilename(&name);
    cFile file;
    if (!file.Open(name))
        return false;  // logged by the file, naming it
    gcGame::PreCreateMainMenu();
    gcMainMenu* p = s_pMainMenu;
    if (!p)
        return false;
    if (!file.ReadObject(*p, &gcGame::s_mapPool)) {
        std::destroy_at(p);
        return false;
    }
    file.Close();
    p->LoadSoundData();
    return true;
}

void gcMainMenu::DeleteSoundData()
{
    if (m_pSoundData)
        std::destroy_at(m_pSoundData);
    m_pSoundData = nullptr;
}

void gcMainMenu::CreateSoundData()
{
    DeleteSoundData();
    cMemPool& pool = gcGame::s_mapSoundPool;
    gcGameConfig::PrepPool(pool, gcGameConfig::GetMapSoundPoolSize());
    eSoundDataGroup* pGroup = pool.New<eSoundDataGroup>();
    if (!pGroup)
        return;
    gcGameConfig::SetGroupRange(*pGroup, kSoundBegin, kSoundEnd);
    pGroup->m_nMemSize = static_cast<int32_t>(gcGameConfig::GetMapSoundDataSize());
    m_pSoundData = pGroup;
}

bool gcMainMenu::LoadSoundData()
{
    cStr name;
    GetSoundFilename(&name);
    cFile file;
    if (!file.OpenOptional(name))
        return true;  // a menu without sounds
    CreateSoundData();
    if (m_pSoundData)
        file.ReadObject(*m_pSoundData, &gcGame::s_mapSoundPool);
    file.Close();
    return true;
}

bool gcMainMenu::LoadMusic()
{
    for (int i = 0; i < kMaxMenuTracks; ++i) {
        if (m_nMenuTracks[i] == -1)
            continue;
        const int slot = gcMusic::LoadMusic(m_nMenuTracks[i], &gcGame::s_mapMusicPool);
        if (slot == -1)
            return false;
        m_nMenuTrackIndex[i] = slot;
    }
    return true;
}

void gcMainMenu::Draw()
{
    gcGameCamera* pCamera = gcGameCamera::Get();
    pCamera->BeginRender();
    eVideo::Clear(true, true, gcGameConfig::kBlack, 1.0f, nullptr);
    eMaterial::SetGlobalAmbient(mVec3(1.0f, 1.0f, 1.0f));
    eMaterial::ApplyNull();
    pCamera->Draw();
    pCamera->EndRender();
}

// The sound of the choice that ended the menu, set going by its last
// update, starts now and is heard whole, the music going on beneath it,
// before every voice fades out.
void gcMainMenu::PlayOutChoice()
{
    mOCS listener;
    listener.MakeIdentity();
    eAudio::Update(cTimeValue(0), listener);
    eAudio::PlayOutGroup(eAudio::ACG_UI, cTimeValue::FromSeconds(kChoiceMostSeconds));
}

void gcMainMenu::Update(const gcMsgTick& tick)
{
    eInput::Update(tick.dT, true);
    gcGame::HandleControllerChanged();
    mOCS listener;
    listener.MakeIdentity();
    eAudio::Update(tick.dT, listener);
    gcGameCamera::Get()->Send(tick);
    gcUI::Get()->Update(tick);
}

bool gcMainMenu::Fail(const char* why)
{
    cStr name;
    GetFilename(&name);
    cLogError_("gcMainMenu: \"%s\": %s; the main menu cannot go on", name.m_sData, why);
    return false;
}

bool gcMainMenu::Run()
{
    const gcMsgTick tick(kFrameStep);
    // The interface's flat view: near and far planes at -1, far clip 1.
    eCamera& camera = gcGameCamera::Get()->m_camera;
    camera.m_frustum.planes[mFrustum::kNear].offset = -1.0f;
    camera.m_frustum.planes[mFrustum::kFar].offset = -1.0f;
    camera.m_fFarClip = 1.0f;
    camera.SetFrustum(camera.m_frustum);
    gcPlayer::Get()->m_nControllerId = -1;  // no player controller chosen yet
    eInput::Reset();
    gcGameCamera::Get()->Reset(false);
    ApplyEmpty(onStarted);
    if (gcPlatformConfig::s_pPlatformConfig)
        ApplyEmpty(gcPlatformConfig::s_pPlatformConfig->onMainMenuStarted);
    // Without a dialog nothing can be chosen: the player would face a black
    // screen for good, so the menu's data is at fault.
    if (!gcUI::Get()->GetFocusedDialog())
        return Fail("its start events opened no dialog");
    Update(tick);
    bool bOk = true;
    bool bChosen = false;
    while (cUpdateOS()) {
        Draw();
        Update(tick);
        eVideo::PreCull();
        eVideo::Flip();
        if (!gcUI::Get()->GetFocusedDialog()) {
            // Nothing left to choose and nowhere to go: the same black screen.
            if (!IsMapRequested())
                bOk = Fail("its dialogs all closed with no map asked for");
            bChosen = true;
            break;
        }
    }
    Draw();  // the screen is left cleared
    eVideo::Flip();
    if (bChosen)
        PlayOutChoice();
    eAudio::FadeOutAllVoices(cTimeValue::FromSeconds(gcMusic::kEndFadeSeconds));
    gcMusic::StopAllMusic();
    for (eAudio::eAudioChannelGroup group : {eAudio::ACG_UI, eAudio::ACG_BGM, eAudio::ACG_VO, eAudio::ACG_SFX})
        eAudio::FreeGroup(group);
    return bOk;
}
