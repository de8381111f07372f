#pragma once
// The script's attack command to a creature: starts attack number `attack`
// (1-based) of its template, queued as a chain when flag 0x2 says so, or
// cancels the attack of a branch (flag 0x1). Lives in its event's pool;
// main thread. Type id 125.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcDesiredValue.h"

class gcDoCreatureAttack : public gcAction {
    QM_DECLARE_TYPE(gcDoCreatureAttack)
public:
    static constexpr uint32_t kVersion = 4;
    static constexpr uint16_t kCancel = 0x1;
    static constexpr uint16_t kChain = 0x2;

    gcDoCreatureAttack() { attack.fConst = 1.0f; }
    gcDoCreatureAttack(const gcDesiredEntity& creature, uint16_t flags, int16_t branch, const gcDesiredValue& number)
        : desiredCreature(creature), nFlags(flags), nBranch(branch), attack(number) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 4: the base block, the creature, the flags (16-bit), the
    // attack reference, the branch (16-bit), the 16-bit fields unpadded.
    void Write(const cFile& file) const override;
    // Versions 1 to 4 (others skipped, false). Versions 1 and 2 store a
    // 16-bit 0-based index, which becomes the number index + 1; the branch
    // is stored from version 2. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "Initiator.CancelAttack", "Initiator.ChainAttack( 2 )", "Initiator.Attack( [Temp1] )"
    void GetText(char* pBuf) const override;
    // Cancel: message 106 with the branch. Otherwise message 105 with the
    // attack number less one truncated toward zero; a number past the 16-bit
    // range is held at its end, so no index wraps into the attack table.
    void DoAction(const gcEventParams& params) const override;

    gcDesiredEntity desiredCreature = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    uint16_t nFlags = 0;
    int16_t nBranch = 0;
    gcDesiredValue attack;  // the number 1 when new
};
