#pragma once
// The script's change of a creature's target: none, the closest, the next,
// or a specific entity, sent as message 116. Lives in its event's pool;
// main thread. Type id 123.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredEntity.h"

class gcDoCreatureSetTarget : public gcAction {
    QM_DECLARE_TYPE(gcDoCreatureSetTarget)
public:
    static constexpr uint32_t kVersion = 1;

    // Stored in data files.
    enum gcSelectedTarget : int32_t {
        TGT_NONE = 0,  // sent as a specific target without entity
        TGT_CLOSEST = 1,
        TGT_NEXT = 2,
        TGT_SPECIFIC = 3,
        MAX_TARGETTYPES = 4,
    };

    gcDoCreatureSetTarget() = default;
    gcDoCreatureSetTarget(const gcDesiredEntity& creature, int32_t selected, const gcDesiredEntity& specific)
        : desiredCreature(creature), selectedTarget(selected), specificTarget(specific) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the base block, the creature, the selection, the specific
    // target.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "Initiator.SetTarget( Closest )", "Initiator.SetTarget( Player )"
    void GetText(char* pBuf) const override;
    // Nothing for a selection outside the table.
    void DoAction(const gcEventParams& params) const override;

    static const char* GetTargetText(int32_t selected);  // "None"...; "???" outside

    gcDesiredEntity desiredCreature = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    int32_t selectedTarget = TGT_CLOSEST;  // a gcSelectedTarget as stored
    gcDesiredEntity specificTarget = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
};
