#include "gcGameCore/values/gcValEntityOffsetPath.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValEntityOffsetPath, gcLValue, 198)

static bool IsAxis(int32_t axis)
{
    return axis >= gcValEntityOffsetPath::AXIS_X && axis < gcValEntityOffsetPath::MAX_AXIS;
}

const char* gcValEntityOffsetPath::GetAxisText(int32_t axis)
{
    static const char* const kTexts[MAX_AXIS] = {"X", "Y"};
    return IsAxis(axis) ? kTexts[axis] : "???";
}

cBase* gcValEntityOffsetPath::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValEntityOffsetPath>(*this) : nullptr;
}

void gcValEntityOffsetPath::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcLValue::Write(file);
    desiredEntity.Write(wb);
    wb.WriteInt(axis);
}

bool gcValEntityOffsetPath::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    const int32_t component = rb.ReadInt();
    if (rb.Failed())
        return false;
    desiredEntity = entity;
    axis = component;
    return true;
}

float gcValEntityOffsetPath::Get(const gcEventParams& params) const
{
    const gcEntity* pEntity = desiredEntity.GetEntityAs<gcEntity>(params);
    return pEntity && IsAxis(axis) ? pEntity->m_offsetPath[axis] : 0.0f;
}

void gcValEntityOffsetPath::GetText(char* pBuf) const
{
    desiredEntity.GetText(pBuf);
    gcScriptText::Append(pBuf, ".OffsetPath.");
    gcScriptText::Append(pBuf, GetAxisText(axis));
}

void gcValEntityOffsetPath::Set(float fValue, const gcEventParams& params)
{
    gcEntity* pEntity = desiredEntity.GetEntityAs<gcEntity>(params);
    if (pEntity && IsAxis(axis))
        pEntity->m_offsetPath[axis] = fValue;
}
