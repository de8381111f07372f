// The camera's controllers, collision, trigger queries and stick directions,
// run in a zone loaded from datagen data: region 1 resident in slot 0 at the
// world origin, an entity, region points and paths of that region.
#include "gcGameCore/camera/gcGameCamera.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "eEngine/eMesh.h"

#include "eEngine/collisionTestSupport.h"
#include "gcGameCore/camera/gcCameraOccluders.h"
#include "oneTint.h"
#include "gcGameCore/entities/entityTestObjects.h"
#include "gcGameCore/entities/gcRegionPath.h"
#include "gcGameCore/entities/gcRegionPoint.h"
#include "gcGameCore/entities/gcRegionTrigger.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/script/gcScriptTestObjects.h"

namespace {

using C = gcGameCamera;
using P = gcGameCameraParams;

constexpr int kEntitySlot = 7, kPointSlot = 8, kPathSlot = 9, kPath2Slot = 10, kMeshSlot = 11;
const gcEntityHandle kEntity = gcEntityHandle::Make(kEntitySlot, 0x21);
const gcRegionPointHandle kPoint = gcRegionPointHandle::Make(kPointSlot, 0x22);
const gcRegionPathHandle kPath = gcRegionPathHandle::Make(kPathSlot, 0x23);
const gcRegionPathHandle kAlongX = gcRegionPathHandle::Make(kPath2Slot, 0x24);

#define EXPECT_VEC_NEAR(a, b, tol)                                                                              \
    do {                                                                                                        \
        const mVec3 va = (a), vb = (b);                                                                         \
        EXPECT_TRUE(va.ApproxEqual(vb, tol)) << va.x << " " << va.y << " " << va.z << " vs " << vb.x << " " << vb.y \
                                             << " " << vb.z;                                                    \
    } while (0)

class gcGameCameraControlTest : public CollisionTest {
protected:
    void SetUp() override
    {
        CollisionTest::SetUp();
        s_regionId = 1;
        gcEntityWorld::Funcs funcs{};
        funcs.pGetRegionId = [](int slot) { return slot == 0 ? s_regionId : -1; };
        m_oldFuncs = gcEntityWorld::Set(funcs);
        m_oldRegion = C::SetCurrentRegionFunc([] { return s_regionId == 1 ? 0 : -1; });
        m_oldTargeting = C::SetTargetingFunc([](const gcEntity*) { return s_bTargeting; });
        s_bTargeting = false;
        m_entity.m_nRegionId = 1;
        m_entity.m_nEntityFlags = 0;
        PlaceEntity({0, 0, 0});
        gcEntityMgr::Add(kEntitySlot, &m_entity, 0x21);
        m_point.m_nRegionId = 1;
        m_point.m_localToRegion = MakeFrame(0, 10, 0, 90);
        gcRegionPointMgr::Add(kPointSlot, &m_point, 0x22);
        // Along +y through (0, 0, 0) .. (0, 30, 0), and along +x at y = 5.
        gcRegionPathMgr::Add(kPathSlot, NewRegionPath(&m_pool, 1, {{0, 0, 0}, {0, 10, 0}, {0, 20, 0}, {0, 30, 0}}),
                             0x23);
        gcRegionPathMgr::Add(kPath2Slot,
                             NewRegionPath(&m_pool, 1, {{0, 5, 0}, {10, 5, 0}, {20, 5, 0}, {30, 5, 0}, {40, 5, 0}}),
                             0x24);
        m_cam.Reset(true);
    }
    void TearDown() override
    {
        gcEntityMgr::s_pInstances[kEntitySlot] = nullptr;
        gcRegionPointMgr::s_pInstances[kPointSlot] = nullptr;
        gcRegionPathMgr::s_pInstances[kPathSlot] = nullptr;
        gcRegionPathMgr::s_pInstances[kPath2Slot] = nullptr;
        eMeshMgr::s_pInstances[kMeshSlot] = nullptr;
        m_entity.m_model.m_hMesh = eMeshHandle();
        C::SetCurrentRegionFunc(m_oldRegion);
        C::SetTargetingFunc(m_oldTargeting);
        gcEntityWorld::Set(m_oldFuncs);
        CollisionTest::TearDown();
    }
    void PlaceEntity(const mVec3& at, float heading = 0.0f)
    {
        m_entity.m_model.m_localToParent = MakeFrame(at.x, at.y, at.z, heading);
        m_entity.m_model.m_nGeomFlags |= eGeom::kDirty;
    }
    void Tick(int n = 1)
    {
        for (int i = 0; i < n; ++i)
            m_cam.Send(gcMsgTick(cTimeValue(20)));
    }
    mVec3 Pivot() const { return m_entity.m_model.m_localToParent.origin; }  // OFF_ENTITY is 0
    // Follows the entity from the origin, walking on along +y a thousandth
    // a tick for 30 ticks: the camera settles behind it, clear of the world.
    void FollowWalkingOn()
    {
        PlaceEntity({0, 0, 0});
        m_entity.m_velocity.Set(0, 0.3f, 0);
        m_cam.FollowEntity(kEntity, true);
        for (int i = 1; i <= 30; ++i) {
            PlaceEntity({0, 0.001f * static_cast<float>(i), 0});
            Tick();
        }
    }
    // Gives the entity a mesh of its own, for its collider's size; taken
    // off again at the end of the test.
    eMesh& GiveMesh()
    {
        eMeshMgr::Add(kMeshSlot, &m_mesh, 0x25);
        m_entity.m_model.m_hMesh = eMeshMgr::GetHandle(kMeshSlot);
        return m_mesh;
    }
    // The mesh's box (half sizes), and the pivot 0.8 above the origin.
    void ShapeWithPivot(eMesh& mesh, float fHalfWidth, float fHalfHeight)
    {
        mesh.m_colliderSize.Set(fHalfWidth, fHalfWidth, fHalfHeight);
        mesh.m_fVisRadius = mesh.m_fColRadius = fHalfWidth;
        m_cam.m_params.m_fOffsets[P::OFF_ENTITY] = m_cam.m_LookAtCtrl.fEntityOffset = 0.8f;
        for (float& f : m_cam.m_LookAtCtrl.entityOffsetFilter)
            f = 0.8f;
    }

    static inline int s_regionId = 1;
    static inline bool s_bTargeting = false;
    C m_cam;
    gcMap m_map;
    gcTestEntity m_entity;
    eMesh m_mesh;
    gcRegionPoint m_point;
    gcTestBuilder b{m_pool};
    gcEntityWorld::Funcs m_oldFuncs{};
    C::CurrentRegionFunc m_oldRegion = nullptr;
    C::TargetingFunc m_oldTargeting = nullptr;
};

TEST_F(gcGameCameraControlTest, FollowingSnapsBehindAndDownAndTheViewHolds)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    PlaceEntity({2, 3, 0}, 90);  // facing -x
    m_cam.FollowEntity(kEntity, true);
    const float back = 6.5f * std::cos(15.0f * 0.01745329f), up = 6.5f * std::sin(15.0f * 0.01745329f);
    EXPECT_VEC_NEAR(m_cam.GetPos(), mVec3(2 + back, 3, up), 1e-3f);
    EXPECT_VEC_NEAR(m_cam.m_camera.m_cameraToWorld.basis.forward, mVec3(-std::cos(0.2617994f), 0, -std::sin(0.2617994f)), 1e-3f);
    EXPECT_EQ(m_cam.m_nFlags & C::kBehindEntity, C::kBehindEntity);
    EXPECT_NEAR(m_cam.m_curDesiredHPR.x, -90.0f, 1e-3f);
    EXPECT_FLOAT_EQ(m_cam.m_curDesiredHPR.y, 15.0f);
    const mVec3 placed = m_cam.GetPos();
    Tick(30);  // a standing entity: the camera keeps its place
    EXPECT_VEC_NEAR(m_cam.GetPos(), placed, 1e-2f);
    EXPECT_EQ(m_cam.m_nFlags & C::kBehindEntity, 0u);
    s_regionId = 4;  // the entity's region is dropped
    Tick();
    EXPECT_EQ(m_cam.m_PosCtrl.Mode, C::POSCTRL_NONE);
    EXPECT_VEC_NEAR(m_cam.GetPos(), placed, 1e-2f);
}

TEST_F(gcGameCameraControlTest, ATargetingCameraFartherThanOneAndAHalfDistancesSnapsBack)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    s_bTargeting = true;
    const float c = std::cos(15.0f * 0.01745329f), sn = std::sin(15.0f * 0.01745329f);
    struct Row {
        float dist, speed;
        mVec3 pos;  // after one tick
    };
    const Row rows[] = {
        {10.0f, 0.01f, {0, -6.5f, 0}},              // snapped back along the view it had
        {9.5f, 0.01f, {0, -9.5f * c, 9.5f * sn}},   // a moving entity: the distance holds
        {9.5f, 0.0f, {0, -8.9f * c, 8.9f * sn}},    // a standing one: it eases towards 6.5
        {9.74f, 0.01f, {0, -9.74f * c, 9.74f * sn}},  // just inside 1.5 x 6.5
        {9.76f, 0.01f, {0, -6.5f, 0}},              // just outside
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.dist << " at " << r.speed);
        m_entity.m_velocity.Set(0, r.speed, 0);
        m_cam.FollowEntity(kEntity, true);
        mOCS view;
        view.LookAt({0, -r.dist, 0}, {0, 0, 0}, {0, 0, 1});
        m_cam.MoveToWorld(view);
        m_cam.FollowEntity(kEntity, false);
        Tick();
        // Turned behind and above the entity at once, unless snapped back.
        EXPECT_VEC_NEAR(m_cam.GetPos(), r.pos, 1e-3f);
    }
}

// Following without a snap starts from where the camera is: behind the
// entity is asked for (flag 0x80), and the gains let a moving entity's
// camera run free.
TEST_F(gcGameCameraControlTest, FollowingWithoutSnapAsksForBehindFromWhereTheCameraIs)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    const struct {
        float speed;
        uint32_t flags;
        float hk, pk;
    } rows[] = {{0.01f, 0, 1.0f, 1.0f}, {0.0f, 0, 0.98f, 0.9f}, {0.01f, C::kAlternate, 0.98f, 0.9f}};
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.speed << " " << r.flags);
        m_entity.m_velocity.Set(0, r.speed, 0);
        m_cam.MoveToWorld(mVec3(3, 4, 5));
        m_cam.m_nFlags = r.flags;
        m_cam.FollowEntity(kEntity, false);
        EXPECT_EQ(m_cam.m_nFlags & C::kBehindEntity, C::kBehindEntity);
        EXPECT_EQ(m_cam.m_PosCtrl.Mode, C::POSCTRL_FOLLOWENTITY);
        EXPECT_FLOAT_EQ(m_cam.m_fFollowEntityHK, r.hk);
        EXPECT_FLOAT_EQ(m_cam.m_fFollowEntityPK, r.pk);
        EXPECT_EQ(m_cam.m_PosCtrl.filter[3], mVec3(3, 4, 5));
        EXPECT_EQ(m_cam.GetPos(), mVec3(3, 4, 5));
    }
    // A path that does not resolve stops the controller and keeps no handle.
    m_cam.FollowPath(gcRegionPathHandle::Make(kPathSlot, 0x99), 0, 1, false, true);
    EXPECT_EQ(m_cam.m_PosCtrl.Mode, C::POSCTRL_NONE);
    EXPECT_EQ(m_cam.m_PosCtrl.hPath, gcRegionPathHandle());
    EXPECT_EQ(m_cam.GetPos(), mVec3(3, 4, 5));
    s_regionId = 4;  // nor one whose region is not resident
    m_cam.FollowPath(kPath, 0, 1, false, true);
    EXPECT_EQ(m_cam.m_PosCtrl.Mode, C::POSCTRL_NONE);
    EXPECT_EQ(m_cam.m_PosCtrl.hPath, gcRegionPathHandle());
}

// An entity that is already running when the camera snaps behind it (as
// the player does when a map starts while the stick is held) is followed:
// the camera keeps its distance instead of standing where it was placed.
TEST_F(gcGameCameraControlTest, AnEntityRunningFromTheSnapIsFollowed)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    m_entity.m_velocity.Set(0, 0.01f, 0);  // moving along its facing, +y
    m_cam.FollowEntity(kEntity, true);
    const mVec3 placed = m_cam.GetPos();
    for (int i = 1; i <= 90; ++i) {
        PlaceEntity({0, 0.2f * static_cast<float>(i), 0});
        Tick();
    }
    EXPECT_GT(m_cam.GetPos().y - placed.y, 10.0f);
    EXPECT_LT(m_cam.GetPos().Dist(Pivot()), 1.5f * 6.5f);
    // Walking towards the camera still leaves it in its place, but for
    // the pitch easing back.
    m_cam.FollowEntity(kEntity, true);
    const mVec3 behind = m_cam.GetPos();
    PlaceEntity(Pivot() - mVec3(0, 0.5f, 0));
    Tick();
    EXPECT_EQ(m_cam.m_nFlags & C::kBehindEntity, C::kBehindEntity);
    EXPECT_VEC_NEAR(m_cam.GetPos(), behind, 0.02f);
}

// The shake of a followed entity's camera runs in the follow tick, once a
// tick: the camera stands off its place by the intensity.
TEST_F(gcGameCameraControlTest, AFollowingCameraShakesInItsOwnTick)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    m_cam.FollowEntity(kEntity, true);
    Tick(5);
    const mVec3 placed = m_cam.GetPos();
    m_cam.Shake(0.5f, cTimeValue(400), nullptr);
    Tick();
    EXPECT_EQ(m_cam.m_shakeRemainTime, cTimeValue(380));
    EXPECT_NEAR(m_cam.GetPos().Dist(placed), 0.5f, 0.02f);
}

// A turn to look at a point keeps the world's up axis up.
TEST_F(gcGameCameraControlTest, LookAtWorldKeepsTheWorldUpAxisUp)
{
    const struct {
        mVec3 to, forward, up;
    } rows[] = {{{0, 10, 0}, {0, 1, 0}, {0, 0, 1}},
                {{10, 0, 0}, {1, 0, 0}, {0, 0, 1}},
                {{0, 10, 10}, {0, 0.7071068f, 0.7071068f}, {0, -0.7071068f, 0.7071068f}}};
    for (const auto& r : rows) {
        m_cam.LookAtWorld(mVec3(0, 0, 0), r.to);
        const mBasis& basis = m_cam.m_camera.m_cameraToWorld.basis;
        EXPECT_VEC_NEAR(basis.forward, r.forward, 1e-5f);
        EXPECT_VEC_NEAR(basis.up, r.up, 1e-5f);
    }
}

TEST_F(gcGameCameraControlTest, AWallPullsTheCameraInAtOnceAndLetsItOutAfterASecond)
{
    std::vector<ColTri> wall;
    AddQuad(&wall, {-20, -3, -20}, {-20, -3, 20}, {20, -3, 20}, {20, -3, -20});  // faces +y
    ASSERT_NE(AddZone(0, {0, 0, 0}, wall), nullptr);
    const float r = m_cam.m_camera.m_frustum.GetNearCornerDistance();
    m_cam.FollowEntity(kEntity, true);
    EXPECT_NEAR(m_cam.GetPos().y, -3.0f + r, 2e-3f);  // in front of the wall by the collider's radius
    Tick();
    const float fPulled = m_cam.m_PosCtrl.fDesiredMinDist;
    EXPECT_LT(fPulled, 3.2f);
    EXPECT_EQ(m_cam.m_PosCtrl.timeSinceSnapped, cTimeValue(0));
    // The entity walks away from the wall: the distance waits one second.
    PlaceEntity({0, 40, 0});
    m_cam.MoveToWorld(mVec3(0, 40 - fPulled, 0.5f));
    m_cam.m_PosCtrl.fDesiredMinDist = fPulled;
    for (float& f : m_cam.m_PosCtrl.minDistFilter)
        f = fPulled;
    m_cam.m_PosCtrl.timeSinceSnapped = cTimeValue(0);
    Tick(29);
    EXPECT_EQ(m_cam.m_PosCtrl.timeSinceSnapped, cTimeValue(580));
    EXPECT_NEAR(m_cam.m_PosCtrl.fDesiredMinDist, fPulled, 2e-3f);  // filter rounding only
    Tick(10);
    EXPECT_EQ(m_cam.m_PosCtrl.timeSinceSnapped, cTimeValue(600));
    EXPECT_GT(m_cam.m_PosCtrl.fDesiredMinDist, fPulled + 0.02f);
    Tick(200);
    EXPECT_NEAR(m_cam.m_PosCtrl.fDesiredMinDist, 6.5f, 0.05f);
}

// The follow camera's pitch over the pivot stays within -5 .. 60 degrees:
// above the follow pitch (15) it eases back within about a second, moving
// or not, so walking at the camera does not tilt it up for good; between
// level and the follow pitch a moving entity's camera keeps its pitch;
// below level it goes no further (a climbing entity draws it along).
// Backed into a wall it swings round to where it has room rather than
// looking down steeply; a wall lower than the camera still holds it on the
// near side; under a ceiling with a wall behind it never looks up from
// beneath the entity.
TEST_F(gcGameCameraControlTest, TheFollowPitchStaysInItsRangeAndEasesBack)
{
    const float r = m_cam.m_camera.m_frustum.GetNearCornerDistance();
    const float kDeg = 57.29578f;
    const float kRad = 1.0f / kDeg;
    // kTurnedWall: a wall behind whose facing is turned by the row's tilt
    // (towards +x), so near that the camera has room only beyond about 45
    // degrees from it (kNearWall: the same, a tenth from the near plane).
    // kWell: walls all round too near for any room.
    // kCeilingLate: the ceiling comes over a camera placed in the open.
    // kLowCeiling: the pivot a tenth under the ceiling the camera meets.
    enum Shape { kOpen, kWallBehind, kLowWall, kCeiling, kCeilingAndWall, kTurnedWall, kWell, kCeilingLate, kLowCeiling, kNearWall };
    const struct {
        const char* name;
        Shape shape;
        mVec3 move;        // the entity's move a tick
        float startPitch;  // the camera placed at this pitch, 6.5 behind
        float pivotZ;      // the pivot's height (under a ceiling, kept below it)
        float minPitch, maxPitch;  // over every tick
        float endPitchBelow;       // after the last tick
        float minY;      // the camera never behind this
        float endDist;   // at least this far from the pivot at the end
        float endPitchAbove = -90.0f;
        int ticks = 45;
        float tilt = 0.0f;                                    // kTurnedWall's, degrees
        float endHeadingMin = -180.0f, endHeadingMax = 180.0f;  // from behind, towards +x
    } rows[] = {
        {"walking at the camera", kOpen, {0, -0.13f, 0}, 15.0f, 0.0f, 10.0f, 21.0f, 21.0f, -100.0f, 5.0f},
        {"moving on, pitched steeply", kOpen, {0.001f, 0, 0}, 55.0f, 0.0f, 14.0f, 55.5f, 21.0f, -100.0f, 5.0f},
        {"moving on, pitched low", kOpen, {0.001f, 0, 0}, 5.0f, 0.0f, 4.9f, 5.1f, 5.1f, -100.0f, 5.0f},
        {"climbing away", kOpen, {0, 0, 0.05f}, 5.0f, 0.0f, -0.01f, 5.1f, 0.25f, -100.0f, 5.0f},
        {"backed into a wall", kWallBehind, {0.001f, 0, 0}, 15.0f, 0.0f, -5.0f, 60.01f, 60.01f, -0.5f + r - 1e-3f,
         1.0f - 1e-3f},
        {"a low wall behind", kLowWall, {0.001f, 0, 0}, 40.0f, 0.0f, -5.0f, 60.01f, 60.01f, -2.0f + r - 1e-3f, 1.0f},
        {"a ceiling: a degree below it", kCeiling, {0, 0, 0}, 15.0f, 0.5f - r, -5.01f, 60.01f, -0.9f, -100.0f,
         5.0f, -1.25f},
        {"a ceiling and a wall behind", kCeilingAndWall, {0.001f, 0, 0}, 15.0f, 0.5f - r, -5.01f, 60.01f, 60.01f,
         -0.5f + r - 1e-3f, 1.0f - 1e-3f},
        // Eased back from steep within a second, not at once.
        {"moving on, pitched steeply, a second on", kOpen, {0.001f, 0, 0}, 55.0f, 0.0f, 14.0f, 55.5f, 25.0f, -100.0f,
         5.0f, 17.5f, 30},
        // Nowhere with room: over the entity, 4 degrees a tick, up to the cap.
        // Nowhere with room: over the entity, 4 degrees a tick against the
        // easing back, until the two balance.
        {"in a narrow well", kWell, {0.001f, 0, 0}, 15.0f, 0.0f, 14.9f, 56.0f, 56.0f, -0.3f - 1e-3f, 0.0f, 54.5f},
        {"placed steeper than the cap", kOpen, {0.001f, 0, 0}, 75.0f, 0.0f, 14.0f, 60.01f, 21.0f, -100.0f, 5.0f},
        // Beneath a low ceiling it comes down to a pitch that keeps its
        // distance, never under the pivot's level.
        {"a low ceiling", kLowCeiling, {0, 0, 0}, 15.0f, 0.4f - r, 0.0f, 11.01f, 6.0f, -100.0f, 0.0f, 0.0f},
        // Pulled in at once, then turned to a degree below the ceiling.
        {"a ceiling come over the camera", kCeilingLate, {0, 0, 0}, 15.0f, 0.5f - r, -5.01f, 11.01f, -0.9f, -100.0f,
         1.0f - 1e-3f, -1.25f},
        // Squeezed, the camera swings 6 degrees a tick towards the nearest
        // heading with room, on the side it last swung to (at first +x).
        {"a wall behind facing left of the entity", kTurnedWall, {0.001f, 0, 0}, 0.0f, 0.0f, -5.01f, 60.01f, 60.01f,
         -100.0f, 1.0f - 1e-3f, -90.0f, 45, 11.0f, 56.5f, 59.5f},
        {"a wall behind facing right of the entity", kTurnedWall, {0.001f, 0, 0}, 0.0f, 0.0f, -5.01f, 60.01f, 60.01f,
         -100.0f, 1.0f - 1e-3f, -90.0f, 45, -11.0f, 28.0f, 38.0f},
        // Deep in (the wall nearer than 0.6 of the entity's size), it
        // swings 15 degrees a tick (to -77 in 5 ticks; at 6 only to -30).
        {"deep against a wall behind, swung fast", kNearWall, {0.001f, 0, 0}, 0.0f, 0.0f, -5.01f, 60.01f, 60.01f,
         -100.0f, 0.0f, -90.0f, 5, 11.0f, -90.0f, -60.0f},
    };
    // A wall facing the pivot from the heading a (from behind, towards +x),
    // this far from it.
    const auto wall = [](std::vector<ColTri>* pTris, float a, float dist) {
        const mVec3 n(std::sin(a), -std::cos(a), 0), t(std::cos(a), std::sin(a), 0), z(0, 0, 20);
        const mVec3 c = n * dist;
        AddQuad(pTris, c - t * 20.0f - z, c - t * 20.0f + z, c + t * 20.0f + z, c + t * 20.0f - z);
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<ColTri> tris;
        if (row.shape == kWallBehind || row.shape == kCeilingAndWall)
            AddQuad(&tris, {-20, -0.5f, -20}, {-20, -0.5f, 20}, {20, -0.5f, 20}, {20, -0.5f, -20});  // faces +y
        if (row.shape == kLowWall)
            AddQuad(&tris, {-20, -2, -20}, {-20, -2, 0.9f}, {20, -2, 0.9f}, {20, -2, -20});
        if (row.shape == kTurnedWall)
            wall(&tris, row.tilt * kRad, r + 0.7f);
        if (row.shape == kNearWall)
            wall(&tris, row.tilt * kRad, r + 0.1f);
        for (int side = 0; row.shape == kWell && side < 4; ++side)
            wall(&tris, static_cast<float>(side) * 90.0f * kRad, r + 0.3f);
        const bool bCeiling = row.shape == kCeiling || row.shape == kCeilingAndWall || row.shape == kCeilingLate ||
                              row.shape == kLowCeiling;
        std::vector<ColTri> ceiling;
        AddQuad(&ceiling, {-20, -20, 0.5f}, {-20, 20, 0.5f}, {20, 20, 0.5f}, {20, -20, 0.5f});  // faces -z
        if (bCeiling && row.shape != kCeilingLate)
            tris.insert(tris.end(), ceiling.begin(), ceiling.end());
        ASSERT_NE(AddZone(0, {0, 0, 0}, tris), nullptr);  // in place of the last row's
        const float fOffset = row.shape == kLowCeiling ? 0.4f - r : bCeiling ? 0.8f : 0.0f;
        m_cam.m_params.m_fOffsets[P::OFF_ENTITY] = m_cam.m_LookAtCtrl.fEntityOffset = fOffset;
        for (float& f : m_cam.m_LookAtCtrl.entityOffsetFilter)
            f = fOffset;
        PlaceEntity({0, 0, 0});
        m_entity.m_velocity = row.move * 30.0f;
        m_cam.m_params.m_fOffsets[P::OFF_PITCH] = -row.startPitch;
        m_cam.FollowEntity(kEntity, true);  // facing +y: the camera behind it, at -y
        m_cam.m_nFlags &= ~C::kBehindEntity;  // as after a stand: the distance is kept
        m_cam.m_params.m_fOffsets[P::OFF_PITCH] = -15.0f;
        m_cam.m_curDesiredHPR.y = 15.0f;
        if (row.shape == kCeilingLate) {
            ASSERT_NE(AddZone(0, {0, 0, 0}, ceiling), nullptr);
        }
        const mVec3 pivot(0, 0, row.pivotZ);
        float lo = 90.0f, hi = -90.0f, pitch = 0.0f, heading = 0.0f;
        for (int i = 1; i <= row.ticks; ++i) {
            PlaceEntity(row.move * static_cast<float>(i));
            Tick();
            mVec3 d = m_cam.GetPos() - (pivot + m_entity.m_model.m_localToParent.origin);
            d.Normalize();
            const float last = pitch, lastHeading = heading;
            pitch = std::asin(d.z) * kDeg;
            heading = std::atan2(d.x, -d.y) * kDeg;
            if (i == 1 && row.shape == kCeilingLate)
                continue;  // pulled in to the pivot: no direction yet
            if (i > (row.shape == kCeilingLate ? 2 : 1)) {
                ASSERT_LE(std::fabs(pitch - last), 4.01f) << "smoothly, " << i;
                ASSERT_LE(std::fabs(heading - lastHeading), gcGameCamera::FollowRules::kMaxDeepSqueezeTurn * 1.05f) << "smoothly, " << i;
            }
            lo = std::min(lo, pitch);
            hi = std::max(hi, pitch);
            ASSERT_GE(m_cam.GetPos().y - m_entity.m_model.m_localToParent.origin.y, row.minY) << i;
        }
        EXPECT_GE(lo, row.minPitch);
        EXPECT_LE(hi, row.maxPitch);
        EXPECT_LT(pitch, row.endPitchBelow);
        EXPECT_GT(pitch, row.endPitchAbove);
        EXPECT_GE(heading, row.endHeadingMin);
        EXPECT_LE(heading, row.endHeadingMax);
        EXPECT_GE(m_cam.GetPos().Dist(pivot + m_entity.m_model.m_localToParent.origin), row.endDist);
    }
}

// A wall behind whose top the sweep from the pivot (0.8 over the entity's
// middle) passes over and the sweep from the body meets: the camera stands
// in front of the wall, where it sees the body, whether the pivot stands
// above the body (a unit tall: its upper part, 0.4 up, is swept from) or
// within it (two units tall: its lower part, 0.3 up).
TEST_F(gcGameCameraControlTest, APivotAboveTheBodyKeepsTheCameraWhereItSeesTheBody)
{
    const float r = m_cam.m_camera.m_frustum.GetNearCornerDistance();
    std::vector<ColTri> wall;
    AddQuad(&wall, {-20, -2, -20}, {-20, -2, 0.45f}, {20, -2, 0.45f}, {20, -2, -20});  // faces +y
    ASSERT_NE(AddZone(0, {0, 0, 0}, wall), nullptr);
    eMesh& mesh = GiveMesh();
    for (const float fHalfHeight : {0.5f, 1.0f}) {
        SCOPED_TRACE(fHalfHeight);
        m_cam.Reset(true);
        ShapeWithPivot(mesh, 0.5f, fHalfHeight);
        m_cam.m_params.m_fOffsets[P::OFF_PITCH] = -15.0f;  // 15 degrees over the pivot
        m_cam.FollowEntity(kEntity, true);
        Tick(30);
        EXPECT_GE(m_cam.GetPos().y, -2.0f + r - 1e-3f) << "in front of the wall";
    }
}

// A ceiling half a unit over the entity, below the pivot 0.8 up that the
// camera turns about: the pivot is kept under it, and so is the camera,
// which (nothing above giving it room) turns under the pivot's level until
// it stands clear of the entity.
TEST_F(gcGameCameraControlTest, UnderACeilingThePivotAndTheCameraStayBelowIt)
{
    std::vector<ColTri> ceiling;
    AddQuad(&ceiling, {-20, -20, 0.5f}, {-20, 20, 0.5f}, {20, 20, 0.5f}, {20, -20, 0.5f});  // faces -z
    ASSERT_NE(AddZone(0, {0, 0, 0}, ceiling), nullptr);
    const float r = m_cam.m_camera.m_frustum.GetNearCornerDistance();
    m_cam.m_params.m_fOffsets[P::OFF_ENTITY] = 0.8f;
    m_cam.m_LookAtCtrl.fEntityOffset = 0.8f;
    m_cam.FollowEntity(kEntity, true);
    EXPECT_LE(m_cam.GetPos().z, 0.5f - r + 1e-3f) << "placed under it";
    const mVec3 pivot(0, 0, 0.5f - r);
    for (int i = 0; i < 30; ++i) {
        SCOPED_TRACE(i);
        Tick();
        EXPECT_LE(m_cam.GetPos().z, 0.5f - r + 1e-3f);
        EXPECT_GE(m_cam.GetPos().Dist(pivot), 1.0f - 1e-3f) << "clear of the entity";
    }
}

// The entity drops past a thin wall's top into a pit too deep for the
// camera beyond the wall to see into over it, even at the steepest pitch.
// Open above, the camera comes down over the wall keeping 0.85 of its
// distance a tick, never into it, until it stands in front of it (the last
// step, past the edge, is as long as the camera is wide). With a canopy over
// the ground beyond the wall, which its own way down would pass through,
// the stages would stand it in front of the wall at once (0.38 of its
// distance): the last look keeps it within 1.2 times a tick instead, on
// places that see the entity and that it reaches without passing through
// the canopy, until it stands in front of the wall.
TEST_F(gcGameCameraControlTest, DroppedIntoAPitTheCameraComesDownOverTheWallAShareATick)
{
    const float r = m_cam.m_camera.m_frustum.GetNearCornerDistance();
    constexpr float kTop = -0.85f;  // the wall's top, 2.15 over the pivot's lowest
    const struct {
        const char* name;
        bool bCanopy;
        float minStep, maxStep;  // the least share of its distance the camera keeps from one tick to the next
    } rows[] = {
        // 0.85 of its distance a tick, and a last step past the wall's edge
        // of less than a quarter (the camera's own size). Before: 0.38 at once.
        {"open above", false, 0.78f, 0.901f},
        {"a canopy beyond the wall", true, 1.0f / 1.2f - 1e-3f, 1.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        // The wall from y = -1.8 to -1.5, its top at 0; the canopy at 0.8.
        std::vector<ColTri> tris;
        AddQuad(&tris, {-20, -1.5f, -10}, {-20, -1.5f, kTop}, {20, -1.5f, kTop}, {20, -1.5f, -10});  // faces +y
        AddQuad(&tris, {-20, -1.8f, kTop}, {20, -1.8f, kTop}, {20, -1.5f, kTop}, {-20, -1.5f, kTop});  // faces +z
        AddQuad(&tris, {20, -1.8f, -10}, {20, -1.8f, kTop}, {-20, -1.8f, kTop}, {-20, -1.8f, -10});  // faces -y
        if (row.bCanopy)
            AddQuad(&tris, {-20, -8, 0.8f}, {20, -8, 0.8f}, {20, -1.8f, 0.8f}, {-20, -1.8f, 0.8f});  // faces +z
        ASSERT_NE(AddZone(0, {0, 0, 0}, tris), nullptr);
        PlaceEntity({0, 0, 1});
        m_entity.m_velocity = mVec3(0, 0.03f, -30.0f);
        m_cam.FollowEntity(kEntity, true);
        m_cam.m_nFlags &= ~C::kBehindEntity;
        float last = m_cam.GetPos().Dist(Pivot()), least = 1.0f;
        for (int i = 1; i <= 40; ++i) {
            SCOPED_TRACE(i);
            PlaceEntity({0, 0.001f * static_cast<float>(i), 1.0f - static_cast<float>(std::min(i, 4))});
            Tick();
            const mVec3 at = m_cam.GetPos();
            const float dist = at.Dist(Pivot());
            least = std::min(least, dist / last);
            last = dist;
            ASSERT_TRUE(at.y >= -1.5f + r - 1e-3f || at.y <= -1.8f - r + 1e-3f || at.z >= kTop + r - 1e-3f) << "in the wall";
            ASSERT_TRUE(!row.bCanopy || at.y >= -1.8f || at.z >= 0.8f + r - 1e-3f) << "through the canopy";
        }
        EXPECT_GE(least, row.minStep);
        EXPECT_LE(least, row.maxStep);
        EXPECT_LT(m_cam.GetPos().y, -1.5f + r + 1e-3f) << "in front of the wall at the end";
    }
}

TEST_F(gcGameCameraControlTest, ReorientScalesTheLimitsAndRestoresThem)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    const P defaults;
    m_cam.Reorient(true, 1.5f, false);  // not following: nothing
    EXPECT_EQ(m_cam.m_nFlags & C::kReorienting, 0u);
    m_cam.FollowEntity(kEntity, true);
    struct Row {
        float factor;
        float scale;  // what the script's factor amounts to
    };
    // Not finite, with a reciprocal that is not (1e-40), or scaling a speed
    // past the float range (3e38), counts as 1.
    for (const Row& row : {Row{1.5f, 1.5f}, Row{0.0f, 1.0f}, Row{-2.0f, 1.0f}, Row{4.0f, 4.0f}, Row{NAN, 1.0f},
                           Row{INFINITY, 1.0f}, Row{1e-40f, 1.0f}, Row{3e38f, 1.0f}, Row{1e30f, 1e30f}}) {
        SCOPED_TRACE(row.factor);
        m_cam.Reorient(true, row.factor, false);
        EXPECT_EQ(m_cam.m_nFlags & C::kReorienting, C::kReorienting);
        EXPECT_FLOAT_EQ(m_cam.m_params.m_fMaxVels[P::SPD_LOOKAT], 3.0f * row.scale);
        EXPECT_FLOAT_EQ(m_cam.m_params.m_fMaxTimes[P::SPD_LOOKAT], 0.75f / row.scale);
        EXPECT_FLOAT_EQ(m_cam.m_params.m_fMaxTimes[P::SPD_FOLLOWENTITY_H], 0.98f / row.scale);
        m_cam.Reorient(true, 10.0f, false);  // already reorienting: nothing
        EXPECT_FLOAT_EQ(m_cam.m_params.m_fMaxVels[P::SPD_LOOKAT], 3.0f * row.scale);
        m_cam.Reorient(false, row.factor, false);
        EXPECT_EQ(m_cam.m_nFlags & C::kReorienting, 0u);
        for (int i = 0; i < P::MAX_SPEEDTYPES; ++i) {
            EXPECT_FLOAT_EQ(m_cam.m_params.m_fMaxVels[i], defaults.m_fMaxVels[i]);
            EXPECT_FLOAT_EQ(m_cam.m_params.m_fMaxTimes[i], defaults.m_fMaxTimes[i]);
        }
        EXPECT_FLOAT_EQ(m_cam.m_fFollowEntityHK, 0.98f);
    }
}

// Walked straight on and then stopped turned a little, the entity has the
// camera swing round behind it, gently, starting at once: the heading held
// while it walked is let go on the first tick of the stand. A small turn
// is over within a second.
TEST_F(gcGameCameraControlTest, AStoppedEntityIsSwungBehindFromTheFirstTick)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    const struct {
        float turn;                 // the entity's heading as it stops
        float afterTick, afterSecond;  // at most this far (degrees) from behind it
    } rows[] = {{40.0f, 39.95f, 0.01f}, {-40.0f, 39.95f, 0.01f}, {80.0f, 79.9f, 25.0f}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.turn);
        PlaceEntity({0, 0, 0}, 0);
        m_entity.m_velocity.Set(0, 0.3f, 0);
        m_cam.FollowEntity(kEntity, true);
        Tick(30);
        PlaceEntity({0, 0, 0}, row.turn);
        m_entity.m_velocity.Set(0, 0, 0);
        const auto off = [&] {
            const mVec3 d = m_cam.GetPos() - Pivot();
            const float behind = (row.turn + 180.0f) * 0.01745329f;  // heading 0 faces +y
            return std::fabs(std::remainder(std::atan2(-d.x, d.y) - behind, 6.2831853f)) * 57.29578f;
        };
        Tick();
        const float first = off();
        float turned = 0.0f;
        for (int i = 0; i < 29; ++i) {
            const float last = off();
            Tick();
            turned = std::max(turned, std::fabs(off() - last));
        }
        EXPECT_LT(first, row.afterTick);
        EXPECT_LT(off(), row.afterSecond);
        EXPECT_LT(turned, 3.0f) << "gently";
    }
}

// Whatever the factor, a reorientation behind a moving entity that turned a
// quarter ends behind it: a slowed one turns slowly, never away.
TEST_F(gcGameCameraControlTest, EveryReorientFactorEndsBehindTheEntity)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    for (float fFactor : {0.25f, 0.5f, 1.0f, 1.5f}) {
        SCOPED_TRACE(fFactor);
        PlaceEntity({0, 0, 0}, 0);
        m_entity.m_velocity.Set(0, 0.01f, 0);
        m_cam.FollowEntity(kEntity, true);
        PlaceEntity({0, 0, 0}, 90);  // now facing -x: behind is +x
        m_entity.m_velocity.Set(-0.01f, 0, 0);
        m_cam.Reorient(true, fFactor, false);
        float fWorst = 0.0f;
        for (int n = 0; n < 1000; ++n) {
            Tick();
            const mVec3 d = m_cam.GetPos() - Pivot();
            const float fOff = std::fabs(std::atan2(d.y, d.x)) * 57.29578f;  // from +x
            if (n >= 900)
                fWorst = std::max(fWorst, fOff);
        }
        EXPECT_LT(fWorst, 1.0f);
        m_cam.Reorient(false, fFactor, false);
    }
}

TEST_F(gcGameCameraControlTest, TheAlternateOrientationOffsetsTheCurrentViewAndEndsReorienting)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    struct Row {
        mVec3 offsets;
        float heading, pitch;  // desired, from the view 180 / 15 after the snap
    };
    const Row rows[] = {
        {{10, 20, 0}, -170, 35},
        {{-30, 70, 0}, 150, 80},
        {{0, -30, 0}, 180, -5},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.heading);
        m_cam.FollowEntity(kEntity, true);
        m_cam.Reorient(true, 1.5f, false);
        m_cam.ReorientAlternate(r.offsets);
        EXPECT_EQ(m_cam.m_nFlags & C::kAlternate, C::kAlternate);
        Tick();
        EXPECT_EQ(m_cam.m_nFlags & C::kReorienting, 0u);
        EXPECT_NEAR(m_cam.m_curDesiredHPR.x, r.heading, 1e-2f);
        EXPECT_NEAR(m_cam.m_curDesiredHPR.y, r.pitch, 1e-2f);
    }
    m_cam.ReorientAlternate({0, 0, 0});
    EXPECT_EQ(m_cam.m_nFlags & C::kAlternate, 0u);
}

TEST_F(gcGameCameraControlTest, CollideAnswersOnlyWhileFollowingAnEntity)
{
    std::vector<ColTri> wall;
    AddQuad(&wall, {-20, -3, -20}, {-20, -3, 20}, {20, -3, 20}, {20, -3, -20});
    ASSERT_NE(AddZone(0, {0, 0, 0}, wall), nullptr);
    const float r = m_cam.m_camera.m_frustum.GetNearCornerDistance();
    const C::gcPosCtrlMode modes[] = {C::POSCTRL_NONE, C::POSCTRL_FOLLOWENTITY, C::POSCTRL_FOLLOWPATH_ENTITY,
                                      C::POSCTRL_FOLLOWPATH, C::POSCTRL_MOVETOPOINT};
    for (C::gcPosCtrlMode mode : modes) {
        SCOPED_TRACE(mode);
        m_cam.m_PosCtrl.Mode = mode;
        m_cam.m_PosCtrl.hEntity = kEntity;
        mVec3 pos(0, -6, 0);
        const bool bHit = m_cam.Collide({0, 0, 0}, &pos, false);
        EXPECT_EQ(bHit, mode == C::POSCTRL_FOLLOWENTITY);
        EXPECT_VEC_NEAR(pos, bHit ? mVec3(0, -3 + r, 0) : mVec3(0, -6, 0), 1e-3f);
    }
    m_cam.m_PosCtrl.Mode = C::POSCTRL_FOLLOWENTITY;
    m_cam.m_nCollisionMask = 0;  // meets no surface
    mVec3 through(0, -6, 0);
    EXPECT_FALSE(m_cam.Collide({0, 0, 0}, &through, false));
    EXPECT_VEC_NEAR(through, mVec3(0, -6, 0), 1e-3f);
    mVec3 pos(0, 0, 0.0005f);  // within the zero tolerance: nothing moves
    EXPECT_FALSE(m_cam.Collide({0, 0, 0}, &pos, true));
    EXPECT_EQ(pos, mVec3(0, 0, 0.0005f));
}

TEST_F(gcGameCameraControlTest, GetDirTurnsTheStickIntoAHorizontalWorldDirection)
{
    mOCS view;
    view.LookAt({0, 0, 0}, {-1, 0, -1}, {0, 0, 1});  // heading 90, looking 45 degrees down
    m_cam.MoveToWorld(view);
    struct Row {
        float x, y;
        mVec3 dir;
    };
    const Row rows[] = {
        {0, 1, {-1, 0, 0}}, {1, 0, {0, 1, 0}}, {0, 0, {0, 0, 0}}, {1, 1, {-0.7071068f, 0.7071068f, 0}},
        {0, -0.2f, {1, 0, 0}},
    };
    for (const Row& r : rows) {
        mVec3 dir;
        m_cam.GetDir(r.x, r.y, &dir);
        EXPECT_VEC_NEAR(dir, r.dir, 1e-5f);
    }
}

// Straight up or down the forward axis is level only by rounding: the
// heading the camera was given decides.
TEST_F(gcGameCameraControlTest, GetDirLookingStraightUpOrDownFollowsTheHeading)
{
    struct Row {
        float heading, pitch, x, y;
        mVec3 dir;
    };
    const Row rows[] = {
        {0, 90, 0, 1, {0, 1, 0}},   {0, -90, 0, 1, {0, 1, 0}},   {0, 90, 1, 0, {1, 0, 0}},
        {90, -90, 0, 1, {-1, 0, 0}}, {90, 90, 1, 0, {0, 1, 0}},  {30, 90, 0, 1, {-0.5f, 0.8660254f, 0}},
        {0, 89.9f, 0, -1, {0, -1, 0}},  // not quite vertical: its own forward axis
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.heading << " " << r.pitch);
        mOCS view;
        view.MakeIdentity();
        view.basis.SetHPR(r.heading, r.pitch, 0.0f);
        m_cam.MoveToWorld(view);
        mVec3 dir;
        m_cam.GetDir(r.x, r.y, &dir);
        EXPECT_VEC_NEAR(dir, r.dir, 1e-5f);
    }
}

TEST_F(gcGameCameraControlTest, TriggerQueriesFireAlongTheWholeMoveInOrder)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    auto trigger = [&](float y, gcRegionTrigger::gcRegionTriggerResponse respondTo, int tag) {
        gcRegionTrigger* t = m_pool.New<gcRegionTrigger>();
        t->m_nRegionId = 1;
        t->m_respondTo = respondTo;
        t->m_volume.SetVolumeSphere(2.0f);
        t->m_volume.m_localToZone = MakeFrame(0, y, 0);
        FillEvent(t->onEnter, b.Record(tag + 1));
        FillEvent(t->onInside, b.Record(tag + 2));
        FillEvent(t->onExit, b.Record(tag + 3));
        t->Send(gcMsgUnfreeze());
        return t;
    };
    trigger(0, gcRegionTrigger::RTR_CAMERA, 10);
    gcRegionTrigger* second = trigger(10, gcRegionTrigger::RTR_CAMERA, 20);
    trigger(5, gcRegionTrigger::RTR_ALLENTITIES, 30);  // the camera is no entity
    struct Move {
        mVec3 from, to;
        std::vector<int32_t> tags;  // entered, then inside, then exited
        unsigned int flags;
    };
    const Move moves[] = {
        {{0, -20, 0}, {0, 1, 0}, {11}, 0},     // into the first
        {{0, 1, 0}, {0, 4, 0}, {13}, 0},       // out of it
        {{0, -20, 0}, {0, 20, 0}, {}, 0},     // through both in one fast move
        {{0, 11, 0}, {0, 9, 0}, {22}, 0},      // inside the second
        {{0, 0.5f, 0}, {0, 11, 0}, {21, 13}, 0},  // from the first into the second
        {{0, 11, 0}, {0, 9, 0}, {21, 22}, 1},  // staying inside, asked to report it as entered
    };
    for (const Move& m : moves) {
        TestLog().clear();
        m_cam.MoveToWorld(m.to);
        m_cam.QueryTriggers(m.from, m.flags);
        std::vector<int32_t> tags = TestLogTags();
        if (&m == &moves[2]) {
            ASSERT_EQ(tags.size(), 4u);
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ(tags[i] % 10, i < 2 ? 1 : 3) << i;  // both entered, then both exited
            continue;
        }
        EXPECT_EQ(tags, m.tags);
    }
    ASSERT_EQ(TestLog().size(), 2u);
    EXPECT_EQ(TestLog()[1].pInitiator, &m_cam);
    EXPECT_EQ(TestLog()[1].pParticipant1, second);
    s_regionId = 4;  // no current region: nothing fires
    m_cam.QueryTriggers({0, -20, 0}, 0);
    EXPECT_EQ(TestLog().size(), 2u);
}

TEST_F(gcGameCameraControlTest, APathIsFollowedToItsEndAndTheDollyStopsBothControllers)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    // Forwards from a quarter to three quarters, and backwards from the end:
    // never back, and never past the end fraction.
    for (auto [fStart, fEnd] : {std::pair{0.25f, 0.75f}, std::pair{1.0f, 0.0f}}) {
        SCOPED_TRACE(fStart);
        const float fSign = fEnd > fStart ? 1.0f : -1.0f;
        m_cam.FollowPath(kPath, fStart, fEnd, false, true);
        EXPECT_VEC_NEAR(m_cam.GetPos(), mVec3(0, 30 * fStart, 0), 1e-3f);
        float fLast = m_cam.m_PosCtrl.fPathT;
        for (int i = 0; i < 1000; ++i) {
            Tick();
            EXPECT_GE(fSign * m_cam.m_PosCtrl.fPathT, fSign * fLast);
            fLast = m_cam.m_PosCtrl.fPathT;
        }
        EXPECT_FLOAT_EQ(m_cam.m_PosCtrl.fPathT, m_cam.m_PosCtrl.fPathTDesired);
        EXPECT_NEAR(m_cam.GetPos().y, 30 * m_cam.m_PosCtrl.fPathTDesired / 3, 0.05f);
    }
    EXPECT_EQ(m_cam.m_PosCtrl.Mode, C::POSCTRL_FOLLOWPATH);  // alone it never stops
    // Snapping again keeps both destinations (parameters 1.5 and 2).
    m_cam.LookAtPath(kAlongX, 0.0f, 0.5f, false, false);
    m_cam.FollowPath(kPath, 0.0f, 0.5f, false, false);
    m_cam.SnapCurMovement();
    m_cam.SnapCurLookAt();
    EXPECT_FLOAT_EQ(m_cam.m_PosCtrl.fPathTDesired, 1.5f);
    EXPECT_FLOAT_EQ(m_cam.m_LookAtCtrl.fPathTDesired, 2.0f);

    // The dolly: looking along the same path, the camera runs on its view
    // and both controllers stop when the look-at point arrives.
    m_cam.m_params.m_fMaxVels[P::SPD_MOVEMENT] = 60.0f;
    m_cam.FollowPath(kPath, 0.0f, 1.0f, false, true);
    m_cam.LookAtPath(kPath, 0.1f, 1.0f, false, true);
    EXPECT_VEC_NEAR(m_cam.m_camera.m_cameraToWorld.basis.forward, mVec3(0, 1, 0), 1e-5f);
    int nTicks = 0;
    while (m_cam.m_PosCtrl.Mode != C::POSCTRL_NONE && nTicks < 500) {
        Tick();
        ++nTicks;
    }
    EXPECT_EQ(m_cam.m_LookAtCtrl.Mode, C::LOOKATCTRL_NONE);
    EXPECT_GE(m_cam.GetPos().y, 29.99f);
    EXPECT_LT(m_cam.GetPos().y, 33.0f);
    const mVec3 stopped = m_cam.GetPos();
    Tick(5);
    EXPECT_VEC_NEAR(m_cam.GetPos(), stopped, 1e-4f);
}

TEST_F(gcGameCameraControlTest, FollowingAPathWithAnEntityKeepsTheDistanceOnTheSideChosenOnce)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    PlaceEntity({20, 5, 0});
    m_cam.MoveToWorld(mVec3(30, 5, 0));  // further along the path than the entity
    m_cam.FollowPathMinAndEntity(kAlongX, kEntity, true);
    EXPECT_FLOAT_EQ(m_cam.m_PosCtrl.fPathTDesired, 4.0f);
    EXPECT_NEAR(m_cam.m_PosCtrl.fPathT, 2.65f, 1e-5f);
    EXPECT_VEC_NEAR(m_cam.GetPos(), mVec3(26.5f, 5, 0), 1e-3f);
    // The camera crosses to the other side: the side stays.
    m_cam.MoveToWorld(mVec3(5, 5, 0));
    PlaceEntity({15, 5, 0});
    Tick();
    EXPECT_NEAR(m_cam.m_PosCtrl.fPathT, 2.15f, 1e-5f);
    // Chosen afresh by the command from the near side.
    m_cam.FollowPathMinAndEntity(kAlongX, kEntity, true);
    EXPECT_FLOAT_EQ(m_cam.m_PosCtrl.fPathTDesired, 0.0f);
    EXPECT_VEC_NEAR(m_cam.GetPos(), mVec3(8.5f, 5, 0), 1e-3f);
    m_cam.MoveToPoint(kPoint, true);
    EXPECT_VEC_NEAR(m_cam.GetPos(), mVec3(0, 10, 0), 1e-3f);
    Tick();
    EXPECT_EQ(m_cam.m_PosCtrl.Mode, C::POSCTRL_MOVETOPOINT);
    s_regionId = 4;  // the point's region is dropped: the camera stays
    Tick();
    EXPECT_EQ(m_cam.m_PosCtrl.Mode, C::POSCTRL_NONE);
    EXPECT_VEC_NEAR(m_cam.GetPos(), mVec3(0, 10, 0), 1e-3f);
}

TEST_F(gcGameCameraControlTest, LookAtModesDropTheirTargetWithTheViewHeld)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    struct Row {
        const char* what;
        std::function<void()> command;
        C::gcLookAtCtrlMode mode;
        mVec3 forward;  // after the snap, from the camera at (0, 0, 1)
    };
    const Row rows[] = {
        {"entity", [&] { m_cam.LookAtEntity(kEntity, true); }, C::LOOKATCTRL_LOOKATENTITY,
         mVec3(3, 0, 1) * (1.0f / std::sqrt(10.0f))},  // OFF_ENTITY above its origin
        {"point", [&] { m_cam.LookAtPoint(kPoint, true); }, C::LOOKATCTRL_LOOKATPOINT,
         mVec3(0, 10, -1) * (1.0f / std::sqrt(101.0f))},
        {"through point", [&] { m_cam.LookThroughPoint(kPoint, true); }, C::LOOKATCTRL_LOOKTHROUGHPOINT, {-1, 0, 0}},
        {"path", [&] { m_cam.LookAtPath(kAlongX, 0.5f, 1.0f, false, true); }, C::LOOKATCTRL_LOOKATPATH,
         mVec3(20, 5, -1) * (1.0f / std::sqrt(426.0f))},
        {"path closest", [&] { m_cam.LookAtPathClosest(kAlongX, true); }, C::LOOKATCTRL_LOOKATPATHCLOSEST,
         mVec3(0, 5, -1) * (1.0f / std::sqrt(26.0f))},
    };
    PlaceEntity({3, 0, 1});
    m_cam.m_params.m_fOffsets[P::OFF_ENTITY] = 1.0f;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        s_regionId = 1;
        m_cam.MoveToWorld(mVec3(0, 0, 1));
        r.command();
        EXPECT_EQ(m_cam.m_LookAtCtrl.Mode, r.mode);
        EXPECT_VEC_NEAR(m_cam.m_camera.m_cameraToWorld.basis.forward, r.forward, 1e-4f);
        Tick();
        EXPECT_EQ(m_cam.m_LookAtCtrl.Mode, r.mode);
        const mBasis held = m_cam.m_camera.m_cameraToWorld.basis;
        s_regionId = 4;
        Tick();
        EXPECT_EQ(m_cam.m_LookAtCtrl.Mode, C::LOOKATCTRL_NONE);
        EXPECT_TRUE(m_cam.m_camera.m_cameraToWorld.basis.ApproxEqual(held, 1e-4f));
    }
    // A deactivated or frozen entity is not looked at.
    s_regionId = 1;
    for (uint16_t bits : {gcEntity::kDeactivated, gcEntity::kFrozen}) {
        m_entity.m_nEntityFlags = bits;
        m_cam.LookAtPoint(kPoint, false);
        m_cam.LookAtEntity(kEntity, false);
        EXPECT_EQ(m_cam.m_LookAtCtrl.Mode, C::LOOKATCTRL_NONE);
        EXPECT_EQ(m_cam.m_LookAtCtrl.hRegionPoint, gcRegionPointHandle());
    }
}

}  // namespace

namespace {

// The camera's pitch over a point, degrees (positive: above it).
float PitchOver(const mVec3& camera, const mVec3& point)
{
    mVec3 d = camera - point;
    d.Normalize();
    return std::asin(std::clamp(d.z, -1.0f, 1.0f)) * 57.29578f;
}

// How far down the view looks, degrees.
float LookDown(const C& cam)
{
    return -std::asin(std::clamp(cam.m_camera.m_cameraToWorld.basis.forward.z, -1.0f, 1.0f)) * 57.29578f;
}

}  // namespace

// A ceiling a little above the pivot lowers the camera over a standing
// entity to about the pivot's level. Once the ceiling is gone the pitch
// comes back to the follow pitch (15) within a second though the entity
// now runs: kept while it moves, it would stay level.
TEST_F(gcGameCameraControlTest, APitchACeilingLoweredComesBackWithinASecondWhileTheEntityRuns)
{
    const float r = m_cam.m_camera.m_frustum.GetNearCornerDistance();
    std::vector<ColTri> ceiling;
    AddQuad(&ceiling, {-40, -40, 0.5f}, {-40, 40, 0.5f}, {40, 40, 0.5f}, {40, -40, 0.5f});  // faces -z
    ASSERT_NE(AddZone(0, {0, 0, 0}, ceiling), nullptr);
    m_cam.m_params.m_fOffsets[P::OFF_ENTITY] = m_cam.m_LookAtCtrl.fEntityOffset = 0.8f;
    for (float& f : m_cam.m_LookAtCtrl.entityOffsetFilter)
        f = 0.8f;
    m_cam.FollowEntity(kEntity, true);
    Tick(30);
    EXPECT_LT(PitchOver(m_cam.GetPos(), mVec3(0, 0, 0.5f - r)), 0.0f) << "lowered under the ceiling";
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);  // the ceiling gone
    const mVec3 step(0, 0.1f, 0);
    m_entity.m_velocity = step * 30.0f;
    for (int i = 1; i <= 30; ++i) {
        PlaceEntity(step * static_cast<float>(i));
        Tick();
    }
    EXPECT_GT(PitchOver(m_cam.GetPos(), Pivot() + mVec3(0, 0, 0.8f)), 12.0f) << "back within a second";
}

// A targeting camera stands behind the entity at its pitch and the
// offsets': an entity pitched steeply nose down would put it straight over
// the entity. It stands no steeper than 60 degrees, and the view looks
// down no more than that; nor, the entity standing, does a following one.
TEST_F(gcGameCameraControlTest, TheViewNeverLooksDownMoreThanSixtyDegrees)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    const struct {
        const char* name;
        bool bTargeting;
        float entityPitch;  // degrees, nose up
    } rows[] = {{"targeting, the entity nose down", true, -70.0f}, {"following, the entity nose down", false, -70.0f}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        s_bTargeting = row.bTargeting;
        PlaceEntity({0, 0, 0});
        m_entity.m_model.m_localToParent.basis.SetHPR(0.0f, row.entityPitch, 0.0f);
        m_entity.m_velocity.Set(0, 0, 0);
        m_cam.FollowEntity(kEntity, true);
        m_cam.LookAtEntity(kEntity, true);
        float steepest = 0.0f, down = 0.0f;
        for (int i = 0; i < 30; ++i) {
            Tick();
            steepest = std::max(steepest, PitchOver(m_cam.GetPos(), Pivot()));
            down = std::max(down, LookDown(m_cam));
        }
        EXPECT_LE(steepest, 60.01f);
        EXPECT_LE(down, 60.01f);
    }
    s_bTargeting = false;
}

// Following the entity it looks at under a ceiling nearer than the point
// above it, the camera looks at the pivot kept under the ceiling, not at
// that point beyond it.
TEST_F(gcGameCameraControlTest, UnderACeilingTheViewLooksAtThePivotKeptBelowIt)
{
    std::vector<ColTri> ceiling;
    AddQuad(&ceiling, {-20, -20, 0.5f}, {-20, 20, 0.5f}, {20, 20, 0.5f}, {20, -20, 0.5f});  // faces -z
    ASSERT_NE(AddZone(0, {0, 0, 0}, ceiling), nullptr);
    const float r = m_cam.m_camera.m_frustum.GetNearCornerDistance();
    m_cam.m_params.m_fOffsets[P::OFF_ENTITY] = m_cam.m_LookAtCtrl.fEntityOffset = 2.0f;
    for (float& f : m_cam.m_LookAtCtrl.entityOffsetFilter)
        f = 2.0f;
    m_cam.FollowEntity(kEntity, true);
    m_cam.LookAtEntity(kEntity, true);
    Tick(30);
    const mVec3 eye = m_cam.GetPos(), forward = m_cam.m_camera.m_cameraToWorld.basis.forward;
    const auto angleTo = [&](const mVec3& at) {
        mVec3 d = at - eye;
        d.Normalize();
        return std::acos(std::clamp(d.Dot(forward), -1.0f, 1.0f)) * 57.29578f;
    };
    EXPECT_LT(angleTo(mVec3(0, 0, 0.5f - r)), 1.0f) << "the pivot";
    EXPECT_GT(angleTo(mVec3(0, 0, 2.0f)), 5.0f) << "not the point above";
}

// An entity that stands with the camera behind it brings the camera to
// rest within two seconds, even while its distance still eases out (here
// from a pull-in a wall made, the wall then gone). It stands away from the
// world's origin: where it stands is compared tick by tick.
TEST_F(gcGameCameraControlTest, BehindAStandingEntityTheCameraComesToRestWithinTwoSeconds)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    PlaceEntity({2, 3, 0});
    m_cam.FollowEntity(kEntity, true);
    m_cam.m_PosCtrl.fDesiredMinDist = 1.5f;
    for (float& f : m_cam.m_PosCtrl.minDistFilter)
        f = 1.5f;
    m_cam.m_PosCtrl.timeSinceSnapped = cTimeValue(0);
    Tick(60);
    mVec3 last = m_cam.GetPos();
    float moved = 0.0f;
    for (int i = 0; i < 60; ++i) {
        Tick();
        moved = std::max(moved, m_cam.GetPos().Dist(last));
        last = m_cam.GetPos();
    }
    EXPECT_EQ(moved, 0.0f) << "at rest after two seconds";
}

// Stopped turned, the entity has the camera swing behind it and land
// there, then rest, all within two seconds; so too one pressed against a
// wall (moving without going anywhere), where the camera still eases out
// from a pull-in. A script that changes the pitch while it stands moves
// the camera again.
TEST_F(gcGameCameraControlTest, AStandingEntitysCameraSwingsBehindAndRestsWithinTwoSeconds)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    const struct {
        float turn;    // the entity's heading as it stops
        float speed;   // its velocity after: pressed against a wall
        float pitch;   // OFF_PITCH set while it stands, once at rest
    } rows[] = {{40.0f, 0.0f, -15.0f}, {-95.0f, 0.0f, -15.0f}, {0.0f, 0.3f, -15.0f}, {0.0f, 0.0f, -40.0f}};
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.turn << " " << row.speed << " " << row.pitch);
        m_cam.m_params.m_fOffsets[P::OFF_PITCH] = -15.0f;
        PlaceEntity({0, 0, 0}, 0);
        m_entity.m_velocity.Set(0, 0.3f, 0);
        m_cam.FollowEntity(kEntity, true);
        Tick(30);
        m_cam.m_PosCtrl.fDesiredMinDist = 1.5f;
        for (float& f : m_cam.m_PosCtrl.minDistFilter)
            f = 1.5f;
        m_cam.m_PosCtrl.timeSinceSnapped = cTimeValue(0);
        PlaceEntity({0, 0, 0}, row.turn);
        m_entity.m_velocity.Set(0, row.speed, 0);
        const auto heading = [&] {
            const mVec3 d = m_cam.GetPos() - Pivot();
            return std::atan2(-d.x, d.y) * 57.29578f;  // heading 0 faces +y
        };
        const auto movedOver = [&](int n) {
            float moved = 0.0f;
            for (int i = 0; i < n; ++i) {
                const mVec3 last = m_cam.GetPos();
                Tick();
                moved = std::max(moved, m_cam.GetPos().Dist(last));
            }
            return moved;
        };
        Tick(60);
        EXPECT_NEAR(std::remainder(heading() - (row.turn + 180.0f), 360.0f), 0.0f, 0.1f) << "behind";
        EXPECT_EQ(movedOver(30), 0.0f) << "at rest after two seconds";
        if (row.pitch == -15.0f)
            continue;
        m_cam.m_params.m_fOffsets[P::OFF_PITCH] = row.pitch;
        Tick(60);
        const mVec3 d = m_cam.GetPos() - Pivot();
        EXPECT_NEAR(std::asin(d.z / d.Length()) * 57.29578f, -row.pitch, 1.0f) << "the new pitch";
        EXPECT_EQ(movedOver(30), 0.0f) << "at rest again";
    }
}

// An entity turned on the spot beside a low wall's end (its top above the
// pivot, below the camera's line): the swing behind it would bring the
// camera in over the end while the entity turns. It stays out at its
// distance, seeing the entity past the end, and rests.
TEST_F(gcGameCameraControlTest, AStandingEntitysSwingStaysOutOfALowWallsEnd)
{
    std::vector<ColTri> wall;
    AddBox(&wall, {0.4f, -5, -20}, {10, -4, 0.5f});
    ASSERT_NE(AddZone(0, {0, 0, 0}, wall), nullptr);
    m_entity.m_velocity.Set(0, 0.3f, 0);
    m_cam.FollowEntity(kEntity, true);  // behind at -y, its line past the end
    Tick(30);
    const float fFrom = m_cam.GetPos().Dist(Pivot());
    PlaceEntity({0, 0, 0}, 40);  // behind it lies over the wall
    m_entity.m_velocity.Set(0, 0, 0);
    float nearest = fFrom;
    for (int i = 0; i < 90; ++i) {
        Tick();
        nearest = std::min(nearest, m_cam.GetPos().Dist(Pivot()));
    }
    EXPECT_GT(nearest, 0.99f * fFrom) << "stayed out";
    const mVec3 last = m_cam.GetPos();
    Tick(30);
    EXPECT_EQ(m_cam.GetPos().Dist(last), 0.0f) << "at rest";
}

// Placed behind an entity that runs off, the camera holds its distance,
// farther out than the wall test reaches: a wall that comes between there
// still stops it (the final sweep), never leaving it beyond the wall.
TEST_F(gcGameCameraControlTest, ACameraHeldBeyondItsDistanceStopsInFrontOfAWallThere)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    m_entity.m_velocity.Set(0, 15.0f, 0);
    m_cam.FollowEntity(kEntity, true);  // facing +y: the camera at y -6.28
    ASSERT_EQ(m_cam.m_nFlags & C::kBehindEntity, C::kBehindEntity);
    PlaceEntity({0, 1, 0});
    Tick();
    ASSERT_GT(m_cam.GetPos().Dist(Pivot()), 7.0f) << "held out past OFF_MINDIST";
    std::vector<ColTri> wall;
    AddQuad(&wall, {-20, -5.8f, -20}, {-20, -5.8f, 20}, {20, -5.8f, 20}, {20, -5.8f, -20});  // faces +y
    ASSERT_NE(AddZone(0, {0, 0, 0}, wall), nullptr);
    PlaceEntity({0, 1.5f, 0});
    Tick();
    EXPECT_GT(m_cam.GetPos().y, -5.8f) << "in front of the wall";
}

// From close in, even from nearer than the entity's size (1 without a
// mesh) where it came in ahead of a wall, the camera goes out to a wall
// farther off by at most a ninth of its distance a tick; from far out, it
// comes in over a low wall
// keeping at least 0.85 of it. At once, the entity would shrink or grow on
// screen two or three times in one frame.
TEST_F(gcGameCameraControlTest, TheCameraGoesOutAndComesInOverAWallAShareATickAtMost)
{
    constexpr float kTop = 2.0f;  // the low wall's top, a metre over the pivot
    const struct {
        const char* name;
        float fWallY;   // the wall facing +y; full height, or up to kTop
        bool bLow;
        float fFrom;    // the camera's distance behind the entity at the start
        float fAfter;   // its distance after 40 ticks: at least / at most
        float fStep;    // the most its distance changes in a tick, times
        bool bCameAhead = false;  // come in ahead of a wall
    } rows[] = {
        {"out to a wall farther off", -5.4f, false, 2.9f, 5.0f, 1.0f / 0.9f},
        // The entity's thousandth a tick away is a quarter percent of 0.4.
        {"out from nearer than the entity's size", -5.4f, false, 0.4f, 1.5f, 1.0025f / 0.9f, true},
        {"in over a low wall from afar", -4.8f, true, 9.0f, 5.0f, 1.0f / 0.85f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<ColTri> wall;
        const float fTop = row.bLow ? kTop : 20.0f;
        AddQuad(&wall, {-20, row.fWallY, -20}, {-20, row.fWallY, fTop}, {20, row.fWallY, fTop}, {20, row.fWallY, -20});
        AddQuad(&wall, {-20, row.fWallY - 0.3f, fTop}, {20, row.fWallY - 0.3f, fTop}, {20, row.fWallY, fTop},
                {-20, row.fWallY, fTop});  // its top, facing +z
        ASSERT_NE(AddZone(0, {0, 0, 0}, wall), nullptr);
        PlaceEntity({0, 0, 1});
        m_entity.m_velocity.Set(0, 0.001f, 0);
        m_cam.FollowEntity(kEntity, true);
        m_cam.MoveToWorld(mVec3(0, -row.fFrom, 1));
        m_cam.m_nFlags |= C::kBehindEntity;
        m_cam.m_bFollowCameAhead = row.bCameAhead;
        m_cam.m_PosCtrl.fDesiredMinDist = 6.5f;
        for (float& f : m_cam.m_PosCtrl.minDistFilter)
            f = 6.5f;
        float last = m_cam.GetPos().Dist(Pivot()), most = 1.0f;
        for (int i = 1; i <= 40; ++i) {
            PlaceEntity({0, 0.001f * static_cast<float>(i), 1});
            Tick();
            const float dist = m_cam.GetPos().Dist(Pivot());
            most = std::max(most, std::max(dist / last, last / dist));
            last = dist;
        }
        EXPECT_LE(most, row.fStep + 1e-3f);
        if (row.bLow)
            EXPECT_LE(last, row.fAfter);
        else
            EXPECT_GE(last, row.fAfter);
    }
}

// Swinging behind a standing entity towards a wall half a metre beside it
// (a flyer pressed against it), the aim's wall test comes nearer by more
// than a share a tick: the camera comes in along its own line, keeping at
// least 0.85 of its distance a tick, and ends in front of the wall. At
// once, the entity would grow on screen by a third or more in one frame.
TEST_F(gcGameCameraControlTest, SwungTowardsAWallTheCameraComesInAShareATickAtMost)
{
    std::vector<ColTri> wall;
    AddQuad(&wall, {-0.5f, -20, -20}, {-0.5f, 20, -20}, {-0.5f, 20, 20}, {-0.5f, -20, 20});  // faces +x
    ASSERT_NE(AddZone(0, {0, 0, 0}, wall), nullptr);
    m_entity.m_velocity.Set(0, 0.3f, 0);
    m_cam.FollowEntity(kEntity, true);  // behind at -y
    Tick(30);
    PlaceEntity({0, 0, 0}, -90);  // facing +x: behind it lies past the wall
    m_entity.m_velocity.Set(0, 0, 0);
    float last = m_cam.GetPos().Dist(Pivot()), most = 1.0f;
    for (int i = 0; i < 60; ++i) {
        Tick();
        const float dist = m_cam.GetPos().Dist(Pivot());
        most = std::max(most, last / dist);
        last = dist;
    }
    EXPECT_LE(most, 1.0f / 0.85f + 1e-3f);
    EXPECT_LT(last, 3.0f) << "come in";
    EXPECT_GT(m_cam.GetPos().x, -2.0f) << "in front of the wall";
}

// Held nearer the pivot than the entity's size (1 without a mesh), the
// entity is drawn see-through: solid from 0.9 of it out, at 0.3 from 0.7 in.
TEST_F(gcGameCameraControlTest, TheEntityIsSeeThroughWhereTheCameraIsHeldNearerThanItsSize)
{
    const struct {
        float fDist;
        float fAlpha;
    } rows[] = {{2.0f, 1.0f}, {0.9f, 1.0f}, {0.8f, 0.65f}, {0.7f, 0.3f}, {0.2f, 0.3f}};
    for (const auto& row : rows)
        EXPECT_NEAR(m_cam.FollowedAlpha(m_entity, Pivot() + mVec3(0, -row.fDist, 0), Pivot()), row.fAlpha, 1e-4f)
            << row.fDist;
}

// Wherever the camera stands, the entity's box taking 0.26 of the screen or
// more is drawn see-through: solid up to it, at 0.3 from 0.36 on.
TEST_F(gcGameCameraControlTest, TheEntityIsSeeThroughWhereItsBoxTakesMuchOfTheScreen)
{
    const struct {
        float fShare;
        float fAlpha;
    } rows[] = {{0.1f, 1.0f}, {0.26f, 1.0f}, {0.31f, 0.65f}, {0.36f, 0.3f}, {0.9f, 0.3f}};
    for (const auto& row : rows)
        EXPECT_NEAR(gcGameCamera::FollowedShareAlpha(row.fShare), row.fAlpha, 1e-4f) << row.fShare;
}

// The followed box's share of the screen is its corners' bounding box over
// the screen's, the nearest face counting: a unit cube whose near face is
// 3.5 in front of the eye, a screen a unit across and 0.75 up, takes
// (1 / 3.5)^2 / 0.75 of it; nothing while its region is not resident.
TEST_F(gcGameCameraControlTest, TheFollowedBoxsShareIsMeasuredFromItsNearestFace)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    GiveMesh().m_colliderSize.Set(0.5f, 0.5f, 0.5f);
    const mOCS eye = MakeFrame(0, -4, 0, 0);  // looking along +y
    const gcCameraOccluders::ScreenBox screen{-0.5f, -0.375f, 0.5f, 0.375f};
    EXPECT_NEAR(gcCameraOccluders::FollowedShare(eye, screen, m_entity), 1.0f / (3.5f * 3.5f * 0.75f), 1e-4f);
    s_regionId = 4;
    EXPECT_EQ(gcCameraOccluders::FollowedShare(eye, screen, m_entity), 0.0f);
}

// Through the camera's own view (its screen read off the near plane): an
// entity small in the picture stays solid, one that fills much of it is
// drawn see-through once the fade is over.
TEST_F(gcGameCameraControlTest, TheCameraFadesTheFollowedEntityByItsShareOfItsView)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    eMesh& mesh = GiveMesh();
    const struct {
        float fHalf;
        uint32_t nAlpha;
    } rows[] = {{0.6f, 0xFF}, {2.0f, 0x4C}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fHalf);
        const OneTint tint(&m_entity, 0xFF102030u);
        mesh.m_colliderSize.Set(row.fHalf, row.fHalf, row.fHalf);
        mesh.m_fVisRadius = mesh.m_fColRadius = row.fHalf;
        m_cam.Reset(true);
        m_cam.FollowEntity(kEntity, true);
        Tick(12);
        EXPECT_EQ(tint.Color() >> 24, row.nAlpha);
    }
}

// Beneath an eave (its bottom 0.5 m over the pivot, from 2 m behind the
// entity on) the camera, level behind a standing entity, rises towards the
// follow pitch until its wall test meets the eave's edge. It stays out,
// passing beneath the edge at a lower pitch, rather than coming in to the
// edge at once (the entity three times its size on screen in one frame).
TEST_F(gcGameCameraControlTest, BeneathAnEaveTheCameraStaysOutAtALowerPitch)
{
    std::vector<ColTri> eave;
    AddQuad(&eave, {-20, -2, 0.5f}, {-20, 20, 0.5f}, {20, 20, 0.5f}, {20, -2, 0.5f});  // faces -z
    ASSERT_NE(AddZone(0, {0, 0, 0}, eave), nullptr);
    m_cam.FollowEntity(kEntity, true);
    m_cam.MoveToWorld(mVec3(0, -7, 0));
    float last = m_cam.GetPos().Dist(Pivot()), nearest = last, most = 1.0f;
    for (int i = 0; i < 60; ++i) {
        Tick();
        const float dist = m_cam.GetPos().Dist(Pivot());
        nearest = std::min(nearest, dist);
        most = std::max(most, std::max(dist / last, last / dist));
        last = dist;
    }
    EXPECT_GT(nearest, 6.0f);
    EXPECT_LE(most, 1.0f / 0.9f + 1e-3f);
    EXPECT_GT(PitchOver(m_cam.GetPos(), Pivot()), 5.0f) << "risen as far as the eave's edge lets it";
}

// The last look: a pillar stood between the entity and the camera in one
// tick would pull the camera in to it at once, the entity growing on
// screen four times in a frame. Instead the camera turns round the entity
// to where it sees past the pillar, its distance within 1.2 times of the
// last frame's; with a wall along one side, round the other side. Placed
// anew (a jump of more than a metre) the entity is a cut: the stages'
// place stands, in front of the pillar.
TEST_F(gcGameCameraControlTest, AWallStoodBetweenTurnsTheCameraRoundRatherThanCuttingIn)
{
    const struct {
        const char* name;
        float fJump;  // how far the entity is placed along +y as the pillar stands
        bool bSeenPast;
        float fSideWallX = 0.0f;  // a wall along y at this x beside the camera's way round, or none
    } rows[] = {{"walking on", 0.01f, true},
                {"a wall on the right", 0.01f, true, 1.5f},
                {"a wall on the left", 0.01f, true, -1.5f},
                {"placed anew", 1.5f, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
        m_cam.Reset(true);
        FollowWalkingOn();
        const float fWas = m_cam.GetPos().Length();
        ASSERT_GT(fWas, 5.0f);
        std::vector<ColTri> pillar;
        AddBox(&pillar, {-0.6f, -2.6f, -5}, {0.6f, -2.0f, 10});
        if (row.fSideWallX != 0.0f)
            AddBox(&pillar, {row.fSideWallX - 0.1f, -10, -5}, {row.fSideWallX + 0.1f, -1, 10});
        ASSERT_NE(AddZone(0, {0, 0, 0}, pillar), nullptr);
        const mVec3 middle(0, row.fJump, 0);
        PlaceEntity(middle);
        Tick();
        const mVec3 cam = m_cam.GetPos();
        const float fNow = cam.Dist(middle);
        // Where the line from the entity to the camera crosses the
        // pillar's two faces, it passes beside it.
        const auto besideAt = [&](float y) {
            return std::fabs(middle.x + (cam.x - middle.x) * (y - middle.y) / (cam.y - middle.y)) > 0.6f;
        };
        if (row.bSeenPast) {
            EXPECT_LE(std::max(fNow / fWas, fWas / fNow), 1.2f + 1e-3f);
            EXPECT_TRUE(besideAt(-2.0f) && besideAt(-2.6f)) << cam.x << " " << cam.y;
            EXPECT_LE(cam.x * row.fSideWallX, 0.0f) << "on the open side";
        } else {
            EXPECT_GT(cam.y, -2.0f) << "in front of the pillar";
        }
    }
}

// The pillar stood between as above, and with it a ceiling over the
// entity whose edge the lines out to the camera's pitch (15 degrees) all
// meet, turned round as far as they may be: the last look lowers the
// pitch 5 degrees at a time and turns round again, passing beneath the
// edge and beside the pillar at the same distance. The lower the ceiling,
// the lower the pitch. Without it the stages' place, in front of the
// pillar, would stand.
TEST_F(gcGameCameraControlTest, BeneathACeilingsEdgeTheLastLookLowersThePitch)
{
    const struct {
        const char* name;
        float fUnder;  // the ceiling's underside over the entity's middle
        float fPitch;  // the camera's pitch over the pivot after the tick
    } rows[] = {{"a step lower", 0.6f, 9.9f}, {"three steps lower", 0.4f, -0.1f}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
        m_cam.Reset(true);
        GiveMesh().m_colliderSize = mVec3(0.3f, 0.3f, 0.15f);
        FollowWalkingOn();
        mVec3 was = m_cam.GetPos() - Pivot();
        const float fWas = was.Normalize();
        ASSERT_NEAR(std::asin(was.z) * 57.29578f, 14.9f, 0.1f);
        std::vector<ColTri> tris;
        AddBox(&tris, {-0.6f, -2.6f, -5}, {0.6f, -2.0f, 10});
        AddBox(&tris, {-10, -1.0f, row.fUnder}, {10, 10, row.fUnder + 0.3f});
        ASSERT_NE(AddZone(0, {0, 0, 0}, tris), nullptr);
        PlaceEntity({0, 0.031f, 0});
        Tick();
        mVec3 now = m_cam.GetPos() - Pivot();
        EXPECT_NEAR(now.Normalize(), fWas, 0.01f);
        EXPECT_NEAR(std::asin(now.z) * 57.29578f, row.fPitch, 0.2f);
        EXPECT_GT(std::fabs(m_cam.GetPos().x), 0.6f) << "beside the pillar";
    }
}

// The last look weighs the entity's size on screen, not its distance
// alone: a box turned broadside on in one tick grows on screen at the
// same distance. A thin one (ten times as long as it is wide) turned a
// right angle would grow 2.6 times: the camera stands back on its line to
// where it grows 1.1 times, 2.36 times as far (at the 1.2 limit itself,
// 2.18). Turned end on it would shrink as much: the camera comes in to
// 0.42 of its distance (0.46 at the limit). A cube turned 45 degrees grows
// 1.19 times, within the limit: the camera keeps its distance.
TEST_F(gcGameCameraControlTest, AnEntityTurnedOnTheSpotChangesSizeOnScreenAStepAtATime)
{
    const struct {
        const char* name;
        mVec3 half;
        float fTurn;
        float fMostStep;      // the size's step on screen
        float fOutLo, fOutHi;  // the camera's distance after over before
    } rows[] = {{"a thin box turned a right angle", {0.1f, 1.0f, 0.5f}, 90.0f, 1.25f, 2.3f, 2.5f},
                {"a thin box turned end on", {1.0f, 0.1f, 0.5f}, 90.0f, 1.25f, 0.4f, 0.44f},
                {"a cube turned 45 degrees", {0.5f, 0.5f, 0.5f}, 45.0f, 1.25f, 0.99f, 1.01f}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
        m_cam.Reset(true);
        GiveMesh().m_colliderSize = row.half;
        PlaceEntity({0, 0, 0});
        m_cam.FollowEntity(kEntity, true);
        Tick(60);
        const auto size = [&] {
            gcCameraOccluders::ScreenBox box;
            EXPECT_TRUE(gcCameraOccluders::Project(m_cam.m_camera.m_cameraToWorld, m_entity.m_model.m_localToParent,
                                                   row.half, &box));
            return std::sqrt((box.x1 - box.x0) * (box.y1 - box.y0));
        };
        const float fWasSize = size(), fWas = m_cam.GetPos().Length();
        PlaceEntity({0, 0, 0}, row.fTurn);
        Tick();
        const float fStep = size() / fWasSize, fOut = m_cam.GetPos().Length() / fWas;
        EXPECT_LE(fStep, row.fMostStep);
        EXPECT_GE(fOut, row.fOutLo);
        EXPECT_LE(fOut, row.fOutHi);
    }
}

// A flyer's pivot 0.8 over its middle, a ceiling just over the pivot and
// a wall a metre behind: the camera stands near, about level with the
// pivot. Looking at the pivot would put the middle 40 degrees below the
// view's centre, past the frame's edge; the view turns down to just
// where the middle lies half the frame's half height below the centre. A
// walker's view, its pivot within its body, is not lowered.
TEST_F(gcGameCameraControlTest, NearAFlyerTheViewKeepsItsMiddleInTheFrame)
{
    std::vector<ColTri> tris;
    AddQuad(&tris, {-20, -20, 1.0f}, {-20, 20, 1.0f}, {20, 20, 1.0f}, {20, -20, 1.0f});  // faces -z
    AddQuad(&tris, {-20, -1.2f, -20}, {-20, -1.2f, 20}, {20, -1.2f, 20}, {20, -1.2f, -20});  // faces +y
    ASSERT_NE(AddZone(0, {0, 0, 0}, tris), nullptr);
    eMesh& mesh = GiveMesh();
    for (const float fHalfHeight : {0.3f, 1.0f}) {
        const bool bFlyer = fHalfHeight < 0.8f;
        SCOPED_TRACE(bFlyer ? "flyer" : "walker");
        m_cam.Reset(true);
        ShapeWithPivot(mesh, 0.3f, fHalfHeight);
        PlaceEntity({3, 0, 0});  // off the world's axes
        m_entity.m_velocity.Set(0, 0.3f, 0);
        m_cam.FollowEntity(kEntity, true);
        m_cam.LookAtEntity(kEntity, true);
        float fNear = 0, fFar = 0, fLeft = 0, fRight = 0, fTop = 0, fBottom = 0;
        m_cam.m_camera.m_frustum.GetPerspective(&fNear, &fFar, &fLeft, &fRight, &fTop, &fBottom);
        const float fHalf = std::atan(fTop / fNear);
        for (int i = 1; i <= 30; ++i) {
            PlaceEntity({3, 0.001f * static_cast<float>(i), 0});
            Tick();
        }
        const mOCS& view = m_cam.m_camera.m_cameraToWorld;
        mVec3 toMiddle = Pivot() - view.origin;
        ASSERT_LT(toMiddle.Normalize(), 1.5f) << "near";
        ASSERT_LT(view.origin.z, 0.8f) << "beneath the pivot";
        const float fLowered = std::asin(toMiddle.z) + 0.5f * fHalf;
        const float fViewPitch = std::asin(view.basis.forward.z);
        if (bFlyer)
            EXPECT_NEAR(fViewPitch, fLowered, 0.01f);
        else
            EXPECT_GT(std::fabs(fViewPitch - fLowered), 0.05f) << "not lowered";
    }
}
