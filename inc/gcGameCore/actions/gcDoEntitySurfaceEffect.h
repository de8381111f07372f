#pragma once
// Spawns the impact effect of the surface under an entity: a ray cast
// straight down from the entity (or from one of its model's helper nodes)
// finds the surface, whose effect table gives the template for the
// entity's size and the action's effect type; the effect faces the way the
// entity moves (or faces) and leans with the surface. Lives in its event's
// pool; main thread. Type id 235.

#include <cstdint>

#include "cCore/cName.h"
#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredEntity.h"

struct mBasis;

class gcDoEntitySurfaceEffect : public gcAction {
    QM_DECLARE_TYPE(gcDoEntitySurfaceEffect)
public:
    static constexpr uint32_t kVersion = 2;
    static constexpr float kRayScale = 1.1f;       // of the collider's height, from the origin
    static constexpr float kHelperRaise = 0.25f;   // a helper's start above the node
    static constexpr float kHelperRayLength = 0.5f;
    static constexpr float kMaxPitch = 89.9f;      // degrees either way

    gcDoEntitySurfaceEffect() = default;
    gcDoEntitySurfaceEffect(uint32_t type, const gcDesiredEntity& entity, const cName& helper)
        : nType(type), desiredEntity(entity), helperName(helper) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the base block, the type, the entity, the helper name.
    void Write(const cFile& file) const override;
    // Versions 1 (no helper name) and 2; others skipped, false. Unchanged
    // unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "EntitySurfaceEffect( Initiator at foot_l, 2 )", the type 1-based.
    void GetText(char* pBuf) const override;
    // Nothing without an entity, a hit, a surface, an effect of the entity's
    // size and the type (both checked against the table), a free instance or
    // a resident zone holding the hit.
    void DoAction(const gcEventParams& params) const override;

    // The effect's orientation: heading along the velocity (or the facing
    // axis when standing), pitch from the surface normal's z.
    static void GetOrientation(const mVec3& velocity, const mVec3& facing, const mVec3& normal, mBasis* pOut);

    uint32_t nType = 0;  // the column of the surface's effect table, 0..4
    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    cName helperName;  // empty: the entity's origin
};
