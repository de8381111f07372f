#pragma once
// Test-only entity classes (ids from the range the real table leaves free):
// a template that creates them and an entity whose Send logs every message
// and keeps the activation and freezing bits as the concrete kinds do.
// Shared by the game tests and the loader suite.

#include <cstdint>
#include <vector>

#include "gcGameCore/entities/gcEntity.h"
#include "gcGameCore/entities/gcEntityTemplate.h"

constexpr uint32_t kTestEntityId = 53;
constexpr uint32_t kTestEntityTemplateId = 54;

class gcTestEntityTemplate : public gcEntityTemplate {
    QM_DECLARE_TYPE(gcTestEntityTemplate)
public:
    const cType* GetEntityType() const override;
};

// Activate, Deactivate, Freeze and Unfreeze clear and set the bits; a tick
// updates the model. Every message goes to EntityLog().
class gcTestEntity : public gcEntity {
    QM_DECLARE_TYPE(gcTestEntity)
public:
    gcTestEntity() = default;
    gcTestEntity(const gcTestEntity& other) : gcEntity(other) {}
    cBase* Copy(cMemPool* pPool) const override;
    int Send(const gcMsg& msg) override;
    const cType* GetTemplateType() const override { return gcTestEntityTemplate::GetStaticType(); }
    bool IsDying() const override { return false; }
    bool IsIdling() const override { return true; }
};

// One message an entity or an effect ring received, or one trigger event.
struct gcEntityLogEntry {
    const void* pTo;   // the entity, the effect ring, or the trigger volume's owner
    int32_t nId;       // message id, or 1000 + gcEntityWorld::gcTriggerList
    int32_t nTicks;    // a FadeOut's time
};
std::vector<gcEntityLogEntry>& EntityLog();
