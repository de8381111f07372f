#include "gcGameCore/values/gcValEntityEffectCount.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValEntityEffectCount, gcValue, 236)

cBase* gcValEntityEffectCount::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValEntityEffectCount>(*this) : nullptr;
}

void gcValEntityEffectCount::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    desiredEntity.Write(wb);
    hEffectTemplate.Write(wb);
}

bool gcValEntityEffectCount::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    gcEffectTemplateHandle h;
    h.Read(rb, pPool);
    if (rb.Failed())
        return false;
    desiredEntity = entity;
    hEffectTemplate = h;
    return true;
}

float gcValEntityEffectCount::Get(const gcEventParams& params) const
{
    gcEntity* pEntity = desiredEntity.GetEntityAs<gcEntity>(params);
    if (!pEntity || !gcEffectTemplateMgr::GetPtr(hEffectTemplate))
        return 0.0f;
    return static_cast<float>(pEntity->GetEffectCount(hEffectTemplate, true, nullptr));
}

void gcValEntityEffectCount::GetText(char* pBuf) const
{
    const gcEffectTemplate* p = gcEffectTemplateMgr::GetPtr(hEffectTemplate);
    desiredEntity.GetText(pBuf);
    gcScriptText::AppendF(pBuf, ".AttachedEffectCount( [%s] )", p ? p->m_name.m_sData : "???");
}
