#include "gcGameCore/script/gcCinematic.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "datagen/cinematicWriters.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcVoiceOver.h"
#include "gcGameCore/script/gcCinematicEntry.h"
#include "gcScriptTestObjects.h"

namespace {

constexpr int32_t kEndedTag = 99;
constexpr int kVoiceOverSlot = 7;

// A game whose OnCinematicEnded records kEndedTag, a map for the
// cinematic-change flag and one voice-over in the manager.
class gcCinematicTest : public testing::Test {
protected:
    void SetUp() override
    {
        TestLog().clear();
        m_pGame = m_pool.New<gcGame>();
        FillEvent(m_pGame->m_onCinematicEnded, b.Record(kEndedTag));
        m_pMap = m_pool.New<gcMap>();
        m_pVO = m_pool.New<gcVoiceOver>();
        m_hVO = gcVoiceOverMgr::Add(kVoiceOverSlot, m_pVO, 0x4242);
    }
    void TearDown() override
    {
        gcVoiceOverMgr::Remove(kVoiceOverSlot);
        for (gcCinematic* p : m_made)
            std::destroy_at(p);
        std::destroy_at(m_pMap);
        std::destroy_at(m_pGame);
        gcCinematic::s_pCinematic = nullptr;
    }
    // Entries at the times given, each recording its index; a voice-over of
    // voTicks starts with the first when voTicks > 0.
    gcCinematic* Make(const std::vector<int32_t>& times, int32_t voTicks = 0)
    {
        gcCinematic* p = datagen::NewCinematic(&m_pool, "Scene", gcCinematic::kSkippable);
        for (size_t i = 0; i < times.size(); ++i) {
            const uint32_t hVO = i == 0 && voTicks > 0 ? m_hVO.m_nValue : 0;
            gcCinematicEntry* e = datagen::AddCinematicEntry(*p, &m_pool, "Entry", times[i], hVO);
            FillEvent(e->event, b.Record(static_cast<int32_t>(i)));
        }
        m_pVO->m_soundData.m_length = voTicks;
        m_made.push_back(p);
        return p;
    }
    static int Ended()
    {
        int n = 0;
        for (const gcTestLogEntry& e : TestLog())
            n += e.nTag == kEndedTag;
        return n;
    }

    cMemPool m_pool{"gcCinematicTest", 0x80000, false};
    gcTestBuilder b{m_pool};
    gcGame* m_pGame = nullptr;
    gcMap* m_pMap = nullptr;
    gcVoiceOver* m_pVO = nullptr;
    gcVoiceOverHandle m_hVO;
    std::vector<gcCinematic*> m_made;
};

// Each row plays a cinematic through ticks of the steps given and checks
// what fired (tag and Param1), in which tick it ended and how often the
// ended event ran.
TEST_F(gcCinematicTest, EntriesFireInOrderAndTheEndComesOneTickLate)
{
    const float kStep = cTimeValue(20).GetSeconds();
    const float kStep2 = cTimeValue(40).GetSeconds();
    const struct {
        const char* name;
        std::vector<int32_t> times;
        int32_t voTicks;
        std::vector<int32_t> steps;
        std::vector<std::pair<int32_t, float>> fired;
        int endTick;  // 1-based; 0: still playing
    } rows[] = {
        {"no entries: the first non-zero tick ends it", {}, 0, {0, 20, 20}, {}, 2},
        {"an entry at 0 fires on the first tick with the step in seconds", {0}, 0, {20}, {{0, kStep}}, 0},
        {"entries due together see the same time", {5, 20, 30}, 0, {20, 20}, {{0, kStep}, {1, kStep}, {2, kStep2}}, 0},
        {"a step of 0 does nothing", {0}, 0, {0, 0}, {}, 0},
        {"the last entry's end is noticed a tick later", {0, 40}, 0, {20, 20, 20}, {{0, kStep}, {1, kStep2}}, 3},
        {"a long voice-over keeps it alive until it has run out", {0}, 100, {20, 20, 20, 20, 20, 20, 20},
         {{0, kStep}}, 7},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TestLog().clear();
        gcCinematic* p = Make(row.times, row.voTicks);
        p->Play();
        int endTick = 0;
        for (size_t i = 0; i < row.steps.size(); ++i) {
            p->Send(gcMsgTick(cTimeValue(row.steps[i])));
            if (!endTick && gcCinematic::s_pCinematic != p)
                endTick = static_cast<int>(i) + 1;
        }
        std::vector<std::pair<int32_t, float>> fired;
        for (const gcTestLogEntry& e : TestLog()) {
            if (e.nTag != kEndedTag) {
                fired.emplace_back(e.nTag, e.fParam1);
                EXPECT_EQ(e.pInitiator, p);
            }
        }
        EXPECT_EQ(fired, row.fired);
        EXPECT_EQ(endTick, row.endTick);
        EXPECT_EQ(Ended(), row.endTick ? 1 : 0);
        gcCinematic::s_pCinematic = nullptr;
    }
}

// Ending applies the ended event only with the notification, only while
// no other cinematic has been requested, and only for the playing one.
TEST_F(gcCinematicTest, EndingNotifiesOnlyForThePlayingOneAndOnlyWhenNotReplaced)
{
    const struct {
        const char* name;
        bool bReplaced;     // map flag 0x10
        int how;            // 0 Deactivate, 1 Stop(true), 2 Stop(false), 3 Stop(true) on another
        bool bEnds;
        int nEvents;
    } rows[] = {
        {"deactivated", false, 0, true, 1},
        {"deactivated while another is requested", true, 0, true, 0},
        {"stopped with the notification", false, 1, true, 1},
        {"stopped without it", false, 2, true, 0},
        {"stopping one that does not play changes nothing", false, 3, false, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TestLog().clear();
        m_pMap->m_nFlags = row.bReplaced ? gcMap::kFlagNoCinematicEvents : 0;
        gcCinematic* p = Make({1000});
        gcCinematic* pOther = Make({});
        p->Play();
        switch (row.how) {
        case 0: p->Send(gcMsgDeactivate()); break;
        case 1: p->Stop(true); break;
        case 2: p->Stop(false); break;
        default: pOther->Stop(true); break;
        }
        EXPECT_EQ(gcCinematic::s_pCinematic == nullptr, row.bEnds);
        EXPECT_EQ(Ended(), row.nEvents);
        gcCinematic::s_pCinematic = nullptr;
    }
}

}  // namespace
