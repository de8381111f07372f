#include "gcGameCore/values/gcValUIVisible.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/interface/gcUIWidget.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValUIVisible, gcLValue, 163)

cBase* gcValUIVisible::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValUIVisible>(desiredWidget) : nullptr;
}

void gcValUIVisible::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcLValue::Write(file);
    desiredWidget.Write(wb);
}

bool gcValUIVisible::Read(const cFile& file, cMemPool* pPool)
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

float gcValUIVisible::Get(const gcEventParams&) const
{
    const gcUIWidget* pWidget = desiredWidget.GetControl(true);
    return pWidget && (pWidget->m_nFlags & gcUIWidget::kVisible) ? 1.0f : 0.0f;
}

void gcValUIVisible::GetText(char* pBuf) const
{
    desiredWidget.GetText(pBuf);
    gcScriptText::Append(pBuf, ".Visible");
}

void gcValUIVisible::Set(float fValue, const gcEventParams&)
{
    if (gcUIWidget* pWidget = desiredWidget.GetControl(true))
        pWidget->Show(fValue != 0.0f);
}
