#include "gcGameCore/actions/gcDoCreatureAction.h"

#include <iterator>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/script/gcMsg.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoCreatureAction, gcAction, 120)

namespace {

struct ActionRow {
    int32_t nMsgId;  // -1: nothing is sent
    const char* sText;
};

// By action type.
constexpr ActionRow kActions[gcDoCreatureAction::MAX_ACTIONTYPES] = {
    {MSG_STAND, "Stand"},         {MSG_WALK, "Walk"},           {MSG_RUN, "Run"},
    {MSG_JUMP, "Jump"},           {MSG_BLOCK, "Block"},         {MSG_WALKFORWARD, "TgtF"},
    {MSG_WALKBACK, "TgtB"},       {MSG_WALKLEFT, "TgtL"},       {MSG_WALKRIGHT, "TgtR"},
    {MSG_DODGELEFT, "DodgeL"},    {MSG_DODGERIGHT, "DodgeR"},   {MSG_UNBLOCK, "Unblock"},
    {-1, "???"},                  {MSG_INTERACT, "Interact"},   {MSG_IDLE, "Idle1"},
    {MSG_IDLE, "Idle2"},          {MSG_IDLE, "Idle3"},          {MSG_IDLE, "Idle4"},
    {MSG_IDLE, "Idle5"},          {MSG_IDLE, "Idle6"},          {MSG_FORCESTAND, "ForceStand"},
};

bool InTable(int32_t type)
{
    return type >= 0 && type < gcDoCreatureAction::MAX_ACTIONTYPES;
}

}  // namespace

cBase* gcDoCreatureAction::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoCreatureAction>(actionType, desiredCreature) : nullptr;
}

void gcDoCreatureAction::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    wb.WriteInt(actionType);
    desiredCreature.Write(wb);
}

bool gcDoCreatureAction::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1 || rb.m_nVersion > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    const int32_t type = rb.ReadInt();
    gcDesiredEntity creature;
    creature.Read(rb, pPool);
    if (rb.m_nVersion == 2)
        rb.ReadInt();  // a word only version 2 stored
    if (rb.Failed())
        return false;
    actionType = type;
    desiredCreature = creature;
    return true;
}

void gcDoCreatureAction::GetText(char* pBuf) const
{
    desiredCreature.GetText(pBuf);
    gcScriptText::Append(pBuf, ".");
    gcScriptText::Append(pBuf, GetActionTypeText(actionType));
}

void gcDoCreatureAction::DoAction(const gcEventParams& params) const
{
    gcCreature* pCreature = desiredCreature.GetEntityAs<gcCreature>(params);
    const int32_t nMsgId = GetMessageId(actionType);
    if (!pCreature || nMsgId < 0)
        return;
    if (nMsgId == MSG_IDLE)
        pCreature->Send(gcMsgIdle(actionType - CA_IDLE_1));
    else
        pCreature->Send(gcMsg(nMsgId, nullptr));
}

int32_t gcDoCreatureAction::GetMessageId(int32_t type)
{
    return InTable(type) ? kActions[type].nMsgId : -1;
}

const char* gcDoCreatureAction::GetActionTypeText(int32_t type)
{
    return InTable(type) ? kActions[type].sText : "???";
}
