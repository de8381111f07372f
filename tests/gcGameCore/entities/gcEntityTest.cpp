#include "gcGameCore/entities/gcEntity.h"

#include <cmath>

#include <gtest/gtest.h>

#include "datagen/scriptWriters.h"
#include "eEngine/eShadow.h"
#include "eEngine/eShadowConfig.h"
#include "eEngine/eSound.h"
#include "eEngine/eSoundData.h"
#include "eEngine/eTextureProjection.h"
#include "eEngine/modelTestSupport.h"
#include "entityTestObjects.h"

namespace {

using E = gcEntity;
using T = gcEntityTemplate;
using Tags = std::vector<int32_t>;

constexpr int kMeshSlot = 5;

datagen::MeshDesc FigureWithSurfaces()
{
    datagen::MeshDesc d = FigureDesc();
    d.bCol = true;
    for (int s = 0; s < 2; ++s) {
        datagen::ColObjectDesc o;
        o.surface = s;
        o.corners = {mVec3(0, 0, 0), mVec3(1, 0, 0), mVec3(1, 1, 0)};
        d.colObjects.push_back(o);
    }
    d.colliderSize = mVec3(0.5f, 0.75f, 2.0f);
    return d;
}

class gcEntityTest : public EntityWorldTest {
protected:
    gcTestEntityTemplate* FigureTemplate()
    {
        if (!eMeshMgr::GetPtr(eMeshMgr::GetHandle(kMeshSlot))) {
            EXPECT_NE(PlaceMesh(m_data, &m_pool, kMeshSlot, FigureWithSurfaces()), nullptr);
        }
        gcTestEntityTemplate* t = PlaceTemplate();
        t->hMesh = eMeshMgr::GetHandle(kMeshSlot);
        for (int s = 0; s < T::kMaxSkins; ++s)
            for (int i = 0; i < T::kMaxMaterials; ++i)
                t->hMaterials[s][i] = eMaterialHandle(0x100u * s + i);
        for (int i = 0; i < T::kMaxSurfaces; ++i)
            t->hSurfaces[i] = eSurfaceHandle(0x50u + i);
        t->pShadowConfig = m_pool.New<eShadowConfig>();
        t->nEntityTemplateFlags |= T::kBothSweeps;
        t->team = T::TEAM_FRIENDLY;
        return t;
    }
    static void Activate(gcEntity* e) { e->m_nEntityFlags &= static_cast<uint16_t>(~(E::kDeactivated | E::kFrozen)); }
    static std::vector<int32_t> Ids()
    {
        std::vector<int32_t> ids;
        for (const gcEntityLogEntry& l : EntityLog())
            ids.push_back(l.nId);
        return ids;
    }
};

TEST_F(gcEntityTest, ResetFillsMaterialsSurfacesStatsShadowAndSoundFromTheTemplate)
{
    gcTestEntityTemplate* t = FigureTemplate();
    gcTestEntity* e = NewEntity(t);
    e->m_nMaterialSkin = 2;
    e->m_fEntityStatsMod[T::STAT_HEALTH] = 0.5f;
    e->m_nEntityFlags = 0;
    e->m_stateInfo.m_nCurState = e->m_stateInfo.m_nNextState = 4;
    s_bMap = true;
    s_lightHeading = 30.0f;
    s_lightPitch = -60.0f;
    ASSERT_TRUE(e->Reset(&m_pool));
    EXPECT_EQ(e->m_nEntityFlags, E::kInitialUpdatePending);
    EXPECT_EQ(e->m_team, 1);
    ASSERT_EQ(e->m_model.m_nDrawInfos, 2);
    EXPECT_EQ(e->m_model.m_pDrawInfos[1].hMaterial.m_nValue, 0x201u);  // skin 2, slot 1
    ASSERT_EQ(e->m_model.m_nColInfos, 2);
    EXPECT_EQ(e->m_model.m_pColInfos[1].hSurface.m_nValue, 0x51u);
    EXPECT_EQ(e->m_fEntityStatsMax[T::STAT_HEALTH], 50.0f);
    EXPECT_EQ(e->m_fEntityStatsCur[T::STAT_HEALTH], 50.0f);
    EXPECT_EQ(e->m_fEntityStatsCur[T::STAT_BLEND], 1.0f);
    EXPECT_EQ(e->m_stateInfo.m_nCurState, -1);
    EXPECT_EQ(e->m_stateInfo.m_nNextState, -1);
    EXPECT_TRUE(e->m_model.m_nGeomFlags & eGeom::kBothSweeps);
    EXPECT_EQ(e->GetColliderSize().z, 2.0f);

    ASSERT_NE(e->m_pShadow, nullptr);
    EXPECT_EQ(e->m_pShadow->m_pParent, &e->m_model);
    EXPECT_EQ(e->m_pShadow->m_nGeomFlags & 0x410, 0x410);
    const mOCS& down = e->m_pShadow->m_localToParent;  // the shadow projects along its forward axis
    const float h = 30.0f * 3.14159265f / 180.0f, p = -60.0f * 3.14159265f / 180.0f;
    EXPECT_NEAR(down.basis.forward.x, -std::cos(p) * std::sin(h), 1e-5f);
    EXPECT_NEAR(down.basis.forward.y, std::cos(p) * std::cos(h), 1e-5f);
    EXPECT_NEAR(down.basis.forward.z, std::sin(p), 1e-5f);

    ASSERT_NE(e->m_pSound, nullptr);
    EXPECT_EQ(e->m_pSound->m_fRadius, 37.5f);  // 15 x the figure's radius 2.5
    EXPECT_EQ(e->m_pSound->m_fVolume, 1.0f);
    EXPECT_FALSE(e->m_pSound->m_bLooping);
    EXPECT_EQ(e->m_pSound->m_fIntensity, 1.0f);
    EXPECT_TRUE(e->m_pSound->m_nFlags & eSound::kFlagReevaluate);
    EXPECT_EQ(e->m_pSound->m_timeAlive.m_nTicks, 0);

    s_bMap = false;
    t->fEntityValues[T::VAL_SOUNDRADIUSSCALE] = 30.0f;
    gcTestEntity* f = NewEntity(t);
    ASSERT_TRUE(f->Reset(&m_pool));
    EXPECT_NEAR(f->m_pShadow->m_localToParent.basis.forward.z, -1.0f, 1e-6f);
    EXPECT_EQ(f->m_pSound->m_fRadius, 50.0f);
    // A new shadow is sized for a caster of half-size 1; a kept one, reset
    // again, for the model's visibility radius.
    eShadow sized[2];
    sized[0].Set(*t->pShadowConfig, 1.0f);
    sized[1].Set(*t->pShadowConfig, f->m_model.m_fVisRadius);
    ASSERT_NE(sized[0].m_fVisRadius, sized[1].m_fVisRadius);
    eShadow* pShadow = f->m_pShadow;
    EXPECT_EQ(pShadow->m_fVisRadius, sized[0].m_fVisRadius);
    eSound* pSound = f->m_pSound;
    ASSERT_TRUE(f->Reset(&m_pool));  // a second reset keeps shadow and sound
    EXPECT_EQ(f->m_pShadow, pShadow);
    EXPECT_EQ(f->m_pSound, pSound);
    EXPECT_EQ(pShadow->m_fVisRadius, sized[1].m_fVisRadius);
    // A template that loses its shadow configuration takes the shadow away;
    // the entity is then destroyed without it.
    t->pShadowConfig = nullptr;
    ASSERT_TRUE(f->Reset(&m_pool));
    EXPECT_EQ(f->m_pShadow, nullptr);
    EXPECT_EQ(f->m_model.m_pFirstChild, nullptr);
    std::erase(m_entities, f);
    std::destroy_at(f);
}

// An entity whose model left every zone freezes and has no region.
TEST_F(gcEntityTest, UpdateRegionIdFollowsTheZoneOrFreezes)
{
    gcTestEntity* e = PlacedEntity(PlaceTemplate(), mVec3(0, 0, 0));
    ASSERT_TRUE(e->Enable());
    e->m_nRegionId = 7;
    EXPECT_TRUE(e->UpdateRegionId());
    EXPECT_EQ(e->m_nRegionId, 1);
    EntityLog().clear();
    e->m_model.m_nGeomFlags |= eGeom::kOutsideZones;
    EXPECT_FALSE(e->UpdateRegionId());
    EXPECT_EQ(e->m_nRegionId, -1);
    ASSERT_EQ(Ids(), (Tags{MSG_FREEZE}));
}

TEST_F(gcEntityTest, EnableAndDisableFileTheModelAndQueryTriggers)
{
    PlaceVolume(&m_a, mVec3(0, 0, 0));
    gcTestEntity* e = PlacedEntity(PlaceTemplate(), mVec3(1, 0, 0));
    ASSERT_TRUE(e->Enable());
    EXPECT_EQ(e->m_model.m_pZone, &m_a);
    EXPECT_EQ(e->m_model.m_nGeomFlags & eGeom::kFiledMask, eGeom::kFiledMask);
    EXPECT_EQ(e->m_nRegionId, 1);
    EXPECT_EQ(Ids(), (Tags{1000 + gcEntityWorld::TRIGGER_ENTERED, 1000 + gcEntityWorld::TRIGGER_INSIDE}));
    EXPECT_EQ(EntityLog()[0].pTo, &m_triggerA);
    EntityLog().clear();
    e->Disable();
    EXPECT_EQ(Ids(), (Tags{1000 + gcEntityWorld::TRIGGER_INSIDE, 1000 + gcEntityWorld::TRIGGER_EXITED}));
    EXPECT_EQ(e->m_model.m_pZone, nullptr);
    EXPECT_EQ(e->m_model.m_nGeomFlags & eGeom::kFiledMask, 0);
    EntityLog().clear();
    e->Disable();  // out of the world already
    EXPECT_TRUE(EntityLog().empty());

    e->m_nRegionId = 3;  // not resident
    EXPECT_FALSE(e->Enable());
    EXPECT_EQ(e->m_model.m_pZone, nullptr);
}

TEST_F(gcEntityTest, InitialUpdateEntersTheInitialStateThenRaisesEventFourAndTheInstanceEvent)
{
    gcStateMachine* m = datagen::NewStateMachine(&m_pool, "Brain", gcStateMachineHandle());
    datagen::AddState(*m, 5, "Start", &m_pool);
    FillEvent(m->onEvent, b.Record(1));
    gcStateMachineMgr::Add(4, m, 0x44);
    gcTestEntityTemplate* t = PlaceTemplate();
    t->hStateMachine = m->m_handle;
    FillEvent(t->onInitialUpdate, b.Record(3));
    gcTestEntity* e = NewEntity(t);
    e->m_nEntityInitialState = 5;
    FillEvent(e->onInitialUpdate, b.Record(2));
    ASSERT_TRUE(e->Reset(&m_pool));
    e->HandleInitialUpdate();  // deactivated and frozen: not yet
    EXPECT_TRUE(TestLog().empty());
    Activate(e);
    e->HandleInitialUpdate();
    ASSERT_EQ(TestLogTags(), (Tags{1, 2}));  // the machine, not the template, then the instance
    EXPECT_EQ(TestLog()[0].nEventId, gcMsgEvent::ID_ONINITIALUPDATE);
    EXPECT_EQ(TestLog()[1].pInitiator, e);
    EXPECT_EQ(e->m_stateInfo.m_nCurState, 5);
    EXPECT_EQ(e->m_entityTimeSince[E::TIMESINCE_CHANGEDSTATE].m_nTicks, 0);
    EXPECT_FALSE(e->m_nEntityFlags & E::kInitialUpdatePending);
    e->HandleInitialUpdate();  // once per reset
    EXPECT_EQ(TestLog().size(), 2u);

    e->m_entityTimeSince[E::TIMESINCE_CHANGEDSTATE] = cTimeValue(50);
    e->EntityChangeState(5, false);
    EXPECT_EQ(e->m_entityTimeSince[E::TIMESINCE_CHANGEDSTATE].m_nTicks, 50);
    e->EntityChangeState(5, true);
    EXPECT_EQ(e->m_entityTimeSince[E::TIMESINCE_CHANGEDSTATE].m_nTicks, 0);

    gcTestEntity* loose = NewEntity(nullptr);  // no template: no state change
    loose->EntityChangeState(2, true);
    EXPECT_EQ(loose->m_stateInfo.m_nCurState, -1);
    EXPECT_EQ(loose->m_entityTimeSince[E::TIMESINCE_CHANGEDSTATE].m_nTicks, E::kNever);

    t->hStateMachine = gcStateMachineHandle();
    ASSERT_TRUE(e->Reset(&m_pool));
    TestLog().clear();
    e->HandleInitialUpdate();
    EXPECT_EQ(TestLogTags(), (Tags{3, 2}));
}

TEST_F(gcEntityTest, DestroyingAnEntityTakesItsSoundOutOfTheZone)
{
    gcTestEntity* e = PlacedEntity(FigureTemplate(), mVec3(0, 0, 0));  // an audible radius
    ASSERT_TRUE(e->Enable());
    eSoundData* data = m_pool.New<eSoundData>();
    data->m_length = 6000;
    e->PlaySound(data, 0.5f);
    EXPECT_EQ(e->m_pSound->m_pSoundData, data);
    EXPECT_EQ(e->m_pSound->m_fVolume, 0.5f);
    EXPECT_EQ(m_a.m_pSndNodes[0].nSoundCount, 1);
    m_entities.clear();
    std::destroy_at(e);
    EXPECT_EQ(m_a.m_pSndNodes[0].nSoundCount, 0);
    EXPECT_EQ(m_a.m_pVisNodes[0].nGeomVisCount, 0);
    std::destroy_at(data);
}

// A move that passes through a sphere between two points enters it and
// leaves it in the one query; one that stops short of it reports nothing.
TEST_F(gcEntityTest, AMoveThroughATriggerEntersThenExits)
{
    PlaceVolume(&m_a, mVec3(0, 0, 0));
    gcTestEntity* e = PlacedEntity(PlaceTemplate(), mVec3(-20, 0, 0));
    ASSERT_TRUE(e->Enable());
    EntityLog().clear();
    e->QueryTriggers({-20, 0, 0}, {20, 0, 0}, 0);
    EXPECT_EQ(Ids(), (Tags{1000 + gcEntityWorld::TRIGGER_ENTERED, 1000 + gcEntityWorld::TRIGGER_EXITED}));
    EntityLog().clear();
    e->QueryTriggers({-20, 0, 0}, {-10, 0, 0}, 0);
    EXPECT_TRUE(Ids().empty());
}

// Children form a ring in the order they were added; one leaving joins its
// neighbours, the last leaving empties it.
TEST_F(gcEntityTest, TheChildRingKeepsItsLinksBothWays)
{
    gcTestEntity* parent = NewEntity(nullptr);
    gcTestEntity* kids[3] = {NewEntity(nullptr), NewEntity(nullptr), NewEntity(nullptr)};
    for (gcTestEntity* k : kids)
        parent->AddChild(k);
    const auto ring = [&](bool bForward) {
        std::vector<gcEntity*> seen;
        gcEntity* p = parent->m_pFirstChildEntity;
        for (int n = 0; p && n < 5; ++n) {
            seen.push_back(p);
            p = bForward ? p->m_pNextSiblingEntity : p->m_pPrevSiblingEntity;
            if (p == parent->m_pFirstChildEntity)
                break;
        }
        return seen;
    };
    using R = std::vector<gcEntity*>;
    EXPECT_EQ(ring(true), (R{kids[0], kids[1], kids[2]}));
    EXPECT_EQ(ring(false), (R{kids[0], kids[2], kids[1]}));
    kids[1]->Detach();
    EXPECT_EQ(ring(true), (R{kids[0], kids[2]}));
    EXPECT_EQ(ring(false), (R{kids[0], kids[2]}));
    EXPECT_EQ(kids[1]->m_pParentEntity, nullptr);
    EXPECT_EQ(kids[1]->m_pNextSiblingEntity, kids[1]);
    kids[2]->Detach();
    EXPECT_EQ(ring(true), (R{kids[0]}));
    EXPECT_EQ(kids[0]->m_pPrevSiblingEntity, kids[0]);
    kids[0]->Detach();
    EXPECT_EQ(parent->m_pFirstChildEntity, nullptr);
}

TEST_F(gcEntityTest, TimeSinceCountersRunAndSaturate)
{
    gcTestEntity* e = NewEntity(nullptr);
    const int32_t starts[E::MAX_TIMESINCE] = {E::kNever, 100, 0x7FFFFFF0, 0};
    for (int i = 0; i < E::MAX_TIMESINCE; ++i)
        e->m_entityTimeSince[i] = cTimeValue(starts[i]);
    e->HandleTimeSince(cTimeValue(20));
    const int32_t expected[E::MAX_TIMESINCE] = {E::kNever, 120, E::kNever, 20};  // never stays never
    for (int i = 0; i < E::MAX_TIMESINCE; ++i)
        EXPECT_EQ(e->m_entityTimeSince[i].m_nTicks, expected[i]) << i;
    e->SetMode(1);  // the mode it has: the counter does not start
    EXPECT_EQ(e->m_entityTimeSince[E::TIMESINCE_ENTEREDMODE].m_nTicks, 120);
    e->SetMode(3);
    EXPECT_EQ(e->m_entityTimeSince[E::TIMESINCE_ENTEREDMODE].m_nTicks, 0);
}

}  // namespace
