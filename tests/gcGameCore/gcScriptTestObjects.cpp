#include "gcScriptTestObjects.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/gcEvent.h"
#include "gcGameCore/gcScriptText.h"
#include "gcGameCore/gcTimerMgr.h"
#include "platform/dvd.h"

QM_DEFINE_TYPE(gcDoTestRecord, gcAction, kTestRecordId)
QM_DEFINE_TYPE(gcDoTestReturn, gcAction, kTestReturnId)
QM_DEFINE_TYPE(gcDoTestSetValue, gcAction, kTestSetValueId)
QM_DEFINE_TYPE(gcDoTestChangeState, gcAction, kTestChangeStateId)
QM_DEFINE_TYPE(gcDoTestTimerActivate, gcAction, kTestTimerActivateId)
QM_DEFINE_TYPE(gcDoTestActorEvent, gcAction, kTestActorEventId)
QM_DEFINE_TYPE(gcValTestNumber, gcValue, kTestNumberId)
QM_DEFINE_TYPE(gcValTestAdd, gcValue, kTestAddId)
QM_DEFINE_TYPE(gcValTestEventVar, gcLValue, kTestEventVarId)
QM_DEFINE_TYPE(gcTestActor, gcGameObject, kTestActorId)

gcTestActor* gcTestActor::s_pActors[gcTestActor::kMaxActors] = {};

std::vector<gcTestLogEntry>& TestLog()
{
    static std::vector<gcTestLogEntry> s_log;
    return s_log;
}

std::vector<int32_t> TestLogTags()
{
    std::vector<int32_t> tags;
    for (const gcTestLogEntry& e : TestLog())
        tags.push_back(e.nTag);
    return tags;
}

// Test classes use block version 1: the base block, then their fields.
static gcValue* CopyValue(const gcValue* p, const void* pOwner)
{
    return p ? static_cast<gcValue*>(p->Copy(cMemPool::GetPoolFromPtr(pOwner))) : nullptr;
}

static gcValue* ReadValue(const cReadBlock& rb, cMemPool* pPool)
{
    return dcast<gcValue>(rb.ReadBase(pPool));
}

cBase* gcDoTestRecord::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoTestRecord>(m_nTag) : nullptr;
}

void gcDoTestRecord::Write(const cFile& file) const
{
    cWriteBlock wb(file, 1);
    gcAction::Write(file);
    wb.WriteInt(m_nTag);
}

bool gcDoTestRecord::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, 1);
    if (rb.m_nVersion != 1 || !gcAction::Read(file, pPool))
        return rb.Failed() ? false : rb.Reject("gcDoTestRecord", "base");
    m_nTag = rb.ReadInt();
    return !rb.Failed();
}

void gcDoTestRecord::DoAction(const gcEventParams& params) const
{
    const gcEventStackData* pFrame = gcEvent::s_pCurEventStackData;
    TestLog().push_back({m_nTag, params.pInitiator, pFrame ? pFrame->fInValues[0] : -1.0f,
                         pFrame ? pFrame->fInValues[1] : -1.0f, params.nEventId});
}

gcDoTestReturn::~gcDoTestReturn()
{
    if (m_pValue)
        std::destroy_at(m_pValue);
}

cBase* gcDoTestReturn::Copy(cMemPool* pPool) const
{
    gcDoTestReturn* p = pPool ? pPool->New<gcDoTestReturn>() : nullptr;
    if (p)
        p->m_pValue = CopyValue(m_pValue, p);
    return p;
}

void gcDoTestReturn::Write(const cFile& file) const
{
    cWriteBlock wb(file, 1);
    gcAction::Write(file);
    wb.WriteBase(m_pValue);
}

bool gcDoTestReturn::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, 1);
    if (rb.m_nVersion != 1 || !gcAction::Read(file, pPool))
        return rb.Failed() ? false : rb.Reject("gcDoTestReturn", "base");
    m_pValue = ReadValue(rb, pPool);
    return !rb.Failed();
}

void gcDoTestReturn::DoAction(const gcEventParams& params) const
{
    gcEventStackData* pFrame = gcEvent::s_pCurEventStackData;
    if (m_pValue)
        pFrame->fRetVal = m_pValue->Get(params);
    pFrame->nFlags |= gcEventStackData::kReturn;
}

gcDoTestSetValue::~gcDoTestSetValue()
{
    if (m_pTarget)
        std::destroy_at(m_pTarget);
    if (m_pSource)
        std::destroy_at(m_pSource);
}

void gcDoTestSetValue::Write(const cFile& file) const
{
    cWriteBlock wb(file, 1);
    gcAction::Write(file);
    wb.WriteBase(m_pTarget);
    wb.WriteBase(m_pSource);
}

bool gcDoTestSetValue::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, 1);
    if (rb.m_nVersion != 1 || !gcAction::Read(file, pPool))
        return rb.Failed() ? false : rb.Reject("gcDoTestSetValue", "base");
    m_pTarget = dcast<gcLValue>(rb.ReadBase(pPool));
    m_pSource = ReadValue(rb, pPool);
    return !rb.Failed();
}

void gcDoTestSetValue::DoAction(const gcEventParams& params) const
{
    if (m_pTarget)
        m_pTarget->Set(m_pSource ? m_pSource->Get(params) : 0.0f, params);
}

void gcDoTestChangeState::Write(const cFile& file) const
{
    cWriteBlock wb(file, 1);
    gcAction::Write(file);
    wb.WriteInt(m_nState);
    wb.WriteBool(m_bForce);
    wb.WriteInt(m_nTimer);
}

bool gcDoTestChangeState::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, 1);
    if (rb.m_nVersion != 1 || !gcAction::Read(file, pPool))
        return rb.Failed() ? false : rb.Reject("gcDoTestChangeState", "base");
    m_nState = rb.ReadInt();
    m_bForce = rb.ReadBool();
    m_nTimer = rb.ReadInt();
    return !rb.Failed();
}

void gcDoTestChangeState::DoAction(const gcEventParams& params) const
{
    if (gcTestActor* pActor = dcast<gcTestActor>(params.pInitiator))
        pActor->m_stateInfo.ChangeState(m_nState, params, *gcEvent::s_pCurEventStackData, cTimeValue(m_nTimer),
                                        m_bForce);
}

void gcDoTestTimerActivate::Write(const cFile& file) const
{
    cWriteBlock wb(file, 1);
    gcAction::Write(file);
    m_hTimer.Write(wb);
    wb.WriteBool(m_bActivate);
}

bool gcDoTestTimerActivate::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, 1);
    if (rb.m_nVersion != 1 || !gcAction::Read(file, pPool))
        return rb.Failed() ? false : rb.Reject("gcDoTestTimerActivate", "base");
    m_hTimer.Read(rb, pPool);
    m_bActivate = rb.ReadBool();
    return !rb.Failed();
}

void gcDoTestTimerActivate::DoAction(const gcEventParams&) const
{
    gcTimer* pTimer = gcTimerMgr::GetPtr(m_hTimer);
    if (!pTimer)
        return;
    if (m_bActivate)
        pTimer->Send(gcMsgActivate());
    else
        pTimer->Send(gcMsgDeactivate());
}

void gcDoTestActorEvent::Write(const cFile& file) const
{
    cWriteBlock wb(file, 1);
    gcAction::Write(file);
    wb.WriteInt(m_nActor);
    wb.WriteInt(m_nEventId);
}

bool gcDoTestActorEvent::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, 1);
    if (rb.m_nVersion != 1 || !gcAction::Read(file, pPool))
        return rb.Failed() ? false : rb.Reject("gcDoTestActorEvent", "base");
    m_nActor = rb.ReadInt();
    m_nEventId = rb.ReadInt();
    return !rb.Failed();
}

void gcDoTestActorEvent::DoAction(const gcEventParams&) const
{
    if (m_nActor >= 0 && m_nActor < gcTestActor::kMaxActors && gcTestActor::s_pActors[m_nActor])
        gcTestActor::s_pActors[m_nActor]->Send(gcMsgEvent(static_cast<gcMsgEvent::gcEventId>(m_nEventId)));
}

cBase* gcValTestNumber::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValTestNumber>(m_fValue) : nullptr;
}

void gcValTestNumber::Write(const cFile& file) const
{
    cWriteBlock wb(file, 1);
    gcValue::Write(file);
    wb.WriteFloat(m_fValue);
}

bool gcValTestNumber::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, 1);
    if (rb.m_nVersion != 1 || !gcValue::Read(file, pPool))
        return rb.Failed() ? false : rb.Reject("gcValTestNumber", "base");
    m_fValue = rb.ReadFloat();
    return !rb.Failed();
}

void gcValTestNumber::GetText(char* pBuf) const
{
    gcScriptText::AppendF(pBuf, "%g", static_cast<double>(m_fValue));
}

gcValTestAdd::~gcValTestAdd()
{
    if (m_pA)
        std::destroy_at(m_pA);
    if (m_pB)
        std::destroy_at(m_pB);
}

cBase* gcValTestAdd::Copy(cMemPool* pPool) const
{
    gcValTestAdd* p = pPool ? pPool->New<gcValTestAdd>() : nullptr;
    if (p) {
        p->m_pA = CopyValue(m_pA, p);
        p->m_pB = CopyValue(m_pB, p);
    }
    return p;
}

void gcValTestAdd::Write(const cFile& file) const
{
    cWriteBlock wb(file, 1);
    gcValue::Write(file);
    wb.WriteBase(m_pA);
    wb.WriteBase(m_pB);
}

bool gcValTestAdd::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, 1);
    if (rb.m_nVersion != 1 || !gcValue::Read(file, pPool))
        return rb.Failed() ? false : rb.Reject("gcValTestAdd", "base");
    m_pA = ReadValue(rb, pPool);
    m_pB = ReadValue(rb, pPool);
    return !rb.Failed();
}

float gcValTestAdd::Get(const gcEventParams& params) const
{
    return (m_pA ? m_pA->Get(params) : 0.0f) + (m_pB ? m_pB->Get(params) : 0.0f);
}

void gcValTestAdd::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, "+");
}

void gcValTestEventVar::Write(const cFile& file) const
{
    cWriteBlock wb(file, 1);
    gcLValue::Write(file);
    wb.WriteInt(m_var);
}

bool gcValTestEventVar::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, 1);
    if (rb.m_nVersion != 1 || !gcLValue::Read(file, pPool))
        return rb.Failed() ? false : rb.Reject("gcValTestEventVar", "base");
    m_var = static_cast<Var>(rb.ReadInt());
    return !rb.Failed();
}

float gcValTestEventVar::Get(const gcEventParams& params) const
{
    const gcEventStackData* pFrame = gcEvent::s_pCurEventStackData;
    if (!pFrame)
        return 0.0f;
    switch (m_var) {
    case RETVAL: return pFrame->fRetVal;
    case PARAM1: return pFrame->fInValues[0];
    case PARAM2: return pFrame->fInValues[1];
    case TEMP1: return pFrame->fTemps[0];
    case TEMP2: return pFrame->fTemps[1];
    case HANDLED: return params.bHandled ? 1.0f : 0.0f;
    }
    return 0.0f;
}

void gcValTestEventVar::Set(float fValue, const gcEventParams& params)
{
    gcEventStackData* pFrame = gcEvent::s_pCurEventStackData;
    if (!pFrame)
        return;
    switch (m_var) {
    case RETVAL: pFrame->fRetVal = fValue; break;
    case PARAM1: pFrame->fInValues[0] = fValue; break;
    case PARAM2: pFrame->fInValues[1] = fValue; break;
    case TEMP1: pFrame->fTemps[0] = fValue; break;
    case TEMP2: pFrame->fTemps[1] = fValue; break;
    case HANDLED: params.bHandled = fValue != 0.0f; break;
    }
}

int gcTestActor::Send(const gcMsg& msg)
{
    return RunProtocol(msg, [this](const gcMsg& m) {
        if (m.nMsgId != MSG_TICK && m.nMsgId != MSG_EVENT)
            return false;
        m_stateInfo.Send(m, gcEventParams(this, nullptr, nullptr, nullptr, nullptr), gcEventStackData());
        return true;
    });
}

void gcTestActor::Start(gcStateMachine* pMachine)
{
    m_stateInfo.m_pStateMachine = pMachine;
    m_stateInfo.ChangeState(0, gcEventParams(this, nullptr, nullptr, nullptr, nullptr), gcEventStackData(),
                            cTimeValue(0), false);
}

gcTestDataDir::gcTestDataDir()
{
    char tmpl[] = "/tmp/qm_scriptXXXXXX";
    if (mkdtemp(tmpl))
        m_dir = tmpl;
    DVDSetDataDirectory(m_dir.c_str());
}

gcTestDataDir::~gcTestDataDir()
{
    DVDSetDataDirectory("");
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
}

std::vector<uint8_t> ReadHostFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

static void CaptureLine(void* pUser, cLogType type, const char* text)
{
    static_cast<gcTestLogCapture*>(pUser)->m_lines.emplace_back(type, text);
}

gcTestLogCapture::gcTestLogCapture()
{
    m_previous = cLogSetCallback(&CaptureLine, this);
}

gcTestLogCapture::~gcTestLogCapture()
{
    cLogSetCallback(m_previous, nullptr);
}

int gcTestLogCapture::Count(int type, const char* text) const
{
    int n = 0;
    for (const auto& line : m_lines)
        n += line.first == type && line.second.find(text) != std::string::npos;
    return n;
}
