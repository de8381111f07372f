#include "gcGameCore/actions/gcDoUISetFont.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/interface/gcUIControl.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoUISetFont, gcAction, 159)

cBase* gcDoUISetFont::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoUISetFont>(desiredWidget, hFont) : nullptr;
}

void gcDoUISetFont::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    desiredWidget.Write(wb);
    hFont.Write(wb);
}

bool gcDoUISetFont::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    gcDesiredWidget widget;
    widget.Read(rb, pPool);
    eFontHandle font;
    font.Read(rb, pPool);
    if (rb.Failed())
        return false;
    desiredWidget = widget;
    hFont = font;
    return true;
}

void gcDoUISetFont::GetText(char* pBuf) const
{
    const eFont* pFont = eFontMgr::GetPtr(hFont);
    desiredWidget.GetText(pBuf);
    gcScriptText::AppendF(pBuf, ".SetFont( [%s] )", pFont ? pFont->m_name.m_sData : "???");
}

void gcDoUISetFont::DoAction(const gcEventParams&) const
{
    if (gcUIControl* pControl = desiredWidget.GetControlAs<gcUIControl>())
        pControl->m_hFont = hFont;
}
