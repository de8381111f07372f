#include "gcGameCore/actions/gcDoEntityMakeLeader.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoEntityMakeLeader, gcAction, 222)

cBase* gcDoEntityMakeLeader::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoEntityMakeLeader>(desiredEntity) : nullptr;
}

void gcDoEntityMakeLeader::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    desiredEntity.Write(wb);
}

bool gcDoEntityMakeLeader::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoEntityMakeLeader", "version");
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    if (rb.Failed())
        return false;
    desiredEntity = entity;
    return true;
}

void gcDoEntityMakeLeader::GetText(char* pBuf) const
{
    desiredEntity.GetText(pBuf);
    gcScriptText::Append(pBuf, ".MakeLeader");
}

void gcDoEntityMakeLeader::DoAction(const gcEventParams& params) const
{
    if (gcEntity* p = desiredEntity.GetEntity(params, nullptr, true))
        p->MakeGroupLeader();
}
