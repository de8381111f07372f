#include "gcGameCore/actions/gcDoEntitySetTeam.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoEntitySetTeam, gcAction, 170)

cBase* gcDoEntitySetTeam::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoEntitySetTeam>(desiredEntity, team) : nullptr;
}

void gcDoEntitySetTeam::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    desiredEntity.Write(wb);
    wb.WriteInt(team);
}

bool gcDoEntitySetTeam::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    const int32_t nTeam = rb.ReadInt();
    if (rb.Failed())
        return false;
    desiredEntity = entity;
    team = nTeam;
    return true;
}

void gcDoEntitySetTeam::GetText(char* pBuf) const
{
    desiredEntity.GetText(pBuf);
    gcScriptText::AppendF(pBuf, ".SetTeam( %s )", gcEntityTemplate::GetTeamText(team));
}

void gcDoEntitySetTeam::DoAction(const gcEventParams& params) const
{
    if (gcEntity* pEntity = desiredEntity.GetEntity(params, gcEntity::GetStaticType(), true))
        pEntity->m_team = static_cast<int16_t>(team);
}
