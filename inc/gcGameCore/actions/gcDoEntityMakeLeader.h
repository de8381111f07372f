#pragma once
// Makes an entity the leader of its group: its leader flag set, its two
// neighbours' cleared. Lives in its event's pool; main thread. Type id 222.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredEntity.h"

class gcDoEntityMakeLeader : public gcAction {
    QM_DECLARE_TYPE(gcDoEntityMakeLeader)
public:
    static constexpr uint32_t kVersion = 1;

    gcDoEntityMakeLeader() = default;
    explicit gcDoEntityMakeLeader(const gcDesiredEntity& entity) : desiredEntity(entity) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the base block and the entity.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    void GetText(char* pBuf) const override;  // "Initiator.MakeLeader"
    void DoAction(const gcEventParams& params) const override;

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
};
