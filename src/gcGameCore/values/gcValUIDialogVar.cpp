#include "gcGameCore/values/gcValUIDialogVar.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValUIDialogVar, gcLValue, 193)

cBase* gcValUIDialogVar::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValUIDialogVar>(var, hDialog) : nullptr;
}

void gcValUIDialogVar::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcLValue::Write(file);
    wb.WriteInt(var);
    hDialog.Write(wb);
}

bool gcValUIDialogVar::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    const int32_t v = rb.m_nVersion >= 2 ? rb.ReadInt() : VAR_RETURNCODE;
    gcUIDialogHandle dialog;
    dialog.Read(rb, pPool);
    if (rb.Failed())
        return false;
    var = v;
    hDialog = dialog;
    return true;
}

gcUIDialog* gcValUIDialogVar::GetDialog() const
{
    gcUIDialog* pDialog = gcUIDialogMgr::GetPtr(hDialog);
    return pDialog ? pDialog : gcUI::Get()->GetFocusedDialog();
}

float* gcValUIDialogVar::Resolve() const
{
    gcUIDialog* pDialog = GetDialog();
    if (!pDialog)
        return nullptr;
    if (var == VAR_RETURNCODE)
        return &pDialog->m_fReturnCode;
    return var == VAR_INPARAM ? &pDialog->m_fInParam : nullptr;
}

float gcValUIDialogVar::Get(const gcEventParams&) const
{
    const float* p = Resolve();
    return p ? *p : 0.0f;
}

void gcValUIDialogVar::GetText(char* pBuf) const
{
    const gcUIDialog* pDialog = gcUIDialogMgr::GetPtr(hDialog);
    gcScriptText::AppendF(pBuf, "[%s].%s", pDialog ? pDialog->m_name.m_sData : "FocusedDialog", GetVarText(var));
}

void gcValUIDialogVar::Set(float fValue, const gcEventParams&)
{
    if (float* p = Resolve())
        *p = fValue;
}

const char* gcValUIDialogVar::GetVarText(int32_t v)
{
    return v == VAR_RETURNCODE ? "ReturnCode" : v == VAR_INPARAM ? "InParam" : "???";
}
