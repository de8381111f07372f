#pragma once
// Takes a fresh effect from a template's pool and places it: at the event's
// location, at a region point, hung under an entity's model node, or at an
// entity's node (a helper) and turned toward a target entity's node within
// heading and pitch tolerances. A spawn that cannot be placed hands the
// effect back to its pool. Lives in its event's pool; main thread.
// Type id 137.

#include <cstdint>

#include "cCore/cName.h"
#include "gcGameCore/entities/gcEffectTemplate.h"
#include "gcGameCore/entities/gcRegionPoint.h"
#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcDesiredValue.h"

class gcEffect;
struct mOCS;

class gcDoEffectSpawn : public gcAction {
    QM_DECLARE_TYPE(gcDoEffectSpawn)
public:
    static constexpr uint32_t kVersion = 5;

    // Stored in data files.
    enum gcSpawn : int32_t {
        SPAWN_EVENTLOCATION = 0,
        SPAWN_REGIONPOINT = 1,
        SPAWN_ATTACHTOENTITY = 2,
        SPAWN_ENTITYHELPER = 3,
        MAX_SPAWNTYPES = 4,
    };

    gcDoEffectSpawn();
    // At an entity's node: hung under it, or placed at its helper (then
    // aimed with SetTarget).
    gcDoEffectSpawn(gcEffectTemplateHandle hTemplate, int32_t location, const gcDesiredEntity& entity,
                    const char* sNode);
    // At a region point.
    gcDoEffectSpawn(gcEffectTemplateHandle hTemplate, gcRegionPointHandle point);
    // Aims a helper spawn at the target's node within the tolerances
    // (degrees).
    void SetTarget(const gcDesiredEntity& target, const char* sNode, float fHeadingTol, float fPitchTol);

    cBase* Copy(cMemPool* pPool) const override;
    // Version 5: the base block, template, location kind, point, entity,
    // node name, flags, then target, target node and the two tolerances.
    void Write(const cFile& file) const override;
    // Versions 1 to 5 (others skipped, false). Version 2 holds a word more
    // after the node name, read and ignored; flags come from version 4, the
    // target from version 5 (before it: no target). Unchanged unless read
    // whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "SpawnEffect( [spark] at EventLocation )", "SpawnEffect( [spark]
    // attached to Initiator.hand )", "SpawnEffect( [spark] at [door] )".
    void GetText(char* pBuf) const override;
    // Nothing when the template does not resolve or its pool runs out. A
    // helper spawn turns toward the target by the heading and pitch changes
    // taken the short way round and held within the tolerances.
    void DoAction(const gcEventParams& params) const override;

    gcEffectTemplateHandle hEffectTemplate;
    int32_t spawnLocation = SPAWN_EVENTLOCATION;
    gcRegionPointHandle hRegionPoint;
    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    cName attachName;
    uint32_t nFlags = 0;  // kept for the data; the spawn does not use it
    gcDesiredEntity targetEntity = gcDesiredEntity::Selecting(gcDesiredEntity::SPECIFIC);  // none
    cName targetName;
    gcDesiredValue headingTol;
    gcDesiredValue pitchTol;

private:
    // Each false when the effect was not placed.
    bool Place(gcEffect* pEffect, const gcEventParams& params) const;
    bool PlaceAtPoint(gcEffect* pEffect) const;
    bool AttachToEntity(gcEffect* pEffect, const gcEventParams& params) const;
    bool PlaceAtHelper(gcEffect* pEffect, const gcEventParams& params) const;
    void Aim(gcEntity* pSpawner, const gcEventParams& params, mOCS* pFrame) const;
};
