#include "gcGameCore/actions/gcDoEffectSetAttractor.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoEffectSetAttractor, gcAction, 180)

cBase* gcDoEffectSetAttractor::Copy(cMemPool* pPool) const
{
    gcDoEffectSetAttractor* pCopy = pPool ? pPool->New<gcDoEffectSetAttractor>() : nullptr;
    if (pCopy) {
        pCopy->attractorLocation = attractorLocation;
        pCopy->effect = effect;
        pCopy->hRegionPoint = hRegionPoint;
        pCopy->desiredEntity = desiredEntity;
        pCopy->attachName = attachName;
    }
    return pCopy;
}

void gcDoEffectSetAttractor::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    effect.Write(wb);
    wb.WriteInt(attractorLocation);
    hRegionPoint.Write(wb);
    desiredEntity.Write(wb);
    attachName.Write(wb);
}

bool gcDoEffectSetAttractor::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    gcDesiredEffect fx;
    fx.Read(rb, pPool);
    const int32_t location = rb.ReadInt();
    gcRegionPointHandle point;
    point.Read(rb, pPool);
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    cName node;
    node.Read(rb);
    if (rb.Failed())
        return false;
    effect = fx;
    attractorLocation = location;
    hRegionPoint = point;
    desiredEntity = entity;
    attachName = node;
    return true;
}

void gcDoEffectSetAttractor::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, "SetAttractorEffect( ");
    effect.GetText(pBuf);
    if (attractorLocation == SETATTRACTOR_ATTACHTOENTITY) {
        gcScriptText::Append(pBuf, " attached to ");
        desiredEntity.GetText(pBuf);
        if (attachName.m_sData[0])
            gcScriptText::AppendF(pBuf, ".%s", attachName.m_sData);
    } else if (attractorLocation == SETATTRACTOR_REGIONPOINT) {
        const gcRegionPoint* pPoint = gcRegionPointMgr::GetPtr(hRegionPoint);
        gcScriptText::AppendF(pBuf, " at [%s]", pPoint ? pPoint->m_name.m_sData : "???");
    }
    gcScriptText::Append(pBuf, " )");
}

void gcDoEffectSetAttractor::DoAction(const gcEventParams& params) const
{
    gcEffect* pEffect = effect.GetEffect(params);
    if (!pEffect)
        return;
    if (attractorLocation == SETATTRACTOR_ATTACHTOENTITY) {
        gcEntity* pEntity = desiredEntity.GetEntity(params, nullptr, true);
        if (pEntity && pEntity->IsActive())
            pEffect->SetAttractor(pEntity, pEntity->m_model.GetSubObjectIndex(attachName, 0, false));
    } else if (attractorLocation == SETATTRACTOR_REGIONPOINT) {
        if (gcRegionPoint* pPoint = gcRegionPointMgr::GetPtr(hRegionPoint))
            pEffect->SetAttractor(pPoint);
    }
}
