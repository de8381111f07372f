// Distances, facings, orientations, velocities and paths of entities as
// scripts read and assign them.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "../entities/entityTestObjects.h"
#include "datagen/valueWriters.h"
#include "eEngine/modelTestSupport.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/entities/gcRegionPath.h"
#include "gcGameCore/entities/gcRegionPoint.h"
#include "gcGameCore/script/gcScriptText.h"
#include "gcGameCore/values/gcValEntityCompare.h"
#include "gcGameCore/values/gcValEntityDistance.h"
#include "gcGameCore/values/gcValEntityFacing.h"
#include "gcGameCore/values/gcValEntityHasPath.h"
#include "gcGameCore/values/gcValEntityOffsetPath.h"
#include "gcGameCore/values/gcValEntityOrientation.h"
#include "gcGameCore/values/gcValEntityPathPosition.h"
#include "gcGameCore/values/gcValEntityVelocity.h"

namespace {

using D = gcDesiredEntity;
using O = gcValEntityOrientation;
const D kInitiator = D::Selecting(D::INITIATOR);
const D kParticipant1 = D::Selecting(D::PARTICIPANT1);
const D kParticipant2 = D::Selecting(D::PARTICIPANT2);
constexpr uint16_t kOutOfPlay[] = {gcEntity::kDeactivated, gcEntity::kFrozen};

// Records the angles of every face message it is sent.
class gcFaceRecorder : public gcTestEntity {
public:
    int Send(const gcMsg& msg) override
    {
        if (msg.nMsgId == MSG_FACEDIR)
            faces.push_back(static_cast<const gcMsgFaceDir&>(msg).hpr);
        return gcTestEntity::Send(msg);
    }
    std::vector<mVec3> faces;
};

std::string Text(const gcValue& v)
{
    char buf[gcScriptText::kSize] = {};
    v.GetTextRecursive(buf);
    return buf;
}

// Region 1 (zone A at the world origin) and region 2 (zone B 100 units along
// +x) resident. Template A's outline reaches 0.75 across (x 0.5, y 0.75),
// template B's 1.25 (x 1.25, y 0.25). The initiator is of A, participant 1 of
// B. Region point slot 7 is "Gate" in region 2, slot 8 in region 3, which is
// not resident.
class gcValEntitySpaceTest : public EntityWorldTest {
protected:
    void SetUp() override
    {
        EntityWorldTest::SetUp();
        datagen::MeshDesc mesh = FigureDesc();
        mesh.colliderSize = mVec3(0.5f, 0.75f, 2.0f);
        ASSERT_NE(PlaceMesh(m_data, &m_pool, 5, mesh), nullptr);
        mesh.colliderSize = mVec3(1.25f, 0.25f, 3.0f);
        ASSERT_NE(PlaceMesh(m_data, &m_pool, 6, mesh), nullptr);
        m_pA = PlaceTemplate();
        m_pA->hMesh = eMeshMgr::GetHandle(5);
        m_pB = m_pool.New<gcTestEntityTemplate>();
        m_pB->hMesh = eMeshMgr::GetHandle(6);
        gcEntityTemplateMgr::Add(kTemplateSlot + 1, m_pB, 0x78);
        m_pointHandle = AddPoint(7, 2, -100.0f, 0.0f, "Gate");
        m_farHandle = AddPoint(8, 3, 0.0f, 5.0f, "Far");
        m_savedView = gcGameCamera::Get()->m_camera.m_cameraToWorld;
    }
    void TearDown() override
    {
        gcGameCamera::Get()->m_camera.m_cameraToWorld = m_savedView;
        for (int slot : {7, 8})
            gcRegionPointMgr::Remove(slot);
        for (int slot : {3, 4})
            gcRegionPathMgr::Remove(slot);
        EntityWorldTest::TearDown();
    }
    gcRegionPointHandle AddPoint(int slot, int16_t region, float x, float y, const char* name)
    {
        gcRegionPoint* p = m_pool.New<gcRegionPoint>();
        p->m_nRegionId = region;
        p->m_localToRegion = MakeFrame(x, y, 0.0f);
        p->m_name.Set("%s", name);
        return gcRegionPointMgr::Add(slot, p, 0x55);
    }
    // An active entity of region 1 at a point, facing the heading.
    gcTestEntity* Placed(gcEntityTemplate* pTemplate, float x, float y, float z, float heading)
    {
        gcTestEntity* e = PlacedEntity(pTemplate, {x, y, z});
        e->m_model.m_localToParent = MakeFrame(x, y, z, heading);
        EXPECT_TRUE(e->Enable());
        e->m_nEntityFlags &= static_cast<uint16_t>(~(gcEntity::kDeactivated | gcEntity::kFrozen));
        return e;
    }
    void Name(gcGameObject* initiator, gcGameObject* participant1)
    {
        m_params.pInitiator = initiator;
        m_params.pParticipant1 = participant1;
    }
    gcFaceRecorder* Recorder()
    {
        gcFaceRecorder* p = m_pool.New<gcFaceRecorder>();
        m_entities.push_back(p);
        p->m_desiredHPR[0] = 10.0f;
        p->m_desiredHPR[1] = 20.0f;
        p->m_desiredHPR[2] = 30.0f;
        m_params.pInitiator = p;
        return p;
    }
    static void SetView(float heading, float pitch)
    {
        gcGameCamera::Get()->m_camera.m_cameraToWorld.basis.SetHP(heading, pitch);
    }

    gcTestEntityTemplate* m_pA = nullptr;
    gcTestEntityTemplate* m_pB = nullptr;
    gcRegionPointHandle m_pointHandle, m_farHandle;
    gcEventParams m_params;
    mOCS m_savedView;
};

TEST_F(gcValEntitySpaceTest, DistanceBetweenEntitiesIsHorizontalLessBothRadii)
{
    const struct {
        const char* name;
        float x, y, z, heading;  // of the target, the entity at the origin facing +y
        float expected;
    } rows[] = {
        {"on top of each other", 0, 0, 0, 0, -2.0f},
        {"straight above", 0, 0, 6, 0, -2.0f},
        {"apart", 3, 4, 0, 0, 3.0f},
        {"apart and higher", 3, 4, 10, 0, 3.0f},
        {"behind and turned", -6, -8, 0, 135, 8.0f},
        {"overlapping outlines", 1, 0, 0, 0, -1.0f},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Name(Placed(m_pA, 0, 0, 0, 0), Placed(m_pB, r.x, r.y, r.z, r.heading));
        EXPECT_NEAR(gcValEntityDistance(kInitiator, kParticipant1).Get(m_params), r.expected, 1e-5f);
        EXPECT_NEAR(gcValEntityDistance(kParticipant1, kInitiator).Get(m_params), r.expected, 1e-5f);
    }
    // A model whose mesh does not resolve has no outline.
    gcTestEntity* a = Placed(m_pA, 0, 0, 0, 0);
    Name(a, Placed(m_pB, 3, 4, 0, 0));
    a->m_model.m_hMesh = eMeshHandle(0x00990005);
    EXPECT_NEAR(gcValEntityDistance(kInitiator, kParticipant1).Get(m_params), 3.75f, 1e-5f);
}

TEST_F(gcValEntitySpaceTest, DistanceToARegionPointIsBetweenOriginsInTheWorld)
{
    const struct {
        const char* name;
        float x, y, z;  // of the entity in region 1
        gcRegionPointHandle point;
        float expected;
    } rows[] = {
        {"a point of the other region", 3, 4, 0, m_pointHandle, 5.0f},  // Gate lies at (0, 0) in the world
        {"height does not count", 0, 0, 9, m_pointHandle, 0.0f},
        {"a point of a region not resident", 3, 4, 0, m_farHandle, 0.0f},
        {"a point that does not resolve", 3, 4, 0, gcRegionPointHandle(0x12340007), 0.0f},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Name(Placed(m_pA, r.x, r.y, r.z, 0), nullptr);
        EXPECT_NEAR(gcValEntityDistance(kInitiator, r.point).Get(m_params), r.expected, 1e-5f);
    }
    Name(Placed(m_pA, 3, 4, 0, 0), nullptr);
    s_regionIds[0] = -1;  // the entity's own region leaves
    EXPECT_EQ(gcValEntityDistance(kInitiator, m_pointHandle).Get(m_params), 0.0f);
}

TEST_F(gcValEntitySpaceTest, FacingIsTheHeadingOfTheTargetInTheEntitysFrame)
{
    const struct {
        const char* name;
        float heading;  // of the entity at the origin
        float x, y, z;  // of the target
        float expected;
    } rows[] = {
        {"straight ahead", 0, 0, 5, 0, 0.0f},
        {"on the -X side", 0, -5, 0, 0, 90.0f},
        {"on the +X side", 0, 5, 0, 0, -90.0f},
        {"ahead and to the left", 0, -5, 5, 0, 45.0f},
        {"ahead once the entity turns left", 90, -5, 0, 0, 0.0f},
        {"to the right once it turns around", 180, -5, 0, 0, -90.0f},
        {"height does not count", 0, -5, 0, 12, 90.0f},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Name(Placed(m_pA, 0, 0, 0, r.heading), Placed(m_pB, r.x, r.y, r.z, 0));
        EXPECT_NEAR(gcValEntityFacing(kInitiator, kParticipant1).Get(m_params), r.expected, 1e-3f);
    }
    Name(Placed(m_pA, 0, 0, 0, 0), Placed(m_pB, 0, -5, 0, 0));
    EXPECT_NEAR(std::fabs(gcValEntityFacing(kInitiator, kParticipant1).Get(m_params)), 180.0f, 1e-3f);
    // Region points: Gate is at the world origin, the entity 5 along +x
    // from it, facing +y.
    Name(Placed(m_pA, 5, 0, 0, 0), nullptr);
    EXPECT_NEAR(gcValEntityFacing(kInitiator, m_pointHandle).Get(m_params), 90.0f, 1e-3f);
    EXPECT_EQ(gcValEntityFacing(kInitiator, m_farHandle).Get(m_params), 0.0f);
    EXPECT_EQ(gcValEntityFacing(kInitiator, gcRegionPointHandle(0x12340007)).Get(m_params), 0.0f);
}

// An entity out of play, either end, or a target type outside the table.
TEST_F(gcValEntitySpaceTest, DistanceAndFacingTreatAnEntityOutOfPlayAsAbsent)
{
    for (uint16_t flag : kOutOfPlay) {
        for (bool bTarget : {false, true}) {
            SCOPED_TRACE(testing::Message() << flag << (bTarget ? " target" : " entity"));
            gcTestEntity* a = Placed(m_pA, 5, 0, 0, 0);
            gcTestEntity* b = Placed(m_pB, 0, 0, 0, 0);
            Name(a, b);
            (bTarget ? b : a)->m_nEntityFlags |= flag;
            EXPECT_EQ(gcValEntityDistance(kInitiator, kParticipant1).Get(m_params), 0.0f);
            EXPECT_EQ(gcValEntityFacing(kInitiator, kParticipant1).Get(m_params), 0.0f);
            if (!bTarget) {
                EXPECT_EQ(gcValEntityDistance(kInitiator, m_pointHandle).Get(m_params), 0.0f);
                EXPECT_EQ(gcValEntityFacing(kInitiator, m_pointHandle).Get(m_params), 0.0f);
            }
        }
    }
    Name(Placed(m_pA, 5, 0, 0, 0), Placed(m_pB, 0, 0, 0, 0));
    EXPECT_EQ(gcValEntityDistance(kInitiator, kParticipant2).Get(m_params), 0.0f);
    EXPECT_EQ(gcValEntityFacing(kParticipant2, kParticipant1).Get(m_params), 0.0f);
    gcValEntityDistance distance(kInitiator, kParticipant1);
    gcValEntityFacing facing(kInitiator, kParticipant1);
    distance.targetType = facing.targetType = 2;
    EXPECT_EQ(distance.Get(m_params), 0.0f);
    EXPECT_EQ(facing.Get(m_params), 0.0f);
}

TEST_F(gcValEntitySpaceTest, AbsoluteOrientationReadsAndSendsTheDesiredAngles)
{
    const struct {
        int32_t euler;
        float expected;
        mVec3 sent;  // after assigning 45
    } rows[] = {
        {O::HEADING, 10.0f, {45, 20, 30}},
        {O::PITCH, 20.0f, {10, 45, 30}},
        {O::ROLL, 30.0f, {10, 20, 45}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.euler);
        gcFaceRecorder* e = Recorder();
        O value(kInitiator, r.euler, 0);
        EXPECT_EQ(value.Get(m_params), r.expected);
        value.Set(45.0f, m_params);
        ASSERT_EQ(e->faces.size(), 1u);
        EXPECT_EQ(e->faces[0], r.sent);
        EXPECT_EQ(e->m_desiredHPR[r.euler], r.expected);  // the entity turns by its own rule
    }
}

// An angle outside the table reads 0 and an assignment to it does nothing,
// in either mode; so does an assignment to no entity.
TEST_F(gcValEntitySpaceTest, OrientationOutsideItsAnglesReadsZeroAndSendsNothing)
{
    gcFaceRecorder* e = Recorder();
    for (int32_t euler : {-1, 3, 40}) {
        for (uint32_t flags : {0u, O::kCameraRelative}) {
            O value(kInitiator, euler, flags);
            EXPECT_EQ(value.Get(m_params), 0.0f);
            value.Set(45.0f, m_params);
        }
    }
    O(kParticipant2, O::HEADING, 0).Set(45.0f, m_params);
    EXPECT_EQ(O(kParticipant2, O::HEADING, 0).Get(m_params), 0.0f);
    EXPECT_TRUE(e->faces.empty());
}

// With the camera turned 30 degrees left and looking 40 degrees down, a
// camera-relative heading is turned into the world horizontally.
TEST_F(gcValEntitySpaceTest, CameraRelativeAssignmentsFollowTheCamerasHorizontalView)
{
    SetView(30.0f, -40.0f);
    const struct {
        const char* name;
        int32_t euler;
        float value;
        mVec3 sent;
    } rows[] = {
        {"heading 0 faces the way the camera looks", O::HEADING, 0.0f, {30, 20, 30}},
        {"heading 90 faces the camera's left", O::HEADING, 90.0f, {120, 20, 30}},
        {"heading -90 faces its right", O::HEADING, -90.0f, {-60, 20, 30}},
        {"heading 180 wraps", O::HEADING, 180.0f, {-150, 20, 30}},
        {"pitch is stored as 0", O::PITCH, 35.0f, {10, 0, 30}},
        {"roll keeps every angle", O::ROLL, 70.0f, {10, 20, 30}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        gcFaceRecorder* e = Recorder();
        O(kInitiator, r.euler, O::kCameraRelative).Set(r.value, m_params);
        ASSERT_EQ(e->faces.size(), 1u);
        EXPECT_TRUE(e->faces[0].ApproxEqual(r.sent, 1e-3f))
            << e->faces[0].x << " " << e->faces[0].y << " " << e->faces[0].z;
    }
}

TEST_F(gcValEntitySpaceTest, CameraRelativeReadsSeeTheForwardAxisFromTheCamera)
{
    const struct {
        const char* name;
        float viewHeading, viewPitch;
        float heading, pitch;  // of the entity in region 1
        float expHeading, expPitch;
    } rows[] = {
        {"level view, turned left of it", 30, 0, 50, 0, 20, 0},
        {"level view, entity nose up", 0, 0, -20, 25, -20, 25},
        {"the camera looking down", 30, -40, 30, 0, 0, 40},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        SetView(r.viewHeading, r.viewPitch);
        gcFaceRecorder* e = Recorder();
        e->m_nRegionId = 1;
        e->m_model.m_localToZone.basis.SetHP(r.heading, r.pitch);
        EXPECT_NEAR(O(kInitiator, O::HEADING, O::kCameraRelative).Get(m_params), r.expHeading, 1e-3f);
        EXPECT_NEAR(O(kInitiator, O::PITCH, O::kCameraRelative).Get(m_params), r.expPitch, 1e-3f);
        EXPECT_EQ(O(kInitiator, O::ROLL, O::kCameraRelative).Get(m_params), 30.0f);  // its own roll
    }
    gcFaceRecorder* e = Recorder();
    e->m_nRegionId = 3;  // not resident
    e->m_model.m_localToZone.basis.SetHP(50, 10);
    EXPECT_EQ(O(kInitiator, O::HEADING, O::kCameraRelative).Get(m_params), 0.0f);
    EXPECT_EQ(O(kInitiator, O::PITCH, O::kCameraRelative).Get(m_params), 0.0f);
}

TEST_F(gcValEntitySpaceTest, VelocityOffsetAndPathSlotsReadTheirComponent)
{
    gcFaceRecorder* e = Recorder();
    e->m_velocity.Set(3.0f, -4.0f, 12.0f);
    e->m_offsetPath[0] = 1.5f;
    e->m_offsetPath[1] = -2.5f;
    gcRegionPath* pPath = m_pool.New<gcRegionPath>();
    e->m_hPaths[gcEntity::PATH_INITIAL] = gcRegionPathMgr::Add(3, pPath, 0x21);
    e->m_hPaths[gcEntity::PATH_PATROL] = gcRegionPathHandle(0x00220004);  // stale
    const struct {
        const char* name;
        float got, expected;
    } rows[] = {
        {"velocity x", gcValEntityVelocity(kInitiator, 0).Get(m_params), 3.0f},
        {"velocity y", gcValEntityVelocity(kInitiator, 1).Get(m_params), -4.0f},
        {"velocity z", gcValEntityVelocity(kInitiator, 2).Get(m_params), 12.0f},
        {"speed", gcValEntityVelocity().Get(m_params), 13.0f},
        {"velocity axis 4", gcValEntityVelocity(kInitiator, 4).Get(m_params), 0.0f},
        {"velocity axis -1", gcValEntityVelocity(kInitiator, -1).Get(m_params), 0.0f},
        {"velocity of nobody", gcValEntityVelocity(kParticipant2, 0).Get(m_params), 0.0f},
        {"offset x", gcValEntityOffsetPath(kInitiator, 0).Get(m_params), 1.5f},
        {"offset y", gcValEntityOffsetPath(kInitiator, 1).Get(m_params), -2.5f},
        {"offset axis 2", gcValEntityOffsetPath(kInitiator, 2).Get(m_params), 0.0f},
        {"offset axis -1", gcValEntityOffsetPath(kInitiator, -1).Get(m_params), 0.0f},
        {"initial path resolves", gcValEntityHasPath(kInitiator, 1).Get(m_params), 1.0f},
        {"patrol path is stale", gcValEntityHasPath(kInitiator, 0).Get(m_params), 0.0f},
        {"path slot 2", gcValEntityHasPath(kInitiator, 2).Get(m_params), 0.0f},
        {"path slot -1", gcValEntityHasPath(kInitiator, -1).Get(m_params), 0.0f},
        {"path of nobody", gcValEntityHasPath(kParticipant2, 1).Get(m_params), 0.0f},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(r.got, r.expected);
    }
}

TEST_F(gcValEntitySpaceTest, OffsetAssignmentReplacesOneComponentOnly)
{
    gcFaceRecorder* e = Recorder();
    const struct {
        int32_t axis;
        float x, y;  // after assigning 7 to (1, 2)
    } rows[] = {{0, 7, 2}, {1, 1, 7}, {2, 1, 2}, {-1, 1, 2}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.axis);
        e->m_offsetPath[0] = 1.0f;
        e->m_offsetPath[1] = 2.0f;
        gcValEntityOffsetPath(kInitiator, r.axis).Set(7.0f, m_params);
        EXPECT_EQ(e->m_offsetPath[0], r.x);
        EXPECT_EQ(e->m_offsetPath[1], r.y);
    }
    EXPECT_TRUE(e->faces.empty());
}

// An L of 20 units: parameter 1 is its corner, 10 units along.
TEST_F(gcValEntitySpaceTest, PathPositionIsTheShareOfThePathsLength)
{
    gcFaceRecorder* e = Recorder();
    gcRegionPath* pPath = NewRegionPath(&m_pool, 1, {{0, 0, 0, 0}, {10, 0, 0, 0}, {10, 10, 0, 0}});
    const gcValEntityPathPosition value(kInitiator);
    EXPECT_EQ(value.Get(m_params), 0.0f);  // no path
    e->m_pRegionPath = pPath;
    for (float t : {0.0f, 1.0f, 1.5f, 2.0f}) {
        e->m_fPathTClosest = t;
        EXPECT_FLOAT_EQ(value.Get(m_params), t / 2.0f);
    }
    EXPECT_EQ(gcValEntityPathPosition(kParticipant2).Get(m_params), 0.0f);
}

TEST_F(gcValEntitySpaceTest, CompareNeedsOneEntityNamedTwice)
{
    gcFaceRecorder* a = Recorder();
    gcFaceRecorder* b = m_pool.New<gcFaceRecorder>();
    m_entities.push_back(b);
    const struct {
        const char* name;
        gcGameObject* participant1;
        D first, second;
        float expected;
    } rows[] = {
        {"the same reference", b, kInitiator, kInitiator, 1.0f},
        {"two names for one entity", a, kInitiator, kParticipant1, 1.0f},
        {"two entities", b, kInitiator, kParticipant1, 0.0f},
        {"both name nothing", b, kParticipant2, kParticipant2, 0.0f},
        {"one names nothing", b, kParticipant2, kInitiator, 0.0f},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        m_params.pParticipant1 = r.participant1;
        EXPECT_EQ(gcValEntityCompare(r.first, r.second).Get(m_params), r.expected);
    }
}

// The factories' defaults show in the texts of new values.
TEST_F(gcValEntitySpaceTest, TextsOfNewAndNamedValues)
{
    const struct {
        int32_t id;
        const char* text;
    } defaults[] = {
        {132, "Initiator.DistanceTo( Player )"}, {131, "Initiator.Facing( Player )"},
        {197, "Initiator.Heading"},              {200, "Initiator.Velocity"},
        {198, "Initiator.OffsetPath.X"},         {171, "Initiator.PathPosition"},
        {243, "Initiator.HasPath( Patrol )"},    {194, "( Initiator == Initiator )"},
    };
    for (const auto& r : defaults) {
        SCOPED_TRACE(r.id);
        const cType* pType = cType::Find(r.id);
        ASSERT_NE(pType, nullptr);
        const auto* p = dcast<gcValue>(pType->m_pNewFunc(&m_pool));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(Text(*p), r.text);
    }
    gcValEntityFacing badTarget(kInitiator, kParticipant1);
    badTarget.targetType = 2;
    const struct {
        const gcValue& value;
        const char* text;
    } rows[] = {
        {gcValEntityDistance(kParticipant1, kParticipant2), "Participant1.DistanceTo( Participant2 )"},
        {gcValEntityDistance(kInitiator, m_pointHandle), "Initiator.DistanceTo( [Gate] )"},
        {gcValEntityFacing(kInitiator, gcRegionPointHandle(0x12340007)), "Initiator.Facing( [???] )"},
        {badTarget, "Initiator.Facing( ??? )"},
        {O(kParticipant1, O::PITCH, O::kCameraRelative), "Participant1.Pitch"},
        {O(kInitiator, O::ROLL, 0), "Initiator.Roll"},
        {O(kInitiator, 3, 0), "Initiator.???"},
        {gcValEntityVelocity(kInitiator, 1), "Initiator.Velocity.Y"},
        {gcValEntityVelocity(kInitiator, 2), "Initiator.Velocity.Z"},
        {gcValEntityVelocity(kInitiator, 4), "Initiator.Velocity.???"},
        {gcValEntityOffsetPath(kInitiator, 1), "Initiator.OffsetPath.Y"},
        {gcValEntityOffsetPath(kInitiator, 2), "Initiator.OffsetPath.???"},
        {gcValEntityHasPath(kParticipant1, 1), "Participant1.HasPath( Initial )"},
        {gcValEntityHasPath(kInitiator, 2), "Initiator.HasPath( ??? )"},
        {gcValEntityCompare(kParticipant1, kParticipant2), "( Participant1 == Participant2 )"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(Text(r.value), r.text);
}

// Field orders a round trip cannot tell apart, laid by hand; the facing's
// old layout, and the versions each class refuses.
TEST_F(gcValEntitySpaceTest, BlocksKeepTheirFieldOrderAndOldFacingsNameNothing)
{
    auto load = [&](uint32_t id, uint32_t version, bool bAssignable,
                    const std::function<void(datagen::BlockWriter&)>& fields) -> cBase* {
        const bool bSaved = datagen::WriteObjectBlocksFile(m_data.HostPath("v.dat"), id, [&](datagen::BlockWriter& w) {
            datagen::ValueBlock(w, version, bAssignable);
            fields(w);
            w.End();
        });
        return bSaved ? cBase::Load("/v.dat", &m_pool, cType::Find(static_cast<int32_t>(id))) : nullptr;
    };
    auto six = [](datagen::BlockWriter& w) { w.Int(D::PARTICIPANT1).Int(0x10001).Int(1).Int(D::SPECIFIC).Int(0x20002).Int(0x30003); };
    auto expectSix = [](const auto* p) {
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->desiredEntity.desiredEntity, D::PARTICIPANT1);
        EXPECT_EQ(p->desiredEntity.hSpecificEntity.m_nValue, 0x10001u);
        EXPECT_EQ(p->targetType, 1);
        EXPECT_EQ(p->desiredTarget.desiredEntity, D::SPECIFIC);
        EXPECT_EQ(p->desiredTarget.hSpecificEntity.m_nValue, 0x20002u);
        EXPECT_EQ(p->hRegionPoint.m_nValue, 0x30003u);
    };
    expectSix(dcast<gcValEntityDistance>(load(132, 1, false, six)));
    expectSix(dcast<gcValEntityFacing>(load(131, 3, false, six)));
    // Version 2 of the facing: one more word, and nothing named afterwards.
    Name(Placed(m_pA, 0, 0, 0, 0), Placed(m_pB, -5, 0, 0, 0));
    const auto* pOld = dcast<gcValEntityFacing>(load(131, 2, false, [](datagen::BlockWriter& w) {
        w.Int(D::INITIATOR).Int(0).Int(0).Int(D::PARTICIPANT1).Int(0).Int(0x30003).Int(99);
    }));
    ASSERT_NE(pOld, nullptr);
    EXPECT_EQ(pOld->desiredEntity.desiredEntity, D::SPECIFIC);
    EXPECT_EQ(pOld->desiredTarget.desiredEntity, D::SPECIFIC);
    EXPECT_EQ(pOld->hRegionPoint.m_nValue, 0u);
    EXPECT_EQ(pOld->targetType, 0);
    EXPECT_EQ(pOld->Get(m_params), 0.0f);
    EXPECT_NEAR(gcValEntityFacing(kInitiator, kParticipant1).Get(m_params), 90.0f, 1e-3f);

    const auto* pTurn = dcast<O>(load(197, 1, true, [](datagen::BlockWriter& w) {
        w.Int(D::PARTICIPANT2).Int(0).Int(O::ROLL).Int(0x1);
    }));
    ASSERT_NE(pTurn, nullptr);
    EXPECT_EQ(pTurn->desiredEntity.desiredEntity, D::PARTICIPANT2);
    EXPECT_EQ(pTurn->euler, O::ROLL);
    EXPECT_EQ(pTurn->nFlags, O::kCameraRelative);
    const auto* pSame = dcast<gcValEntityCompare>(load(194, 2, false, [](datagen::BlockWriter& w) {
        w.Int(D::PLAYER).Int(0x40004).Int(D::PARTICIPANT1).Int(0x50005);
    }));
    ASSERT_NE(pSame, nullptr);
    EXPECT_EQ(pSame->desiredEntity.hSpecificEntity.m_nValue, 0x40004u);
    EXPECT_EQ(pSame->desiredTarget.desiredEntity, D::PARTICIPANT1);

    gcTestLogCapture quiet;
    const struct {
        uint32_t id, version;
        bool bAssignable;
        int words;
    } refused[] = {{131, 1, false, 6}, {131, 4, false, 6}, {194, 1, false, 4}, {194, 3, false, 4},
                   {132, 2, false, 6}, {197, 2, true, 4},   {200, 2, false, 3}, {243, 0, false, 3}};
    for (const auto& r : refused) {
        SCOPED_TRACE(testing::Message() << r.id << " v" << r.version);
        EXPECT_EQ(load(r.id, r.version, r.bAssignable,
                       [&](datagen::BlockWriter& w) {
                           for (int i = 0; i < r.words; ++i)
                               w.Int(1);
                       }),
                  nullptr);
    }
}

}  // namespace
