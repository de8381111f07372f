#include "gcGameCore/values/gcValEntityAnimationFrame.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cTimeValue.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValEntityAnimationFrame, gcValue, 189)

cBase* gcValEntityAnimationFrame::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValEntityAnimationFrame>(*this) : nullptr;
}

void gcValEntityAnimationFrame::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    desiredEntity.Write(wb);
    time.Write(wb);
}

bool gcValEntityAnimationFrame::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    gcDesiredValue t;  // older blocks hold a literal
    if (rb.m_nVersion >= 3)
        t.Read(rb, pPool);
    else if (rb.m_nVersion == 2)
        t.fConst = static_cast<float>(rb.ReadInt()) * cTimeValue::SECONDS_PER_TICK;
    else
        t.fConst = rb.ReadFloat();
    if (rb.Failed())
        return false;
    desiredEntity = entity;
    time = t;
    return true;
}

float gcValEntityAnimationFrame::Get(const gcEventParams& params) const
{
    const gcEntity* pEntity = desiredEntity.GetEntityAs<gcEntity>(params);
    if (!pEntity)
        return 0.0f;
    const int nState = pEntity->m_model.m_nCurAnimationState;
    if (nState < 0 || nState >= eModel::kNumAnimationStates)
        return 0.0f;
    const int64_t elapsed = pEntity->m_model.m_animationStates[nState].timeElapsed.m_nTicks;
    const int64_t t = cTimeValue::FromSeconds(time.GetValue()).m_nTicks;
    return t <= elapsed && elapsed < t + gcEntity::kFrameTicks.m_nTicks ? 1.0f : 0.0f;
}

void gcValEntityAnimationFrame::GetText(char* pBuf) const
{
    desiredEntity.GetText(pBuf);
    gcScriptText::Append(pBuf, ".AnimationFrame( ");
    time.GetText(pBuf);
    gcScriptText::Append(pBuf, "s )");
}
