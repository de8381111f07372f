#pragma once
// Gives an effect's particles an attractor: a region point, or a model node
// of an entity (the entity's own frame when the node is missing). Lives in
// its event's pool; main thread. Type id 180.

#include <cstdint>

#include "cCore/cName.h"
#include "gcGameCore/entities/gcRegionPoint.h"
#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredEffect.h"
#include "gcGameCore/script/gcDesiredEntity.h"

class gcDoEffectSetAttractor : public gcAction {
    QM_DECLARE_TYPE(gcDoEffectSetAttractor)
public:
    static constexpr uint32_t kVersion = 3;

    // Stored in data files.
    enum gcSetAttractor : int32_t {
        SETATTRACTOR_REGIONPOINT = 0,
        SETATTRACTOR_ATTACHTOENTITY = 1,
        MAX_SETATTRACTORTYPES = 2,
    };

    gcDoEffectSetAttractor() = default;
    // At a region point.
    gcDoEffectSetAttractor(const gcDesiredEffect& fx, gcRegionPointHandle point)
        : attractorLocation(SETATTRACTOR_REGIONPOINT), effect(fx), hRegionPoint(point) {}
    // At an entity's node (empty: the entity itself).
    gcDoEffectSetAttractor(const gcDesiredEffect& fx, const gcDesiredEntity& entity, const char* sNode)
        : attractorLocation(SETATTRACTOR_ATTACHTOENTITY), effect(fx), desiredEntity(entity)
    {
        attachName.Set("%s", sNode);
    }

    cBase* Copy(cMemPool* pPool) const override;
    // Version 3: the base block, the effect, the location kind, the point,
    // the entity and the node name.
    void Write(const cFile& file) const override;
    // Version 3 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "SetAttractorEffect( Initiator attached to Player.hips )",
    // "SetAttractorEffect( [spark] at [door] )".
    void GetText(char* pBuf) const override;
    // Nothing without the effect, for an entity that is missing, deactivated
    // or frozen, for a point that does not resolve, or another location kind.
    void DoAction(const gcEventParams& params) const override;

    int32_t attractorLocation = SETATTRACTOR_REGIONPOINT;
    gcDesiredEffect effect;  // the initiator when new
    gcRegionPointHandle hRegionPoint;
    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    cName attachName;
};
