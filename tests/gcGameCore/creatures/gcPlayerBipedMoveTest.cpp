// The biped's movement in a zone built from datagen data: flat ground, a
// 70-degree slope, a ledge, a wall and a touch surface, walked by the root
// motion of a datagen animation.
#include <memory>

#include <gtest/gtest.h>

#include "gcGameCore/actions/gcDoSetValue.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/creatures/gcPlayerBiped.h"
#include "gcGameCore/creatures/gcPlayerBipedTemplate.h"
#include "gcGameCore/entities/entityTestTypes.h"
#include "gcGameCore/entities/gcSurface.h"
#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcScriptTestObjects.h"
#include "gcGameCore/values/gcValEntityStat.h"
#include "playerMoveTestFixture.h"

namespace {

using B = gcPlayerBiped;
using T = gcPlayerBipedTemplate;

constexpr float kHalfHeight = 0.9f;  // the collider's z radius: the origin stands this high
constexpr float kTan70 = 2.7474774f;

class BipedMoveTest : public PlayerMoveTest {
protected:
    void SetUp() override
    {
        PlayerMoveTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(PlaceFigure(mVec3(0.4f, 0.4f, kHalfHeight), 3.0f, false));  // a walk
        m_pTemplate = m_pool.New<gcPlayerBipedTemplate>();
        m_pTemplate->hMesh = eMeshMgr::GetHandle(kMeshSlot);
        m_pTemplate->nCollisionMask = 0xFFFFFFFF;
        m_pTemplate->animationConfigs[T::ANIM_WALK].hAnimation = eAnimationMgr::GetHandle(kAnimSlot);
        gcEntityTemplateMgr::Add(kTemplateSlot, m_pTemplate, 0x77);
        // The touch-only and the sliding surface are the game's.
        m_touch.m_nCollisionMask = m_slide.m_nCollisionMask = 0xFFFFFFFF;
        m_touch.m_flags = B::kSurfTouch;
        m_slide.m_flags = B::kSurfSliding;
        eSurfaceMgr::Add(kSurfaceSlot + kTouch, &m_touch, 0x100 + kTouch);
        eSurfaceMgr::Add(kSurfaceSlot + kSlide, &m_slide, 0x100 + kSlide);
        TestLog().clear();
    }
    gcCreature* Player() const override { return m_pBiped; }
    // Flat ground (surface 0, not a game surface) at z = 0 over the zone's
    // middle, and the extra quads.
    eZone* Build(std::vector<ColTri> extra)
    {
        AddQuad(&extra, {-20, -20, 0}, {20, -20, 0}, {20, 20, 0}, {-20, 20, 0});
        return AddZone(0, {0, 0, 0}, extra);
    }
    gcPlayerBiped* Place(const mVec3& at)
    {
        m_pBiped = static_cast<gcPlayerBiped*>(m_pTemplate->CreateInstance(&m_pool));
        m_pBiped->m_nRegionId = 1;
        m_pBiped->m_model.m_localToParent.MakeIdentity();
        m_pBiped->m_model.m_localToParent.origin = at;
        EXPECT_TRUE(m_pBiped->Reset(&m_pool));
        m_pBiped->Send(gcMsgActivate());
        m_pBiped->Send(gcMsgUnfreeze());
        EXPECT_EQ(m_pBiped->m_nCurState, B::ST_STANDING);
        return m_pBiped;
    }
    void Tick(int n) { TickUntil(-2, n); }

    static constexpr int kTouch = 2, kSlide = 3;
    gcPlayerBipedTemplate* m_pTemplate = nullptr;
    gcPlayerBiped* m_pBiped = nullptr;
    gcSurface m_touch, m_slide;
    gcTestBuilder b{m_pool};
};

TEST_F(BipedMoveTest, StandingOnFlatGroundSavesTheSafePlacementEveryTick)
{
    ASSERT_NE(Build({}), nullptr);
    Place({1, 2, kHalfHeight + 0.3f});
    m_pBiped->m_nSafeRegionId = 7;
    Tick(30);
    EXPECT_NEAR(Pos().z, kHalfHeight, 2e-3f);
    EXPECT_EQ(m_pBiped->m_nFlags, 0u);
    EXPECT_EQ(m_pBiped->m_fallingTime, cTimeValue(0));
    EXPECT_EQ(m_pBiped->m_gravityVelocity.z, 0.0f);
    EXPECT_TRUE(m_pBiped->m_safeLocalToParent.origin.ApproxEqual(Pos(), 1e-5f));
    EXPECT_EQ(m_pBiped->m_nSafeRegionId, 1);
    const mVec3 before = Pos();
    Tick(1);
    EXPECT_TRUE(Pos().ApproxEqual(before, 1e-5f));  // a standing biped stays put
    EXPECT_EQ(m_pBiped->m_nCurState, B::ST_STANDING);
}

TEST_F(BipedMoveTest, WalkingIntoAWallStopsAtItUnlessTheConfigurationPassesWalls)
{
    std::vector<ColTri> wall;
    AddQuad(&wall, {20, 5, 0}, {20, 5, 10}, {-20, 5, 10}, {-20, 5, 0});  // faces -y
    ASSERT_NE(Build(wall), nullptr);
    Place({0, 3, kHalfHeight});
    m_pBiped->Send(gcMsgWalk());
    Tick(40);  // 2 units of walking, 1.6 to the wall
    EXPECT_NEAR(Pos().y, 5.0f - 0.4f, 5e-3f);
    EXPECT_NEAR(Pos().z, kHalfHeight, 5e-3f);
    EXPECT_NEAR(m_pBiped->m_velocity.y, 0.0f, 1e-5f);
    // Flag 0x2: through the wall, velocity and ground flags left alone.
    m_pTemplate->animationConfigs[T::ANIM_WALK].nFlags = B::kConfigNoCollision;
    m_pBiped->m_nFlags = B::kOnSteep;
    m_pBiped->m_velocity.Set(0, 0, 0);
    Tick(30);
    EXPECT_GT(Pos().y, 5.5f);
    EXPECT_EQ(m_pBiped->m_nFlags, B::kOnSteep);
    EXPECT_EQ(m_pBiped->m_velocity.y, 0.0f);
}

TEST_F(BipedMoveTest, OnlySurfacesOfTheTemplatesMaskStopIt)
{
    std::vector<ColTri> wall;  // of surface 1, whose mask is 0x2
    AddQuad(&wall, {20, 5, 0}, {20, 5, 10}, {-20, 5, 10}, {-20, 5, 0}, 1);
    ASSERT_NE(Build(wall), nullptr);
    for (uint32_t mask : {0x2u, 0x1u}) {
        SCOPED_TRACE(mask);
        m_pTemplate->nCollisionMask = mask;
        Place({0, 3, kHalfHeight});
        m_pBiped->Send(gcMsgWalk());
        Tick(40);
        EXPECT_EQ(Pos().y < 5.0f, mask == 0x2u) << Pos().y;
        std::destroy_at(m_pBiped);
        m_pBiped = nullptr;
    }
}

TEST_F(BipedMoveTest, TargetWalksAndDodgesGoTheStrafeHeadingAtTheAnimationsSpeed)
{
    ASSERT_NE(Build({}), nullptr);
    for (int a : {T::ANIM_TGT_L, T::ANIM_TGT_R, T::ANIM_DODGE_L})
        m_pTemplate->animationConfigs[a].hAnimation = eAnimationMgr::GetHandle(kAnimSlot);
    struct Row {
        int32_t msg;
        mVec3 dir;  // of one second's 3 units
    };
    const Row rows[] = {{MSG_WALKLEFT, {-1, 0, 0}}, {MSG_WALKRIGHT, {1, 0, 0}}, {MSG_DODGELEFT, {1, 0, 0}}};
    Place({0, -2, kHalfHeight});
    for (const Row& r : rows) {
        SCOPED_TRACE(r.msg);
        m_pBiped->Send(gcMsgForceStand());
        m_pBiped->m_model.m_localToParent.origin.Set(0, -2, kHalfHeight);
        m_pBiped->Send(gcMsg(r.msg, nullptr));  // the dodge keeps the right walk's strafe heading
        const mVec3 from = Pos();
        Tick(10);
        EXPECT_TRUE((Pos() - from).ApproxEqual(r.dir * 1.0f, 0.02f)) << Pos().x << " " << Pos().y;
        EXPECT_NEAR(gcEntity::GetHeading(m_pBiped->m_model.m_localToParent.basis.forward), 0.0f, 1e-3f);
    }
}

TEST_F(BipedMoveTest, OnASeventyDegreeSlopeItSlidesOnlyAfterHalfASecondBelowSevenAndAHalf)
{
    std::vector<ColTri> slope;  // rising along +y from the ground at y = 0
    AddQuad(&slope, {-20, 0, 0}, {20, 0, 0}, {20, 10, 10 * kTan70}, {-20, 10, 10 * kTan70});
    ASSERT_NE(Build(slope), nullptr);
    Place({0, 8, 8 * kTan70 + 1.5f});
    const int nSlid = TickUntil(B::ST_SLIDING, 200);
    ASSERT_GT(nSlid, 0);
    EXPECT_EQ(m_pBiped->m_nFlags & B::kOnSteep, B::kOnSteep);
    EXPECT_GT(m_pBiped->m_fallingTime, cTimeValue(300));
    EXPECT_LT(m_pBiped->m_gravityVelocity.z, -7.5f / 600.0f);
    EXPECT_GT(nSlid, 15);  // more than 300 ticks
    // At the bottom the ground ends the slide in the standing landing.
    EXPECT_GT(TickUntil(B::ST_SLAND, 200), 0);
    EXPECT_EQ(m_pBiped->m_nFlags, 0u);
}

TEST_F(BipedMoveTest, WalkingOffALedgeFallsOnlyAfterHalfASecondBelowFifteen)
{
    struct Row {
        float x, height;
        bool falls;
    };
    const Row rows[] = {{-12, 1.0f, false}, {12, 14.0f, true}};
    std::vector<ColTri> ledges;  // y below 0, side by side
    for (const Row& r : rows)
        AddQuad(&ledges, {r.x - 6, -20, r.height}, {r.x + 6, -20, r.height}, {r.x + 6, 0, r.height},
                {r.x - 6, 0, r.height});
    ASSERT_NE(Build(ledges), nullptr);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.height);
        Place({r.x, -0.5f, r.height + kHalfHeight});
        m_pBiped->Send(gcMsgWalk());
        int nFell = -1;
        for (int i = 1; i <= 90 && nFell < 0; ++i) {
            const cTimeValue airborne = m_pBiped->m_fallingTime;
            const float fSpeed = m_pBiped->m_gravityVelocity.z;
            m_pBiped->Send(gcMsgTick(cTimeValue(20)));
            if (m_pBiped->m_nCurState == B::ST_FALLING) {
                nFell = i;
                EXPECT_GT(m_pBiped->m_fallingTime, cTimeValue(300));
                EXPECT_LT(m_pBiped->m_gravityVelocity.z, -15.0f / 600.0f);
                EXPECT_FALSE(airborne > cTimeValue(300) && fSpeed < -15.0f / 600.0f);  // not a tick late
            }
        }
        EXPECT_EQ(nFell > 0, r.falls);
        if (r.falls)
            EXPECT_GT(TickUntil(B::ST_SLAND, 100), 0);  // the ground ends the fall
        else
            EXPECT_EQ(m_pBiped->m_nCurState, B::ST_WALKING);
        EXPECT_NEAR(Pos().z, kHalfHeight, 5e-3f);
        std::destroy_at(m_pBiped);
        m_pBiped = nullptr;
    }
}

TEST_F(BipedMoveTest, TheJumpDescentLandsStandingOrRunningByTheMovementScale)
{
    ASSERT_NE(Build({}), nullptr);
    struct Row {
        int state;
        float scale;
        int landing;
    };
    const Row rows[] = {{B::ST_RJUMP_DOWN, 1.0f, B::ST_RLAND},
                        {B::ST_RJUMP_DOWN, 0.5f, B::ST_SLAND},
                        {B::ST_DJUMP_DOWN, 0.6f, B::ST_RLAND},
                        {B::ST_SJUMP_DOWN, 1.0f, B::ST_SLAND}};
    Place({0, 0, kHalfHeight});
    for (const Row& r : rows) {
        SCOPED_TRACE(r.scale);
        m_pBiped->m_model.m_localToParent.origin.Set(0, 0, kHalfHeight + 2.0f);
        m_pBiped->m_nCurState = m_pBiped->m_nNextState = static_cast<int8_t>(r.state);
        m_pBiped->m_nextUpdate = cTimeValue(0);
        // The stat starts each tick at 1: the template's update holds it down.
        gcDoSetValue* pHold = m_pool.New<gcDoSetValue>();
        pHold->pDest = m_pool.New<gcValEntityStat>(gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR),
                                                     gcEntityTemplate::STAT_MOVEMENT_SCALE, false);
        pHold->pSource = m_pool.New<gcValTest>(gcValTest::NUMBER, r.scale, nullptr, nullptr);
        m_pTemplate->onUpdate.pAction = pHold;
        m_pBiped->m_fMovementScale = r.scale;
        EXPECT_GT(TickUntil(r.landing, 40), 5);  // after the drop
        EXPECT_NEAR(Pos().z, kHalfHeight, 5e-3f);
        m_pTemplate->onUpdate.pAction = nullptr;
    }
}

// A walk held down to under a thousandth of a unit a tick does not move the
// biped at all; just over it, it moves the whole step.
TEST_F(BipedMoveTest, AWalkingStepUnderAThousandthLeavesThePlace)
{
    ASSERT_NE(Build({}), nullptr);
    const struct {
        float scale;  // of the 0.1 units a tick of walking
        bool moves;
    } rows[] = {{0.009f, false}, {0.011f, true}};
    Place({0, 0, kHalfHeight});
    Tick(5);
    gcDoSetValue* pHold = m_pool.New<gcDoSetValue>();
    pHold->pDest = m_pool.New<gcValEntityStat>(gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR),
                                                 gcEntityTemplate::STAT_MOVEMENT_SCALE, false);
    auto* pScale = m_pool.New<gcValTest>(gcValTest::NUMBER, 1.0f, nullptr, nullptr);
    pHold->pSource = pScale;
    m_pTemplate->onUpdate.pAction = pHold;
    m_pBiped->Send(gcMsgWalk());
    for (const auto& r : rows) {
        SCOPED_TRACE(r.scale);
        pScale->m_fValue = r.scale;
        m_pBiped->m_fMovementScale = r.scale;
        Tick(2);
        const float fBefore = Pos().y;
        Tick(1);
        if (r.moves)
            EXPECT_NEAR(Pos().y - fBefore, 0.1f * r.scale, 1e-4f);
        else
            EXPECT_EQ(Pos().y, fBefore);
    }
    m_pTemplate->onUpdate.pAction = nullptr;
}

// An animation configuration with flag 0x1 takes no fall step: the biped
// hangs where it walks, its ground flags and fall speed cleared and its time
// in the air kept; without the flag it falls again.
TEST_F(BipedMoveTest, AConfigurationWithoutFallStepClearsTheGroundFlags)
{
    ASSERT_NE(Build({}), nullptr);
    Place({0, 0, kHalfHeight + 3.0f});
    m_pTemplate->animationConfigs[T::ANIM_WALK].nFlags = B::kConfigNoFall;
    m_pBiped->Send(gcMsgWalk());
    Tick(1);
    m_pBiped->m_nFlags = B::kGroundFlags;
    m_pBiped->m_gravityVelocity.Set(0, 0, -0.01f);
    m_pBiped->m_fallingTime = cTimeValue(100);
    const float fHeight = Pos().z;
    Tick(1);
    EXPECT_EQ(m_pBiped->m_nFlags, 0u);
    EXPECT_EQ(m_pBiped->m_gravityVelocity.z, 0.0f);
    EXPECT_EQ(m_pBiped->m_fallingTime, cTimeValue(100));
    EXPECT_EQ(Pos().z, fHeight);
    EXPECT_GT(Pos().y, 0.0f);
    m_pTemplate->animationConfigs[T::ANIM_WALK].nFlags = 0;
    Tick(1);
    EXPECT_EQ(m_pBiped->m_nFlags, B::kInAir);
    EXPECT_LT(Pos().z, fHeight);
}

TEST_F(BipedMoveTest, TheFirstTouchOfATouchSurfaceIsReportedOnceAndTouchedObjectsAreTold)
{
    std::vector<ColTri> curtain;  // touch only, across the way at y = 2
    AddQuad(&curtain, {20, 2, 0}, {20, 2, 5}, {-20, 2, 5}, {-20, 2, 0}, kTouch);
    eZone* pZone = Build(curtain);
    ASSERT_NE(pZone, nullptr);
    FillEvent(m_touch.onTouched, b.Record(7));
    gcTestEntity owner;
    std::vector<ColTri> box;
    AddBox(&box, {-0.5f, -0.5f, 0}, {0.5f, 0.5f, 2});
    AddModel(pZone, box, {0, 6, 0})->m_pOwner = &owner;
    EntityLog().clear();
    Place({0, 0, kHalfHeight});
    m_pBiped->Send(gcMsgWalk());
    Tick(70);  // through the curtain, into the box
    int nFirst = 0, nLater = 0;
    for (const gcTestLogEntry& e : TestLog()) {
        EXPECT_EQ(e.pInitiator, m_pBiped);
        (e.fParam1 == 1.0f ? nFirst : nLater)++;
    }
    EXPECT_EQ(nFirst, 1);
    EXPECT_GT(nLater, 0);
    EXPECT_NEAR(Pos().y, 6.0f - 0.5f - 0.4f, 5e-3f);
    int nTouched = 0;
    for (const gcEntityLogEntry& e : EntityLog())
        nTouched += e.pTo == &owner && e.nId == MSG_TOUCHED;
    EXPECT_GT(nTouched, 0);
}

TEST_F(BipedMoveTest, LeavingEveryZoneSnapsBackToTheSafePlacement)
{
    ASSERT_NE(Build({}), nullptr);
    struct Row {
        const char* what;
        int nStandTicks;
        mVec3 safe;
    };
    const Row rows[] = {
        {"never stood: where it was reset", 0, {3, -2, kHalfHeight + 5}},
        {"stood: where it stood", 40, {3, -2, kHalfHeight}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Place({3, -2, kHalfHeight + 5});  // off the ground's diagonal edge
        Tick(r.nStandTicks);
        // The camera follows the biped from elsewhere.
        gcGameCamera* pCam = gcGameCamera::Get();
        gcEntityMgr::Add(0, m_pBiped, 0xFFFF);
        pCam->FollowEntity(gcEntityMgr::GetHandle(0), true);
        const mVec3 behind = pCam->GetPos();
        pCam->MoveToWorld(mVec3(30, 30, 30));
        pCam->FollowEntity(gcEntityMgr::GetHandle(0), false);
        m_pBiped->m_model.m_localToParent.origin.Set(3, -2, -150);  // below the zone's box
        m_pBiped->m_model.SetGeomFlagsOnOff(eGeom::kDirty, 0);
        m_pBiped->Send(gcMsgRun());
        m_pBiped->m_nFlags = B::kInAir;
        Tick(1);
        EXPECT_TRUE(Pos().ApproxEqual(r.safe, 2e-3f)) << Pos().x << " " << Pos().y << " " << Pos().z;
        EXPECT_EQ(m_pBiped->m_nRegionId, 1);
        EXPECT_EQ(m_pBiped->m_nCurState, B::ST_STANDING);
        EXPECT_EQ(m_pBiped->m_nFlags, 0u);
        EXPECT_TRUE(m_pBiped->m_gravityVelocity.ApproxEqual(mVec3(0, 0, 0), 0.0f));
        EXPECT_TRUE(m_pBiped->IsActive());
        EXPECT_TRUE(pCam->GetPos().ApproxEqual(behind + (Pos() - r.safe), 1e-3f)) << pCam->GetPos().x;
        pCam->Reset(true);
        gcEntityMgr::s_pInstances[0] = nullptr;
        std::destroy_at(m_pBiped);
        m_pBiped = nullptr;
    }
}

// Ground running up to the zone's edge still holds a biped whose centre has
// just passed it. Walked off there, the biped comes back to where it last
// stood inside the zone, tick after tick, and is never left frozen outside.
TEST_F(BipedMoveTest, WalkingOffGroundAtTheZonesEdgeBringsItBackInside)
{
    constexpr float kEdge = 128.0f;  // the zone box's +y face
    std::vector<ColTri> ledge;
    AddQuad(&ledge, {-1, kEdge - 4, 0}, {1, kEdge - 4, 0}, {1, kEdge, 0}, {-1, kEdge, 0});
    ASSERT_NE(Build(ledge), nullptr);
    Place({0, kEdge - 2, kHalfHeight});
    Tick(5);
    // A tenth of a unit a tick: the twentieth step crosses the edge.
    for (int i = 0; i < 40; ++i) {
        SCOPED_TRACE(i);
        m_pBiped->Send(gcMsgWalk());  // the stick held
        Tick(1);
        ASSERT_TRUE(m_pBiped->IsActive());
        ASSERT_EQ(m_pBiped->m_nRegionId, 1);
        ASSERT_LE(Pos().y, kEdge);
        ASSERT_LE(m_pBiped->m_safeLocalToParent.origin.y, kEdge) << "saved outside the zone";
        EXPECT_NEAR(Pos().z, kHalfHeight, 2e-3f);
    }
    EXPECT_NEAR(Pos().y, kEdge - 0.1f, 1e-3f) << "the last step inside";
    EXPECT_EQ(m_pBiped->m_nCurState, B::ST_STANDING) << "put back standing";
    EXPECT_TRUE(m_pBiped->m_model.m_nGeomFlags & eGeom::kDraw) << "and shown";
}

// A safe placement saved just past the zone's edge is outside every zone
// too: the snap back's tick finds the biped outside again, and it then
// stays frozen there (region -1) rather than snapping back without end.
TEST_F(BipedMoveTest, ASafePlacementOutsideEveryZoneLeavesTheBipedFrozen)
{
    ASSERT_NE(Build({}), nullptr);
    Place({3, -2, kHalfHeight});
    Tick(5);
    m_pBiped->m_safeLocalToParent.origin.Set(3, -2, -150);  // below the zone's box
    m_pBiped->m_model.m_localToParent.origin.Set(3, -2, -150);
    m_pBiped->m_model.SetGeomFlagsOnOff(eGeom::kDirty, 0);
    Tick(1);
    EXPECT_EQ(m_pBiped->m_nRegionId, -1);
    EXPECT_FALSE(m_pBiped->IsActive());
    EXPECT_TRUE(Pos().ApproxEqual(mVec3(3, -2, -150), 1e-3f));
    Tick(3);  // frozen: nothing moves it
    EXPECT_TRUE(Pos().ApproxEqual(mVec3(3, -2, -150), 1e-3f));
    gcGameCamera::Get()->Reset(true);
}

}  // namespace
