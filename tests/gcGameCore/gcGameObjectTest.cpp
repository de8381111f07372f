#include "gcGameCore/gcGameObject.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "cCore/cFile.h"
#include "datagen/blockWriter.h"
#include "gcScriptTestObjects.h"

namespace {

// A game object that takes every message (unless told otherwise), notes the
// state it arrived in, and runs a hook that may request changes.
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

    std::vector<std::pair<int, int>> m_seen;  // (state, message id)
    std::function<void(gcProbe&, const gcMsg&)> m_hook;
    int32_t m_nIgnored = -1;
};

using Seen = std::vector<std::pair<int, int>>;

TEST(gcGameObjectTest, NewObjectHasNoStateAndNoCountdown)
{
    gcProbe probe;
    EXPECT_EQ(probe.m_nCurState, -1);
    EXPECT_EQ(probe.m_nNextState, -1);
    EXPECT_EQ(probe.m_nPrevState, -1);
    EXPECT_EQ(probe.m_nGameObjectFlags, 0);
    EXPECT_EQ(probe.m_nextUpdate.m_nTicks, 0);
    EXPECT_STREQ(probe.GetType()->m_sTypeName, "gcGameObject");
    EXPECT_EQ(probe.GetType()->m_nTypeId, 70u);
    EXPECT_EQ(probe.GetType()->m_pParentType->m_nTypeId, 2u);
}

TEST(gcGameObjectTest, CountdownDeliversUpdateBeforeTheTickOnlyWhenItRunsOut)
{
    struct Row {
        const char* name;
        int32_t countdown;
        Seen expected;
        int32_t after;
    };
    const Row rows[] = {
        {"runs out exactly", 20, {{0, MSG_UPDATE}, {0, MSG_TICK}}, 0},
        {"overshoots", 5, {{0, MSG_UPDATE}, {0, MSG_TICK}}, -15},
        {"still counting", 21, {{0, MSG_TICK}}, 1},
        {"zero never counts", 0, {{0, MSG_TICK}}, 0},
        {"negative never counts", -7, {{0, MSG_TICK}}, -7},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        gcProbe probe;
        probe.m_nCurState = 0;
        probe.m_nextUpdate = cTimeValue(row.countdown);
        EXPECT_EQ(probe.Send(gcMsgTick(cTimeValue(20))), 1);
        EXPECT_EQ(probe.m_seen, row.expected);
        EXPECT_EQ(probe.m_nextUpdate.m_nTicks, row.after);
    }
}

TEST(gcGameObjectTest, ChangeMadeByUpdateIsCarriedOutBeforeTheTick)
{
    gcProbe probe;
    probe.m_nCurState = 0;
    probe.m_nextUpdate = cTimeValue(20);
    probe.m_hook = [](gcProbe& p, const gcMsg& m) {
        if (m.nMsgId == MSG_UPDATE)
            p.RequestState(2, cTimeValue(0));
    };
    probe.Send(gcMsgTick(cTimeValue(20)));
    const Seen expected = {{0, MSG_UPDATE}, {0, MSG_EXITSTATE}, {2, MSG_POSTEXITSTATE}, {2, MSG_ENTERSTATE},
                           {2, MSG_POSTENTERSTATE}, {2, MSG_TICK}};
    EXPECT_EQ(probe.m_seen, expected);
    EXPECT_EQ(probe.m_nPrevState, 0);
}

TEST(gcGameObjectTest, ChangeRequestedInEnterIsTakenBySameLoop)
{
    gcProbe probe;
    probe.m_nCurState = 0;
    probe.m_hook = [](gcProbe& p, const gcMsg& m) {
        if (m.nMsgId == MSG_ACTIVATE)
            p.RequestState(1, cTimeValue(0));
        if (m.nMsgId == MSG_ENTERSTATE && p.m_nCurState == 1)
            p.RequestState(2, cTimeValue(40));
    };
    EXPECT_EQ(probe.Send(gcMsgActivate()), 1);
    const Seen expected = {{0, MSG_ACTIVATE},      {0, MSG_EXITSTATE},  {1, MSG_POSTEXITSTATE}, {1, MSG_ENTERSTATE},
                           {1, MSG_POSTENTERSTATE}, {1, MSG_EXITSTATE}, {2, MSG_POSTEXITSTATE}, {2, MSG_ENTERSTATE},
                           {2, MSG_POSTENTERSTATE}};
    EXPECT_EQ(probe.m_seen, expected);
    EXPECT_EQ(probe.m_nCurState, 2);
    EXPECT_EQ(probe.m_nPrevState, 1);
    EXPECT_EQ(probe.m_nextUpdate.m_nTicks, 40);
    EXPECT_EQ(probe.m_nGameObjectFlags, 0);
}

TEST(gcGameObjectTest, RequestDuringExitBecomesTheDestination)
{
    gcProbe probe;
    probe.m_nCurState = 0;
    probe.m_hook = [](gcProbe& p, const gcMsg& m) {
        if (m.nMsgId == MSG_ACTIVATE)
            p.RequestState(1, cTimeValue(0));
        if (m.nMsgId == MSG_EXITSTATE) {
            EXPECT_TRUE(p.m_nGameObjectFlags & gcGameObject::kTransitioning);
            p.RequestState(3, cTimeValue(0));
        }
    };
    probe.Send(gcMsgActivate());
    const Seen expected = {{0, MSG_ACTIVATE}, {0, MSG_EXITSTATE}, {3, MSG_POSTEXITSTATE}, {3, MSG_ENTERSTATE},
                           {3, MSG_POSTENTERSTATE}};
    EXPECT_EQ(probe.m_seen, expected);
}

TEST(gcGameObjectTest, SkipFlagsLeaveOutTheirMessagesOnceThenClear)
{
    struct Row {
        const char* name;
        uint8_t flags;
        Seen expected;
    };
    const Row rows[] = {
        {"suspend: no exit", gcGameObject::kSkipExit,
         {{0, MSG_ACTIVATE}, {5, MSG_POSTEXITSTATE}, {5, MSG_ENTERSTATE}, {5, MSG_POSTENTERSTATE}}},
        {"resume: no post-exit or enter", gcGameObject::kSkipEnter, {{0, MSG_ACTIVATE}, {0, MSG_EXITSTATE}}},
        {"both", gcGameObject::kSkipExit | gcGameObject::kSkipEnter, {{0, MSG_ACTIVATE}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        gcProbe probe;
        probe.m_nCurState = 0;
        const uint8_t flags = row.flags;
        probe.m_hook = [flags](gcProbe& p, const gcMsg& m) {
            if (m.nMsgId == MSG_ACTIVATE) {
                p.RequestState(5, p.m_nextUpdate);
                p.m_nGameObjectFlags |= flags;
            }
        };
        probe.Send(gcMsgActivate());
        EXPECT_EQ(probe.m_seen, row.expected);
        EXPECT_EQ(probe.m_nCurState, 5);
        EXPECT_EQ(probe.m_nGameObjectFlags, 0);
    }
}

TEST(gcGameObjectTest, LoopMessagesReturnFalseAndRunNoLoop)
{
    for (const int32_t id : {MSG_ENTERSTATE, MSG_EXITSTATE, MSG_POSTENTERSTATE, MSG_POSTEXITSTATE}) {
        SCOPED_TRACE(gcMsgIdText(id));
        gcProbe probe;
        probe.m_nCurState = 0;
        probe.m_hook = [](gcProbe& p, const gcMsg&) { p.RequestState(1, cTimeValue(0)); };
        EXPECT_EQ(probe.Send(gcMsg(id, nullptr)), 0);
        EXPECT_EQ(probe.m_seen.size(), 1u);  // the handler took it
        EXPECT_EQ(probe.m_nCurState, 0);
        EXPECT_TRUE(probe.m_nGameObjectFlags & gcGameObject::kChangePending);
    }
}

TEST(gcGameObjectTest, UntakenMessageReturnsFalseAndLeavesARequestPending)
{
    gcProbe probe;
    probe.m_nCurState = 0;
    probe.m_nIgnored = MSG_FREEZE;
    probe.RequestState(1, cTimeValue(0));
    EXPECT_EQ(probe.Send(gcMsgFreeze()), 0);
    EXPECT_EQ(probe.m_nCurState, 0);
    EXPECT_EQ(probe.Send(gcMsgUnfreeze()), 1);  // the next taken message carries it out
    EXPECT_EQ(probe.m_nCurState, 1);
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
    int nEnters = 0;
    for (const auto& s : probe.m_seen)
        nEnters += s.second == MSG_ENTERSTATE;
    EXPECT_EQ(nEnters, gcGameObject::kMaxTransitions);
    EXPECT_EQ(probe.m_nGameObjectFlags, 0);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "changed state 64 times"), 1);
}

TEST(gcGameObjectTest, BlockHoldsOnlyTheNameAndRefusesOtherVersions)
{
    gcTestDataDir dir;
    gcProbe written;
    written.m_name.Set("Crate");
    written.m_nCurState = 4;  // run-time only
    {
        cFile file;
        ASSERT_TRUE(file.Create(dir.HostPath("go.dat").c_str(), 0, cFile::kPlatformConsole, true));
        written.Write(file);
        file.Close();
    }
    const std::vector<uint8_t> bytes = ReadHostFile(dir.HostPath("go.dat"));
    // Header 8, game-object block 12 + name block (12 + empty base 16 + 28 + 4) + 4, trailer 4.
    ASSERT_EQ(bytes.size(), 8u + 12 + 60 + 4 + 4);
    EXPECT_EQ(bytes[8 + 11], 1);  // version 1
    gcProbe read;
    {
        cFile file;
        ASSERT_TRUE(file.Open("/go.dat"));
        EXPECT_TRUE(read.Read(file, nullptr));
        file.Close();
        EXPECT_FALSE(file.Failed());
    }
    EXPECT_TRUE(read.m_name == "Crate");
    EXPECT_EQ(read.m_nCurState, -1);

    std::vector<uint8_t> v2 = bytes;
    v2[8 + 11] = 2;
    ASSERT_TRUE(datagen::WriteBytes(dir.HostPath("go2.dat"), v2));
    gcTestLogCapture log;
    gcProbe refused;
    cFile file;
    ASSERT_TRUE(file.Open("/go2.dat"));
    EXPECT_FALSE(refused.Read(file, nullptr));
    EXPECT_EQ(file.GetCurrentPos(), 8u + 12 + 60 + 4);  // past the skipped block's end marker
    EXPECT_EQ(log.Count(LOGTYPE_WARNING, "gcGameObject: version not accepted"), 1);
    EXPECT_TRUE(refused.m_name == "");
    file.Close();
    EXPECT_FALSE(file.Failed());
}

}  // namespace
