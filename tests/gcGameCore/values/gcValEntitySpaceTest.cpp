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
const D kNobody = D::Selecting(D::PARTICIPANT2);  // never set
const gcRegionPointHandle kStalePoint(0x12340007);

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

// Regions 1 (zone A at the world origin) and 2 (zone B 100 along +x) are
// resident. Template A's outline reaches 0.75 (x 0.5, y 0.75), template B's
// 1.25 (x 1.25, y 0.25). Region point "Gate" lies in region 2 at the world
// origin, "Far" in region 3, which is not resident.
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
        m_gate = AddPoint(7, 2, -100.0f, "Gate");
        m_far = AddPoint(8, 3, 0.0f, "Far");
        m_savedView = gcGameCamera::Get()->m_camera.m_cameraToWorld;
    }
    void TearDown() override
    {
        gcGameCamera::Get()->m_camera.m_cameraToWorld = m_savedView;
        gcRegionPointMgr::Remove(7);
        gcRegionPointMgr::Remove(8);
        gcRegionPathMgr::Remove(3);
        EntityWorldTest::TearDown();
    }
    gcRegionPointHandle AddPoint(int slot, int16_t region, float x, const char* name)
    {
        gcRegionPoint* p = m_pool.New<gcRegionPoint>();
        p->m_nRegionId = region;
        p->m_localToRegion = MakeFrame(x, 0.0f, 0.0f);
        p->m_name.Set("%s", name);
        return gcRegionPointMgr::Add(slot, p, 0x55);
    }
    // An active entity of region 1 at a point, facing the heading.
    gcTestEntity* Placed(gcEntityTemplate* pTemplate, float x, float y, float z, float heading = 0.0f)
    {
        gcTestEntity* e = PlacedEntity(pTemplate, {x, y, z});
        e->m_model.m_localToParent = MakeFrame(x, y, z, heading);
        EXPECT_TRUE(e->Enable());
        e->m_nEntityFlags &= static_cast<uint16_t>(~(gcEntity::kDeactivated | gcEntity::kFrozen));
        return e;
    }
    // The initiator A at the origin facing the heading, participant 1 B.
    void Pair(float heading, float x, float y, float z)
    {
        m_params.pInitiator = Placed(m_pA, 0, 0, 0, heading);
        m_params.pParticipant1 = Placed(m_pB, x, y, z);
    }
    // The initiator, told to face heading 10, pitch 20, roll 30.
    gcFaceRecorder* Recorder()
    {
        gcFaceRecorder* p = m_pool.New<gcFaceRecorder>();
        m_entities.push_back(p);
        p->m_desiredHPR[0] = 10.0f, p->m_desiredHPR[1] = 20.0f, p->m_desiredHPR[2] = 30.0f;
        m_params.pInitiator = p;
        return p;
    }
    static void SetView(float heading, float pitch)
    {
        gcGameCamera::Get()->m_camera.m_cameraToWorld.basis.SetHP(heading, pitch);
    }
    float Distance(const gcValEntityDistance& v) const { return v.Get(m_params); }
    float Facing(const gcValEntityFacing& v) const { return v.Get(m_params); }

    gcTestEntityTemplate* m_pA = nullptr;
    gcTestEntityTemplate* m_pB = nullptr;
    gcRegionPointHandle m_gate, m_far;
    gcEventParams m_params;
    mOCS m_savedView;
};

// Between entities: the horizontal distance less both radii, and the
// heading of the target in the entity's frame; heights never count.
TEST_F(gcValEntitySpaceTest, DistanceAndFacingBetweenEntities)
{
    const struct {
        const char* name;
        float heading;  // of the entity at the origin
        float x, y, z;  // of the target
        float distance, facing;
    } rows[] = {
        {"on top of each other", 0, 0, 0, 0, -2.0f, 0.0f},
        {"straight above", 0, 0, 0, 6, -2.0f, 0.0f},
        {"ahead", 0, 0, 5, 0, 3.0f, 0.0f},
        {"on the -X side, higher", 0, -5, 0, 12, 3.0f, 90.0f},
        {"on the +X side", 0, 5, 0, 0, 3.0f, -90.0f},
        {"ahead to the left", 0, -3, 3, 0, 2.2426407f, 45.0f},
        {"ahead once the entity turns left", 90, -5, 0, 0, 3.0f, 0.0f},
        {"to its right once it turns around", 180, -6, 8, 0, 8.0f, -143.1301f},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Pair(r.heading, r.x, r.y, r.z);
        EXPECT_NEAR(Distance({kInitiator, kParticipant1}), r.distance, 1e-5f);
        EXPECT_NEAR(Facing({kInitiator, kParticipant1}), r.facing, 1e-3f);
    }
    Pair(0, 0, -5, 0);
    EXPECT_NEAR(std::fabs(Facing({kInitiator, kParticipant1})), 180.0f, 1e-3f);
    EXPECT_NEAR(Distance({kParticipant1, kInitiator}), 3.0f, 1e-5f);
    // A model whose mesh does not resolve has no outline.
    static_cast<gcEntity*>(m_params.pInitiator)->m_model.m_hMesh = eMeshHandle(0x00990005);
    EXPECT_NEAR(Distance({kInitiator, kParticipant1}), 3.75f, 1e-5f);
}

// Gate lies at the world origin, through region 2's zone.
TEST_F(gcValEntitySpaceTest, DistanceAndFacingToRegionPointsTakeWorldFrames)
{
    m_params.pInitiator = Placed(m_pA, 3, 4, 9, 90);
    EXPECT_NEAR(Distance({kInitiator, m_gate}), 5.0f, 1e-5f);  // no radii, no height
    EXPECT_NEAR(Facing({kInitiator, m_gate}), 53.1301f, 1e-3f);  // 3 ahead, 4 to the left
    for (gcRegionPointHandle h : {m_far, kStalePoint}) {
        EXPECT_EQ(Distance({kInitiator, h}), 0.0f);
        EXPECT_EQ(Facing({kInitiator, h}), 0.0f);
    }
    s_regionIds[0] = -1;  // the entity's own region leaves
    EXPECT_EQ(Distance({kInitiator, m_gate}), 0.0f);
    EXPECT_EQ(Facing({kInitiator, m_gate}), 0.0f);
}

// A point away from the world origin: the distance runs from the entity to
// the point, (3, 4) to (10, 0), not to the point's mirror image.
TEST_F(gcValEntitySpaceTest, DistanceToAPointAwayFromTheOrigin)
{
    const gcRegionPointHandle post = AddPoint(9, 1, 10.0f, "Post");
    m_params.pInitiator = Placed(m_pA, 3, 4, 9);
    EXPECT_NEAR(Distance({kInitiator, post}), std::sqrt(65.0f), 1e-5f);
    gcRegionPointMgr::Remove(9);
}

// Deactivated or frozen, at either end; a target type outside the table.
TEST_F(gcValEntitySpaceTest, DistanceAndFacingTreatAnEntityOutOfPlayAsAbsent)
{
    for (uint16_t flag : {gcEntity::kDeactivated, gcEntity::kFrozen}) {
        for (bool bTarget : {false, true}) {
            SCOPED_TRACE(testing::Message() << flag << bTarget);
            Pair(0, -5, 0, 0);
            static_cast<gcEntity*>(bTarget ? m_params.pParticipant1 : m_params.pInitiator)->m_nEntityFlags |= flag;
            EXPECT_EQ(Distance({kInitiator, kParticipant1}), 0.0f);
            EXPECT_EQ(Facing({kInitiator, kParticipant1}), 0.0f);
            if (bTarget) {  // Gate lies 5 to its +X side
                EXPECT_EQ(Distance({kParticipant1, m_gate}), 0.0f);
                EXPECT_EQ(Facing({kParticipant1, m_gate}), 0.0f);
            }
        }
    }
    Pair(0, -5, 0, 0);
    EXPECT_EQ(Distance({kInitiator, kNobody}), 0.0f);
    EXPECT_EQ(Facing({kNobody, kParticipant1}), 0.0f);
    gcValEntityDistance distance(kInitiator, kParticipant1);
    gcValEntityFacing facing(kInitiator, kParticipant1);
    distance.targetType = facing.targetType = 2;
    EXPECT_EQ(Distance(distance), 0.0f);
    EXPECT_EQ(Facing(facing), 0.0f);
}

// Assigning 45 in absolute mode; an angle outside the table reads 0 and is
// never sent, in either mode.
TEST_F(gcValEntitySpaceTest, AbsoluteOrientationReadsAndSendsTheDesiredAngles)
{
    const struct {
        int32_t euler;
        float expected;
        std::vector<mVec3> sent;
    } rows[] = {
        {O::HEADING, 10.0f, {{45, 20, 30}}},
        {O::PITCH, 20.0f, {{10, 45, 30}}},
        {O::ROLL, 30.0f, {{10, 20, 45}}},
        {3, 0.0f, {}},
        {-1, 0.0f, {}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.euler);
        gcFaceRecorder* e = Recorder();
        O value(kInitiator, r.euler, 0);
        EXPECT_EQ(value.Get(m_params), r.expected);
        value.Set(45.0f, m_params);
        EXPECT_EQ(e->faces, r.sent);
        EXPECT_EQ(e->m_desiredHPR[0], 10.0f);  // the entity turns by its own rule
    }
    gcFaceRecorder* e = Recorder();
    for (int32_t euler : {-1, 3}) {
        O value(kInitiator, euler, O::kCameraRelative);
        value.Set(45.0f, m_params);
        EXPECT_EQ(value.Get(m_params), 0.0f);
    }
    EXPECT_TRUE(e->faces.empty());
    O(kNobody, O::HEADING, 0).Set(45.0f, m_params);
    EXPECT_EQ(O(kNobody, O::ROLL, 0).Get(m_params), 0.0f);
}

// The camera turned 30 degrees left and looking 40 down.
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
        {"heading 180 wraps", O::HEADING, 180.0f, {-150, 20, 30}},
        {"pitch is stored as 0", O::PITCH, 35.0f, {10, 0, 30}},
        {"roll keeps every angle and still sends", O::ROLL, 70.0f, {10, 20, 30}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        gcFaceRecorder* e = Recorder();
        O(kInitiator, r.euler, O::kCameraRelative).Set(r.value, m_params);
        ASSERT_EQ(e->faces.size(), 1u);
        EXPECT_TRUE(e->faces[0].ApproxEqual(r.sent, 1e-3f)) << e->faces[0].x << " " << e->faces[0].y;
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
        {"nose straight up", 30, 0, 30, 90, 0, 90},
        {"nose straight down", 30, 0, 30, -90, 0, -90},
        {"nose almost straight up", 30, 0, 30, 89.9f, 0, 89.9f},
        {"the camera looking straight down at a level entity", 30, -90, 30, 0, 0, 90},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        SetView(r.viewHeading, r.viewPitch);
        gcFaceRecorder* e = Recorder();
        e->m_nRegionId = 1;
        e->m_model.m_localToZone.basis.SetHP(r.heading, r.pitch);
        EXPECT_NEAR(O(kInitiator, O::HEADING, O::kCameraRelative).Get(m_params), r.expHeading, 1e-3f);
        EXPECT_NEAR(O(kInitiator, O::PITCH, O::kCameraRelative).Get(m_params), r.expPitch, 1e-3f);
        e->m_nRegionId = 3;  // not resident
        EXPECT_EQ(O(kInitiator, O::HEADING, O::kCameraRelative).Get(m_params), 0.0f);
        EXPECT_EQ(O(kInitiator, O::PITCH, O::kCameraRelative).Get(m_params), 0.0f);
        EXPECT_EQ(O(kInitiator, O::ROLL, O::kCameraRelative).Get(m_params), 30.0f);  // its own roll
    }
}

// Participant 1 is another entity. The followed path is an L of 20 units
// whose parameter 1.5 lies 15 units along.
TEST_F(gcValEntitySpaceTest, ComponentsPathsAndIdentity)
{
    gcFaceRecorder* e = Recorder();
    m_params.pParticipant1 = Placed(m_pB, 0, 0, 0);
    e->m_velocity.Set(3.0f, -4.0f, 12.0f);
    e->m_offsetPath[0] = 1.5f, e->m_offsetPath[1] = -2.5f;
    e->m_hPaths[gcEntity::PATH_PATROL] = gcRegionPathMgr::Add(3, m_pool.New<gcRegionPath>(), 0x21);
    e->m_hPaths[gcEntity::PATH_INITIAL] = gcRegionPathHandle(0x00220004);  // stale
    using V = gcValEntityVelocity;
    using P = gcValEntityOffsetPath;
    using H = gcValEntityHasPath;
    using C = gcValEntityCompare;
    const gcValEntityPathPosition pathPos(kInitiator);
    const float offPath = pathPos.Get(m_params);
    e->m_pRegionPath = NewRegionPath(&m_pool, 1, {{0, 0, 0, 0}, {10, 0, 0, 0}, {10, 10, 0, 0}});
    e->m_fPathTClosest = 1.5f;
    const float rows[][2] = {
        {V(kInitiator, 0).Get(m_params), 3.0f},   {V(kInitiator, 1).Get(m_params), -4.0f},
        {V(kInitiator, 2).Get(m_params), 12.0f},  {V().Get(m_params), 13.0f},
        {V(kInitiator, 4).Get(m_params), 0.0f},   {V(kInitiator, -1).Get(m_params), 0.0f},
        {V(kNobody, 0).Get(m_params), 0.0f},      {P(kInitiator, 0).Get(m_params), 1.5f},
        {P(kInitiator, 1).Get(m_params), -2.5f},  {P(kInitiator, 2).Get(m_params), 0.0f},
        {P(kInitiator, -1).Get(m_params), 0.0f},  {H(kInitiator, 0).Get(m_params), 1.0f},
        {H(kInitiator, 1).Get(m_params), 0.0f},   {H(kInitiator, 2).Get(m_params), 0.0f},
        {H(kInitiator, -1).Get(m_params), 0.0f},  {H(kNobody, 1).Get(m_params), 0.0f},
        {offPath, 0.0f},                          {pathPos.Get(m_params), 0.75f},
        {gcValEntityPathPosition(kNobody).Get(m_params), 0.0f},
        {C(kInitiator, kInitiator).Get(m_params), 1.0f}, {C(kInitiator, kParticipant1).Get(m_params), 0.0f},
        {C(kNobody, kNobody).Get(m_params), 0.0f},       {C(kNobody, kInitiator).Get(m_params), 0.0f},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_FLOAT_EQ(rows[i][0], rows[i][1]) << "row " << i;
    m_params.pParticipant1 = e;
    EXPECT_EQ(C(kInitiator, kParticipant1).Get(m_params), 1.0f);  // two names for one entity
    // Assigning 7 to (1, 2): one component replaced, or nothing.
    const struct {
        int32_t axis;
        float x, y;
    } sets[] = {{0, 7, 2}, {1, 1, 7}, {2, 1, 2}, {-1, 1, 2}};
    for (const auto& r : sets) {
        e->m_offsetPath[0] = 1.0f, e->m_offsetPath[1] = 2.0f;
        P(kInitiator, r.axis).Set(7.0f, m_params);
        EXPECT_EQ(e->m_offsetPath[0], r.x) << r.axis;
        EXPECT_EQ(e->m_offsetPath[1], r.y) << r.axis;
    }
    P(kNobody, 0).Set(7.0f, m_params);
    EXPECT_TRUE(e->faces.empty());
}

// The factories' defaults show in the texts of new values.
TEST_F(gcValEntitySpaceTest, Texts)
{
    const std::pair<int32_t, const char*> defaults[] = {
        {132, "Initiator.DistanceTo( Player )"}, {131, "Initiator.Facing( Player )"},
        {197, "Initiator.Heading"},              {200, "Initiator.Velocity"},
        {198, "Initiator.OffsetPath.X"},         {171, "Initiator.PathPosition"},
        {243, "Initiator.HasPath( Patrol )"},    {194, "( Initiator == Initiator )"},
    };
    auto text = [](const gcValue& v) {
        char buf[gcScriptText::kSize] = {};
        v.GetTextRecursive(buf);
        return std::string(buf);
    };
    for (const auto& [id, expected] : defaults)
        EXPECT_EQ(text(*static_cast<gcValue*>(cType::Find(id)->m_pNewFunc(&m_pool))), expected);
    gcValEntityFacing badTarget(kInitiator, kParticipant1);
    badTarget.targetType = 2;
    const struct {
        const gcValue& value;
        const char* text;
    } rows[] = {
        {gcValEntityDistance(kInitiator, m_gate), "Initiator.DistanceTo( [Gate] )"},
        {gcValEntityFacing(kParticipant1, kStalePoint), "Participant1.Facing( [???] )"},
        {badTarget, "Initiator.Facing( ??? )"},
        {O(kParticipant1, O::PITCH, O::kCameraRelative), "Participant1.Pitch"},
        {O(kInitiator, 3, 0), "Initiator.???"},
        {gcValEntityVelocity(kInitiator, 4), "Initiator.Velocity.???"},
        {gcValEntityOffsetPath(kInitiator, 2), "Initiator.OffsetPath.???"},
        {gcValEntityHasPath(kInitiator, 1), "Initiator.HasPath( Initial )"},
        {gcValEntityCompare(kParticipant1, kInitiator), "( Participant1 == Initiator )"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(text(r.value), r.text);
}

// Field orders a round trip cannot tell apart, laid by hand; the facing's
// old layout names nothing; the versions each class refuses.
TEST_F(gcValEntitySpaceTest, BlocksKeepTheirFieldOrder)
{
    auto load = [&](uint32_t id, uint32_t version, const std::vector<int32_t>& words) -> cBase* {
        const bool bSaved = datagen::WriteObjectBlocksFile(m_data.HostPath("v.dat"), id, [&](datagen::BlockWriter& w) {
            datagen::ValueBlock(w, version, id == 197 || id == 198);
            for (int32_t word : words)
                w.Int(word);
            w.End();
        });
        return bSaved ? cBase::Load("/v.dat", &m_pool, cType::Find(static_cast<int32_t>(id))) : nullptr;
    };
    const std::vector<int32_t> six = {D::PARTICIPANT1, 0x10001, 1, D::SPECIFIC, 0x20002, 0x30003};
    auto expectSix = [](const auto* p) {
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->desiredEntity.desiredEntity, D::PARTICIPANT1);
        EXPECT_EQ(p->desiredEntity.hSpecificEntity.m_nValue, 0x10001u);
        EXPECT_EQ(p->targetType, 1);
        EXPECT_EQ(p->desiredTarget.desiredEntity, D::SPECIFIC);
        EXPECT_EQ(p->desiredTarget.hSpecificEntity.m_nValue, 0x20002u);
        EXPECT_EQ(p->hRegionPoint.m_nValue, 0x30003u);
    };
    expectSix(dcast<gcValEntityDistance>(load(132, 1, six)));
    expectSix(dcast<gcValEntityFacing>(load(131, 3, six)));

    Pair(0, -5, 0, 0);  // participant 1 on the initiator's -X side
    const auto* pOld = dcast<gcValEntityFacing>(load(131, 2, {D::INITIATOR, 0, 0, D::PARTICIPANT1, 0, 0x30003, 99}));
    ASSERT_NE(pOld, nullptr);
    EXPECT_EQ(pOld->desiredEntity.desiredEntity, D::SPECIFIC);
    EXPECT_EQ(pOld->desiredTarget.desiredEntity, D::SPECIFIC);
    EXPECT_EQ(pOld->hRegionPoint.m_nValue, 0u);
    EXPECT_EQ(Facing(*pOld), 0.0f);

    const auto* pTurn = dcast<O>(load(197, 1, {D::PARTICIPANT1, 0, O::ROLL, 0x1}));
    ASSERT_NE(pTurn, nullptr);
    EXPECT_EQ(pTurn->euler, O::ROLL);
    EXPECT_EQ(pTurn->nFlags, O::kCameraRelative);

    gcTestLogCapture quiet;
    const std::pair<uint32_t, uint32_t> refused[] = {{131, 1}, {131, 4}, {194, 1}, {194, 3}, {132, 0}, {132, 2},
                                                     {197, 0}, {200, 0}, {198, 0}, {171, 0}, {243, 0}};
    for (const auto& [id, version] : refused)
        EXPECT_EQ(load(id, version, six), nullptr) << id << " v" << version;
}

}  // namespace
