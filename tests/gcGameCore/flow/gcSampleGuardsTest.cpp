// The sample's guards as the map runs: each walks its patrol loop while
// the player is far, then leaves it, runs at the player, swings, and the
// player's health drops; all of it read frame by frame from the running
// map, with nothing logged but notes.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "../test/audio_test.h"
#include "../test/gx_test.h"
#include "../test/os_test.h"
#include "cCore/cCoreServices.h"
#include "datagen/datagen.h"
#include "datagen/playerWriters.h"
#include "datagen/sampleNpcs.h"
#include "eEngine/eAudioPlatform.h"
#include "eEngine/eVideoTestUtil.h"
#include "gcFlowTestSupport.h"
#include "gcGameCore/creatures/gcNPC.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcMapLoader.h"
#include "platform/ar.h"
#include "platform/vi.h"
#include "tempDir.h"

namespace {

using G = datagen::SampleGuards;

// What one frame shows of the west guard and the player.
struct Sample {
    mVec3 guard;          // in its region
    mVec3 other;          // the middle guard, in its region
    int8_t npcState;      // gcNPC state
    int8_t tactic;        // its tactics' state
    bool bOnPath;
    bool bTargetsPlayer;
    bool bBoundary;
    float fPlayerHealth;  // -1: no player
};

// The player stands at the west end of the road until kMeetFrame, then a
// few metres short of the west guard's loop, then at the west end again
// from kLeaveFrame.
constexpr int kMeetFrame = 90;
constexpr int kLeaveFrame = 330;
constexpr int kFrames = 450;  // the middle guard comes round its loop
const mVec3 kPlayerFar(-14.0f, 0.0f, -2.1f);
const mVec3 kPlayerNear(-1.0f, 0.0f, -2.1f);

class gcSampleGuardsTest : public DrawingTest<gcFlowTest> {
protected:
    void SetUp() override
    {
        DrawingTest<gcFlowTest>::SetUp();
        if (IsSkipped())
            return;
        static TempDir s_settings("qm_guards");
        if (!ARCheckInit()) {
            OSTestSetSettingsDir(s_settings.c_str());
            AITestSetManualFrames(TRUE);
            ASSERT_TRUE(eAudioPlatform::Initialize());
        }
        ASSERT_TRUE(datagen::WriteSampleGame(m_dir.HostPath("")));
        // A body for the player, so that the guards have someone to meet.
        ASSERT_TRUE(datagen::WriteBipedPlayerConfigFile(m_dir.HostPath("Game/PlayerConfig01.pc"), {}));
        ASSERT_TRUE(gcGame::LoadBackground());
        s_pTest = this;
        m_oldCheck = cSetDiscStatusCheck(&Probe);
        GXTestSetDrawing(false);  // the guards' course, not their pictures
    }
    void TearDown() override
    {
        GXTestSetDrawing(true);
        if (s_pTest)
            cSetDiscStatusCheck(m_oldCheck);
        s_pTest = nullptr;
        VISetFrameLimit(0);
        if (gcAct::s_pAct)
            std::destroy_at(gcAct::s_pAct);
        DrawingTest<gcFlowTest>::TearDown();
    }

    static gcNPC* Guard(int i) { return dcast<gcNPC>(gcEntityMgr::s_pInstances[G::kEntitySlot + i]); }

    // Called once a frame by the map loop (through the disc check).
    static void Probe()
    {
        if (s_pTest->m_oldCheck)
            s_pTest->m_oldCheck();
        s_pTest->Record();
    }
    void Record()
    {
        gcEntity* pPlayer = gcPlayer::Get()->m_pEntity;
        const int frame = static_cast<int>(m_samples.size());
        if (pPlayer) {
            // Held where it stands: the sample's ground does not hold it yet.
            mOCS at;
            at.MakeIdentity();
            at.origin = frame < kMeetFrame || frame >= kLeaveFrame ? kPlayerFar : kPlayerNear;
            if (!pPlayer->IsActive())
                pPlayer->Send(gcMsgActivate());
            pPlayer->SnapTo(0, at);
        }
        const gcNPC* p = Guard(0);
        const gcNPC* pOther = Guard(1);
        if (!p || !pOther)
            return;
        m_samples.push_back({p->m_model.m_localToParent.origin, pOther->m_model.m_localToParent.origin,
                             p->m_nCurState, p->m_stateInfo.m_nCurState,
                             p->IsOnPath(), pPlayer && p->m_pTarget == pPlayer, p->m_hBoundary.m_nValue != 0,
                             pPlayer ? pPlayer->GetStat(gcEntityTemplate::STAT_HEALTH) : -1.0f});
    }
    // The first frame from `from` on whose tactic is t; -1 when none.
    int FirstTactic(int t, int from = 0) const
    {
        for (int i = from; i < static_cast<int>(m_samples.size()); ++i)
            if (m_samples[i].tactic == t)
                return i;
        return -1;
    }
    int Problems() const
    {
        return m_log.Count(LOGTYPE_ERROR, "") + m_log.Count(LOGTYPE_WARNING, "");
    }

    static gcSampleGuardsTest* s_pTest;
    cDiscStatusCheckFunc m_oldCheck = nullptr;
    std::vector<Sample> m_samples;
    gcTestLogCapture m_log;
};

gcSampleGuardsTest* gcSampleGuardsTest::s_pTest = nullptr;

float Dist(const mVec3& a, const mVec3& b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}

TEST_F(gcSampleGuardsTest, PatrolThenChaseAndStrikeThePlayer)
{
    ASSERT_TRUE(gcMapLoader::Get()->Load(0, 0, 0));
    VISetFrameLimit(kFrames);
    gcMap::s_pMap->Run();
    ASSERT_GE(m_samples.size(), static_cast<size_t>(kFrames - 2));
    for (const auto& line : m_log.m_lines)
        EXPECT_NE(line.first, LOGTYPE_ERROR) << line.second;
    EXPECT_EQ(Problems(), 0);

    // Patrol: on its loop, walking, no target, moving along the loop's
    // first side (y = -2, x growing from 2) at the walk's speed.
    const Sample& early = m_samples[10];
    const Sample& later = m_samples[kMeetFrame - 5];
    EXPECT_EQ(early.tactic, G::kPatrol);
    EXPECT_TRUE(early.bOnPath);
    EXPECT_FALSE(early.bTargetsPlayer);
    EXPECT_EQ(later.npcState, gcNPC::STATE_WALKING);
    EXPECT_NEAR(later.guard.y, -2.0f, 0.3f);
    EXPECT_NEAR(later.guard.z, -2.1f, 0.05f) << "the body's centre a collider height above the ground";
    const float seconds = static_cast<float>(kMeetFrame - 15) / 30.0f;
    EXPECT_NEAR(later.guard.x - early.guard.x, G::kWalkSpeed * seconds, 0.5f);
    EXPECT_FLOAT_EQ(later.fPlayerHealth, early.fPlayerHealth) << "untouched while far";
    // The middle guard's loop starts along y = 2 eastward from x = -12.
    EXPECT_NEAR(later.other.y, 2.0f, 0.3f);
    EXPECT_NEAR(later.other.x - early.other.x, G::kWalkSpeed * seconds, 0.5f);
    // ... and, the player never near it, walks that side again once round
    // (out along one path, back along the other).
    const Sample& last = m_samples.back();
    const Sample& before = m_samples[m_samples.size() - 31];
    EXPECT_NEAR(last.other.y, 2.0f, 0.3f);
    EXPECT_NEAR(last.other.x - before.other.x, G::kWalkSpeed, 0.3f) << "a second along the first side";

    // The chase: off the loop into its boundary, the player its target,
    // running toward it.
    const int chase = FirstTactic(G::kChase, kMeetFrame);
    ASSERT_GT(chase, kMeetFrame);
    EXPECT_LT(chase, kMeetFrame + 3) << "noticed at once";
    const Sample& running = m_samples[chase + 20];  // turned round and on its way
    EXPECT_FALSE(running.bOnPath);
    EXPECT_TRUE(running.bBoundary);
    EXPECT_TRUE(running.bTargetsPlayer);
    EXPECT_EQ(running.npcState, gcNPC::STATE_RUNNING);
    EXPECT_LT(Dist(running.guard, kPlayerNear), Dist(m_samples[chase].guard, kPlayerNear) - 0.5f);

    // The attack: the guard stands next to the player and swings; the
    // player's health drops by the blow, then again after the pause.
    const int attack = FirstTactic(G::kAttack, chase);
    ASSERT_GT(attack, chase);
    EXPECT_LT(Dist(m_samples[attack].guard, kPlayerNear), 2 * 0.4f + G::kReach + 0.5f);
    for (int i = attack + 2; i < kLeaveFrame; ++i) {
        const int8_t state = m_samples[i].npcState;
        EXPECT_TRUE(state == gcNPC::STATE_STANDING || state == gcNPC::STATE_ATTACKING) << "frame " << i;
    }
    std::vector<int> drops;
    for (int i = attack; i < kLeaveFrame; ++i)
        if (m_samples[i].fPlayerHealth < m_samples[i - 1].fPlayerHealth)
            drops.push_back(i);
    ASSERT_GE(drops.size(), 2u) << "a blow, and another after the pause";
    EXPECT_EQ(m_samples[drops[0]].npcState, gcNPC::STATE_ATTACKING);
    EXPECT_FLOAT_EQ(m_samples[drops[0] - 1].fPlayerHealth - m_samples[drops[0]].fPlayerHealth, G::kBlowDamage);
    EXPECT_GE(drops[1] - drops[0], static_cast<int>(G::kSwingPause * 30.0f));

    // The player got away: the guard gives up and walks its loop again,
    // from where it passes closest.
    const int back = FirstTactic(G::kPatrol, kLeaveFrame);
    ASSERT_GT(back, kLeaveFrame);
    EXPECT_LT(back, kLeaveFrame + 5);
    EXPECT_TRUE(m_samples[back + 2].bOnPath);
    EXPECT_FALSE(m_samples[back + 2].bTargetsPlayer);
    EXPECT_EQ(m_samples[back + 2].npcState, gcNPC::STATE_WALKING);
}

}  // namespace
