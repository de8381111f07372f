#pragma once
// Test-only creature classes (ids from the range the real table leaves
// free): a creature template that creates them, and a creature that logs
// every message, keeps the activation and freezing bits, and answers a
// damage message as the test asks (amount and blocked). Shared by the game
// tests and the loader suite.

#include <cstdint>
#include <vector>

#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/creatures/gcCreatureTemplate.h"
#include "gcGameCore/script/gcMsg.h"

constexpr uint32_t kTestCreatureId = 56;
constexpr uint32_t kTestCreatureTemplateId = 57;

class gcTestCreatureTemplate : public gcCreatureTemplate {
    QM_DECLARE_TYPE(gcTestCreatureTemplate)
public:
    gcTestCreatureTemplate() = default;
    gcTestCreatureTemplate(const gcTestCreatureTemplate& other) : gcCreatureTemplate(other) {}
    cBase* Copy(cMemPool* pPool) const override;
    const cType* GetEntityType() const override;
};

class gcTestCreature : public gcCreature {
    QM_DECLARE_TYPE(gcTestCreature)
public:
    gcTestCreature() = default;
    gcTestCreature(const gcTestCreature& other) : gcCreature(other) {}
    cBase* Copy(cMemPool* pPool) const override;
    int Send(const gcMsg& msg) override;
    const cType* GetTemplateType() const override { return gcTestCreatureTemplate::GetStaticType(); }
    bool IsDying() const override { return false; }
    bool IsIdling() const override { return false; }
    bool IsStanding() const override { return true; }
    bool IsWalking() const override { return false; }
    bool IsRunning() const override { return false; }
    bool IsJumping() const override { return false; }
    bool IsAttacking() const override { return m_pAttack != nullptr; }
    bool IsDodging() const override { return false; }
    bool IsBlocking() const override { return m_bBlock; }
    bool IsFalling() const override { return false; }
    bool IsBlinded() const override { return false; }
    bool IsStunned() const override { return false; }

    bool m_bBlock = false;  // a damage message is answered with amount 0 and blocked
};

// A damage message a test creature received.
struct gcDamageLogEntry {
    const gcTestCreature* pTo;
    const gcEntity* pFrom;
    uint32_t nFlags;
    float fAmount;
    int32_t dir;
    int32_t nDurationTicks;
};
std::vector<gcDamageLogEntry>& DamageLog();
