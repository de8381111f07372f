#pragma once
// One playable level of an act: the resources, placed objects and scripts of
// the level (textures to item templates), its light, wind and gravity, its
// clip distances, the names of its regions and streamed cinematics, its
// music tracks and its start and end events. Read from
// "%s/Game/Act%02i/Map%02i/Map%02i.map" into the "Map" pool by the act; its
// world lies in region files, held in the five resident region slots. One
// map at a time (s_pMap). Built on the loader thread, then used on the main
// thread. Type id 68.

#include <atomic>
#include <cstdint>

#include "cCore/cObject.h"
#include "cCore/cStr.h"
#include "cCore/cTimeValue.h"
#include "eEngine/eAnimation.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMesh.h"
#include "eEngine/eSky.h"
#include "eEngine/eSprite.h"
#include "eEngine/eSurface.h"
#include "eEngine/eTextureGroup.h"
#include "gcGameCore/entities/gcBoundary.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/entities/gcEffectTemplate.h"
#include "gcGameCore/entities/gcEntity.h"
#include "gcGameCore/entities/gcEntityTemplate.h"
#include "gcGameCore/entities/gcRegionPath.h"
#include "gcGameCore/entities/gcRegionPoint.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/script/gcFunction.h"
#include "gcGameCore/script/gcKeyValue.h"
#include "gcGameCore/script/gcStateMachine.h"
#include "gcGameCore/script/gcTimer.h"
#include "mMath/mVec3.h"

class cGroup;
class eSoundDataGroup;
class gcMsg;
class gcMsgTick;
class gcStringGroup;

class gcMap : public cObject {
    QM_DECLARE_TYPE(gcMap)
public:
    static constexpr uint32_t kVersion = 27;
    static constexpr uint32_t kMinVersion = 13;
    static constexpr int kMaxRegionNames = 32;
    static constexpr int kMaxStreamedCinematics = 100;
    static constexpr int kMaxMapTracks = 16;
    static constexpr uint32_t kFlagEndMap = 0x2;  // leave the map loop at the next frame

    // Group type ids of the classes the map holds through the type registry,
    // so that a build without them still reads (and skips) their blocks.
    static constexpr uint32_t kRegionTriggerGroupId = 106;
    static constexpr uint32_t kCinematicGroupId = 207;
    static constexpr uint32_t kVoiceOverGroupId = 217;

    // The defaults of every field; registers s_pMap and the sky, and sets
    // the effects' wind (0, 1, 0) and gravity.
    gcMap();
    // A map whose groups take their slot ranges from the file; nothing of
    // the source is copied.
    gcMap(const gcMap& other);
    gcMap& operator=(const gcMap&) = delete;
    // Deletes the placed effects, then the entities, last to first; frees
    // what the map holds outside its pool; clears s_pMap.
    ~gcMap() override;
    cBase* Copy(cMemPool* pPool) const override;

    // Version 27: 32 region names, 100 streamed-cinematic names, every group,
    // the light, sky, events, 16 map tracks, wind and clip distances.
    void Write(const cFile& file) const override;
    // Versions 13 to 27 (older: skipped, false). Fields newer than the file
    // keep their defaults; old direction vectors become heading and pitch;
    // before 27 the wind speed is 0. Counts beyond a table are read and
    // dropped. Sets the shadow clip distance. A reference that leads
    // nowhere fails the file: an initial region outside the 32, a player
    // configuration other than -1 or one of the game's 8, a map track other
    // than -1 or one of the game's music ids, an entity or effect whose
    // template does not resolve (or makes another kind of entity).
    bool Read(const cFile& file, cMemPool* pPool) override;

    // After reading: every entity and effect reset with the pool, then the
    // pooled instances of every effect and item template.
    void Reset(cMemPool* pPool);
    // The map's side files into their own pools: sound data and voice-overs
    // (always true) and the strings (true when the file opened). A missing
    // file leaves an empty group.
    bool LoadSoundData();
    bool LoadVoiceOvers();
    bool LoadStringTable();
    // Editing tools: the three side groups as the loads make them (the old
    // group gone, its pool readied, the same slot range and memory size),
    // empty, without a file.
    void CreateSoundData();
    void CreateVoiceOvers();
    void CreateStringTable();
    // Each map track into the "Map Music " pool; false at the first that no
    // slot takes.
    bool LoadMusic();
    void SetMusicIndex(int index, int nTrack);
    static void SetForces(const mVec3& wind, const mVec3& gravity);
    // Frees what the map holds outside the Map pool: its music, side groups,
    // regions and the region and streamed-cinematic pools' blocks.
    void FreeMapAllocatedMemory();

    // File names (0-based ids).
    static void GetFilename(int nAct, int nMap, cStr* pName);
    static void GetSoundFilename(int nAct, int nMap, cStr* pName);
    static void GetStringsFilename(int nAct, int nMap, cStr* pName);
    static void GetVoiceOversFilename(int nAct, int nMap, cStr* pName);
    // The player configuration a map's file names (-1: none), read from the
    // file's head alone, before anything of it is made; main or loader
    // thread, no file open. False when the file does not open or its head
    // is damaged (logged once, naming the file).
    static bool ReadPlayerConfigId(int nAct, int nMap, int32_t* pId);

    // ---- regions (loader threads, then the main thread) ----
    // Makes the region current and loads every missing neighbour; false when
    // a file does not open.
    bool LoadRegions(int nRegionId);
    // One region into one slot; false (the slot unchanged) when the file
    // is missing, does not open or is damaged (the last two also set
    // m_nDamagedRegionId).
    bool LoadRegion(int nRegionId, int slot);
    // Places the current region at the origin and its resident neighbours at
    // their offsets; with bAttach also attaches their zones.
    void UpdateRegions(bool bAttach);
    // The first neighbour of the current region that is not resident; -1.
    int GetRegionToLoad() const;
    // The slots that may be reused, in order; returns their count.
    int BuildAvailableRegionList(int* pList) const;
    // Editing tools: every resident region goes, and an empty region of that
    // id is made in pool 0 as slot 0, which becomes current; the name goes
    // into m_regionNames. Ids outside the table are refused (logged).
    void CreateRegion(int nRegionId, const cName& name);

    // ---- streamed cinematics, editing tools ----
    // The resident streamed cinematic goes and an empty one of that id and
    // name is made in the readied "Map Streamed Cinematics" pool, with its
    // empty voice-overs; the name goes into m_streamedCinematicNames. Ids
    // outside the table are refused (logged).
    void CreateStreamedCinematic(int nId, const cName& name);
    // The same without the voice-overs, the names left alone.
    void PreCreateStreamedCinematic(int nId, const cName& name);

    // ---- the map loop (main thread) ----
    // Map flags.
    static constexpr int32_t kFlagRegionWaiting = 0x1;   // a streamed region waits to be attached
    static constexpr int32_t kFlagCinematicLeadIn = 0x4;
    static constexpr int32_t kFlagPaused = 0x8;          // a pausing dialog is open
    static constexpr int32_t kFlagNoCinematicEvents = 0x10;
    static constexpr int kLeadInFrames = 30;             // request to play, and the longest background wait
    static constexpr int kRegionAttachFrames = 60;

    // Applies the start events, then draws, updates, culls and flips one
    // fixed 20-tick step a frame until the end is requested and no pausing
    // dialog is open; then tears the map's run down.
    void Run();
    // Called after each frame of Run (update, cull and flip done) with the
    // frame's number in the run from 0, for a tool that watches play and
    // only reads; null (the default) calls nothing. Returns the previous one.
    using FrameObserver = void (*)(int nFrameOfRun);
    static FrameObserver SetFrameObserver(FrameObserver observer);
    // One simulation tick, in the fixed order of the game.
    void Update(const gcMsgTick& tick);
    // The game camera's culled scene under the map's light.
    void Draw();
    void Cull();
    // What the lightmaps are scaled by: the directional light's colour over
    // the map's own, per channel, at most 1 (1 where the map's own is 0).
    mVec3 LightmapTint() const;
    // Fast-forwards a skippable cinematic when the skip button is pressed.
    void HandleCinematicSkip();
    bool IsCinematicPlaying() const;
    // A map cinematic (nStreamed -1) or the streamed one of that index.
    void SetCinematicToPlay(cBase* pCinematic, int nStreamed);
    void HandleMultiRegionLoad();
    // Forgets an unserved multi-region load whose pre-load event is this
    // one: the action holding its events is going away.
    void WithdrawMultiRegionLoad(const gcEvent* pPreLoad);
    // The pools' reset notification, installed by the game: a multi-region
    // load whose events lay in the pool is withdrawn.
    static void WithdrawFromPool(const cMemPool* pPool);
    void HandleBackgroundCinematicLoading();
    // Region streaming: one step per unpaused tick.
    void HandleBackgroundLoading();
    void CalculateWindVelocity(cTimeValue step);
    void HandleGamePaused();
    // Tells the map's entities, the player's, the interface and the camera
    // that the pool is about to be reset.
    void HandleMemPoolReset(const cMemPool* pPool);
    void SendToTimers(const gcMsg& msg, bool bOnlyActive);
    void SendToLoadedRegions(const gcMsg& msg, bool bOnlyActive);
    // Every object of the region: triggers, top-level effects, template
    // instances of the map then of the game state, top-level entities,
    // the player's entity.
    void SendToRegion(int nRegionId, const gcMsg& msg, bool bOnlyActive);
    // Gives placed objects the resident regions' ids by slot and the
    // current map's light (gcEntityWorld); the game installs it.
    static void InstallEntityWorldFuncs();

    // The light direction of a heading and pitch in degrees.
    static mVec3 Direction(float fHeading, float fPitch);

    int32_t m_nFlags = 0;
    int32_t m_nMapId = -1;
    cName m_regionNames[kMaxRegionNames];
    int32_t m_nInitialRegionId = -1;
    int32_t m_nPlayerConfigId = -1;
    cName m_streamedCinematicNames[kMaxStreamedCinematics];
    eTextureGroup m_textures;
    eMaterialGroup m_materials;
    eSurfaceGroup m_surfaces;
    eMeshGroup m_meshes;
    eAnimationGroup m_animations;
    eSky m_sky;
    gcKeyValueGroup m_keyValues;
    gcFunctionGroup m_functions;
    gcEntityTemplateGroup m_entityTemplates;
    gcEntityGroup m_entities;
    gcRegionPathGroup m_regionPaths;
    gcRegionPointGroup m_regionPoints;
    cGroup* m_pRegionTriggers = nullptr;  // gcRegionTriggerGroup, in the map's pool
    gcEffectGroup m_effects;
    gcEffectTemplateGroup m_effectTemplates;
    gcBoundaryGroup m_boundaries;
    eSoundDataGroup* m_pSoundData = nullptr;  // in the "Map Sound" pool
    cGroup* m_pVoiceOvers = nullptr;          // gcVoiceOverGroup, in the "Map Voice Overs" pool
    gcUIDialogGroup m_UIDialogs;
    gcStringGroup* m_pStrings = nullptr;      // in the "Map Strings" pool
    gcTimerGroup m_timers;
    cGroup* m_pCinematics = nullptr;          // gcCinematicGroup, in the map's pool
    eSpriteGroup m_sprites;
    gcStateMachineGroup m_stateMachines;
    cGroup* m_pItemTemplates = nullptr;       // gcItemTemplateGroup, in the map's pool
    mVec3 m_lightAmbient{0.5f, 0.5f, 0.5f};
    mVec3 m_lightDiffuse{0.5f, 0.5f, 0.5f};
    float m_fLightHeading = 0.0f;
    float m_fLightPitch = -75.0f;
    mVec3 m_gravity{0.0f, 0.0f, -9.8f / (600.0f * 600.0f)};  // units per tick squared
    float m_fWindHeading = 0.0f;
    float m_fWindPitch = 0.0f;
    cTimeValue m_windTime;
    float m_fWindSpeed = 1.0f / (600.0f * 600.0f);
    cTimeValue m_nextGust;
    cTimeValue m_gustIntervalStart;
    cTimeValue m_gustIntervalEnd;
    float m_fAirResistance = 0.0f;
    int32_t m_nMapTracks[kMaxMapTracks];
    float m_fFarClip = 100.0f;
    float m_fShadowClip = 100.0f;
    gcEvent m_onMapStarted;
    gcEvent m_onMapEnded;
    int32_t m_nLoadingFrame = 0;
    int32_t m_nUnloadingRegionIndex = -1;
    int32_t m_nLoadingRegionId = -1;
    // Regions (a bit per id) whose file was found missing, did not open or
    // could not be read: logged once, then not tried again while the map
    // runs.
    uint32_t m_nUnusableRegionFiles = 0;
    // The last region whose file is there but did not open or was damaged
    // (-1: none), set on the loader's thread: one streamed in ends the map's
    // run, which then failed.
    std::atomic<int32_t> m_nDamagedRegionId{-1};
    int32_t m_nMapTrackIndex[kMaxMapTracks];
    int32_t m_nCinematicLoadingFrame = -1;
    int32_t m_nStreamedCinematicToLoad = -1;
    cBase* m_pCinematicToPlay = nullptr;  // gcCinematic
    int32_t m_nMultiRegionToLoad = -1;
    const gcEvent* m_pPreMultiRegionLoad = nullptr;  // owned by the requester (a script action)
    const gcEvent* m_pPostMultiRegionLoad = nullptr;
    mVec3 m_originalLightAmbient{0.5f, 0.5f, 0.5f};
    mVec3 m_originalLightDiffuse{0.5f, 0.5f, 0.5f};

    static gcMap* s_pMap;  // the resident map; null when none

private:
    void SetDefaultRanges();
    bool ReadNames(const cReadBlock& rb);
    // The names and ids of the head; names are kept up to the tables' sizes
    // where tables are given, else dropped.
    static bool ReadHead(const cReadBlock& rb, cName* pRegionNames, cName* pCinematicNames, int32_t* pInitialRegion,
                         int32_t* pPlayerConfig);
    bool ReadGroups(const cFile& file, cMemPool* pPool, uint32_t version);
    void ReadLightAndSky(const cReadBlock& rb, cMemPool* pPool, uint32_t version);
    bool ReadTail(const cReadBlock& rb, cMemPool* pPool, uint32_t version);
    // False, the file failed naming the record, at the first entity or
    // effect placed whose template does not make it.
    bool CheckTemplates(const cFile& file) const;
    void DeletePlacedObjects();
    void DeleteSideGroups();
    void StartRun(const gcMsgTick& tick);
    bool EndedByDamagedRegion() const;
    void EndRun();
    void ReleaseStreamedCinematic();
    bool StreamRegion();
    void ChangeRegion();
    void DropUnneededRegions();
    class StartRegions;
    // As the public form; with the regions every object stood in when a
    // send to all resident regions began, when given.
    void SendToRegion(int nRegionId, const gcMsg& msg, bool bOnlyActive, const StartRegions* pStart);
};
