#pragma once
// Test-only script classes, with type ids from the range no engine or game
// class uses: actions that record, return, assign, change state and send
// messages; literal, sum and frame-variable values; a game object that runs a
// state machine. Also a data directory in a temporary folder and a log of
// what the recording action saw.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "gcGameCore/gcAction.h"
#include "gcGameCore/gcGameObject.h"
#include "gcGameCore/gcLValue.h"
#include "gcGameCore/gcStateInfo.h"
#include "gcGameCore/gcTimer.h"

// Ids 44 to 63 are free in the real table.
constexpr uint32_t kTestActorId = 47;
constexpr uint32_t kTestTimerActivateId = 48;
constexpr uint32_t kTestActorEventId = 49;
constexpr uint32_t kTestRecordId = 50;
constexpr uint32_t kTestReturnId = 51;
constexpr uint32_t kTestSetValueId = 52;
constexpr uint32_t kTestEventVarId = 53;
constexpr uint32_t kTestNumberId = 54;
constexpr uint32_t kTestAddId = 55;
constexpr uint32_t kTestChangeStateId = 56;

// What one gcDoTestRecord saw when it ran.
struct gcTestLogEntry {
    int32_t nTag;
    const gcGameObject* pInitiator;
    float fParam1;
    float fParam2;
    int32_t nEventId;
};
std::vector<gcTestLogEntry>& TestLog();
std::vector<int32_t> TestLogTags();

// Appends {tag, the event's initiator, Param1, Param2, event id} to TestLog.
class gcDoTestRecord : public gcAction {
    QM_DECLARE_TYPE(gcDoTestRecord)
public:
    gcDoTestRecord() = default;
    explicit gcDoTestRecord(int32_t tag) : m_nTag(tag) {}
    cBase* Copy(cMemPool* pPool) const override;
    void Write(const cFile& file) const override;
    bool Read(const cFile& file, cMemPool* pPool) override;
    void DoAction(const gcEventParams& params) const override;
    int32_t m_nTag = 0;
};

// Sets the frame's RetVal from its value (when it has one) and stops the event.
class gcDoTestReturn : public gcAction {
    QM_DECLARE_TYPE(gcDoTestReturn)
public:
    gcDoTestReturn() = default;
    explicit gcDoTestReturn(gcValue* pValue) : m_pValue(pValue) {}
    ~gcDoTestReturn() override;
    cBase* Copy(cMemPool* pPool) const override;
    void Write(const cFile& file) const override;
    bool Read(const cFile& file, cMemPool* pPool) override;
    int GetNumChildren() const override { return 1; }
    const gcValue* GetChildByIndex(int i) const override { return i == 0 ? m_pValue : nullptr; }
    void DoAction(const gcEventParams& params) const override;
    gcValue* m_pValue = nullptr;
};

// target = source.
class gcDoTestSetValue : public gcAction {
    QM_DECLARE_TYPE(gcDoTestSetValue)
public:
    gcDoTestSetValue() = default;
    gcDoTestSetValue(gcLValue* pTarget, gcValue* pSource) : m_pTarget(pTarget), m_pSource(pSource) {}
    ~gcDoTestSetValue() override;
    void Write(const cFile& file) const override;
    bool Read(const cFile& file, cMemPool* pPool) override;
    void DoAction(const gcEventParams& params) const override;
    gcLValue* m_pTarget = nullptr;
    gcValue* m_pSource = nullptr;
};

// The change-state request of a gcTestActor initiator.
class gcDoTestChangeState : public gcAction {
    QM_DECLARE_TYPE(gcDoTestChangeState)
public:
    gcDoTestChangeState() = default;
    gcDoTestChangeState(int32_t state, bool force, int32_t timerTicks)
        : m_nState(state), m_bForce(force), m_nTimer(timerTicks) {}
    void Write(const cFile& file) const override;
    bool Read(const cFile& file, cMemPool* pPool) override;
    void DoAction(const gcEventParams& params) const override;
    int32_t m_nState = 0;
    bool m_bForce = false;
    int32_t m_nTimer = 0;
};

// Sends Activate or Deactivate to a timer by handle.
class gcDoTestTimerActivate : public gcAction {
    QM_DECLARE_TYPE(gcDoTestTimerActivate)
public:
    gcDoTestTimerActivate() = default;
    gcDoTestTimerActivate(gcTimerHandle h, bool activate) : m_hTimer(h), m_bActivate(activate) {}
    void Write(const cFile& file) const override;
    bool Read(const cFile& file, cMemPool* pPool) override;
    void DoAction(const gcEventParams& params) const override;
    gcTimerHandle m_hTimer;
    bool m_bActivate = true;
};

// Sends a script event (128) to gcTestActor::s_pActors[index].
class gcDoTestActorEvent : public gcAction {
    QM_DECLARE_TYPE(gcDoTestActorEvent)
public:
    gcDoTestActorEvent() = default;
    gcDoTestActorEvent(int32_t actor, int32_t eventId) : m_nActor(actor), m_nEventId(eventId) {}
    void Write(const cFile& file) const override;
    bool Read(const cFile& file, cMemPool* pPool) override;
    void DoAction(const gcEventParams& params) const override;
    int32_t m_nActor = 0;
    int32_t m_nEventId = 0;
};

// A literal; text "%g".
class gcValTestNumber : public gcValue {
    QM_DECLARE_TYPE(gcValTestNumber)
public:
    gcValTestNumber() = default;
    explicit gcValTestNumber(float f) : m_fValue(f) {}
    cBase* Copy(cMemPool* pPool) const override;
    void Write(const cFile& file) const override;
    bool Read(const cFile& file, cMemPool* pPool) override;
    float Get(const gcEventParams&) const override { return m_fValue; }
    void GetText(char* pBuf) const override;
    float m_fValue = 0.0f;
};

// a + b, in infix text with parentheses; either operand may be null (0.0).
class gcValTestAdd : public gcValue {
    QM_DECLARE_TYPE(gcValTestAdd)
public:
    gcValTestAdd() = default;
    gcValTestAdd(gcValue* a, gcValue* b) : m_pA(a), m_pB(b) {}
    ~gcValTestAdd() override;
    cBase* Copy(cMemPool* pPool) const override;
    void Write(const cFile& file) const override;
    bool Read(const cFile& file, cMemPool* pPool) override;
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;
    unsigned GetTextFlags() const override { return 1; }
    int GetNumChildren() const override { return 2; }
    const gcValue* GetChildByIndex(int i) const override { return i == 0 ? m_pA : i == 1 ? m_pB : nullptr; }
    gcValue* m_pA = nullptr;
    gcValue* m_pB = nullptr;
};

// A variable of the running frame, or the parameters' handled flag.
class gcValTestEventVar : public gcLValue {
    QM_DECLARE_TYPE(gcValTestEventVar)
public:
    enum Var : int32_t { RETVAL, PARAM1, PARAM2, TEMP1, TEMP2, HANDLED };
    gcValTestEventVar() = default;
    explicit gcValTestEventVar(Var v) : m_var(v) {}
    void Write(const cFile& file) const override;
    bool Read(const cFile& file, cMemPool* pPool) override;
    float Get(const gcEventParams& params) const override;
    void Set(float fValue, const gcEventParams& params) override;
    Var m_var = RETVAL;
};

// A game object that runs a state machine: ticks and script events go to its
// gcStateInfo with itself as initiator. No handler of its own.
class gcTestActor : public gcGameObject {
    QM_DECLARE_TYPE(gcTestActor)
public:
    static constexpr int kMaxActors = 4;
    int Send(const gcMsg& msg) override;
    // Sets the machine and requests state 0.
    void Start(gcStateMachine* pMachine);

    gcStateInfo m_stateInfo;
    static gcTestActor* s_pActors[kMaxActors];
};

// A temporary folder made the disc's data directory while it lives.
class gcTestDataDir {
public:
    gcTestDataDir();
    ~gcTestDataDir();
    std::string HostPath(const char* name) const { return m_dir + "/" + name; }
    static std::string ConsolePath(const char* name) { return std::string("/") + name; }

private:
    std::string m_dir;
};

std::vector<uint8_t> ReadHostFile(const std::string& path);

// An event holding these actions, for tests that apply events without a file.
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
class gcTestLogCapture {
public:
    gcTestLogCapture();
    ~gcTestLogCapture();
    // Lines of the kind that contain the text.
    int Count(int type, const char* text) const;
    std::vector<std::pair<int, std::string>> m_lines;

private:
    cLogFunc m_previous;
};
