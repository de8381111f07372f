#pragma once
// Whether an entity's current animation has just reached a moment: true in
// the one frame (20 ticks) that starts when the animation's elapsed time
// reaches the given time. Read with its owner into its pool; main thread.
// Type id 189.

#include <cstdint>

#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcDesiredValue.h"
#include "gcGameCore/script/gcValue.h"

class gcValEntityAnimationFrame : public gcValue {
    QM_DECLARE_TYPE(gcValEntityAnimationFrame)
public:
    static constexpr uint32_t kVersion = 3;

    gcValEntityAnimationFrame() = default;
    gcValEntityAnimationFrame(const gcDesiredEntity& entity, const gcDesiredValue& t)
        : desiredEntity(entity), time(t) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 3: the gcValue block, the entity, the time reference.
    void Write(const cFile& file) const override;
    // Versions 1 (the time as a float of seconds) and 2 (as ticks) give a
    // literal time; others skipped (false). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 1.0 while T <= elapsed < T + 20 ticks, T the time in ticks truncated
    // toward zero: a script that runs once a frame sees the moment exactly
    // once, in the first frame at or after it, and a time of 0 covers the
    // whole first frame whatever phase the animation started at. 0.0 without
    // a current animation.
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "Initiator.AnimationFrame( 0.5s )"

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    gcDesiredValue time;  // seconds; the literal 0.0
};
