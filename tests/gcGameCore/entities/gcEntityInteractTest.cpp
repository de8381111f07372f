#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "eEngine/modelTestSupport.h"
#include "entityTestObjects.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/entities/gcEntity.h"
#include "gcGameCore/script/gcStateMachine.h"

namespace {

using D = gcMsgDealDamage;
constexpr int kMeshSlot = 5;

class gcEntityInteractTest : public EntityWorldTest {
protected:
    void SetUp() override
    {
        EntityWorldTest::SetUp();
        datagen::MeshDesc mesh = FigureDesc();
        mesh.colliderSize = mVec3(0.5f, 0.75f, 2.0f);  // reach 0.75
        ASSERT_NE(PlaceMesh(m_data, &m_pool, kMeshSlot, mesh), nullptr);
        m_pTemplate = PlaceTemplate();
        m_pTemplate->hMesh = eMeshMgr::GetHandle(kMeshSlot);
    }
    void TearDown() override
    {
        gcEntity::s_pGetInteractRange = nullptr;
        EntityWorldTest::TearDown();
    }
    // An active entity of region 1 at a point, facing the heading.
    gcTestEntity* Placed(float x, float y, float heading)
    {
        gcTestEntity* e = PlacedEntity(m_pTemplate, {x, y, 0});
        e->m_model.m_localToParent = MakeFrame(x, y, 0, heading);
        EXPECT_TRUE(e->Enable());
        e->m_nEntityFlags &= static_cast<uint16_t>(~(gcEntity::kDeactivated | gcEntity::kFrozen));
        return e;
    }
    // A target that answers its CanInteract with the value.
    gcTestEntity* Willing(float x, float y, float heading, float answer = 1.0f)
    {
        gcTestEntity* e = Placed(x, y, heading);
        FillEvent(e->onCanInteract, b.Return(b.Num(answer)));
        return e;
    }

    gcTestEntityTemplate* m_pTemplate = nullptr;
};

TEST_F(gcEntityInteractTest, BothMustFaceEachOtherWithinReach)
{
    struct Row {
        const char* name;
        float distance, headingA, headingB, healthB;
        uint16_t flagsB;
        bool expected;
    };
    // Reach 0.75 each and interaction distance 1: 2.5 apart is the limit.
    const Row rows[] = {
        {"face to face at the limit", 2.5f, 0, 180, 1, 0, true},
        {"just beyond reach", 2.51f, 0, 180, 1, 0, false},
        {"A faces away", 2.0f, 180, 180, 1, 0, false},
        {"B faces away", 2.0f, 0, 0, 1, 0, false},
        {"A turned within its tolerance", 2.0f, 44, 180, 1, 0, true},
        {"A turned past its tolerance", 2.0f, 46, 180, 1, 0, false},
        {"B turned past its tolerance", 2.0f, 0, -134, 1, 0, false},
        {"B turned within its tolerance", 2.0f, 0, -136, 1, 0, true},
        {"B is dead", 2.0f, 0, 180, 0, 0, false},
        {"B is frozen", 2.0f, 0, 180, 1, gcEntity::kFrozen, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        gcTestEntity* a = Placed(0, 0, r.headingA);
        gcTestEntity* t = Willing(0, r.distance, r.headingB);
        t->SetStat(gcEntityTemplate::STAT_HEALTH, r.healthB);
        t->m_nEntityFlags |= r.flagsB;
        EXPECT_EQ(a->CanInteract(t), r.expected);
        EXPECT_FALSE(a->CanInteract(a));
        t->Disable();
        a->Disable();
    }
}

// Without a zone on either side, the vector to another entity (also the
// node-to-node one) is the entity's own forward axis.
TEST_F(gcEntityInteractTest, VectorsToEntitiesOutsideAZoneAreTheForwardAxis)
{
    gcTestEntity* pFrom = Placed(0, 0, 90);
    gcTestEntity* pTo = Placed(3, 4, 0);
    const mVec3 forward = pFrom->m_model.m_localToParent.basis.forward;
    eZone* pZone = pFrom->m_model.m_pZone;
    for (gcTestEntity* pZoneless : {pTo, pFrom}) {
        pZoneless->m_model.m_pZone = nullptr;
        mVec3 v(9, 9, 9), w(9, 9, 9);
        pFrom->GetVecToEntity(pTo, &v);
        pFrom->GetVecToEntityHelper(cName(), pTo, cName(), &w);
        EXPECT_EQ(v, forward);
        EXPECT_EQ(w, forward);
    }
    pFrom->m_model.m_pZone = pTo->m_model.m_pZone = pZone;  // their models leave the zone with them
    // Both in the zone: from one root to the other, whatever the facing.
    mVec3 v(9, 9, 9), w(9, 9, 9);
    pFrom->GetVecToEntity(pTo, &v);
    pFrom->GetVecToEntityHelper(cName(), pTo, cName(), &w);
    EXPECT_TRUE(v.ApproxEqual(mVec3(3, 4, 0), 1e-5f)) << v.x << " " << v.y;
    EXPECT_TRUE(w.ApproxEqual(mVec3(3, 4, 0), 1e-5f)) << w.x << " " << w.y;
}

TEST_F(gcEntityInteractTest, TheTargetsOwnAnswerDecides)
{
    gcTestEntity* a = Placed(0, 0, 0);
    EXPECT_FALSE(a->CanInteract(Willing(0, 2, 180, 0.0f))) << "its event says no";
    gcTestEntity* silent = Placed(0, -2, 0);
    a->m_model.m_localToParent = MakeFrame(0, 0, 0, 180);
    a->m_model.SetGeomFlagsOnOff(eGeom::kDirty, 0);
    EXPECT_FALSE(a->CanInteract(silent)) << "no event and no state machine";
    FillEvent(m_pTemplate->onCanInteract, b.Return(b.Num(1)));
    EXPECT_TRUE(a->CanInteract(silent)) << "the template's event, for an entity without state machine";
    a->m_stateInfo.m_pStateMachine = m_pool.New<gcStateMachine>();
    EXPECT_FALSE(a->CanInteract(silent)) << "an entity with a state machine does not ask the template";
}

TEST_F(gcEntityInteractTest, InteractingRaisesTheInstanceOrTemplateEvent)
{
    struct Row {
        const char* name;
        bool instanceEvent, interactorMachine;
        std::vector<int32_t> tags;
    };
    const Row rows[] = {
        {"the instance's event first", true, false, {1}},
        {"else the template's", false, false, {2}},
        {"never the template's for an entity with a state machine", false, true, {}},
    };
    FillEvent(m_pTemplate->onInteract, b.Record(2));
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TestLog().clear();
        gcTestEntity* a = Placed(0, 0, 0);
        gcTestEntity* t = Willing(0, 2, 180);
        if (r.instanceEvent)
            FillEvent(t->onInteract, b.Record(1));
        if (r.interactorMachine)
            a->m_stateInfo.m_pStateMachine = m_pool.New<gcStateMachine>();
        EXPECT_TRUE(a->HandleInteract(t));
        EXPECT_EQ(TestLogTags(), r.tags);
        if (!TestLog().empty()) {
            EXPECT_EQ(TestLog()[0].pInitiator, t);
            EXPECT_EQ(TestLog()[0].pParticipant1, a);
        }
        EXPECT_EQ(t->m_entityTimeSince[gcEntity::TIMESINCE_INTERACTED].m_nTicks, 0);
        t->Disable();
        a->Disable();
    }
    gcTestEntity* a = Placed(0, 0, 0);
    gcTestEntity* frozen = Willing(0, 2, 180);
    frozen->m_nEntityFlags |= gcEntity::kFrozen;
    EXPECT_FALSE(a->HandleInteract(frozen));
    EXPECT_EQ(frozen->m_entityTimeSince[gcEntity::TIMESINCE_INTERACTED].m_nTicks, gcEntity::kNever);
}

bool s_bCinematic = false;

TEST_F(gcEntityInteractTest, TheTargetIsTheFirstWillingEntityOfTheMapRange)
{
    gcTestEntity* a = Placed(0, 0, 0);
    gcTestEntity* frozen = Willing(0, 1.5f, 180);
    frozen->m_nEntityFlags |= gcEntity::kFrozen;
    gcTestEntity* t = Willing(0.5f, 2, 180);
    gcTestEntity* later = Willing(-0.5f, 2, 180);
    EXPECT_EQ(a->FindInteractTarget(), nullptr) << "no map";
    gcEntity* slots[] = {a, nullptr, frozen, t, later};
    for (int i = 0; i < 5; ++i)
        gcEntityMgr::s_pInstances[10 + i] = slots[i];
    s_bCinematic = false;
    gcEntity::s_pGetInteractRange = [](int* pBegin, int* pEnd) {
        *pBegin = 10;
        *pEnd = 15;
        return !s_bCinematic;
    };
    EXPECT_EQ(a->FindInteractTarget(), t);
    s_bCinematic = true;
    EXPECT_EQ(a->FindInteractTarget(), nullptr);
}

// A direction of the given yaw and pitch, degrees.
mVec3 Dir(float yaw, float pitch)
{
    const float y = yaw / 57.29578f, p = pitch / 57.29578f;
    return mVec3(-std::cos(p) * std::sin(y), std::cos(p) * std::cos(y), std::sin(p));
}

TEST_F(gcEntityInteractTest, HitDirectionsAtTheirBounds)
{
    gcTestEntity* e = Placed(0, 0, 0);  // faces +y
    struct Row {
        const char* name;
        float bearing;  // of the hit position, degrees
        mVec3 dir;
        D::gcDamageDir expected;
    };
    const Row rows[] = {
        {"straight on", 0, Dir(180, 0), D::DD_F},
        {"behind", 180, Dir(0, 0), D::DD_NONE},
        {"just inside the front", 119, Dir(180, 0), D::DD_F},
        {"just behind", 121, Dir(180, 0), D::DD_NONE},
        {"just behind on the other side", -121, Dir(180, 0), D::DD_NONE},
        {"left to right", 0, Dir(-90, 0), D::DD_LR},
        {"left to right, widest", 0, Dir(-129, 0), D::DD_LR},
        {"past the widest", 0, Dir(-131, 0), D::DD_F},
        {"left to right, narrowest", 0, Dir(-61, 0), D::DD_LR},
        {"short of the narrowest", 0, Dir(-59, 0), D::DD_F},
        {"right to left", 0, Dir(90, 0), D::DD_RL},
        {"right to left, widest", 0, Dir(129, 0), D::DD_RL},
        {"downward swing beats the yaw", 30, Dir(-90, -51), D::DD_TB},
        {"not steep enough", 0, Dir(-90, -49), D::DD_LR},
        {"straight down", 0, mVec3(0, 0, -1), D::DD_TB},
        {"upward swing", 0, Dir(90, 51), D::DD_BT},
    };
    for (const Row& r : rows) {
        const mVec3 at = Dir(r.bearing, 0) * 5.0f;
        EXPECT_EQ(gcEntity::DetermineHitDir(at, e, r.dir), r.expected) << r.name;
    }
    EXPECT_EQ(gcEntity::DetermineHitDir(mVec3(0, 5, 0), nullptr, Dir(180, 0)), D::DD_NONE);
}

TEST_F(gcEntityInteractTest, HitDirectionsFollowTheEntitysWorldFrame)
{
    // Region 2's zone lies 100 along +x; the entity there faces -x.
    gcTestEntity* e = PlacedEntity(m_pTemplate, {0, 0, 0});
    e->m_nRegionId = 2;
    e->m_model.m_localToParent = MakeFrame(5, 0, 0, 90);
    ASSERT_TRUE(e->Enable());
    EXPECT_EQ(gcEntity::DetermineHitDir(mVec3(100, 0, 0), e, mVec3(1, 0, 0)), D::DD_F) << "from its front";
    EXPECT_EQ(gcEntity::DetermineHitDir(mVec3(110, 0, 0), e, mVec3(-1, 0, 0)), D::DD_NONE) << "from behind";
    EXPECT_EQ(gcEntity::DetermineHitDir(mVec3(100, 0, 0), e, mVec3(0, 1, 0)), D::DD_LR) << "world +y is its right";
}

TEST_F(gcEntityInteractTest, AnAddedEffectMatchesTheEntitysActivation)
{
    struct Row {
        uint16_t entityFlags;
        uint16_t effectFlags;  // the activation bits the effect ends with
    };
    const Row rows[] = {{gcEntity::kDeactivated, gcEffect::kDeactivated},
                        {gcEntity::kFrozen, gcEffect::kFrozen},
                        {gcEntity::kDeactivated | gcEntity::kFrozen, gcEffect::kDeactivated | gcEffect::kFrozen}};
    const cName hips = [] { cName n; n.Set("hips"); return n; }();
    for (const Row& r : rows) {
        gcTestEntity* e = PlacedEntity(m_pTemplate, {0, 0, 0});
        e->m_nEntityFlags = static_cast<uint16_t>((e->m_nEntityFlags & ~0x3) | r.entityFlags);
        gcEffect* fx = m_pool.New<gcEffect>();
        e->AddEffect(fx, &hips);
        EXPECT_EQ(fx->m_pParentEntity, e);
        EXPECT_EQ(e->m_pEffects, fx);
        EXPECT_EQ(fx->m_nFlags & 0x3, r.effectFlags) << r.entityFlags;
        std::destroy_at(fx);
        EXPECT_EQ(e->m_pEffects, nullptr);
    }
}

}  // namespace
