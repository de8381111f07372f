#include "gcGameCore/entities/gcEntity.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "datagen/scriptWriters.h"
#include "eEngine/eSound.h"
#include "eEngine/eSoundData.h"
#include "eEngine/modelTestSupport.h"
#include "entityTestObjects.h"
#include "gcGameCore/script/gcAnimationConfig.h"

namespace {

using E = gcEntity;
using Tags = std::vector<int32_t>;
enum : int32_t { kStarted = 1, kStopped = 2, kCompleted = 3, kFaded = 4, kMachine = 5 };

class gcEntityAnimationTest : public EntityWorldTest {
protected:
    void SetUp() override
    {
        EntityWorldTest::SetUp();
        m_pMesh = PlaceMesh(m_data, &m_pool, 5, FigureDesc());
        ASSERT_NE(m_pMesh, nullptr);
        m_pTemplate = PlaceTemplate();
        m_pTemplate->hMesh = m_pMesh->m_handle;
    }
    eAnimation* Animation(int slot, int length, bool bLooping)
    {
        datagen::AnimationDesc d = WalkDesc();
        d.length = length;
        d.bLooping = bLooping;
        return PlaceAnimation(m_data, &m_pool, slot, d);
    }
    gcAnimationConfig* Config(const eAnimation* pAnim)
    {
        gcAnimationConfig* c = m_pool.New<gcAnimationConfig>();
        c->hAnimation = pAnim ? pAnim->m_handle : eAnimationHandle(0x9999);
        FillEvent(c->onStarted, b.Record(kStarted));
        FillEvent(c->onStopped, b.Record(kStopped));
        FillEvent(c->onCompleted, b.Record(kCompleted));
        m_configs.push_back(c);
        return c;
    }
    void TearDown() override
    {
        for (gcAnimationConfig* c : m_configs)
            std::destroy_at(c);
        EntityWorldTest::TearDown();
    }
    gcTestEntity* Active(const mVec3& at)
    {
        gcTestEntity* e = PlacedEntity(m_pTemplate, at);
        EXPECT_TRUE(e->Enable());
        e->m_nEntityFlags &= static_cast<uint16_t>(~(E::kDeactivated | E::kFrozen));
        EntityLog().clear();
        return e;
    }
    static std::vector<std::pair<const void*, int32_t>> Received()
    {
        std::vector<std::pair<const void*, int32_t>> out;
        for (const gcEntityLogEntry& l : EntityLog())
            out.push_back({l.pTo, l.nId});
        return out;
    }

    eMesh* m_pMesh = nullptr;
    gcTestEntityTemplate* m_pTemplate = nullptr;
    std::vector<gcAnimationConfig*> m_configs;
};

TEST_F(gcEntityAnimationTest, PlayAnimationReturnsHowLongTheConfigurationPlays)
{
    struct Row {
        const char* name;
        int length;
        bool bLooping;
        bool bResolves;
        int expected;
    };
    const Row rows[] = {
        {"length less the ease-out of 80", 200, false, true, 120},
        {"looping", 200, true, true, 0},
        {"shorter than the ease-out", 60, false, true, 0},
        {"exactly the ease-out", 80, false, true, 0},
        {"does not resolve", 200, false, false, 1},
    };
    gcTestEntity* e = PlacedEntity(m_pTemplate, mVec3(0, 0, 0));
    int slot = 10;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const eAnimation* a = r.bResolves ? Animation(slot++, r.length, r.bLooping) : nullptr;
        gcAnimationConfig* c = Config(a);
        EXPECT_EQ(e->PlayAnimation(c).m_nTicks, r.expected);
        EXPECT_EQ(e->m_pNextAnimationConfig, c);  // queued, not started
        EXPECT_EQ(e->m_pAnimationConfig, nullptr);
    }
}

TEST_F(gcEntityAnimationTest, OnCompletedOnlyWhenTheAnimationRanToItsEnd)
{
    struct Row {
        const char* name;
        bool bLooping;
        int elapsed;
        Tags expected;
    };
    const Row rows[] = {
        {"at the cut-off", false, 100, {kStopped, kCompleted}},
        {"one tick early", false, 99, {kStopped}},
        {"looping", true, 400, {kStopped}},
    };
    gcTestEntity* e = Active(mVec3(0, 0, 0));
    gcTestEntity* from = NewEntity(nullptr);
    int slot = 20;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        gcAnimationConfig* c = Config(Animation(slot++, 200, r.bLooping));
        e->PlayAnimation(c);
        TestLog().clear();
        e->HandleAnimationStarted(from);
        EXPECT_EQ(TestLogTags(), Tags{kStarted});
        EXPECT_EQ(e->m_pAnimationConfig, c);
        EXPECT_EQ(e->m_pNextAnimationConfig, nullptr);
        EXPECT_TRUE(e->m_nEntityFlags & E::kAnimConfigStarted);
        const int cur = e->m_model.m_nCurAnimationState;
        ASSERT_GE(cur, 0);
        EXPECT_EQ(e->m_model.m_animationStates[cur].hAnimation, c->hAnimation);
        e->m_model.m_animationStates[cur].timeElapsed = cTimeValue(r.elapsed);
        TestLog().clear();
        e->HandleAnimationEnded(from);
        EXPECT_EQ(TestLogTags(), r.expected);
        EXPECT_EQ(TestLog()[0].pInitiator, e);
        EXPECT_EQ(TestLog().back().pParticipant1, from);
        EXPECT_EQ(e->m_pAnimationConfig, nullptr);
        e->HandleAnimationEnded(from);  // nothing current: nothing more
        EXPECT_EQ(TestLog().size(), r.expected.size());
    }
}

// A looping configuration starts again (OnStarted, with no participant)
// each time its animation has played its length since the configuration
// started: a walk's steps at every stride. Counted from its own start, not
// from the phase it took up from the stand before it; a configuration that
// plays once starts once.
TEST_F(gcEntityAnimationTest, ALoopingConfigurationStartsAgainAtEachLoop)
{
    gcTestEntity* e = Active(mVec3(0, 0, 0));
    gcTestEntity* from = NewEntity(nullptr);
    auto start = [&](gcAnimationConfig* c) {
        e->PlayAnimation(c);
        e->HandleAnimationStarted(from);
        TestLog().clear();
    };
    auto starts = [] {
        const Tags t = TestLogTags();
        return std::count(t.begin(), t.end(), kStarted);
    };
    start(Config(Animation(30, 200, true)));
    e->UpdateModel(cTimeValue(150));
    start(Config(Animation(31, 200, true)));
    const int cur = e->m_model.m_nCurAnimationState;
    ASSERT_GE(cur, 0);
    EXPECT_EQ(e->m_model.m_animationStates[cur].timeElapsed.m_nTicks, 150) << "the stand's phase taken up";
    e->UpdateModel(cTimeValue(100));  // past the animation's own end
    e->UpdateModel(cTimeValue(99));
    EXPECT_EQ(starts(), 0);
    e->UpdateModel(cTimeValue(1));
    EXPECT_EQ(starts(), 1);
    ASSERT_FALSE(TestLog().empty());
    EXPECT_EQ(TestLog().back().pParticipant1, nullptr);
    e->UpdateModel(cTimeValue(0));
    e->UpdateModel(cTimeValue(199));
    EXPECT_EQ(starts(), 1);
    e->UpdateModel(cTimeValue(1));
    EXPECT_EQ(starts(), 2);

    start(Config(Animation(32, 200, false)));
    for (int i = 0; i < 30; ++i)
        e->UpdateModel(cTimeValue(20));
    EXPECT_EQ(starts(), 0);
}

TEST_F(gcEntityAnimationTest, TheShorterFadeWinsAndTheFadeEndsOnce)
{
    gcStateMachine* m = datagen::NewStateMachine(&m_pool, "Brain", gcStateMachineHandle());
    FillEvent(m->onEvent, b.Record(kMachine));
    gcStateMachineMgr::Add(4, m, 0x44);
    m_pTemplate->hStateMachine = m->m_handle;
    gcTestEntity* e = Active(mVec3(0, 0, 0));
    FillEvent(e->onFaded, b.Record(kFaded));
    e->FadeOut(cTimeValue(1200));
    e->FadeOut(cTimeValue(2400));
    EXPECT_EQ(e->m_fadeOutTime.m_nTicks, 1200);  // the running shorter fade stays
    e->FadeOut(cTimeValue(40));
    EXPECT_EQ(e->m_fadeOutTime.m_nTicks, 40);
    EXPECT_FALSE(e->m_model.m_nGeomFlags & eGeom::kCollide);
    e->HandleFadeOut(cTimeValue(20));
    EXPECT_EQ(e->m_fOpacity, 0.5f);
    EXPECT_EQ(e->m_model.m_pDrawInfos[0].materialState.m_nColor >> 24, 127u);
    EXPECT_TRUE(TestLog().empty());
    EntityLog().clear();
    e->HandleFadeOut(cTimeValue(20));
    e->HandleFadeOut(cTimeValue(20));
    EXPECT_EQ(e->m_fOpacity, 0.0f);
    EXPECT_EQ(e->m_model.m_pDrawInfos[0].materialState.m_nColor >> 24, 0u);
    ASSERT_EQ(TestLogTags(), (Tags{kMachine, kFaded}));  // script event 12, then the instance's
    EXPECT_EQ(TestLog()[0].nEventId, gcMsgEvent::ID_ONFADED);
    EXPECT_EQ(Received(), (std::vector<std::pair<const void*, int32_t>>{{e, MSG_DEACTIVATE}}));
}

TEST_F(gcEntityAnimationTest, FadeOutPassesToChildrenAndEffectsLastToFirst)
{
    gcTestEntity* parent = Active(mVec3(0, 0, 0));
    gcTestEntity* kids[3];
    for (gcTestEntity*& k : kids) {
        k = NewEntity(nullptr);
        parent->AddChild(k);
    }
    int effects = 0;  // stands in for the effect ring
    parent->m_pEffects = reinterpret_cast<gcEffect*>(&effects);
    EntityLog().clear();
    parent->FadeOut(cTimeValue(90));
    using R = std::vector<std::pair<const void*, int32_t>>;
    EXPECT_EQ(Received(), (R{{kids[2], MSG_FADEOUT}, {kids[1], MSG_FADEOUT}, {kids[0], MSG_FADEOUT},
                             {&effects, MSG_FADEOUT}}));
    EXPECT_EQ(EntityLog()[0].nTicks, 90);
    parent->m_pEffects = nullptr;

    kids[0]->Detach();  // the first leaves: the next becomes first
    EXPECT_EQ(parent->m_pFirstChildEntity, kids[1]);
    EntityLog().clear();
    parent->SendAttached(gcMsgFreeze());
    EXPECT_EQ(Received(), (R{{kids[2], MSG_FREEZE}, {kids[1], MSG_FREEZE}}));
    parent->AddChild(kids[1]);  // already a child: moves to the end
    EntityLog().clear();
    parent->SendAttached(gcMsgUnfreeze());
    EXPECT_EQ(Received(), (R{{kids[1], MSG_UNFREEZE}, {kids[2], MSG_UNFREEZE}}));
}

}  // namespace
