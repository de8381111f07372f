// The loader suite's table: one row per class and block version a datagen
// writer produces. A new writer adds its row here.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "../test/audio_test.h"
#include "../test/dvd_test.h"
#include "../test/os_test.h"
#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"
#include "datagen/creatureWriters.h"
#include "datagen/npcWriters.h"
#include "datagen/entityWriters.h"
#include "datagen/flowWriters.h"
#include "datagen/dialogWriters.h"
#include "datagen/interfaceWriters.h"
#include "datagen/mapWriters.h"
#include "datagen/menuWriters.h"
#include "datagen/itemWriters.h"
#include "datagen/cameraWriters.h"
#include "datagen/materialWriters.h"
#include "datagen/modelWriters.h"
#include "datagen/overlayWriters.h"
#include "datagen/particleWriters.h"
#include "datagen/regionWriters.h"
#include "datagen/scriptWriters.h"
#include "datagen/actionWriters.h"
#include "datagen/cinematicWriters.h"
#include "datagen/soundWriters.h"
#include "datagen/thpWriter.h"
#include "datagen/playerWriters.h"
#include "datagen/valueWriters.h"
#include "datagen/worldWriters.h"
#include "datagen/zoneWriter.h"
#include "eEngine/eAnimation.h"
#include "eEngine/eAudioPlatform.h"
#include "eEngine/eFont.h"
#include "eEngine/eGeomTrailConfig.h"
#include "eEngine/eLightGrid.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMaterialPass.h"
#include "eEngine/eMesh.h"
#include "eEngine/eModel.h"
#include "eEngine/ePalette.h"
#include "eEngine/eParticleEmitter.h"
#include "eEngine/ePath.h"
#include "eEngine/eProjectorConfig.h"
#include "eEngine/eShadowConfig.h"
#include "eEngine/eSky.h"
#include "eEngine/eSoundData.h"
#include "eEngine/eSprite.h"
#include "eEngine/eSurface.h"
#include "eEngine/eTexture.h"
#include "eEngine/eTextureConfig.h"
#include "eEngine/eTextureGroup.h"
#include "eEngine/eTextureMatrixGen.h"
#include "eEngine/eTextureStage.h"
#include "eEngine/eZone.h"
#include "gcGameCore/creatures/creatureTestTypes.h"
#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/creatures/gcCreatureAttack.h"
#include "gcGameCore/creatures/gcNPC.h"
#include "gcGameCore/creatures/gcNPCTemplate.h"
#include "gcGameCore/creatures/gcPlayerBipedTemplate.h"
#include "gcGameCore/creatures/gcPlayerFlying.h"
#include "gcGameCore/creatures/gcPlayerFlyingTemplate.h"
#include "gcGameCore/entities/entityTestTypes.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcGameState.h"
#include "gcGameCore/flow/gcLoadingScreen.h"
#include "gcGameCore/flow/gcMainMenu.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcRegion.h"
#include "gcGameCore/flow/gcStreamedCinematic.h"
#include "gcGameCore/flow/gcVoiceOver.h"
#include "gcGameCore/script/gcCinematic.h"
#include "gcGameCore/script/gcCinematicEntry.h"
#include "gcGameCore/flow/gcMusic.h"
#include "gcGameCore/flow/gcPlatformConfig.h"
#include "gcGameCore/flow/gcPlayerConfig.h"
#include "gcGameCore/interface/gcUICheckBox.h"
#include "gcGameCore/interface/gcUIControl.h"
#include "gcGameCore/interface/gcUIItemControl.h"
#include "gcGameCore/interface/gcUIItemList.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/interface/gcUIWidgetGroup.h"
#include "gcGameCore/entities/gcBoundary.h"
#include "gcGameCore/entities/gcRegionPath.h"
#include "gcGameCore/entities/gcRegionPoint.h"
#include "gcGameCore/entities/gcRegionTrigger.h"
#include "gcGameCore/camera/gcGameCameraParams.h"
#include "gcGameCore/script/gcConstant.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/actions/gcDoEvaluation.h"
#include "gcGameCore/actions/gcDoFunction.h"
#include "gcGameCore/actions/gcDoLog.h"
#include "gcGameCore/actions/gcDoPlayCinematic.h"
#include "gcGameCore/actions/gcDoPlayMovie.h"
#include "gcGameCore/actions/gcDoPlayMusic.h"
#include "gcGameCore/actions/gcDoPlaySound.h"
#include "gcGameCore/actions/gcDoPlayVoiceOver.h"
#include "gcGameCore/actions/gcDoReturn.h"
#include "gcGameCore/actions/gcDoSetValue.h"
#include "gcGameCore/actions/gcDoCreatureAction.h"
#include "gcGameCore/actions/gcDoCreatureAttack.h"
#include "gcGameCore/actions/gcDoCreatureSetTarget.h"
#include "gcGameCore/actions/gcDoNPCAction.h"
#include "gcGameCore/values/gcValCreatureHasTarget.h"
#include "gcGameCore/values/gcValCreatureStat.h"
#include "gcGameCore/values/gcValCreatureState.h"
#include "gcGameCore/values/gcValCreatureStrafeDir.h"
#include "gcGameCore/values/gcValCreatureTimeSince.h"
#include "gcGameCore/values/gcValCreatureValue.h"
#include "datagen/creatureScriptWriters.h"
#include "gcGameCore/script/gcFunction.h"
#include "gcGameCore/script/gcKeyValue.h"
#include "gcGameCore/script/gcString.h"
#include "gcGameCore/script/gcTimer.h"
#include "gcGameCore/values/gcValBinaryOp.h"
#include "gcGameCore/values/gcValConstant.h"
#include "gcGameCore/values/gcValControllerState.h"
#include "gcGameCore/values/gcValEventId.h"
#include "gcGameCore/values/gcValEventVar.h"
#include "gcGameCore/values/gcValFunction.h"
#include "gcGameCore/values/gcValKeyValue.h"
#include "gcGameCore/values/gcValNumber.h"
#include "gcGameCore/values/gcValRandomNumber.h"
#include "gcGameCore/values/gcValTrinaryOp.h"
#include "gcGameCore/values/gcValUnaryOp.h"
#include "loaderSuiteRowHelpers.h"
#include "loaderSuiteRowsDisplayLists.h"
#include "datagen/effectWriters.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/entities/gcEffectTemplate.h"
#include "gcGameCore/entities/gcItem.h"
#include "gcGameCore/entities/gcItemTemplate.h"
#include "Utilities/THP/THP.h"

namespace {

// The engine's surfaces have no factory; the game's classes will. This one
// stands in for them, as the game's do, through eSurface's read and write.
class lsSurface : public eSurface {
    QM_DECLARE_TYPE(lsSurface)
public:
    cBase* Copy(cMemPool* pPool) const override { return pPool ? pPool->New<lsSurface>(*this) : nullptr; }
};

}  // namespace

void AddEntityStateRows(std::vector<LoaderRow>& rows);  // loaderSuiteRowsEntityState.cpp

QM_DEFINE_TYPE(lsSurface, eSurface, 58)  // free in the real table
void AddEffectActionRows(std::vector<LoaderRow>& rows);  // loaderSuiteRowsEffectActions.cpp

void AddCameraScriptRows(std::vector<LoaderRow>& rows);  // loaderSuiteRowsCamera.cpp
void AddEntitySpaceRows(std::vector<LoaderRow>& rows);
void AddDamageItemsRows(std::vector<LoaderRow>& rows);  // loaderSuiteRowsDamageItems.cpp
void AddDeviceRows(std::vector<LoaderRow>& rows);       // loaderSuiteRowsDevices.cpp
void AddMessageMapEnvironmentRows(std::vector<LoaderRow>& rows);  // loaderSuiteRowsEnvironment.cpp
void AddEntityActionRows(std::vector<LoaderRow>& rows);  // loaderSuiteRowsEntityActions.cpp
void AddLoadingValueRows(std::vector<LoaderRow>& rows);  // loaderSuiteRowsLoading.cpp
void AddSystemRows(std::vector<LoaderRow>& rows);       // loaderSuiteRowsSystem.cpp

void AddInterfaceScriptRows(std::vector<LoaderRow>& rows);
void AddMendRows(std::vector<LoaderRow>& rows);  // loaderSuiteRowsMends.cpp
void AddExportRecordRows(std::vector<LoaderRow>& rows);  // loaderSuiteRowsExport.cpp
void AddReferenceRows(std::vector<LoaderRow>& rows);     // loaderSuiteRowsReferences.cpp

namespace {

using Path = const std::string&;

template <class Mgr>
const cSlotTable& SlotsOf()
{
    return Mgr::GetSlotTable();
}

// ---- samples ----

eParticleEmitter SampleEmitter()
{
    eParticleEmitter e;
    e.m_nMaxParticles = 12, e.m_lifetime = cTimeValue(1200), e.m_fInitialSpeed = 0.5f, e.m_fEndSpeed = 0.25f;
    e.m_nStartFrame = 1, e.m_nEndFrame = 3, e.m_colorStart.Set(0.5f, 0.25f, 1), e.m_fStartSize = 0.5f;
    e.m_nFramesInX = 2, e.m_nFramesInY = 2, e.m_nFramesPerSecond = 30, e.m_hMaterial = eMaterialHandle(0x12340007);
    e.m_fadeInTime = cTimeValue(50), e.m_fadeOutTime = cTimeValue(80), e.m_fGravityScale = 2;
    return e;
}

eShadowConfig SampleShadowConfig()
{
    eShadowConfig c;
    c.hBlendMaterial = eMaterialHandle(0x11110002);
    c.hFillMaterial = eMaterialHandle(0x22220003);
    c.bRenderToTexture = true;
    c.fFar = 7.5f;
    return c;
}

eGeomTrailConfig SampleTrailConfig()
{
    eGeomTrailConfig c;
    c.hMaterial = eMaterialHandle(0x12340005);
    c.nMaxSegments = 7, c.nSubdivisions = 3, c.fWidth = 0.75f, c.fFadeStart = 0.5f;
    return c;
}

eSprite SampleSprite(const char* name)
{
    eSprite s;
    s.m_name.Set("%s", name);
    s.m_position.Set(-10, 12.5f);
    s.m_size.Set(200, 16);
    s.m_hMaterial = eMaterialHandle(0x12340007);
    s.m_origin = eSprite::SO_MIDCENTER;
    s.m_texCoord2.Set(63, 31);
    return s;
}

eFont SampleFont()
{
    eFont f;
    f.m_name.Set("menu");
    f.m_fWidth = 10;
    f.m_fScale = 1.5f;
    f.ResetKerningTable();
    f.m_kernTable[int{'a'}] = {0, 1, 5, 2};
    f.m_nFlags = eFont::kFlagKerning;
    return f;
}

// Two passes with a stage of each transform: scale and offset, flip book
// and matrix generator.
eMaterial* SampleMaterial(LoaderEnv& env)
{
    eMaterial* m = datagen::MakeShadowMaterial(&env.m_build, eTextureHandle(0x01010005), eTextureHandle(0x02020006));
    if (!m)
        return nullptr;
    m->m_name.Set("water");
    m->m_blendMode = eMaterial::BLEND_TRANSPARENT;
    m->m_hTextures[5] = eTextureHandle(0x0001015E);
    eTextureStage* scaled = m->AddPass(eMaterial::PASS_LIGHTING)->AddTextureStage();
    scaled->m_transform = eTextureStage::XFORM_SCALE_OFFSET;
    scaled->m_scale[1] = 4.0f;
    eTextureStage* flip = m->m_pPasses[eMaterial::PASS_DIFFUSE]->AddTextureStage();
    flip->m_transform = eTextureStage::XFORM_FLIPBOOK;
    flip->m_nColumns = 4;
    flip->m_nLastFrame = 3;
    eTextureStage* waves = m->m_pPasses[eMaterial::PASS_DIFFUSE]->AddTextureStage();
    waves->m_transform = eTextureStage::XFORM_MATRIX_GEN;
    waves->CreateTextureMatrixGen()->m_waves[5].waveType = mWaveGen::kSine;
    return m;
}

// Two nodes, one bone; a skinned and a rigid triangle and, with bCol, a
// rigid and a skinned collision triangle.
datagen::MeshDesc SampleMesh(uint32_t version, bool bCol = true)
{
    datagen::MeshDesc d;
    d.name = "figure";
    d.version = version;
    d.nodes = {{"root", -1, datagen::MeshNodeDesc::Identity()}, {"bone", 0, datagen::MeshNodeDesc::Identity()}};
    d.nodes[1].localToParent.origin.Set(0, 0, 1);
    d.bonesStart = 1;
    d.nBones = 1;
    datagen::MeshSkinDesc skin;
    datagen::MeshObjectDesc object;
    object.material = 1;
    object.node = 1;
    for (int i = 0; i < 3; ++i) {
        datagen::SkinVertex v;
        v.pos.Set(static_cast<float>(i), 0, 1);
        v.u = 0.5f * i;
        skin.corners.push_back(v);
        datagen::MeshVertex r;
        r.pos.Set(0, static_cast<float>(i), 0);
        object.corners.push_back(r);
    }
    d.skins.push_back(skin);
    d.objects.push_back(object);
    d.bCol = bCol;
    datagen::ColObjectDesc col;
    col.node = 1;
    col.corners = {mVec3(0, 0, 0), mVec3(1, 0, 0), mVec3(0, 1, 0)};
    d.colObjects.push_back(col);
    datagen::ColSkinDesc colSkin;
    colSkin.surface = 1;
    for (int i = 0; i < 3; ++i) {
        datagen::ColSkinVertex v;
        v.pos.Set(static_cast<float>(i), 0, 1);
        colSkin.corners.push_back(v);
    }
    d.colSkins.push_back(colSkin);
    return d;
}

datagen::AnimationDesc SampleAnimation()
{
    datagen::AnimationDesc d;
    d.frames = 2;
    datagen::AnimationTrackDesc still;
    still.positions = {mVec3(0, 0, 1)};
    still.rotations = {mQuat(0, 0, 0, 1)};
    datagen::AnimationTrackDesc moving;
    moving.positions = {mVec3(0, 0, 0), mVec3(1, 0, 0)};
    moving.rotations = {mQuat(0, 0, 0, 1), mQuat(0, 0, 0.6f, 0.8f)};
    d.nodes = {still, moving};
    return d;
}

// A mesh of two materials placed in slot 3 for the sky to resolve.
constexpr uint32_t kSkyMeshHandle = 0x01230003;
void PlaceSkyMesh(LoaderEnv& env)
{
    const std::string path = env.HostPath("skymesh.msh");
    ASSERT_TRUE(datagen::WriteMeshFile(path, SampleMesh(2)));
    auto* pMesh = dcast<eMesh>(cBase::Load("/skymesh.msh", &env.m_build, eMesh::GetStaticType()));
    ASSERT_NE(pMesh, nullptr);
    eMeshMgr::Add(3, pMesh, kSkyMeshHandle >> 16);
    env.OnDone([] { eMeshMgr::Remove(3); });
}

datagen::SkyDesc SampleSky(uint32_t version)
{
    datagen::SkyDesc d;
    d.version = version;
    d.hMesh = kSkyMeshHandle;
    d.nMaterials = 2;
    for (uint32_t s = 0; s < 4; ++s)
        d.skins[s] = {0x100u + s, 0x200u + s};
    d.scale = 3.0f;
    return d;
}

// A room of edge 16: a floor, and from version 5 a wall of another
// material, a light grid and a lightmap.
constexpr int kLightmapSlot = eTextureMgr::kFirstLightmapSlot + 1;
datagen::RgbaImage Solid(uint32_t size)
{
    datagen::RgbaImage image{size, size, {}};
    for (uint32_t i = 0; i < size * size; ++i)
        image.rgba.insert(image.rgba.end(), {200, 180, 160, 255});
    return image;
}

datagen::ZoneDesc SampleZone(uint32_t version, const eLightGrid* pGrid)
{
    datagen::ZoneDesc d;
    d.name = "room";
    d.version = version;
    d.boxMin.Set(-8, -8, -8);
    d.boxMax.Set(8, 8, 8);
    d.exportOffset.Set(1.5f, -2.0f, 0.25f);
    d.treeSize = 16;
    d.visLevels = 2;
    d.colLevels = 2;
    d.materials = {0x00110005u, 0x00220006u};
    d.surfaces = {0x00330007u};
    datagen::AddQuad(&d, {{-6, -6, -4}, {6, -6, -4}, {6, 6, -4}, {-6, 6, -4}}, 0);
    if (version >= 5) {
        datagen::AddQuad(&d, {{-6, 6, -4}, {6, 6, -4}, {6, 6, 4}, {-6, 6, 4}}, 1);
        d.pLightGrid = pGrid;
        d.bLightmap = true;
        datagen::TextureFileDesc t;
        datagen::MakeTextureDesc("lm_room", 1, eTextureConfig::FORMAT_RGBA8, false, Solid(8), nullptr, &t);
        d.lightmaps.push_back(t);
    }
    return d;
}

// As the region loader reads a zone: the lightmap slot of its region
// configured, then the file's one object.
void ConfigureSlot(LoaderEnv& env, int slot, eTextureConfig::eFormat format, uint32_t size)
{
    auto* pConfig = env.m_textures.New<eTextureConfig>();
    ASSERT_NE(pConfig, nullptr);
    eTextureConfigMgr::Add(slot, pConfig, static_cast<uint16_t>(0x200 + slot));
    pConfig->Create(&env.m_textures, format, size, size, false, false);
    env.OnDone([slot] { eTextureConfigMgr::s_pInstances[slot] = nullptr; });
}

cBase* LoadZone(LoaderEnv& env, const char* path)
{
    cFile file;
    if (!file.Open(path))
        return nullptr;
    eZone* pZone = env.m_loads.New<eZone>();
    bool bRead = false;
    if (pZone) {
        pZone->m_nLightmapStartIndex = kLightmapSlot;
        pZone->m_nLightmapTextures = 1;
        cReadBlock top(file, 1);
        // Read as the file's object, as cBase::Load reads one.
        bRead = top.ReadInt() == static_cast<int32_t>(eZone::GetStaticType()->m_nTypeId) &&
                file.ReadObject(*pZone, &env.m_loads);
        if (!file.Failed() && !bRead)
            file.Fail("no zone");
    }
    file.Close();
    if (pZone && !bRead) {
        std::destroy_at(pZone);
        return nullptr;
    }
    return pZone;
}

// Sounds live in audio memory: every block a load took goes back with it.
void StartAudio(LoaderEnv& env)
{
    static const bool s_bStarted = [] {
        static TempDir s_dir("qm_loaderAudio");  // the console settings' folder, removed at exit
        OSTestSetSettingsDir(s_dir.c_str());
        AITestSetManualFrames(TRUE);
        return eAudioPlatform::Initialize();
    }();
    ASSERT_TRUE(s_bStarted);
    auto* pWriter = new datagen::AudioMemorySoundWriter;  // written back from audio memory
    env.OnDone([pWriter] { delete pWriter; });
    env.OnDone([blocks = ARTestLiveBlocks()] { EXPECT_EQ(ARTestLiveBlocks(), blocks) << "audio memory kept"; });
}

datagen::SoundRecord SampleSound(const char* name)
{
    datagen::SoundRecord r = datagen::MakeSoundRecord(name, datagen::MakeSineTone(1000.0, 9000.0, 60), false);
    r.originalName = "source";
    return r;
}

// Two frames of 16 x 8 and a mono sound track.
bool WriteMovie(LoaderEnv&, Path path)
{
    datagen::ThpMovie movie;
    movie.width = 16, movie.height = 8;
    for (int k = 0; k < 2; ++k) {
        std::vector<uint8_t> rgb;
        for (int i = 0; i < 16 * 8; ++i)
            rgb.insert(rgb.end(), {static_cast<uint8_t>(40 * k + i), 200, static_cast<uint8_t>(i * 2)});
        movie.framesRgb.push_back(rgb);
    }
    movie.audioChannels = 1;
    movie.audioTracks.push_back(datagen::MakeSineTone(440.0, 8000.0, 2200));
    return datagen::WriteThpFile(path, movie);
}

// Opens, preloads and decodes every frame as the movie player does, without
// drawing; the disc is waited for before each frame.
bool PlayMovie(LoaderEnv&, const char* path)
{
    if (!THPSimpleInit(FALSE, nullptr))
        return false;
    uint32_t decoded = 0, frames = 0;
    if (THPSimpleOpen(path)) {
        frames = THPSimpleGetTotalFrame();
        std::vector<uint8_t> buffer(THPSimpleCalcNeedMemory() + 32);
        auto* aligned = reinterpret_cast<uint8_t*>((reinterpret_cast<uintptr_t>(buffer.data()) + 31) & ~uintptr_t{31});
        if (THPSimpleSetBuffer(aligned) && THPSimplePreLoad(FALSE)) {
            for (int waits = 0; decoded < frames && waits < 3;) {
                DVDTestWaitIdle();
                const int32_t result = THPSimpleDecode(0);
                if (result == THP_DECODE_OK)
                    ++decoded;
                else if (result == THP_DECODE_NOT_READ || result == THP_DECODE_AUDIO_BUSY)
                    ++waits;
                else
                    break;
                AITestRunFrames(7, nullptr);  // the audio of one frame played
            }
            THPSimpleLoadStop();
        }
        THPSimpleClose();
    }
    THPSimpleQuit();
    return frames > 0 && decoded == frames;
}

// ---- game flow ----

// The game-flow rows' end: the game, platform and game configurations
// unloaded, then the memory of the flow pools the row gave memory to freed.
void UnloadFlowOnDone(LoaderEnv& env)
{
    std::vector<cMemPool*> pools = {
        &gcGame::s_gamePool,          &gcGame::s_gameMusicPool,         &gcGame::s_gameSoundPool,
        &gcGame::s_gameStringsPool,   &gcGame::s_gameStatePool,         &gcGame::s_actPool,
        &gcGame::s_mapPool,           &gcGame::s_mapSoundPool,          &gcGame::s_mapVoiceOversPool,
        &gcGame::s_mapMusicPool,      &gcGame::s_mapStringsPool,        &gcGame::s_mapCinematicPool,
        &gcGame::s_mapCinematicVOPool, &gcGame::s_playerConfigPool,     &gcGame::s_playerConfigSoundPool,
        &gcGame::s_loadingScreenPool, &gcGameConfig::s_gameConfigPool,  &gcGameConfig::s_texturesPool,
        &gcPlatformConfig::s_platformConfigPool, &gcPlatformConfig::s_platformConfigStringsPool};
    for (cMemPool& pool : gcGame::s_regionPools)
        pools.push_back(&pool);
    env.FreePoolsOnDone(pools);
    env.OnDone([] {
        gcGame::Unload();
        gcPlatformConfig::Unload();
        gcGameConfig::Unload();
    });
}

// The game-flow files load through their classes' own loaders, from their
// fixed names below the data directory into their own pools.
void StartFlow(LoaderEnv& env)
{
    for (const char* dir : {"Game/Act01", "Game/LoadingScreens"})
        std::filesystem::create_directories(env.HostPath(dir));
    gcGameConfig::s_dataPath.Set("%s", "");
    UnloadFlowOnDone(env);
}

// The bytes to load placed under the loader's own name, then loaded.
template <class Loader>
auto FlowLoad(const char* name, Loader load)
{
    return [name, load](LoaderEnv& env, const char* path) -> cBase* {
        std::error_code ec;
        std::filesystem::copy_file(env.HostPath(path + 1), env.HostPath(name),
                                   std::filesystem::copy_options::overwrite_existing, ec);
        return !ec ? load() : nullptr;
    };
}

cBase* LoadGameConfig()
{
    return gcGameConfig::Load() ? gcGameConfig::s_pGameConfig : nullptr;
}

cBase* LoadPlatformConfig()
{
    return gcPlatformConfig::Load(gcPlatformConfig::kConsolePlatform) ? gcPlatformConfig::s_pPlatformConfig : nullptr;
}

cBase* LoadGame()
{
    return gcGame::Load() ? gcGame::s_pGame : nullptr;
}

cBase* LoadGameState()
{
    return gcGame::LoadGameState() ? gcGameState::s_pGameState : nullptr;
}

cBase* LoadFirstPlayerConfig()
{
    return gcGame::LoadPlayerConfig(0) ? gcPlayerConfig::s_pPlayerConfig : nullptr;
}

cBase* LoadFirstAct()
{
    return gcGame::LoadAct(0) ? gcAct::s_pAct : nullptr;
}

cBase* LoadFirstLoadingScreen()
{
    return gcGame::LoadLoadingScreen(0) ? gcLoadingScreen::s_pLoadingScreen : nullptr;
}

// Maps load through the resident act, made for the row with id 0.
void StartMaps(LoaderEnv& env)
{
    StartFlow(env);
    std::filesystem::create_directories(env.HostPath("Game/Act01/Map01"));
    gcGameConfig::PrepPool(gcGame::s_actPool, gcGameConfig::GetActPoolSize());
    gcAct* pAct = gcGame::s_actPool.New<gcAct>();
    ASSERT_NE(pAct, nullptr);
    pAct->m_nActId = 0;
    env.OnDone([] {
        if (gcAct::s_pAct)
            std::destroy_at(gcAct::s_pAct);
    });
}

cBase* LoadFirstMap()
{
    return gcAct::s_pAct && gcAct::s_pAct->LoadMap(0) ? gcMap::s_pMap : nullptr;
}

// A region read as the map's region loader reads it, into slot 1 (whose
// lightmap slot the row configures).
cBase* LoadRegion(LoaderEnv& env, const char* path)
{
    cFile file;
    if (!file.Open(path))
        return nullptr;
    gcRegion* p = env.m_loads.New<gcRegion>();
    if (p) {
        p->m_nRegionIndex = 1;
        if (!file.ReadObject(*p, &env.m_loads)) {
            std::destroy_at(p);
            p = nullptr;
        }
    }
    file.Close();
    return p;
}

datagen::RegionDesc SampleRegion(LoaderEnv& env)
{
    eLightGrid* pGrid = datagen::BuildLightGrid(2, 4, 16, &env.m_build, [](int, const mVec3& at) { return at.x > 0; });
    datagen::RegionDesc d;
    d.name = "Hall";
    d.neighbors[0] = 2;
    d.neighbors[1] = 7;
    d.offsets[0].Set(32.0f, 0.0f, 0.0f);
    d.offsets[1].Set(-32.0f, 16.0f, 0.5f);
    d.zone = SampleZone(5, pGrid);
    return d;
}

// Platform strings load into a platform configuration made for the row. The
// driver deletes each string group it is given, so the configuration lets
// go of it before the next load and before it is itself deleted.
void StartPlatformStrings(LoaderEnv& env)
{
    StartFlow(env);
    gcPlatformConfig::Create();
    ASSERT_NE(gcPlatformConfig::s_pPlatformConfig, nullptr);
    env.OnDone([] {
        if (gcPlatformConfig::s_pPlatformConfig)
            gcPlatformConfig::s_pPlatformConfig->m_pStrings = nullptr;
    });
}

cBase* LoadPlatformStrings(LoaderEnv& env, const char* path)
{
    cStr name;
    gcPlatformConfig::GetStringsFilename(&name, gcPlatformConfig::kConsolePlatform);
    gcPlatformConfig* pConfig = gcPlatformConfig::s_pPlatformConfig;
    pConfig->m_pStrings = nullptr;
    std::error_code ec;
    std::filesystem::copy_file(env.HostPath(path + 1), env.HostPath(name.m_sData + 1),
                               std::filesystem::copy_options::overwrite_existing, ec);
    return !ec && pConfig->LoadStringTable(gcPlatformConfig::kConsolePlatform) ? pConfig->m_pStrings : nullptr;
}

// Music tracks load into the static table's first free slot; the driver
// deletes each track it is given, so the table is emptied before each load.
void StartMusic(LoaderEnv& env)
{
    StartAudio(env);
    StartFlow(env);
    std::filesystem::create_directories(env.HostPath("Game/Music"));
    gcMusic::Initialize();
    env.OnDone(gcMusic::Initialize);
}

cBase* LoadMusic(LoaderEnv& env, const char* path)
{
    gcMusic::Initialize();
    std::error_code ec;
    std::filesystem::copy_file(env.HostPath(path + 1), env.HostPath("Game/Music/Music00.mus"),
                               std::filesystem::copy_options::overwrite_existing, ec);
    const int nSlot = !ec ? gcMusic::LoadMusic(0, &env.m_loads) : -1;
    return nSlot >= 0 ? static_cast<cBase*>(gcMusic::s_pMusic[nSlot]) : nullptr;
}

datagen::GameFileDesc SampleGameDesc()
{
    datagen::GameFileDesc desc;
    desc.name = "Quest";
    desc.actNames = {"Dawn", "Dusk"};
    desc.playerConfigNames = {"Hero"};
    desc.loadingScreenNames = {"Loading"};
    desc.musicNames = {"Theme"};
    desc.musicSizes = {4096};
    desc.gameTracks[0] = 0;
    desc.voDialog = 0x00300001;
    desc.voControl = 7;
    desc.cameraCollisionMask = 0x21;
    return desc;
}

// ---- entities ----

// An entity with a value in every field its version holds, and one as the
// writer leaves it.
std::vector<datagen::EntityDesc> SampleEntities()
{
    datagen::EntityDesc d;
    d.name = "Barrel";
    d.hTemplate = 0x01040003;
    d.regionId = 4;
    d.skin = 2;
    d.neighbors[0] = 0x01120001;
    d.paths = {0x00500001, 0x00510002};
    d.active = true;
    d.invulnerable = true;
    const float placement[12] = {1, 2, 3, 0, 1, 0, -1, 0, 0, 0, 0, 1};
    std::copy_n(placement, 12, d.placement);
    d.activationMask = 0x8;
    d.mode = 6;
    d.initialState = 4;
    d.statMods = {0.5f, 2, 1, 0.25f};
    return {d, datagen::EntityDesc()};
}

// A template of the sky's mesh, whose materials and surfaces it names, with
// a shadow configuration; and one as the writer leaves it.
std::vector<datagen::EntityTemplateDesc> SampleTemplates()
{
    const eMesh* pMesh = eMeshMgr::GetPtr(eMeshHandle(kSkyMeshHandle));
    datagen::EntityTemplateDesc d;
    d.name = "Crate";
    d.flags = 0x5;
    d.hMesh = kSkyMeshHandle;
    d.materialCount = pMesh ? pMesh->GetNumMaterials() : 0;
    for (uint32_t i = 0; i < 4 * static_cast<uint32_t>(d.materialCount); ++i)
        d.materials.push_back(0x00A00000 + i);
    d.surfaceCount = pMesh ? pMesh->GetNumSurfaces() : 0;
    for (int32_t i = 0; i < d.surfaceCount; ++i)
        d.surfaces.push_back(0x00E00001 + static_cast<uint32_t>(i));
    d.surfaceCollisionMask = 0x30;
    d.size = 2;
    d.attachItemMask = 0x7;
    d.shadow = true;
    d.shadowBlendMaterial = 0x00990002;
    d.stats = {250, 0.5f, 0.25f, 2};
    d.values = {30, 0.5f, 20, 3};
    d.team = 1;
    d.hStateMachine = 0x00440001;
    return {d, datagen::EntityTemplateDesc()};
}

// ---- creatures ----

// An attack of the version with a value in every field, one helper naming
// the sky mesh's second node and one empty.
datagen::CreatureAttackDesc SampleAttack(const char* name, uint32_t flags)
{
    datagen::CreatureAttackDesc a;
    a.name = name;
    a.config.hAnimation = 0x00030004;
    a.config.flags = 0x2;
    a.damageStart = 40;
    a.damageStop = 260;
    a.damage = 12.5f;
    a.collisionMask = 0x21;
    a.flags = flags;
    a.helpers[0] = "bone";
    a.radii[0] = 0.5f;
    a.hitEffect = 0x00C80001;
    a.blockedEffect = 0x00C80002;
    return a;
}

// A creature template of the sample entity template with attacks in slots
// 0 and 2 (1 empty), stats and values off their defaults; and one as the
// writer leaves it.
std::vector<datagen::CreatureTemplateDesc> SampleCreatureTemplates(uint32_t attackVersion)
{
    datagen::CreatureTemplateDesc d;
    d.base = SampleTemplates()[0];
    d.attacks = {SampleAttack("Swipe", 0x11), std::nullopt, SampleAttack("Throw", 0x2)};
    d.attackVersion = attackVersion;
    d.stats = {10, 20, 3, 1.5f, 2, 2.5f, 3, 150, 4};
    d.values = {0, 1, 3, 1.25f, 0.75f, 0.5f, 0.25f, 0.1f, 0.2f, 12};
    d.hitEffect = 0x00C80003;
    d.blockedEffect = 0x00C80004;
    return {d, datagen::CreatureTemplateDesc()};
}

template <class T>
datagen::ScriptRecord<T> Rec(T* p, uint16_t check)
{
    return {p, check};
}

bool WriteStateMachines(LoaderEnv& env, Path path)
{
    gcStateMachine* parent = datagen::NewStateMachine(&env.m_build, "Parent", gcStateMachineHandle());
    gcStateMachine* child = datagen::NewStateMachine(&env.m_build, "Child", gcStateMachineHandle(0x22220005));
    return parent && child && datagen::AddState(*child, 2, "Idle", &env.m_build) &&
           datagen::WriteStateMachineGroupFile(path, 5, {Rec(parent, 0x2222), Rec(child, 0x3333)});
}

// Parameters unlike the defaults in every field.
gcGameCameraParams SampleCameraParams()
{
    gcGameCameraParams p;
    for (int i = 0; i < gcGameCameraParams::MAX_SPEEDTYPES; ++i) {
        p.m_fMaxVels[i] = 1.0f + static_cast<float>(i);
        p.m_fMaxTimes[i] = 0.1f * static_cast<float>(i + 1);
        p.m_fOffsets[i] = -2.0f * static_cast<float>(i + 1);
    }
    return p;
}

// A control (or a control of a subclass) unlike the defaults in every
// stored field.
template <class T = gcUIControl>
T SampleControl(uint32_t slot)
{
    T c;
    c.m_name.Set("Button%u", slot);
    c.m_hWidgetHandle = (7u << 8) | slot;
    c.m_nFlags = 0x190B;
    c.m_hNeighbors[gcUIWidget::NEIGHBOR_RIGHT] = (7u << 8) | (slot + 1);
    c.m_origin = eSprite::SO_UPPERLEFT;
    c.m_offset.Set(-3.0f, 4.5f);
    c.m_cellPadding[1] = 2.0f;
    c.m_fOpacity = 0.75f;
    c.m_hText = gcStringHandle(0x00420003);
    c.m_textMargins[2] = 1.5f;
    c.m_hFont = eFontHandle(0x00110001);
    c.m_textJustify = eSprite::SO_LOWERRIGHT;
    c.m_nTextColor = 0xFF102030, c.m_nTextColorHi = 0xFF405060;
    c.m_nTextColorDisabled = 0x80808080, c.m_nTextColorShadow = 0x40000000;
    c.m_fMaxTextWidth = 200.0f;
    c.m_size.Set(64.0f, 20.0f);
    c.m_hSprites[gcUIControl::SPR_FOCUSED] = eSpriteHandle(0x00330004);
    return c;
}

// A 2 x 3 grid: two controls sharing a cell, an empty cell and a nested
// group of one row, built in the row's pool.
gcUIWidgetGroup* SampleWidgetGroup(LoaderEnv& env)
{
    cMemPool& pool = env.m_build;
    gcUIWidgetGroup* g = pool.New<gcUIWidgetGroup>();
    gcUIWidgetGroup* inner = pool.New<gcUIWidgetGroup>();
    if (!g || !inner || !g->SetDimensions(2, 3) || !inner->SetDimensions(1, 2))
        return nullptr;
    g->m_name.Set("Grid");
    g->m_nFlags |= gcUIWidgetGroup::kKeepNaturalSizes;
    inner->m_name.Set("Row");
    const int cells[] = {0, 0, 1, 3, 4};
    for (uint32_t i = 0; i < 5; ++i)
        g->InsertInDrawOrder(cells[i], pool.New<gcUIControl>(SampleControl(i)), nullptr);
    g->InsertInDrawOrder(5, inner, nullptr);
    inner->InsertInDrawOrder(1, pool.New<gcUIControl>(SampleControl(9)), nullptr);
    return g;
}

// A checked box with two of its three checked sprites.
gcUICheckBox SampleCheckBox()
{
    gcUICheckBox b = SampleControl<gcUICheckBox>(3);
    b.m_nFlags |= gcUICheckBox::kChecked;
    b.m_hCheckedSprites[gcUICheckBox::SPR_CHECKED] = eSpriteHandle(0x00330005);
    b.m_hCheckedSprites[gcUICheckBox::SPR_CHECKED_FOCUSED] = eSpriteHandle(0x00330006);
    return b;
}

// An item control of a specific owner with uneven padding.
gcUIItemControl SampleItemControl(uint32_t slot)
{
    gcUIItemControl c = SampleControl<gcUIItemControl>(slot);
    c.m_nFlags |= gcUIItemControl::kTurnsFocused;
    c.desiredEntity.desiredEntity = gcDesiredEntity::SPECIFIC;
    c.desiredEntity.hSpecificEntity = gcEntityHandle(0x00440002);
    c.hItemTemplate = gcItemTemplateHandle(0x00550003);
    const float padding[4] = {1.0f, 2.5f, -3.0f, 4.0f};
    std::copy(std::begin(padding), std::end(padding), c.itemPadding);
    return c;
}

// A column-major, wrapping list of 2 x 2 item controls (one cell empty),
// built in the row's pool.
gcUIItemList* SampleItemList(LoaderEnv& env)
{
    cMemPool& pool = env.m_build;
    gcUIItemList* p = pool.New<gcUIItemList>();
    if (!p || !p->SetDimensions(2, 2))
        return nullptr;
    p->m_name.Set("Inventory");
    p->m_nFlags |= gcUIWidgetList::kColumnMajor | gcUIWidgetList::kWrap;
    p->desiredEntity.desiredEntity = gcDesiredEntity::PLAYER_INTERACT_TARGET;
    p->nItemCategoryMask = 0x00000106;
    for (int i = 0; i < 3; ++i)
        p->InsertInDrawOrder(i, pool.New<gcUIItemControl>(SampleItemControl(static_cast<uint32_t>(i))), nullptr);
    return p;
}

// The main menu loads from its fixed name; a resident one is released
// first, so that every load reads the file.
cBase* LoadMainMenu()
{
    if (gcMainMenu::s_pMainMenu)
        std::destroy_at(gcMainMenu::s_pMainMenu);
    return gcMainMenu::Load() ? gcMainMenu::s_pMainMenu : nullptr;
}

void StartMenu(LoaderEnv& env)
{
    StartFlow(env);
    env.OnDone([] {
        if (gcMainMenu::s_pMainMenu)
            std::destroy_at(gcMainMenu::s_pMainMenu);
    });
}

// A file of one object whose block is laid out by hand.
template <class T>
auto Blocks(std::function<void(datagen::BlockWriter&)> block)
{
    return [block](LoaderEnv&, Path path) {
        return datagen::WriteObjectBlocksFile(path, T::GetStaticType()->m_nTypeId, block);
    };
}

gcValue* Button(LoaderEnv& env, eInput::eButton button)
{
    return env.m_build.New<gcValControllerState>(gcValControllerState::STATE_DOWN, button);
}

// Flow control two levels deep: a log, a set-value without a destination
// and a return inside an evaluation inside another.
gcDoEvaluation* SampleEvaluation(LoaderEnv& env)
{
    cMemPool* pPool = &env.m_build;
    gcAction* pInner = datagen::NewEvaluation(
        pPool, Button(env, eInput::JOYBTN_2),
        {datagen::NewLog(pPool, gcDoLog::LOG_INFO, "inner", Button(env, eInput::JOYBTN_3), nullptr),
         datagen::NewReturn(pPool, Button(env, eInput::JOYBTN_4))},
        {});
    return datagen::NewEvaluation(
        pPool, Button(env, eInput::JOYBTN_1), {pInner},
        {datagen::NewSetValue(pPool, gcDoSetValue::OP_ASSIGN_MUL, nullptr, Button(env, eInput::JOYBTN_5)),
         datagen::NewDoFunction(pPool, Button(env, eInput::JOYBTN_6))});
}

// An expression of every operator kind over every leaf kind, with a
// missing operand.
gcValue* SampleExpression(LoaderEnv& env)
{
    cMemPool& p = env.m_build;
    gcDesiredValue temp;
    temp.desiredValue = gcDesiredValue::VAL_TEMP;
    temp.nParamIndex = 1;
    gcDesiredValue constant;
    constant.desiredValue = gcDesiredValue::VAL_CONSTANT;
    constant.hSpecificConstant = gcConstantHandle(0x00070003);
    gcValFunction* pCall = p.New<gcValFunction>(gcFunctionHandle(0x00110002));
    pCall->AddParam(p.New<gcValEventId>(gcMsgEvent::ID_ONDEATH));
    gcValue* pLeft = p.New<gcValBinaryOp>(gcValBinaryOp::OP_MAX, p.New<gcValNumber>(2.5f),
                                          p.New<gcValUnaryOp>(gcValUnaryOp::OP_NEG, pCall));
    gcValue* pRight = p.New<gcValTrinaryOp>(gcValTrinaryOp::OP_RANGE, p.New<gcValKeyValue>(gcKeyValueHandle(0x00050001)),
                                            p.New<gcValRandomNumber>(temp, constant, 0x1002), nullptr, 0x3);
    return p.New<gcValBinaryOp>(gcValBinaryOp::OP_OR, pLeft,
                                p.New<gcValBinaryOp>(gcValBinaryOp::OP_AND, pRight,
                                                     p.New<gcValConstant>(gcConstantHandle(0x00090004))));
}

// The creature and NPC actions and the creature values at every version
// they are read from, and the player's control script in a machine group.
void AddCreatureScriptRows(std::vector<LoaderRow>& rows)
{
    const gcDesiredEntity creature = SpecificEntity(0x00070002);
    const gcDesiredEntity player = gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER);
    rows.push_back({"gcDoCreatureAction v3", {"WriteObjectFile"},
                    [=](LoaderEnv&, Path p) {
                        return datagen::WriteObjectFile(p, gcDoCreatureAction(gcDoCreatureAction::CA_IDLE_6, creature));
                    },
                    TypeOf<gcDoCreatureAction>});
    for (uint32_t version : {1u, 2u})
        rows.push_back({Named("gcDoCreatureAction", version), {"ActionBlock"},
                        ActionFields<gcDoCreatureAction>(version,
                                                         [version](datagen::BlockWriter& w) {
                                                             w.Int(3).Int(4).Int(0x00070002);
                                                             if (version == 2)
                                                                 w.Int(-9);
                                                         }),
                        TypeOf<gcDoCreatureAction>, nullptr, false});
    gcDesiredValue constant;
    constant.desiredValue = gcDesiredValue::VAL_CONSTANT;
    constant.hSpecificConstant = gcConstantHandle(0x00090004);
    constant.nParamIndex = 1;
    rows.push_back({"gcDoCreatureAttack v4", {"WriteObjectFile"},
                    [=](LoaderEnv&, Path p) {
                        return datagen::WriteObjectFile(p, gcDoCreatureAttack(creature, 0x2, -3, constant));
                    },
                    TypeOf<gcDoCreatureAttack>});
    for (uint32_t version : {1u, 2u, 3u})
        rows.push_back({Named("gcDoCreatureAttack", version), {"ActionBlock"},
                        ActionFields<gcDoCreatureAttack>(version,
                                                         [version](datagen::BlockWriter& w) {
                                                             w.Int(1).Int(0).Half(0x1);
                                                             if (version >= 3)
                                                                 w.Int(gcDesiredValue::VAL_NUMBER).Float(2.0f).Int(0).Int(0);
                                                             else
                                                                 w.Half(3);
                                                             if (version >= 2)
                                                                 w.Half(0xFFFE);
                                                         }),
                        TypeOf<gcDoCreatureAttack>, nullptr, false});
    rows.push_back({"gcDoCreatureSetTarget v1", {"WriteObjectFile"},
                    [=](LoaderEnv&, Path p) {
                        return datagen::WriteObjectFile(p, gcDoCreatureSetTarget(player, 3, creature));
                    },
                    TypeOf<gcDoCreatureSetTarget>});
    rows.push_back({"gcDoNPCAction v3", {"WriteObjectFile"},
                    [=](LoaderEnv&, Path p) { return datagen::WriteObjectFile(p, gcDoNPCAction(1, creature)); },
                    TypeOf<gcDoNPCAction>});
    for (uint32_t version : {1u, 2u})
        rows.push_back({Named("gcDoNPCAction", version), {"ActionBlock"},
                        ActionFields<gcDoNPCAction>(version,
                                                    [version](datagen::BlockWriter& w) {
                                                        w.Int(2).Int(0).Int(0x00400002);
                                                        if (version == 2)
                                                            w.Int(5);
                                                    }),
                        TypeOf<gcDoNPCAction>, nullptr, false});
    rows.push_back({"gcValCreatureHasTarget v2", {"WriteValueFile"},
                    [=](LoaderEnv&, Path p) {
                        return datagen::WriteValueFile(p, gcValCreatureHasTarget(player, true, creature));
                    },
                    TypeOf<gcValCreatureHasTarget>});
    rows.push_back({"gcValCreatureHasTarget v1", {"ValueBlock"},
                    ValueFields<gcValCreatureHasTarget>(1, [](datagen::BlockWriter& w) { w.Int(2).Int(0); }),
                    TypeOf<gcValCreatureHasTarget>, nullptr, false});
    rows.push_back({"gcValCreatureStat v1", {"WriteValueFile"},
                    [=](LoaderEnv&, Path p) {
                        return datagen::WriteValueFile(
                            p, gcValCreatureStat(creature, gcCreatureTemplate::STAT_ENDURANCE, true));
                    },
                    TypeOf<gcValCreatureStat>});
    rows.push_back({"gcValCreatureState v1", {"WriteValueFile"},
                    [=](LoaderEnv&, Path p) {
                        return datagen::WriteValueFile(p, gcValCreatureState(gcValCreatureState::STATE_FALLING, creature));
                    },
                    TypeOf<gcValCreatureState>});
    rows.push_back({"gcValCreatureStrafeDir v1", {"WriteValueFile"},
                    [=](LoaderEnv&, Path p) { return datagen::WriteValueFile(p, gcValCreatureStrafeDir(creature)); },
                    TypeOf<gcValCreatureStrafeDir>});
    rows.push_back({"gcValCreatureTimeSince v1", {"WriteValueFile"},
                    [=](LoaderEnv&, Path p) {
                        return datagen::WriteValueFile(p, gcValCreatureTimeSince(creature, gcCreature::TIMESINCE_THROW));
                    },
                    TypeOf<gcValCreatureTimeSince>});
    rows.push_back({"gcValCreatureValue v1", {"WriteValueFile"},
                    [=](LoaderEnv&, Path p) {
                        return datagen::WriteValueFile(
                            p, gcValCreatureValue(creature, gcCreatureTemplate::VAL_PERCEPTION));
                    },
                    TypeOf<gcValCreatureValue>});
    rows.push_back({"gcStateMachineGroup v2, the player's control", {"WriteStateMachineGroupFile"},
                    [](LoaderEnv& env, Path p) {
                        gcStateMachine* pControl = datagen::NewPlayerControlStateMachine(&env.m_build, "PlayerControl");
                        return pControl && datagen::WriteStateMachineGroupFile(p, 9, {Rec(pControl, 0x0909)});
                    },
                    TypeOf<gcStateMachineGroup>, SlotsOf<gcStateMachineMgr>});
}

// ---- cinematics, voice-overs and the media actions ----

const std::vector<datagen::CinematicEntryDesc> kSampleEntries = {{"Start", 0, 0x00650064}, {"Late", 900, 0}};

// A streamed cinematic read as the loader reads it: its block alone.
cBase* LoadStreamed(LoaderEnv& env, const char* path)
{
    cFile file;
    if (!file.Open(path))
        return nullptr;
    gcStreamedCinematic* p = env.m_loads.New<gcStreamedCinematic>();
    if (p && !file.ReadObject(*p, &env.m_loads)) {
        std::destroy_at(p);
        p = nullptr;
    }
    file.Close();
    return p;
}

void AddCinematicRows(std::vector<LoaderRow>& rows)
{
    rows.push_back({"gcCinematicGroup v2, gcCinematic v3", {"WriteCinematicGroupFile"},
                    [](LoaderEnv& env, Path p) {
                        gcCinematic* c = datagen::NewCinematic(&env.m_build, "Intro", 0);
                        datagen::AddCinematicEntry(*c, &env.m_build, "Start", 0, 0x00650064);
                        datagen::AddCinematicEntry(*c, &env.m_build, "End", 1200, 0);
                        return datagen::WriteCinematicGroupFile(p, 5, {Rec(c, 0x0505), Rec<gcCinematic>(nullptr, 0)});
                    },
                    TypeOf<gcCinematicGroup>, SlotsOf<gcCinematicMgr>});
    for (uint32_t version : {2u, 3u})
        for (uint32_t entryVersion : {1u, 2u})
            rows.push_back({Named("gcCinematic by hand", version) + ", entries v" + std::to_string(entryVersion),
                            {"CinematicBlock", "ObjectBlock", "EmptyEventBlock"},
                            [version, entryVersion](LoaderEnv&, Path p) {
                                return datagen::WriteObjectBlocksFile(p, 206, [&](datagen::BlockWriter& w) {
                                    datagen::CinematicBlock(w, version, "Intro", 0, kSampleEntries, entryVersion);
                                });
                            },
                            TypeOf<gcCinematic>, nullptr, version == 3 && entryVersion == 2});
    rows.push_back({"gcStreamedCinematic v2", {"WriteStreamedCinematicFile"},
                    [](LoaderEnv& env, Path p) {
                        return datagen::WriteStreamedCinematicFile(p, &env.m_build, [&env](gcStreamedCinematic& s) {
                            s.m_name.Set("Finale");
                            datagen::AddCinematicEntry(s.m_cinematic, &env.m_build, "Start", 20, 0x00660064);
                        });
                    },
                    TypeOf<gcStreamedCinematic>, nullptr, true, {}, LoadStreamed, {}, datagen::WriteBodyFile});
    for (uint32_t version : {1u, 2u})
        rows.push_back({Named("gcStreamedCinematic by hand", version),
                        {"StreamedCinematicBlock", "CinematicBlock", "ObjectBlock", "EmptyGroupBlock", "EmptyEventBlock"},
                        [version](LoaderEnv&, Path p) {
                            datagen::BlockWriter w;
                            datagen::StreamedCinematicBlock(w.Header(), version, "Finale", kSampleEntries).Trailer();
                            return w.Save(p);
                        },
                        TypeOf<gcStreamedCinematic>, nullptr, false, {}, LoadStreamed, {}, datagen::WriteBodyFile});
    for (uint32_t version : {1u, 2u})
        rows.push_back({Named("gcVoiceOverGroup by hand", version),
                        {"WriteVoiceOverGroupFile", "VoiceOverGroupBlock", "SoundDataBlock", "ObjectBlock"},
                        [version](LoaderEnv&, Path p) {
                            return datagen::WriteVoiceOverGroupFile(
                                p, version, 3,
                                {{"Hello", SampleSound("sm_Hello"), 0x02260226, 0x0303}, {"", {}, 0, 0},
                                 {"Bye", SampleSound("sm_Bye"), 0, 0x0505}});
                        },
                        TypeOf<gcVoiceOverGroup>, SlotsOf<gcVoiceOverMgr>, version == 2, StartAudio});
}

void AddMediaActionRows(std::vector<LoaderRow>& rows)
{
    AddCinematicRows(rows);
    rows.push_back({"gcDoPlayCinematic v2", {"WriteObjectFile"},
                    [](LoaderEnv& env, Path p) {
                        auto* a = env.m_build.New<gcDoPlayCinematic>();
                        a->hCinematic = gcCinematicHandle(0x12340005);
                        a->bIsMapCinematic = false;
                        a->nCinematicId = 4;
                        return datagen::WriteObjectFile(p, *a);
                    },
                    TypeOf<gcDoPlayCinematic>});
    rows.push_back({"gcDoPlayCinematic v1", {"ActionBlock"},
                    ActionFields<gcDoPlayCinematic>(1, [](datagen::BlockWriter& w) { w.Word(0x12340005); }),
                    TypeOf<gcDoPlayCinematic>, nullptr, false});
    rows.push_back({"gcDoPlayMovie v2", {"WriteObjectFile"},
                    [](LoaderEnv& env, Path p) {
                        auto* a = env.m_build.New<gcDoPlayMovie>();
                        a->movieName.Set("Intro");
                        a->bCanSkip = false;
                        return datagen::WriteObjectFile(p, *a);
                    },
                    TypeOf<gcDoPlayMovie>});
    rows.push_back({"gcDoPlayMovie v1", {"ActionBlock"},
                    ActionFields<gcDoPlayMovie>(1, [](datagen::BlockWriter& w) {
                        const std::string name(cStr::kSize, 'x');  // no terminator: one is forced
                        w.Bytes(name.data(), name.size());
                    }),
                    TypeOf<gcDoPlayMovie>, nullptr, false});
    rows.push_back({"gcDoPlayMusic v5", {"WriteObjectFile"},
                    [](LoaderEnv& env, Path p) {
                        auto* a = env.m_build.New<gcDoPlayMusic>();
                        a->nLevel = gcDoPlayMusic::LEVEL_MAP, a->nIndex = 2, a->bLooping = false;
                        a->fadeTime = cTimeValue(120), a->bPlayAsAmbientSFX = true;
                        a->desiredVolume.fConst = 0.5f;
                        return datagen::WriteObjectFile(p, *a);
                    },
                    TypeOf<gcDoPlayMusic>});
    for (uint32_t version : {2u, 3u, 4u})
        rows.push_back({Named("gcDoPlayMusic", version), {"ActionBlock"},
                        ActionFields<gcDoPlayMusic>(version,
                                                    [version](datagen::BlockWriter& w) {
                                                        w.Int(2).Int(1).Int(0).Int(300);
                                                        if (version >= 3)
                                                            w.Int(1);
                                                        if (version >= 4)
                                                            w.Int(gcDesiredValue::VAL_NUMBER).Float(0.25f).Int(0).Int(0);
                                                    }),
                        TypeOf<gcDoPlayMusic>, nullptr, false});
    rows.push_back({"gcDoPlaySound v1", {"WriteObjectFile"},
                    [](LoaderEnv& env, Path p) {
                        auto* a = env.m_build.New<gcDoPlaySound>();
                        a->hSoundData = eSoundDataHandle(0x00070003);
                        return datagen::WriteObjectFile(p, *a);
                    },
                    TypeOf<gcDoPlaySound>});
    rows.push_back({"gcDoPlayVoiceOver v1", {"WriteObjectFile"},
                    [](LoaderEnv& env, Path p) {
                        auto* a = env.m_build.New<gcDoPlayVoiceOver>();
                        a->hVO = gcVoiceOverHandle(0x00090064);
                        return datagen::WriteObjectFile(p, *a);
                    },
                    TypeOf<gcDoPlayVoiceOver>});
}

std::vector<LoaderRow> MakeRows()
{
    std::vector<LoaderRow> rows;
    // ---- rendering resources ----
    rows.push_back({"eTextureConfigGroup v2", {"WriteTextureConfigGroupFile"},
                    [](LoaderEnv&, Path p) {
                        return datagen::WriteTextureConfigGroupFile(
                            p, 10, {{eTextureConfig::FORMAT_CMPR, 64, 64, true, false, 0x0101}, {0, 0, 0, false, false, 0},
                                    {eTextureConfig::FORMAT_RGBA8, 16, 8, false, true, 0x0303}});
                    },
                    TypeOf<eTextureConfigGroup>, SlotsOf<eTextureConfigMgr>});
    rows.push_back({"eTextureGroup v2, eTexture v5", {"WriteTextureGroupFile", "TextureBlock"},
                    [](LoaderEnv&, Path p) {
                        datagen::TextureFileDesc t;
                        t.name = "glass";
                        return datagen::MakeTextureDesc("glass", 1, eTextureConfig::FORMAT_RGB5A3, false, Solid(8),
                                                        nullptr, &t) &&
                               datagen::WriteTextureGroupFile(p, 40, {{t, 0x0A0A}, {{}, 0}, {t, 0x0B0B}});
                    },
                    TypeOf<eTextureGroup>, SlotsOf<eTextureMgr>, true, [](LoaderEnv& env) {
                        ConfigureSlot(env, 40, eTextureConfig::FORMAT_RGB5A3, 8);
                        ConfigureSlot(env, 42, eTextureConfig::FORMAT_RGB5A3, 8);
                    }});
    rows.push_back({"ePalette v1", {"WritePaletteFile", "PaletteBlock"},
                    [](LoaderEnv&, Path p) {
                        datagen::GxPalette palette;
                        for (int i = 0; i < 512; ++i)
                            palette.entries.push_back(static_cast<uint8_t>(i * 7));
                        return datagen::WritePaletteFile(p, palette);
                    },
                    TypeOf<ePalette>});
    rows.push_back({"eMaterialGroup v2", {"WriteMaterialGroupFile"},
                    [](LoaderEnv& env, Path p) {
                        eMaterial* a = SampleMaterial(env);
                        eMaterial* b = datagen::MakeOverlayMaterial(&env.m_build, eTextureHandle());
                        return a && b && datagen::WriteMaterialGroupFile(p, 100, {{a, 0x0A0A}, {nullptr, 0}, {b, 0x0B0B}});
                    },
                    TypeOf<eMaterialGroup>, SlotsOf<eMaterialMgr>});
    // ---- models ----
    for (uint32_t version : {1u, 2u})
        rows.push_back({Named("eMesh", version), {"WriteMeshFile", "MeshBlock"},
                        [version](LoaderEnv&, Path p) { return datagen::WriteMeshFile(p, SampleMesh(version)); },
                        TypeOf<eMesh>, nullptr, version == 2});
    rows.push_back({"eMeshGroup v2", {"WriteMeshGroupFile", "GroupBlock"},
                    [](LoaderEnv&, Path p) { return datagen::WriteMeshGroupFile(p, 7, {SampleMesh(2, false)}); },
                    TypeOf<eMeshGroup>, SlotsOf<eMeshMgr>});
    rows.push_back({"eAnimation v4", {"WriteAnimationFile", "AnimationBlock"},
                    [](LoaderEnv&, Path p) { return datagen::WriteAnimationFile(p, SampleAnimation()); },
                    TypeOf<eAnimation>});
    rows.push_back({"eAnimationGroup v2", {"WriteAnimationGroupFile"},
                    [](LoaderEnv&, Path p) { return datagen::WriteAnimationGroupFile(p, 9, {SampleAnimation()}); },
                    TypeOf<eAnimationGroup>, SlotsOf<eAnimationMgr>});
    rows.push_back({"eModel v1", {"ModelBlock"},
                    Blocks<eModel>([](datagen::BlockWriter& w) { datagen::ModelBlock(w, 1); }), TypeOf<eModel>});
    for (uint32_t version : {1u, 2u})
        rows.push_back({Named("eSky", version), {"WriteSkyFile", "SkyBlock"},
                        [version](LoaderEnv&, Path p) { return datagen::WriteSkyFile(p, SampleSky(version)); },
                        TypeOf<eSky>, nullptr, version == 2, PlaceSkyMesh});
    // ---- world ----
    for (uint32_t version : {2u, 3u, 4u, 5u})
        rows.push_back({Named(version == 5 ? "eZone+eLightmap" : "eZone", version),
                        {"WriteZoneFile", "ZoneBlock", "LightmapBlock", "TextureBlock"},
                        [version](LoaderEnv& env, Path p) {
                            eLightGrid* pGrid = datagen::BuildLightGrid(2, 4, 16, &env.m_build,
                                                                        [](int, const mVec3& at) { return at.x > 0; });
                            return pGrid && datagen::WriteZoneFile(p, SampleZone(version, pGrid));
                        },
                        TypeOf<eZone>, nullptr, version == 5,
                        [](LoaderEnv& env) { ConfigureSlot(env, kLightmapSlot, eTextureConfig::FORMAT_RGBA8, 8); },
                        LoadZone});
    rows.push_back({"eSurfaceGroup v2", {"WriteSurfaceGroupFile"},
                    [](LoaderEnv&, Path p) {
                        lsSurface stone, water;
                        stone.m_nCollisionMask = 1;
                        water.m_name.Set("water");
                        water.m_nCollisionMask = 6;
                        water.m_flags = 0x10;
                        return datagen::WriteSurfaceGroupFile(p, 20, {{&stone, 0x0101}, {nullptr, 0}, {&water, 0x0202}});
                    },
                    TypeOf<eSurfaceGroup>, SlotsOf<eSurfaceMgr>});
    rows.push_back({"eLightGrid v1", {"WriteLightGridFile"},
                    [](LoaderEnv& env, Path p) {
                        eLightGrid* pGrid = datagen::BuildLightGrid(
                            2, 4, 16, &env.m_build, [](int level, const mVec3& at) { return level == 1 || at.y > 0; });
                        return pGrid && datagen::WriteLightGridFile(p, *pGrid);
                    },
                    TypeOf<eLightGrid>});
    rows.push_back({"ePath v1", {"WritePathFile"},
                    [](LoaderEnv& env, Path p) {
                        ePath* path = datagen::BuildPath("route", {{0, 0, 0}, {3, 4, 0, 10}, {3, 4, 12}}, &env.m_build);
                        return path && datagen::WritePathFile(p, *path);
                    },
                    TypeOf<ePath>});
    rows.push_back({"ePathGroup v2", {"WritePathGroupFile"},
                    [](LoaderEnv& env, Path p) {
                        ePath* path = datagen::BuildPath("loop", {{0, 0, 0}, {1, 0, 0}}, &env.m_build);
                        return path && datagen::WritePathGroupFile(p, 4, {{nullptr, 0}, {path, 0x0505}});
                    },
                    TypeOf<ePathGroup>, SlotsOf<ePathMgr>});
    // ---- effects and overlays ----
    rows.push_back({"eParticleEmitter v17", {"WriteEmitterFile"},
                    [](LoaderEnv&, Path p) { return datagen::WriteEmitterFile(p, SampleEmitter()); },
                    TypeOf<eParticleEmitter>});
    for (uint32_t version : {14u, 15u, 16u})
        rows.push_back({Named("eParticleEmitter", version), {"EmitterBlock"},
                        Blocks<eParticleEmitter>(
                            [version](datagen::BlockWriter& w) { datagen::EmitterBlock(w, SampleEmitter(), version); }),
                        TypeOf<eParticleEmitter>, nullptr, false});
    rows.push_back({"eGeomTrailConfig v5", {"WriteTrailConfigFile"},
                    [](LoaderEnv&, Path p) { return datagen::WriteTrailConfigFile(p, SampleTrailConfig()); },
                    TypeOf<eGeomTrailConfig>});
    rows.push_back({"eGeomTrailConfig v5 by hand", {"TrailConfigBlock"},
                    Blocks<eGeomTrailConfig>(
                        [](datagen::BlockWriter& w) { datagen::TrailConfigBlock(w, SampleTrailConfig(), 5); }),
                    TypeOf<eGeomTrailConfig>});
    rows.push_back({"eShadowConfig v2", {"WriteShadowConfigFile"},
                    [](LoaderEnv&, Path p) { return datagen::WriteShadowConfigFile(p, SampleShadowConfig()); },
                    TypeOf<eShadowConfig>});
    rows.push_back({"eShadowConfig v1", {"ShadowConfigBlock"},
                    Blocks<eShadowConfig>(
                        [](datagen::BlockWriter& w) { datagen::ShadowConfigBlock(w, SampleShadowConfig(), 1); }),
                    TypeOf<eShadowConfig>, nullptr, false});
    rows.push_back({"eProjectorConfig v1", {"WriteProjectorConfigFile"},
                    [](LoaderEnv&, Path p) {
                        eProjectorConfig c;
                        c.localToParent.origin.Set(1, 2, 3);
                        c.hBlendMaterial = eMaterialHandle(0x44440004);
                        c.bIsOrtho = true;
                        c.fNear = 0.25f, c.fFar = 9, c.fAngle = 45, c.fWidth = 4, c.fHeight = 2;
                        return datagen::WriteProjectorConfigFile(p, c);
                    },
                    TypeOf<eProjectorConfig>});
    rows.push_back({"eSpriteGroup v2", {"WriteSpriteGroupFile"},
                    [](LoaderEnv&, Path p) {
                        eSprite a = SampleSprite("bar"), b = SampleSprite("frame");
                        return datagen::WriteSpriteGroupFile(p, 20, {{&a, 0x0101}, {nullptr, 0}, {&b, 0x0202}});
                    },
                    TypeOf<eSpriteGroup>, SlotsOf<eSpriteMgr>});
    rows.push_back({"eSprite v3", {"SpriteBlock"},
                    Blocks<eSprite>([](datagen::BlockWriter& w) { datagen::SpriteBlock(w, SampleSprite("icon"), 3); }),
                    TypeOf<eSprite>});
    rows.push_back({"eFontGroup v2", {"WriteFontGroupFile"},
                    [](LoaderEnv&, Path p) {
                        eFont f = SampleFont();
                        return datagen::WriteFontGroupFile(p, 2, {{&f, 0x0303}});
                    },
                    TypeOf<eFontGroup>, SlotsOf<eFontMgr>});
    for (uint32_t version : {1u, 2u})  // the group holds version 3
        rows.push_back({Named("eFont", version), {"FontBlock"},
                        Blocks<eFont>([version](datagen::BlockWriter& w) { datagen::FontBlock(w, SampleFont(), version); }),
                        TypeOf<eFont>, nullptr, false});
    // ---- sound ----
    rows.push_back({"eSoundData v3", {"WriteSoundDataFile"},
                    [](LoaderEnv&, Path p) { return datagen::WriteSoundDataFile(p, SampleSound("ss_Beep")); },
                    TypeOf<eSoundData>, nullptr, true, StartAudio});
    rows.push_back({"eSoundDataGroup v2", {"WriteSoundDataGroupFile"},
                    [](LoaderEnv&, Path p) {
                        datagen::SoundRecord a = SampleSound("ss_A"), b = SampleSound("lm_B");
                        a.check = 0x0101, b.check = 0x0202, b.bLooping = true;
                        return datagen::WriteSoundDataGroupFile(p, 30, {a, b});
                    },
                    TypeOf<eSoundDataGroup>, SlotsOf<eSoundDataMgr>, true, StartAudio});
    // A game's sound bank: the group's block alone, read as the game reads
    // its banks (a group over the bank's range that owns what it reads).
    rows.push_back({"eSoundDataGroup v2 bank", {"WriteSoundDataGroupBodyFile"},
                    [](LoaderEnv&, Path p) {
                        datagen::SoundRecord a = SampleSound("ss_A"), b = SampleSound("sm_B");
                        a.check = 0x0101, b.check = 0x0202;
                        return datagen::WriteSoundDataGroupBodyFile(p, 40, {a, b});
                    },
                    TypeOf<eSoundDataGroup>, SlotsOf<eSoundDataMgr>, true, StartAudio,
                    [](LoaderEnv& env, const char* path) -> cBase* {
                        cFile file;
                        if (!file.Open(path))
                            return nullptr;
                        eSoundDataGroup* p = env.m_loads.New<eSoundDataGroup>();
                        if (p) {
                            p->m_nBegin = 40, p->m_nEnd = 42, p->m_bDeleteContained = true;
                            if (!file.ReadObject(*p, &env.m_loads)) {
                                std::destroy_at(p);
                                p = nullptr;
                            }
                        }
                        file.Close();
                        return p;
                    },
                    {}, datagen::WriteBodyFile});
    rows.push_back({"THP movie v1.1", {"WriteThpFile"}, WriteMovie, nullptr, nullptr, true, StartAudio, {}, PlayMovie});
    // ---- script ----
    rows.push_back({"gcConstantGroup v2", {"WriteConstantGroupFile"},
                    [](LoaderEnv& env, Path p) {
                        return datagen::WriteConstantGroupFile(
                            p, 3, {Rec(datagen::NewConstant(&env.m_build, "Speed", 2.5f), 0x0303), Rec<gcConstant>(nullptr, 0),
                                   Rec(datagen::NewConstant(&env.m_build, "Height", -1.0f), 0x0505)});
                    },
                    TypeOf<gcConstantGroup>, SlotsOf<gcConstantMgr>});
    rows.push_back({"gcKeyValueGroup v2", {"WriteKeyValueGroupFile"},
                    [](LoaderEnv& env, Path p) {
                        return datagen::WriteKeyValueGroupFile(
                            p, 6, {Rec(datagen::NewKeyValue(&env.m_build, "Lives", 3.0f), 0x0606)});
                    },
                    TypeOf<gcKeyValueGroup>, SlotsOf<gcKeyValueMgr>});
    rows.push_back({"gcStringGroup v2", {"WriteStringGroupFile"},
                    [](LoaderEnv& env, Path p) {
                        return datagen::WriteStringGroupFile(
                            p, 8, {Rec(datagen::NewString(&env.m_build, "Greeting", "Hello there"), 0x0808),
                                   Rec(datagen::NewString(&env.m_build, "Empty", ""), 0x0909)});
                    },
                    TypeOf<gcStringGroup>, SlotsOf<gcStringMgr>});
    rows.push_back({"gcFunctionGroup v2", {"WriteFunctionGroupFile"},
                    [](LoaderEnv& env, Path p) {
                        return datagen::WriteFunctionGroupFile(p, 11, {Rec(datagen::NewFunction(&env.m_build, "Jump"), 0x0B0B)});
                    },
                    TypeOf<gcFunctionGroup>, SlotsOf<gcFunctionMgr>});
    rows.push_back({"gcStateMachineGroup v2", {"WriteStateMachineGroupFile"}, WriteStateMachines,
                    TypeOf<gcStateMachineGroup>, SlotsOf<gcStateMachineMgr>});
    rows.push_back({"gcTimerGroup v2", {"WriteTimerGroupFile"},
                    [](LoaderEnv& env, Path p) {
                        return datagen::WriteTimerGroupFile(p, 12, {Rec(datagen::NewTimer(&env.m_build, "Tick", 600, 1), 0x0C0C)});
                    },
                    TypeOf<gcTimerGroup>, SlotsOf<gcTimerMgr>});
    rows.push_back({"gcEvent v3", {"WriteEventFile"},
                    [](LoaderEnv&, Path p) { return datagen::WriteEventFile(p, gcEvent("OnTest", "Owner")); },
                    TypeOf<gcEvent>});
    // ---- script actions ----
    rows.push_back({"gcEvent v3 with flow control", {"WriteEventFile"},
                    [](LoaderEnv& env, Path p) {
                        gcEvent event("OnTest", "Owner");
                        datagen::AppendAction(event, SampleEvaluation(env));
                        datagen::AppendAction(event, datagen::NewReturn(&env.m_build, nullptr));
                        return datagen::WriteEventFile(p, event);
                    },
                    TypeOf<gcEvent>});
    rows.push_back({"gcDoEvaluation v3", {"WriteObjectFile"},
                    [](LoaderEnv& env, Path p) { return datagen::WriteObjectFile(p, *SampleEvaluation(env)); },
                    TypeOf<gcDoEvaluation>});
    rows.push_back({"gcDoFunction v2", {"WriteObjectFile"},
                    [](LoaderEnv& env, Path p) {
                        return datagen::WriteObjectFile(p, *datagen::NewDoFunction(&env.m_build, Button(env, eInput::JOYBTN_3)));
                    },
                    TypeOf<gcDoFunction>});
    rows.push_back({"gcDoReturn v1", {"WriteObjectFile"},
                    [](LoaderEnv& env, Path p) {
                        return datagen::WriteObjectFile(p, *datagen::NewReturn(&env.m_build, Button(env, eInput::JOYBTN_4)));
                    },
                    TypeOf<gcDoReturn>});
    rows.push_back({"gcDoSetValue v2", {"WriteObjectFile"},
                    [](LoaderEnv& env, Path p) {
                        return datagen::WriteObjectFile(
                            p, *datagen::NewSetValue(&env.m_build, gcDoSetValue::OP_ASSIGN_DEC, nullptr, Button(env, eInput::JOYBTN_5)));
                    },
                    TypeOf<gcDoSetValue>});
    rows.push_back({"gcDoSetValue v1", {"ActionBlock"},
                    ActionFields<gcDoSetValue>(1, [](datagen::BlockWriter& w) { w.Int(-1).Int(-1); }),
                    TypeOf<gcDoSetValue>, nullptr, false});
    rows.push_back({"gcDoLog v4", {"WriteObjectFile"},
                    [](LoaderEnv& env, Path p) {
                        return datagen::WriteObjectFile(
                            p, *datagen::NewLog(&env.m_build, gcDoLog::LOG_ALERT, "Forty characters exactly, written whole.",
                                                Button(env, eInput::JOYBTN_1), Button(env, eInput::JOYBTN_2)));
                    },
                    TypeOf<gcDoLog>});
    for (uint32_t version : {2u, 3u})
        rows.push_back({Named("gcDoLog", version), {"ActionBlock"},
                        ActionFields<gcDoLog>(version,
                                              [version](datagen::BlockWriter& w) {
                                                  w.Int(5).Bytes("Hello", 5).Int(1);
                                                  if (version == 3)
                                                      w.Int(3).Int(-1).Int(-1).Int(-1);
                                              }),
                        TypeOf<gcDoLog>, nullptr, false});
    AddMediaActionRows(rows);
    // ---- entities (of the test-only kinds: the engine's are abstract) ----
    for (uint32_t version : {gcEntity::kMinVersion, 11u, 12u, 13u, 14u, 18u, gcEntity::kVersion})
        rows.push_back({Named("gcEntityGroup, gcEntity", version), {"WriteEntityGroupFile"},
                        [version](LoaderEnv&, Path p) {
                            return datagen::WriteEntityGroupFile(p, 10, kTestEntityId, SampleEntities(), version);
                        },
                        TypeOf<gcEntityGroup>, SlotsOf<gcEntityMgr>, version == gcEntity::kVersion});
    for (uint32_t version : {gcEntityTemplate::kMinVersion, 11u, 15u, 19u, gcEntityTemplate::kVersion})
        rows.push_back({Named("gcEntityTemplateGroup, gcEntityTemplate", version), {"WriteEntityTemplateGroupFile"},
                        [version](LoaderEnv&, Path p) {
                            return datagen::WriteEntityTemplateGroupFile(p, 5, kTestEntityTemplateId,
                                                                         SampleTemplates(), version);
                        },
                        TypeOf<gcEntityTemplateGroup>, SlotsOf<gcEntityTemplateMgr>,
                        version == gcEntityTemplate::kVersion, PlaceSkyMesh});
    // Creature templates with attacks of each version the reader takes.
    const std::pair<uint32_t, uint32_t> creatureVersions[] = {{2, 4}, {4, 5}, {5, 6}, {7, 7}, {8, 7}};
    for (auto [version, attackVersion] : creatureVersions)
        rows.push_back({Named("gcEntityTemplateGroup, gcCreatureTemplate", version), {"WriteCreatureTemplateGroupFile"},
                        [version = version, attackVersion = attackVersion](LoaderEnv&, Path p) {
                            return datagen::WriteCreatureTemplateGroupFile(
                                p, 5, kTestCreatureTemplateId, SampleCreatureTemplates(attackVersion), version);
                        },
                        TypeOf<gcEntityTemplateGroup>, SlotsOf<gcEntityTemplateMgr>,
                        version == gcCreatureTemplate::kVersion, PlaceSkyMesh});
    for (uint32_t version : {3u, 4u, gcNPCTemplate::kVersion})
        rows.push_back({Named("gcEntityTemplateGroup, gcNPCTemplate", version), {"WriteNPCTemplateGroupFile"},
                        [version](LoaderEnv&, Path p) {
                            datagen::NPCTemplateDesc d;
                            d.creature = SampleCreatureTemplates(gcCreatureAttack::kVersion)[0];
                            d.configs.resize(gcNPCTemplate::ANIM_HIT + 1);
                            d.configs[gcNPCTemplate::ANIM_HIT].hAnimation = 0x00030005;
                            return datagen::WriteNPCTemplateGroupFile(p, 7, {d, {}}, version);
                        },
                        TypeOf<gcEntityTemplateGroup>, SlotsOf<gcEntityTemplateMgr>,
                        version == gcNPCTemplate::kVersion, PlaceSkyMesh});
    for (uint32_t version : {gcPlayerBipedTemplate::kMinVersion, gcPlayerBipedTemplate::kVersion})
        rows.push_back({Named("gcEntityTemplateGroup, gcPlayerBipedTemplate", version),
                        {"WritePlayerBipedTemplateGroupFile"},
                        [version](LoaderEnv&, Path p) {
                            datagen::PlayerBipedTemplateDesc d;
                            d.creature = SampleCreatureTemplates(gcCreatureAttack::kVersion)[0];
                            d.configs.resize(gcPlayerBipedTemplate::ANIM_SLIDE + 1);
                            d.configs[gcPlayerBipedTemplate::ANIM_SLIDE].hAnimation = 0x00030005;
                            d.collisionMask = 0x11;
                            return datagen::WritePlayerBipedTemplateGroupFile(p, 7, {d, {}}, version);
                        },
                        TypeOf<gcEntityTemplateGroup>, SlotsOf<gcEntityTemplateMgr>,
                        version == gcPlayerBipedTemplate::kVersion, PlaceSkyMesh});
    rows.push_back({Named("gcEntityTemplateGroup, gcPlayerFlyingTemplate", gcPlayerFlyingTemplate::kVersion),
                    {"WritePlayerFlyingTemplateGroupFile"},
                    [](LoaderEnv&, Path p) {
                        datagen::PlayerFlyingTemplateDesc d;
                        d.creature = SampleCreatureTemplates(gcCreatureAttack::kVersion)[0];
                        d.shiftTicks = {100, 0, 2400};
                        d.collisionMask = 0x22;
                        return datagen::WritePlayerFlyingTemplateGroupFile(p, 7, {d, {}}, gcPlayerFlyingTemplate::kVersion);
                    },
                    TypeOf<gcEntityTemplateGroup>, SlotsOf<gcEntityTemplateMgr>, true, PlaceSkyMesh});
    for (uint32_t version : {gcCreature::kMinVersion, gcCreature::kVersion})
        rows.push_back({Named("gcEntityGroup, gcCreature", version), {"WriteCreatureGroupFile"},
                        [version](LoaderEnv&, Path p) {
                            datagen::CreatureDesc d;
                            d.entity = SampleEntities()[0];
                            d.mods = {0.5f, 2, 1, 1, 1, 1.5f, 1, 3, 7};
                            return datagen::WriteCreatureGroupFile(p, 12, kTestCreatureId, {d, {}}, version);
                        },
                        TypeOf<gcEntityGroup>, SlotsOf<gcEntityMgr>, version == gcCreature::kVersion});
    for (uint32_t version : {gcNPC::kMinVersion, gcNPC::kBoundaryVersion, gcNPC::kVersion})
        rows.push_back({Named("gcEntityGroup, gcNPC", version), {"WriteNPCGroupFile"},
                        [version](LoaderEnv&, Path p) {
                            datagen::NPCDesc d;
                            d.creature.entity = SampleEntities()[0];
                            d.creature.mods = {1, 1, 2, 1, 1, 1, 1, 4, 10};
                            d.boundary = 0x00120003;
                            return datagen::WriteNPCGroupFile(p, 14, {d, {}}, version);
                        },
                        TypeOf<gcEntityGroup>, SlotsOf<gcEntityMgr>, version == gcNPC::kVersion});
    rows.push_back({Named("gcEntityGroup, gcPlayerFlying", gcPlayerFlying::kVersion), {"WritePlayerFlyingGroupFile"},
                    [](LoaderEnv&, Path p) {
                        datagen::CreatureDesc d;
                        d.entity.name = "Flyer";
                        d.entity.hTemplate = 0x01040008;
                        d.entity.regionId = 2;
                        d.entity.statMods = {2, 1, 0.5f, 1};
                        d.mods = {1, 1, 2, 1, 1, 1, 1, 4, 10};
                        return datagen::WritePlayerFlyingGroupFile(p, 18, {d, {}}, gcPlayerFlying::kVersion);
                    },
                    TypeOf<gcEntityGroup>, SlotsOf<gcEntityMgr>, true});
    // ---- game flow ----
    rows.push_back({"gcGameConfig v1", {"WriteGameConfigFile"},
                    [](LoaderEnv&, Path p) {
                        return datagen::WriteGameConfigFile(p, 4,
                                                            {{eTextureConfig::FORMAT_CMPR, 16, 16, true, false, 0x0404},
                                                             {0, 0, 0, false, false, 0},
                                                             {eTextureConfig::FORMAT_RGB5A3, 8, 8, false, false, 0x0606}});
                    },
                    TypeOf<gcGameConfig>, SlotsOf<eTextureConfigMgr>, true, StartFlow,
                    FlowLoad("Game/GameConfig.gc", LoadGameConfig), {}, datagen::WriteBodyFile});
    rows.push_back({"gcPlatformConfig v7", {"WritePlatformConfigFile"},
                    [](LoaderEnv&, Path p) { return datagen::WritePlatformConfigFile(p, "PlatformConfig"); },
                    TypeOf<gcPlatformConfig>, nullptr, true, StartFlow,
                    FlowLoad("Game/PlatformConfig_gc.plc", LoadPlatformConfig), {}, datagen::WriteBodyFile});
    for (uint32_t version = 1; version <= gcPlatformConfig::kVersion; ++version)
        rows.push_back({Named("gcPlatformConfig by hand", version),
                        {"PlatformConfigBlock", "ObjectBlock", "EmptyGroupBlock", "EmptyEventBlock"},
                        [version](LoaderEnv&, Path p) {
                            datagen::BlockWriter w;
                            datagen::PlatformConfigBlock(w.Header(), version, 40, 40).Trailer();
                            return w.Save(p);
                        },
                        TypeOf<gcPlatformConfig>, nullptr, version == gcPlatformConfig::kVersion, StartFlow,
                        FlowLoad("Game/PlatformConfig_gc.plc", LoadPlatformConfig), {}, datagen::WriteBodyFile});
    rows.push_back({"gcGame v18", {"WriteGameFile"},
                    [](LoaderEnv& env, Path p) { return datagen::WriteGameFile(p, SampleGameDesc(), &env.m_build); },
                    TypeOf<gcGame>, nullptr, true, StartFlow, FlowLoad("Game/Game.gam", LoadGame), {},
                    datagen::WriteBodyFile});
    // By hand only the names given are stored: the engine stores every one.
    for (uint32_t version = gcGame::kMinVersion; version <= gcGame::kVersion; ++version)
        rows.push_back({Named("gcGame by hand", version), {"GameBlock", "ObjectBlock", "EmptyGroupBlock", "EmptyEventBlock"},
                        [version](LoaderEnv&, Path p) {
                            datagen::BlockWriter w;
                            datagen::GameBlock(w.Header(), version, SampleGameDesc()).Trailer();
                            return w.Save(p);
                        },
                        TypeOf<gcGame>, nullptr, false, StartFlow, FlowLoad("Game/Game.gam", LoadGame), {},
                        datagen::WriteBodyFile});
    const std::vector<datagen::KeyValueRecord> keyValues = {{"Gold", 12.5f}, {"Keys", -3.0f}};
    rows.push_back({"gcGameState v4", {"WriteGameStateFile"},
                    [keyValues](LoaderEnv&, Path p) { return datagen::WriteGameStateFile(p, keyValues); },
                    TypeOf<gcGameState>, SlotsOf<gcKeyValueMgr>, true, StartFlow,
                    FlowLoad("Game/GameState.gs", LoadGameState), {}, datagen::WriteBodyFile});
    for (uint32_t version = gcGameState::kMinVersion; version <= gcGameState::kVersion; ++version)
        rows.push_back({Named("gcGameState by hand", version), {"GameStateBlock", "KeyValueGroupBlock", "EmptyGroupBlock"},
                        [version, keyValues](LoaderEnv&, Path p) {
                            datagen::BlockWriter w;
                            datagen::GameStateBlock(w.Header(), version, keyValues).Trailer();
                            return w.Save(p);
                        },
                        TypeOf<gcGameState>, SlotsOf<gcKeyValueMgr>, version == gcGameState::kVersion, StartFlow,
                        FlowLoad("Game/GameState.gs", LoadGameState), {}, datagen::WriteBodyFile});
    rows.push_back({"gcPlayerConfig v4", {"WritePlayerConfigFile"},
                    [](LoaderEnv&, Path p) { return datagen::WritePlayerConfigFile(p, "Hero"); },
                    TypeOf<gcPlayerConfig>, nullptr, true, StartFlow,
                    FlowLoad("Game/PlayerConfig01.pc", LoadFirstPlayerConfig), {}, datagen::WriteBodyFile});
    rows.push_back({"gcPlayerConfig v4 with a biped player", {"WriteBipedPlayerConfigFile"},
                    [](LoaderEnv&, Path p) { return datagen::WriteBipedPlayerConfigFile(p, {}); },
                    // Written back by the engine the groups come out shorter; stable from then on.
                    TypeOf<gcPlayerConfig>, nullptr, false, StartFlow,
                    FlowLoad("Game/PlayerConfig01.pc", LoadFirstPlayerConfig), {}, datagen::WriteBodyFile});
    rows.push_back({"gcPlayerConfig v4 with a flying player", {"WriteFlyingPlayerConfigFile"},
                    [](LoaderEnv&, Path p) {
                        datagen::FlyingPlayerDesc d;
                        d.shiftTicks[1] = 900;
                        d.collisionMask = 0x5;
                        return datagen::WriteFlyingPlayerConfigFile(p, d);
                    },
                    // Written back by the engine the groups come out shorter; stable from then on.
                    TypeOf<gcPlayerConfig>, nullptr, false, StartFlow,
                    FlowLoad("Game/PlayerConfig01.pc", LoadFirstPlayerConfig), {}, datagen::WriteBodyFile});
    for (uint32_t version = gcPlayerConfig::kMinVersion; version <= gcPlayerConfig::kVersion; ++version)
        rows.push_back({Named("gcPlayerConfig by hand", version),
                        {"PlayerConfigBlock", "ObjectBlock", "EmptyGroupBlock", "EmptyEventBlock"},
                        [version](LoaderEnv&, Path p) {
                            datagen::BlockWriter w;
                            datagen::PlayerConfigBlock(w.Header(), version, "Hero").Trailer();
                            return w.Save(p);
                        },
                        TypeOf<gcPlayerConfig>, nullptr, version == gcPlayerConfig::kVersion, StartFlow,
                        FlowLoad("Game/PlayerConfig01.pc", LoadFirstPlayerConfig), {}, datagen::WriteBodyFile});
    // The platform's string table keeps its own range [850, 1000) and writes
    // every slot of it back, not the file's shorter range.
    rows.push_back({"gcStringGroup v2 as platform strings", {"WritePlatformStringsFile"},
                    [](LoaderEnv&, Path p) {
                        return datagen::WritePlatformStringsFile(p, {{"Save", "Saving..."}, {"Empty", ""}});
                    },
                    TypeOf<gcStringGroup>, SlotsOf<gcStringMgr>, false, StartPlatformStrings, LoadPlatformStrings, {},
                    datagen::WriteBodyFile});
    rows.push_back({"eSoundData v3 as a music track", {"WriteToneMusicFile", "WriteMusicFile"},
                    [](LoaderEnv&, Path p) { return datagen::WriteToneMusicFile(p, 440.0, 3000); },
                    TypeOf<eSoundData>, nullptr, true, StartMusic, LoadMusic, {}, datagen::WriteBodyFile});
    rows.push_back({"eSoundData v3 as a music tune", {"WriteTuneMusicFile"},
                    [](LoaderEnv&, Path p) { return datagen::WriteTuneMusicFile(p, {440.0, 660.0}, 1500); },
                    TypeOf<eSoundData>, nullptr, true, StartMusic, LoadMusic, {}, datagen::WriteBodyFile});
    // ---- acts, maps, regions and loading screens ----
    const datagen::ActDesc act{"Act One", {"Meadow", "", "Tower"}, {{"Bell", 2.0f}}, {7, -1, 3}};
    rows.push_back({"gcAct v3", {"WriteActFile"}, [act](LoaderEnv&, Path p) { return datagen::WriteActFile(p, act); },
                    TypeOf<gcAct>, nullptr, true, StartFlow, FlowLoad("Game/Act01/Act01.act", LoadFirstAct), {},
                    datagen::WriteBodyFile});
    for (uint32_t version = 1; version <= gcAct::kVersion; ++version)
        rows.push_back({Named("gcAct by hand", version), {"ActBlock"},
                        [act, version](LoaderEnv&, Path p) {
                            datagen::BlockWriter w;
                            datagen::ActBlock(w.Header(), version, act).Trailer();
                            return w.Save(p);
                        },
                        TypeOf<gcAct>, nullptr, false, StartFlow, FlowLoad("Game/Act01/Act01.act", LoadFirstAct), {},
                        datagen::WriteBodyFile});
    datagen::MapDesc map;
    map.name = "Meadow";
    map.regionNames = {"West", "Middle", "East"};
    map.cinematicNames = {"Dawn"};
    map.initialRegion = 1;
    map.playerConfig = 0;
    map.ambient.Set(0.25f, 0.5f, 0.75f);
    map.lightHeading = 30.0f;
    map.lightPitch = -60.0f;
    map.tracks = {2, -1, 5};
    map.windHeading = 45.0f;
    map.windSpeed = 0.125f;
    map.farClip = 250.0f;
    map.shadowClip = 40.0f;
    rows.push_back({"gcMap v27", {"WriteMapFile"},
                    [map](LoaderEnv& env, Path p) { return datagen::WriteMapFile(p, map, &env.m_build); },
                    TypeOf<gcMap>, nullptr, true, StartMaps, FlowLoad("Game/Act01/Map01/Map01.map", LoadFirstMap),
                    {}, datagen::WriteBodyFile});
    for (uint32_t version : {13u, 14u, 15u, 17u, 18u, 19u, 20u, 21u, 22u, 23u, 25u, 27u})
        rows.push_back({Named("gcMap by hand", version), {"MapBlock"},
                        [map, version](LoaderEnv&, Path p) {
                            datagen::BlockWriter w;
                            datagen::MapBlock(w.Header(), version, map).Trailer();
                            return w.Save(p);
                        },
                        TypeOf<gcMap>, nullptr, version == gcMap::kVersion, StartMaps,
                        FlowLoad("Game/Act01/Map01/Map01.map", LoadFirstMap), {}, datagen::WriteBodyFile});
    for (uint32_t version : {1u, 2u})
        rows.push_back({Named("gcRegion+eZone", version), {"RegionBlock", "WriteRegionFile"},
                        [version](LoaderEnv& env, Path p) {
                            const datagen::RegionDesc desc = SampleRegion(env);
                            if (version == 2)
                                return datagen::WriteRegionFile(p, desc);
                            datagen::ZoneData zone;
                            datagen::BlockWriter w;
                            return datagen::BuildZone(desc.zone, &zone) &&
                                   datagen::RegionBlock(w.Header(), version, desc, zone).Trailer().Save(p);
                        },
                        TypeOf<gcRegion>, nullptr, version == 2,
                        [](LoaderEnv& env) { ConfigureSlot(env, kLightmapSlot, eTextureConfig::FORMAT_RGBA8, 8); },
                        LoadRegion, {}, datagen::WriteBodyFile});
    rows.push_back({"gcLoadingScreen v2", {"WriteLoadingScreenFile"},
                    [](LoaderEnv& env, Path p) { return datagen::WriteLoadingScreenFile(p, "Dusk", &env.m_build); },
                    TypeOf<gcLoadingScreen>, nullptr, true, StartFlow,
                    FlowLoad("Game/LoadingScreens/LoadingScreen01.ls", LoadFirstLoadingScreen), {},
                    datagen::WriteBodyFile});
    for (uint32_t version : {1u, 2u})
        rows.push_back({Named("gcLoadingScreen by hand", version), {"LoadingScreenBlock"},
                        [version](LoaderEnv&, Path p) {
                            datagen::BlockWriter w;
                            datagen::LoadingScreenBlock(w.Header(), version, "Dusk").Trailer();
                            return w.Save(p);
                        },
                        TypeOf<gcLoadingScreen>, nullptr, version == 2, StartFlow,
                        FlowLoad("Game/LoadingScreens/LoadingScreen01.ls", LoadFirstLoadingScreen), {},
                        datagen::WriteBodyFile});
    // ---- region-relative placements ----
    // Odd region ids and frames, so that a lost or padded 16-bit id shifts
    // every float after it.
    const datagen::FrameFloats turned = {1.5f, -2, 0.25f, 0, 1, 0, -1, 0, 0, 0, 0, 1};
    rows.push_back({"gcRegionPointGroup v2, gcRegionPoint v1", {"WriteRegionPointGroupFile", "RegionPointBlock"},
                    [turned](LoaderEnv&, Path p) {
                        return datagen::WriteRegionPointGroupFile(p, 30, {{"Gate", 3, turned}, {"Well", -1}});
                    },
                    TypeOf<gcRegionPointGroup>, SlotsOf<gcRegionPointMgr>});
    rows.push_back({"gcRegionPathGroup v2, gcRegionPath v1", {"WriteRegionPathGroupFile", "RegionPathBlock"},
                    [turned](LoaderEnv&, Path p) {
                        return datagen::WriteRegionPathGroupFile(
                            p, 40, {{"Patrol", 2, turned, {{0, 0, 0}, {3, 4, 0, 15}, {3, 4, 2}}}, {"Empty", 5, datagen::kIdentityFrame, {}}});
                    },
                    TypeOf<gcRegionPathGroup>, SlotsOf<gcRegionPathMgr>});
    for (uint32_t version : {1u, 2u})
        rows.push_back({Named("gcBoundaryGroup v2, gcBoundary", version), {"WriteBoundaryGroupFile", "BoundaryBlock"},
                        [version, turned](LoaderEnv&, Path p) {
                            datagen::BoundaryDesc ring{"Ring", 4, turned, 2, 3, true, 2.5f, {0x01020003, 0}};
                            return datagen::WriteBoundaryGroupFile(p, 50, {{"Yard", 1}, ring}, version);
                        },
                        TypeOf<gcBoundaryGroup>, SlotsOf<gcBoundaryMgr>, version == gcBoundary::kVersion});
    // A box answering one entity, and a plane of a deactivated trigger:
    // older plane blocks store the events the other way round.
    for (uint32_t version : {2u, 3u, 4u})
        rows.push_back({Named("gcRegionTriggerGroup v2, gcRegionTrigger", version),
                        {"WriteRegionTriggerGroupFile", "RegionTriggerBlock", "VolumeBlock"},
                        [version, turned](LoaderEnv&, Path p) {
                            datagen::RegionTriggerDesc box{"Door", true, 3, {1, 2.5f, {3, 2, 2}, turned}, 3, 0x01020004, {}};
                            datagen::RegionTriggerDesc plane{"Ledge", false, -1, {2, 1.5f, {2, 1, 0}}, 0, 0, {}};
                            return datagen::WriteRegionTriggerGroupFile(p, 60, {box, plane}, version);
                        },
                        TypeOf<gcRegionTriggerGroup>, SlotsOf<gcRegionTriggerMgr>,
                        version == gcRegionTrigger::kVersion});
    rows.push_back({"gcGameCameraParams v2", {"WriteCameraParamsFile"},
                    [](LoaderEnv&, Path p) { return datagen::WriteCameraParamsFile(p, SampleCameraParams()); },
                    TypeOf<gcGameCameraParams>});
    rows.push_back({"gcGameCameraParams v1", {"CameraParamsBlock"},
                    Blocks<gcGameCameraParams>(
                        [](datagen::BlockWriter& w) { datagen::CameraParamsBlock(w, SampleCameraParams(), 1); }),
                    TypeOf<gcGameCameraParams>, nullptr, false});
    rows.push_back({"gcValControllerState v1", {"WriteControllerStateFile"},
                    [](LoaderEnv&, Path p) {
                        return datagen::WriteControllerStateFile(
                            p, gcValControllerState(gcValControllerState::STATE_DOWNTIME, eInput::JOYBTN_UI_CONFIRM));
                    },
                    TypeOf<gcValControllerState>});
    // ---- interface widgets ----
    rows.push_back({"gcUIControl v8, gcUIWidget v3", {"WriteControlFile"},
                    [](LoaderEnv&, Path p) { return datagen::WriteControlFile(p, SampleControl(1)); },
                    TypeOf<gcUIControl>});
    // Older controls around older widgets; 6 surplus neighbours and sprites.
    for (uint32_t version : {5u, 6u, 7u})
        rows.push_back({Named("gcUIControl", version) + ", gcUIWidget v" + std::to_string(version - 4),
                        {"ControlBlock", "WidgetBlock"},
                        Blocks<gcUIControl>([version](datagen::BlockWriter& w) {
                            datagen::ControlBlock(w, SampleControl(2), version, version - 4, 6);
                        }),
                        TypeOf<gcUIControl>, nullptr, false});
    rows.push_back({"gcUIWidgetGroup v1", {"WriteWidgetGroupFile"},
                    [](LoaderEnv& env, Path p) {
                        const gcUIWidgetGroup* g = SampleWidgetGroup(env);
                        return g && datagen::WriteWidgetGroupFile(p, *g);
                    },
                    TypeOf<gcUIWidgetGroup>});
    // A cell that begins with an object of a type without a factory.
    rows.push_back({"gcUIWidgetGroup v1, stray cell object", {"WidgetGroupBlock"},
                    Blocks<gcUIWidgetGroup>([](datagen::BlockWriter& w) {
                        const gcUIControl a = SampleControl(1), b = SampleControl(2);
                        datagen::WidgetGroupBlock(w, a, 1, 2, {{&a, &b}, {}}, 150);
                    }),
                    TypeOf<gcUIWidgetGroup>, nullptr, false});
    // ---- check boxes, item controls, lists ----
    rows.push_back({"gcUICheckBox v4", {"WriteCheckBoxFile"},
                    [](LoaderEnv&, Path p) { return datagen::WriteCheckBoxFile(p, SampleCheckBox()); },
                    TypeOf<gcUICheckBox>});
    // Versions 1 to 3 hold the control alone; a version 4 with 5 sprites.
    for (uint32_t version : {1u, 2u, 3u, 4u})
        rows.push_back({Named("gcUICheckBox", version) + (version == 4 ? ", 5 sprites" : ""), {"CheckBoxBlock"},
                        Blocks<gcUICheckBox>([version](datagen::BlockWriter& w) {
                            datagen::CheckBoxBlock(w, SampleCheckBox(), version, 5);
                        }),
                        TypeOf<gcUICheckBox>, nullptr, false});
    rows.push_back({"gcUIItemControl v5", {"WriteItemControlFile"},
                    [](LoaderEnv&, Path p) { return datagen::WriteItemControlFile(p, SampleItemControl(4)); },
                    TypeOf<gcUIItemControl>});
    for (uint32_t version : {1u, 2u, 3u, 4u})
        rows.push_back({Named("gcUIItemControl", version), {"ItemControlBlock"},
                        Blocks<gcUIItemControl>([version](datagen::BlockWriter& w) {
                            datagen::ItemControlBlock(w, SampleItemControl(5), version);
                        }),
                        TypeOf<gcUIItemControl>, nullptr, false});
    rows.push_back({"gcUIItemList v1, gcUIWidgetList v1", {"WriteItemListFile"},
                    [](LoaderEnv& env, Path p) {
                        const gcUIItemList* l = SampleItemList(env);
                        return l && datagen::WriteItemListFile(p, *l);
                    },
                    TypeOf<gcUIItemList>});
    // ---- main menu ----
    rows.push_back({"gcMainMenu v5", {"WriteMainMenuFile"},
                    [](LoaderEnv& env, Path p) {
                        return datagen::WriteMainMenuFile(p, &env.m_build, [](gcMainMenu& m) {
                            m.m_nMenuTracks[0] = 3;
                            m.m_nMenuTracks[1] = 7;
                        });
                    },
                    TypeOf<gcMainMenu>, nullptr, true, StartMenu, FlowLoad("Game/MainMenu.mnu", LoadMainMenu), {},
                    datagen::WriteBodyFile});
    const std::vector<int32_t> kTracks[] = {{}, {}, {}, {}, {4, 5, 6}, {2, -1}};
    for (uint32_t version : {1u, 2u, 3u, 4u, 5u})
        rows.push_back({Named("gcMainMenu by hand", version), {"MainMenuBlock"},
                        [version, tracks = kTracks[version]](LoaderEnv&, Path p) {
                            datagen::BlockWriter w;
                            datagen::MainMenuBlock(w.Header(), version, tracks).Trailer();
                            return w.Save(p);
                        },
                        TypeOf<gcMainMenu>, nullptr, version == 5, StartMenu,
                        FlowLoad("Game/MainMenu.mnu", LoadMainMenu), {}, datagen::WriteBodyFile});
    // ---- interface dialogs ----
    rows.push_back({"gcUIDialogGroup v2, gcUIDialog v11", {"WriteDialogGroupFile"},
                    [](LoaderEnv& env, Path p) {
                        datagen::GridDialogDesc grid;
                        grid.hFont = 0x00110001, grid.hText = 0x00420003, grid.hFocusedSprite = 0x00330004;
                        gcUIDialog* a = datagen::NewGridDialog(&env.m_build, grid);
                        grid.name = "Small", grid.rows = 1, grid.flags = 0x10E;
                        gcUIDialog* b = datagen::NewGridDialog(&env.m_build, grid);
                        if (!a || !b)
                            return false;
                        b->m_layout = gcUIDialog::DLG_LAYOUT_3x3;
                        b->m_hSprites[8] = eSpriteHandle(0x00050006);
                        b->m_hBackdropMaterial = eMaterialHandle(0x00070008);
                        b->m_fBackdropOpacity = 0.75f;
                        return datagen::WriteDialogGroupFile(p, 30, {{a, 0x0A0A}, {nullptr, 0}, {b, 0x0B0B}});
                    },
                    TypeOf<gcUIDialogGroup>, SlotsOf<gcUIDialogMgr>});
    // Hand-laid dialogs of every version read, in groups with 16-bit checks
    // and, once, 32-bit ones; the nine sprite handles a dialog holds.
    for (uint32_t version = gcUIDialog::kMinVersion; version <= gcUIDialog::kVersion; ++version)
        for (uint32_t groupVersion : version == gcUIDialog::kVersion ? std::vector<uint32_t>{1, 2} : std::vector<uint32_t>{2})
            rows.push_back({Named("gcUIDialogGroup by hand", groupVersion) + ", gcUIDialog v" + std::to_string(version),
                            {"DialogGroupBlock", "DialogBlock"},
                            Blocks<gcUIDialogGroup>([version, groupVersion](datagen::BlockWriter& w) {
                                datagen::DialogDesc d;
                                d.name = "Pause", d.flags = 0x10E, d.controlCount = 2, d.rows = 2, d.cols = 1;
                                d.layout = 4, d.sprites = {1, 2, 3, 4, 5, 6, 7, 8, 9};
                                d.backdropOpacity = 0.25f;
                                datagen::DialogGroupBlock(w, groupVersion, 40, 42, {{d, 0x1111}, {d, 0}}, version);
                            }),
                            TypeOf<gcUIDialogGroup>, SlotsOf<gcUIDialogMgr>,
                            version == gcUIDialog::kVersion && groupVersion == 2});
    rows.push_back({"gcValue tree (operators, literals, call, random)", {"WriteValueFile"},
                    [](LoaderEnv& env, Path p) { return datagen::WriteValueFile(p, *SampleExpression(env)); },
                    TypeOf<gcValBinaryOp>});
    rows.push_back({"gcValEventVar v2", {"WriteValueFile"},
                    [](LoaderEnv&, Path p) {
                        return datagen::WriteValueFile(p, gcValEventVar(gcValEventVar::VAR_TEMP, 1));
                    },
                    TypeOf<gcValEventVar>});
    rows.push_back({"gcValEventVar v1", {"ValueBlock"},
                    ValueFields<gcValEventVar>(1, [](datagen::BlockWriter& w) { w.Int(1); }), TypeOf<gcValEventVar>,
                    nullptr, false});
    rows.push_back({"gcValRandomNumber v1", {"ValueBlock"}, ValueFields<gcValRandomNumber>(1, [](datagen::BlockWriter&) {}),
                    TypeOf<gcValRandomNumber>, nullptr, false});
    rows.push_back({"gcValFunction v1", {"ValueBlock"},
                    ValueFields<gcValFunction>(1, [](datagen::BlockWriter& w) { datagen::NumberMember(w.Int(0x00110002), 4); }),
                    TypeOf<gcValFunction>, nullptr, false});
    // One parameter: the second stays empty.
    rows.push_back({"gcValFunction v2, one parameter", {"ValueBlock"},
                    ValueFields<gcValFunction>(2,
                                               [](datagen::BlockWriter& w) {
                                                   datagen::NumberMember(w.Int(0x00110002).Int(1), 5);
                                               }),
                    TypeOf<gcValFunction>, nullptr, false});
    rows.push_back({"gcValTrinaryOp v1", {"ValueBlock"},
                    ValueFields<gcValTrinaryOp>(1,
                                                [](datagen::BlockWriter& w) {
                                                    datagen::NumberMember(w.Int(gcValTrinaryOp::OP_WRAP), 1);
                                                    datagen::NumberMember(w, 2).Int(-1);
                                                }),
                    TypeOf<gcValTrinaryOp>, nullptr, false});
    // Effect templates with every kind of member the reader takes and a
    // pool of two instances; version 11 holds fades as fractions.
    for (uint32_t version : {11u, 15u, 18u})
        rows.push_back({Named("gcEffectTemplateGroup v2, gcEffectTemplate", version),
                        {"WriteEffectTemplateGroupFile", "EffectTemplateBlock"},
                        [version](LoaderEnv&, Path p) {
                            datagen::EffectTemplateDesc d;
                            d.name = "Spark";
                            d.hAnimation = 0x00030004;
                            d.emitters[2].emplace();
                            d.trail.emplace();
                            d.light = datagen::EffectLightDesc{};
                            d.rumble = datagen::EffectRumbleDesc{120, 0.75f, 0.25f, 12.0f};
                            d.delays[1] = 5;
                            d.lifeTicks = 1200;
                            d.fadeInFraction = 0.25f;
                            d.fadeOutFraction = 0.5f;
                            d.fadeOutTicks = 60;
                            d.maxInstances = 2;
                            d.collisionMask = 0x21;
                            d.flags = 0x2;
                            d.gravity = 0.5f;
                            return datagen::WriteEffectTemplateGroupFile(p, 60, {d, {}}, version);
                        },
                        TypeOf<gcEffectTemplateGroup>, SlotsOf<gcEffectTemplateMgr>,
                        version == gcEffectTemplate::kVersion});
    for (uint32_t version : {1u, 2u})
        rows.push_back({Named("gcEffectGroup v2, gcEffect", version), {"WriteEffectGroupFile", "EffectBlock"},
                        [version, turned](LoaderEnv&, Path p) {
                            datagen::EffectDesc lit{"Torch", true, 0x01230007, 2, {}, 0x30};
                            std::copy(std::begin(turned), std::end(turned), lit.placement);
                            return datagen::WriteEffectGroupFile(p, 20, {lit, {}}, version);
                        },
                        TypeOf<gcEffectGroup>, SlotsOf<gcEffectMgr>, version == gcEffect::kVersion});
    // Item templates of every version: a stackable one whose modifiers cover
    // both kinds of carrier, and an empty one.
    for (uint32_t version = gcItemTemplate::kMinVersion; version <= gcItemTemplate::kVersion; ++version)
        rows.push_back({Named("gcItemTemplateGroup v2, gcItemTemplate", version),
                        {"WriteItemTemplateGroupFile", "ItemTemplateBlock"},
                        [version](LoaderEnv&, Path p) {
                            datagen::ItemTemplateDesc d;
                            d.name = "Potion";
                            d.effects[0] = 0x00110005;
                            d.effects[2] = 0x00120006;
                            d.nodes[2] = "hand_r";
                            d.flags = gcItemTemplate::kStackable;
                            d.maxCount = 9;
                            d.modifiers[0] = {1, 0, 1, 2.5f};
                            d.modifiers[3] = {2, 1, 4, -1.0f};
                            d.changeSkin = 2;
                            d.changeSkinSlot = 3;
                            d.categoryMask = 0x24;
                            d.viewHPR[0] = 90, d.viewHPR[1] = -15, d.viewHPR[2] = 5;
                            d.visRadius = 1.5f;
                            return datagen::WriteItemTemplateGroupFile(p, 30, {d, {}}, version);
                        },
                        TypeOf<gcItemTemplateGroup>, SlotsOf<gcItemTemplateMgr>,
                        version == gcItemTemplate::kVersion});
    rows.push_back({"gcItem v1", {"ItemBlock"},
                    Blocks<gcItem>([](datagen::BlockWriter& w) { datagen::ItemBlock(w, "Key", gcItem::kVersion); }),
                    TypeOf<gcItem>});
    AddCreatureScriptRows(rows);
    AddEntityStateRows(rows);
    AddCameraScriptRows(rows);
    AddEntitySpaceRows(rows);
    AddDamageItemsRows(rows);
    AddDeviceRows(rows);
    AddMessageMapEnvironmentRows(rows);
    AddEntityActionRows(rows);
    AddEffectActionRows(rows);
    AddInterfaceScriptRows(rows);
    AddLoadingValueRows(rows);
    AddSystemRows(rows);
    AddMendRows(rows);
    AddReferenceRows(rows);
    AddExportRecordRows(rows);
    AddDisplayListRows(rows, {StartFlow, FlowLoad("Game/PlayerConfig01.pc", LoadFirstPlayerConfig), StartMaps,
                              FlowLoad("Game/Act01/Map01/Map01.map", LoadFirstMap),
                              [](LoaderEnv& env) { ConfigureSlot(env, kLightmapSlot, eTextureConfig::FORMAT_RGBA8, 8); },
                              LoadRegion, SampleRegion});
    return rows;
}

}  // namespace

const std::vector<LoaderRow>& LoaderRows()
{
    static const std::vector<LoaderRow> s_rows = MakeRows();
    return s_rows;
}
