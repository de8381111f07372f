// The effect actions: which effects each reaches and in what order it sends
// its messages, the fade and the spawn placements and aiming, how older
// blocks read, and the text forms.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../entities/entityTestObjects.h"
#include "datagen/actionWriters.h"
#include "datagen/effectWriters.h"
#include "eEngine/modelTestSupport.h"
#include "gcGameCore/actions/gcDoEffectActivate.h"
#include "gcGameCore/actions/gcDoEffectFadeOut.h"
#include "gcGameCore/actions/gcDoEffectSetAttractor.h"
#include "gcGameCore/actions/gcDoEffectSpawn.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/script/gcScriptText.h"

namespace {

using A = gcDoEffectActivate;
using S = gcDoEffectSpawn;
constexpr int kMeshSlot = 5;
constexpr int kPointSlot = 4;
constexpr int kFirstEffectSlot = 0;  // the map's range may begin at the first slot

class gcEffectActionsTest : public EntityWorldTest {
protected:
    void SetUp() override
    {
        EntityWorldTest::SetUp();
        ASSERT_NE(PlaceMesh(m_data, &m_pool, kMeshSlot, FigureDesc()), nullptr);
        m_pEntityTemplate = PlaceTemplate();
        m_pEntityTemplate->hMesh = eMeshMgr::GetHandle(kMeshSlot);
        LoadTemplate(2);
        m_pPoint = m_pool.New<gcRegionPoint>();
        m_pPoint->m_name.Set("door");
        m_pPoint->m_nRegionId = 1;
        m_pPoint->m_localToRegion = MakeFrame(3, 4, 0, 45);
        m_hPoint = gcRegionPointMgr::Add(kPointSlot, m_pPoint, 0x44);
    }
    void TearDown() override
    {
        m_pMap.reset();  // destroys the placed effects of its range
        gcEffectTemplateMgr::Remove(kTemplateSlot);  // and the template its instances
        gcRegionPointMgr::Remove(kPointSlot);
        gcEffect::s_nActiveStaticEffects = 0;
        gcEffect::s_nActiveSpawnedEffects = 0;
        EntityWorldTest::TearDown();
    }

    // "Spark": its events record 10 + the event index (12 initial update,
    // 14 death); a pool of n instances.
    void LoadTemplate(int32_t nInstances)
    {
        gcEffectTemplateMgr::Remove(kTemplateSlot);
        datagen::EffectTemplateDesc d;
        d.name = "Spark";
        d.maxInstances = nInstances;
        d.actions = [](datagen::BlockWriter& w, int index) { RecordStepMember(w, 10 + index); };
        m_pTemplate = m_pool.New<gcEffectTemplate>();
        ASSERT_TRUE(ReadBlock([&](datagen::BlockWriter& w) { datagen::EffectTemplateBlock(w, d, 18); }, m_pTemplate));
        m_hTemplate = gcEffectTemplateMgr::Add(kTemplateSlot, m_pTemplate, 0x123);
        m_pTemplate->ResetInstances();
    }

    // A map whose effect group holds placed effects of these masks in
    // consecutive slots, deactivated and frozen.
    std::vector<gcEffect*> PlaceMapEffects(const std::vector<uint32_t>& masks)
    {
        m_pMap = std::make_unique<gcMap>();
        m_pMap->m_entities.m_nBegin = m_pMap->m_entities.m_nEnd = -1;
        m_pMap->m_effects.m_nBegin = kFirstEffectSlot;
        m_pMap->m_effects.m_nEnd = kFirstEffectSlot + static_cast<int32_t>(masks.size());
        std::vector<gcEffect*> effects;
        for (uint32_t mask : masks) {
            gcEffect* e = m_pool.New<gcEffect>();
            e->m_hTemplate = m_hTemplate;
            e->m_nRegionId = 1;
            e->m_nActivationMask = mask;
            e->Reset(&m_pool);
            gcEffectMgr::Add(kFirstEffectSlot + static_cast<int>(effects.size()), e, 0x50);
            effects.push_back(e);
        }
        return effects;
    }

    // An active entity of region 1 at a point, facing the heading.
    gcTestEntity* Placed(float x, float y, float z, float heading)
    {
        gcTestEntity* e = PlacedEntity(m_pEntityTemplate, {x, y, z});
        e->m_model.m_localToParent = MakeFrame(x, y, z, heading);
        EXPECT_TRUE(e->Enable());
        e->m_nEntityFlags &= static_cast<uint16_t>(~(gcEntity::kDeactivated | gcEntity::kFrozen));
        return e;
    }

    static void Send(gcEffect* e, int32_t id) { e->Send(gcMsg(id, nullptr)); }
    static bool Deactivated(const gcEffect* e) { return (e->m_nFlags & gcEffect::kDeactivated) != 0; }
    static float Heading(const gcEffect* e)
    {
        const mVec3& f = e->m_model.m_localToParent.basis.forward;
        return std::atan2(-f.x, f.y) * 57.29578f;
    }
    template <class T>
    static std::string Text(const T& action)
    {
        char buf[gcScriptText::kSize] = {};
        action.GetText(buf);
        return buf;
    }

    gcTestEntityTemplate* m_pEntityTemplate = nullptr;
    gcEffectTemplate* m_pTemplate = nullptr;
    gcEffectTemplateHandle m_hTemplate;
    gcRegionPoint* m_pPoint = nullptr;
    gcRegionPointHandle m_hPoint;
    gcRegionPointHandle m_stalePoint{0x00450004};  // the point's slot, another check
    std::unique_ptr<gcMap> m_pMap;
};

gcDesiredEffect Selecting(int32_t selection)
{
    gcDesiredEffect d;
    d.desiredEffect = selection;
    return d;
}

gcDesiredValue Number(float f)
{
    gcDesiredValue v;
    v.fConst = f;
    return v;
}

const gcDesiredEntity kInit = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
const gcDesiredEntity kFirst = gcDesiredEntity::Selecting(gcDesiredEntity::PARTICIPANT1);

gcEventParams Params(gcGameObject* pInitiator, gcGameObject* pFirst = nullptr, const mOCS* pAt = nullptr)
{
    return gcEventParams(pInitiator, pFirst, pInitiator, pAt, nullptr);
}

TEST_F(gcEffectActionsTest, GroupsReachEveryPlacedEffectSharingAMaskBit)
{
    const struct {
        uint32_t mask;
        std::vector<bool> deactivated;
    } rows[] = {{0x5, {false, true, false, false, true}},
                {0x1, {false, true, true, true, true}},
                {0x0, {true, true, true, true, true}}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.mask);
        const std::vector<gcEffect*> effects = PlaceMapEffects({0x1, 0x2, 0x4, 0x6, 0x0});
        A(A::ACTION_ACTIVATE, true, {}, r.mask).Apply(Params(effects[1]));
        std::vector<bool> deactivated;
        for (const gcEffect* e : effects)
            deactivated.push_back(Deactivated(e));
        EXPECT_EQ(deactivated, r.deactivated);
    }
}

TEST_F(gcEffectActionsTest, OneEffectTakesItsMessagesInOrder)
{
    gcEffect* e = PlaceMapEffects({0x1})[0];
    const gcDesiredEffect first = Selecting(gcDesiredEffect::PARTICIPANT1);
    A(A::ACTION_ACTIVATE, false, first, 0).Apply(Params(nullptr, e));
    EXPECT_FALSE(Deactivated(e));
    A(7, false, first, 0).Apply(Params(nullptr, e));
    EXPECT_TRUE(Deactivated(e)) << "any other action deactivates";
    // A dead effect refuses activation and only a reset clears its death:
    // the death event shows the deactivation came first, the initial update
    // that the reset came before the activation.
    Send(e, MSG_ACTIVATE), Send(e, MSG_UNFREEZE);
    e->m_nFlags |= gcEffect::kDied;
    TestLog().clear();
    A(A::ACTION_ACTIVATERESET, false, first, 0).Apply(Params(nullptr, e));
    EXPECT_EQ(TestLogTags(), (std::vector<int32_t>{14, 12}));
    EXPECT_TRUE(e->IsRunning());
}

TEST_F(gcEffectActionsTest, OlderActivateBlocksStoreABoolean)
{
    const struct {
        uint32_t version;
        int32_t stored, action;
        bool bUseMask;
        uint32_t mask;
    } rows[] = {{2, 0, A::ACTION_DEACTIVATE, false, 0}, {2, -4, A::ACTION_ACTIVATE, false, 0},
                {3, 0, A::ACTION_DEACTIVATE, true, 0x30}, {4, 1, A::ACTION_ACTIVATERESET, true, 0x30}};
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.version << " " << r.stored);
        A a(A::ACTION_ACTIVATE, true, {}, 0xFF);
        ASSERT_TRUE(ReadBlock(
            [&](datagen::BlockWriter& w) {
                datagen::ActionBlock(w, r.version).Int(r.stored).Int(gcDesiredEffect::PARTICIPANT2).Int(0);
                if (r.version >= 3)
                    w.Int(1).Word(0x30);
                w.End();
            },
            &a));
        EXPECT_EQ(a.action, r.action);
        EXPECT_EQ(a.bUseMask, r.bUseMask);
        EXPECT_EQ(a.nActivationMask, r.mask);
        EXPECT_EQ(a.desiredEffect.desiredEffect, gcDesiredEffect::PARTICIPANT2);
    }
}

// Below the oldest version read or past the newest: skipped, unchanged.
TEST_F(gcEffectActionsTest, VersionsOutsideTheRangeAreRefused)
{
    gcTestLogCapture quiet;
    const struct {
        const cType* type;
        uint32_t version;
    } rows[] = {{A::GetStaticType(), 1}, {A::GetStaticType(), 5}, {gcDoEffectFadeOut::GetStaticType(), 0},
                {gcDoEffectFadeOut::GetStaticType(), 3}, {gcDoEffectSetAttractor::GetStaticType(), 2},
                {gcDoEffectSetAttractor::GetStaticType(), 4}, {S::GetStaticType(), 0}, {S::GetStaticType(), 6}};
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.type->m_sTypeName << " v" << r.version);
        cBase* p = r.type->m_pNewFunc(&m_pool);
        EXPECT_FALSE(ReadBlock(
            [&](datagen::BlockWriter& w) {
                datagen::ActionBlock(w, r.version);
                for (int i = 0; i < 40; ++i)
                    w.Int(0);
                w.End();
            },
            p));
    }
}

TEST_F(gcEffectActionsTest, FadingTurnsSecondsIntoTicksAndStops)
{
    const struct {
        const char* name;
        float seconds;
        bool bStop, bNoGravity;
        int32_t ticks;
        float opacity;
    } rows[] = {
        {"half a second", 0.5f, true, false, 300, 1.0f},
        {"2.94 ticks truncate", 0.0049f, false, true, 2, 1.0f},
        {"0 is at once and still stops", 0.0f, true, true, 0, 0.0f},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        gcEffect* e = PlaceMapEffects({0x1})[0];
        e->m_currentVelocity.Set(1, 2, 3);
        gcDoEffectFadeOut(Selecting(gcDesiredEffect::PARTICIPANT2), Number(r.seconds), r.bStop, r.bNoGravity)
            .Apply(Params(e));
        EXPECT_EQ(e->m_fadeOutTime.m_nTicks, r.ticks);
        EXPECT_EQ(e->m_fOpacity, r.opacity);
        EXPECT_EQ(e->m_currentVelocity.ApproxEqual(mVec3(0, 0, 0), 0.0f), r.bStop);
        EXPECT_EQ(e->m_nFlags & 0x1F, r.bNoGravity ? 0x1B : 0xB) << "the other flags stay";
    }
    gcDoEffectFadeOut a;  // version 1 stores ticks
    ASSERT_TRUE(ReadBlock(
        [](datagen::BlockWriter& w) { datagen::ActionBlock(w, 1).Int(2).Int(0).Int(450).Int(0).Int(2).End(); }, &a));
    EXPECT_EQ(a.desiredEffect.desiredEffect, gcDesiredEffect::PARTICIPANT2);
    EXPECT_EQ(a.fadeOutTime.desiredValue, gcDesiredValue::VAL_NUMBER);
    EXPECT_FLOAT_EQ(a.fadeOutTime.fConst, 0.75f);
    EXPECT_FALSE(a.bStop);
    EXPECT_TRUE(a.bDisableGravity);
}

TEST_F(gcEffectActionsTest, AttractorsGoToAPointOrAnActiveEntitysNode)
{
    gcTestEntity* entity = Placed(0, 0, 0, 0);
    gcTestEntity* frozen = Placed(5, 0, 0, 0);
    frozen->m_nEntityFlags |= gcEntity::kFrozen;
    using SA = gcDoEffectSetAttractor;
    const gcDesiredEffect fx = Selecting(gcDesiredEffect::INITIATOR);
    const struct {
        const char* name;
        SA action;
        gcGameObject* initiator;
        gcEntity* participant;
        gcEntity* attractorEntity;
        int node;
        bool point;
    } rows[] = {
        {"the first node", SA(fx, kFirst, "root"), nullptr, entity, entity, 0, false},
        {"a node the model lacks", SA(fx, kFirst, "tail"), nullptr, entity, entity, -1, false},
        {"a frozen entity", SA(fx, kFirst, "hips"), nullptr, frozen, nullptr, 9, false},
        {"a point", SA(fx, m_hPoint), nullptr, entity, nullptr, 9, true},
        {"a stale point", SA(fx, m_stalePoint), nullptr, entity, nullptr, 9, false},
        {"an entity is no effect", SA(fx, m_hPoint), entity, entity, nullptr, 9, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        gcEffect* e = PlaceMapEffects({0x1})[0];
        e->m_nAttractorNodeIndex = 9;
        r.action.Apply(Params(r.initiator ? r.initiator : e, r.participant));
        EXPECT_EQ(e->m_pAttractorEntity, r.attractorEntity);
        EXPECT_EQ(e->m_nAttractorNodeIndex, r.node);
        EXPECT_EQ(e->m_pAttractorRegionPoint, r.point ? m_pPoint : nullptr);
    }
}

// The range ends before its end slot: an effect placed there is not reached.
TEST_F(gcEffectActionsTest, GroupsStopAtTheEndOfTheMapsRange)
{
    const std::vector<gcEffect*> effects = PlaceMapEffects({0x1, 0x1, 0x1});
    m_pMap->m_effects.m_nEnd = kFirstEffectSlot + 2;
    A(A::ACTION_ACTIVATE, true, {}, 0x1).Apply(Params(effects[0]));
    EXPECT_FALSE(Deactivated(effects[1]));
    EXPECT_TRUE(Deactivated(effects[2]));
    m_pMap->m_effects.m_nEnd = kFirstEffectSlot + 3;  // removed with the others
}

// Without a map the mask form reaches nothing, and the effect it would
// otherwise name is left alone.
TEST_F(gcEffectActionsTest, GroupsWithoutAMapReachNothing)
{
    gcEffect* e = PlaceMapEffects({0x1})[0];
    m_pMap.reset();
    ASSERT_EQ(gcMap::s_pMap, nullptr);
    A(A::ACTION_ACTIVATE, true, Selecting(gcDesiredEffect::INITIATOR), 0x1).Apply(Params(e));
    EXPECT_TRUE(Deactivated(e));
}

// An attractor block cut short after any of its fields is refused and the
// action keeps every field.
TEST_F(gcEffectActionsTest, ACutAttractorBlockKeepsTheAction)
{
    const std::vector<std::function<void(datagen::BlockWriter&)>> fields = {
        [](datagen::BlockWriter& w) { w.Int(gcDesiredEffect::PARTICIPANT2); },
        [](datagen::BlockWriter& w) { w.Word(0x00110004); },
        [](datagen::BlockWriter& w) { w.Int(gcDoEffectSetAttractor::SETATTRACTOR_REGIONPOINT); },
        [](datagen::BlockWriter& w) { w.Word(0x00450004); },
        [](datagen::BlockWriter& w) { w.Int(gcDesiredEntity::PLAYER); },
        [](datagen::BlockWriter& w) { w.Word(0x00070002); },
    };
    gcTestLogCapture quiet;
    for (size_t n = 0; n <= fields.size(); ++n) {  // the last cut leaves only the node name out
        SCOPED_TRACE(n);
        gcDoEffectSetAttractor a(Selecting(gcDesiredEffect::INITIATOR), kFirst, "hips");
        ASSERT_TRUE(datagen::WriteObjectBlocksFile(m_data.HostPath("cut.dat"), a.GetType()->m_nTypeId,
                                                   [&](datagen::BlockWriter& w) {
                                                       datagen::ActionBlock(w, gcDoEffectSetAttractor::kVersion);
                                                       for (size_t i = 0; i < n; ++i)
                                                           fields[i](w);
                                                       w.End();
                                                   }));
        EXPECT_FALSE(ReadObjectAnswer("cut.dat", &a, &m_pool));
        EXPECT_EQ(a.effect.desiredEffect, gcDesiredEffect::INITIATOR);
        EXPECT_EQ(a.attractorLocation, gcDoEffectSetAttractor::SETATTRACTOR_ATTACHTOENTITY);
        EXPECT_TRUE(a.hRegionPoint.IsNull());
        EXPECT_EQ(a.desiredEntity.desiredEntity, gcDesiredEntity::PARTICIPANT1);
        EXPECT_STREQ(a.attachName.m_sData, "hips");
    }
}

// A spawn that does not happen leaves the pool's one instance free for the
// point spawn after it.
TEST_F(gcEffectActionsTest, SpawnsThatDoNotHappenLeaveTheEffectInItsPool)
{
    LoadTemplate(1);
    gcTestEntity* entity = Placed(0, 0, 0, 0);
    gcTestEntity* frozen = Placed(5, 0, 0, 0);
    frozen->m_nEntityFlags |= gcEntity::kFrozen;
    const struct {
        const char* name;
        S action;
        gcEntity* initiator;
    } rows[] = {
        {"event location without a location", S(m_hTemplate, S::SPAWN_EVENTLOCATION, kInit, ""), entity},
        {"a stale point", S(m_hTemplate, m_stalePoint), entity},
        {"attached at a node the model lacks", S(m_hTemplate, S::SPAWN_ATTACHTOENTITY, kInit, "tail"), entity},
        {"attached to a frozen entity", S(m_hTemplate, S::SPAWN_ATTACHTOENTITY, kInit, ""), frozen},
        {"at the helper of nothing", S(m_hTemplate, S::SPAWN_ENTITYHELPER, kInit, "hips"), nullptr},
        {"an unknown location kind", S(m_hTemplate, 4, kInit, ""), entity},
    };
    gcEffect* e = m_pTemplate->GetInstanceAt(0);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        r.action.Apply(Params(r.initiator));
        EXPECT_FALSE(e->IsRunning());
        EXPECT_EQ(r.initiator ? r.initiator->m_pEffects : nullptr, nullptr);
        S(m_hTemplate, m_hPoint).Apply(Params(nullptr));
        EXPECT_TRUE(e->IsRunning());
        Send(e, MSG_DEACTIVATE);
    }
}

TEST_F(gcEffectActionsTest, SpawnsPlaceTheEffect)
{
    gcTestEntity* entity = Placed(2, 0, 0, 90);
    S(m_hTemplate, m_hPoint).Apply(Params(entity));
    gcEffect* e = m_pTemplate->GetInstanceAt(0);
    EXPECT_TRUE(e->IsRunning());
    EXPECT_EQ(e->m_nRegionId, 1);
    EXPECT_TRUE(e->m_model.m_localToParent.ApproxEqual(MakeFrame(3, 4, 0, 45), 1e-5f));

    S(m_hTemplate, S::SPAWN_ATTACHTOENTITY, kInit, "root").Apply(Params(entity));
    gcEffect* attached = m_pTemplate->GetInstanceAt(1);
    EXPECT_EQ(attached->m_pParentEntity, entity);
    EXPECT_TRUE(attached->IsRunning()) << "it matches the entity's activation";
    S(m_hTemplate, S::SPAWN_ATTACHTOENTITY, kInit, "").Apply(Params(entity));
    EXPECT_EQ(attached->m_pNextSiblingEffect, attached) << "the pool ran out";

    Send(e, MSG_DEACTIVATE);
    const mOCS at = MakeFrame(-1, 2, 3, 30);
    S(m_hTemplate, S::SPAWN_EVENTLOCATION, kInit, "").Apply(Params(nullptr, nullptr, &at));
    EXPECT_TRUE(e->IsRunning());
    EXPECT_TRUE(e->m_model.m_localToParent.ApproxEqual(at, 1e-5f));
    Send(e, MSG_DEACTIVATE);

    S(m_hTemplate, S::SPAWN_ENTITYHELPER, kInit, "root").Apply(Params(entity));
    EXPECT_TRUE(e->IsRunning());
    EXPECT_EQ(e->m_pParentEntity, nullptr);
    EXPECT_EQ(e->m_pSpawnEntity, entity);
    EXPECT_EQ(e->m_nSpawnNodeIndex, 0);
    EXPECT_TRUE(e->m_model.m_localToParent.ApproxEqual(*entity->m_model.GetSubObjectToZone(0), 1e-5f));
}

TEST_F(gcEffectActionsTest, HelperSpawnsTurnTowardTheTargetWithinTheTolerances)
{
    const struct {
        const char* name;
        float facing;
        mVec3 target;
        float headingTol, pitchTol, heading, pitch;
    } rows[] = {
        {"90 to the left, held at 30", 0, {-10, 0, 0}, 30, 30, 30, 0},
        {"within the tolerance", 0, {-10, 27.47f, 0}, 30, 30, 20, 0},
        {"190 round wraps to -170, held at -30", -90, {-9.848f, -1.736f, 0}, 30, 30, -120, 0},
        {"above, pitch held", 0, {0, 10, 10}, 30, 10, 0, 10},
        {"a negative tolerance holds as its size", 0, {-10, 0, 0}, -30, 0, 30, 0},
        {"tolerances that are not numbers turn nothing", 20, {0, 10, 10}, NAN, NAN, 20, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        gcTestEntity* spawner = Placed(0, 0, 0, r.facing);
        gcTestEntity* target = Placed(r.target.x, r.target.y, r.target.z, 0);
        S a(m_hTemplate, S::SPAWN_ENTITYHELPER, kInit, "");
        a.SetTarget(kFirst, "", r.headingTol, r.pitchTol);
        gcEffect* e = m_pTemplate->GetInstanceAt(0);
        a.Apply(Params(spawner, target));
        EXPECT_NEAR(Heading(e), r.heading, 0.01f);
        EXPECT_NEAR(std::asin(e->m_model.m_localToParent.basis.forward.z) * 57.29578f, r.pitch, 0.01f);
        Send(e, MSG_DEACTIVATE);
        a.Apply(Params(spawner));
        EXPECT_NEAR(Heading(e), r.facing, 0.01f) << "a target that resolves to nothing";
        Send(e, MSG_DEACTIVATE);
    }
}

TEST_F(gcEffectActionsTest, OlderSpawnBlocksHaveNoTarget)
{
    for (uint32_t version : {1u, 2u, 4u}) {
        SCOPED_TRACE(version);
        S a(gcEffectTemplateHandle(), S::SPAWN_ENTITYHELPER, {}, "x");
        a.SetTarget(gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER), "y", 5, 6);
        ASSERT_TRUE(ReadBlock(
            [&](datagen::BlockWriter& w) {
                datagen::ActionBlock(w, version).Word(0x00220003).Int(S::SPAWN_ATTACHTOENTITY).Word(0x00330001);
                w.Int(gcDesiredEntity::PARTICIPANT2).Word(0x00440002).Name("hand").Int(version == 2 ? -77 : 0x9);
                w.End();
            },
            &a));
        EXPECT_EQ(a.hEffectTemplate.m_nValue, 0x00220003u);
        EXPECT_EQ(a.hRegionPoint.m_nValue, 0x00330001u);
        EXPECT_EQ(a.desiredEntity.hSpecificEntity.m_nValue, 0x00440002u);
        EXPECT_STREQ(a.attachName.m_sData, "hand");
        EXPECT_EQ(a.nFlags, version == 4 ? 0x9u : 0u);
        EXPECT_EQ(a.targetEntity.desiredEntity, gcDesiredEntity::SPECIFIC);
        EXPECT_EQ(a.targetEntity.hSpecificEntity.m_nValue, 0u);
        EXPECT_STREQ(a.targetName.m_sData, "");
        EXPECT_EQ(a.headingTol.fConst, 0.0f);
    }
}

// Copies write the same bytes as their originals.
TEST_F(gcEffectActionsTest, CopiesKeepEveryField)
{
    const gcDesiredEffect fx = Selecting(gcDesiredEffect::PARTICIPANT1);
    gcDoEffectSetAttractor attractor(fx, kFirst, "hips");
    attractor.hRegionPoint = m_hPoint;
    S spawn(m_hTemplate, S::SPAWN_ENTITYHELPER, kFirst, "hips");
    spawn.hRegionPoint = m_hPoint, spawn.nFlags = 0x21;
    spawn.SetTarget(kInit, "head", 15, 25);
    const gcAction* actions[] = {&attractor, &spawn, m_pool.New<A>(A::ACTION_ACTIVATE, false, fx, 0x9),
                                 m_pool.New<gcDoEffectFadeOut>(fx, Number(2), false, true)};
    for (const gcAction* a : actions) {
        SCOPED_TRACE(a->GetType()->m_sTypeName);
        ASSERT_TRUE(datagen::WriteObjectFile(m_data.HostPath("a"), *a));
        ASSERT_TRUE(datagen::WriteObjectFile(m_data.HostPath("b"), *static_cast<gcAction*>(a->Copy(&m_pool))));
        EXPECT_EQ(ReadHostFile(m_data.HostPath("a")), ReadHostFile(m_data.HostPath("b")));
    }
}

TEST_F(gcEffectActionsTest, TextForms)
{
    using SA = gcDoEffectSetAttractor;
    const gcDesiredEffect fx = Selecting(gcDesiredEffect::PARTICIPANT1);
    gcDesiredEffect named = Selecting(gcDesiredEffect::SPECIFIC);
    named.hSpecificEffect = PlaceMapEffects({0x1})[0]->m_handle;
    gcEffectMgr::GetPtr(named.hSpecificEffect)->m_name.Set("torch");
    const gcDesiredEntity player = gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER);
    gcDesiredValue temp;
    temp.desiredValue = gcDesiredValue::VAL_TEMP;
    temp.nParamIndex = 1;
    SA unknownKind(fx, m_hPoint);
    unknownKind.attractorLocation = 2;
    const std::pair<std::string, std::string> rows[] = {
        {Text(A(A::ACTION_ACTIVATE, true, fx, 0x5)), "EffectActivateGroups( 1, 3 )"},
        {Text(A(A::ACTION_ACTIVATERESET, true, fx, 0x80000001u)), "EffectActivateAndResetGroups( 1, 32 )"},
        {Text(A(5, true, fx, 0)), "EffectDeactivateGroups( --- )"},
        {Text(A(A::ACTION_ACTIVATERESET, false, named, 1)), "[torch].ActivateAndReset"},
        {Text(A(9, false, fx, 1)), "Participant1.Deactivate"},
        {Text(gcDoEffectFadeOut(fx, Number(0.5f), true, false)), "Participant1.StopAndFadeOut( 0.5 )"},
        {Text(gcDoEffectFadeOut(named, temp, false, true)), "[torch].FadeOut( [Temp2] )"},
        {Text(SA(fx, player, "hips")), "SetAttractorEffect( Participant1 attached to Player.hips )"},
        {Text(SA(named, player, "")), "SetAttractorEffect( [torch] attached to Player )"},
        {Text(SA(fx, m_stalePoint)), "SetAttractorEffect( Participant1 at [???] )"},
        {Text(unknownKind), "SetAttractorEffect( Participant1 )"},
        {Text(S(m_hTemplate, S::SPAWN_EVENTLOCATION, player, "hips")), "SpawnEffect( [Spark] at EventLocation )"},
        {Text(S(gcEffectTemplateHandle(), m_hPoint)), "SpawnEffect( [???] at [door] )"},
        {Text(S(m_hTemplate, S::SPAWN_ATTACHTOENTITY, player, "hips")),
         "SpawnEffect( [Spark] attached to Player.hips )"},
        {Text(S(m_hTemplate, S::SPAWN_ENTITYHELPER, player, "")), "SpawnEffect( [Spark] at Player )"},
        {Text(S(m_hTemplate, 4, player, "gun")), "SpawnEffect( [Spark] )"},
    };
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(text, expected);
}

}  // namespace
