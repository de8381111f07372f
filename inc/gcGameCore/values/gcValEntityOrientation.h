#pragma once
// An entity's heading, pitch or roll in degrees; assignable. Absolute: the
// angles the entity was last told to face. Camera-relative (flag 0x1): the
// heading and pitch of the entity's forward axis seen from the game camera,
// and a heading assigned relative to the camera's horizontal view (0 faces
// the way the camera looks, 90 to its left). Every accepted assignment sends
// the entity the face message (104) with all three angles. Read with its
// owner into its pool; main thread. Type id 197.

#include <cstdint>

#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcLValue.h"

class gcValEntityOrientation : public gcLValue {
    QM_DECLARE_TYPE(gcValEntityOrientation)
public:
    static constexpr uint32_t kVersion = 1;
    static constexpr uint32_t kCameraRelative = 0x1;  // nFlags

    // Stored in data files.
    enum gcHPR : int32_t { HEADING = 0, PITCH = 1, ROLL = 2, MAX_EULER = 3 };
    static const char* GetHPRText(int32_t euler);  // "Heading", "Pitch", "Roll", "???"

    gcValEntityOrientation() = default;
    gcValEntityOrientation(const gcDesiredEntity& entity, int32_t angle, uint32_t flags)
        : desiredEntity(entity), euler(angle), nFlags(flags) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcLValue block, the entity, euler, nFlags.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Camera-relative roll reads the entity's own desired roll, as absolute
    // mode does. 0.0 for an angle outside the table, and camera-relative
    // while the entity's region is not resident.
    float Get(const gcEventParams& params) const override;
    // "Initiator.Heading" (the camera-relative flag is not shown)
    void GetText(char* pBuf) const override;
    // Absolute: the angle replaced. Camera-relative: the heading turned into
    // the world; the pitch becomes 0 (the camera's directions are
    // horizontal); the roll is kept. Ignored, with no message, for an angle
    // outside the table.
    void Set(float fValue, const gcEventParams& params) override;

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    int32_t euler = HEADING;  // a gcHPR as stored
    uint32_t nFlags = 0;
};
