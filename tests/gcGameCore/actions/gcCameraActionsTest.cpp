// The camera actions run on the game camera in a zone loaded from datagen
// data: region 1 resident in slot 0 at the world origin, an entity, a region
// point and a path of that region.
#include "gcGameCore/actions/gcDoCameraEffect.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "actionTestSupport.h"
#include "eEngine/collisionTestSupport.h"
#include "eEngine/modelTestSupport.h"
#include "gcGameCore/actions/gcDoCameraLookAt.h"
#include "gcGameCore/actions/gcDoCameraMovement.h"
#include "gcGameCore/actions/gcDoCameraParams.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/entities/entityTestObjects.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/script/gcScriptText.h"

namespace {

using C = gcGameCamera;
using E = gcDoCameraEffect;
using L = gcDoCameraLookAt;
using M = gcDoCameraMovement;

constexpr int kEntitySlot = 7, kPointSlot = 8, kPathSlot = 9;
const gcEntityHandle kEntity = gcEntityHandle::Make(kEntitySlot, 0x21);
const gcRegionPointHandle kPoint = gcRegionPointHandle::Make(kPointSlot, 0x22);
const gcRegionPathHandle kPath = gcRegionPathHandle::Make(kPathSlot, 0x23);
const gcDesiredEntity kInitiator = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
const gcDesiredEntity kNobody = gcDesiredEntity::Selecting(gcDesiredEntity::PARTICIPANT2);

gcDesiredValue Number(float f)
{
    gcDesiredValue v;
    v.fConst = f;
    return v;
}

std::string Text(const gcAction& a)
{
    char buf[gcScriptText::kSize] = {};
    a.GetText(buf);
    return buf;
}

class gcCameraActionsTest : public CollisionTest {
protected:
    void SetUp() override
    {
        CollisionTest::SetUp();
        gcEntityWorld::Funcs funcs{};
        funcs.pGetRegionId = [](int slot) { return slot == 0 ? 1 : -1; };
        m_oldFuncs = gcEntityWorld::Set(funcs);
        m_entity.m_nRegionId = 1;
        m_entity.m_nEntityFlags = 0;
        m_entity.m_model.m_localToParent = MakeFrame(0, 0, 0);
        m_entity.m_model.m_nGeomFlags |= eGeom::kDirty;
        m_entity.m_name.Set("Hero");
        gcEntityMgr::Add(kEntitySlot, &m_entity, 0x21);
        m_point.m_nRegionId = 1;
        m_point.m_localToRegion = MakeFrame(10, 0, 0, 90);
        m_point.m_name.Set("Gate");
        gcRegionPointMgr::Add(kPointSlot, &m_point, 0x22);
        // Along +y through (0, 0, 0) .. (0, 30, 0): path parameter t is 10 units.
        gcRegionPath* pPath = NewRegionPath(&m_pool, 1, {{0, 0, 0}, {0, 10, 0}, {0, 20, 0}, {0, 30, 0}});
        pPath->m_name.Set("Ridge");
        gcRegionPathMgr::Add(kPathSlot, pPath, 0x23);
        ASSERT_NE(AddZone(0, {0, 0, 0}, {}), nullptr);
        m_params.pInitiator = &m_entity;
        m_cam->Reset(true);
    }
    void TearDown() override
    {
        m_cam->Reset(true);  // drops the completion events of the actions made here
        gcEntityMgr::s_pInstances[kEntitySlot] = nullptr;
        gcRegionPointMgr::s_pInstances[kPointSlot] = nullptr;
        gcRegionPathMgr::s_pInstances[kPathSlot] = nullptr;
        gcEntityWorld::Set(m_oldFuncs);
        CollisionTest::TearDown();
    }

    C* m_cam = C::Get();
    gcMap m_map;
    gcTestEntity m_entity;
    gcRegionPoint m_point;
    gcEventParams m_params;
    gcEntityWorld::Funcs m_oldFuncs{};
};

// Seconds become ticks truncated toward zero; flag 0x1 is the direction,
// 0x2 starts from the far end's opacity.
TEST_F(gcCameraActionsTest, EffectsStartOnTheCameraWithTheirTimeInTicks)
{
    constexpr uint32_t kEffectFlags = C::kFade | C::kFadeIn | C::kLetterbox | C::kLetterboxIn | C::kShaking;
    const eMaterialHandle material(0x00120005);
    const struct {
        const char* name;
        int32_t type;
        uint32_t flags;
        float seconds;
        uint32_t camFlags;
        int32_t fadeTicks, letterboxTicks, shakeTicks;
        float fadeOpacity, letterboxOpacity, shake;
    } rows[] = {
        {"fade in, 0.25 s is 150 ticks", 0, 0x1, 0.25f, C::kFade | C::kFadeIn, 150, 0, 0, 0.5f, 0.5f, 0.0f},
        {"fade out, 0.0999 s truncates to 59", 0, 0x0, 0.0999f, C::kFade, 59, 0, 0, 0.5f, 0.5f, 0.0f},
        {"fade in from clear", 0, 0x3, 1.0f, C::kFade | C::kFadeIn, 600, 0, 0, 0.0f, 0.5f, 0.0f},
        {"fade out from opaque", 0, 0x2, 1.0f, C::kFade, 600, 0, 0, 1.0f, 0.5f, 0.0f},
        {"letterbox on", 1, 0x1, 2.0f, C::kLetterbox | C::kLetterboxIn, 0, 1200, 0, 0.5f, 0.5f, 0.0f},
        {"letterbox off from shown", 1, 0x2, 0.5f, C::kLetterbox, 0, 300, 0, 0.5f, 1.0f, 0.0f},
        {"shake with the intensity", 2, 0x3, 1.5f, C::kShaking, 0, 0, 900, 0.5f, 0.5f, 0.25f},
        {"a type outside the table", 3, 0x1, 1.0f, 0, 0, 0, 0, 0.5f, 0.5f, 0.0f},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        m_cam->Reset(true);
        m_cam->m_fFadeOpacity = m_cam->m_fLetterboxOpacity = 0.5f;
        m_cam->m_hFadeMaterial = m_cam->m_hLetterboxMaterial = eMaterialHandle();
        E(r.type, r.flags, Number(r.seconds), Number(0.25f), material).Apply(m_params);
        EXPECT_EQ(m_cam->m_nFlags & kEffectFlags, r.camFlags);
        EXPECT_EQ(m_cam->m_fadeTime.m_nTicks, r.fadeTicks);
        EXPECT_EQ(m_cam->m_letterboxFadeTime.m_nTicks, r.letterboxTicks);
        EXPECT_EQ(m_cam->m_shakeRemainTime.m_nTicks, r.shakeTicks);
        EXPECT_FLOAT_EQ(m_cam->m_fFadeOpacity, r.fadeOpacity);
        EXPECT_FLOAT_EQ(m_cam->m_fLetterboxOpacity, r.letterboxOpacity);
        EXPECT_FLOAT_EQ(m_cam->m_fShakeIntensity, r.shake);
        EXPECT_EQ(m_cam->m_hFadeMaterial, r.type == 0 ? material : eMaterialHandle());
        EXPECT_EQ(m_cam->m_hLetterboxMaterial, r.type == 1 ? material : eMaterialHandle());
    }
}

// The camera keeps the action's own event and applies it when the effect ends.
TEST_F(gcCameraActionsTest, TheCameraKeepsTheCompletionEventThatHoldsActions)
{
    cMemPool pool{"gcCameraActionsTest", 0x4000, false};
    E fade(E::CE_FADE, 0x1, Number(1.0f), Number(0.0f), eMaterialHandle());
    E letterbox(E::CE_LETTERBOX, 0x1, Number(1.0f), Number(0.0f), eMaterialHandle());
    E shake(E::CE_SHAKE, 0, Number(1.0f), Number(1.0f), eMaterialHandle());
    for (E* p : {&fade, &letterbox, &shake})
        p->onCompleted.pAction = pool.New<gcDoCameraParams>();
    E bare(E::CE_FADE, 0x1, Number(1.0f), Number(0.0f), eMaterialHandle());
    for (const E* p : {&fade, &letterbox, &shake, &bare})
        p->Apply(m_params);
    EXPECT_EQ(m_cam->m_pOnFadeCompleted, nullptr) << "the bare fade replaced it";
    fade.Apply(m_params);
    EXPECT_EQ(m_cam->m_pOnFadeCompleted, &fade.onCompleted);
    EXPECT_EQ(m_cam->m_pOnFadeLetterboxCompleted, &letterbox.onCompleted);
    EXPECT_EQ(m_cam->m_pOnShakeCompleted, &shake.onCompleted);
}

// What the look-at controller holds after each type. The controller is
// first aimed at the path's closest point, so a type that calls nothing
// leaves it there; an entity that resolves to nothing still turns it off.
TEST_F(gcCameraActionsTest, LookAtsCallTheCameraWithTheirTargets)
{
    const struct {
        const char* name;
        int32_t type;
        gcDesiredEntity entity;
        uint32_t flags;
        C::gcLookAtCtrlMode mode;
        gcEntityHandle hEntity;
        gcRegionPointHandle hPoint;
        gcRegionPathHandle hPath;
        float t, tDesired;
    } rows[] = {
        {"stop", L::CL_LOOKATNONE, kInitiator, 0, C::LOOKATCTRL_NONE, {}, {}, {}, 0, 0},
        {"point", L::CL_LOOKATPOINT, kInitiator, 0, C::LOOKATCTRL_LOOKATPOINT, {}, kPoint, {}, 0, 0},
        {"entity", L::CL_LOOKATENTITY, kInitiator, 0, C::LOOKATCTRL_LOOKATENTITY, kEntity, {}, {}, 0, 0},
        {"an entity that is nothing", L::CL_LOOKATENTITY, kNobody, 0, C::LOOKATCTRL_NONE, {}, {}, {}, 0, 0},
        {"path from 0.25 to 0.75", L::CL_LOOKATPATH, kInitiator, 0, C::LOOKATCTRL_LOOKATPATH, {}, {}, kPath, 0.75f,
         2.25f},
        {"path from the point closest to the view", L::CL_LOOKATPATH, kInitiator, 0x2, C::LOOKATCTRL_LOOKATPATH, {},
         {}, kPath, 0.1f, 2.25f},
        {"through point", L::CL_LOOKTHROUGHPOINT, kInitiator, 0, C::LOOKATCTRL_LOOKTHROUGHPOINT, {}, kPoint, {}, 0, 0},
        {"path closest", L::CL_LOOKATPATHCLOSEST, kInitiator, 0, C::LOOKATCTRL_LOOKATPATHCLOSEST, {}, {}, kPath, 0, 0},
        {"a type outside the table", 6, kInitiator, 0, C::LOOKATCTRL_LOOKATPATHCLOSEST, {}, {}, kPath, 0, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        m_cam->LookAtPathClosest(kPath, false);
        m_cam->m_LookAtCtrl.curLookAtWorld.Set(0, 1, 0);  // closest to t = 0.1
        L(r.type, r.entity, kPath, kPoint, Number(0.25f), Number(0.75f), r.flags).Apply(m_params);
        const C::gcLookAtCtrl& ctrl = m_cam->m_LookAtCtrl;
        EXPECT_EQ(ctrl.Mode, r.mode);
        EXPECT_EQ(ctrl.hEntity, r.hEntity);
        EXPECT_EQ(ctrl.hRegionPoint, r.hPoint);
        EXPECT_EQ(ctrl.hPath, r.hPath);
        EXPECT_NEAR(ctrl.fPathT, r.t, 1e-4f);
        EXPECT_NEAR(ctrl.fPathTDesired, r.tDesired, 1e-4f);
    }
}

// Flag 0x1 turns the view at once: the point lies along +x from the camera.
TEST_F(gcCameraActionsTest, TheSnapFlagTurnsTheViewAtOnce)
{
    const struct {
        uint32_t flags;
        mVec3 forward;
    } rows[] = {{0x0, {0, 1, 0}}, {0x1, {1, 0, 0}}, {0x2, {0, 1, 0}}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.flags);
        m_cam->Reset(true);
        L(L::CL_LOOKATPOINT, kInitiator, kPath, kPoint, Number(0), Number(1), r.flags).Apply(m_params);
        EXPECT_TRUE(m_cam->m_camera.m_cameraToWorld.basis.forward.ApproxEqual(r.forward, 1e-4f));
    }
}

// What the position controller holds after each type, first set moving to
// the point; a follow whose entity is nothing still turns it off.
TEST_F(gcCameraActionsTest, MovementsCallTheCameraWithTheirTargets)
{
    const struct {
        const char* name;
        int32_t type;
        gcDesiredEntity entity;
        C::gcPosCtrlMode mode;
        gcEntityHandle hEntity;
        gcRegionPointHandle hPoint;
        gcRegionPathHandle hPath;
        float t, tDesired;
    } rows[] = {
        {"stop", M::CM_STOP, kInitiator, C::POSCTRL_NONE, {}, {}, {}, 0, 0},
        {"move to point", M::CM_MOVETOPOINT, kInitiator, C::POSCTRL_MOVETOPOINT, {}, kPoint, {}, 0, 0},
        {"follow entity", M::CM_FOLLOWENTITY, kInitiator, C::POSCTRL_FOLLOWENTITY, kEntity, {}, {}, 0, 0},
        {"follow nothing", M::CM_FOLLOWENTITY, kNobody, C::POSCTRL_NONE, {}, {}, {}, 0, 0},
        {"follow path from 0.25 to 0.75", M::CM_FOLLOWPATH, kInitiator, C::POSCTRL_FOLLOWPATH, {}, {}, kPath, 0.75f,
         2.25f},
        {"follow path and entity", M::CM_FOLLOWPATHENTITY, kInitiator, C::POSCTRL_FOLLOWPATH_ENTITY, kEntity, {},
         kPath, -1, -1},
        {"follow path and nothing", M::CM_FOLLOWPATHENTITY, kNobody, C::POSCTRL_NONE, {}, {}, {}, 0, 0},
        {"reorient while not following", M::CM_REORIENT, kInitiator, C::POSCTRL_MOVETOPOINT, {}, kPoint, {}, 0, 0},
        {"a type outside the table", 6, kInitiator, C::POSCTRL_MOVETOPOINT, {}, kPoint, {}, 0, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        m_cam->MoveToPoint(kPoint, false);
        M(r.type, r.entity, kPath, kPoint, 2.0f, Number(0.25f), Number(0.75f), 0).Apply(m_params);
        const C::gcPosCtrl& ctrl = m_cam->m_PosCtrl;
        EXPECT_EQ(ctrl.Mode, r.mode);
        EXPECT_EQ(ctrl.hEntity, r.hEntity);
        EXPECT_EQ(ctrl.hRegionPoint, r.hPoint);
        EXPECT_EQ(ctrl.hPath, r.hPath);
        if (r.t >= 0) {
            EXPECT_NEAR(ctrl.fPathT, r.t, 1e-4f);
            EXPECT_NEAR(ctrl.fPathTDesired, r.tDesired, 1e-4f);
        }
    }
}

// Reorient starts the swing with the stored factor; snapped moves place the
// camera at once.
TEST_F(gcCameraActionsTest, ReorientCarriesItsFactorAndSnapPlacesTheCamera)
{
    m_cam->FollowEntity(kEntity, false);
    M(M::CM_REORIENT, kInitiator, kPath, kPoint, 2.5f, Number(0), Number(1), 0).Apply(m_params);
    EXPECT_FLOAT_EQ(m_cam->m_fReorientSpeedFactor, 2.5f);
    EXPECT_EQ(m_cam->m_nFlags & C::kReorienting, C::kReorienting);

    const struct {
        uint32_t flags;
        mVec3 pos;
    } rows[] = {{0x0, {0, 0, 0}}, {0x1, {10, 0, 0}}, {0x2, {0, 0, 0}}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.flags);
        m_cam->Reset(true);
        M(M::CM_MOVETOPOINT, kInitiator, kPath, kPoint, 1.5f, Number(0), Number(1), r.flags).Apply(m_params);
        EXPECT_TRUE(m_cam->GetPos().ApproxEqual(r.pos, 1e-4f));
    }
}

TEST_F(gcCameraActionsTest, ParametersReplaceAllFifteenCameraValues)
{
    gcGameCameraParams p;
    for (int i = 0; i < 5; ++i)
        p.m_fMaxVels[i] = 10.0f + i, p.m_fMaxTimes[i] = 0.5f + 0.01f * i, p.m_fOffsets[i] = -1.0f - i;
    gcDoCameraParams(p).Apply(m_params);
    for (int i = 0; i < 5; ++i) {
        EXPECT_FLOAT_EQ(m_cam->m_params.m_fMaxVels[i], p.m_fMaxVels[i]);
        EXPECT_FLOAT_EQ(m_cam->m_params.m_fMaxTimes[i], p.m_fMaxTimes[i]);
        EXPECT_FLOAT_EQ(m_cam->m_params.m_fOffsets[i], p.m_fOffsets[i]);
    }
}

TEST_F(gcCameraActionsTest, TextsNameTheEffectTheTargetAndTheSnap)
{
    cMemPool pool{"gcCameraActionsTest", 0x4000, false};
    E withEvent(E::CE_SHAKE, 0, Number(1), Number(1), eMaterialHandle());
    withEvent.onCompleted.pAction = pool.New<gcDoCameraParams>();
    const gcRegionPointHandle stalePoint = gcRegionPointHandle::Make(kPointSlot, 0x99);
    const auto look = [](int32_t type, uint32_t flags, gcRegionPointHandle point = kPoint) {
        return Text(L(type, kInitiator, kPath, point, Number(0), Number(1), flags));
    };
    const auto move = [](int32_t type, uint32_t flags) {
        return Text(M(type, kInitiator, kPath, kPoint, 1.5f, Number(0), Number(1), flags));
    };
    const auto effect = [](int32_t type, uint32_t flags) {
        return Text(E(type, flags, Number(1), Number(1), eMaterialHandle()));
    };
    const struct {
        std::string text, expected;
    } rows[] = {
        {effect(0, 0x1), "Camera.FadeIn"},
        {effect(0, 0x2), "Camera.FadeOut"},
        {effect(1, 0x1), "Camera.LetterboxOn"},
        {effect(1, 0x0), "Camera.LetterboxOff"},
        {effect(2, 0x1), "Camera.Shake"},
        {effect(3, 0x1), "Camera.???"},
        {Text(withEvent), "Camera.Shake {OnCompleted}"},
        {look(0, 0x1), "Camera.SnapLookAt( Stop )"},
        {look(1, 0x0), "Camera.LookAt( [Gate] )"},
        {look(1, 0x0, stalePoint), "Camera.LookAt( [???] )"},
        {look(2, 0x2), "Camera.LookAt( Initiator )"},
        {look(3, 0x1), "Camera.SnapLookAt( [Ridge] )"},
        {look(4, 0x1), "Camera.SnapLookThrough( [Gate] )"},
        {look(5, 0x0), "Camera.LookAt( [Ridge] )"},
        {look(6, 0x0), "Camera.LookAt(  )"},
        {move(0, 0x1), "Camera.SnapStop"},
        {move(0, 0x2), "Camera.Stop"},
        {move(1, 0x1), "Camera.SnapTo( [Gate] )"},
        {move(1, 0x0), "Camera.MoveTo( [Gate] )"},
        {move(2, 0x1), "Camera.Reorient"},
        {move(3, 0x1), "Camera.SnapTo( Initiator )"},
        {move(3, 0x0), "Camera.MoveTo( Initiator )"},
        {move(4, 0x1), "Camera.SnapToPath( [Ridge] )"},
        {move(4, 0x0), "Camera.FollowPath( [Ridge] )"},
        {move(5, 0x1), "Camera.SnapToPathAndEntity( [Ridge], Initiator )"},
        {move(5, 0x0), "Camera.FollowPathAndEntity( [Ridge], Initiator )"},
        {move(6, 0x1), "Camera."},
        {Text(gcDoCameraParams()), "Camera.SetParams"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(r.text, r.expected);
}

TEST_F(gcCameraActionsTest, EnumerationTextsStopAtTheirTables)
{
    const struct {
        const char* (*text)(int32_t);
        int32_t value;
        const char* expected;
    } rows[] = {
        {E::GetEffectTypeText, 0, "Fade"},          {E::GetEffectTypeText, 2, "Shake"},
        {E::GetEffectTypeText, 3, "???"},           {E::GetEffectTypeText, -1, "???"},
        {L::GetLookAtText, 0, "Stop"},              {L::GetLookAtText, 5, "PathClosest"},
        {L::GetLookAtText, 6, "???"},               {L::GetLookAtText, -1, "???"},
        {M::GetMoveTypeText, 0, "Stop"},            {M::GetMoveTypeText, 5, "FollowPathAndEntity"},
        {M::GetMoveTypeText, 6, "???"},             {M::GetMoveTypeText, -1, "???"},
    };
    for (const auto& r : rows)
        EXPECT_STREQ(r.text(r.value), r.expected) << r.value;
}

// What a new action holds, as a block of an older version leaves it.
TEST_F(gcCameraActionsTest, NewActionsHoldTheirDefaults)
{
    cMemPool pool{"gcCameraActionsTest", 0x4000, false};
    const auto* pE = static_cast<const E*>(E::GetStaticType()->m_pNewFunc(&pool));
    const auto* pL = static_cast<const L*>(L::GetStaticType()->m_pNewFunc(&pool));
    const auto* pM = static_cast<const M*>(M::GetStaticType()->m_pNewFunc(&pool));
    ASSERT_TRUE(pE && pL && pM);
    const struct {
        const char* name;
        float value, expected;
    } rows[] = {
        {"effect flags", static_cast<float>(pE->nFlags), 1},
        {"effect time", pE->effectTime.fConst, 1.0f},
        {"shake intensity", pE->intensity.fConst, 0.1f},
        {"look-at entity", static_cast<float>(pL->desiredEntity.desiredEntity), gcDesiredEntity::INITIATOR},
        {"look-at destination", pL->destOnPath.fConst, 1.0f},
        {"look-at flags", static_cast<float>(pL->nFlags), 1},
        {"movement entity", static_cast<float>(pM->desiredEntity.desiredEntity), gcDesiredEntity::INITIATOR},
        {"movement reorient factor", pM->fReorientFactor, 1.5f},
        {"movement destination", pM->destOnPath.fConst, 1.0f},
        {"movement flags", static_cast<float>(pM->nFlags), 1},
    };
    for (const auto& r : rows)
        EXPECT_FLOAT_EQ(r.value, r.expected) << r.name;
    for (const gcDesiredValue* v : {&pE->effectTime, &pE->intensity, &pL->srcOnPath, &pL->destOnPath, &pM->srcOnPath,
                                    &pM->destOnPath})
        EXPECT_EQ(v->desiredValue, gcDesiredValue::VAL_NUMBER);
}

// ---- blocks ----

// A number reference as stored: type 2, the literal, key value, index.
datagen::BlockWriter& NumberRef(datagen::BlockWriter& w, float f)
{
    return w.Int(gcDesiredValue::VAL_NUMBER).Float(f).Word(0).Int(0);
}

class gcCameraActionBlockTest : public testing::Test {
protected:
    // The one action of an event laid by hand, followed by a test step.
    template <class T>
    const T* LoadOne(uint32_t version, const std::function<void(datagen::BlockWriter&)>& fields)
    {
        m_pEvent = LoadHandLaidEvent(m_dir, m_pool, [&](datagen::BlockWriter& w) {
            datagen::ActionBlock(w.Int(T::GetStaticType()->m_nTypeId), version);
            fields(w);
            w.End();
            RecordMember(w, 1);
        });
        if (!m_pEvent)
            return nullptr;
        return dcast<T>(m_pEvent->pAction);
    }
    // The action written by the engine equals the block laid by hand.
    template <class T>
    void ExpectWritten(const T& action, uint32_t version, const std::function<void(datagen::BlockWriter&)>& fields)
    {
        ASSERT_TRUE(datagen::WriteObjectFile(m_dir.HostPath("written.dat"), action));
        ASSERT_TRUE(datagen::WriteObjectBlocksFile(m_dir.HostPath("laid.dat"), T::GetStaticType()->m_nTypeId,
                                                   [&](datagen::BlockWriter& w) {
                                                       datagen::ActionBlock(w, version);
                                                       fields(w);
                                                       w.End();
                                                   }));
        EXPECT_EQ(ReadHostFile(m_dir.HostPath("written.dat")), ReadHostFile(m_dir.HostPath("laid.dat")));
    }

    cMemPool m_pool{"gcCameraActionBlockTest", 0x10000, false};
    gcTestDataDir m_dir;
    gcEvent* m_pEvent = nullptr;
};

// A copy writes the same block; the completion event's actions are copied
// too, and the copy is linked to nothing.
TEST_F(gcCameraActionBlockTest, CopiesWriteTheSameBlocks)
{
    gcDesiredEntity specific = gcDesiredEntity::Selecting(gcDesiredEntity::SPECIFIC);
    specific.hSpecificEntity = gcEntityHandle(0x00070002);
    gcGameCameraParams params;
    params.m_fOffsets[2] = 9.0f;
    E* pEffect = m_pool.New<E>(E::CE_LETTERBOX, 0x2, Number(0.5f), Number(0.2f), eMaterialHandle(0x00120005));
    pEffect->onCompleted.pAction = m_pool.New<gcDoCameraParams>(params);
    pEffect->pNextAction = m_pool.New<gcDoCameraParams>();
    const gcAction* actions[] = {
        pEffect,
        m_pool.New<L>(3, specific, gcRegionPathHandle(0x00090003), gcRegionPointHandle(0x00080004), Number(0.25f),
                      Number(0.75f), 0x2),
        m_pool.New<M>(5, specific, gcRegionPathHandle(0x00090003), gcRegionPointHandle(0x00080004), 2.5f,
                      Number(0.25f), Number(0.75f), 0x3),
        m_pool.New<gcDoCameraParams>(params),
    };
    for (const gcAction* p : actions) {
        SCOPED_TRACE(p->GetType()->m_sTypeName);
        const auto* pCopy = static_cast<const gcAction*>(p->Copy(&m_pool));
        ASSERT_NE(pCopy, nullptr);
        EXPECT_EQ(pCopy->pNextAction, nullptr);
        ASSERT_TRUE(datagen::WriteObjectFile(m_dir.HostPath("a.dat"), *p));
        ASSERT_TRUE(datagen::WriteObjectFile(m_dir.HostPath("b.dat"), *pCopy));
        EXPECT_EQ(ReadHostFile(m_dir.HostPath("a.dat")), ReadHostFile(m_dir.HostPath("b.dat")));
    }
    const auto* pCopy = static_cast<const E*>(pEffect->Copy(&m_pool));
    ASSERT_NE(pCopy->onCompleted.pAction, nullptr);
    EXPECT_NE(pCopy->onCompleted.pAction, pEffect->onCompleted.pAction);
}

// Version 4 stored the time as ticks and the intensity as a float; both
// come back as numbers and are written as version 5.
TEST_F(gcCameraActionBlockTest, AVersion4EffectsTicksReadAsSecondsAndWriteAsVersion5)
{
    const E* p = LoadOne<E>(4, [](datagen::BlockWriter& w) {
        w.Int(E::CE_SHAKE).Int(0x2).Int(600).Float(0.3f).Word(0x00120005);
        w.Begin(gcEvent::kVersion).Begin(1).End().Int(-1).End();
    });
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->effectTime.desiredValue, gcDesiredValue::VAL_NUMBER);
    EXPECT_FLOAT_EQ(p->effectTime.fConst, 1.0f);
    EXPECT_EQ(p->intensity.desiredValue, gcDesiredValue::VAL_NUMBER);
    EXPECT_FLOAT_EQ(p->intensity.fConst, 0.3f);
    ExpectWritten(*p, 5, [](datagen::BlockWriter& w) {
        NumberRef(NumberRef(w.Int(E::CE_SHAKE).Int(0x2), 1.0f), 0.3f).Word(0x00120005);
        w.Begin(gcEvent::kVersion).Begin(1).End().Int(-1).End();
    });
}

// An effect block cut short after any of its fields, or inside its
// completion event, is refused and the action keeps every field.
TEST_F(gcCameraActionBlockTest, ACutEffectBlockKeepsTheAction)
{
    const std::vector<std::function<void(datagen::BlockWriter&)>> fields = {
        [](datagen::BlockWriter& w) { w.Int(E::CE_SHAKE); },
        [](datagen::BlockWriter& w) { w.Int(0x2); },
        [](datagen::BlockWriter& w) { NumberRef(w, 4.0f); },
        [](datagen::BlockWriter& w) { NumberRef(w, 0.3f); },
        [](datagen::BlockWriter& w) { w.Word(0x00120005); },
        [](datagen::BlockWriter& w) { w.Begin(gcEvent::kVersion).Begin(1).End(); },  // its list missing
    };
    gcTestLogCapture quiet;
    for (size_t n = 0; n <= fields.size(); ++n) {
        SCOPED_TRACE(n);
        E e(E::CE_LETTERBOX, 0x1, Number(0.5f), Number(0.2f), eMaterialHandle(0x00110004));
        e.onCompleted.pAction = m_pool.New<gcDoCameraParams>();
        ASSERT_TRUE(datagen::WriteObjectBlocksFile(m_dir.HostPath("cut.dat"), E::GetStaticType()->m_nTypeId,
                                                   [&](datagen::BlockWriter& w) {
                                                       datagen::ActionBlock(w, E::kVersion);
                                                       for (size_t i = 0; i < n; ++i)
                                                           fields[i](w);
                                                       if (n == fields.size())
                                                           w.End();  // the event's block
                                                       w.End();
                                                   }));
        EXPECT_FALSE(ReadObjectAnswer("cut.dat", &e, &m_pool));
        EXPECT_EQ(e.effectType, E::CE_LETTERBOX);
        EXPECT_EQ(e.nFlags, 0x1u);
        EXPECT_EQ(e.effectTime.fConst, 0.5f);
        EXPECT_EQ(e.intensity.fConst, 0.2f);
        EXPECT_EQ(e.hMaterial.m_nValue, 0x00110004u);
        EXPECT_NE(dcast<gcDoCameraParams>(e.onCompleted.pAction), nullptr);
    }
}

// The destination is stored before the source; version 1 kept only the
// destination (a float) and a snap boolean for flag 0x1, and the movement
// its reorient factor before that boolean.
TEST_F(gcCameraActionBlockTest, PathValuesAreStoredDestinationFirst)
{
    gcDesiredEntity specific = gcDesiredEntity::Selecting(gcDesiredEntity::SPECIFIC);
    specific.hSpecificEntity = gcEntityHandle(0x00070002);
    const auto head = [](datagen::BlockWriter& w, int32_t type) {
        w.Int(type).Int(gcDesiredEntity::SPECIFIC).Word(0x00070002).Word(0x00090003).Word(0x00080004);
    };
    ExpectWritten(L(3, specific, gcRegionPathHandle(0x00090003), gcRegionPointHandle(0x00080004), Number(0.25f),
                    Number(0.75f), 0x2),
                  2, [&](datagen::BlockWriter& w) {
                      head(w, 3);
                      NumberRef(NumberRef(w, 0.75f), 0.25f).Int(0x2);
                  });
    ExpectWritten(M(4, specific, gcRegionPathHandle(0x00090003), gcRegionPointHandle(0x00080004), 2.5f, Number(0.25f),
                    Number(0.75f), 0x3),
                  2, [&](datagen::BlockWriter& w) {
                      head(w, 4);
                      NumberRef(NumberRef(w, 0.75f), 0.25f).Float(2.5f).Int(0x3);
                  });
}

TEST_F(gcCameraActionBlockTest, Version1LayoutsKeepTheSourceAndMapTheSnapBoolean)
{
    const struct {
        uint32_t snap;
        uint32_t flags;
    } rows[] = {{0, 0x0}, {1, 0x1}, {7, 0x1}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.snap);
        const L* pLook = LoadOne<L>(1, [&](datagen::BlockWriter& w) {
            w.Int(3).Int(2).Word(0).Word(0x00090003).Word(0x00080004).Float(0.4f).Int(r.snap);
        });
        ASSERT_NE(pLook, nullptr);
        EXPECT_EQ(pLook->lookAtType, 3);
        EXPECT_EQ(pLook->desiredEntity.desiredEntity, 2);
        EXPECT_EQ(pLook->hRegionPath, gcRegionPathHandle(0x00090003));
        EXPECT_EQ(pLook->hRegionPoint, gcRegionPointHandle(0x00080004));
        EXPECT_FLOAT_EQ(pLook->destOnPath.fConst, 0.4f);
        EXPECT_EQ(pLook->srcOnPath.desiredValue, gcDesiredValue::VAL_NUMBER);
        EXPECT_FLOAT_EQ(pLook->srcOnPath.fConst, 0.0f);
        EXPECT_EQ(pLook->nFlags, r.flags);
        const M* pMove = LoadOne<M>(1, [&](datagen::BlockWriter& w) {
            w.Int(5).Int(2).Word(0).Word(0x00090003).Word(0x00080004).Float(0.4f).Float(3.5f).Int(r.snap);
        });
        ASSERT_NE(pMove, nullptr);
        EXPECT_EQ(pMove->moveType, 5);
        EXPECT_FLOAT_EQ(pMove->destOnPath.fConst, 0.4f);
        EXPECT_FLOAT_EQ(pMove->srcOnPath.fConst, 0.0f);
        EXPECT_FLOAT_EQ(pMove->fReorientFactor, 3.5f);
        EXPECT_EQ(pMove->nFlags, r.flags);
    }
}

// A version a class does not read is a damaged file: the event holding it
// is refused with one error naming the file.
TEST_F(gcCameraActionBlockTest, UnreadVersionsAreSkippedAndTheListGoesOn)
{
    const struct {
        const char* name;
        uint32_t id;
        uint32_t version;
    } rows[] = {
        {"effect version 3", 92, 3}, {"effect version 6", 92, 6},   {"look-at version 0", 91, 0},
        {"look-at version 3", 91, 3}, {"movement version 0", 90, 0}, {"movement version 3", 90, 3},
        {"parameters version 2", 93, 2}, {"parameters version 4", 93, 4},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        gcEvent* pEvent = LoadHandLaidEvent(m_dir, m_pool, [&](datagen::BlockWriter& w) {
            datagen::ActionBlock(w.Int(static_cast<int32_t>(r.id)), r.version).Int(1).Int(1).Int(0).End();
            RecordMember(w, 1);
        });
        EXPECT_EQ(pEvent, nullptr);
    }
    // Parameters whose own block is refused refuse the action, and the file.
    gcEvent* pEvent = LoadHandLaidEvent(m_dir, m_pool, [&](datagen::BlockWriter& w) {
        datagen::ActionBlock(w.Int(93), 3).Begin(9).Begin(1).End().Int(0).Int(0).End().End();
        RecordMember(w, 1);
    });
    EXPECT_EQ(pEvent, nullptr);
}

}  // namespace
