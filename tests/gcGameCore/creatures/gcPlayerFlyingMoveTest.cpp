// The flying player's movement in a zone built from datagen data: a wall
// across its way, flown into head-on, at a glance, touching, through (mask
// 0) and along (a gliding surface), turning in heading, pitch and roll, and
// leaving every zone.
#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "eEngine/collisionTestSupport.h"
#include "eEngine/modelTestSupport.h"
#include "gcGameCore/creatures/gcPlayerFlying.h"
#include "gcGameCore/creatures/gcPlayerFlyingTemplate.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCore/entities/gcSurface.h"
#include "gcGameCore/script/gcScriptTestObjects.h"

namespace {

using F = gcPlayerFlying;
using T = gcPlayerFlyingTemplate;

constexpr int kMeshSlot = 5, kCoastSlot = 6, kTemplateSlot = 3;
constexpr float kSpeed = 6.0f;   // units a second: 0.2 a tick
constexpr float kRadius = 0.5f;  // the largest of the collider's radii
constexpr float kWallY = 5.0f;
constexpr float kHeight = 3.0f;
const mVec3 kZonePos(40, 0, 0);  // the zone's place in the world

class FlyingMoveTest : public CollisionTest {
protected:
    void SetUp() override
    {
        CollisionTest::SetUp();
        gcEntityWorld::Funcs funcs{};
        funcs.pGetRegionId = [](int slot) { return slot == 0 ? 1 : -1; };
        m_oldFuncs = gcEntityWorld::Set(funcs);
        for (gcCreature*& p : gcCreature::s_pActiveCreatures)
            p = nullptr;
        gcCreature::s_nActiveCreatures = 0;
        datagen::MeshDesc mesh = FigureDesc();
        mesh.colliderSize = mVec3(kRadius, 0.2f, 0.3f);  // a sphere of the largest
        ASSERT_NE(PlaceMesh(m_data, &m_pool, kMeshSlot, mesh), nullptr);
        datagen::AnimationDesc coast;
        coast.frames = 2;
        coast.frameLength = 600;
        coast.bLooping = true;
        coast.nodes.push_back({{{0, 0, 0}, {0, kSpeed, 0}}, {mQuat(0, 0, 0, 1)}});
        ASSERT_NE(PlaceAnimation(m_data, &m_pool, kCoastSlot, coast), nullptr);
        m_pTemplate = m_pool.New<gcPlayerFlyingTemplate>();
        m_pTemplate->hMesh = eMeshMgr::GetHandle(kMeshSlot);
        m_pTemplate->nCollisionMask = 0xFFFFFFFF;
        m_pTemplate->animationConfigs[T::ANIM_COAST_1].hAnimation = eAnimationMgr::GetHandle(kCoastSlot);
        gcEntityTemplateMgr::Add(kTemplateSlot, m_pTemplate, 0x77);
        m_wall.m_nCollisionMask = 0xFFFFFFFF;
        eSurfaceMgr::Add(kSurfaceSlot + kWallSurface, &m_wall, 0x100 + kWallSurface);
        FillEvent(m_wall.onTouched, b.Record(7));
        TestLog().clear();
    }
    void TearDown() override
    {
        if (m_pFlyer)
            std::destroy_at(m_pFlyer);
        gcEntityTemplateMgr::s_pInstances[kTemplateSlot] = nullptr;
        ClearModelManagers();
        gcEntityWorld::Set(m_oldFuncs);
        CollisionTest::TearDown();
    }
    // A wall of the game's surface across +y at kWallY, facing -y.
    eZone* Build()
    {
        std::vector<ColTri> wall;
        AddQuad(&wall, {20, kWallY, -10}, {20, kWallY, 10}, {-20, kWallY, 10}, {-20, kWallY, -10}, kWallSurface);
        return AddZone(0, kZonePos, wall);
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
    // Ticks of 20 until the state is reached (or n ticks); the ticks run.
    int TickUntil(int state, int n)
    {
        for (int i = 1; i <= n; ++i) {
            m_pFlyer->Send(gcMsgTick(cTimeValue(20)));
            if (m_pFlyer->m_nCurState == state)
                return i;
        }
        return -1;
    }
    mVec3 Pos() const { return m_pFlyer->m_model.m_localToParent.origin; }

    static constexpr int kWallSurface = 2;
    gcPlayerFlyingTemplate* m_pTemplate = nullptr;
    gcPlayerFlying* m_pFlyer = nullptr;
    gcSurface m_wall;
    gcTestBuilder b{m_pool};
    gcEntityWorld::Funcs m_oldFuncs{};
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
