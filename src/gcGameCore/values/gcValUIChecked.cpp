#include "gcGameCore/values/gcValUIChecked.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/interface/gcUICheckBox.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValUIChecked, gcLValue, 162)

cBase* gcValUIChecked::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValUIChecked>(desiredWidget) : nullptr;
}

void gcValUIChecked::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcLValue::Write(file);
    desiredWidget.Write(wb);
}

bool gcValUIChecked::Read(const cFile& file, cMemPool* pPool)
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

float gcValUIChecked::Get(const gcEventParams&) const
{
    const gcUICheckBox* pBox = desiredWidget.GetControlAs<gcUICheckBox>();
    return pBox && pBox->IsChecked() ? 1.0f : 0.0f;
}

void gcValUIChecked::GetText(char* pBuf) const
{
    desiredWidget.GetText(pBuf);
    gcScriptText::Append(pBuf, ".Checked");
}

void gcValUIChecked::Set(float fValue, const gcEventParams&)
{
    if (gcUICheckBox* pBox = desiredWidget.GetControlAs<gcUICheckBox>())
        pBox->Check(fValue != 0.0f);
}
