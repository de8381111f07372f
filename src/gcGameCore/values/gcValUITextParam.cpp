#include "gcGameCore/values/gcValUITextParam.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/interface/gcUIControl.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValUITextParam, gcLValue, 166)

cBase* gcValUITextParam::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValUITextParam>(desiredWidget, nTextParam) : nullptr;
}

void gcValUITextParam::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcLValue::Write(file);
    wb.WriteInt(nTextParam);
    desiredWidget.Write(wb);
}

bool gcValUITextParam::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 2, kVersion))
        return false;
    const int32_t param = rb.ReadInt();
    gcDesiredWidget widget;
    widget.Read(rb, pPool);
    if (rb.Failed())
        return false;
    nTextParam = param;
    desiredWidget = widget;
    return true;
}

float gcValUITextParam::Get(const gcEventParams&) const
{
    const gcUIControl* pControl = desiredWidget.GetControlAs<gcUIControl>();
    return pControl && nTextParam >= 0 && nTextParam < kNumTextParams ? pControl->m_textParams[nTextParam] : 0.0f;
}

void gcValUITextParam::GetText(char* pBuf) const
{
    desiredWidget.GetText(pBuf);
    gcScriptText::AppendF(pBuf, ".TextParam[%d]", nTextParam);
}

void gcValUITextParam::Set(float fValue, const gcEventParams&)
{
    gcUIControl* pControl = desiredWidget.GetControlAs<gcUIControl>();
    if (pControl && nTextParam >= 0 && nTextParam < kNumTextParams)
        pControl->m_textParams[nTextParam] = fValue;
}
