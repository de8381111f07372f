// Moving to region paths and points, following paths, turning and aiming.
#include "gcGameCore/entities/gcEntity.h"

#include <cmath>

#include <gtest/gtest.h>

#include "datagen/scriptWriters.h"
#include "eEngine/modelTestSupport.h"
#include "entityTestObjects.h"
#include "gcGameCore/entities/gcRegionPath.h"
#include "gcGameCore/entities/gcRegionPoint.h"

namespace {

using E = gcEntity;

// An active entity at (2, 0) of region 1 whose mesh is 2 high, and an L of
// 20 units at height 3 in region 1, rolled 30 degrees.
class gcEntityMoveTest : public EntityWorldTest {
protected:
    void SetUp() override
    {
        EntityWorldTest::SetUp();
        datagen::MeshDesc mesh = FigureDesc();
        mesh.colliderSize = mVec3(0.5f, 0.75f, 2.0f);
        ASSERT_NE(PlaceMesh(m_data, &m_pool, 5, mesh), nullptr);
        m_t = PlaceTemplate();
        m_t->hMesh = eMeshMgr::GetHandle(5);
        m_e = Active(PlacedEntity(m_t, mVec3(2, 0, 0)));
        m_path = NewRegionPath(&m_pool, 1, {{0, 0, 3, 30}, {10, 0, 3, 30}, {10, 10, 3, 30}});
    }
    static gcTestEntity* Active(gcTestEntity* e)
    {
        e->m_nEntityFlags &= static_cast<uint16_t>(~(E::kDeactivated | E::kFrozen));
        return e;
    }
    void MoveTo(float x, float y)
    {
        m_e->m_model.m_localToParent.origin.Set(x, y, 0);
        m_e->m_model.SetGeomFlagsOnOff(eGeom::kDirty, 0);
    }
    void OnPath(float cur, float desired)
    {
        m_e->m_pRegionPath = m_path;
        m_e->m_nEntityFlags |= E::kOnPath;
        m_e->m_fPathT = cur;
        m_e->m_fPathTDesired = desired;
    }

    gcTestEntityTemplate* m_t = nullptr;
    gcTestEntity* m_e = nullptr;
    gcRegionPath* m_path = nullptr;
};

TEST_F(gcEntityMoveTest, PathPositionsAreFractionsOfTheLength)
{
    struct Row {
        float src, dest;
        bool bClosest, bRaise;
        float cur, desired;
    } const rows[] = {
        {0.5f, 0.25f, false, false, 1.0f, 0.5f},  // 10 and 5 of 20 units
        {0.5f, 0.75f, true, true, 0.2f, 1.5f},    // from the point closest to (2, 0)
        {0.0f, 1.0f, false, false, 0.0f, 2.0f},
    };
    for (const Row& r : rows) {
        m_e->HandleMoveToPath(gcMsgMoveToPath(m_path, r.src, r.dest, r.bClosest, false, r.bRaise, nullptr));
        EXPECT_FLOAT_EQ(m_e->m_fPathT, r.cur);
        EXPECT_FLOAT_EQ(m_e->m_fPathTDesired, r.desired);
        EXPECT_FLOAT_EQ(m_e->m_fPathTClosest, 0.2f);
        EXPECT_EQ(m_e->m_nEntityFlags & (E::kOnPath | E::kPathOffsetHeight),
                  r.bRaise ? E::kOnPath | E::kPathOffsetHeight : E::kOnPath);
    }
    s_regionIds[0] = -1;  // not resident: the source stands in for the closest position
    m_e->HandleMoveToPath(gcMsgMoveToPath(m_path, 1.25f, 1.0f, true, false, false, nullptr));
    EXPECT_FLOAT_EQ(m_e->m_fPathT, 1.25f);
}

TEST_F(gcEntityMoveTest, FollowingStepsAFrameAheadNeverBackAndStopsAtTheGoal)
{
    struct Row {
        const char* name;
        float x, y, cur, desired, newCur;
        bool more;
        float heading, roll;  // turned at rate 0: straight at the aim
    } const rows[] = {
        {"20 x 0.1 ahead of (2, 0)", 2, 0, 0.0f, 2.0f, 0.4f, true, -90, 30},
        {"never back", 2, 0, 0.9f, 2.0f, 0.9f, true, -90, 30},
        {"not past the goal", 4, 0, 0.4f, 0.5f, 0.5f, true, -90, 30},
        {"backward, roll negated", 10, 5, 1.8f, 0.0f, 1.3f, true, 180, -30},
        {"at the goal", 10, 10, 2.0f, 2.0f, 2.0f, false, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        MoveTo(r.x, r.y);
        OnPath(r.cur, r.desired);
        mVec3 hpr;
        EXPECT_EQ(m_e->HandleFollowPath(&hpr, 0.1f, 0.0f), r.more);
        EXPECT_FLOAT_EQ(m_e->m_fPathT, r.newCur);
        EXPECT_NEAR(std::fabs(hpr.x), std::fabs(r.heading), r.more ? 1e-2f : 180.0f);
        EXPECT_NEAR(hpr.z, r.roll, r.more ? 1e-2f : 180.0f);
    }
    s_regionIds[0] = -1;  // the entity's region is gone: the desired orientation
    m_e->m_desiredHPR[0] = 12.0f;
    mVec3 hpr;
    EXPECT_FALSE(m_e->HandleFollowPath(&hpr, 0.1f, 0.0f));
    EXPECT_EQ(hpr.x, 12.0f);
}

TEST_F(gcEntityMoveTest, HeightOnThePath)
{
    struct Row {
        const char* name;
        uint32_t templateFlags;
        float health;
        uint16_t raise;
        float z;
    } const rows[] = {
        {"the path's height", 0, 0.25f, 0, 3},
        {"and the collider's", 0, 100, E::kPathOffsetHeight, 5},
        {"full orientation keeps its own", gcEntityTemplate::kFullOrientation, 100, 0, -1},
        {"the dead keep theirs", 0, 0, 0, -1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        m_t->nEntityTemplateFlags = r.templateFlags;
        m_e->SetStat(gcEntityTemplate::STAT_HEALTH, r.health);
        OnPath(0, 2);
        m_e->m_nEntityFlags |= r.raise;
        m_e->m_fPathTClosest = 0.5f;
        mOCS frame = MakeFrame(4, 0, -1);
        m_e->HandleHeightOnPath(&frame);
        EXPECT_EQ(frame.origin, mVec3(4, 0, r.z));
        m_e->DetachFromPath();
    }
}

TEST_F(gcEntityMoveTest, CompletionRaisesEventThirteenThenTheMessagesEventOnce)
{
    gcStateMachine* m = datagen::NewStateMachine(&m_pool, "Brain", gcStateMachineHandle());
    FillEvent(m->onEvent, b.Record(1));
    gcStateMachineMgr::Add(4, m, 0x44);
    m_t->hStateMachine = m->m_handle;
    ASSERT_TRUE(m_e->Reset(&m_pool));
    gcEvent done("OnCompleted", "test");
    FillEvent(done, b.Record(2));
    m_e->HandleMoveToPath(gcMsgMoveToPath(m_path, 0.0f, 1.0f, true, false, false, &done));
    EXPECT_TRUE(m_e->UpdatePathPos());  // at (2, 0): far from the end
    MoveTo(10, 10);
    m_e->m_fPathT = 2.0f;
    EXPECT_FALSE(m_e->UpdatePathPos());
    ASSERT_EQ(TestLogTags(), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(TestLog()[0].nEventId, gcMsgEvent::ID_ONPATHCOMPLETED);
    EXPECT_EQ(EntityLog().back().nId, MSG_DETACHFROMPATH);
    EXPECT_FALSE(m_e->IsOnPath());
    EXPECT_FALSE(m_e->UpdatePathPos());
    EXPECT_EQ(TestLog().size(), 2u);
    EXPECT_FLOAT_EQ(m_e->GetCurPathT(true), 1.0f);  // the closest position stays
    EXPECT_FLOAT_EQ(m_e->GetCurPathT(false), 2.0f);
    m_e->OnMemPoolReset(&m_pool);  // the map's pool goes, and the path with it
    EXPECT_EQ(m_e->GetCurPathT(true), 0.0f);
    done.pAction = nullptr;  // the pool holds the actions
}

TEST_F(gcEntityMoveTest, AnInactiveEntityOnlyLeavesItsPathUnlessSnapped)
{
    gcEvent done("OnCompleted", "test");
    OnPath(1.0f, 2.0f);
    m_e->m_nEntityFlags |= E::kPathOffsetHeight | E::kDeactivated;
    m_e->m_offsetPath[0] = m_e->m_offsetPath[1] = 1.0f;
    m_e->m_pOnPathCompleted = &done;
    gcRegionPath* other = NewRegionPath(&m_pool, 1, {{0, 0, 0}, {0, 8, 0}});
    m_e->HandleMoveToPath(gcMsgMoveToPath(other, 0.0f, 1.0f, false, false, false, nullptr));
    EXPECT_EQ(m_e->m_nEntityFlags & (E::kOnPath | E::kPathOffsetHeight), 0);
    const float cleared[] = {m_e->m_fPathT, m_e->m_fPathTDesired, m_e->m_offsetPath[0], m_e->m_offsetPath[1]};
    for (float f : cleared)
        EXPECT_EQ(f, 0.0f);
    EXPECT_EQ(m_e->m_pOnPathCompleted, nullptr);
    EXPECT_EQ(m_e->m_pRegionPath, m_path);

    // Snapped, it takes the path at a quarter of its length, raised.
    m_e->HandleMoveToPath(gcMsgMoveToPath(m_path, 0.25f, 1.0f, false, true, true, nullptr));
    EXPECT_TRUE(m_e->IsOnPath());
    EXPECT_EQ(m_e->m_model.m_localToParent.origin, mVec3(5, 0, 5));
    EXPECT_NEAR(m_e->m_desiredHPR[0], -90.0f, 1e-3f);
    EXPECT_NEAR(m_e->m_desiredHPR[2], 30.0f, 1e-3f);
}

TEST_F(gcEntityMoveTest, MoveToPointPlacesTheEntityWhateverSnapSays)
{
    gcRegionPoint point;
    point.m_nRegionId = 2;
    point.m_localToRegion = MakeFrame(1, 2, 3, 90.0f);
    for (int i = 0; i < 4; ++i) {
        const bool bSnap = i & 1, bRaise = i & 2;
        OnPath(0, 2);
        m_e->m_desiredHPR[1] = m_e->m_desiredHPR[2] = 7.0f;
        m_e->HandleMoveToPoint(gcMsgMoveToPoint(&point, bSnap, bRaise));
        EXPECT_FALSE(m_e->IsOnPath());
        EXPECT_EQ(m_e->m_nRegionId, 2);
        EXPECT_EQ(m_e->m_model.m_localToParent.origin, mVec3(1, 2, bRaise ? 5.0f : 3.0f));
        EXPECT_NEAR(m_e->m_desiredHPR[0], 90.0f, 1e-4f);
        EXPECT_EQ(m_e->m_desiredHPR[1] + m_e->m_desiredHPR[2], 0.0f);
    }
}

TEST_F(gcEntityMoveTest, TurningTakesTheShortWayAndKeepsPitchWithinEighty)
{
    struct Row {
        float current, desired, weight, expected;
    } const rows[] = {
        {-170, 170, 0.85f, -173},  // through 180: 15 % of -20
        {170, -170, 0.85f, 173},
        {0, 90, -1, 13.5f},  // the template's 0.85
        {0, 90, 0, 90},
    };
    for (const Row& r : rows) {
        m_e->m_model.m_localToParent.basis.SetH(r.current);
        m_e->m_desiredHPR[0] = r.desired;
        EXPECT_NEAR(m_e->HandleHeadingChange(0.0f, r.weight), r.expected, 1e-3f) << r.current << " to " << r.desired;
    }
    // On a path the heading is the path's: from (2, 0) along +x.
    OnPath(0, 2);
    m_e->m_desiredHPR[1] = 5.0f;
    EXPECT_NEAR(m_e->HandleHeadingChange(0.1f, 0.0f), -90.0f, 1e-2f);
    EXPECT_NEAR(m_e->m_desiredHPR[0], -90.0f, 1e-2f);
    EXPECT_EQ(m_e->m_desiredHPR[1], 0.0f);
    m_e->DetachFromPath();

    m_e->m_model.m_localToParent.basis.MakeIdentity();
    m_e->m_desiredHPR[1] = 89.0f;
    mVec3 hpr;
    m_e->HandleHPRChange(0.0f, &hpr, 0.0f);
    EXPECT_NEAR(hpr.y, 80.0f, 1e-3f);
    // A path that climbs almost straight up: followed, the pitch stays at 80.
    m_path = NewRegionPath(&m_pool, 1, {{2, 0, 0}, {2.5f, 0, 100}});
    OnPath(0, 1);
    m_e->HandleHPRChange(0.1f, &hpr, 0.0f);
    EXPECT_NEAR(hpr.y, 80.0f, 1e-3f);
    EXPECT_NEAR(m_e->m_desiredHPR[1], 80.0f, 1e-3f);
}

TEST_F(gcEntityMoveTest, AimingBlendsTheBearingWithTheMovement)
{
    gcTestEntity* other = PlacedEntity(m_t, mVec3(10, 0, 0));
    other->m_nRegionId = 2;  // world (110, 0, 0): due east, heading -90
    ASSERT_TRUE(m_e->Enable());
    ASSERT_TRUE(other->Enable());
    struct Row {
        const char* name;
        gcTestEntity* other;
        bool bActive;
        mVec3 velocity;
        float weight, expected;
    } const rows[] = {
        {"inactive: unchanged", other, false, mVec3(0, 0, 0), 0, 33},
        {"none: unchanged", nullptr, false, mVec3(0, 0, 0), 0, 33},
        {"the bearing", other, true, mVec3(0, 0, 0), 0, -90},
        {"moving across, not towards", other, true, mVec3(0, 1, 0), 0.5f, -45},
        {"moving towards it", other, true, mVec3(1, 1, 0), 0.5f, -67.5f},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        if (r.bActive)
            Active(other);
        m_e->m_desiredHPR[0] = 33.0f;
        m_e->m_velocity = r.velocity;
        m_e->UpdateDesiredHeading(r.other, r.weight);
        EXPECT_NEAR(m_e->m_desiredHPR[0], r.expected, 1e-3f);
    }
}

}  // namespace
