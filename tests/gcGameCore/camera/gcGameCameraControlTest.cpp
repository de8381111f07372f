// The camera's controllers, collision, trigger queries and stick directions,
// run in a zone loaded from datagen data: region 1 resident in slot 0 at the
// world origin, an entity, region points and paths of that region.
#include "gcGameCore/camera/gcGameCamera.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "eEngine/eColliderRay.h"
#include "eEngine/eInput.h"
#include "eEngine/eZone.h"
#include "eEngine/eMesh.h"

#include "eEngine/collisionTestSupport.h"
#include "gcGameCore/camera/gcCameraOccluders.h"
#include "oneTint.h"
#include "gcGameCore/creatures/creatureTestTypes.h"
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

// The view's turn (degrees) and the camera's move relative to the pivot
// from one tick to the next, at most, over n ticks; and the last move.
struct Motion {
    float turn = 0.0f, travel = 0.0f, last = 0.0f;
};
float AngleOf(const mVec3& a, const mVec3& b)
{
    return std::acos(std::clamp(a.Dot(b), -1.0f, 1.0f)) * 57.29578f;
}

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
    // An open zone, the entity standing at, followed and looked at from a snap.
    bool FollowStandingInTheOpen(const mVec3& at)
    {
        if (!AddZone(0, {0, 0, 0}, {}))
            return false;
        PlaceEntity(at);
        m_entity.m_velocity.Set(0, 0, 0);
        m_cam.FollowEntity(kEntity, true);
        m_cam.LookAtEntity(kEntity, true);
        return true;
    }
    Motion TickMeasuring(int n)
    {
        const auto lookAt = [&] {
            mVec3 d = Pivot() - m_cam.GetPos();
            d.Normalize();
            return d;
        };
        Motion most;
        mVec3 lastView = lookAt(), lastPos = m_cam.GetPos();
        for (int i = 0; i < n; ++i) {
            Tick();
            const mVec3 view = lookAt();
            most.turn = std::max(most.turn, AngleOf(view, lastView));
            most.last = m_cam.GetPos().Dist(lastPos);
            most.travel = std::max(most.travel, most.last);
            lastView = view, lastPos = m_cam.GetPos();
        }
        return most;
    }
    // Nothing between the entity's middle and the camera.
    bool RayClearFromMiddle()
    {
        mVec3 at = m_cam.GetPos();
        const mVec3 middle = Pivot();
        mVec3 dir = at - middle;
        const float fLength = dir.Normalize();
        eColliderRay ray;
        ray.m_ray.origin = middle;
        ray.m_ray.dir = dir;
        ray.m_ray.length = fLength;
        ray.m_nCollisionMask = 1;
        eZone::CollisionCullAll(ray);
        ray.ClearHit();
        return !eZone::CollideAllRay(&ray);
    }
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
    // Followed from behind (at -y) for 30 ticks beside a wall half a metre
    // off, then standing turned to face it: behind it lies past the wall.
    void StandFacingAWallBeside()
    {
        std::vector<ColTri> wall;
        AddQuad(&wall, {-0.5f, -20, -20}, {-0.5f, 20, -20}, {-0.5f, 20, 20}, {-0.5f, -20, 20});  // faces +x
        ASSERT_NE(AddZone(0, {0, 0, 0}, wall), nullptr);
        m_entity.m_velocity.Set(0, 0.3f, 0);
        m_cam.FollowEntity(kEntity, true);
        Tick(30);
        PlaceEntity({0, 0, 0}, -90);
        m_entity.m_velocity.Set(0, 0, 0);
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

// A targeting camera goes behind the entity at the offsets' pitch and
// heading from wherever it was placed (placed anew, the first tick cuts
// to it), and stays within 1.5 x OFF_MINDIST of it.
TEST_F(gcGameCameraControlTest, ATargetingCameraGoesBehindTheEntity)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    s_bTargeting = true;
    const float c = std::cos(15.0f * 0.01745329f), sn = std::sin(15.0f * 0.01745329f);
    const struct {
        float fDist, fOffset;  // the camera's start, OFF_HEADING
    } rows[] = {{10.0f, 180.0f}, {9.74f, 180.0f}, {4.0f, 180.0f}, {4.0f, 150.0f}};
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.fDist << " " << r.fOffset);
        m_cam.m_params.m_fOffsets[P::OFF_HEADING] = r.fOffset;
        m_entity.m_velocity.Set(0, 0.01f, 0);
        m_cam.FollowEntity(kEntity, true);
        mOCS view;
        view.LookAt({3, -r.fDist, 0}, {0, 0, 0}, {0, 0, 1});
        m_cam.MoveToWorld(view);
        const float a = (r.fOffset - 180.0f) * 0.01745329f;
        const mVec3 behind(6.5f * c * std::sin(a), -6.5f * c * std::cos(a), 6.5f * sn);
        for (int i = 0; i < 40; ++i) {
            Tick();
            ASSERT_LE(m_cam.GetPos().Dist(Pivot()), 1.5f * 6.5f) << i;
            ASSERT_LT(m_cam.GetPos().Dist(behind), 0.05f) << i;
        }
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

// The pivot held down under the ceiling near the entity's middle: the
// camera comes no lower than the middle (turned kMinFollowPitch under the
// pivot at its distance it would look up at the entity from beneath), and
// keeps its distance.
TEST_F(gcGameCameraControlTest, UnderACeilingTheCameraIsNeverBeneathTheEntitysMiddle)
{
    std::vector<ColTri> ceiling;
    AddQuad(&ceiling, {-20, -20, 0.5f}, {-20, 20, 0.5f}, {20, 20, 0.5f}, {20, -20, 0.5f});  // faces -z
    ASSERT_NE(AddZone(0, {0, 0, 0}, ceiling), nullptr);
    m_cam.m_params.m_fOffsets[P::OFF_ENTITY] = m_cam.m_LookAtCtrl.fEntityOffset = 0.8f;
    m_cam.m_params.m_fOffsets[P::OFF_MINDIST] = 7.0f;
    m_cam.FollowEntity(kEntity, true);
    float lowest = 1.0f, nearest = 100.0f;
    for (int i = 0; i < 60; ++i) {
        Tick();
        lowest = std::min(lowest, m_cam.GetPos().z);
        nearest = std::min(nearest, m_cam.GetPos().Dist(mVec3(0, 0, 0)));
    }
    EXPECT_GE(lowest, -1e-3f) << "level with the middle or above";
    EXPECT_GT(nearest, 5.0f) << "at its distance";
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

// Whatever the factor, a reorientation behind a moving entity that turned a
// quarter ends behind it: a slowed one turns slowly, never away. It is over
// (kReorienting cleared) once the view has arrived, not before.
TEST_F(gcGameCameraControlTest, EveryReorientFactorEndsBehindTheEntity)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    for (float fFactor : {0.25f, 0.5f, 1.0f, 1.5f}) {
        SCOPED_TRACE(fFactor);
        PlaceEntity({0, 0, 0});
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
            if (n == 0) {
                EXPECT_EQ(m_cam.m_nFlags & C::kReorienting, C::kReorienting) << "under way";
            }
        }
        EXPECT_LT(fWorst, 1.0f);
        EXPECT_EQ(m_cam.m_nFlags & C::kReorienting, 0u) << "arrived";
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
        EXPECT_VEC_NEAR(m_cam.GetPos(), mVec3(0, 0, 1), 1e-6f);  // a snap turns the view, the camera stays
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

// Data asking for a pitch steeper than 60 degrees: the snap stands no
// steeper than the rig does, and the view holds there (no jump on the
// next frame), following or targeting.
TEST_F(gcGameCameraControlTest, ASnapAtASteepOffsetPitchStartsWithinSixtyDegreesAndHolds)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    m_cam.m_params.m_fOffsets[P::OFF_PITCH] = -75.0f;
    for (const bool bTargeting : {false, true}) {
        SCOPED_TRACE(bTargeting);
        s_bTargeting = bTargeting;
        m_entity.m_velocity.Set(0, 0, 0);
        m_cam.FollowEntity(kEntity, true);
        m_cam.LookAtEntity(kEntity, true);
        float lastDown = LookDown(m_cam);
        EXPECT_LE(lastDown, 60.0f);
        for (int i = 0; i < 10; ++i) {
            Tick();
            EXPECT_LE(LookDown(m_cam), 60.0f) << i;
            EXPECT_NEAR(LookDown(m_cam), lastDown, 2.0f) << i;
            lastDown = LookDown(m_cam);
        }
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

// Swinging behind a standing entity towards a wall half a metre beside it
// (a flyer pressed against it), the aim's wall test comes nearer by more
// than a share a tick: the camera comes in along its own line, keeping at
// least 0.85 of its distance a tick, and ends in front of the wall. At
// once, the entity would grow on screen by a third or more in one frame.
TEST_F(gcGameCameraControlTest, SwungTowardsAWallTheCameraComesInAShareATickAtMost)
{
    StandFacingAWallBeside();
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

// Settled beside a wall half a metre off, the entity turned to face it:
// the place behind it lies past the wall, where no sight line reaches. The
// camera comes in to the wall's side and then stands exactly still, not
// creeping on by millimetres towards the rest of the way.
TEST_F(gcGameCameraControlTest, ASettledCameraHoldsWhereTheRestOfTheWayCouldNotBeSeen)
{
    StandFacingAWallBeside();
    Tick(90);
    const mVec3 held = m_cam.GetPos();
    for (int i = 0; i < 60; ++i) {
        Tick();
        ASSERT_EQ(m_cam.GetPos().x, held.x) << i;
        ASSERT_EQ(m_cam.GetPos().y, held.y) << i;
        ASSERT_EQ(m_cam.GetPos().z, held.z) << i;
    }
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
        float fDist;  // the camera at least this far out
    } rows[] = {{0.6f, 0xFF, 6.4f}, {2.0f, 0xC2, 9.0f}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fHalf);
        const OneTint tint(&m_entity, 0xFF102030u);
        mesh.m_colliderSize.Set(row.fHalf, row.fHalf, row.fHalf);
        mesh.m_fVisRadius = mesh.m_fColRadius = row.fHalf;
        m_cam.Reset(true);
        m_cam.FollowEntity(kEntity, true);
        Tick(12);
        // The large one: placed at the follow distance it took much of the
        // screen and began to fade; the rig took the camera farther out,
        // and it comes back towards solid.
        EXPECT_EQ(tint.Color() >> 24, row.nAlpha);
        EXPECT_GT(m_cam.GetPos().Dist(Pivot()), row.fDist);
    }
}

// A flyer's pivot 0.8 over its middle, a ceiling just over the pivot and
// walls a metre or so round it: the camera stands near, about level with
// the pivot. Looking at the pivot would put the middle 40 degrees below the
// view's centre, past the frame's edge; the view turns down to just
// where the middle lies half the frame's half height below the centre, or
// lower where the bottom of its box would leave the frame. A walker's view,
// its pivot within its body and its box too tall to fit that near, is not
// lowered.
TEST_F(gcGameCameraControlTest, NearAFlyerTheViewKeepsItsMiddleInTheFrame)
{
    std::vector<ColTri> tris;
    AddQuad(&tris, {-20, -20, 1.0f}, {-20, 20, 1.0f}, {20, 20, 1.0f}, {20, -20, 1.0f});  // faces -z
    AddQuad(&tris, {-20, -1.2f, -20}, {-20, -1.2f, 20}, {20, -1.2f, 20}, {20, -1.2f, -20});  // faces +y
    AddQuad(&tris, {20, 1.2f, -20}, {20, 1.2f, 20}, {-20, 1.2f, 20}, {-20, 1.2f, -20});      // faces -y
    AddQuad(&tris, {1.8f, -20, -20}, {1.8f, 20, -20}, {1.8f, 20, 20}, {1.8f, -20, 20});      // faces +x
    AddQuad(&tris, {4.2f, -20, 20}, {4.2f, 20, 20}, {4.2f, 20, -20}, {4.2f, -20, -20});      // faces -x
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
        // A flyer's box, small enough to fit, has its bottom within 0.9 of
        // the half height as well.
        float fFeet = 1.0f;
        for (const float x : {-0.3f, 0.3f})
            for (const float y : {-0.3f, 0.3f}) {
                const mVec3 d = Pivot() + mVec3(x, y, -fHalfHeight) - view.origin;
                fFeet = std::min(fFeet, std::atan2(d.z, std::hypot(d.x, d.y)));
            }
        const float fLowered = std::min(std::asin(toMiddle.z) + 0.5f * fHalf, fFeet + 0.9f * fHalf);
        const float fViewPitch = std::asin(view.basis.forward.z);
        if (bFlyer)
            EXPECT_NEAR(fViewPitch, fLowered, 0.01f);
        else
            EXPECT_GT(std::fabs(fViewPitch - fLowered), 0.05f) << "not lowered";
    }
}

namespace {

// The angle between where the camera stands from the pivot and the
// heading behind it (0: +y faces the entity, the camera at -y).
float gcCameraTestHeading(const mVec3& dir)
{
    return std::atan2(-dir.x, dir.y) * 57.29578f;
}

}  // namespace

// An entity that turns its back on the camera and stands: after a short
// wait the camera settles behind it, damped (the view turning at most 12
// degrees and the camera moving at most a metre a tick), and then rests.
// The data's heading offset (OFF_HEADING, 180: straight behind) turns the
// place it rests at: at 150, 30 degrees round to the entity's left.
TEST_F(gcGameCameraControlTest, AStandingEntitysCameraSettlesBehindItWithinTheLimits)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    for (const float fOffset : {180.0f, 150.0f}) {
        SCOPED_TRACE(fOffset);
        m_cam.m_params.m_fOffsets[P::OFF_HEADING] = fOffset;
        PlaceEntity({0, 0, 0});
        m_entity.m_velocity.Set(0, 0.3f, 0);
        m_cam.FollowEntity(kEntity, true);  // behind at -y, turned by the offset
        Tick(10);
        PlaceEntity({0, 0, 0}, 180);  // facing -y: the camera in front of it
        m_entity.m_velocity.Set(0, 0, 0);
        const Motion most = TickMeasuring(90);
        mVec3 from = m_cam.GetPos() - Pivot();
        from.z = 0.0f;
        from.Normalize();
        const float a = (fOffset - 180.0f) * 0.01745329f;
        const mVec3 behind(-std::sin(a), std::cos(a), 0.0f);
        EXPECT_LT(AngleOf(from, behind), 60.0f) << "behind it after 3 s";
        EXPECT_LT(AngleOf(from, behind), 2.0f) << "all the way";
        EXPECT_LE(most.turn, 12.0f);
        EXPECT_LE(most.travel, 1.0f);
        EXPECT_GT(most.turn, 5.0f) << "it did swing";
        EXPECT_LT(most.last, 0.001f) << "at rest";
    }
}

// The same swing past a post on either side, a few metres out: where the
// turn would pass behind the post, the camera holds its view and comes in
// ahead of it, then swings on in front of it. Brought in front of it at
// once, the camera would jump metres in a frame.
TEST_F(gcGameCameraControlTest, AStandingEntitysSwingComesInAheadOfAPostWithinTheLimits)
{
    std::vector<ColTri> posts;
    AddBox(&posts, {2.5f, -0.3f, -20}, {3.1f, 0.3f, 20});
    AddBox(&posts, {-3.1f, -0.3f, -20}, {-2.5f, 0.3f, 20});
    ASSERT_NE(AddZone(0, {0, 0, 0}, posts), nullptr);
    m_entity.m_velocity.Set(0, 0.3f, 0);
    m_cam.FollowEntity(kEntity, true);  // behind at -y
    Tick(10);
    ASSERT_GT(m_cam.GetPos().Dist(Pivot()), 4.0f) << "out past the posts";
    PlaceEntity({0, 0, 0}, 180);  // facing -y: the camera in front of it
    m_entity.m_velocity.Set(0, 0, 0);
    const Motion most = TickMeasuring(150);
    EXPECT_LE(most.turn, 12.0f);
    EXPECT_LE(most.travel, 1.0f);
    EXPECT_GT(m_cam.GetPos().y, 2.0f) << "swung round past the post";
}

// A standing entity turns its back 135 degrees round from the camera; a
// post stands in the short way round (across its first quarter, a metre
// out). The camera swings the long way, keeping its distance, and ends
// behind the entity; round the short way it would be pulled in onto the
// entity by the post and out again.
TEST_F(gcGameCameraControlTest, ASettlingSwingGoesTheLongWayRoundAPostInTheShortOne)
{
    std::vector<ColTri> post;
    AddBox(&post, {1.0f, -8.0f, -20}, {1.6f, -0.6f, 20});
    ASSERT_NE(AddZone(0, {0, 0, 0}, post), nullptr);
    m_entity.m_velocity.Set(0, 0.3f, 0);
    m_cam.FollowEntity(kEntity, true);  // behind at -y
    Tick(10);
    const float fDist = m_cam.GetPos().Dist(Pivot());
    ASSERT_GT(fDist, 4.0f);
    PlaceEntity({0, 0, 0}, 135);  // its back towards +x +y
    m_entity.m_velocity.Set(0, 0, 0);
    float fNearest = fDist, fMostX = -fDist;
    for (int i = 0; i < 150; ++i) {
        Tick();
        fNearest = std::min(fNearest, m_cam.GetPos().Dist(Pivot()));
        if (m_cam.GetPos().y < 0.0f)
            fMostX = std::max(fMostX, m_cam.GetPos().x);
    }
    mVec3 from = m_cam.GetPos() - Pivot();
    from.z = 0.0f;
    from.Normalize();
    EXPECT_LT(AngleOf(from, mVec3(0.7071f, 0.7071f, 0)), 10.0f) << "behind it";
    EXPECT_GT(fNearest, 0.8f * fDist) << "kept its distance";
    EXPECT_LT(fMostX, 0.5f) << "never past the post's side";
}

// A creature standing right behind a settled entity hides it from the
// place behind: the camera still rests within 60 degrees of the entity's
// back (it sees past the creature's edge, or the creature is faded), not
// walked round to where the creature covers nothing.
TEST_F(gcGameCameraControlTest, ACreatureBehindASettledEntityDoesNotTurnTheCameraAway)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    ShapeWithPivot(GiveMesh(), 0.4f, 0.9f);
    gcTestCreature guard;
    guard.m_nRegionId = 1;
    guard.m_model.m_hMesh = m_entity.m_model.m_hMesh;
    guard.m_model.m_localToParent = MakeFrame(-1.1f, 0, 0, 0);
    guard.m_model.m_nGeomFlags |= eGeom::kDirty;
    gcCreature::s_pActiveCreatures[0] = &guard;
    m_entity.m_velocity.Set(0, 0, 0);
    m_cam.FollowEntity(kEntity, true);  // behind at -y
    m_cam.LookAtEntity(kEntity, true);
    PlaceEntity({0, 0, 0}, -90);  // turned to face +x: its back, and the creature, at -x
    float most = 0.0f;
    for (int i = 0; i < 150; ++i) {
        Tick();
        mVec3 from = m_cam.GetPos() - Pivot();
        from.z = 0.0f;
        from.Normalize();
        if (i >= 90)
            most = std::max(most, AngleOf(from, mVec3(-1, 0, 0)));
    }
    gcCreature::s_pActiveCreatures[0] = nullptr;
    EXPECT_LT(most, 60.0f);
}

// Whatever pitch the camera was left at, it is back at the follow pitch
// (15 degrees over the pivot) within 5 degrees in a second, the entity
// running along, where nothing holds it lower.
TEST_F(gcGameCameraControlTest, ThePitchComesBackToTheFollowPitchWithinASecondMoving)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    for (const float fStart : {1.0f, 45.0f}) {
        SCOPED_TRACE(fStart);
        m_entity.m_velocity.Set(0, 0.3f, 0);
        PlaceEntity({0, 0, 0});
        m_cam.FollowEntity(kEntity, true);
        const float a = fStart * 0.01745329f;
        m_cam.MoveToWorld(mVec3(0, -6.5f * std::cos(a), 6.5f * std::sin(a)));
        Tick();  // the cut after being placed: it stays where it was put
        for (int i = 1; i <= 30; ++i) {
            PlaceEntity({0, 0.01f * static_cast<float>(i), 0});
            Tick();
        }
        mVec3 d = m_cam.GetPos() - Pivot();
        d.Normalize();
        EXPECT_NEAR(std::asin(d.z) * 57.29578f, 15.0f, 5.0f);
    }
}

// A standing entity whose place behind is pulled in by a wall, its camera
// left low beside the wall's end: with room at the follow pitch where the
// camera stands, the view rises back to within 5 degrees of it in a second.
TEST_F(gcGameCameraControlTest, HeldLowBesideAWallTheCameraRisesToTheFollowPitch)
{
    std::vector<ColTri> tris;
    AddQuad(&tris, {-1.0f, -4.5f, -20}, {-1.0f, -4.5f, 20}, {0.8f, -4.5f, 20}, {0.8f, -4.5f, -20});  // faces +y
    ASSERT_NE(AddZone(0, {0, 0, 0}, tris), nullptr);
    PlaceEntity({0, 0, 0});
    m_cam.FollowEntity(kEntity, true);  // behind at -y
    const float h = 15.0f * 0.01745329f, p = 6.0f * 0.01745329f;
    m_cam.MoveToWorld(Pivot() + mVec3(6.7f * std::cos(p) * std::sin(h), -6.7f * std::cos(p) * std::cos(h), 6.7f * std::sin(p)));
    Tick();  // placed: it stays where it was put
    const Motion most = TickMeasuring(30);
    mVec3 d = m_cam.GetPos() - Pivot();
    d.Normalize();
    EXPECT_NEAR(std::asin(d.z) * 57.29578f, 15.0f, 5.0f);
    EXPECT_LE(most.turn, 12.0f);
    EXPECT_LE(most.travel, 1.0f);
}

// A walker comes out from under the end of a low beam, the camera behind
// it still beneath: the pivot, held down under the beam, rises as the beam
// lets it go, and the line from the risen pivot back to the camera passes
// through the beam's end. The camera keeps its distance and its view goes
// on a tick's turn and travel at a time (rising at once, every way back
// from the pivot met the beam and the camera leapt onto the walker).
TEST_F(gcGameCameraControlTest, ComingOutFromUnderABeamTheCameraDoesNotLeapIn)
{
    std::vector<ColTri> tris;
    AddBox(&tris, {-3, -12, 0.5f}, {3, 0, 1.5f});
    ASSERT_NE(AddZone(0, {0, 0, 0}, tris), nullptr);
    ShapeWithPivot(GiveMesh(), 0.3f, 0.3f);
    m_cam.m_params.m_fOffsets[P::OFF_MINDIST] = 7.0f;
    PlaceEntity({0, -2, 0});
    m_entity.m_velocity.Set(0, 6.0f, 0);
    m_cam.FollowEntity(kEntity, true);  // behind at -y, under the beam
    m_cam.LookAtEntity(kEntity, true);
    Tick(30);
    Motion most;
    float nearest = 100.0f;
    for (int i = 1; i <= 40; ++i) {
        PlaceEntity({0, -2 + 0.1f * static_cast<float>(i), 0});
        const Motion tick = TickMeasuring(1);
        most.turn = std::max(most.turn, tick.turn);
        most.travel = std::max(most.travel, tick.travel);
        nearest = std::min(nearest, m_cam.GetPos().Dist(Pivot()));
    }
    EXPECT_LE(most.turn, 12.0f);
    EXPECT_LE(most.travel, 1.0f);
    EXPECT_GT(nearest, 3.0f);
}

// The stick's frame: pushed, the heading it is read in is held while the
// camera turns; turned more than kStickMoved or let go, it is the view's
// again.
TEST_F(gcGameCameraControlTest, TheStickIsReadInAFrameHeldWhileItIsHeldSteady)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    eInput::eInputState& pad = eInput::s_joyState[0];
    const auto stick = [&](float fMag, float fHeading) {
        pad.fCurrentState[eInput::JOYBTN_LTHUMB_MAG] = fMag;
        pad.fCurrentState[eInput::JOYBTN_LTHUMB_HEADING] = fHeading;
    };
    const auto heading = [&] { return gcCameraTestHeading(m_cam.ControlFrame().basis.forward); };
    const auto look = [&](float fHeading) {
        mOCS view;
        view.basis.SetHPR(fHeading, -15.0f, 0.0f);
        view.origin = m_cam.GetPos();
        m_cam.m_camera.SetCameraToWorld(view);
    };
    m_entity.m_velocity.Set(0, 0.3f, 0);
    m_cam.FollowEntity(kEntity, true);
    stick(1.0f, 90.0f);
    look(0.0f);
    Tick();
    look(40.0f);  // the camera turns round an obstacle
    EXPECT_NEAR(heading(), 0.0f, 1e-3f) << "held";
    stick(1.0f, 95.0f);  // a steady hand
    Tick();
    look(60.0f);
    EXPECT_NEAR(heading(), 0.0f, 1e-3f) << "still held";
    stick(1.0f, 120.0f);  // turned
    Tick();
    EXPECT_NEAR(heading(), 60.0f, 1e-3f) << "taken again";
    look(80.0f);
    EXPECT_NEAR(heading(), 60.0f, 1e-3f);
    stick(0.0f, 0.0f);  // let go
    Tick();
    look(100.0f);
    EXPECT_NEAR(heading(), 100.0f, 1e-3f) << "the view's";
    stick(0.0f, 0.0f);
}

// Terms of the cost, each where the ideal place shows the entity badly and
// another candidate does not: a low wall that the pivot's line passes over
// but that hides the entity's middle and lower half (the camera goes where
// it sees the middle); an entity so large that at the follow distance it
// would take more than 40% of the screen (the camera goes farther out).
TEST_F(gcGameCameraControlTest, TheCostTakesThePlaceThatShowsTheEntity)
{
    eMesh& mesh = GiveMesh();
    {
        SCOPED_TRACE("hidden by a low wall");
        std::vector<ColTri> wall;
        AddQuad(&wall, {-20, -2, -20}, {-20, -2, 1.0f}, {20, -2, 1.0f}, {20, -2, -20});
        ASSERT_NE(AddZone(0, {0, 0, 0}, wall), nullptr);
        ShapeWithPivot(mesh, 0.5f, 1.0f);
        m_entity.m_velocity.Set(0, 0, 0);
        m_cam.FollowEntity(kEntity, true);
        Tick(60);
        EXPECT_TRUE(RayClearFromMiddle()) << m_cam.GetPos().x << " " << m_cam.GetPos().y << " " << m_cam.GetPos().z;
    }
    {
        SCOPED_TRACE("too large at the follow distance");
        ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
        m_cam.Reset(true);
        ShapeWithPivot(mesh, 1.5f, 1.5f);
        m_cam.m_params.m_fOffsets[P::OFF_MINDIST] = 5.0f;
        m_entity.m_velocity.Set(0, 0, 0);
        m_cam.FollowEntity(kEntity, true);
        m_cam.LookAtEntity(kEntity, true);
        Tick(60);
        EXPECT_GT(m_cam.GetPos().Dist(Pivot() + mVec3(0, 0, 0.8f)), 6.0f);
    }
}

// An entity a metre wide walking at the camera, 0.2 a tick, with a wall a
// metre behind the camera, stopping half a metre short of the wall: the
// camera, held by the wall, turns aside while there is time to (the
// entity's share read ahead), and its box never takes more than 40% of the
// screen. Weighed now only, the camera waits at the wall until the box
// takes over half of it.
TEST_F(gcGameCameraControlTest, HeldByAWallTheEntityWalksAtTheCameraTurnsAsideInTime)
{
    std::vector<ColTri> wall;
    AddQuad(&wall, {-20, -6, -20}, {-20, -6, 20}, {20, -6, 20}, {20, -6, -20});  // faces +y
    ASSERT_NE(AddZone(0, {0, 0, 0}, wall), nullptr);
    ShapeWithPivot(GiveMesh(), 0.5f, 1.0f);
    m_cam.m_params.m_fOffsets[P::OFF_MINDIST] = 5.0f;
    m_entity.m_velocity.Set(0, 0.3f, 0);
    m_cam.FollowEntity(kEntity, true);
    m_cam.LookAtEntity(kEntity, true);
    Tick(30);  // behind at -y, a metre short of the wall
    float fNear = 0.0f, fFar = 0.0f;
    gcCameraOccluders::ScreenBox screen;
    m_cam.m_camera.m_frustum.GetPerspective(&fNear, &fFar, &screen.x0, &screen.x1, &screen.y1, &screen.y0);
    screen = {screen.x0 / fNear, screen.y0 / fNear, screen.x1 / fNear, screen.y1 / fNear};
    m_entity.m_velocity.Set(0, -0.2f, 0);
    float most = 0.0f;
    for (int i = 1; i <= 60; ++i) {
        PlaceEntity({0, -std::min(0.2f * static_cast<float>(i), 5.0f), 0}, 180);
        Tick();
        most = std::max(most, gcCameraOccluders::FollowedShare(m_cam.m_camera.m_cameraToWorld, screen, m_entity));
    }
    EXPECT_LE(most, 0.4f);
}

// A steep follow pitch (55 degrees) and an entity backing at a wall behind
// the camera: held by the wall, the camera ends steeper over the pivot
// than the rig's limit. Walking away again, it comes back down within the
// limit: a move that ends no steeper than the last frame keeps the limits.
TEST_F(gcGameCameraControlTest, LeftSteeperThanTheLimitByAWallTheCameraComesBackDown)
{
    std::vector<ColTri> wall;
    AddQuad(&wall, {-20, -6, -20}, {-20, -6, 20}, {20, -6, 20}, {20, -6, -20});  // faces +y
    ASSERT_NE(AddZone(0, {0, 0, 0}, wall), nullptr);
    m_cam.m_params.m_fOffsets[P::OFF_PITCH] = -55.0f;
    m_entity.m_velocity.Set(0, 0, 0);
    m_cam.FollowEntity(kEntity, true);
    m_cam.LookAtEntity(kEntity, true);
    Tick(30);
    float fSteepest = 0.0f, fLast = 0.0f;
    m_entity.m_velocity.Set(0, -0.1f, 0);
    for (int i = 1; i <= 50; ++i) {
        PlaceEntity({0, -0.1f * static_cast<float>(i), 0});
        Tick();
        fSteepest = std::max(fSteepest, PitchOver(m_cam.GetPos(), Pivot()));
    }
    m_entity.m_velocity.Set(0, 0.1f, 0);
    for (int i = 1; i <= 90; ++i) {
        PlaceEntity({0, -5.0f + 0.1f * static_cast<float>(i), 0});
        Tick();
        fLast = PitchOver(m_cam.GetPos(), Pivot());
    }
    EXPECT_GT(fSteepest, 60.0f) << "held steeper by the wall";
    EXPECT_LT(fLast, 59.0f);
}

// Looking away from the entity it follows (at a point behind the camera) and
// back: the first tick of follow play looks at the entity at once, a cut,
// and the ticks after it turn no more than a cut allows. Turned back over
// several ticks, the view would sweep the entity in from the screen's edge.
TEST_F(gcGameCameraControlTest, FollowPlayResumingLooksAtTheEntityAtOnce)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    PlaceEntity({0, 20, 0});  // the point (0, 10, 0) behind the camera
    m_entity.m_velocity.Set(0, 0, 0);
    m_cam.FollowEntity(kEntity, true);
    m_cam.LookAtEntity(kEntity, true);
    Tick(5);
    m_cam.LookAtPoint(kPoint, false);
    Tick(30);
    const auto offView = [&] {
        mVec3 d = Pivot() - m_cam.GetPos();
        d.Normalize();
        return AngleOf(d, m_cam.m_camera.m_cameraToWorld.basis.forward);
    };
    ASSERT_GT(offView(), 45.0f) << "looking away";
    m_cam.LookAtEntity(kEntity, false);
    Tick();
    EXPECT_LT(offView(), 1.0f);
    mVec3 last = m_cam.m_camera.m_cameraToWorld.basis.forward;
    for (int i = 0; i < 20; ++i) {
        Tick();
        const mVec3& forward = m_cam.m_camera.m_cameraToWorld.basis.forward;
        EXPECT_LT(AngleOf(forward, last), 12.0f) << i;
        EXPECT_LT(offView(), 1.0f) << i;
        last = forward;
    }
}

// The entity put down far from where it stood (the camera placed anew with
// it): that tick's view looks at it from the new place, not eased from the
// last place's view, in which it would be off the screen for a frame.
TEST_F(gcGameCameraControlTest, PlacedAnewTheViewLooksAtTheEntityOnTheSameTick)
{
    ASSERT_TRUE(FollowStandingInTheOpen({0, 20, 0}));
    Tick(30);
    PlaceEntity({14, -8, 0});
    Tick();
    mVec3 d = Pivot() - m_cam.GetPos();
    d.Normalize();
    EXPECT_LT(AngleOf(d, m_cam.m_camera.m_cameraToWorld.basis.forward), 1.0f);
}

// The followed entity's view turns at most the rig's kMaxTurn a tick
// (short of what a player would call a cut), the rest caught up on the
// next ticks; a view within that turns all the way at once.
TEST_F(gcGameCameraControlTest, TheFollowViewTurnsNoMoreThanATicksTurn)
{
    ASSERT_TRUE(FollowStandingInTheOpen({0, 20, 0}));
    Tick(30);
    const struct {
        float off, turned, tol;  // within, the view turns to the aim, a little below the pivot
    } rows[] = {{40.0f, gcGameCamera::FollowRules::kMaxTurn, 0.01f}, {8.0f, 8.0f, 0.5f}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.off);
        const mVec3 eye = m_cam.GetPos();
        mVec3 toPivot = Pivot() - eye;
        const float c = std::cos(r.off * 0.01745329f), sn = std::sin(r.off * 0.01745329f);
        mOCS turned = m_cam.m_camera.m_cameraToWorld;
        turned.LookAt(eye, eye + mVec3(c * toPivot.x - sn * toPivot.y, sn * toPivot.x + c * toPivot.y, toPivot.z),
                      mVec3(0, 0, 1));
        m_cam.m_camera.SetCameraToWorld(turned);
        Tick();
        EXPECT_NEAR(AngleOf(turned.basis.forward, m_cam.m_camera.m_cameraToWorld.basis.forward), r.turned, r.tol);
        Tick(4);
        toPivot = Pivot() - m_cam.GetPos();
        toPivot.Normalize();
        EXPECT_LT(AngleOf(toPivot, m_cam.m_camera.m_cameraToWorld.basis.forward), 1.0f);
    }
}

// The share of the view a wall near the camera fills is read on rays
// through the middles of a 4 x 3 grid of the screen's cells. A wall 0.8 m
// ahead across the whole width, filling only the top eighth of the picture
// or only its bottom tenth, meets none of them: nothing near fills the
// view, and the camera stands where it stands in the open. Filling the top
// or bottom third, it meets a whole row, a third of the rays, more than the
// quarter allowed: the camera goes elsewhere. Down the left or right third,
// a whole column, a quarter of the rays: allowed, but dearer than a place
// in the open beside it. (A near plane 5 cm out keeps
// the camera's own ball small enough to pass the wall's edge on its way
// out from the pivot.)
TEST_F(gcGameCameraControlTest, AWallAlongTheViewsEdgeDoesNotFillTheView)
{
    mFrustum narrow;
    narrow.SetFOV(60.0f, 45.0f, 0.05f, 1000.0f);
    m_cam.m_camera.SetFrustum(narrow);
    m_cam.Reset(true);  // the base field of view, the near plane kept
    ASSERT_TRUE(FollowStandingInTheOpen({0, 20, 0}));
    Tick(30);
    const mOCS open = m_cam.m_camera.m_cameraToWorld;
    float fNear = 0.0f, fFar = 0.0f, fLeft = 0.0f, fRight = 0.0f, fTop = 0.0f, fBottom = 0.0f;
    m_cam.m_camera.m_frustum.GetPerspective(&fNear, &fFar, &fLeft, &fRight, &fTop, &fBottom);
    ASSERT_FLOAT_EQ(fNear, 0.05f);
    const struct {
        const char* what;
        float from, to;  // up the wall (across it, sideways), in half sizes of the picture from its middle
        bool sideways, stays;
    } rows[] = {{"the top tenth", 0.8f, 2.0f, false, true},
                {"the bottom tenth", -2.0f, -0.8f, false, true},
                {"the top third", 0.5f, 2.0f, false, false},
                {"the bottom third", -2.0f, -0.5f, false, false},
                {"the right sixteenth", 0.875f, 2.0f, true, true},
                {"the left third", -2.0f, -0.5f, true, false},
                {"the right third", 0.5f, 2.0f, true, false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        const auto at = [&](float x, float y) {
            if (r.sideways)
                std::swap(x, y);
            return open.origin + (open.basis.forward + open.basis.right * (x * fRight / fNear) +
                                  open.basis.up * (y * fTop / fNear)) * 0.8f;
        };
        std::vector<ColTri> wall;
        AddQuad(&wall, at(-1.5f, r.from), at(1.5f, r.from), at(1.5f, r.to), at(-1.5f, r.to));
        AddQuad(&wall, at(-1.5f, r.from), at(-1.5f, r.to), at(1.5f, r.to), at(1.5f, r.from));
        ASSERT_NE(AddZone(0, {0, 0, 0}, wall), nullptr);
        m_cam.Reset(true);
        m_cam.FollowEntity(kEntity, true);
        m_cam.LookAtEntity(kEntity, true);
        Tick(30);
        if (r.stays)
            EXPECT_VEC_NEAR(m_cam.GetPos(), open.origin, 1e-3f);
        else
            EXPECT_GT(m_cam.GetPos().Dist(open.origin), 0.5f);
    }
}

// A look-at mode the camera does not know has nothing to look at: the view
// is put level, along the world's y axis, where the camera stands.
TEST_F(gcGameCameraControlTest, AnUnknownLookAtModeLevelsTheView)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    m_cam.MoveToWorld(mVec3(0, 0, 1));
    m_cam.LookAtPoint(kPoint, true);
    m_cam.m_LookAtCtrl.Mode = static_cast<C::gcLookAtCtrlMode>(C::LOOKATCTRL_LOOKATPATHCLOSEST + 1);
    Tick();
    mOCS level;
    level.MakeIdentity();
    level.origin.Set(0, 0, 1);
    EXPECT_TRUE(m_cam.m_camera.m_cameraToWorld.ApproxEqual(level, 1e-5f));
}

// A camera that stands on the pivot (brought in onto it by the world) has
// no view; moves limited to a share of its distance would hold it there for
// good. It is placed anew, back at the follow distance.
TEST_F(gcGameCameraControlTest, ACameraOnThePivotIsPlacedAnew)
{
    ASSERT_TRUE(FollowStandingInTheOpen({0, 20, 0}));
    Tick(10);
    const float fFollow = m_cam.GetPos().Dist(Pivot());
    mOCS onPivot = m_cam.m_camera.m_cameraToWorld;
    onPivot.origin = Pivot();
    m_cam.m_camera.SetCameraToWorld(onPivot);
    Tick(2);
    EXPECT_NEAR(m_cam.GetPos().Dist(Pivot()), fFollow, 0.01f);
}

// The camera swings behind a standing entity at once where the view looks
// along its facing (within OFF_ROTATETHRESHOLD, 100 degrees), at least 3
// degrees a tick; an entity facing the camera, or one walking along, keeps
// its camera's heading until it has stood still for a while (settling).
TEST_F(gcGameCameraControlTest, AStandingEntitySeenFromBehindIsSwungRoundAtOnce)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    const struct {
        float heading, step;
        bool swings;
    } rows[] = {{-80.0f, 0.0f, true}, {-150.0f, 0.0f, false}, {-80.0f, 0.01f, false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.heading << " " << r.step);
        m_cam.Reset(true);
        m_entity.m_velocity.Set(0, 0, 0);
        PlaceEntity({0, 0, 0});
        m_cam.FollowEntity(kEntity, true);  // behind at -y
        const mVec3 facing(-std::sin(r.heading * 0.01745329f), std::cos(r.heading * 0.01745329f), 0);
        m_entity.m_velocity = facing * r.step;
        for (int i = 1; i <= 10; ++i) {  // short of settling (0.3 s)
            PlaceEntity(facing * (r.step * static_cast<float>(i)), r.heading);
            Tick();
        }
        mVec3 from = m_cam.GetPos() - Pivot();
        from.z = 0.0f;
        from.Normalize();
        if (r.swings)
            EXPECT_GT(AngleOf(from, mVec3(0, -1, 0)), 25.0f);
        else
            EXPECT_LT(AngleOf(from, mVec3(0, -1, 0)), 1.0f);
    }
}

// Walked along, the camera keeps its own heading; stopped, turned 80
// degrees away, the swing behind it eases in at the heading speed
// (SPD_FOLLOWENTITY_H, here 0.5) from there: 60 degrees round in 8 ticks.
// Left to ease from past 1 by the walk, it would go no faster than the
// least step, 3 degrees a tick, for the first half second.
TEST_F(gcGameCameraControlTest, AfterAWalkTheSwingEasesInAtTheHeadingSpeed)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    m_entity.m_velocity.Set(0, 0.5f, 0);
    m_cam.FollowEntity(kEntity, true);  // behind at -y
    m_cam.m_params.m_fMaxTimes[P::SPD_FOLLOWENTITY_H] = 0.5f;
    for (int i = 1; i <= 30; ++i) {
        PlaceEntity({0, 0.01f * static_cast<float>(i), 0});
        Tick();
    }
    const mVec3 at = Pivot();
    PlaceEntity(at, -80.0f);
    m_entity.m_velocity.Set(0, 0, 0);
    Tick(8);
    mVec3 from = m_cam.GetPos() - Pivot();
    from.z = 0.0f;
    from.Normalize();
    EXPECT_GT(AngleOf(from, mVec3(0, -1, 0)), 55.0f);
}

// Following a moving entity, the camera's wish to stand behind it
// (kBehindEntity) holds while the camera is within 1.5 x OFF_MINDIST of it
// or targets it, and ends when it is drawn farther.
TEST_F(gcGameCameraControlTest, BehindTheEntityEndsWhenTheCameraIsLeftFarBehind)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    const struct {
        float dist;
        bool targeting, behind;
    } rows[] = {{9.5f, false, true}, {10.0f, false, false}, {10.0f, true, true}};
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.dist << " " << r.targeting);
        s_bTargeting = r.targeting;
        m_entity.m_velocity.Set(0, 0.01f, 0);
        m_cam.MoveToWorld(mVec3(0, -r.dist, 0));
        m_cam.FollowEntity(kEntity, false);
        ASSERT_EQ(m_cam.m_nFlags & C::kBehindEntity, C::kBehindEntity);
        Tick();
        EXPECT_EQ((m_cam.m_nFlags & C::kBehindEntity) != 0, r.behind);
    }
    s_bTargeting = false;
}

// What the camera would see from the ideal place behind a standing entity
// is weighed against turning from it: a post just in front of that place,
// clear of the camera's sweep, in the screen's right quarter within a metre
// of the eye, or a creature on the line to the entity covering it, sends
// the camera elsewhere round the pivot; nothing in the way, or the same
// creature beyond the entity (covering its box on the screen, but farther
// from the eye), it stays.
TEST_F(gcGameCameraControlTest, WhatTheIdealPlaceWouldSeeSendsTheCameraElsewhere)
{
    std::vector<ColTri> post;
    AddBox(&post, {0.35f, -5.8f, -20}, {1.2f, -5.2f, 20});
    eMesh& mesh = GiveMesh();
    gcTestCreature guard;
    guard.m_nRegionId = 1;
    guard.m_model.m_hMesh = m_entity.m_model.m_hMesh;
    const mVec3 ideal(0, -6.5f * std::cos(15.0f * 0.01745329f), 0.8f + 6.5f * std::sin(15.0f * 0.01745329f));
    const struct {
        const char* what;
        bool post;
        float fGuardY;  // the creature's place along y (0: none)
        bool moved;
    } rows[] = {{"nothing", false, 0.0f, false},
                {"post", true, 0.0f, true},
                {"creature", false, -2.5f, true},
                {"creature beyond", false, 1.5f, false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        ASSERT_NE(AddZone(0, {0, 0, 0}, r.post ? post : std::vector<ColTri>{}), nullptr);
        guard.m_model.m_localToParent = MakeFrame(0, r.fGuardY, 0, 0);
        guard.m_model.m_nGeomFlags |= eGeom::kDirty;
        gcCreature::s_pActiveCreatures[0] = r.fGuardY != 0.0f ? &guard : nullptr;
        m_cam.Reset(true);
        ShapeWithPivot(mesh, 0.4f, 0.9f);
        m_entity.m_velocity.Set(0, 0, 0);
        m_cam.FollowEntity(kEntity, true);  // behind at -y
        m_cam.LookAtEntity(kEntity, true);
        Tick(30);
        const float fFromIdeal = m_cam.GetPos().Dist(ideal);
        if (r.moved)
            EXPECT_GT(fFromIdeal, 0.8f);
        else
            EXPECT_LT(fFromIdeal, 0.01f);
    }
    gcCreature::s_pActiveCreatures[0] = nullptr;
}

// The sight lines to the sides of the entity's box run across the view
// wherever the entity stands: thirty metres out along x, a post just off
// the line from the +x side of its box to the place behind it hides that
// line alone, and the camera goes elsewhere round the pivot; without the
// post it stays where it settled.
TEST_F(gcGameCameraControlTest, APostHidingTheSideOfAnEntityFarFromTheOriginMovesTheCamera)
{
    std::vector<ColTri> post;
    AddBox(&post, {30.40f, -1.55f, -20}, {30.52f, -1.45f, 20});
    eMesh& mesh = GiveMesh();
    mVec3 clear;
    for (const bool bPost : {false, true}) {
        SCOPED_TRACE(bPost ? "post" : "nothing");
        ASSERT_NE(AddZone(0, {0, 0, 0}, bPost ? post : std::vector<ColTri>{}), nullptr);
        m_cam.Reset(true);
        ShapeWithPivot(mesh, 1.0f, 0.9f);
        PlaceEntity({30, 0, 0});
        m_entity.m_velocity.Set(0, 0, 0);
        m_cam.FollowEntity(kEntity, true);  // behind at -y
        m_cam.LookAtEntity(kEntity, true);
        Tick(30);
        if (!bPost)
            clear = m_cam.GetPos();
        else
            EXPECT_GT(m_cam.GetPos().Dist(clear), 0.3f) << m_cam.GetPos().x << " " << m_cam.GetPos().y;
    }
    EXPECT_NEAR(clear.x, 30.0f, 0.01f);
}

// A flyer moving on under a ceiling just over its pivot, a wall a metre
// behind it: every place at the follow pitch meets the ceiling at once and
// the one behind meets the wall. Turned aside at the lowered place's pitch
// the camera finds its distance, a tick's turn at a time.
TEST_F(gcGameCameraControlTest, UnderACeilingAWallHeldCameraTurnsAsideToItsDistance)
{
    std::vector<ColTri> tris;
    AddQuad(&tris, {-20, -20, 1.0f}, {-20, 20, 1.0f}, {20, 20, 1.0f}, {20, -20, 1.0f});      // faces -z
    AddQuad(&tris, {-20, -1.2f, -20}, {-20, -1.2f, 20}, {20, -1.2f, 20}, {20, -1.2f, -20});  // faces +y
    ASSERT_NE(AddZone(0, {0, 0, 0}, tris), nullptr);
    ShapeWithPivot(GiveMesh(), 0.3f, 0.3f);
    PlaceEntity({3, 0, 0});
    m_entity.m_velocity.Set(0, 0.3f, 0);
    m_cam.FollowEntity(kEntity, true);
    m_cam.LookAtEntity(kEntity, true);
    Tick();  // placed anew
    Motion most;
    for (int i = 2; i <= 60; ++i) {
        PlaceEntity({3, 0.001f * static_cast<float>(i), 0});
        const Motion tick = TickMeasuring(1);
        most.turn = std::max(most.turn, tick.turn);
        most.travel = std::max(most.travel, tick.travel);
    }
    EXPECT_GT(m_cam.GetPos().Dist(Pivot()), 4.0f) << "out at its distance";
    EXPECT_LT(m_cam.GetPos().z, 1.0f) << "under the ceiling";
    EXPECT_LE(most.turn, 12.0f);
    EXPECT_LE(most.travel, 1.0f);
}

// A settled entity turns its back; the swing towards the place behind it
// chooses its way round. A quarter of the way there the entity turns back:
// the camera returns the short way, not on round the way chosen for the
// goal it no longer has.
TEST_F(gcGameCameraControlTest, ASwingWhoseGoalTurnsBackReturnsTheShortWay)
{
    ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
    m_entity.m_velocity.Set(0, 0.3f, 0);
    m_cam.FollowEntity(kEntity, true);  // behind at -y
    Tick(10);
    m_entity.m_velocity.Set(0, 0, 0);
    Tick(20);  // settled
    PlaceEntity({0, 0, 0}, 180);  // its back towards +y
    const auto fromBehind = [&] {
        mVec3 from = m_cam.GetPos() - Pivot();
        from.z = 0.0f;
        from.Normalize();
        return AngleOf(from, mVec3(0, -1, 0));
    };
    for (int i = 0; i < 30 && fromBehind() < 45.0f; ++i)
        Tick();
    ASSERT_GE(fromBehind(), 45.0f) << "swung a quarter of the way";
    ASSERT_LT(fromBehind(), 90.0f);
    PlaceEntity({0, 0, 0}, 0);  // its back towards -y again
    float fFarthest = 0.0f;
    for (int i = 0; i < 60; ++i) {
        Tick();
        fFarthest = std::max(fFarthest, fromBehind());
    }
    EXPECT_LT(fFarthest, 90.0f) << "never on round past the side";
    EXPECT_LT(fromBehind(), 2.0f) << "behind it again";
}
