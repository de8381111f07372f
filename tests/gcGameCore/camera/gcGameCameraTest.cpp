#include "gcGameCore/camera/gcGameCamera.h"

#include <cmath>

#include <gtest/gtest.h>

#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/script/gcScriptTestObjects.h"

namespace {

using C = gcGameCamera;

// An action that counts its runs and starts a 100-tick fade-in on the
// camera under test with s_pNext as its event.
class gcDoTestFade : public gcAction {
    QM_DECLARE_TYPE(gcDoTestFade)
public:
    void DoAction(const gcEventParams& params) const override
    {
        ++s_nRuns;
        s_pInitiator = params.pInitiator;
        if (s_pCamera)
            s_pCamera->Fade(true, false, eMaterialHandle(), cTimeValue(100), s_pNext);
    }
    static inline int s_nRuns = 0;
    static inline const gcGameObject* s_pInitiator = nullptr;
    static inline C* s_pCamera = nullptr;
    static inline const gcEvent* s_pNext = nullptr;
};

}  // namespace

QM_DEFINE_TYPE(gcDoTestFade, gcAction, 55)  // free in the real table

namespace {

class gcGameCameraTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gcDoTestFade::s_nRuns = 0;
        gcDoTestFade::s_pCamera = &m_cam;
        gcDoTestFade::s_pNext = nullptr;
        m_first.pAction = &m_action1;
        m_second.pAction = &m_action2;
        m_cam.Reset(true);
    }
    void TearDown() override
    {
        m_first.pAction = m_second.pAction = nullptr;  // the actions are members
        gcDoTestFade::s_pCamera = nullptr;
    }
    void Tick(int nTicks) { m_cam.Send(gcMsgTick(cTimeValue(nTicks))); }
    float FOV() const
    {
        float h, v;
        m_cam.m_camera.m_frustum.GetFOV(&h, &v);
        return h;
    }

    C m_cam;
    gcMap m_map;
    gcDoTestFade m_action1, m_action2;
    gcEvent m_first, m_second, m_empty;
};

TEST_F(gcGameCameraTest, ResetKeepsEffectsUnlessFullAndPlacesTheViewAtTheOrigin)
{
    for (bool bFull : {false, true}) {
        SCOPED_TRACE(bFull);
        m_cam.Fade(true, true, eMaterialHandle(7), cTimeValue(200), &m_first);
        m_cam.FadeLetterbox(true, true, eMaterialHandle(8), cTimeValue(200), &m_first);
        m_cam.Shake(1.0f, cTimeValue(100), &m_first);
        Tick(20);
        m_cam.m_nFlags |= C::kReorienting | C::kAlternate | C::kBehindEntity;
        m_cam.m_params.m_fOffsets[gcGameCameraParams::OFF_MINDIST] = 2.0f;
        m_cam.m_fReorientSpeedFactor = 3.0f;
        mOCS moved;
        moved.MakeIdentity();
        moved.origin.Set(5, 6, 7);
        moved.basis.SetHPR(90, 0, 0);
        m_cam.m_camera.SetCameraToWorld(moved);
        m_cam.m_PosCtrl.Mode = C::POSCTRL_FOLLOWPATH;
        m_cam.Reset(bFull);
        EXPECT_EQ(m_cam.m_nFlags, bFull ? 0u : C::kFade | C::kFadeIn | C::kLetterbox | C::kLetterboxIn | C::kShaking);
        EXPECT_EQ(m_cam.m_pOnFadeCompleted, bFull ? nullptr : &m_first);
        EXPECT_EQ(m_cam.m_totalFadeTime, bFull ? cTimeValue(600) : cTimeValue(160));
        EXPECT_FLOAT_EQ(m_cam.m_fLetterboxOpacity, bFull ? 0.0f : 0.125f);
        EXPECT_FLOAT_EQ(FOV(), bFull ? 60.0f : 61.25f);  // the letterbox tick set 60 + 10 x 0.125
        EXPECT_EQ(m_cam.GetPos(), mVec3(0, 0, 0));
        EXPECT_EQ(m_cam.m_camera.m_cameraToWorld.basis.forward, mVec3(0, 1, 0));
        EXPECT_EQ(m_cam.m_PosCtrl.Mode, C::POSCTRL_NONE);
        EXPECT_EQ(m_cam.m_PosCtrl.filter[3], mVec3(0, 0, 0));
        EXPECT_FLOAT_EQ(m_cam.m_PosCtrl.fDesiredMinDist, 6.5f);
        EXPECT_FLOAT_EQ(m_cam.m_fFollowEntityHK, 1.0f);
        EXPECT_FLOAT_EQ(m_cam.m_fReorientSpeedFactor, 1.5f);
    }
}

TEST_F(gcGameCameraTest, PausedMapHoldsTheViewButNotTheFades)
{
    m_cam.m_PosCtrl.posVel.Set(0.5f, 0, 0);  // coasting along +x
    m_cam.m_PosCtrl.fPosVel = 0.5f;
    m_cam.Fade(true, true, eMaterialHandle(), cTimeValue(140), nullptr);  // 100 ticks of opacity change
    Tick(0);
    EXPECT_FLOAT_EQ(m_cam.m_fFadeOpacity, 0.0f);  // a step of 0 changes nothing
    m_cam.m_nCurState = -2;                       // takes no messages at all
    Tick(20);
    EXPECT_FLOAT_EQ(m_cam.m_fFadeOpacity, 0.0f);
    m_cam.m_nCurState = 0;
    m_map.m_nFlags = C::kMapViewPaused;
    Tick(20);
    EXPECT_EQ(m_cam.GetPos(), mVec3(0, 0, 0));
    EXPECT_FLOAT_EQ(m_cam.m_fFadeOpacity, 0.2f);
    EXPECT_FLOAT_EQ(FOV(), 60.0f);
    m_map.m_nFlags = 0;
    Tick(20);  // coasts 0.9 * 0.5 per tick for 20 ticks
    EXPECT_NEAR(m_cam.GetPos().x, 9.0f, 1e-4f);
    EXPECT_FLOAT_EQ(m_cam.m_fFadeOpacity, 0.4f);
    // Coasting with no velocity stays put.
    m_cam.Reset(false);
    Tick(20);
    EXPECT_EQ(m_cam.GetPos(), mVec3(0, 0, 0));
}

TEST_F(gcGameCameraTest, ShakeOffsetsStopsAndRunsItsEventOnce)
{
    m_cam.Shake(0.5f, cTimeValue(40), &m_first);
    Tick(20);
    EXPECT_NEAR(m_cam.GetPos().Length(), 0.5f, 1e-5f);
    m_cam.Reset(false);
    Tick(20);
    EXPECT_EQ(m_cam.GetPos(), mVec3(0, 0, 0));  // the last tick does not offset
    EXPECT_EQ(m_cam.m_nFlags & C::kShaking, 0u);
    EXPECT_EQ(gcDoTestFade::s_nRuns, 1);
    EXPECT_EQ(gcDoTestFade::s_pInitiator, &m_cam);

    // A tiny intensity stops a running shake and drops its event unapplied.
    m_cam.Shake(0.5f, cTimeValue(400), &m_first);
    m_cam.Shake(-0.00001f, cTimeValue(400), &m_second);
    EXPECT_EQ(m_cam.m_nFlags & C::kShaking, 0u);
    EXPECT_EQ(m_cam.m_pOnShakeCompleted, &m_second);
    m_cam.Shake(0.5f, cTimeValue(400), &m_empty);  // no actions: not stored
    EXPECT_EQ(m_cam.m_pOnShakeCompleted, nullptr);
    // Following an entity, the pipeline leaves the shake to that tick.
    m_cam.m_PosCtrl.Mode = C::POSCTRL_FOLLOWENTITY;
    Tick(20);
    EXPECT_EQ(m_cam.m_shakeRemainTime, cTimeValue(400));
    EXPECT_EQ(gcDoTestFade::s_nRuns, 1);
}

TEST_F(gcGameCameraTest, FadeAndLetterboxTiming)
{
    const struct {
        const char* why;
        bool bIn;
        int nTime;
        float afOpacity[3];  // after ticks of 20
        int nRunsAt;         // the tick on which the event runs
    } rows[] = {
        {"in over 100: opacity ends two frames before the event", true, 100, {1 / 3.0f, 2 / 3.0f, 1.0f}, 5},
        {"out over 80", false, 80, {0.5f, 0.0f, 0.0f}, 4},
        {"40 or less jumps on the next tick", true, 40, {1.0f, 1.0f, 1.0f}, 2},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.why);
        m_cam.Reset(true);
        gcDoTestFade::s_nRuns = 0;
        gcDoTestFade::s_pCamera = nullptr;
        m_cam.Fade(r.bIn, true, eMaterialHandle(), cTimeValue(r.nTime), &m_first);
        m_cam.FadeLetterbox(r.bIn, true, eMaterialHandle(), cTimeValue(r.nTime), nullptr);
        for (int t = 1; t <= 6; ++t) {
            Tick(20);
            if (t <= 3) {
                EXPECT_NEAR(m_cam.m_fFadeOpacity, r.afOpacity[t - 1], 1e-6f) << t;
                EXPECT_NEAR(FOV(), 60.0f + 10.0f * r.afOpacity[t - 1], 1e-4f) << t;
            }
            EXPECT_EQ(gcDoTestFade::s_nRuns, t >= r.nRunsAt ? 1 : 0) << t;
        }
        EXPECT_EQ((m_cam.m_nFlags & C::kFade) != 0, r.bIn);  // a fade-out switches itself off
        EXPECT_EQ((m_cam.m_nFlags & C::kLetterbox) != 0, r.bIn);
    }
    // Without snap a fade starts from the current opacity.
    m_cam.Fade(false, true, eMaterialHandle(), cTimeValue(140), nullptr);
    Tick(20);
    Tick(20);
    m_cam.Fade(true, false, eMaterialHandle(), cTimeValue(140), nullptr);
    Tick(20);
    EXPECT_NEAR(m_cam.m_fFadeOpacity, 0.8f, 1e-6f);
}

TEST_F(gcGameCameraTest, ACompletionEventMayStartTheNextFade)
{
    gcDoTestFade::s_pNext = &m_second;
    m_cam.Fade(true, true, eMaterialHandle(), cTimeValue(20), &m_first);
    Tick(20);
    EXPECT_EQ(gcDoTestFade::s_nRuns, 1);
    EXPECT_EQ(m_cam.m_pOnFadeCompleted, &m_second);
    EXPECT_EQ(m_cam.m_fadeTime, cTimeValue(100));
    // Events inside a pool being reset are dropped.
    cMemPool pool("gcGameCameraTest", 0x1000, false);
    gcEvent* pPooled = pool.New<gcEvent>();
    m_cam.FadeLetterbox(true, true, eMaterialHandle(), cTimeValue(20), pPooled);
    m_cam.m_pOnFadeLetterboxCompleted = pPooled;  // as if it held actions
    m_cam.OnMemPoolReset(&pool);
    EXPECT_EQ(m_cam.m_pOnFadeLetterboxCompleted, nullptr);
    EXPECT_EQ(m_cam.m_pOnFadeCompleted, &m_second);
}

TEST_F(gcGameCameraTest, UpdateWorldMovesBothPositionHistoriesOnly)
{
    mQuat q;
    q.SetHPR(30, 0, 0);
    for (int i = 0; i < 4; ++i) {
        m_cam.m_PosCtrl.filter[i].Set(static_cast<float>(i), 0, 0);
        m_cam.m_LookAtCtrl.posFilter[i].Set(0, static_cast<float>(i), 0);
        m_cam.m_LookAtCtrl.filter[i] = q;
    }
    mOCS shift;
    shift.MakeIdentity();
    shift.origin.Set(-100, 0, 0);
    mOCS placed;
    placed.MakeIdentity();
    placed.origin.Set(1, 2, 3);
    m_cam.UpdateWorld(placed, shift);
    EXPECT_EQ(m_cam.GetPos(), mVec3(1, 2, 3));
    EXPECT_EQ(m_cam.m_PosCtrl.filter[3], mVec3(-97, 0, 0));
    EXPECT_EQ(m_cam.m_LookAtCtrl.posFilter[2], mVec3(-100, 2, 0));
    EXPECT_EQ(m_cam.m_LookAtCtrl.filter[1].z, q.z);
}

TEST_F(gcGameCameraTest, LookAtTurnsAtMost60DegreesTheShortWayAndNeverPastPitch80)
{
    const struct {
        const char* why;
        float fFromHeading;
        mVec3 target;  // relative to the camera
        float fHeading, fPitch;
    } rows[] = {
        {"170 degrees away: 60 on the first tick", 0.0f, mVec3(-std::sin(170 * 0.01745329f), std::cos(170 * 0.01745329f), 0), 60.0f, 0.0f},
        {"from 170 to -170 is +20, across 180", 170.0f, mVec3(-std::sin(-170 * 0.01745329f), std::cos(-170 * 0.01745329f), 0), -170.0f, 0.0f},
        {"straight up gives pitch 80", 0.0f, mVec3(0, 0.00001f, 5), 0.0f, 80.0f},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.why);
        m_cam.Reset(true);
        mOCS view;
        view.MakeIdentity();
        view.basis.SetHPR(r.fFromHeading, 0, 0);
        m_cam.m_camera.SetCameraToWorld(view);
        m_cam.LookAtNone(true);
        EXPECT_TRUE(m_cam.m_LookAtCtrl.curLookAtWorld.ApproxEqual(view.basis.forward, 1e-6f));  // one unit ahead
        m_cam.m_params.m_fMaxTimes[gcGameCameraParams::SPD_LOOKAT] = 0.0f;  // unfiltered
        mVec3 hpr;
        m_cam.SmoothLookAtQuat(cTimeValue(20), &r.target, 0.0f, false, &hpr);
        EXPECT_NEAR(hpr.x, r.fHeading, 0.01f);
        EXPECT_NEAR(hpr.y, r.fPitch, 0.01f);
        EXPECT_FLOAT_EQ(hpr.z, 0.0f);
    }
}

}  // namespace
