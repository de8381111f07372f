#pragma once
// Sends a script message (OnMessage, with the message id a named constant
// holds) through the script state machine of one entity, or of every active
// entity of a type in the map that a validation event accepts. Each
// receiver runs its handler as the initiator, with the two participants and
// the two parameters evaluated afresh for it. Lives in its event's pool and
// owns its validation event; main thread. Type id 255.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcConstant.h"
#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcDesiredValue.h"
#include "gcGameCore/script/gcEvent.h"

class gcDoEntitySendMessage : public gcAction {
    QM_DECLARE_TYPE(gcDoEntitySendMessage)
public:
    static constexpr uint32_t kVersion = 3;
    static constexpr int kNumParams = 2;

    gcDoEntitySendMessage();
    // The event's actions are copied into the pool that holds this action.
    gcDoEntitySendMessage(const gcDoEntitySendMessage& other);
    gcDoEntitySendMessage& operator=(const gcDoEntitySendMessage&) = delete;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 3: the base block, the message constant, target, participant
    // 1 and 2, the count 2 and both parameters, send-to-all, the validation
    // event's block and the entity type id (0 for none).
    void Write(const cFile& file) const override;
    // Versions 1 to 3 (others skipped, false). Version 1 holds one more
    // entity reference before the target, read over; below 2 there is no
    // send-to-all or validation, below 3 the type stays gcCreature. A type id
    // that names no registered class leaves no type. Unchanged unless read
    // whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "Initiator.SendMessageToCreature( {Name}, Participant1, 0, 0 )".
    void GetText(char* pBuf) const override;
    // Nothing without a matching receiver (or, sending to all, without a map).
    void DoAction(const gcEventParams& params) const override;

    // Delivers the message to one receiver as the initiator.
    void SendMessage(gcEntity* pTarget, const gcEventParams& params) const;
    // The constant's value truncated toward zero; 0 when it does not resolve.
    int32_t GetMessageId() const;

    gcConstantHandle hMessage;
    gcDesiredEntity desiredTarget = gcDesiredEntity::Selecting(gcDesiredEntity::PARTICIPANT1);
    gcDesiredEntity desiredParticipant1 = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    gcDesiredEntity desiredParticipant2 = gcDesiredEntity::Selecting(gcDesiredEntity::SPECIFIC);
    gcDesiredValue desiredParams[kNumParams];
    bool bSendToAllActive = false;
    gcEvent validateSend;
    const cType* pEntityType;  // null: no receiver matches

private:
    bool Matches(const gcEntity* pEntity) const;
    void SendToAllActive(const gcEventParams& params) const;
};
