#pragma once
// One component (X or Y) of an entity's offset from the path it follows;
// assignable, with no message: the entity picks the offset up as it moves.
// Read with its owner into its pool; main thread. Type id 198.

#include <cstdint>

#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcLValue.h"

class gcValEntityOffsetPath : public gcLValue {
    QM_DECLARE_TYPE(gcValEntityOffsetPath)
public:
    static constexpr uint32_t kVersion = 1;

    // Stored in data files.
    enum gcAxis : int32_t { AXIS_X = 0, AXIS_Y = 1, MAX_AXIS = 2 };
    static const char* GetAxisText(int32_t axis);  // "X", "Y", "???"

    gcValEntityOffsetPath() = default;
    gcValEntityOffsetPath(const gcDesiredEntity& entity, int32_t component) : desiredEntity(entity), axis(component) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcLValue block, the entity, the axis.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 0.0 for an axis outside the table.
    float Get(const gcEventParams& params) const override;
    // "Initiator.OffsetPath.X"
    void GetText(char* pBuf) const override;
    // The component replaced, the other kept; ignored for an axis outside
    // the table.
    void Set(float fValue, const gcEventParams& params) override;

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    int32_t axis = AXIS_X;  // a gcAxis as stored
};
