#include "gcGameCore/values/gcValUIOpacity.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/interface/gcUIControl.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValUIOpacity, gcLValue, 185)

cBase* gcValUIOpacity::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValUIOpacity>(desiredWidget) : nullptr;
}

void gcValUIOpacity::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcLValue::Write(file);
    desiredWidget.Write(wb);
}

bool gcValUIOpacity::Read(const cFile& file, cMemPool* pPool)
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

float gcValUIOpacity::Get(const gcEventParams&) const
{
    if (const gcUIControl* pControl = desiredWidget.GetControlAs<gcUIControl>())
        return pControl->m_fOpacity;
    // A script fading a dialog names the dialog alone; nothing at all
    // counts as fully opaque.
    const gcUIDialog* pDialog = gcUIDialogMgr::GetPtr(desiredWidget.hDialog);
    return pDialog ? pDialog->m_fOpacity : 1.0f;
}

void gcValUIOpacity::GetText(char* pBuf) const
{
    desiredWidget.GetText(pBuf);
    gcScriptText::Append(pBuf, ".Opacity");
}

void gcValUIOpacity::Set(float fValue, const gcEventParams&)
{
    gcUIControl* pControl = desiredWidget.GetControlAs<gcUIControl>();
    if (!pControl)
        return;
    if (fValue <= 0.0f)
        pControl->m_fOpacity = 0.0f;
    else if (fValue >= 1.0f)
        pControl->m_fOpacity = 1.0f;
    else
        pControl->m_fOpacity = fValue;
}
