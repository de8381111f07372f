#include "gcGameCore/script/gcMsg.h"

const char* gcMsgIdText(int32_t nMsgId)
{
    static const char* const s_stateTexts[] = {"EnterState", "ExitState", "Tick", "Update", "PostEnterState",
                                               "PostExitState"};
    static const char* const s_activationTexts[] = {"Activate", "Deactivate", "Freeze", "Unfreeze"};
    static const char* const s_creatureTexts[] = {
        "Stand", "Walk", "Run", "Jump", "FaceDir", "Attack", "CancelAttack", "DealDamage",
        "DodgeLeft", "DodgeRight", "Block", "UnBlock", "WalkForward", "WalkLeft", "WalkRight", "WalkBack",
        "SetTarget", "MoveToPoint", "MoveToPath", "PlayAnimation", "Blocked", "StrafeDir", "Touched",
        "PlayFlyingAnimation", "FadeOut", "Interact", "DetachFromPath", "Idle", "Event", "Revive", "ForceStand"};
    static_assert(sizeof(s_creatureTexts) / sizeof(s_creatureTexts[0]) == MSG_FORCESTAND - MSG_STAND + 1);
    if (nMsgId >= MSG_ENTERSTATE && nMsgId <= MSG_POSTEXITSTATE)
        return s_stateTexts[nMsgId];
    if (nMsgId >= MSG_ACTIVATE && nMsgId <= MSG_UNFREEZE)
        return s_activationTexts[nMsgId - MSG_ACTIVATE];
    if (nMsgId >= MSG_STAND && nMsgId <= MSG_FORCESTAND)
        return s_creatureTexts[nMsgId - MSG_STAND];
    return "???";
}

const char* gcMsgDealDamage::GetDamageDirText(int32_t dir)
{
    static const char* const s_texts[] = {"None", "LR", "RL", "BT", "TB", "F"};
    return dir >= DD_NONE && dir < MAX_DAMAGEDIR ? s_texts[dir] : "???";
}

const char* gcMsgPlayAnimation::GetPriorityText(int32_t priority)
{
    static const char* const s_texts[] = {"Low", "Medium", "High", "VeryHigh"};
    return priority >= PRIORITY_LOW && priority < MAX_PRIORITIES ? s_texts[priority] : "???";
}

const char* gcMsgEvent::GetEventIdText(int32_t id)
{
    static const char* const s_texts[] = {"OnInteract", "OnCanInteract", "OnDamageTaken", "OnInitialUpdate",
                                          "OnDeath", "OnHitBoundary", "OnHitNeighbor", "OnTargetAcquired",
                                          "OnTargetLost", "Calcdamage", "OnEnraged", "OnFaded",
                                          "OnPathCompleted", "OnMessage"};
    return id >= ID_ONINTERACT && id < MAX_EVENTS ? s_texts[id - ID_ONINTERACT] : "???";
}
