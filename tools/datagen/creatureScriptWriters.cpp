#include "datagen/creatureScriptWriters.h"

#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "datagen/actionWriters.h"
#include "datagen/poolBuilder.h"
#include "datagen/scriptWriters.h"
#include "eEngine/eInput.h"
#include "gcGameCore/actions/gcDoCreatureAction.h"
#include "gcGameCore/actions/gcDoCreatureAttack.h"
#include "gcGameCore/actions/gcDoEvaluation.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/values/gcValBinaryOp.h"
#include "gcGameCore/values/gcValControllerState.h"
#include "gcGameCore/values/gcValCreatureState.h"
#include "gcGameCore/values/gcValNumber.h"

namespace datagen {

namespace {

const gcDesiredEntity kInitiator = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);

class Builder : public PoolBuilder {
public:
    using PoolBuilder::PoolBuilder;

    gcValue* Control(gcValControllerState::gcState state, eInput::eButton button)
    {
        return New<gcValControllerState>(state, button);
    }
    gcValue* StickAtLeast(float fDeflection)
    {
        return New<gcValBinaryOp>(gcValBinaryOp::OP_GREATEREQUAL,
                                  Control(gcValControllerState::STATE_VALUE, eInput::JOYBTN_LTHUMB_MAG),
                                  New<gcValNumber>(fDeflection));
    }
    gcAction* Command(int32_t type) { return New<gcDoCreatureAction>(type, kInitiator); }
    gcAction* If(gcValue* pCondition, gcAction* pThen, gcAction* pElse = nullptr)
    {
        return Took(NewEvaluation(Pool(), pCondition, {pThen}, {pElse}));
    }
};

// Run, walk, or stand when the stick was let go while moving.
gcAction* MoveStep(Builder& b)
{
    gcValue* pMoving = b.New<gcValBinaryOp>(gcValBinaryOp::OP_OR,
                                            b.New<gcValCreatureState>(gcValCreatureState::STATE_WALKING, kInitiator),
                                            b.New<gcValCreatureState>(gcValCreatureState::STATE_RUNNING, kInitiator));
    gcAction* pStop = b.If(pMoving, b.Command(gcDoCreatureAction::CA_STAND));
    gcAction* pWalk = b.If(b.StickAtLeast(kPlayerWalkDeflection), b.Command(gcDoCreatureAction::CA_WALK), pStop);
    return b.If(b.StickAtLeast(kPlayerRunDeflection), b.Command(gcDoCreatureAction::CA_RUN), pWalk);
}

}  // namespace

bool FillPlayerControlEvent(gcEvent& event, cMemPool* pPool)
{
    Builder b(pPool);
    gcAction* pMove = MoveStep(b);
    gcAction* pJump = b.If(b.Control(gcValControllerState::STATE_PRESSED, eInput::JOYBTN_1),
                           b.Command(gcDoCreatureAction::CA_JUMP));
    gcDesiredValue first;
    first.fConst = 1.0f;
    gcAction* pAttack = b.If(b.Control(gcValControllerState::STATE_PRESSED, eInput::JOYBTN_2),
                             b.New<gcDoCreatureAttack>(kInitiator, uint16_t{0}, int16_t{0}, first));
    if (b.Full()) {
        cLogError_("datagen: no room for the player's control script");
        return false;
    }
    for (gcAction* p : {pMove, pJump, pAttack})
        AppendAction(event, p);
    return true;
}

gcStateMachine* NewPlayerControlStateMachine(cMemPool* pPool, const char* name)
{
    gcStateMachine* pMachine = NewStateMachine(pPool, name, gcStateMachineHandle());
    if (!pMachine || !FillPlayerControlEvent(pMachine->onUpdate, pPool))
        return nullptr;
    return pMachine;
}

}  // namespace datagen
