#pragma once
// One component of an entity's velocity, or its 3D speed. Read with its
// owner into its pool; main thread. Type id 200.

#include <cstdint>

#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcValue.h"

class gcValEntityVelocity : public gcValue {
    QM_DECLARE_TYPE(gcValEntityVelocity)
public:
    static constexpr uint32_t kVersion = 1;

    // Stored in data files.
    enum gcAxis : int32_t { AXIS_X = 0, AXIS_Y = 1, AXIS_Z = 2, AXIS_MAG = 3, MAX_AXIS = 4 };
    static const char* GetAxisText(int32_t axis);  // "X", "Y", "Z", "Magnitude", "???"

    gcValEntityVelocity() = default;
    gcValEntityVelocity(const gcDesiredEntity& entity, int32_t component) : desiredEntity(entity), axis(component) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcValue block, the entity, the axis.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 0.0 for an axis outside the table.
    float Get(const gcEventParams& params) const override;
    // "Initiator.Velocity.X"; the speed is "Initiator.Velocity"
    void GetText(char* pBuf) const override;

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    int32_t axis = AXIS_MAG;  // a gcAxis as stored
};
