#include "gcGameCore/values/gcValUIEnabled.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/interface/gcUIWidget.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValUIEnabled, gcLValue, 161)

cBase* gcValUIEnabled::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValUIEnabled>(desiredWidget) : nullptr;
}

void gcValUIEnabled::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcLValue::Write(file);
    desiredWidget.Write(wb);
}

bool gcValUIEnabled::Read(const cFile& file, cMemPool* pPool)
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

float gcValUIEnabled::Get(const gcEventParams&) const
{
    const gcUIWidget* pWidget = desiredWidget.GetControl(true);
    return pWidget && (pWidget->m_nFlags & gcUIWidget::kEnabled) ? 1.0f : 0.0f;
}

void gcValUIEnabled::GetText(char* pBuf) const
{
    desiredWidget.GetText(pBuf);
    gcScriptText::Append(pBuf, ".Enabled");
}

void gcValUIEnabled::Set(float fValue, const gcEventParams&)
{
    if (gcUIWidget* pWidget = desiredWidget.GetControl(true))
        pWidget->Enable(fValue != 0.0f);
}
