#pragma once
// Switches entities on or off, or revives them: one entity named by the
// reference, or every entity of the map whose activation mask shares a bit
// with the action's mask. Sends Activate (10), Deactivate (11) or Revive
// (129); the entity decides what the message does. Lives in its event's
// pool; main thread. Type id 126.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredEntity.h"

class gcDoEntityActivate : public gcAction {
    QM_DECLARE_TYPE(gcDoEntityActivate)
public:
    static constexpr uint32_t kVersion = 3;

    // nFlags bits, stored in data files.
    static constexpr uint32_t kActivate = 0x1;  // clear: deactivate
    static constexpr uint32_t kGroups = 0x2;    // every map entity matching the mask
    static constexpr uint32_t kRevive = 0x4;    // wins over kActivate
    static constexpr uint32_t kDefaultFlags = kGroups;

    gcDoEntityActivate() = default;
    gcDoEntityActivate(const gcDesiredEntity& entity, uint32_t flags, uint32_t mask)
        : desiredEntity(entity), nFlags(flags), nActivationMask(mask) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 3: the base block, the entity, the flags, the mask.
    void Write(const cFile& file) const override;
    // Versions 1 to 3 (others skipped, false). Versions 1 and 2 hold the
    // activate and (2) group switches as booleans, which become the flags;
    // version 1 has no mask. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "Initiator.Activate", "EntityReviveGroups( 1, 3 )" ("---" for mask 0).
    void GetText(char* pBuf) const override;
    // The group form walks the map's entity slots in order; mask 0 reaches
    // nobody.
    void DoAction(const gcEventParams& params) const override;

    // The message the flags send: 129, 10 or 11.
    static int32_t GetMessageId(uint32_t flags);
    static const char* GetVerbText(uint32_t flags);  // "Revive", "Activate", "Deactivate"

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::SPECIFIC);
    uint32_t nFlags = kDefaultFlags;
    uint32_t nActivationMask = 0;
};
