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
#include "gcGameCore/actions/gcDoSetValue.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/values/gcValBinaryOp.h"
#include "gcGameCore/values/gcValControllerState.h"
#include "gcGameCore/values/gcValCreatureState.h"
#include "gcGameCore/values/gcValEntityOrientation.h"
#include "gcGameCore/values/gcValEntityVelocity.h"
#include "gcGameCore/values/gcValNumber.h"
#include "gcGameCore/values/gcValUnaryOp.h"

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

// A stick pushed at least to a walk turns the creature to face the stick's
// direction as seen from the camera (up is the way the camera looks), when
// that is more than kPlayerTurnSlack degrees from where it faces now. Held
// still, the stick leaves the heading alone: re-aimed every tick at the
// view of a camera that itself turns after the creature, a run would bend.
gcAction* TurnStep(Builder& b)
{
    const auto facing = [&b] {
        return b.New<gcValEntityOrientation>(kInitiator, gcValEntityOrientation::HEADING,
                                             gcValEntityOrientation::kCameraRelative);
    };
    const auto stick = [&b] { return b.Control(gcValControllerState::STATE_VALUE, eInput::JOYBTN_LTHUMB_HEADING); };
    gcValue* pOff = b.New<gcValUnaryOp>(
        gcValUnaryOp::OP_ABS,
        b.New<gcValUnaryOp>(gcValUnaryOp::OP_FIXHEADING, b.New<gcValBinaryOp>(gcValBinaryOp::OP_SUB, stick(), facing())));
    gcValue* pTurn = b.New<gcValBinaryOp>(gcValBinaryOp::OP_AND, b.StickAtLeast(kPlayerWalkDeflection),
                                          b.New<gcValBinaryOp>(gcValBinaryOp::OP_GREATER, pOff,
                                                               b.New<gcValNumber>(kPlayerTurnSlack)));
    return b.If(pTurn, b.Took(NewSetValue(b.Pool(), gcDoSetValue::OP_ASSIGN, facing(), stick())));
}

// Run, walk, or stand when the stick was let go while moving: walking,
// running, or otherwise covering ground. A flyer never says it walks or
// runs; let go, it would flap on (climbing, and shifting up) or coast on
// until a wall stopped it, and standing brakes it to a hover. A creature
// whose state takes no stand (in the air, hit) refuses it.
gcAction* MoveStep(Builder& b)
{
    gcValue* pGoing = b.New<gcValBinaryOp>(gcValBinaryOp::OP_GREATER,
                                           b.New<gcValEntityVelocity>(kInitiator, gcValEntityVelocity::AXIS_MAG),
                                           b.New<gcValNumber>(0.0f));
    gcValue* pMoving = b.New<gcValBinaryOp>(
        gcValBinaryOp::OP_OR,
        b.New<gcValBinaryOp>(gcValBinaryOp::OP_OR,
                             b.New<gcValCreatureState>(gcValCreatureState::STATE_WALKING, kInitiator),
                             b.New<gcValCreatureState>(gcValCreatureState::STATE_RUNNING, kInitiator)),
        pGoing);
    gcAction* pStop = b.If(pMoving, b.Command(gcDoCreatureAction::CA_STAND));
    gcAction* pWalk = b.If(b.StickAtLeast(kPlayerWalkDeflection), b.Command(gcDoCreatureAction::CA_WALK), pStop);
    return b.If(b.StickAtLeast(kPlayerRunDeflection), b.Command(gcDoCreatureAction::CA_RUN), pWalk);
}

}  // namespace

bool FillPlayerControlEvent(gcEvent& event, cMemPool* pPool)
{
    Builder b(pPool);
    gcAction* pTurn = TurnStep(b);
    gcAction* pMove = MoveStep(b);
    gcAction* pJump = b.If(b.Control(gcValControllerState::STATE_PRESSED, eInput::JOYBTN_1),
                           b.Command(gcDoCreatureAction::CA_JUMP));
    gcDesiredValue first;
    first.fConst = 1.0f;
    gcAction* pAttack = b.If(b.Control(gcValControllerState::STATE_PRESSED, eInput::JOYBTN_2),
                             b.New<gcDoCreatureAttack>(kInitiator, uint16_t{0}, int16_t{0}, first));
    gcAction* pInteract = b.If(b.Control(gcValControllerState::STATE_PRESSED, eInput::JOYBTN_3),
                               b.Command(gcDoCreatureAction::CA_INTERACT));
    if (b.Full()) {
        cLogError_("datagen: no room for the player's control script");
        return false;
    }
    for (gcAction* p : {pTurn, pMove, pJump, pAttack, pInteract})
        AppendAction(event, p);
    return true;
}

gcAction* NewCoastFromHover(cMemPool* pPool)
{
    Builder b(pPool);
    gcAction* pRun = b.Command(gcDoCreatureAction::CA_RUN);
    gcAction* pWalk = b.Command(gcDoCreatureAction::CA_WALK);
    gcValue* pGentle = b.New<gcValBinaryOp>(
        gcValBinaryOp::OP_AND, b.StickAtLeast(kPlayerWalkDeflection),
        b.New<gcValUnaryOp>(gcValUnaryOp::OP_NOT, b.StickAtLeast(kPlayerRunDeflection)));
    gcAction* pIf = b.Took(NewEvaluation(b.Pool(), pGentle, {pRun, pWalk}, {}));
    if (b.Full()) {
        cLogError_("datagen: no room for the flyer's coast from a hover");
        return nullptr;
    }
    return pIf;
}

gcStateMachine* NewPlayerControlStateMachine(cMemPool* pPool, const char* name)
{
    gcStateMachine* pMachine = NewStateMachine(pPool, name, gcStateMachineHandle());
    if (!pMachine || !FillPlayerControlEvent(pMachine->onUpdate, pPool))
        return nullptr;
    return pMachine;
}

}  // namespace datagen
