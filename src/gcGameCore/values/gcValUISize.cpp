#include "gcGameCore/values/gcValUISize.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/interface/gcUIControl.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValUISize, gcLValue, 165)

cBase* gcValUISize::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValUISize>(*this) : nullptr;
}

void gcValUISize::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcLValue::Write(file);
    desiredWidget.Write(wb);
    wb.WriteBool(bDampened);
    wb.WriteFloat(fK);
}

// Stored files never held the dimension, so every loaded value keeps the
// width.
bool gcValUISize::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    gcDesiredWidget widget;
    widget.Read(rb, pPool);
    const bool damped = rb.m_nVersion >= 2 ? rb.ReadBool() : false;
    const float k = rb.m_nVersion >= 2 ? rb.ReadFloat() : kDefaultK;
    if (rb.Failed())
        return false;
    desiredWidget = widget;
    bDampened = damped;
    fK = k;
    return true;
}

float gcValUISize::Get(const gcEventParams&) const
{
    const gcUIControl* pControl = desiredWidget.GetControlAs<gcUIControl>();
    return pControl && dimension >= 0 && dimension < MAX_DIMENSIONS ? pControl->m_size[dimension] : 0.0f;
}

void gcValUISize::GetText(char* pBuf) const
{
    desiredWidget.GetText(pBuf);
    gcScriptText::AppendF(pBuf, ".%s", GetDimensionText(dimension));
}

void gcValUISize::Set(float fValue, const gcEventParams&)
{
    gcUIControl* pControl = desiredWidget.GetControlAs<gcUIControl>();
    if (!pControl || dimension < 0 || dimension >= MAX_DIMENSIONS)
        return;
    float& fSize = pControl->m_size[dimension];
    fSize = bDampened ? fK * fSize + (1.0f - fK) * fValue : fValue;
}

const char* gcValUISize::GetDimensionText(int32_t dim)
{
    return dim == DIM_WIDTH ? "Width" : dim == DIM_HEIGHT ? "Height" : "???";
}
