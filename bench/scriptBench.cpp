// The script interpreter's hot paths, with bench-only action and value
// classes: applying one event of 10 actions whose values are 3-level
// expressions ("per_application"; "x_inline" is the same arithmetic written
// in C++, the floor an interpreter is read against), and one frame of 1,000
// game objects ticking their state machines ("frame_fraction": the share of
// the console's 33.3 ms frame that one such frame takes).
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <vector>

#include "cCore/cMemPool.h"
#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/script/gcGameObject.h"
#include "gcGameCore/script/gcState.h"
#include "gcGameCore/script/gcStateInfo.h"
#include "gcGameCore/script/gcStateMachine.h"
#include "gcGameCore/script/gcValue.h"
#include "platform/os.h"

namespace {

// A frame variable (0 RetVal, 1-2 Param, 3-4 Temp) or, for index -1, a literal.
class gcValBenchLeaf : public gcValue {
    QM_DECLARE_TYPE(gcValBenchLeaf)
public:
    gcValBenchLeaf() = default;
    gcValBenchLeaf(int index, float f) : m_nIndex(index), m_fValue(f) {}
    float Get(const gcEventParams&) const override
    {
        const gcEventStackData& s = *gcEvent::s_pCurEventStackData;
        switch (m_nIndex) {
        case 0: return s.fRetVal;
        case 1: return s.fInValues[0];
        case 2: return s.fInValues[1];
        case 3: return s.fTemps[0];
        case 4: return s.fTemps[1];
        default: return m_fValue;
        }
    }
    int m_nIndex = -1;
    float m_fValue = 0.0f;
};

class gcValBenchAdd : public gcValue {
    QM_DECLARE_TYPE(gcValBenchAdd)
public:
    gcValBenchAdd() = default;
    gcValBenchAdd(gcValue* a, gcValue* b) : m_pA(a), m_pB(b) {}
    float Get(const gcEventParams& params) const override { return m_pA->Get(params) + m_pB->Get(params); }
    int GetNumChildren() const override { return 2; }
    gcValue* m_pA = nullptr;
    gcValue* m_pB = nullptr;
};

// Temp[index] = value.
class gcDoBenchSet : public gcAction {
    QM_DECLARE_TYPE(gcDoBenchSet)
public:
    gcDoBenchSet() = default;
    gcDoBenchSet(int temp, gcValue* pValue) : m_nTemp(temp), m_pValue(pValue) {}
    void DoAction(const gcEventParams& params) const override
    {
        gcEvent::s_pCurEventStackData->fTemps[m_nTemp] = m_pValue->Get(params);
    }
    int m_nTemp = 0;
    gcValue* m_pValue = nullptr;
};

class gcBenchActor;

// Changes the initiator's state to the next of three with a 60-tick timer.
class gcDoBenchNext : public gcAction {
    QM_DECLARE_TYPE(gcDoBenchNext)
public:
    void DoAction(const gcEventParams& params) const override;
};

class gcBenchActor : public gcGameObject {
    QM_DECLARE_TYPE(gcBenchActor)
public:
    int Send(const gcMsg& msg) override
    {
        return RunProtocol(msg, [this](const gcMsg& m) {
            if (m.nMsgId != MSG_TICK)
                return false;
            m_stateInfo.Send(m, gcEventParams(this, nullptr, nullptr, nullptr, nullptr), gcEventStackData());
            return true;
        });
    }
    gcStateInfo m_stateInfo;
};

QM_DEFINE_TYPE(gcValBenchLeaf, gcValue, 44)
QM_DEFINE_TYPE(gcValBenchAdd, gcValue, 45)
QM_DEFINE_TYPE(gcDoBenchSet, gcAction, 46)
QM_DEFINE_TYPE(gcDoBenchNext, gcAction, 47)
QM_DEFINE_TYPE(gcBenchActor, gcGameObject, 48)

void gcDoBenchNext::DoAction(const gcEventParams& params) const
{
    gcBenchActor* pActor = dcast<gcBenchActor>(params.pInitiator);
    const int next = (pActor->m_stateInfo.m_nCurState + 1) % 3;
    pActor->m_stateInfo.ChangeState(next, params, *gcEvent::s_pCurEventStackData, cTimeValue(60), false);
}

// (Param1 + k) + (Temp1 + Temp2): three levels.
gcValue* Expression(cMemPool& pool, float k)
{
    return pool.New<gcValBenchAdd>(
        pool.New<gcValBenchAdd>(pool.New<gcValBenchLeaf>(1, 0.0f), pool.New<gcValBenchLeaf>(-1, k)),
        pool.New<gcValBenchAdd>(pool.New<gcValBenchLeaf>(3, 0.0f), pool.New<gcValBenchLeaf>(4, 0.0f)));
}

void AddActions(gcEvent& event, cMemPool& pool, int count)
{
    gcAction** ppLink = &event.pAction;
    while (*ppLink)
        ppLink = &(*ppLink)->pNextAction;
    for (int i = 0; i < count; ++i) {
        *ppLink = pool.New<gcDoBenchSet>(i & 1, Expression(pool, static_cast<float>(i)));
        ppLink = &(*ppLink)->pNextAction;
    }
}

cMemPool& BenchPool()
{
    [[maybe_unused]] static const bool s_bOS = (OSInit(), true);
    static cMemPool s_pool("scriptBench", 0x80000, false);
    return s_pool;
}

void BM_ApplyEvent10Actions(benchmark::State& state)
{
    cMemPool& pool = BenchPool();
    gcEvent* pEvent = pool.New<gcEvent>("OnBench", "Bench");
    AddActions(*pEvent, pool, 10);
    const gcEventParams params;
    gcEventStackData frame(1.0f, 2.0f);
    for (auto _ : state) {
        pEvent->Apply(params, frame);
        benchmark::DoNotOptimize(frame.fTemps[0]);
    }
    state.counters["per_application"] =
        benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    std::destroy_at(pEvent);
}
BENCHMARK(BM_ApplyEvent10Actions);

void BM_ApplyEvent10Actions_x_inline(benchmark::State& state)
{
    gcEventStackData frame(1.0f, 2.0f);
    for (auto _ : state) {
        benchmark::DoNotOptimize(&frame);
        for (int i = 0; i < 10; ++i)
            frame.fTemps[i & 1] = (frame.fInValues[0] + static_cast<float>(i)) + (frame.fTemps[0] + frame.fTemps[1]);
        benchmark::DoNotOptimize(frame.fTemps[0]);
    }
    state.counters["per_application"] =
        benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ApplyEvent10Actions_x_inline);

// Three states; each tick runs two expression actions, each enter one, and
// every 60 ticks the state timer moves the object on.
gcStateMachine* BuildMachine(cMemPool& pool)
{
    gcStateMachine* pMachine = pool.New<gcStateMachine>();
    for (int s = 0; s < 3; ++s) {
        gcState* pState = pool.New<gcState>();
        AddActions(pState->onEnterState, pool, 1);
        AddActions(pState->onUpdate, pool, 2);
        pState->onTimer.pAction = pool.New<gcDoBenchNext>();
        pMachine->m_pStates[s] = pState;
    }
    return pMachine;
}

void BM_Tick1000StateMachineObjects(benchmark::State& state)
{
    constexpr int kObjects = 1000;
    cMemPool& pool = BenchPool();
    gcStateMachine* pMachine = BuildMachine(pool);
    std::vector<gcBenchActor> actors(kObjects);
    for (int i = 0; i < kObjects; ++i) {
        gcBenchActor& a = actors[i];
        a.m_stateInfo.m_pStateMachine = pMachine;
        // Staggered timers spread the state changes over the frames.
        a.m_stateInfo.ChangeState(i % 3, gcEventParams(&a, nullptr, nullptr, nullptr, nullptr), gcEventStackData(),
                                  cTimeValue(20 + 20 * (i % 3)), false);
    }
    const gcMsgTick tick(cTimeValue(20));
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        for (gcBenchActor& a : actors)
            a.Send(tick);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (state.iterations() > 0)
        state.counters["frame_fraction"] = seconds / static_cast<double>(state.iterations()) / (1.0 / 30.0);
    actors.clear();
    std::destroy_at(pMachine);
}
BENCHMARK(BM_Tick1000StateMachineObjects);

}  // namespace
