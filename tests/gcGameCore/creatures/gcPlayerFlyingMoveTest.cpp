// The flying player's movement in a zone built from datagen data: a wall
// across its way, flown into head-on, at a glance, touching, through (mask
// 0) and along (a gliding surface), turning in heading, pitch and roll, and
// leaving every zone.
#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "gcGameCore/creatures/gcPlayerFlying.h"
#include "gcGameCore/creatures/gcPlayerFlyingTemplate.h"
#include "gcGameCore/entities/entityTestTypes.h"
#include "gcGameCore/entities/gcSurface.h"
#include "gcGameCore/script/gcScriptTestObjects.h"
#include "playerMoveTestFixture.h"

namespace {

using F = gcPlayerFlying;
using T = gcPlayerFlyingTemplate;

constexpr float kSpeed = 6.0f;   // units a second: 0.2 a tick
constexpr float kRadius = 0.5f;  // the largest of the collider's radii
constexpr float kWallY = 5.0f;
constexpr float kHeight = 3.0f;
const mVec3 kZonePos(40, 0, 0);  // the zone's place in the world

class FlyingMoveTest : public PlayerMoveTest {
protected:
    void SetUp() override
    {
        PlayerMoveTest::SetUp();
        // The collider is a sphere of the largest radius; the coasting
        // animation loops.
        ASSERT_NO_FATAL_FAILURE(PlaceFigure(mVec3(kRadius, 0.2f, 0.3f), kSpeed, true));
        m_pTemplate = m_pool.New<gcPlayerFlyingTemplate>();
        m_pTemplate->hMesh = eMeshMgr::GetHandle(kMeshSlot);
        m_pTemplate->nCollisionMask = 0xFFFFFFFF;
        m_pTemplate->animationConfigs[T::ANIM_COAST_1].hAnimation = eAnimationMgr::GetHandle(kAnimSlot);
        gcEntityTemplateMgr::Add(kTemplateSlot, m_pTemplate, 0x77);
        m_wall.m_nCollisionMask = 0xFFFFFFFF;
        eSurfaceMgr::Add(kSurfaceSlot + kWallSurface, &m_wall, 0x100 + kWallSurface);
        FillEvent(m_wall.onTouched, b.Record(7));
        TestLog().clear();
    }
    gcCreature* Player() const override { return m_pFlyer; }
    // A wall of the game's surface across +y at kWallY, facing -y, and the
    // extra triangles.
    eZone* Build(std::vector<ColTri> extra = {})
    {
        AddQuad(&extra, {20, kWallY, -10}, {20, kWallY, 10}, {-20, kWallY, 10}, {-20, kWallY, -10}, kWallSurface);
        return AddZone(0, kZonePos, extra);
    }
    // Flying, coasting in gear 0, at a point of the zone facing the heading.
    gcPlayerFlying* Place(const mVec3& at, float fHeading, float fPitch = 0.0f)
    {
        if (m_pFlyer)
            std::destroy_at(m_pFlyer);
        m_pFlyer = static_cast<gcPlayerFlying*>(m_pTemplate->CreateInstance(&m_pool));
        m_pFlyer->m_nRegionId = 1;
        m_pFlyer->m_model.m_localToParent.MakeIdentity();
        m_pFlyer->m_model.m_localToParent.basis.SetHP(fHeading, fPitch);
        m_pFlyer->m_model.m_localToParent.origin = at;
        m_pFlyer->m_desiredHPR[0] = fHeading;
        m_pFlyer->m_desiredHPR[1] = fPitch;
        EXPECT_TRUE(m_pFlyer->Reset(&m_pool));
        m_pFlyer->SetStat(gcEntityTemplate::STAT_HEALTH, 10.0f);
        m_pFlyer->Send(gcMsgActivate());
        m_pFlyer->Send(gcMsgUnfreeze());
        EXPECT_EQ(m_pFlyer->m_nCurState, F::ST_FLYING);
        return m_pFlyer;
    }

    static constexpr int kWallSurface = 2;
    gcPlayerFlyingTemplate* m_pTemplate = nullptr;
    gcPlayerFlying* m_pFlyer = nullptr;
    gcSurface m_wall;
    gcTestBuilder b{m_pool};
};

TEST_F(FlyingMoveTest, IntoAWall)
{
    ASSERT_NE(Build(), nullptr);
    struct Row {
        const char* what;
        float fHeading;
        float fStartY;
        uint32_t mask;
        bool bKnockedBack;
        bool bTouched;
        float fEndY;  // after 40 ticks, unless knocked back; NAN: not checked
    };
    const Row rows[] = {
        {"head-on from a gap", 0.0f, 2.0f, 0xFFFFFFFF, true, true, NAN},
        {"within the cone (30 degrees)", 30.0f, 2.0f, 0xFFFFFFFF, true, true, NAN},
        {"a glance (40 degrees) slides along", 40.0f, 2.0f, 0xFFFFFFFF, false, true, kWallY - kRadius},
        {"touching head-on: the first round only slides", 0.0f, kWallY - kRadius, 0xFFFFFFFF, false, true,
         kWallY - kRadius},
        {"another mask's wall is flown through", 0.0f, 2.0f, 0x0, false, false, 2.0f + 40 * 0.2f},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        m_pTemplate->nCollisionMask = r.mask;
        Place({0, r.fStartY, kHeight}, r.fHeading);
        TestLog().clear();
        const int nHit = TickUntil(F::ST_HIT_FRONT, 40);
        EXPECT_EQ(nHit > 0, r.bKnockedBack);
        EXPECT_EQ(!TestLog().empty(), r.bTouched);
        for (const gcTestLogEntry& e : TestLog()) {
            EXPECT_EQ(e.pInitiator, m_pFlyer);
            EXPECT_EQ(e.fParam1, 0.0f);  // no first-touch value
            EXPECT_EQ(e.fParam2, 0.0f);
        }
        if (r.bKnockedBack) {
            EXPECT_NEAR(Pos().y, kWallY - kRadius, 5e-3f);  // the sphere's radius, not the ellipsoid's y
            EXPECT_EQ(m_pFlyer->m_nCurFlySpeed, 0);
        } else {
            EXPECT_NEAR(Pos().y, r.fEndY, 5e-3f);
            EXPECT_EQ(m_pFlyer->m_nCurState, F::ST_FLYING);
        }
        EXPECT_NEAR(Pos().z, kHeight, 1e-4f);  // no gravity
    }
}

TEST_F(FlyingMoveTest, AGlidingSurfaceTurnsTheDesiredOrientationAlongItInsteadOfKnockingBack)
{
    ASSERT_NE(Build(), nullptr);
    FillEvent(m_wall.onTouched, b.Return(b.Num(1.0f)));
    struct Row {
        float fHeading, fPitch;
        float fGlideHeading, fGlidePitch;
    };
    // The part of the forward direction in the wall, not made unit length:
    // at 30 degrees and a pitch of 20 it is (-0.4698, 0, 0.3420).
    const Row rows[] = {{30.0f, 0.0f, 90.0f, 0.0f}, {-30.0f, 20.0f, -90.0f, 20.0f}, {30.0f, 60.0f, 90.0f, 60.0f}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.fHeading + r.fPitch);
        Place({0, 2.0f, kHeight}, r.fHeading, r.fPitch);
        float fAtContact[2] = {r.fHeading, r.fPitch};
        for (int i = 0; i < 40 && std::fabs(fAtContact[0] - r.fHeading) < 1.0f; ++i) {
            m_pFlyer->Send(gcMsgTick(cTimeValue(20)));
            fAtContact[0] = m_pFlyer->m_desiredHPR[0];
            fAtContact[1] = m_pFlyer->m_desiredHPR[1];
            EXPECT_EQ(m_pFlyer->m_nCurState, F::ST_FLYING);
        }
        EXPECT_NEAR(fAtContact[0], r.fGlideHeading, 1e-3f);
        EXPECT_NEAR(fAtContact[1], r.fGlidePitch, 1e-3f);
    }
}

// A move along the inside of a round wall of 60 gliding facets meets a
// facet, or the two of a corner, in every round: a move of 3 units there
// is cut short by the limit of 8 collide rounds, and one of 5 ends at the
// same place. The touches count the rounds: the 8 make 15 (7 rounds would
// make 12, 9 make 16); a move of 1 unit ends by its distance in fewer.
TEST_F(FlyingMoveTest, AMoveAlongARoundWallStopsAfterEightCollideRounds)
{
    std::vector<ColTri> tris;
    constexpr int kFacets = 60;
    constexpr float kR = 5.0f;
    for (int k = 0; k < kFacets; ++k) {
        const float a0 = 6.2831853f * k / kFacets, a1 = 6.2831853f * (k + 1) / kFacets;
        const float x0 = kR * std::cos(a0), y0 = kR * std::sin(a0), x1 = kR * std::cos(a1), y1 = kR * std::sin(a1);
        AddQuad(&tris, {x0, y0, -10}, {x0, y0, 10}, {x1, y1, 10}, {x1, y1, -10}, kWallSurface);
    }
    ASSERT_NE(AddZone(0, kZonePos, tris), nullptr);
    m_wall.onTouched.pAction = nullptr;
    FillEvent(m_wall.onTouched, b.Record(7), b.Return(b.Num(1.0f)));
    const struct {
        float fDist;
        size_t nTouches;
    } rows[] = {{1.0f, 7}, {3.0f, 15}, {5.0f, 15}};
    mVec3 ends[3];
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(rows[i].fDist);
        Place({0, 0, kHeight}, 0.0f);
        mOCS frame = m_pFlyer->m_model.m_localToParent;
        frame.origin = mVec3(4.45f, 0.0f, kHeight);
        TestLog().clear();
        m_pFlyer->Collide(mVec3(0, 1, 0), rows[i].fDist, false, &frame);
        EXPECT_EQ(TestLog().size(), rows[i].nTouches);
        ends[i] = frame.origin;
    }
    EXPECT_GT(ends[1].y, ends[0].y);
    EXPECT_NEAR(ends[2].x, ends[1].x, 1e-4f);
    EXPECT_NEAR(ends[2].y, ends[1].y, 1e-4f);
}

// One contact at a time: the in-surface part of the desired forward
// direction, not made unit length (a level flight into a 45-degree ramp
// gives (0, 0.5, 0.5): a pitch of 30, not 45).
TEST_F(FlyingMoveTest, AGlidingContactTurnsTheDesiredOrientationAlongTheSurface)
{
    ASSERT_NE(Build(), nullptr);
    Place({0, -1.0f, kHeight}, 0.0f);
    const float r = 0.70710678f;
    struct Row {
        const char* what;
        float h, p;  // desired before
        mVec3 normal, dir;
        bool bGlide;
        float answer;  // of the surface's OnTouched; NAN: not the game's surface
        bool bGlided;
        float hAfter, pAfter;
    };
    const Row rows[] = {
        {"a 45-degree ramp", 0, 0, {0, -r, r}, {0, 1, 0}, true, 1, true, 0, 30},
        {"a wall at 30 degrees", 30, 0, {0, -1, 0}, {-0.5f, 0.8660254f, 0}, true, 1, true, 90, 0},
        {"a wall while climbing at 20", -30, 20, {0, -1, 0}, {0, 1, 0}, true, 1, true, -90, 20},
        {"any answer but 0", 0, 0, {0, -r, r}, {0, 1, 0}, true, -2, true, 0, 30},
        {"moving away from it", 0, 0, {0, -r, r}, {0, -1, 0}, true, 1, false, 0, 0},
        {"moving along it", 0, 0, {0, -1, 0}, {1, 0, 0}, true, 1, false, 0, 0},
        {"gliding not allowed", 0, 0, {0, -r, r}, {0, 1, 0}, false, 1, false, 0, 0},
        {"the surface answers 0", 0, 0, {0, -r, r}, {0, 1, 0}, true, 0, false, 0, 0},
        {"not the game's surface", 0, 0, {0, -r, r}, {0, 1, 0}, true, NAN, false, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        m_wall.onTouched.pAction = nullptr;
        FillEvent(m_wall.onTouched, b.Return(b.Num(std::isnan(row.answer) ? 1.0f : row.answer)));
        m_pFlyer->m_desiredHPR[0] = row.h;
        m_pFlyer->m_desiredHPR[1] = row.p;
        // The sweep enters the surface; the direction given may not.
        eColliderEllipse c;
        c.Set(kZonePos, 1.0f, -row.normal, mVec3(1, 1, 1));
        const mVec3 verts[3] = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}};
        eSurface* pSurface = std::isnan(row.answer) ? static_cast<eSurface*>(&m_surfaces[0]) : &m_wall;
        c.AddContactPoint(eColliderEllipse::CT_NORMAL, kZonePos, row.normal, row.normal, 0.5f, nullptr, pSurface,
                          eCollisionContact::TP_ONTRI, verts, false);
        ASSERT_EQ(c.m_nContacts[eColliderEllipse::CT_NORMAL], 1);
        EXPECT_EQ(m_pFlyer->HandleContacts(c, row.dir, row.bGlide), row.bGlided);
        EXPECT_NEAR(m_pFlyer->m_desiredHPR[0], row.hAfter, 1e-3f);
        EXPECT_NEAR(m_pFlyer->m_desiredHPR[1], row.pAfter, 1e-3f);
    }
}

// Blocking contacts in list order: the first within 37.5 degrees of
// head-on asks for HitFront; the states above it are not interrupted.
TEST_F(FlyingMoveTest, KnockbackWithinTheConeOfHeadOn)
{
    ASSERT_NE(Build(), nullptr);
    Place({0, -1.0f, kHeight}, 0.0f);
    const auto away = [](float deg) {  // a normal deg degrees off straight against +y
        const float a = deg * 0.017453292f;
        return mVec3(std::sin(a), -std::cos(a), 0.0f);
    };
    struct Row {
        const char* what;
        int state;
        std::vector<mVec3> normals;
        bool bKnocked;
    };
    const Row rows[] = {
        {"head-on", F::ST_FLYING, {away(0)}, true},
        {"37.4 degrees", F::ST_FLYING, {away(37.4f)}, true},
        {"37.6 degrees", F::ST_FLYING, {away(37.6f)}, false},
        {"a later contact head-on", F::ST_FLYING, {away(60), away(5)}, true},
        {"the first of two head-on", F::ST_FLYING, {away(5), away(60)}, true},
        {"braking", F::ST_BRAKING, {away(0)}, true},
        {"the medium animation", F::ST_ANIM_MEDIUM, {away(0)}, true},
        {"the high animation", F::ST_ANIM_HIGH, {away(0)}, false},
        {"dying", F::ST_DYING, {away(0)}, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        m_pFlyer->m_nCurState = m_pFlyer->m_nNextState = static_cast<int8_t>(r.state);
        m_pFlyer->m_nGameObjectFlags = 0;
        eColliderEllipse c;
        const mVec3 dir(0, 1, 0);
        c.Set(kZonePos, 1.0f, dir, mVec3(1, 1, 1));
        float fOffset = 0.0f;  // each its own triangle, at the same distance
        for (const mVec3& n : r.normals) {
            const mVec3 verts[3] = {{fOffset, 0, 0}, {fOffset + 1, 0, 0}, {fOffset, 0, 1}};
            c.AddContactPoint(eColliderEllipse::CT_NORMAL, kZonePos + n * 0.5f, n, n, 0.5f, nullptr, &m_wall,
                              eCollisionContact::TP_ONTRI, verts, false);
            fOffset += 10.0f;
        }
        ASSERT_EQ(c.m_nContacts[eColliderEllipse::CT_NORMAL], static_cast<int>(r.normals.size()));
        m_pFlyer->HandleKnockback(c, dir);
        EXPECT_EQ((m_pFlyer->m_nGameObjectFlags & gcGameObject::kChangePending) != 0, r.bKnocked);
        if (r.bKnocked) {
            EXPECT_EQ(m_pFlyer->m_nNextState, F::ST_HIT_FRONT);
        }
    }
}

// Overlapping a model, it is pushed out before it moves, and the model's
// owner is told it was touched; an embedded contact never turns it, even on
// a gliding surface.
TEST_F(FlyingMoveTest, UnembeddingPushesItOutOfAModelAndTellsTheOwner)
{
    eZone* pZone = Build();
    ASSERT_NE(pZone, nullptr);
    FillEvent(m_wall.onTouched, b.Record(7), b.Return(b.Num(1.0f)));
    gcTestEntity owner;
    std::vector<ColTri> box;
    AddBox(&box, {-1, -1, 0}, {1, 1, 2});
    // A model of the game's gliding surface.
    m_models.push_back(
        std::make_unique<eTestColModel>(box, eSurfaceMgr::GetHandle(kSurfaceSlot + kWallSurface), 20.0f));
    m_models.back()->Place(pZone, {0, -5, 2});
    m_models.back()->m_pOwner = &owner;
    m_pTemplate->animationConfigs[T::ANIM_COAST_1].hAnimation = eAnimationHandle();  // no root motion
    Place({0, -6.0f - kRadius + 0.2f, 3.0f}, 0.0f);
    EntityLog().clear();
    TestLog().clear();
    m_pFlyer->Send(gcMsgTick(cTimeValue(20)));
    EXPECT_LE(Pos().y, -6.0f - kRadius + 2e-3f) << "pushed out";
    EXPECT_NEAR(Pos().x, 0.0f, 1e-4f);
    EXPECT_LT(m_pFlyer->m_velocity.y, 0.0f);
    int nTouched = 0;
    for (const gcEntityLogEntry& e : EntityLog())
        nTouched += e.pTo == &owner && e.nId == MSG_TOUCHED;
    EXPECT_GT(nTouched, 0);
    ASSERT_FALSE(TestLog().empty());
    for (const gcTestLogEntry& e : TestLog())
        EXPECT_EQ(e.pParticipant1, &owner);
    EXPECT_EQ(m_pFlyer->m_desiredHPR[0], 0.0f);
    EXPECT_EQ(m_pFlyer->m_desiredHPR[1], 0.0f);
    // A tick of no time moves nothing and keeps the velocity.
    const mVec3 at = Pos();
    m_pFlyer->m_velocity.Set(1, 2, 3);
    m_pFlyer->Send(gcMsgTick(cTimeValue(0)));
    EXPECT_TRUE(Pos() == at);
    EXPECT_TRUE(m_pFlyer->m_velocity == mVec3(1, 2, 3));
    // It leaves a pending initial update (and the tick scripts) to the first
    // tick with time: a zone change sends a tick of none.
    m_pFlyer->m_nEntityFlags |= gcEntity::kInitialUpdatePending;
    m_pFlyer->Send(gcMsgTick(cTimeValue(0)));
    EXPECT_TRUE(m_pFlyer->m_nEntityFlags & gcEntity::kInitialUpdatePending);
    m_pFlyer->Send(gcMsgTick(cTimeValue(20)));
    EXPECT_FALSE(m_pFlyer->m_nEntityFlags & gcEntity::kInitialUpdatePending);
}

TEST_F(FlyingMoveTest, ItTurnsInHeadingPitchAndRollAndFliesAlongThem)
{
    ASSERT_NE(Build(), nullptr);
    Place({0, -10, kHeight}, 0.0f);
    m_pFlyer->m_desiredHPR[0] = 90.0f;
    m_pFlyer->m_desiredHPR[1] = 30.0f;
    m_pFlyer->m_desiredHPR[2] = 10.0f;
    for (int i = 0; i < 60; ++i)
        m_pFlyer->Send(gcMsgTick(cTimeValue(20)));
    float h, p, r;
    m_pFlyer->m_model.m_localToParent.basis.GetHPR(&h, &p, &r);
    EXPECT_NEAR(h, 90.0f, 0.05f);
    EXPECT_NEAR(p, 30.0f, 0.05f);
    EXPECT_NEAR(r, 10.0f, 0.05f);
    const mVec3 before = Pos();
    m_pFlyer->Send(gcMsgTick(cTimeValue(20)));
    const mVec3 step = Pos() - before;  // 0.2 along heading 90 (-x), pitched up 30
    EXPECT_TRUE(step.ApproxEqual(mVec3(-0.2f * 0.8660254f, 0.0f, 0.1f), 1e-3f)) << step.x << " " << step.z;
    EXPECT_TRUE(m_pFlyer->m_velocity.ApproxEqual(step * (1.0f / 20.0f), 1e-6f));
}

TEST_F(FlyingMoveTest, LeavingEveryZoneFreezesItAndSaysSoOnce)
{
    ASSERT_NE(Build(), nullptr);
    m_pTemplate->nCollisionMask = 0;
    Place({0, -10, kHeight}, 0.0f);
    gcTestLogCapture log;
    m_pFlyer->m_model.m_localToParent.origin.Set(0, -10, -150);  // below the zone's box
    m_pFlyer->m_model.SetGeomFlagsOnOff(eGeom::kDirty, 0);
    for (int i = 0; i < 3; ++i)
        m_pFlyer->Send(gcMsgTick(cTimeValue(20)));
    EXPECT_EQ(m_pFlyer->m_nRegionId, -1);
    EXPECT_FALSE(m_pFlyer->IsActive());
    EXPECT_EQ(m_pFlyer->m_nCurState, F::ST_DISABLED);
    EXPECT_EQ(log.Count(LOGTYPE_WARNING, "left every zone"), 1);
    EXPECT_NEAR(Pos().y, -10.0f + 0.2f, 1e-4f);  // the tick that left, then nothing
}

}  // namespace
