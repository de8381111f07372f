#include "gcGameCore/script/gcGameObject.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "cCore/cFile.h"
#include "datagen/blockWriter.h"
#include "gcScriptTestObjects.h"

namespace {

using Seen = std::vector<std::pair<int, int>>;  // (state, message id) as dispatched

class gcProbe : public gcGameObject {
public:
    int Send(const gcMsg& msg) override
    {
        return RunProtocol(msg, [this](const gcMsg& m) {
            if (m.nMsgId == m_nIgnored)
                return false;
            m_seen.emplace_back(m_nCurState, m.nMsgId);
            if (m_hook)
                m_hook(*this, m);
            return true;
        });
    }
    Seen m_seen;
    std::function<void(gcProbe&, const gcMsg&)> m_hook;
    int32_t m_nIgnored = -1;
};

TEST(gcGameObjectTest, CountdownDeliversUpdateBeforeTheTickOnlyWhenItRunsOut)
{
    struct Row {
        int32_t countdown;
        Seen expected;
        int32_t after;
    };
    const Row rows[] = {
        {20, {{0, MSG_UPDATE}, {0, MSG_TICK}}, 0},  // runs out exactly
        {5, {{0, MSG_UPDATE}, {0, MSG_TICK}}, -15},
        {21, {{0, MSG_TICK}}, 1},
        {0, {{0, MSG_TICK}}, 0},  // 0 or less never counts
        {-7, {{0, MSG_TICK}}, -7},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.countdown);
        gcProbe probe;
        probe.m_nCurState = 0;
        probe.m_nextUpdate = cTimeValue(row.countdown);
        EXPECT_EQ(probe.Send(gcMsgTick(cTimeValue(20))), 1);
        EXPECT_EQ(probe.m_seen, row.expected);
        EXPECT_EQ(probe.m_nextUpdate.m_nTicks, row.after);
    }
}

TEST(gcGameObjectTest, TransitionsRunInProtocolOrder)
{
    using Hook = std::function<void(gcProbe&, const gcMsg&)>;
    auto on = [](int32_t id, int from, int to, uint8_t flags = 0) {
        return [=](gcProbe& p, const gcMsg& m) {
            if (m.nMsgId == id && p.m_nCurState == from) {
                p.RequestState(to, cTimeValue(to * 10));
                p.m_nGameObjectFlags |= flags;
            }
        };
    };
    auto both = [](Hook a, Hook b) { return [=](gcProbe& p, const gcMsg& m) { a(p, m); b(p, m); }; };
    const int E = MSG_ENTERSTATE, X = MSG_EXITSTATE, PE = MSG_POSTENTERSTATE, PX = MSG_POSTEXITSTATE, A = MSG_ACTIVATE;
    struct Row {
        const char* name;
        Hook hook;
        Seen expected;
        int finalState;
    };
    const Row rows[] = {
        {"plain change", on(A, 0, 1), {{0, A}, {0, X}, {1, PX}, {1, E}, {1, PE}}, 1},
        {"change in enter taken by the same loop", both(on(A, 0, 1), on(E, 1, 2)),
         {{0, A}, {0, X}, {1, PX}, {1, E}, {1, PE}, {1, X}, {2, PX}, {2, E}, {2, PE}}, 2},
        {"request during exit becomes the destination", both(on(A, 0, 1), on(X, 0, 3)),
         {{0, A}, {0, X}, {3, PX}, {3, E}, {3, PE}}, 3},
        {"0x4 skips exit", on(A, 0, 5, gcGameObject::kSkipExit), {{0, A}, {5, PX}, {5, E}, {5, PE}}, 5},
        {"0x8 skips post-exit and enter", on(A, 0, 5, gcGameObject::kSkipEnter), {{0, A}, {0, X}}, 5},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        gcProbe probe;
        probe.m_nCurState = 0;
        probe.m_hook = row.hook;
        EXPECT_EQ(probe.Send(gcMsgActivate()), 1);
        EXPECT_EQ(probe.m_seen, row.expected);
        EXPECT_EQ(probe.m_nCurState, row.finalState);
        EXPECT_EQ(probe.m_nextUpdate.m_nTicks, row.finalState * 10);
        EXPECT_EQ(probe.m_nGameObjectFlags, 0);
    }
}

TEST(gcGameObjectTest, SuspendAndResumeReturnToThePreviousState)
{
    const int kSuspended = 11;
    gcProbe probe;
    probe.m_nCurState = 3;
    probe.m_nPrevState = 2;
    probe.m_nextUpdate = cTimeValue(40);
    probe.m_hook = [](gcProbe& p, const gcMsg& m) {
        if (m.nMsgId == MSG_DEACTIVATE) {
            p.RequestState(kSuspended, p.m_nextUpdate);
            p.m_nGameObjectFlags |= gcGameObject::kSkipExit;
        } else if (m.nMsgId == MSG_ACTIVATE) {
            p.RequestState(p.m_nPrevState, p.m_nextUpdate);
            p.m_nGameObjectFlags |= gcGameObject::kSkipEnter;
        }
    };
    probe.Send(gcMsgDeactivate());
    EXPECT_EQ(probe.m_nCurState, kSuspended);
    EXPECT_EQ(probe.m_nPrevState, 3);
    probe.Send(gcMsgActivate());
    EXPECT_EQ(probe.m_nCurState, 3);
    EXPECT_EQ(probe.m_nPrevState, kSuspended);
    EXPECT_EQ(probe.m_nextUpdate.m_nTicks, 40);
    const Seen expected = {{3, MSG_DEACTIVATE},           {kSuspended, MSG_POSTEXITSTATE}, {kSuspended, MSG_ENTERSTATE},
                           {kSuspended, MSG_POSTENTERSTATE}, {kSuspended, MSG_ACTIVATE},      {kSuspended, MSG_EXITSTATE}};
    EXPECT_EQ(probe.m_seen, expected);
}

TEST(gcGameObjectTest, EndlessEnterChangesAreBoundedAndLogged)
{
    gcTestLogCapture log;
    gcProbe probe;
    probe.m_nCurState = 0;
    probe.m_hook = [](gcProbe& p, const gcMsg& m) {
        if (m.nMsgId == MSG_ACTIVATE || m.nMsgId == MSG_ENTERSTATE)
            p.RequestState(p.m_nCurState == 1 ? 2 : 1, cTimeValue(0));
    };
    EXPECT_EQ(probe.Send(gcMsgActivate()), 1);
    EXPECT_EQ(probe.m_seen.size(), 1u + 4 * gcGameObject::kMaxTransitions);
    EXPECT_EQ(probe.m_nGameObjectFlags, 0);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "changed state 64 times"), 1);
}

}  // namespace
