#include "gcGameCore/values/gcValEntityVelocity.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"
#include "mMath/mScalar.h"

QM_DEFINE_TYPE(gcValEntityVelocity, gcValue, 200)

const char* gcValEntityVelocity::GetAxisText(int32_t axis)
{
    static const char* const kTexts[MAX_AXIS] = {"X", "Y", "Z", "Magnitude"};
    return axis >= AXIS_X && axis < MAX_AXIS ? kTexts[axis] : "???";
}

cBase* gcValEntityVelocity::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValEntityVelocity>(*this) : nullptr;
}

void gcValEntityVelocity::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    desiredEntity.Write(wb);
    wb.WriteInt(axis);
}

bool gcValEntityVelocity::Read(const cFile& file, cMemPool* pPool)
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

float gcValEntityVelocity::Get(const gcEventParams& params) const
{
    const gcEntity* pEntity = desiredEntity.GetEntityAs<gcEntity>(params);
    if (!pEntity || axis < AXIS_X || axis >= MAX_AXIS)
        return 0.0f;
    const mVec3& v = pEntity->m_velocity;
    return axis == AXIS_MAG ? mSqrt(v.x * v.x + v.y * v.y + v.z * v.z) : v[axis];
}

void gcValEntityVelocity::GetText(char* pBuf) const
{
    desiredEntity.GetText(pBuf);
    gcScriptText::Append(pBuf, ".Velocity");
    if (axis == AXIS_MAG)
        return;
    gcScriptText::Append(pBuf, ".");
    gcScriptText::Append(pBuf, GetAxisText(axis));
}
