#include "gcGameCore/flow/gcGame.h"

#include <algorithm>
#include <memory>

#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eSoundData.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/entities/gcRegionTrigger.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcLoadingScreen.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/flow/gcGamePools.h"
#include "gcGameCore/flow/gcGameState.h"
#include "gcGameCore/flow/gcMainMenu.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcMusic.h"
#include "gcGameCore/flow/gcPlayerConfig.h"
#include "gcGameCore/flow/gcRegion.h"
#include "gcGameCore/flow/gcStreamedCinematicPlayer.h"
#include "gcGameCore/script/gcString.h"

QM_DEFINE_TYPE(gcGame, cObject, 64)

gcGame* gcGame::s_pGame = nullptr;
cMemPool gcGame::s_gamePool("Game", 0, true);
cMemPool gcGame::s_gameMusicPool("Game Music", 0, true);
cMemPool gcGame::s_gameSoundPool("Game Sound", 0, true);
cMemPool gcGame::s_gameStringsPool("Game Strings", 0, true);
cMemPool gcGame::s_gameStatePool("Game State", 0, true);
cMemPool gcGame::s_actPool("Act", 0, true);
cMemPool gcGame::s_mapPool("Map", 0, true);
cMemPool gcGame::s_mapSoundPool("Map Sound", 0, true);
cMemPool gcGame::s_mapVoiceOversPool("Map Voice Overs", 0, true);
cMemPool gcGame::s_mapMusicPool("Map Music ", 0, true);
cMemPool gcGame::s_mapStringsPool("Map Strings", 0, true);
cMemPool gcGame::s_mapCinematicPool("Map Streamed Cinematics", 0, true);
cMemPool gcGame::s_mapCinematicVOPool("Map Streamed Cinematic VO", 0, true);
cMemPool gcGame::s_playerConfigPool("Player Config", 0, true);
cMemPool gcGame::s_playerConfigSoundPool("Player Config Sound", 0, true);
cMemPool gcGame::s_loadingScreenPool("Loading Screen", 0, true);
cMemPool gcGame::s_regionPools[kRegionPools] = {
    {"Region", 0, true}, {"Region", 0, true}, {"Region", 0, true}, {"Region", 0, true}, {"Region", 0, true},
};

namespace {

constexpr int32_t kGameSoundBegin = 20;  // slots of the game's sound data
constexpr int32_t kGameSoundEnd = 200;
constexpr int32_t kGameStringsBegin = 150;  // slots of the game's strings
constexpr int32_t kGameStringsEnd = 550;

void ResetIfAllocated(cMemPool& pool)
{
    if (pool.HasMemory())
        pool.Reset();
}

// An id the creators refuse, as the loads do, before it indexes a table;
// logged numbered from 1, as the files and the loads number them.
bool IdOutside(const char* sWhat, int nId, int nCount)
{
    if (nId >= 0 && nId < nCount)
        return false;
    cLogError_("gcGame: %s %lld refused: %ss are 1 to %d", sWhat, nId + 1LL, sWhat, nCount);
    return true;
}

// What the act's load and creator share: the old act (with its map) and
// the main menu go, and an empty act of that id and name is made in the
// readied Act pool.
gcAct* NewAct(int nId, const cName& name)
{
    gcGamePools::Delete(gcAct::s_pAct);
    gcGamePools::Delete(gcMainMenu::s_pMainMenu);
    gcAct* p = gcGamePools::Renew<gcAct>(nullptr, gcGame::s_actPool, gcGameConfig::GetActPoolSize());
    if (p) {
        p->m_nActId = nId;
        p->m_name.Set("%s", name.m_sData);  // a name, never a format
    }
    return p;
}

gcLoadingScreen* NewLoadingScreen(int nId, const cName& name)
{
    gcLoadingScreen* p = gcGamePools::Renew(gcLoadingScreen::s_pLoadingScreen, gcGame::s_loadingScreenPool,
                                            gcGameConfig::GetLoadingScreenPoolSize(), nId);
    if (p)
        p->m_name.Set("%s", name.m_sData);
    return p;
}

}  // namespace

gcGame::gcGame()
    : m_onGameStarted("OnGameStarted", m_name.m_sData),
      m_onMapStarted("OnMapStarted", m_name.m_sData),
      m_onMapEnded("OnMapEnded", m_name.m_sData),
      m_onCinematicStarted("OnCinematicStarted", m_name.m_sData),
      m_onCinematicEnded("OnCinematicEnded", m_name.m_sData),
      m_onUIConfirm("OnConfirm", m_name.m_sData),
      m_onUIBack("OnBack", m_name.m_sData),
      m_onUIFocusChanged("OnFocusChanged", m_name.m_sData)
{
    std::fill(std::begin(m_nGameTracks), std::end(m_nGameTracks), -1);
    std::fill(std::begin(m_nGameTrackIndex), std::end(m_nGameTrackIndex), -1);
    gcGameConfig::SetGroupRange(m_textures, 20, 120);
    gcGameConfig::SetGroupRange(m_materials, 20, 200);
    gcGameConfig::SetGroupRange(m_meshes, 20, 100);
    gcGameConfig::SetGroupRange(m_animations, 20, 100);
    gcGameConfig::SetGroupRange(m_surfaces, 20, 200);
    gcGameConfig::SetGroupRange(m_keyValues, 0, 0);
    gcGameConfig::SetGroupRange(m_functions, 20, 200);
    gcGameConfig::SetGroupRange(m_UIDialogs, 30, 100);
    gcGameConfig::SetGroupRange(m_sprites, 20, 120);
    gcGameConfig::SetGroupRange(m_constants, 0, 400);
    gcGameConfig::SetGroupRange(m_stateMachines, 20, 120);
    s_pGame = this;
    gcMusic::Initialize();
    InstallHooks();
}

namespace {

// The copy's group covers the source's range; the slots' objects stay the
// source's.
void CopyRange(cGroup& to, const cGroup& from)
{
    to.m_nBegin = from.m_nBegin;
    to.m_nEnd = from.m_nEnd;
    to.m_bDeleteContained = false;
}

template <class G>
G* CopySideGroup(const G* pFrom, cMemPool* pPool)
{
    G* p = pFrom && pPool ? pPool->New<G>() : nullptr;
    if (p)
        CopyRange(*p, *pFrom);
    return p;
}

}  // namespace

gcGame::gcGame(const gcGame& other)
    : cObject(other),
      m_voDesiredWidget(other.m_voDesiredWidget),
      m_onGameStarted(other.m_onGameStarted, m_name.m_sData),
      m_onMapStarted(other.m_onMapStarted, m_name.m_sData),
      m_onMapEnded(other.m_onMapEnded, m_name.m_sData),
      m_onCinematicStarted(other.m_onCinematicStarted, m_name.m_sData),
      m_onCinematicEnded(other.m_onCinematicEnded, m_name.m_sData),
      m_onUIConfirm(other.m_onUIConfirm, m_name.m_sData),
      m_onUIBack(other.m_onUIBack, m_name.m_sData),
      m_onUIFocusChanged(other.m_onUIFocusChanged, m_name.m_sData),
      m_nLoadingScreenToLoad(other.m_nLoadingScreenToLoad),
      m_nActToLoad(other.m_nActToLoad),
      m_nMapToLoad(other.m_nMapToLoad)
{
    std::copy(std::begin(other.m_actNames), std::end(other.m_actNames), m_actNames);
    std::copy(std::begin(other.m_playerConfigNames), std::end(other.m_playerConfigNames), m_playerConfigNames);
    std::copy(std::begin(other.m_loadingScreenNames), std::end(other.m_loadingScreenNames), m_loadingScreenNames);
    std::copy(std::begin(other.m_musicNames), std::end(other.m_musicNames), m_musicNames);
    std::copy(std::begin(other.m_nMusicSize), std::end(other.m_nMusicSize), m_nMusicSize);
    std::copy(std::begin(other.m_nGameTracks), std::end(other.m_nGameTracks), m_nGameTracks);
    std::fill(std::begin(m_nGameTrackIndex), std::end(m_nGameTrackIndex), -1);
    CopyRange(m_textures, other.m_textures);
    CopyRange(m_materials, other.m_materials);
    CopyRange(m_meshes, other.m_meshes);
    CopyRange(m_animations, other.m_animations);
    CopyRange(m_surfaces, other.m_surfaces);
    CopyRange(m_keyValues, other.m_keyValues);
    CopyRange(m_functions, other.m_functions);
    CopyRange(m_UIDialogs, other.m_UIDialogs);
    CopyRange(m_sprites, other.m_sprites);
    CopyRange(m_constants, other.m_constants);
    CopyRange(m_stateMachines, other.m_stateMachines);
    cMemPool* pPool = cMemPool::GetPoolFromPtr(this);
    m_pSoundData = CopySideGroup(other.m_pSoundData, pPool);
    if (m_pSoundData)
        m_pSoundData->m_nMemSize = other.m_pSoundData->m_nMemSize;
    m_pStrings = CopySideGroup(other.m_pStrings, pPool);
    // A copy is not the game: the resident game, its hooks and its music
    // stay as they are.
}

cBase* gcGame::Copy(cMemPool* pPool) const
{
    return gcEvent::KeepWhole(pPool ? pPool->New<gcGame>(*this) : nullptr, *this, &gcGame::m_onGameStarted,
                              &gcGame::m_onMapStarted, &gcGame::m_onMapEnded, &gcGame::m_onCinematicStarted,
                              &gcGame::m_onCinematicEnded, &gcGame::m_onUIConfirm, &gcGame::m_onUIBack,
                              &gcGame::m_onUIFocusChanged);
}

void gcGame::InstallHooks()
{
    // The map loop plays map and streamed cinematics.
    gcStreamedCinematicPlayer::Install();
    // An entity's messages (FadeOut and the like) reach its attached effects.
    gcEffect::InstallEntityWorldFuncs();
    // Entities moving through trigger volumes fire their region triggers.
    gcRegionTrigger::InstallEntityWorldFuncs();
    // Entities find their regions among the resident slots and cast their
    // shadows along the map's light.
    gcMap::InstallEntityWorldFuncs();
    // A script's region-load request goes with the pool of its action.
    cMemPool::SetResetNotify(&gcMap::WithdrawFromPool);
    // Effects rumble the player's controller by their distance from the player.
    gcEffect::s_pGetRumbleListener = &gcPlayer::GetRumbleListener;
    // The camera's trigger queries run in the zone of the current region.
    gcGameCamera::SetCurrentRegionFunc([] { return gcRegion::s_nCurrentRegion; });
    // The follow camera turns behind a creature that has a target.
    gcGameCamera::SetTargetingFunc([](const gcEntity* pEntity) {
        const gcCreature* pCreature = dcast<const gcCreature>(pEntity);
        return pCreature && pCreature->m_pTarget;
    });
    // Interaction targets are the map's entities, none while a cinematic plays.
    gcEntity::s_pGetInteractRange = [](int* pBegin, int* pEnd) {
        const gcMap* pMap = gcMap::s_pMap;
        if (!pMap || pMap->IsCinematicPlaying())
            return false;
        *pBegin = pMap->m_entities.FirstTableSlot();
        *pEnd = pMap->m_entities.EndTableSlot();
        return true;
    };
}

namespace {

// The main menu, the act and the rest live in other pools but belong to
// the game.
void DeleteResidents()
{
    if (gcMainMenu::s_pMainMenu)
        std::destroy_at(gcMainMenu::s_pMainMenu);
    if (gcAct::s_pAct)
        std::destroy_at(gcAct::s_pAct);
    if (gcPlayerConfig::s_pPlayerConfig)
        std::destroy_at(gcPlayerConfig::s_pPlayerConfig);
    if (gcLoadingScreen::s_pLoadingScreen)
        std::destroy_at(gcLoadingScreen::s_pLoadingScreen);
    if (gcGameState::s_pGameState)
        std::destroy_at(gcGameState::s_pGameState);
}

}  // namespace

gcGame::~gcGame()
{
    // What is resident, and the music, belong to the resident game alone: a
    // copy going leaves them as they are.
    const bool bResident = s_pGame == this;
    if (bResident)
        DeleteResidents();
    if (m_pSoundData)
        std::destroy_at(m_pSoundData);
    if (m_pStrings)
        std::destroy_at(m_pStrings);
    for (int i = kMaxGameTracks - 1; i >= 0; --i) {
        if (m_nGameTrackIndex[i] != -1)
            gcMusic::FreeMusic(m_nGameTrackIndex[i]);
    }
    if (!bResident)
        return;
    gcMusic::Uninitialize();
    s_pGame = nullptr;
}

void gcGame::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    gcGameConfig::WriteNames(wb, m_actNames, kMaxActs);
    gcGameConfig::WriteNames(wb, m_playerConfigNames, kMaxPlayerConfigs);
    gcGameConfig::WriteNames(wb, m_loadingScreenNames, kMaxLoadingScreens);
    gcGameConfig::WriteNames(wb, m_musicNames, kMaxMusic);
    wb.WriteInts(m_nMusicSize, kMaxMusic);
    wb.WriteInt(kMaxGameTracks);
    wb.WriteInts(m_nGameTracks, kMaxGameTracks);
    m_textures.Write(file);
    m_materials.Write(file);
    m_meshes.Write(file);
    m_animations.Write(file);
    m_surfaces.Write(file);
    m_keyValues.Write(file);
    m_functions.Write(file);
    m_UIDialogs.Write(file);
    m_sprites.Write(file);
    m_constants.Write(file);
    m_stateMachines.Write(file);
    for (const gcEvent* p : {&m_onGameStarted, &m_onMapStarted, &m_onMapEnded, &m_onCinematicStarted,
                             &m_onCinematicEnded, &m_onUIConfirm, &m_onUIBack, &m_onUIFocusChanged})
        p->Write(file);
    m_voDesiredWidget.Write(wb);
    wb.WriteInt(gcGameCamera::Get()->m_nCollisionMask);
    wb.End();
}

// Act, player-configuration, loading-screen and music names, music sizes
// and game tracks. The player-configuration and loading-screen counts are
// not used: their runs are always 8 and 48 names.
bool gcGame::ReadNames(const cReadBlock& rb)
{
    const uint32_t version = rb.m_nVersion;
    if (!gcGameConfig::ReadNameRun(rb, rb.ReadInt(), m_actNames, kMaxActs))
        return false;
    rb.ReadInt();
    if (!gcGameConfig::ReadNameRun(rb, kMaxPlayerConfigs, m_playerConfigNames, kMaxPlayerConfigs))
        return false;
    if (version >= 8) {
        rb.ReadInt();
        if (!gcGameConfig::ReadNameRun(rb, kMaxLoadingScreens, m_loadingScreenNames, kMaxLoadingScreens))
            return false;
    }
    if (version >= 9) {
        const int32_t nMusic = rb.ReadInt();
        if (!gcGameConfig::ReadNameRun(rb, nMusic, m_musicNames, kMaxMusic))
            return false;
        if (version >= 14 && !gcGameConfig::ReadIntRun(rb, nMusic, m_nMusicSize, kMaxMusic))
            return false;
        if (!gcGameConfig::ReadIntRun(rb, rb.ReadInt(), m_nGameTracks, kMaxGameTracks))
            return false;
    }
    return !rb.Failed();
}

bool gcGame::ReadGroups(const cFile& file, cMemPool* pPool, uint32_t version)
{
    using G = gcGameConfig;
    bool bOk = G::ReadGroup(m_textures, file, pPool) && G::ReadGroup(m_materials, file, pPool) &&
               G::ReadGroup(m_meshes, file, pPool) && G::ReadGroup(m_animations, file, pPool);
    if (bOk && version >= 5)
        bOk = G::ReadGroup(m_surfaces, file, pPool);
    bOk = bOk && G::ReadGroup(m_keyValues, file, pPool);
    if (bOk && version >= 6)
        bOk = G::ReadGroup(m_functions, file, pPool);
    if (bOk && version >= 7)
        bOk = G::ReadGroup(m_UIDialogs, file, pPool);
    if (bOk && version >= 13)
        bOk = G::ReadGroup(m_sprites, file, pPool);
    // The constants come before the state machines, although they are newer.
    if (bOk && version >= 17)
        bOk = G::ReadGroup(m_constants, file, pPool);
    if (bOk && version >= 16)
        bOk = G::ReadGroup(m_stateMachines, file, pPool);
    return bOk;
}

bool gcGame::ReadEvents(const cFile& file, cMemPool* pPool, uint32_t version)
{
    bool bOk = true;
    if (version >= 10)
        bOk = m_onGameStarted.Read(file, pPool) && m_onMapStarted.Read(file, pPool) && m_onMapEnded.Read(file, pPool);
    if (bOk && version >= 12)
        bOk = m_onCinematicStarted.Read(file, pPool) && m_onCinematicEnded.Read(file, pPool);
    if (bOk && version >= 15)
        bOk = m_onUIConfirm.Read(file, pPool) && m_onUIBack.Read(file, pPool) && m_onUIFocusChanged.Read(file, pPool);
    return bOk;
}

bool gcGame::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kMinVersion)
        return rb.Reject("gcGame", "version");
    if (!ReadObjectPart(rb, pPool))
        return false;
    bool bOk = ReadNames(rb) && ReadGroups(file, pPool, rb.m_nVersion) && ReadEvents(file, pPool, rb.m_nVersion);
    if (bOk && rb.m_nVersion >= 11)
        m_voDesiredWidget.Read(rb, pPool);
    if (bOk && rb.m_nVersion >= 18) {
        const uint32_t nMask = rb.ReadUInt();
        if (!rb.Failed())
            gcGameCamera::Get()->m_nCollisionMask = nMask;
    }
    if (!bOk || rb.Failed())
        return rb.Reject("gcGame", "block");
    return true;
}

void gcGame::GetFilename(cStr* pName)
{
    pName->Set("%s/Game/Game.gam", gcGameConfig::s_dataPath.m_sData);
}

void gcGame::GetSoundFilename(cStr* pName)
{
    pName->Set("%s/Game/GameSound.snd", gcGameConfig::s_dataPath.m_sData);
}

void gcGame::GetStringsFilename(cStr* pName)
{
    pName->Set("%s/Game/GameStrings_%s.str", gcGameConfig::s_dataPath.m_sData,
               gcGameConfig::GetLanguageShortName(gcGameConfig::s_languages[gcGameConfig::LANGUAGE_TEXT]));
}

void gcGame::GetMovieFilename(const char* name, cStr* pName)
{
    pName->Set("%s/Game/Movies/%s_%s.mov", gcGameConfig::s_dataPath.m_sData, name, "gc");
}

bool gcGame::Load()
{
    cStr name;
    GetFilename(&name);
    cFile file;
    if (!file.Open(name))
        return false;  // logged by the file, naming it
    PreCreate();
    gcGame* p = s_pGame;
    if (!p)
        return false;
    // A refused or damaged game file is a failed load, not a default game.
    if (!file.ReadObject(*p, &s_gamePool)) {
        std::destroy_at(p);
        return false;
    }
    file.Close();
    p->LoadSoundData();
    p->LoadStringTable();
    return true;
}

void gcGame::PreCreate()
{
    // The old game's sound data and strings go with it, before their pools.
    gcGamePools::Delete(s_pGame);
    gcGameConfig::PrepPool(s_gameMusicPool, gcGameConfig::GetGameMusicPoolSize());
    gcGameConfig::PrepPool(s_gameSoundPool, gcGameConfig::GetGameSoundPoolSize());
    gcGamePools::Renew<gcGame>(nullptr, s_gamePool, gcGameConfig::GetGamePoolSize());
}

void gcGame::Create()
{
    PreCreate();
    if (!s_pGame)
        return;
    s_pGame->CreateSoundData();
    s_pGame->CreateStringTable();
}

void gcGame::CreateSoundData()
{
    const uint32_t size = gcGameConfig::GetGameSoundPoolSize();
    if (gcGamePools::RenewGroup(m_pSoundData, s_gameSoundPool, size, kGameSoundBegin, kGameSoundEnd))
        m_pSoundData->m_nMemSize = static_cast<int32_t>(gcGameConfig::GetGameSoundDataSize());
}

void gcGame::CreateStringTable()
{
    const uint32_t size = gcGameConfig::GetGameStringsPoolSize();
    gcGamePools::RenewGroup(m_pStrings, s_gameStringsPool, size, kGameStringsBegin, kGameStringsEnd);
}

bool gcGame::LoadSoundData()
{
    CreateSoundData();
    eSoundDataGroup* pGroup = m_pSoundData;
    if (!pGroup)
        return false;
    cStr name;
    GetSoundFilename(&name);
    cFile file;
    if (!file.OpenOptional(name))
        return false;
    file.ReadObject(*pGroup, &s_gameSoundPool);
    file.Close();
    return true;
}

bool gcGame::LoadStringTable()
{
    CreateStringTable();
    gcStringGroup* pGroup = m_pStrings;
    if (!pGroup)
        return false;
    cStr name;
    GetStringsFilename(&name);
    cFile file;
    if (!file.OpenOptional(name))
        return false;
    file.ReadObject(*pGroup, &s_gameStringsPool);
    file.Close();
    return true;
}

bool gcGame::LoadMusic()
{
    for (int i = 0; i < kMaxGameTracks; ++i) {
        if (m_nGameTracks[i] == -1)
            continue;
        const int slot = gcMusic::LoadMusic(m_nGameTracks[i], &s_gameMusicPool);
        if (slot == -1)
            return false;
        m_nGameTrackIndex[i] = slot;
    }
    return true;
}

bool gcGame::LoadGameState()
{
    cStr name;
    gcGameState::GetFilename(&name);
    cFile file;
    if (!file.Open(name))
        return false;  // logged by the file, naming it
    CreateGameState();
    gcGameState* p = gcGameState::s_pGameState;
    if (!p)
        return false;
    if (!file.ReadObject(*p, &s_gameStatePool)) {
        std::destroy_at(p);
        return false;
    }
    file.Close();
    return true;
}

bool gcGame::LoadPlayerConfig(int nId)
{
    if (IdOutside("player configuration", nId, kMaxPlayerConfigs))
        return false;
    const gcPlayerConfig* pResident = gcPlayerConfig::s_pPlayerConfig;
    if (pResident && pResident->m_nPlayerConfigId == nId)
        return true;
    cStr name;
    gcPlayerConfig::GetFilename(nId, &name);
    cFile file;
    if (!file.Open(name))
        return false;  // logged by the file, naming it
    PreCreatePlayerConfig(nId, s_pGame ? s_pGame->m_playerConfigNames[nId] : cName());
    gcPlayerConfig* p = gcPlayerConfig::s_pPlayerConfig;
    if (!p)
        return false;
    if (!file.ReadObject(*p, &s_playerConfigPool)) {
        std::destroy_at(p);
        return false;
    }
    file.Close();
    p->LoadSoundData(nId);
    return true;
}

bool gcGame::LoadAct(int nId)
{
    if (nId < 0 || nId >= kMaxActs) {
        cLogError_("gcGame: act %lld refused: acts are 1 to %d", static_cast<long long>(nId) + 1, kMaxActs);
        return false;
    }
    if (gcAct::s_pAct && gcAct::s_pAct->m_nActId == nId)
        return true;
    cStr name;
    gcAct::GetFilename(nId, &name);
    cFile file;
    if (!file.Open(name))
        return false;  // logged by the file, naming it
    gcAct* p = NewAct(nId, s_pGame ? s_pGame->m_actNames[nId] : cName());
    if (!p)
        return false;
    if (!file.ReadObject(*p, &s_actPool)) {
        std::destroy_at(p);
        return false;
    }
    file.Close();
    return true;
}

bool gcGame::LoadLoadingScreen(int nId, bool* pRefused)
{
    if (pRefused)
        *pRefused = false;
    if (nId < 0 || nId >= kMaxLoadingScreens) {
        // Numbered from 1 in the log, as acts and maps are; any id is printable.
        cLogError_("gcGame: loading screen %lld refused: loading screens are 1 to %d", nId + 1LL,
                   kMaxLoadingScreens);
        return false;
    }
    const gcLoadingScreen* pResident = gcLoadingScreen::s_pLoadingScreen;
    if (pResident && pResident->m_nLoadingScreenId == nId)
        return true;
    cStr name;
    gcLoadingScreen::GetFilename(nId, &name);
    cFile file;
    if (!file.Open(name)) {
        // A file that is there and does not open (its header damaged) is
        // damaged game data too; only a missing one is left out.
        if (pRefused)
            *pRefused = cFile::Exists(name);
        return false;
    }
    gcLoadingScreen* p = NewLoadingScreen(nId, s_pGame ? s_pGame->m_loadingScreenNames[nId] : cName());
    if (!p)
        return false;
    if (!file.ReadObject(*p, &s_loadingScreenPool)) {
        std::destroy_at(p);
        if (pRefused)
            *pRefused = true;
        return false;
    }
    file.Close();
    return true;
}

void gcGame::Unload()
{
    if (s_pGame)
        std::destroy_at(s_pGame);
    // Loaded without a game (tools, tests), they still go before their pools.
    if (gcPlayerConfig::s_pPlayerConfig)
        std::destroy_at(gcPlayerConfig::s_pPlayerConfig);
    if (gcGameState::s_pGameState)
        std::destroy_at(gcGameState::s_pGameState);
    ResetIfAllocated(s_actPool);
    ResetIfAllocated(s_mapPool);
    for (cMemPool& pool : s_regionPools)
        ResetIfAllocated(pool);
    ResetIfAllocated(s_playerConfigPool);
    ResetIfAllocated(s_gameStatePool);
    ResetIfAllocated(s_gamePool);
    ResetIfAllocated(s_gameSoundPool);
    ResetIfAllocated(s_mapSoundPool);
}

void gcGame::CreateGameState()
{
    gcGamePools::Renew(gcGameState::s_pGameState, s_gameStatePool, gcGameConfig::GetGameStatePoolSize());
}

void gcGame::PreCreatePlayerConfig(int nId, const cName& name)
{
    if (IdOutside("player configuration", nId, kMaxPlayerConfigs))
        return;
    gcPlayerConfig* p = gcGamePools::Renew(gcPlayerConfig::s_pPlayerConfig, s_playerConfigPool,
                                           gcGameConfig::GetPlayerConfigPoolSize());
    if (!p)
        return;
    p->m_nPlayerConfigId = nId;
    p->m_name.Set("%s", name.m_sData);  // a name, never a format
}

void gcGame::CreatePlayerConfig(int nId, const cName& name)
{
    PreCreatePlayerConfig(nId, name);
    gcPlayerConfig* p = gcPlayerConfig::s_pPlayerConfig;
    if (!p || p->m_nPlayerConfigId != nId)
        return;
    p->CreateSoundData();
    if (s_pGame)
        s_pGame->m_playerConfigNames[nId] = name;
}

void gcGame::PreCreateMainMenu()
{
    // The menu shares the Map pool: the act and its map go first.
    gcGamePools::Delete(gcAct::s_pAct);
    gcGameConfig::PrepPool(s_mapMusicPool, gcGameConfig::GetMapMusicPoolSize());
    gcGamePools::Renew(gcMainMenu::s_pMainMenu, s_mapPool, gcGameConfig::GetMainMenuPoolSize());
}

void gcGame::CreateMainMenu()
{
    PreCreateMainMenu();
    if (gcMainMenu::s_pMainMenu)
        gcMainMenu::s_pMainMenu->CreateSoundData();
}

void gcGame::CreateAct(int nId, const cName& name)
{
    if (IdOutside("act", nId, kMaxActs) || !NewAct(nId, name))
        return;
    if (s_pGame)
        s_pGame->m_actNames[nId] = name;
}

void gcGame::CreateLoadingScreen(int nId, const cName& name)
{
    if (IdOutside("loading screen", nId, kMaxLoadingScreens) || !NewLoadingScreen(nId, name))
        return;
    if (s_pGame)
        s_pGame->m_loadingScreenNames[nId] = name;
}
