#include "gcGameCore/values/gcValEntityHasPath.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/entities/gcRegionPath.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValEntityHasPath, gcValue, 243)

cBase* gcValEntityHasPath::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValEntityHasPath>(*this) : nullptr;
}

void gcValEntityHasPath::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    desiredEntity.Write(wb);
    wb.WriteInt(entityPath);
}

bool gcValEntityHasPath::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    const int32_t path = rb.ReadInt();
    if (rb.Failed())
        return false;
    desiredEntity = entity;
    entityPath = path;
    return true;
}

float gcValEntityHasPath::Get(const gcEventParams& params) const
{
    const gcEntity* pEntity = desiredEntity.GetEntityAs<gcEntity>(params);
    if (!pEntity || entityPath < gcEntity::PATH_PATROL || entityPath >= gcEntity::MAX_PATHS)
        return 0.0f;
    return gcRegionPathMgr::GetPtr(pEntity->m_hPaths[entityPath]) ? 1.0f : 0.0f;
}

void gcValEntityHasPath::GetText(char* pBuf) const
{
    desiredEntity.GetText(pBuf);
    gcScriptText::Append(pBuf, ".HasPath( ");
    gcScriptText::Append(pBuf, gcEntity::GetInitialPathText(entityPath));
    gcScriptText::Append(pBuf, " )");
}
