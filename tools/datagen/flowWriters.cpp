#include "datagen/flowWriters.h"

#include <iterator>
#include <memory>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "datagen/slotLease.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eTexture.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/flow/gcGameState.h"
#include "gcGameCore/flow/gcPlatformConfig.h"
#include "gcGameCore/flow/gcPlayerConfig.h"
#include "gcGameCore/script/gcKeyValue.h"
#include "gcGameCore/script/gcString.h"
#include "datagen/scriptWriters.h"
#include "datagen/soundWriters.h"

namespace datagen {

namespace {

// Every group of an object made for writing writes nothing: its range is
// empty at its own begin.
// The file holds exactly count names; missing ones are empty.
BlockWriter& NameRun(BlockWriter& w, const std::vector<std::string>& names, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        w.Name(i < names.size() ? names[i].c_str() : "");
    return w;
}

}  // namespace

void SetNames(cName* pNames, int nCapacity, const std::vector<std::string>& names)
{
    for (size_t i = 0; i < names.size() && i < static_cast<size_t>(nCapacity); ++i)
        pNames[i].Set("%s", names[i].c_str());
}

BlockWriter& ObjectBlock(BlockWriter& w, const char* name)
{
    return w.Begin(1).Begin(1).End().Name(name).End();
}

BlockWriter& EmptyGroupBlock(BlockWriter& w, int32_t beginSlot)
{
    return w.Begin(2).Begin(1).End().Int(beginSlot).Int(beginSlot).End();
}

BlockWriter& EmptyEventBlock(BlockWriter& w)
{
    return w.Begin(3).Begin(1).End().Int(-1).End();
}

BlockWriter& KeyValueGroupBlock(BlockWriter& w, int32_t beginSlot, const std::vector<KeyValueRecord>& keyValues)
{
    w.Begin(2).Begin(1).End().Int(beginSlot).Int(beginSlot + static_cast<int32_t>(keyValues.size()));
    for (const KeyValueRecord& r : keyValues) {
        w.Half(0xFFFF).Int(65);
        ObjectBlock(w.Begin(gcKeyValue::kVersion), r.name.c_str()).Float(r.value).End();
    }
    return w.End();
}

namespace {

constexpr int32_t kKeyValuesBegin = 50;
constexpr int32_t kItemTemplatesBegin = 5;
constexpr int32_t kEffectTemplatesBegin = 5;
constexpr int32_t kStringsBegin = 850;

}  // namespace

bool WriteGameStateBody(const std::string& path, gcGameState& state, const std::vector<KeyValueRecord>& keyValues)
{
    if (!CheckSlotRange("key value", kKeyValuesBegin, keyValues.size(), gcKeyValueMgr::kSlots))
        return false;
    cMemPool pool("datagen GameState", 0x8000, false);
    SlotLease<gcKeyValueMgr, gcKeyValue> lease(kKeyValuesBegin, static_cast<int>(keyValues.size()));
    for (size_t i = 0; i < keyValues.size(); ++i)
        lease.Place(static_cast<int>(i), NewKeyValue(&pool, keyValues[i].name.c_str(), keyValues[i].value), 0xFFFF);
    state.m_keyValues.m_nBegin = kKeyValuesBegin;
    state.m_keyValues.m_nEnd = kKeyValuesBegin + static_cast<int32_t>(keyValues.size());
    state.m_keyValues.m_bDeleteContained = false;  // the lease gives the slots back
    for (cGroup* pTemplates : {state.m_pItemTemplates, state.m_pEffectTemplates}) {
        if (pTemplates)
            EmptyRanges(*pTemplates);
    }
    return WriteBodyFile(path, state);
}

bool WriteGameStateFile(const std::string& path, const std::vector<KeyValueRecord>& keyValues)
{
    cMemPool pool("datagen GameState object", 0x8000, false);
    gcGameState* const pResident = gcGameState::s_pGameState;
    gcGameState* p = pool.New<gcGameState>();
    const bool ok = p && WriteGameStateBody(path, *p, keyValues);
    if (p)
        std::destroy_at(p);
    gcGameState::s_pGameState = pResident;
    return ok;
}

BlockWriter& GameStateBlock(BlockWriter& w, uint32_t version, const std::vector<KeyValueRecord>& keyValues)
{
    KeyValueGroupBlock(w.Begin(version).Begin(1).End(), kKeyValuesBegin, keyValues);
    if (version == 3)
        EmptyGroupBlock(w, kItemTemplatesBegin);
    EmptyGroupBlock(w, kEffectTemplatesBegin);
    if (version >= 4)
        EmptyGroupBlock(w, kItemTemplatesBegin);
    return w.End();
}

bool WritePlayerConfigFile(const std::string& path, const char* name)
{
    cMemPool pool("datagen PlayerConfig", 0x4000, false);
    return WriteResidentBody<gcPlayerConfig>(path, &pool, gcPlayerConfig::s_pPlayerConfig, [&](gcPlayerConfig& config) {
        config.m_name.Set("%s", name);
        EmptyRanges(config.m_textures, config.m_materials, config.m_meshes, config.m_animations, config.m_surfaces,
                    config.m_entityTemplates);
    });
}

BlockWriter& PlayerConfigBlock(BlockWriter& w, uint32_t version, const char* name, const GroupBlockFunc& groups)
{
    ObjectBlock(w.Begin(version), name);
    const int32_t kBegins[] = {120, 220, 100, 100, 220, 0};  // textures ... surfaces, entity templates
    for (int i = 0; i < static_cast<int>(std::size(kBegins)); ++i) {
        if (!groups || !groups(w, i))
            EmptyGroupBlock(w, kBegins[i]);
    }
    if (version >= 4)
        EmptyEventBlock(EmptyEventBlock(w));
    return w.End();
}

bool WritePlatformStringsFile(const std::string& path, const std::vector<std::pair<std::string, std::string>>& strings)
{
    if (!CheckSlotRange("string", kStringsBegin, strings.size(), gcStringMgr::kSlots))
        return false;
    cMemPool pool("datagen PlatformStrings", 0x8000, false);
    SlotLease<gcStringMgr, gcString> lease(kStringsBegin, static_cast<int>(strings.size()));
    for (size_t i = 0; i < strings.size(); ++i)
        lease.Place(static_cast<int>(i), NewString(&pool, strings[i].first.c_str(), strings[i].second.c_str()), 0xFFFF);
    gcStringGroup group;  // not made by the factory: it destroys nothing
    group.m_nBegin = kStringsBegin;
    group.m_nEnd = kStringsBegin + static_cast<int32_t>(strings.size());
    return WriteBodyFile(path, group);
}

bool WriteToneMusicFile(const std::string& path, double hz, int nSamples)
{
    return WriteMusicFile(path, MakeSoundRecord("Music", MakeSineTone(hz, 12000.0, nSamples), true));
}

bool WriteTuneMusicFile(const std::string& path, const std::vector<double>& notesHz, int nNoteSamples)
{
    return WriteMusicFile(path, MakeSoundRecord("Music", MakeTune(notesHz, 12000.0, nNoteSamples), true));
}

bool WriteGameConfigFile(const std::string& path, int beginSlot, const std::vector<TextureConfigRecord>& records)
{
    if (!CheckSlotRange("texture configuration", beginSlot, records.size(), eTextureConfigMgr::kSlots))
        return false;
    cMemPool pool("datagen GameConfig", 0x4000, false);
    SlotLease<eTextureConfigMgr, eTextureConfig> configs(beginSlot, static_cast<int>(records.size()));
    SlotLease<eTextureMgr, eTexture> fixed(eTextureMgr::kLightmapSlot, 2);
    gcGameConfig* const pResident = gcGameConfig::s_pGameConfig;
    const eTextureHandle hLightmap = eMaterial::s_hLightmapTex;
    const eTextureHandle hFrameBuffer = eMaterial::s_hFrameBufferTex;
    gcGameConfig* p = pool.New<gcGameConfig>();
    bool ok = p != nullptr;
    if (ok) {
        p->m_name.Set("%s", "GameConfig");
        for (size_t i = 0; i < records.size(); ++i) {
            const TextureConfigRecord& r = records[i];
            eTextureConfig* pConfig = r.check ? pool.New<eTextureConfig>() : nullptr;
            if (pConfig) {
                pConfig->m_format = static_cast<eTextureConfig::eFormat>(r.format);
                pConfig->m_nWidth = r.width;
                pConfig->m_nHeight = r.height;
                pConfig->m_bMipmaps = r.bMipmaps;
                pConfig->m_bRenderTarget = r.bRenderTarget;
            }
            configs.Place(static_cast<int>(i), pConfig, r.check);
        }
        p->m_textureConfigs.m_nBegin = beginSlot;
        p->m_textureConfigs.m_nEnd = beginSlot + static_cast<int>(records.size());
        p->m_textureConfigs.m_bDeleteContained = false;  // the lease gives the slots back
        EmptyRanges(p->m_textures, p->m_materials, p->m_fonts, p->m_meshes, p->m_animations);
        ok = WriteBodyFile(path, *p);
        std::destroy_at(p);
    }
    gcGameConfig::s_pGameConfig = pResident;
    eMaterial::s_hLightmapTex = hLightmap;
    eMaterial::s_hFrameBufferTex = hFrameBuffer;
    return ok;
}

bool WritePlatformConfigFile(const std::string& path, const char* name,
                             const std::function<void(gcPlatformConfig&)>& fill)
{
    cMemPool pool("datagen PlatformConfig", 0x4000, false);
    gcPlatformConfig* const pResident = gcPlatformConfig::s_pPlatformConfig;
    gcPlatformConfig* p = pool.New<gcPlatformConfig>();
    bool ok = p != nullptr;
    if (ok) {
        p->m_name.Set("%s", name);
        EmptyRanges(p->m_textures, p->m_materials, p->m_functions, p->m_UIDialogs, p->m_sprites, p->m_constants);
        if (fill)
            fill(*p);
        ok = WriteBodyFile(path, *p);
        std::destroy_at(p);
    }
    gcPlatformConfig::s_pPlatformConfig = pResident;
    return ok;
}

void FillGame(gcGame& game, const GameFileDesc& desc)
{
    game.m_name.Set("%s", desc.name.c_str());
    SetNames(game.m_actNames, gcGame::kMaxActs, desc.actNames);
    SetNames(game.m_playerConfigNames, gcGame::kMaxPlayerConfigs, desc.playerConfigNames);
    SetNames(game.m_loadingScreenNames, gcGame::kMaxLoadingScreens, desc.loadingScreenNames);
    SetNames(game.m_musicNames, gcGame::kMaxMusic, desc.musicNames);
    for (size_t i = 0; i < desc.musicSizes.size() && i < static_cast<size_t>(gcGame::kMaxMusic); ++i)
        game.m_nMusicSize[i] = desc.musicSizes[i];
    for (int i = 0; i < gcGame::kMaxGameTracks; ++i)
        game.m_nGameTracks[i] = desc.gameTracks[i];
    game.m_voDesiredWidget.hDialog = gcUIDialogHandle(desc.voDialog);
    game.m_voDesiredWidget.hControl = desc.voControl;
    EmptyRanges(game.m_textures, game.m_materials, game.m_meshes, game.m_animations, game.m_surfaces,
                game.m_keyValues, game.m_functions, game.m_UIDialogs, game.m_sprites, game.m_constants,
                game.m_stateMachines);
}

bool WriteGameBody(const std::string& path, const gcGame& game, uint32_t cameraCollisionMask)
{
    gcGameCamera* pCamera = gcGameCamera::Get();
    const uint32_t nMask = pCamera->m_nCollisionMask;
    pCamera->m_nCollisionMask = cameraCollisionMask;
    const bool ok = WriteBodyFile(path, game);
    pCamera->m_nCollisionMask = nMask;
    return ok;
}

bool WriteGameFile(const std::string& path, const GameFileDesc& desc, cMemPool* pPool,
                   const std::function<void(gcGame&)>& fill)
{
    gcGame* const pResident = gcGame::s_pGame;
    gcGame* p = pPool ? pPool->New<gcGame>() : nullptr;
    bool ok = p != nullptr;
    if (ok) {
        FillGame(*p, desc);
        if (fill)
            fill(*p);
        ok = WriteGameBody(path, *p, desc.cameraCollisionMask);
        std::destroy_at(p);
    }
    gcGame::s_pGame = pResident;
    return ok;
}

BlockWriter& GameBlock(BlockWriter& w, uint32_t version, const GameFileDesc& desc)
{
    w.Begin(version);
    ObjectBlock(w, desc.name.c_str());
    w.Int(static_cast<int32_t>(desc.actNames.size()));
    NameRun(w, desc.actNames, desc.actNames.size());
    NameRun(w.Int(8), desc.playerConfigNames, 8);
    if (version >= 8)
        NameRun(w.Int(48), desc.loadingScreenNames, 48);
    if (version >= 9) {
        w.Int(static_cast<int32_t>(desc.musicNames.size()));
        NameRun(w, desc.musicNames, desc.musicNames.size());
        if (version >= 14) {
            for (size_t i = 0; i < desc.musicNames.size(); ++i)
                w.Int(i < desc.musicSizes.size() ? desc.musicSizes[i] : 0);
        }
        w.Int(4);
        for (int32_t track : desc.gameTracks)
            w.Int(track);
    }
    for (int32_t begin : {20, 20, 20, 20})  // textures, materials, meshes, animations
        EmptyGroupBlock(w, begin);
    if (version >= 5)
        EmptyGroupBlock(w, 20);  // surfaces
    EmptyGroupBlock(w, 0);       // key values
    if (version >= 6)
        EmptyGroupBlock(w, 20);  // functions
    if (version >= 7)
        EmptyGroupBlock(w, 30);  // dialogs
    if (version >= 13)
        EmptyGroupBlock(w, 20);  // sprites
    if (version >= 17)
        EmptyGroupBlock(w, 0);  // constants, before the state machines
    if (version >= 16)
        EmptyGroupBlock(w, 20);  // state machines
    const int nEvents = (version >= 10 ? 3 : 0) + (version >= 12 ? 2 : 0) + (version >= 15 ? 3 : 0);
    for (int i = 0; i < nEvents; ++i)
        EmptyEventBlock(w);
    if (version >= 11)
        w.Word(desc.voDialog).Word(desc.voControl);
    if (version >= 18)
        w.Word(desc.cameraCollisionMask);
    return w.End();
}

BlockWriter& PlatformConfigBlock(BlockWriter& w, uint32_t version, int32_t iconSize, size_t iconBytes)
{
    w.Begin(version);
    ObjectBlock(w, "Platform");
    for (int32_t begin : {420, 620, 350, 250})  // textures, materials, functions, dialogs
        EmptyGroupBlock(w, begin);
    if (version >= 2)
        EmptyGroupBlock(w, 400);  // sprites
    if (version >= 4)
        EmptyGroupBlock(w, 400);  // constants
    const int nEvents = 1 + (version >= 3 ? 2 : 0) + (version >= 6 ? 1 : 0) + (version >= 7 ? 1 : 0);
    for (int i = 0; i < nEvents; ++i)
        EmptyEventBlock(w);
    if (version >= 5) {
        w.Int(iconSize);
        for (size_t i = 0; i < iconBytes; ++i)
            w.Byte(static_cast<uint8_t>(i * 3));
    }
    return w.End();
}

}  // namespace datagen
