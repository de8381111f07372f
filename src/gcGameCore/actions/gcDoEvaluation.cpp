#include "gcGameCore/actions/gcDoEvaluation.h"

#include <memory>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/script/gcScriptText.h"
#include "gcGameCore/script/gcValue.h"

QM_DEFINE_TYPE(gcDoEvaluation, gcAction, 86)

gcDoEvaluation::~gcDoEvaluation()
{
    DestroyValues(&pEvaluation, 1);
    DestroyList(pTrueAction);
    DestroyList(pFalseAction);
}

cBase* gcDoEvaluation::Copy(cMemPool* pPool) const
{
    gcDoEvaluation* pCopy = pPool ? pPool->New<gcDoEvaluation>() : nullptr;
    if (!pCopy)
        return nullptr;
    bool bTrueWhole = false;
    bool bFalseWhole = false;
    pCopy->pTrueAction = CopyList(pTrueAction, pPool, &bTrueWhole);
    pCopy->pFalseAction = CopyList(pFalseAction, pPool, &bFalseWhole);
    // A branch that lost an action would change what the script does.
    if (!bTrueWhole || !bFalseWhole || !CopyValues(&pEvaluation, pPool, &pCopy->pEvaluation, 1)) {
        std::destroy_at(pCopy);
        return nullptr;
    }
    return pCopy;
}

void gcDoEvaluation::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    wb.WriteBase(pEvaluation);
    WriteList(wb, pTrueAction);
    WriteList(wb, pFalseAction);
}

bool gcDoEvaluation::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoEvaluation", "version");
    const cType* pClass = gcValue::GetStaticType();
    gcValue* pCondition = nullptr;
    if (!ReadValues(rb, pPool, &pClass, &pCondition, 1))
        return rb.Reject("gcDoEvaluation", "condition");
    gcAction* pTrue = nullptr;
    gcAction* pFalse = nullptr;
    if (!ReadList(rb, pPool, &pTrue) || !ReadList(rb, pPool, &pFalse)) {
        DestroyValues(&pCondition, 1);
        DestroyList(pTrue);
        return rb.Reject("gcDoEvaluation", "action list");
    }
    DestroyValues(&pEvaluation, 1);
    DestroyList(pTrueAction);
    DestroyList(pFalseAction);
    pEvaluation = pCondition;
    pTrueAction = pTrue;
    pFalseAction = pFalse;
    return true;
}

void gcDoEvaluation::GetTextRecursive(char* pBuf) const
{
    gcScriptText::Append(pBuf, "if ");
    if (pEvaluation)
        pEvaluation->GetTextRecursive(pBuf);
    else
        gcScriptText::Append(pBuf, "???");
}

// A line of the statement's frame, at the if line's indentation.
static void LogFrameLine(int nDepth, const char* sText)
{
    char sLine[gcScriptText::kSize] = "";
    for (int i = 0; i < nDepth; ++i)
        gcScriptText::Append(sLine, "\t");
    gcScriptText::Append(sLine, sText);
    cLogInfo_("%s", sLine);
}

static void LogBlock(int nDepth, const gcAction* pFirst)
{
    LogFrameLine(nDepth, "{");
    for (const gcAction* p = pFirst; p; p = p->pNextAction)
        p->LogText();
    LogFrameLine(nDepth, "}");
}

void gcDoEvaluation::LogText() const
{
    gcAction::LogText();
    const int nDepth = s_nLogRecurseDepth;
    ++s_nLogRecurseDepth;
    if (pTrueAction)
        LogBlock(nDepth, pTrueAction);
    else
        LogFrameLine(nDepth, "<none>");
    if (pFalseAction) {
        LogFrameLine(nDepth, "else");
        LogBlock(nDepth, pFalseAction);
    }
    s_nLogRecurseDepth = nDepth;
}

void gcDoEvaluation::DoAction(const gcEventParams& params) const
{
    const gcEventStackData* pFrame = gcEvent::s_pCurEventStackData;
    if (!pEvaluation)
        return;
    // Exact compare: -0.0 selects the false list, NaN the true one.
    const gcAction* p = pEvaluation->Get(params) == 0.0f ? pFalseAction : pTrueAction;
    for (; p && !(pFrame && (pFrame->nFlags & gcEventStackData::kReturn)); p = p->pNextAction)
        p->Apply(params);
}
