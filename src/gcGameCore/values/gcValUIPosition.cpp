#include "gcGameCore/values/gcValUIPosition.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/interface/gcUIControl.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValUIPosition, gcLValue, 164)

cBase* gcValUIPosition::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValUIPosition>(desiredWidget, axis) : nullptr;
}

void gcValUIPosition::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcLValue::Write(file);
    desiredWidget.Write(wb);
}

// Stored files never held the axis, so every loaded value keeps X.
bool gcValUIPosition::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    gcDesiredWidget widget;
    widget.Read(rb, pPool);
    if (rb.Failed())
        return false;
    desiredWidget = widget;
    return true;
}

float gcValUIPosition::Get(const gcEventParams&) const
{
    const gcUIControl* pControl = desiredWidget.GetControlAs<gcUIControl>();
    return pControl && axis >= 0 && axis < MAX_AXIS ? pControl->m_offset[axis] : 0.0f;
}

void gcValUIPosition::GetText(char* pBuf) const
{
    desiredWidget.GetText(pBuf);
    gcScriptText::AppendF(pBuf, ".%s", GetAxisText(axis));
}

void gcValUIPosition::Set(float fValue, const gcEventParams&)
{
    gcUIControl* pControl = desiredWidget.GetControlAs<gcUIControl>();
    if (pControl && axis >= 0 && axis < MAX_AXIS)
        pControl->m_offset[axis] = fValue;
}

const char* gcValUIPosition::GetAxisText(int32_t a)
{
    return a == AXIS_X ? "X" : a == AXIS_Y ? "Y" : "???";
}
