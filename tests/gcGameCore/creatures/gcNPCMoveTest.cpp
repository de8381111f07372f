// NPC movement: root motion, boundaries found and kept to, sliding, the
// neighbours in the active table, turning and the events of being blocked.
#include <gtest/gtest.h>

#include <vector>

#include "gcNPCTestFixture.h"

namespace {

using N = gcNPC;
using C = gcCreature;

class gcNPCMoveTest : public NPCTest {
protected:
    // A walking NPC: the stride plays, 2 units ahead every 20 ticks.
    gcNPC* Walker(const mVec3& at, float fHeading = 0.0f)
    {
        gcNPC* p = RunningNPC(at, fHeading);
        p->Send(gcMsgWalk());
        return p;
    }
    static void ExpectPos(const gcNPC* p, const mVec3& want)
    {
        const mVec3& got = p->m_model.m_localToParent.origin;
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(got[i], want[i], 1e-5f) << "component " << i;
    }
    float Heading(const gcNPC* p) const { return gcEntity::GetHeading(p->m_model.m_localToParent.basis.forward); }
};

// Without a boundary, or on a path, an NPC goes exactly where its root
// motion takes it and nothing blocks it; inside a boundary it goes there too.
TEST_F(gcNPCMoveTest, MovesByRootMotion)
{
    struct Row {
        const char* name;
        bool bBoundary;
        bool bOnPath;
        mVec3 at;
        mVec3 to;
    } rows[] = {
        {"free", false, false, {0, 4.5f, 1}, {0, 6.5f, 1}},
        {"on a path", true, true, {0, 4.5f, 1}, {0, 6.5f, 1}},
        {"inside its boundary", true, false, {0, 0, 1}, {0, 2, 1}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        m_map.m_boundaries.m_nEnd = kBoundarySlot;
        if (r.bBoundary)
            PlaceBoundary({0, 0, 0}, 10, 10);
        gcNPC* p = Walker(r.at);
        ASSERT_EQ(p->FindBoundary(), r.bBoundary);
        if (r.bOnPath)
            p->m_nEntityFlags |= gcEntity::kOnPath;
        TestLog().clear();
        Tick(p);
        ExpectPos(p, r.to);
        EXPECT_NEAR(p->m_velocity.y, 0.1f, 1e-6f);
        EXPECT_TRUE(TestLog().empty());
        p->Send(gcMsgDeactivate());
    }
}

// Walking into the wall: blocked at once (less than a quarter of the step
// made) raises OnHitBoundary once with the heading of the blocked move,
// unless the NPC is busy above running; a glancing move slides along.
TEST_F(gcNPCMoveTest, WallsStopOrSlide)
{
    const float kEdge = 5.0f - gcBoundary::kClipInset;
    struct Row {
        const char* name;
        float fHeading;
        int nState;
        mVec3 to;
        int nHitEvents;
    } rows[] = {
        {"straight into it", 0, N::STATE_WALKING, {0, kEdge, 1}, 1},
        {"busy while dodging", 0, N::STATE_DODGING, {0, kEdge, 1}, 0},
        {"glancing slides along", -45, N::STATE_WALKING, {1.4142135f, kEdge, 1}, 0},
    };
    PlaceBoundary({0, 0, 0}, 10, 10);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        gcNPC* p = Walker({0, 4.5f, 1}, r.fHeading);
        ASSERT_TRUE(p->FindBoundary());
        p->m_nCurState = static_cast<int8_t>(r.nState);
        TestLog().clear();
        Tick(p);
        ExpectPos(p, r.to);
        ASSERT_EQ(Count(TAG_HITBOUNDARY), r.nHitEvents);
        if (r.nHitEvents) {
            EXPECT_NEAR(TestLog()[0].fParam1, 0.0f, 1e-3f) << "straight ahead";
            EXPECT_EQ(TestLog()[0].fParam2, 0.0f);
            EXPECT_EQ(p->m_creatureTimeSince[C::TIMESINCE_HITBOUNDARY].m_nTicks, 0);
        }
        p->Send(gcMsgDeactivate());
    }
}

// A creature in the way stops the NPC at contact at its own height (other
// floors too) and raises OnHitNeighbor; its own target is touched, not hit.
TEST_F(gcNPCMoveTest, NeighboursStopAtContact)
{
    struct Row {
        const char* name;
        float fOtherZ;
        bool bTarget;
        bool bHit;
        int nBoundaryEvents;
    } rows[] = {
        {"a neighbour", 1, false, true, 1},
        {"a neighbour on another floor", 5, false, true, 1},
        {"its target", 1, true, false, 0},
    };
    PlaceBoundary({0, 0, 0}, 20, 20);
    gcNPC* p = RunningNPC({0, 0, 1});
    ASSERT_TRUE(p->FindBoundary());
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        gcNPC* q = RunningNPC({0, 1.2f, r.fOtherZ}, 90.0f);
        p->m_pTarget = r.bTarget ? q : nullptr;
        TestLog().clear();
        mVec3 to(0, 2, 1);
        EXPECT_EQ(p->HandleCollision(mVec3(0, 0, 1), 1.0f, &to), r.bHit);
        EXPECT_NEAR(to.y, 0.2f, 1e-5f);
        EXPECT_EQ(to.z, 1.0f);
        ASSERT_EQ(Count(TAG_HITNEIGHBOR), 1);
        EXPECT_EQ(TestLog()[0].pParticipant1, q);
        EXPECT_NEAR(TestLog()[0].fParam1, 0.0f, 1e-3f) << "the other straight ahead";
        EXPECT_NEAR(TestLog()[0].fParam2, 90.0f, 1e-3f) << "the normal, as the other faces";
        EXPECT_EQ(Count(TAG_HITBOUNDARY), r.nBoundaryEvents);
        EXPECT_EQ(p->m_creatureTimeSince[C::TIMESINCE_HITNEIGHBOR].m_nTicks, 0);
        p->m_pTarget = nullptr;
        q->Send(gcMsgDeactivate());
    }
}

// The boundary keeps a living NPC its collider height above the floor; a
// dead one keeps the height it was moving at.
TEST_F(gcNPCMoveTest, HeightAboveTheBoundary)
{
    PlaceBoundary({0, 0, 0}, 20, 20);
    gcNPC* p = RunningNPC({0, 0, 0.3f});
    ASSERT_TRUE(p->FindBoundary());
    for (float fHealth : {100.0f, 0.0f}) {
        SCOPED_TRACE(fHealth);
        p->SetStat(gcEntityTemplate::STAT_HEALTH, fHealth);
        mVec3 to(0, 2, 0.3f);
        EXPECT_FALSE(p->HandleCollision(mVec3(0, 0, 0.3f), 1.0f, &to));
        EXPECT_NEAR(to.y, 2.0f, 1e-6f);
        EXPECT_EQ(to.z, fHealth > 0.0f ? 1.0f : 0.3f);
    }
}

// A boundary test that writes no point (its region gone, or the NPC moved
// outside a circle by a script) leaves the NPC at its height, tick after tick.
TEST_F(gcNPCMoveTest, ABoundaryThatWritesNoPointLeavesTheHeight)
{
    for (bool bCircleOutside : {false, true}) {
        SCOPED_TRACE(bCircleOutside);
        gcBoundary* pBoundary = PlaceBoundary({0, 0, 0}, 20, 20);
        gcNPC* p = RunningNPC({0, 0, 1});
        ASSERT_TRUE(p->FindBoundary());
        if (bCircleOutside) {
            pBoundary->m_bCircular = true;
            pBoundary->m_fRadius = 3.0f;
            p->m_model.m_localToParent.origin.Set(10, 0, 1);
        } else {
            pBoundary->m_nRegionId = 9;  // not resident
        }
        mVec3 from = p->m_model.m_localToParent.origin;
        for (int tick = 0; tick < 5; ++tick) {
            mVec3 to = from + mVec3(0, 0.5f, 0);
            p->HandleCollision(from, 1.0f, &to);
            EXPECT_EQ(to.z, 1.0f) << tick;
            from = to;
        }
    }
}

// Wedged between three touching neighbours, every pass meets one and
// slides toward the next: three passes, then the NPC stays where it was.
TEST_F(gcNPCMoveTest, AtMostThreeSlidePasses)
{
    PlaceBoundary({0, 0, 0}, 20, 20);
    gcNPC* p = RunningNPC({0, 0, 1});
    ASSERT_TRUE(p->FindBoundary());
    // Each overlaps the NPC a little (centres 0.99 away, radii 0.5).
    RunningNPC({-0.594f, 0.792f, 1});
    RunningNPC({0.594f, 0.792f, 1});  // met first: later in the table, equally early
    RunningNPC({-0.3889f, -0.9104f, 1});
    TestLog().clear();
    mVec3 to(0, 2, 1);
    EXPECT_TRUE(p->HandleCollision(mVec3(0, 0, 1), 1.0f, &to));
    EXPECT_EQ(Count(TAG_HITNEIGHBOR), 3);
    EXPECT_NEAR(to.x, 0.0f, 1e-6f);
    EXPECT_NEAR(to.y, 0.0f, 1e-6f);
    EXPECT_EQ(Count(TAG_HITBOUNDARY), 1);
}

// The boundary chosen is the nearest floor at or below the NPC (z 1,
// collider height 1) no more than twice the collider height down.
TEST_F(gcNPCMoveTest, FindBoundaryTakesTheFloorBelow)
{
    struct Row {
        const char* name;
        std::vector<float> heights;
        int nChosen;  // index into heights, -1 none
        int16_t nRegion = 1;
        float fOffsetX = 0.0f;
    } rows[] = {
        {"one below", {0}, 0},
        {"the nearer of two", {-0.5f, 0.5f}, 1},
        {"the first of equals", {0.5f, 0.5f}, 0},
        {"never above", {1.5f}, -1},
        {"twice the height down", {-1.0f}, 0},
        {"further down", {-1.01f}, -1},
        {"its region not resident", {0}, -1, 3},
        {"not over it", {0}, -1, 1, 5.0f},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        m_map.m_boundaries.m_nEnd = kBoundarySlot;
        std::vector<gcBoundary*> placed;
        for (float z : r.heights) {
            placed.push_back(PlaceBoundary({r.fOffsetX, 0, z}, 4, 4));
            placed.back()->m_nRegionId = r.nRegion;
        }
        gcNPC* p = RunningNPC({0, 0, 1});
        p->m_nEntityFlags |= gcEntity::kOnPath;
        EXPECT_EQ(p->FindBoundary(), r.nChosen >= 0);
        EXPECT_EQ(p->m_hBoundary, r.nChosen >= 0 ? placed[r.nChosen]->m_handle : gcBoundaryHandle());
        EXPECT_EQ(p->IsOnPath(), r.nChosen < 0);
        p->Send(gcMsgDeactivate());
    }
}

// Moving to a path leaves the boundary; leaving a path is done only where
// a boundary is found.
TEST_F(gcNPCMoveTest, PathsAndBoundaries)
{
    PlaceBoundary({0, 0, 0}, 4, 4);
    gcNPC* p = RunningNPC({0, 0, 1});
    ASSERT_TRUE(p->FindBoundary());
    p->Send(gcMsgMoveToPath(nullptr, 0, 1, false, false, false, nullptr));
    EXPECT_EQ(p->m_hBoundary, gcBoundaryHandle());
    p->m_nEntityFlags |= gcEntity::kOnPath;
    m_map.m_boundaries.m_nEnd = kBoundarySlot;
    EXPECT_EQ(p->Send(gcMsgDetachFromPath()), 1);
    EXPECT_TRUE(p->IsOnPath());
    m_map.m_boundaries.m_nEnd = kBoundarySlot + 1;
    p->Send(gcMsgDetachFromPath());
    EXPECT_FALSE(p->IsOnPath());
    EXPECT_NE(p->m_hBoundary, gcBoundaryHandle());
}

// Turning toward the desired heading (90) at the template's rate (0.5)
// unless the target dodges or dodged within a quarter second (0.95).
TEST_F(gcNPCMoveTest, TurnsSlowlyAgainstADodgingTarget)
{
    m_t->fEntityValues[gcEntityTemplate::VAL_TURNRATE] = 0.5f;
    struct Row {
        const char* name;
        bool bTarget;
        int nTargetState;
        int32_t nDodgedTicksAgo;
        float fHeading;
    } rows[] = {
        {"no target", false, N::STATE_STANDING, C::kNever, 45},
        {"a standing target", true, N::STATE_STANDING, C::kNever, 45},
        {"a dodging target", true, N::STATE_DODGING, C::kNever, 4.5f},
        {"dodged 149 ticks ago", true, N::STATE_STANDING, 149, 4.5f},
        {"dodged 150 ticks ago", true, N::STATE_STANDING, 150, 45},
    };
    gcNPC* p = RunningNPC({0, 0, 1});
    gcNPC* q = RunningNPC({0, 0, 30});
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        p->m_model.m_localToParent = MakeFrame(0, 0, 1);
        p->m_model.SetGeomFlagsOnOff(eGeom::kDirty, 0);
        p->m_desiredHPR[0] = 90.0f;
        p->m_pTarget = r.bTarget ? q : nullptr;
        q->m_nCurState = static_cast<int8_t>(r.nTargetState);
        q->m_creatureTimeSince[C::TIMESINCE_DODGE] = cTimeValue(r.nDodgedTicksAgo);
        p->Move(cTimeValue(20));
        EXPECT_NEAR(Heading(p), r.fHeading, 1e-3f);
    }
    p->m_pTarget = nullptr;
}

// Only a template with full orientation pitches toward the desired pitch.
TEST_F(gcNPCMoveTest, FullOrientationAlsoPitches)
{
    for (bool bFull : {false, true}) {
        SCOPED_TRACE(bFull);
        m_t->nEntityTemplateFlags = bFull ? gcEntityTemplate::kFullOrientation : 0;
        gcNPC* p = RunningNPC({0, 0, 1});
        p->m_desiredHPR[1] = 30.0f;
        p->Move(cTimeValue(20));
        float h, pitch, r;
        p->m_model.m_localToParent.basis.GetHPR(&h, &pitch, &r);
        if (bFull)
            EXPECT_GT(pitch, 1.0f);
        else
            EXPECT_EQ(pitch, 0.0f);
        p->Send(gcMsgDeactivate());
    }
}

// After a hit the desired heading keeps a quarter of the NPC's own
// movement: with a target at (-10, 20) and the move straight ahead, 0.75 of
// the bearing; without a hit the whole bearing.
TEST_F(gcNPCMoveTest, DesiredHeadingWeighsOwnMovementAfterAHit)
{
    struct Row {
        const char* name;
        float fDepth;  // of the boundary around the origin
        float fDesired;
    } rows[] = {
        {"free", 40, 36.528808f},      // atan(10 / 13.5)
        {"blocked", 10, 25.267483f},  // 0.75 x atan(10 / 15.00001)
    };
    m_t->nEntityTemplateFlags = gcEntityTemplate::kTargetable;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        m_map.m_boundaries.m_nEnd = kBoundarySlot;
        PlaceBoundary({0, 0, 0}, 40, r.fDepth);
        gcNPC* p = Walker({0, 4.5f, 1});
        ASSERT_TRUE(p->FindBoundary());
        gcNPC* q = RunningNPC({-10, 20, 1});
        q->m_team = gcEntityTemplate::TEAM_FRIENDLY;
        p->m_pTarget = q;
        Tick(p);
        EXPECT_NEAR(p->m_desiredHPR[0], r.fDesired, 1e-3f);
        p->m_pTarget = nullptr;
        p->Send(gcMsgDeactivate());
        q->Send(gcMsgDeactivate());
    }
}

// A strafe heading that is no number is refused and the last one kept:
// taken, it would make the position none for good.
TEST_F(gcNPCMoveTest, AStrafeHeadingThatIsNoNumberIsRefused)
{
    m_t->animationConfigs[gcNPCTemplate::ANIM_TGT_F].hAnimation = eAnimationMgr::GetHandle(kWalkSlot);
    gcNPC* p = RunningNPC({0, 0, 1});
    p->Send(gcMsgPlain<MSG_WALKFORWARD>());
    ASSERT_EQ(p->m_nCurState, N::STATE_TGTWALKING);
    EXPECT_EQ(p->Send(gcMsgStrafeDir(90.0f)), 1);
    gcTestLogCapture quiet;
    for (float f : {NAN, INFINITY, -INFINITY}) {
        SCOPED_TRACE(f);
        EXPECT_EQ(p->Send(gcMsgStrafeDir(f)), 0);
        EXPECT_EQ(p->m_fStrafeDir, 90.0f);
    }
    EXPECT_EQ(quiet.Count(LOGTYPE_WARNING, "refuses the strafe heading"), 3);
    Tick(p);
    ExpectPos(p, {-2, 0, 1});  // the stride's 2 units to the left
}

}  // namespace
