#include "gcGameCore/script/gcAction.h"

#include <cstring>
#include <memory>

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

void gcAction::WriteList(const cWriteBlock& wb, const gcAction* pFirst)
{
    for (const gcAction* p = pFirst; p; p = p->pNextAction)
        wb.WriteBase(p);
    wb.WriteBase(nullptr);
}

// The member after its type id nId, as ReadMember describes.
static cBase* ReadObject(const cReadBlock& rb, int32_t nId, cMemPool* pPool, const cType* pClass, bool* pbFull)
{
    const cType* pType = cType::Find(nId);
    if (!pType || !pType->m_pNewFunc || !pType->IsA(pClass)) {
        rb.m_file.Fail("%s: type id %d (%s) before %u is not of this kind", pClass->m_sTypeName, nId,
                       pType ? pType->m_sTypeName : "not registered", rb.m_file.GetCurrentPos());
        return nullptr;
    }
    cBase* pNew = pType->m_pNewFunc(pPool);
    if (!pNew) {
        ++gcValue::s_nReadOutOfRoom;
        *pbFull = true;
        cReadBlock(rb.m_file, 0).SkipToEnd();
        return nullptr;
    }
    const uint32_t nOutOfRoom = gcValue::s_nReadOutOfRoom;
    if (!pNew->Read(rb.m_file, pPool)) {
        // A member that ran out of room inside fails the owner's read, as one
        // the pool cannot hold at all does; a refused one is a damaged file.
        if (gcValue::s_nReadOutOfRoom != nOutOfRoom)
            *pbFull = true;
        else
            rb.m_file.Fail("%s: a %s refused its data", pClass->m_sTypeName, pType->m_sTypeName);
        std::destroy_at(pNew);
        return nullptr;
    }
    return pNew;
}

cBase* gcAction::ReadMember(const cReadBlock& rb, cMemPool* pPool, const cType* pClass, bool* pbFull)
{
    const int32_t nId = rb.ReadInt();
    if (nId == -1 || rb.Failed())
        return nullptr;
    return ReadObject(rb, nId, pPool, pClass, pbFull);
}

bool gcAction::ReadList(const cReadBlock& rb, cMemPool* pPool, gcAction** ppFirst)
{
    gcAction* pFirst = nullptr;
    gcAction* pLast = nullptr;
    bool bFull = false;
    // Every member takes at least its id word, so the block's end stops the loop.
    while (!rb.Failed() && !bFull) {
        const int32_t nId = rb.ReadInt();
        if (nId == -1 || rb.Failed())
            break;
        auto* pNew = static_cast<gcAction*>(ReadObject(rb, nId, pPool, GetStaticType(), &bFull));
        if (!pNew)
            continue;
        (pLast ? pLast->pNextAction : pFirst) = pNew;
        pLast = pNew;
    }
    if (bFull || rb.Failed()) {
        DestroyList(pFirst);
        return false;
    }
    *ppFirst = pFirst;
    return true;
}

gcAction* gcAction::CopyList(const gcAction* pFirst, cMemPool* pPool, bool* pbWhole)
{
    *pbWhole = true;
    gcAction* pCopyFirst = nullptr;
    gcAction* pLast = nullptr;
    for (const gcAction* p = pFirst; p; p = p->pNextAction) {
        auto* pCopy = pPool ? static_cast<gcAction*>(p->Copy(pPool)) : nullptr;
        if (!pCopy) {
            cLogError_("gcAction: a %s could not be copied%s; the copy of its list goes without it",
                       p->GetType()->m_sTypeName, pPool ? "" : " (no pool to copy into)");
            *pbWhole = false;
            continue;
        }
        (pLast ? pLast->pNextAction : pCopyFirst) = pCopy;  // a copy is unlinked
        pLast = pCopy;
    }
    return pCopyFirst;
}

void gcAction::DestroyList(gcAction* pFirst)
{
    while (pFirst) {
        gcAction* pNext = pFirst->pNextAction;
        std::destroy_at(pFirst);  // the memory stays with the pool
        pFirst = pNext;
    }
}

bool gcAction::ReadValues(const cReadBlock& rb, cMemPool* pPool, const cType* const* ppClasses, gcValue** ppOut, int n)
{
    bool bFull = false;
    for (int i = 0; i < n; ++i)
        ppOut[i] = static_cast<gcValue*>(ReadMember(rb, pPool, ppClasses[i], &bFull));
    if (!bFull && !rb.Failed())
        return true;
    DestroyValues(ppOut, n);
    return false;
}

bool gcAction::CopyValues(const gcValue* const* ppFrom, cMemPool* pPool, gcValue** ppOut, int n)
{
    for (int i = 0; i < n; ++i) {
        ppOut[i] = ppFrom[i] && pPool ? static_cast<gcValue*>(ppFrom[i]->Copy(pPool)) : nullptr;
        if (ppFrom[i] && !ppOut[i]) {
            cLogError_("gcAction: a %s could not be copied", ppFrom[i]->GetType()->m_sTypeName);
            DestroyValues(ppOut, i);
            return false;
        }
    }
    return true;
}

void gcAction::DestroyValues(gcValue* const* pp, int n)
{
    for (int i = 0; i < n; ++i)
        if (pp[i])
            std::destroy_at(pp[i]);  // the memory stays with the pool
}

void gcAction::WriteValueBlock(const cFile& file, uint32_t version, const gcValue* pValue) const
{
    cWriteBlock wb(file, version);
    gcAction::Write(file);
    wb.WriteBase(pValue);
}

bool gcAction::ReadValueBlock(const cFile& file, cMemPool* pPool, uint32_t version, gcValue** ppValue)
{
    cReadBlock rb(file, version);
    const char* sClass = GetType()->m_sTypeName;
    if (rb.m_nVersion != version || !gcAction::Read(file, pPool))
        return rb.Reject(sClass, "version");
    const cType* pClass = gcValue::GetStaticType();
    gcValue* pNew = nullptr;
    if (!ReadValues(rb, pPool, &pClass, &pNew, 1))
        return rb.Reject(sClass, "value");
    DestroyValues(ppValue, 1);
    *ppValue = pNew;
    return true;
}
