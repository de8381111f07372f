#include "eEngine/eParticleSystem.h"

#include <cmath>

#include "eEngine/eCamera.h"
#include "eEngine/eParticleEmitter.h"
#include "mMath/mRand.h"
#include "mMath/mScalar.h"
#include "eVideoTestUtil.h"
#include "worldTestSupport.h"

namespace {

void MakeQuiet(eParticleEmitter* e)
{
    e->SetHeadingAngleTolerance(0);
    e->SetPitchAngleTolerance(0);
    e->SetInitialSpeed(0);
    e->SetFadeInTime(cTimeValue(0));
    e->SetFadeOutTime(cTimeValue(0));
    e->SetStartSize(2);
    e->SetEndSize(0);
}

class eParticleSystemTest : public testing::Test {
protected:
    void SetUp() override
    {
        mRandReset();
        MakeQuiet(&m_emitter);
        m_sys.m_pParticleEmitter = &m_emitter;
    }
    void Arm(int16_t slots)
    {
        m_emitter.m_nMaxParticles = slots;
        m_sys.Reset(&m_pool);
    }
    void Step(int ticks = 20) { m_sys.Update(cTimeValue(ticks), 1); }
    int Live() const
    {
        int n = 0;
        for (int i = 0; i < m_sys.m_nMaxParticles; ++i)
            n += m_sys.m_pParticleList[i].IsFree() ? 0 : 1;
        return n;
    }
    eParticle& First()
    {
        for (int i = 0; i < m_sys.m_nMaxParticles; ++i)
            if (!m_sys.m_pParticleList[i].IsFree())
                return m_sys.m_pParticleList[i];
        ADD_FAILURE() << "no live particle";
        return m_sys.m_pParticleList[0];
    }
    cMemPool m_pool{"particleTest", 0x200000, false};
    eParticleEmitter m_emitter;
    eParticleSystem m_sys;
};

TEST_F(eParticleSystemTest, ResetCarvesSlotsOnlyWhenTheCountChanges)
{
    m_emitter.m_localToParent.origin.Set(1, 2, 3);
    Arm(8);
    eParticle* pList = m_sys.m_pParticleList;
    EXPECT_TRUE(m_pool.Contains(pList));
    EXPECT_EQ(m_sys.m_localToParent.origin, mVec3(1, 2, 3));
    Step();
    EXPECT_EQ(Live(), 1);
    Arm(8);  // the same count: the same array, every slot free again
    EXPECT_EQ(m_sys.m_pParticleList, pList);
    EXPECT_EQ(Live() + m_sys.m_nCurrentParticles + m_sys.m_particleSystemLifetime.m_nTicks, 0);
    Arm(4);
    EXPECT_NE(m_sys.m_pParticleList, pList);

    cMemPool tiny{"tinyParticles", 64, false};
    m_emitter.m_nMaxParticles = 100;
    m_sys.Reset(&tiny);  // the pool cannot hold them: no slots, nothing to spawn into
    EXPECT_EQ(m_sys.m_nMaxParticles, 0);
    Step();
    EXPECT_EQ(m_sys.m_nCurrentParticles, 0);
}

TEST_F(eParticleSystemTest, SpawnsFollowTheBirthDelay)
{
    struct Row { const char* why; int delay, emitterLifetime, dt; int16_t slots; std::vector<int> live; };
    const Row rows[] = {
        {"delay 100, steps of 20: one every fifth step", 100, 0, 20, 8, {1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 3}},
        {"a step of 300 covers three delays of 100", 100, 0, 300, 8, {3, 6}},
        {"the first step spawns however short", 100, 0, 1, 8, {1, 1}},
        {"spawning stops at the emitter's lifetime", 10, 50, 20, 16, {2, 4, 4, 4}},
        {"no free slot stops spawning", 0, 0, 20, 2, {2, 2}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        m_emitter.SetBirthDelay(cTimeValue(row.delay));
        m_emitter.m_emitterLifetime = cTimeValue(row.emitterLifetime);
        Arm(row.slots);
        for (size_t i = 0; i < row.live.size(); ++i) {
            Step(row.dt);
            EXPECT_EQ(Live(), row.live[i]) << "update " << i + 1;
            EXPECT_EQ(m_sys.m_nCurrentParticles, row.live[i]) << "update " << i + 1;
        }
    }
    EXPECT_EQ(s_randCounter, 3u * 16);  // 16 births of three draws each
}

TEST_F(eParticleSystemTest, RandomDrawsComeInTheirOrder)
{
    m_emitter.SetSizeTolerance(0.1f);
    m_emitter.m_rollRate = cTimeValue(600);
    m_emitter.m_fRollRateTolerance = 0.5f;
    m_emitter.SetHeadingAngleTolerance(30);
    m_emitter.SetPitchAngleTolerance(20);
    m_emitter.SetInitialSpeed(0.5f);
    m_emitter.SetInitialSpeedTolerance(0.1f);
    m_emitter.SetLifetimeTolerance(0.1f);
    m_emitter.SetBirthDelayTolerance(0.2f);
    m_emitter.SetRandomRoll(true);
    m_emitter.m_bRandomStartFrame = true;
    m_emitter.m_fAttractorInfluence = 1;
    Arm(4);
    const struct { const char* why; int jitterRate, dt; unsigned draws; } steps[] = {
        {"a birth", 0, 20, 15}, {"kicks only", 0, 20, 18},
        {"a jitter step instead of kicks", 10, 20, 21}, {"5 ticks since the last jitter: nothing", 10, 5, 21},
    };
    for (const auto& s : steps) {
        m_emitter.m_jitterRate = cTimeValue(s.jitterRate);
        Step(s.dt);
        EXPECT_EQ(s_randCounter, s.draws) << s.why;
    }

    mRandReset();
    const float r1 = mRandTol(), r2 = mRandTol(), r3 = mRandTol();
    EXPECT_EQ(r1, -0.78020453f);
    m_emitter = eParticleEmitter();
    MakeQuiet(&m_emitter);
    m_emitter.m_volumeWDH.Set(2, 4, 6);
    Arm(1);
    mRandReset();
    Step();
    EXPECT_EQ(First().position, mVec3(0.5f * r1 * 2, 0.5f * r2 * 4, 0.5f * r3 * 6));  // width first
    m_emitter.SetPitchAngleTolerance(20);
    m_emitter.SetHeadingAngleTolerance(30);
    m_emitter.SetInitialSpeed(1);
    Arm(1);
    mRandReset();
    Step(1);
    float sp, cp, sh, ch;
    mSinCos(20 * r1, &sp, &cp);
    mSinCos(30 * r2, &sh, &ch);
    EXPECT_TRUE(First().velocity.ApproxEqual(mVec3(cp * sh, ch, sp * sh), 1e-6f));
}

TEST_F(eParticleSystemTest, FreeSlotsAreSoughtFromTheCursorRoundTheRing)
{
    Arm(3);
    int cursor = 0;
    for (int want : {0, 1, 2, 0}) {
        EXPECT_EQ(m_sys.FindFreeParticleSlot(cursor), want);
        EXPECT_EQ(cursor, want + 1 < 3 ? want + 1 : 0);
    }
    m_sys.m_pParticleList[0].timeAlive = cTimeValue(0);  // in use: passed over
    EXPECT_EQ(m_sys.FindFreeParticleSlot(cursor), 1);
    const struct { mVec3 p; bool bIn; } points[] = {
        {{2, 2, 5}, true}, {{3, 4, 0}, true}, {{2, 4.5f, 0}, false}, {{2, 0.5f, 0}, false}, {{0.5f, 2, 0}, false},
        {{3.5f, 2, 0}, false},
    };
    for (const auto& row : points)
        EXPECT_EQ(eParticleSystem::PointInRectangle(row.p, {2, 0, 0}, {0, 3, 0}, {1, 1, 0}), row.bIn)
            << row.p.x << ", " << row.p.y;
}

TEST_F(eParticleSystemTest, ParticlesAgeDieAndSpin)
{
    m_emitter.SetBirthDelay(cTimeValue(1000000));
    m_emitter.SetLifetime(cTimeValue(100));
    Arm(4);
    for (int i = 0; i < 5; ++i)
        Step();
    EXPECT_EQ(Live(), 1);  // 100 ticks old: not yet past its lifetime
    Step();
    EXPECT_EQ(Live() + m_sys.m_nCurrentParticles, 0);
    m_emitter.SetLifetime(cTimeValue(0));  // never expires
    Arm(4);
    for (int i = 0; i < 100; ++i)
        Step();
    EXPECT_EQ(Live(), 1);
    EXPECT_EQ(First().fDegreesPer, 0.0f);  // no roll rate: no spin

    const struct { int16_t roll; float degreesPer; int16_t after; } spins[] = {
        {0, 1, 20}, {350, 1, 10}, {340, 1, 360}, {-350, 1, -10}, {-340, 1, -360}, {100, 0, 100},
        {10, 0.04f, 10},  // 0.8 degrees: nothing whole
    };
    for (const auto& row : spins) {
        First().nRoll = row.roll;
        First().fDegreesPer = row.degreesPer;
        Step();
        EXPECT_EQ(First().nRoll, row.after) << row.roll << " at " << row.degreesPer;
    }
    m_emitter.SetOrientation(eParticleEmitter::VERTICAL);  // upright quads do not spin
    First().nRoll = 0;
    First().fDegreesPer = 1;
    Step();
    EXPECT_EQ(First().nRoll, 0);
}

TEST_F(eParticleSystemTest, MovementUnderForcesLimitsAndPulls)
{
    Arm(1);
    struct Row { const char* why; mVec3 accel, pos, vel; int lifetime; float initial, end, maxSpeed, scale, pull;
        mVec3 wantVel, wantPos; };
    const Row rows[] = {
        {"gravity from rest", {0, 0, -0.01f}, {0, 0, 0}, {0, 0, 0}, 1000, 0, -1, 0, 1, 0, {0, 0, -0.2f}, {0, 0, -4}},
        {"speed limit times its scale", {}, {0, 0, 0}, {3, 4, 0}, 1000, 0, -1, 1, 2, 0, {1.2f, 1.6f, 0}, {24, 32, 0}},
        {"a quarter pulled back", {}, {4, 0, 0}, {0, 0, 0}, 1000, 0, -1, 0, 1, 0.25f, {0, 0, 0}, {3, 0, 0}},
        {"speed profile halfway from 1 to 0", {}, {0, 0, 0}, {0, 2, 0}, 100, 1, 0, 0, 1, 0, {0, 0.5f, 0}, {0, 10, 0}},
    };
    for (const Row& row : rows) {
        m_emitter.SetInitialSpeed(row.initial);
        m_emitter.m_fEndSpeed = row.end;
        m_emitter.m_fMaxSpeed = row.maxSpeed;
        m_emitter.m_fEmitterInfluence = row.pull;
        eParticle p{};
        p.position = row.pos, p.velocity = row.vel, p.lifetime = cTimeValue(row.lifetime);
        m_sys.DoParticleMovement(&p, false, row.accel, cTimeValue(20), cTimeValue(50), row.scale);
        EXPECT_TRUE(p.velocity.ApproxEqual(row.wantVel, 1e-6f)) << row.why;
        EXPECT_TRUE(p.position.ApproxEqual(row.wantPos, 1e-5f)) << row.why;
    }
    m_emitter.m_fEndSpeed = -1, m_emitter.m_fMaxSpeed = 0, m_emitter.m_fEmitterInfluence = 0;
    m_emitter.m_fAttractorInfluence = 1;
    m_sys.m_attractorPoint.Set(10, 0, 0);
    eParticle p{};
    p.position.Set(20, 0, 0), p.velocity.Set(0, 1, 0), p.lifetime = cTimeValue(1000);
    mRandReset();
    const float kz = mRandTol(), ky = mRandTol(), kx = mRandTol();
    mRandReset();
    m_sys.DoParticleMovement(&p, false, mVec3(0, 0, 0), cTimeValue(20), cTimeValue(20), 1);
    EXPECT_TRUE(p.velocity.ApproxEqual(mVec3(-0.02f + 1e-5f * kx, 1 + 1e-5f * ky, 1e-5f * kz), 1e-7f));
    m_emitter.m_fAttractorInfluence = 0, m_emitter.m_fEndSpeed = 0;
    m_emitter.SetInitialSpeed(0);
    m_emitter.m_jitter.Set(1, 1, 1);
    p = eParticle{};
    p.lifetime = cTimeValue(100);
    m_sys.DoParticleMovement(&p, true, mVec3(0, 0, 0), cTimeValue(20), cTimeValue(50), 1);
    EXPECT_TRUE(std::isfinite(p.velocity.x) && std::isfinite(p.velocity.y) && std::isfinite(p.velocity.z));
    EXPECT_GT(p.velocity.Length(), 0.0f);
    m_emitter.m_jitter.Set(1, 2, 3);
    mRandReset();
    const float rz = mRandTol(), ry = mRandTol(), rx = mRandTol();
    const struct { float initial, end, speed, k; } kicks[] = {{2, 1, 1.5f, 0.75f}, {0, 2, 1, 0.5f}};
    for (const auto& row : kicks) {
        m_emitter.SetInitialSpeed(row.initial);
        m_emitter.m_fEndSpeed = row.end;
        p = eParticle{};
        p.velocity.Set(0, 2, 0), p.lifetime = cTimeValue(100);
        mRandReset();
        m_sys.DoParticleMovement(&p, true, mVec3(0, 0, 0), cTimeValue(20), cTimeValue(50), 1);
        const mVec3 want(rx * row.k, row.speed + 2 * ry * row.k, 3 * rz * row.k);
        EXPECT_TRUE(p.velocity.ApproxEqual(want, 1e-5f)) << row.initial;
    }
}

TEST_F(eParticleSystemTest, BoundsZoneChangesSharedEmittersAndCopies)
{
    m_emitter.SetBirthDelay(cTimeValue(20));
    Arm(4);
    Step();
    const float r = m_emitter.m_fMaxParticleRadius;
    EXPECT_FLOAT_EQ(m_sys.m_fVisRadius, std::sqrt(3 * r * r));  // one particle on the origin
    m_sys.OnZoneChange(mVec3(3, 0, 0));
    for (int i = 0; i < 4; ++i)  // free slots (zero since carved) move too
        EXPECT_EQ(m_sys.m_pParticleList[i].position.x, 3.0f) << i;
    Step();
    EXPECT_FLOAT_EQ(m_sys.m_fVisRadius, std::sqrt((3 + r) * (3 + r) + 2 * r * r));

    auto* copy = dcast<eParticleSystem>(m_sys.Copy(&m_pool));  // steps particles of its own
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->m_pParticleList, m_sys.m_pParticleList);
    EXPECT_EQ(copy->m_nCurrentParticles, 2);
    copy->OnZoneChange(mVec3(5, 0, 0));
    EXPECT_EQ(First().position, mVec3(3, 0, 0));
    Arm(1);  // a single slot is copied too
    Step();
    auto* single = dcast<eParticleSystem>(m_sys.Copy(&m_pool));
    ASSERT_NE(single, nullptr);
    EXPECT_EQ(single->m_nMaxParticles, 1);
    ASSERT_NE(single->m_pParticleList, nullptr);
    EXPECT_FALSE(single->m_pParticleList[0].IsFree());
    Arm(4);

    m_emitter.m_nMaxParticles = 50;
    m_emitter.SetBirthDelay(cTimeValue(0));
    Step();
    EXPECT_EQ(m_sys.m_nCurrentParticles, 4);
    EXPECT_EQ(Live(), 4);
}

TEST_F(eParticleSystemTest, AlphaFromFadesAndBlinking)
{
    Arm(1);
    struct Row { const char* why; int fadeIn, fadeOut, blinkRate; float blinkShare; int lifetime, age; float opacity;
        int alpha; };
    const Row rows[] = {
        {"halfway into the fade-in", 100, 200, 0, 0, 1000, 50, 1, 127},
        {"halfway through the fade-out", 100, 200, 0, 0, 1000, 900, 1, 127},
        {"40,000 ticks left is not fading", 0, 200, 0, 0, 40000, 0, 1, 255},
        {"near the end of a long life", 0, 200, 0, 0, 40000, 39900, 1, 127},
        {"never expires: no fade-out", 0, 200, 0, 0, 0, 5000, 1, 255},
        {"blink: dark before 0.4", 0, 0, 100, 0.2f, 1000, 30, 1, 0},
        {"blink: halfway up at 0.45", 0, 0, 100, 0.2f, 1000, 45, 1, 127},
        {"blink: halfway down at 0.95", 0, 0, 100, 0.2f, 1000, 195, 1, 127},
        {"opacity 0.5 x alpha factor 0.5", 0, 0, 0, 0, 1000, 500, 0.25f, 63},
        {"an opacity above 1 saturates", 0, 0, 0, 0, 1000, 500, 5, 255},
    };
    m_sys.m_fAlphaMod = 0.5f;
    for (const Row& row : rows) {
        m_emitter.SetFadeInTime(cTimeValue(row.fadeIn));
        m_emitter.SetFadeOutTime(cTimeValue(row.fadeOut));
        m_emitter.m_blinkRate = cTimeValue(row.blinkRate);
        m_emitter.SetBlinkFadePercent(row.blinkShare);
        eParticle p{};
        p.lifetime = cTimeValue(row.lifetime), p.timeAlive = cTimeValue(row.age);
        EXPECT_EQ(m_sys.GetCurrentParticleAlpha(&p, 2 * row.opacity), row.alpha) << row.why;
    }
}

class eParticleQuadTest : public eParticleSystemTest {
protected:
    void SetUp() override
    {
        eParticleSystemTest::SetUp();
        Arm(1);
        m_setup.baseColor.Set(1, 1, 1);
        m_setup.fOpacity = 1;
        m_setup.camera.MakeIdentity();
        m_setup.world.right.Set(0, 1, 0), m_setup.world.forward.Set(-1, 0, 0), m_setup.world.up.Set(0, 0, 1);
        m_p = eParticle{};
        m_p.fStartSize = 2;
    }
    void Build() { m_sys.BuildParticleQuad(&m_p, m_setup, m_quad); }
    eParticleDrawSetup m_setup;
    eParticle m_p;
    eParticleVertex m_quad[4];
};

TEST_F(eParticleQuadTest, CornersFollowTheOrientation)
{
    using E = eParticleEmitter;
    const float q = std::sqrt(2.0f);
    const mVec3 none[4] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
    const mVec3 facing[4] = {{-1, 0, -1}, {1, 0, -1}, {1, 0, 1}, {-1, 0, 1}};    // the camera looks along +y
    const mVec3 turned[4] = {{-1, 0, 1}, {-1, 0, -1}, {1, 0, -1}, {1, 0, 1}};    // a quarter turn
    const mVec3 flat[4] = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
    const mVec3 diagonal[4] = {{-q, 0, 0}, {0, -q, 0}, {q, 0, 0}, {0, q, 0}};
    const mVec3 world[4] = {{0, -1, -1}, {0, 1, -1}, {0, 1, 1}, {0, -1, 1}};   // world frame turned 90
    struct Row { const char* why; E::eOrientation orientation; bool aligned; int16_t roll; mVec3 velocity;
        const mVec3* c; };
    const Row rows[] = {
        {"billboard", E::BILLBOARD, false, 0, {0, 0, 0}, facing},
        {"billboard rolled 90", E::BILLBOARD, false, 90, {0, 0, 0}, turned},
        {"billboard along camera-right", E::BILLBOARD, true, -999, {5, 0, 0}, turned},
        {"horizontal", E::HORIZONTAL, false, 0, {0, 0, 0}, flat},
        {"horizontal along (1, 1)", E::HORIZONTAL, true, -999, {1, 1, 0}, diagonal},
        {"horizontal at rest aligns to +y", E::HORIZONTAL, true, -999, {0, 0, 0}, flat},
        {"vertical", E::VERTICAL, false, 0, {0, 0, 0}, facing},
        {"vertical rolled: no quad", E::VERTICAL, false, 5, {0, 0, 0}, none},
        {"world frame", E::WORLD, false, 0, {0, 0, 0}, world},
        {"world frame aligned: no quad", E::WORLD, true, 0, {1, 0, 0}, none},
    };
    for (const Row& row : rows) {
        m_emitter.m_orientation = row.orientation;
        m_emitter.m_bOrientAlongVelocity = row.aligned;
        m_p.nRoll = row.roll;
        m_p.velocity = row.velocity;
        Build();
        for (int i = 0; i < 4; ++i)
            EXPECT_TRUE(m_quad[i].pos.ApproxEqual(row.c[i], 1e-6f)) << row.why << ", corner " << i;
    }
}

TEST_F(eParticleQuadTest, AlignedQuadsChaseTheVelocityAtTheTurnRate)
{
    m_emitter.m_orientation = eParticleEmitter::HORIZONTAL;
    m_emitter.m_bOrientAlongVelocity = true;
    m_emitter.m_nMaximumTurnRate = 10;
    const struct { const char* why; int16_t before; mVec3 velocity; int16_t after; } rows[] = {
        {"unaligned snaps to the target", -999, {-1, 0, 0}, 90},
        {"half a turn away: 10 degrees", 90, {1, 0, 0}, 80},
        {"within the rate: onto the target", -85, {1, 0, 0}, -90},
        {"the short way round, folded back", 175, {1, 0, 0}, -175},
        {"across the fold onto the target", 178, {0, -1, 0}, -180},
    };
    for (const auto& row : rows) {
        m_p.nRoll = row.before;
        m_p.velocity = row.velocity;
        Build();
        EXPECT_EQ(m_p.nRoll, row.after) << row.why;
    }
    m_p.nRoll = 90;  // the axes follow the chased roll: 80 degrees about world Z
    m_p.velocity.Set(1, 0, 0);
    Build();
    float s, c;
    mSinCos(80, &s, &c);
    EXPECT_TRUE(m_quad[0].pos.ApproxEqual(mVec3(s - c, -c - s, 0), 1e-6f));
}

TEST_F(eParticleQuadTest, ColoursAlphaAndAtlasCorners)
{
    m_emitter.SetColorStart(1, 0.5f, 0);
    m_emitter.SetColorEnd(0, 0.5f, 1);
    m_emitter.SetLifetime(cTimeValue(100));
    m_emitter.SetFramesInX(4);
    m_emitter.SetFramesInY(4);
    m_emitter.SetFramesPerSecond(10);
    m_emitter.SetEndFrame(15);
    m_p.lifetime = cTimeValue(1000);
    m_p.timeAlive = cTimeValue(250);  // a quarter of the way; atlas frame 2
    m_setup.baseColor.Set(0.5f, 1, 8);
    Build();
    const uint8_t want[4] = {95, 127, 255, 255};  // 0.75 x 0.5, 0.5, 0.25 x 8 saturated
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(m_quad[0].rgba[i], want[i]) << i;
    const mVec2 uv0[4] = {{0.5f, 0.25f}, {0.75f, 0.25f}, {0.75f, 0}, {0.5f, 0}};
    const mVec2 uv1[4] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(m_quad[i].uv0, uv0[i]) << i;
        EXPECT_EQ(m_quad[i].uv1, uv1[i]) << i;
    }
    m_p.lifetime = cTimeValue(0);  // no lifetime: the start colour
    Build();
    EXPECT_EQ(m_quad[0].rgba[0], 127);
    EXPECT_EQ(m_quad[0].rgba[2], 0);
}

class eParticleDrawTest : public VideoTest {
protected:
    cMemPool m_pool{"particleDraw", 0x200000, false};
    eParticleEmitter m_emitter;
    eParticleSystem m_sys;
    eCamera m_camera;
};

TEST_F(eParticleDrawTest, OneQuadBatchPerSixteenThousandParticles)
{
    if (!StartVideoOnce().bHaveGL)
        GTEST_SKIP() << "no OpenGL";
    MakeQuiet(&m_emitter);
    m_emitter.SetBirthDelay(cTimeValue(0));
    m_emitter.SetStartSize(0.01f);
    m_emitter.m_localToParent.origin.Set(0, 50, 0);
    m_sys.m_pParticleEmitter = &m_emitter;
    m_camera.Apply();
    const struct { int16_t slots; uint64_t draws, vertices; uint32_t lastCount; } rows[] = {
        {3, 1, 12, 12}, {20000, 2, 80000, 4 * (20000 - 16383)},
    };
    for (const auto& row : rows) {
        m_emitter.m_nMaxParticles = row.slots;
        m_sys.Reset(&m_pool);
        m_sys.Update(cTimeValue(20), 1);
        ASSERT_EQ(m_sys.m_nCurrentParticles, row.slots);
        GXTestResetDrawStats();
        eVideo::s_nRenderedDynamicTris = 0;
        m_sys.Draw(m_camera, nullptr);
        const GXTestDrawStats stats = GXTestGetDrawStats();
        EXPECT_EQ(stats.draws, row.draws);
        EXPECT_EQ(stats.vertices, row.vertices);
        EXPECT_EQ(eVideo::s_nRenderedDynamicTris, 2u * static_cast<uint32_t>(row.slots));
        const GXTestLastDraw last = GXTestGetLastDraw();
        EXPECT_EQ(last.primitive, GX_QUADS);
        EXPECT_EQ(last.vertexCount, row.lastCount);
        EXPECT_EQ(last.attrMask, (1u << GX_VA_POS) | (1u << GX_VA_CLR0) | (1u << GX_VA_TEX0) | (1u << GX_VA_TEX1));
    }
    m_sys.Reset(&m_pool);  // nothing live: nothing drawn
    GXTestResetDrawStats();
    m_sys.Draw(m_camera, nullptr);
    EXPECT_EQ(GXTestGetDrawStats().draws, 0u);
}

}  // namespace
