#include "gcGameCore/actions/gcDoNPCAction.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/creatures/gcNPC.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoNPCAction, gcAction, 187)

namespace {

void FindNPCBoundary(gcEntity* pEntity)
{
    if (gcNPC* pNPC = dcast<gcNPC>(pEntity))
        pNPC->FindBoundary();
}

}  // namespace

void (*gcDoNPCAction::s_pFindBoundary)(gcEntity* pEntity) = &FindNPCBoundary;

cBase* gcDoNPCAction::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoNPCAction>(actionType, desiredNPC) : nullptr;
}

void gcDoNPCAction::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    wb.WriteInt(actionType);
    desiredNPC.Write(wb);
}

bool gcDoNPCAction::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1 || rb.m_nVersion > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    const int32_t type = rb.m_nVersion >= 3 ? rb.ReadInt() : NA_FINDBOUNDARY;
    gcDesiredEntity npc;
    npc.Read(rb, pPool);
    if (rb.m_nVersion <= 2)
        rb.ReadInt();  // the boundary the character once named; it finds its own now
    if (rb.m_nVersion == 2)
        rb.ReadInt();
    if (rb.Failed())
        return false;
    actionType = type;
    desiredNPC = npc;
    return true;
}

void gcDoNPCAction::GetText(char* pBuf) const
{
    desiredNPC.GetText(pBuf);
    gcScriptText::Append(pBuf, ".");
    gcScriptText::Append(pBuf, GetActionTypeText(actionType));
}

void gcDoNPCAction::DoAction(const gcEventParams& params) const
{
    if (actionType != NA_FINDBOUNDARY || !s_pFindBoundary)
        return;
    if (gcEntity* pEntity = desiredNPC.GetEntity(params, nullptr, true))
        s_pFindBoundary(pEntity);
}

const char* gcDoNPCAction::GetActionTypeText(int32_t type)
{
    return type == NA_FINDBOUNDARY ? "FindBoundary" : "???";
}
