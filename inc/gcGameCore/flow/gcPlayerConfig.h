#pragma once
// One playable character: the resources it needs, the entity template of the
// player's entity, and the two script events around every map. A map names
// the configuration it wants; gcGame::LoadPlayerConfig reads
// "%s/Game/PlayerConfig%02i.pc" (id + 1) into the "Player Config" pool unless
// it is resident, then its sound data. Reading it makes the player's entity,
// which always sits in entity slot 0 with the check 0xFFFF so its handle never
// changes. One instance; loader thread, then main thread. Type id 89.

#include <cstdint>

#include "cCore/cObject.h"
#include "cCore/cStr.h"
#include "eEngine/eAnimation.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMesh.h"
#include "eEngine/eSurface.h"
#include "eEngine/eTextureGroup.h"
#include "gcGameCore/entities/gcEntityTemplate.h"
#include "gcGameCore/script/gcEvent.h"

class eSoundDataGroup;
class gcEntity;

class gcPlayerConfig : public cObject {
    QM_DECLARE_TYPE(gcPlayerConfig)
public:
    static constexpr uint32_t kVersion = 4;
    static constexpr uint32_t kMinVersion = 3;  // older blocks are refused
    static constexpr uint16_t kPlayerEntityCheck = 0xFFFF;

    // Groups with their default slot ranges, the events named and owned by
    // the configuration's name, no entity. Sets s_pPlayerConfig.
    gcPlayerConfig();
    // Empties entity slot 0, deletes the sound data, clears s_pPlayerConfig.
    ~gcPlayerConfig() override;

    // Version 4: the cObject block, the texture, material, mesh, animation,
    // surface and entity-template groups, then the two events.
    void Write(const cFile& file) const override;
    // Versions 3 (no events) and 4; then the template in the entity-template
    // group's first slot, when there is one, makes the player's entity.
    // False when the file is damaged (a record of any group refused, say).
    bool Read(const cFile& file, cMemPool* pPool) override;

    static void GetFilename(int nId, cStr* pName);       // "%s/Game/PlayerConfig%02i.pc", id + 1
    static void GetSoundFilename(int nId, cStr* pName);  // "%s/Game/PlayerConfig%02iSound.snd", id + 1
    // A fresh sound-data group in the Player Config Sound pool, read from the
    // sound file when it opens; true when it opened.
    bool LoadSoundData(int nId);
    // The same group without a file (authoring).
    void CreateSoundData();

    gcEvent onMapStarted;
    gcEvent onMapEnded;
    int32_t m_nPlayerConfigId = 0;
    eTextureGroup m_textures;
    eMaterialGroup m_materials;
    eMeshGroup m_meshes;
    eAnimationGroup m_animations;
    eSurfaceGroup m_surfaces;
    eSoundDataGroup* m_pSoundData = nullptr;  // in the Player Config Sound pool
    gcEntityTemplateGroup m_entityTemplates;  // slots [0, 1): the player's template
    gcEntity* m_pEntity = nullptr;            // the player's entity, made by Read

    static gcPlayerConfig* s_pPlayerConfig;

private:
    void DeleteSoundData();
    // The player's entity from the template in the entity-template group's
    // begin slot, made in the pool, entered into entity slot 0 with the
    // fixed check and reset; none while the group holds no template there.
    void CreatePlayerEntity(cMemPool* pPool);
    // Destroys the player's entity, emptying entity slot 0 while it still
    // holds it.
    void RemovePlayerEntity();
};
