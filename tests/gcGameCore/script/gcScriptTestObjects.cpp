#include "gcScriptTestObjects.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/script/gcScriptText.h"
#include "gcGameCore/script/gcTimer.h"
#include "platform/dvd.h"

QM_DEFINE_TYPE(gcDoTestStep, gcAction, kTestStepId)
QM_DEFINE_TYPE(gcValTest, gcLValue, kTestValueId)
QM_DEFINE_TYPE(gcTestActor, gcGameObject, kTestActorId)


static void DestroyValue(gcValue* p)
{
    if (p)
        std::destroy_at(p);
}

static gcValue* CopyValue(const gcValue* p, const void* pOwner)
{
    return p ? static_cast<gcValue*>(p->Copy(cMemPool::GetPoolFromPtr(pOwner))) : nullptr;
}

gcDoTestStep::~gcDoTestStep()
{
    DestroyValue(m_pValue);
}

cBase* gcDoTestStep::Copy(cMemPool* pPool) const
{
    gcDoTestStep* p = pPool ? pPool->New<gcDoTestStep>(m_op, m_nA, m_nB, nullptr) : nullptr;
    if (p)
        p->m_pValue = CopyValue(m_pValue, p);
    return p;
}

void gcDoTestStep::Write(const cFile& file) const
{
    cWriteBlock wb(file, 1);
    gcAction::Write(file);
    wb.WriteInt(m_op);
    wb.WriteInt(m_nA);
    wb.WriteInt(m_nB);
    wb.WriteBase(m_pValue);
}

bool gcDoTestStep::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, 1);
    if (rb.m_nVersion != 1 || !gcAction::Read(file, pPool))
        return rb.Failed() ? false : rb.Reject("gcDoTestStep", "block");
    m_op = static_cast<Op>(rb.ReadInt());
    m_nA = rb.ReadInt();
    m_nB = rb.ReadInt();
    m_pValue = static_cast<gcValue*>(rb.ReadBase(pPool, gcValue::GetStaticType()));
    return !rb.Failed();
}

void gcDoTestStep::DoAction(const gcEventParams& params) const
{
    gcEventStackData& frame = *gcEvent::s_pCurEventStackData;
    gcTestActor* pActor = dcast<gcTestActor>(params.pInitiator);
    switch (m_op) {
    case RECORD:
        TestLog().push_back({m_nA, params.pInitiator, frame.fInValues[0], frame.fInValues[1], params.nEventId,
                             params.pParticipant1});
        break;
    case RETURN:
        if (m_pValue)
            frame.fRetVal = m_pValue->Get(params);
        frame.nFlags |= gcEventStackData::kReturn;
        break;
    case SET:
        gcValTest(static_cast<gcValTest::Kind>(m_nA), 0.0f, nullptr, nullptr).Set(m_pValue->Get(params), params);
        break;
    case CHANGESTATE:
    case FORCESTATE:
        if (pActor)
            pActor->m_stateInfo.ChangeState(m_nA, params, frame, cTimeValue(m_nB), m_op == FORCESTATE);
        break;
    case TIMER:
        if (gcTimer* pTimer = gcTimerMgr::GetPtr(gcTimerHandle(static_cast<uint32_t>(m_nA))))
            pTimer->Send(gcMsgActivate());
        break;
    }
}

gcValTest::~gcValTest()
{
    DestroyValue(m_pA);
    DestroyValue(m_pB);
}

cBase* gcValTest::Copy(cMemPool* pPool) const
{
    gcValTest* p = pPool ? pPool->New<gcValTest>(m_kind, m_fValue, nullptr, nullptr) : nullptr;
    if (p) {
        p->m_pA = CopyValue(m_pA, p);
        p->m_pB = CopyValue(m_pB, p);
    }
    return p;
}

void gcValTest::Write(const cFile& file) const
{
    cWriteBlock wb(file, 1);
    gcLValue::Write(file);
    wb.WriteInt(m_kind);
    wb.WriteFloat(m_fValue);
    wb.WriteBase(m_pA);
    wb.WriteBase(m_pB);
}

bool gcValTest::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, 1);
    if (rb.m_nVersion != 1 || !gcLValue::Read(file, pPool))
        return rb.Failed() ? false : rb.Reject("gcValTest", "block");
    m_kind = static_cast<Kind>(rb.ReadInt());
    m_fValue = rb.ReadFloat();
    m_pA = static_cast<gcValue*>(rb.ReadBase(pPool, gcValue::GetStaticType()));
    m_pB = static_cast<gcValue*>(rb.ReadBase(pPool, gcValue::GetStaticType()));
    return !rb.Failed();
}

static float* FrameVar(gcValTest::Kind kind)
{
    gcEventStackData* f = gcEvent::s_pCurEventStackData;
    switch (kind) {
    case gcValTest::RETVAL: return &f->fRetVal;
    case gcValTest::PARAM1: return &f->fInValues[0];
    case gcValTest::PARAM2: return &f->fInValues[1];
    case gcValTest::TEMP1: return &f->fTemps[0];
    case gcValTest::TEMP2: return &f->fTemps[1];
    default: return nullptr;
    }
}

float gcValTest::Get(const gcEventParams& params) const
{
    if (m_kind == NUMBER)
        return m_fValue;
    if (m_kind == HANDLED)
        return params.bHandled ? 1.0f : 0.0f;
    if (m_kind == ADD)
        return (m_pA ? m_pA->Get(params) : 0.0f) + (m_pB ? m_pB->Get(params) : 0.0f);
    return *FrameVar(m_kind);
}

void gcValTest::Set(float fValue, const gcEventParams& params)
{
    if (m_kind == HANDLED)
        params.bHandled = fValue != 0.0f;
    else if (float* p = FrameVar(m_kind))
        *p = fValue;
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

static void CaptureLine(void* pUser, cLogType type, const char* text)
{
    static_cast<gcTestLogCapture*>(pUser)->m_lines.emplace_back(type, text);
}

// The capture whose lines are being collected; the log keeps its user
// pointer without handing it back, so an inner capture restores the outer
// one's from here.
static gcTestLogCapture* s_pInnermostCapture = nullptr;

gcTestLogCapture::gcTestLogCapture()
    : m_pOuter(s_pInnermostCapture), m_previous(cLogSetCallback(&CaptureLine, this))
{
    s_pInnermostCapture = this;
}

gcTestLogCapture::~gcTestLogCapture()
{
    s_pInnermostCapture = m_pOuter;
    cLogSetCallback(m_previous, m_previous == &CaptureLine ? m_pOuter : nullptr);
}

int gcTestLogCapture::Count(int type, const char* text) const
{
    int n = 0;
    for (const auto& line : m_lines)
        n += line.first == type && line.second.find(text) != std::string::npos;
    return n;
}

gcTestDataDir::gcTestDataDir()
{
    DVDSetDataDirectory(m_dir.c_str());
}

gcTestDataDir::~gcTestDataDir()
{
    DVDSetDataDirectory("");
}
