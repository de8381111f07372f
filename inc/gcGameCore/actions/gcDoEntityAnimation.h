#pragma once
// Tells an entity to play an animation configuration: sends it message 119
// with the action's own configuration and a priority. The entity keeps the
// pointer while it plays, so the action must outlive the animation (it lives
// as long as its event). Lives in its event's pool; main thread. Type id 190.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcAnimationConfig.h"
#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcMsg.h"

class gcDoEntityAnimation : public gcAction {
    QM_DECLARE_TYPE(gcDoEntityAnimation)
public:
    static constexpr uint32_t kVersion = 1;

    gcDoEntityAnimation() = default;
    // The configuration's events are copied into the pool holding this action.
    gcDoEntityAnimation(const gcDesiredEntity& entity, const gcAnimationConfig& config, int32_t prio)
        : desiredEntity(entity), animationConfig(config), priority(prio) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the base block, the entity, the configuration's block, the
    // priority.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "Initiator.PlayAnimation( [Wave], HighPriority )", "none" for an
    // animation that does not resolve.
    void GetText(char* pBuf) const override;
    void DoAction(const gcEventParams& params) const override;

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    gcAnimationConfig animationConfig;
    int32_t priority = gcMsgPlayAnimation::PRIORITY_MEDIUM;  // a gcPriority as stored
};
