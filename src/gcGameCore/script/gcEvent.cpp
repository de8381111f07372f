#include "gcGameCore/script/gcEvent.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcGameObject.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcEvent, cBase, 83)

const gcEvent* gcEvent::s_pCurEvent = nullptr;
const gcEventParams* gcEvent::s_pCurEventParams = nullptr;
gcEventStackData* gcEvent::s_pCurEventStackData = nullptr;
int gcEvent::s_nNesting = 0;
gcEvent::LocationFunc gcEvent::s_locationFunc = nullptr;

static const char* OrUnknown(const char* s)
{
    return s ? s : "???";
}

gcEvent::gcEvent(const gcEvent& other, const char* ownerName)
    : cBase(), sName(other.sName), sOwnerName(ownerName ? ownerName : other.sOwnerName)
{
    bool bWhole = true;
    pAction = gcAction::CopyList(other.pAction, cMemPool::GetPoolFromPtr(this), &bWhole);
}

gcEvent::~gcEvent()
{
    gcAction::DestroyList(pAction);
}

cBase* gcEvent::Copy(cMemPool* pPool) const
{
    gcEvent* pCopy = pPool ? pPool->New<gcEvent>(*this, sOwnerName) : nullptr;
    if (pCopy && !pCopy->HoldsAllOf(*this)) {
        std::destroy_at(pCopy);
        return nullptr;
    }
    return pCopy;
}

bool gcEvent::HoldsAllOf(const gcEvent& source) const
{
    const gcAction* pMine = pAction;
    const gcAction* pTheirs = source.pAction;
    // The copy keeps the order and only drops actions: same length, same list.
    while (pMine && pTheirs) {
        pMine = pMine->pNextAction;
        pTheirs = pTheirs->pNextAction;
    }
    return !pMine && !pTheirs;
}

void gcEvent::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cBase::Write(file);
    gcAction::WriteList(wb, pAction);
}

bool gcEvent::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion)
        return rb.Reject("gcEvent", "version");
    cBase::Read(file, pPool);
    gcAction* pFirst = nullptr;
    if (!gcAction::ReadList(rb, pPool, &pFirst))
        return rb.Reject("gcEvent", "action list (pool full)");
    gcAction::DestroyList(pAction);
    pAction = pFirst;
    return true;
}

float gcEvent::Apply(const gcEventParams& params, gcEventStackData& frame) const
{
    if (!pAction)
        return 0.0f;
    if (s_nNesting >= kMaxNesting) {
        cLogError_("gcEvent: %s:%s not applied: events nested %d deep", OrUnknown(sOwnerName), OrUnknown(sName),
                   s_nNesting);
        return 0.0f;
    }
    const gcEvent* pPrevEvent = s_pCurEvent;
    const gcEventParams* pPrevParams = s_pCurEventParams;
    gcEventStackData* pPrevFrame = s_pCurEventStackData;
    s_pCurEvent = this;
    s_pCurEventParams = &params;
    s_pCurEventStackData = &frame;
    ++s_nNesting;
    frame.nFlags &= ~gcEventStackData::kReturn;
    for (const gcAction* p = pAction; p && !(frame.nFlags & gcEventStackData::kReturn); p = p->pNextAction)
        p->Apply(params);
    const float fRetVal = frame.fRetVal;
    --s_nNesting;
    s_pCurEvent = pPrevEvent;
    s_pCurEventParams = pPrevParams;
    s_pCurEventStackData = pPrevFrame;
    return fRetVal;
}

float gcEvent::Apply(const gcEventParams& params, const gcEventStackData& frame) const
{
    if (!pAction)
        return 0.0f;
    gcEventStackData copy = frame;
    return Apply(params, copy);
}

void gcEvent::LogText() const
{
    cLogInfo_("Event [ %s:%s ]", OrUnknown(sOwnerName), OrUnknown(sName));
    for (const gcAction* p = pAction; p; p = p->pNextAction)
        p->LogText();
}

static void ReportF(char* pOut, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
static void ReportF(char* pOut, const char* fmt, ...)
{
    const size_t nUsed = strnlen(pOut, gcEvent::kReportSize - 1);
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(pOut + nUsed, gcEvent::kReportSize - nUsed, fmt, args);
    va_end(args);
}

static void ReportObject(char* pOut, const char* sRole, const gcGameObject* pObject)
{
    if (pObject)
        ReportF(pOut, "%s: %s <%s>\r\n", sRole, pObject->m_name.m_sData, pObject->GetType()->m_sTypeName);
    else
        ReportF(pOut, "%s: %s <%s>\r\n", sRole, "<none>", "<none>");
}

void gcEvent::InterceptMsg(const char* sTitle, char* pOut, void*)
{
    if (!pOut)
        return;
    pOut[0] = '\0';
    if (sTitle)
        ReportF(pOut, "%s\r\n--------------------\r\n", sTitle);
    if (s_pCurEvent)
        ReportF(pOut, "Event: [ %s:%s ]\r\n", OrUnknown(s_pCurEvent->sOwnerName), OrUnknown(s_pCurEvent->sName));
    if (gcAction::s_pCurAction) {
        char sText[gcScriptText::kSize] = "";
        char sRecursive[gcScriptText::kSize] = "";
        gcAction::s_pCurAction->GetText(sText);
        gcAction::s_pCurAction->GetTextRecursive(sRecursive);
        ReportF(pOut, "Action: [ %s: %s ]\r\n", sText, sRecursive);
    }
    static const gcEventParams s_none;
    const gcEventParams& params = s_pCurEventParams ? *s_pCurEventParams : s_none;
    ReportObject(pOut, "Initiator", params.pInitiator);
    ReportObject(pOut, "Participant1", params.pParticipant1);
    ReportObject(pOut, "Participant2", params.pParticipant2);
    static const gcEventStackData s_zero;
    const gcEventStackData& frame = s_pCurEventStackData ? *s_pCurEventStackData : s_zero;
    for (int i = 0; i < 2; ++i)
        ReportF(pOut, "Param%i: %f\r\n", i + 1, static_cast<double>(frame.fInValues[i]));
    for (int i = 0; i < 2; ++i)
        ReportF(pOut, "Temp%i: %f\r\n", i + 1, static_cast<double>(frame.fTemps[i]));
    ReportF(pOut, "RetVal: %f\r\n", static_cast<double>(frame.fRetVal));
    int nAct = 0, nMap = 0, nRegion = -1;
    if (s_locationFunc && s_locationFunc(&nAct, &nMap, &nRegion))
        ReportF(pOut, "Act: %i/Map: %i/Region: %i", nAct + 1, nMap + 1, nRegion < 0 ? -1 : nRegion + 1);
}

gcEvent::LocationFunc gcEvent::SetLocationFunc(LocationFunc func)
{
    const LocationFunc previous = s_locationFunc;
    s_locationFunc = func;
    return previous;
}
