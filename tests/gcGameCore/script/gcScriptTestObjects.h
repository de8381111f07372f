#pragma once
// Test-only script classes, with type ids from the range no engine or game
// class uses: one action whose op says what it does, one assignable value
// (literal, frame variable, handled flag or sum), and a game object that runs
// a state machine. Also a pool-backed builder, a log of what recording steps
// saw, a log capture and a data directory in a temporary folder.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "tempDir.h"
#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcGameObject.h"
#include "gcGameCore/script/gcLValue.h"
#include "gcGameCore/script/gcStateInfo.h"
#include "gcGameCore/script/gcTimer.h"

// Ids 44 to 63 are free in the real table.
constexpr uint32_t kTestStepId = 50;
constexpr uint32_t kTestValueId = 51;
constexpr uint32_t kTestActorId = 52;

class gcDoTestStep : public gcAction {
    QM_DECLARE_TYPE(gcDoTestStep)
public:
    enum Op : int32_t {
        RECORD,       // logs tag a
        RETURN,       // RetVal = the value (when there is one), then stop
        SET,          // the value's target a (a gcValTest kind) = the value
        CHANGESTATE,  // the initiating gcTestActor to state a with timer b; FORCESTATE forces
        FORCESTATE,
        TIMER,        // Activate to the timer of handle a
    };
    gcDoTestStep() = default;
    gcDoTestStep(Op op, int32_t a, int32_t b, gcValue* pValue) : m_op(op), m_nA(a), m_nB(b), m_pValue(pValue) {}
    ~gcDoTestStep() override;
    cBase* Copy(cMemPool* pPool) const override;
    void Write(const cFile& file) const override;
    bool Read(const cFile& file, cMemPool* pPool) override;
    int GetNumChildren() const override { return m_op == RETURN || m_op == SET ? 1 : 0; }
    const gcValue* GetChildByIndex(int i) const override { return i == 0 ? m_pValue : nullptr; }
    void DoAction(const gcEventParams& params) const override;

    Op m_op = RECORD;
    int32_t m_nA = 0;
    int32_t m_nB = 0;
    gcValue* m_pValue = nullptr;
};

class gcValTest : public gcLValue {
    QM_DECLARE_TYPE(gcValTest)
public:
    enum Kind : int32_t { NUMBER, RETVAL, PARAM1, PARAM2, TEMP1, TEMP2, HANDLED, ADD };
    gcValTest() = default;
    gcValTest(Kind kind, float f, gcValue* a, gcValue* b) : m_kind(kind), m_fValue(f), m_pA(a), m_pB(b) {}
    ~gcValTest() override;
    cBase* Copy(cMemPool* pPool) const override;
    void Write(const cFile& file) const override;
    bool Read(const cFile& file, cMemPool* pPool) override;
    float Get(const gcEventParams& params) const override;
    void Set(float fValue, const gcEventParams& params) override;
    int GetNumChildren() const override { return m_kind == ADD ? 2 : 0; }
    const gcValue* GetChildByIndex(int i) const override { return i == 0 ? m_pA : i == 1 ? m_pB : nullptr; }

    Kind m_kind = NUMBER;
    float m_fValue = 0.0f;
    gcValue* m_pA = nullptr;
    gcValue* m_pB = nullptr;
};

// Ticks and script events go to its state info with itself as initiator.
class gcTestActor : public gcGameObject {
    QM_DECLARE_TYPE(gcTestActor)
public:
    int Send(const gcMsg& msg) override;
    void Start(gcStateMachine* pMachine);  // sets the machine, requests state 0
    gcStateInfo m_stateInfo;
};

// Makes test steps and values in a pool.
struct gcTestBuilder {
    gcDoTestStep* Step(gcDoTestStep::Op op, int32_t a, int32_t b = 0, gcValue* v = nullptr)
    {
        return pool.New<gcDoTestStep>(op, a, b, v);
    }
    gcDoTestStep* Record(int32_t tag) { return Step(gcDoTestStep::RECORD, tag); }
    gcDoTestStep* Return(gcValue* v = nullptr) { return Step(gcDoTestStep::RETURN, 0, 0, v); }
    gcDoTestStep* Set(gcValTest::Kind var, float f) { return Step(gcDoTestStep::SET, var, 0, Num(f)); }
    gcDoTestStep* Change(int32_t state, int32_t timer = 0, bool force = false)
    {
        return Step(force ? gcDoTestStep::FORCESTATE : gcDoTestStep::CHANGESTATE, state, timer);
    }
    gcValTest* Num(float f) { return pool.New<gcValTest>(gcValTest::NUMBER, f, nullptr, nullptr); }
    gcValTest* Var(gcValTest::Kind kind) { return pool.New<gcValTest>(kind, 0.0f, nullptr, nullptr); }
    gcValTest* Add(gcValue* a, gcValue* b) { return pool.New<gcValTest>(gcValTest::ADD, 0.0f, a, b); }
    cMemPool& pool;
};

// What one RECORD step saw.
struct gcTestLogEntry {
    int32_t nTag;
    const gcGameObject* pInitiator;
    float fParam1;
    float fParam2;
    int32_t nEventId;
    const gcGameObject* pParticipant1;
};
std::vector<gcTestLogEntry>& TestLog();
std::vector<int32_t> TestLogTags();

// Links the actions as the event's list.
template <class... Actions>
void FillEvent(gcEvent& event, Actions*... actions)
{
    gcAction* list[] = {actions...};
    gcAction** ppLink = &event.pAction;
    for (gcAction* p : list) {
        *ppLink = p;
        ppLink = &p->pNextAction;
    }
}

// Collects what is logged while it lives (the log is otherwise silent).
// Captures nest: an inner one takes the lines while it lives, then the
// outer one collects again. Destroy them in reverse order of making.
class gcTestLogCapture {
public:
    gcTestLogCapture();
    ~gcTestLogCapture();
    gcTestLogCapture(const gcTestLogCapture&) = delete;
    gcTestLogCapture& operator=(const gcTestLogCapture&) = delete;
    int Count(int type, const char* text) const;  // lines of the kind holding the text
    std::vector<std::pair<int, std::string>> m_lines;

private:
    gcTestLogCapture* m_pOuter;  // the capture this one replaced, or null
    cLogFunc m_previous;
};

// A temporary folder made the disc's data directory while it lives.
class gcTestDataDir {
public:
    gcTestDataDir();
    ~gcTestDataDir();
    std::string HostPath(const char* name) const { return m_dir.File(name); }

private:
    TempDir m_dir{"qm_script"};
};

// ReadHostFile comes with the engine tests' helpers (eEngine/worldTestSupport.h).
std::vector<uint8_t> ReadHostFile(const std::string& path);
