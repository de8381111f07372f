#pragma once
// A creature's strafe direction, write-only: an assignment sends the
// creature the heading in degrees (message 121) and the creature decides
// what it does with it; reading gives 0.0. Read with its owner into its
// pool; main thread. Type id 202.

#include <cstdint>

#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcLValue.h"

class gcValCreatureStrafeDir : public gcLValue {
    QM_DECLARE_TYPE(gcValCreatureStrafeDir)
public:
    static constexpr uint32_t kVersion = 1;

    gcValCreatureStrafeDir() = default;
    explicit gcValCreatureStrafeDir(const gcDesiredEntity& creature) : desiredCreature(creature) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcLValue block, the creature.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    float Get(const gcEventParams&) const override { return 0.0f; }
    void GetText(char* pBuf) const override;  // "Initiator.StrafeDir"
    void Set(float fValue, const gcEventParams& params) override;

    gcDesiredEntity desiredCreature = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
};
