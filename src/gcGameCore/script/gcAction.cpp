#include "gcGameCore/script/gcAction.h"

#include <cstring>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"
#include "gcGameCore/script/gcValue.h"

QM_DEFINE_ABSTRACT_TYPE(gcAction, cBase, 84)

const gcAction* gcAction::s_pCurAction = nullptr;
int gcAction::s_nLogRecurseDepth = 0;

void gcAction::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cBase::Write(file);
}

bool gcAction::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kVersion)
        return rb.Reject("gcAction", "version");
    cBase::Read(file, pPool);
    return !rb.Failed();
}

void gcAction::GetText(char* pBuf) const
{
    const char* sName = GetType()->GetFriendlyName();
    gcScriptText::Append(pBuf, std::strlen(sName) >= 2 ? sName + 2 : "");
}

void gcAction::GetTextRecursive(char* pBuf) const
{
    gcScriptText::AppendRecursive(*this, pBuf);
}

void gcAction::LogText() const
{
    char sLine[gcScriptText::kSize] = "";
    GetCurTabs(sLine);
    GetTextRecursive(sLine);
    cLogInfo_("%s", sLine);
}

void gcAction::Apply(const gcEventParams& params) const
{
    const gcAction* pPrevious = s_pCurAction;
    s_pCurAction = this;
    DoAction(params);
    s_pCurAction = pPrevious;
}

void gcAction::GetCurTabs(char* pBuf)
{
    for (int i = 0; i < s_nLogRecurseDepth; ++i)
        gcScriptText::Append(pBuf, "\t");
}
