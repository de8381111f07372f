#include "eEngine/eParticleEmitter.h"

#include "platform/ps.h"
#include "cCore/cFile.h"
#include "datagen/blockWriter.h"
#include "datagen/particleWriters.h"
#include "eEngine/eParticleSystem.h"
#include "worldTestSupport.h"

namespace {

constexpr size_t kPayload = cFile::kHeaderSize + 12 + 16;

eParticleEmitter Distinct()
{
    eParticleEmitter e;
    e.m_nMaxParticles = 0x0102, e.m_emitterLifetime = cTimeValue(0x03040506), e.m_orientation = eParticleEmitter::WORLD;
    e.m_bOrientAlongVelocity = e.m_bRandomStartFrame = e.m_bRandomRoll = e.m_bDoCollision = true;
    e.m_lifetime = cTimeValue(1200), e.m_fLifetimeTolerance = 0.25f, e.m_birthDelay = cTimeValue(40);
    e.m_fBirthDelayTolerance = 0.5f, e.m_fHeadingAngleTolerance = 12, e.m_fPitchAngleTolerance = 13;
    e.m_fInitialSpeed = 0.5f, e.m_fInitialSpeedTolerance = 0.125f, e.m_fEndSpeed = 0.0625f, e.m_fMaxSpeed = 3;
    e.m_nStartFrame = 4, e.m_nEndFrame = -5, e.m_jitterRate = cTimeValue(60), e.m_jitter.Set(1, 2, 3);
    e.m_rollRate = cTimeValue(600), e.m_fRollRateTolerance = 0.75f, e.m_blinkRate = cTimeValue(100);
    e.m_fBlinkFadePercent = 0.2f, e.m_colorStart.Set(0.5f, 0.25f, 1), e.m_colorEnd.Set(0, 1, 0.5f);
    e.m_volumeWDH.Set(4, 5, 6), e.m_fStartSize = 0.5f, e.m_fSizeTolerance = 0.25f, e.m_fEndSize = 2;
    e.m_nFramesInX = 4, e.m_nFramesInY = -2, e.m_nFramesPerSecond = 30, e.m_hMaterial = eMaterialHandle(0xCAFE0007);
    e.m_fadeInTime = cTimeValue(50), e.m_fadeOutTime = cTimeValue(80), e.m_fWindScale = 7, e.m_fGravityScale = 8;
    e.m_fAttractorInfluence = 9, e.m_fEmitterInfluence = 0.375f, e.m_worldAlignment.origin.Set(10, 11, 12);
    e.m_localToParent.basis.SetH(180), e.m_localToParent.origin.Set(13, 14, 15);
    e.m_attractorInitialOffset.Set(16, 17, 18), e.m_nMaximumTurnRate = 19, e.m_collisionRectOrigin.Set(20, 21, 22);
    e.m_rectW.Set(23, 24, 25), e.m_rectH.Set(26, 27, 28), e.m_collisionPlane.normal.Set(0, 1, 0);
    e.m_collisionPlane.offset = 29, e.m_fCollisionElasticity = 0.875f;
    return e;
}

class eParticleEmitterTest : public testing::Test {
protected:
    static datagen::BlockWriter File(const eParticleEmitter& e, uint32_t version)
    {
        datagen::BlockWriter w;
        datagen::EmitterBlock(w.Header(), e, version);
        return w.Trailer();
    }
    eTestDataDir m_data;
};

TEST_F(eParticleEmitterTest, SettersKeepTheInvariants)
{
    eParticleEmitter e;
    const struct { int16_t n; float x, y; } atlas[] = {{0, 0, 0}, {-2, 0, -0.5f}, {4, 0.25f, 0.25f}};
    for (const auto& row : atlas) {
        e.SetFramesInX(row.n);
        e.SetFramesInY(row.n);
        EXPECT_TRUE(e.m_fOneOverFramesInX == row.x && e.m_fOneOverFramesInY == row.y) << row.n;
    }
    const struct { int16_t fps; int32_t ticks; } rates[] = {{30, 33}, {0, 0}, {-5, 0}, {1, 1000}, {1001, 0}};
    for (const auto& row : rates) {
        e.SetFramesPerSecond(row.fps);
        EXPECT_EQ(e.m_nMillisecondsPerFrame, row.ticks) << row.fps;
    }
    const struct { float share, zero, up, full, slope; } blinks[] = {{0.2f, 0.4f, 0.5f, 0.9f, 10},
                                                                      {0, 0.5f, 0.5f, 1, 0}};
    for (const auto& row : blinks) {
        e.SetBlinkFadePercent(row.share);
        EXPECT_FLOAT_EQ(e.m_fAlphaZeroEnd, row.zero);
        EXPECT_FLOAT_EQ(e.m_fAlphaUpEnd, row.up);
        EXPECT_FLOAT_EQ(e.m_fAlphaFullEnd, row.full);
        EXPECT_FLOAT_EQ(e.m_fOOSlopeLength, row.slope);
    }
    e.SetColorStart(0.5f, 0.5f, 0.5f);
    e.SetColorEnd(0.5f, 0.5f, 0.5f);
    EXPECT_FALSE(e.m_bInterpolateColor);
    e.SetColorEnd(0.5f, 0.5f, 0.50000006f);
    EXPECT_TRUE(e.m_bInterpolateColor);
    e.SetStartSize(0.5f);
    e.SetEndSize(0.25f);
    e.SetSizeTolerance(0.1f);
    EXPECT_FLOAT_EQ(e.m_fMaxParticleRadius, 1.414f * (0.5f + 0.99f * 0.1f));
    EXPECT_EQ(e.m_particleMinMax[0], mVec3(-0.25f, -0.25f, -0.25f));
    e.SetFadeOutTime(cTimeValue(-4));
    EXPECT_EQ(e.m_fOneOverFadeOutTime, 0.0f);
    e.SetRandomRoll(true);
    e.SetOrientAlongVelocity(true);
    EXPECT_FALSE(e.m_bRandomRoll);
    e.SetRandomRoll(true);
    e.SetOrientation(eParticleEmitter::VERTICAL);
    EXPECT_FALSE(e.m_bRandomRoll || e.m_bOrientAlongVelocity);
}

TEST_F(eParticleEmitterTest, SuggestedSlotsAndAcceleration)
{
    eParticleEmitter e;
    e.m_nMaxParticles = 7;
    const struct { int lifetime, delay, slots; } rows[] = {{1000, 100, 10}, {1000, 0, 7}, {0, 100, 7}, {1000, 300, 4}};
    for (const auto& row : rows) {
        e.SetLifetime(cTimeValue(row.lifetime));
        e.SetBirthDelay(cTimeValue(row.delay));
        EXPECT_EQ(e.GetSuggestedMaxParticles(), row.slots) << row.lifetime << " " << row.delay;
    }
    const mVec3 wind = eParticleSystem::s_wind;
    const mVec3 gravity = eParticleSystem::s_gravity;
    EXPECT_EQ(gravity, mVec3(0, 0, -9.8f / 600 / 600));
    eParticleSystem::s_wind.Set(1, 2, 0);
    eParticleSystem::s_gravity.Set(0, 0, -4);
    e.SetWindScale(0.5f);
    e.SetGravityScale(2);
    mVec3 a;
    e.ComputeAcceleration(a);
    EXPECT_EQ(a, mVec3(0.5f, 1, -8));
    eParticleSystem::s_wind = wind;
    eParticleSystem::s_gravity = gravity;
}

TEST_F(eParticleEmitterTest, SizeAndAtlasFramesAtAnAge)
{
    eParticleEmitter e;
    eParticle p{};
    p.fStartSize = 1;
    p.lifetime = cTimeValue(1000);
    p.timeAlive = cTimeValue(250);
    e.SetEndSize(3);
    EXPECT_EQ(e.GetCurrentParticleSize(&p), 1.5f);
    e.SetEndSize(0);
    EXPECT_EQ(e.GetCurrentParticleSize(&p), 1.0f);  // an end size of 0 keeps the birth size
    e.SetEndSize(3);
    p.lifetime = cTimeValue(0);
    EXPECT_EQ(e.GetCurrentParticleSize(&p), 1.0f);

    struct Row { const char* why; int16_t columns, rows, fps, start, end; bool randomStart; uint8_t nStart;
        int lifetime, age; mVec2 first, second; };
    const Row rows[] = {
        {"4 x 4 at 10 a second, age 250: frame 2", 4, 4, 10, 0, 15, false, 0, 1000, 250, {0.5f, 0}, {0.75f, 0.25f}},
        {"the birth offset shifts the clock", 4, 4, 10, 0, 15, false, 3, 1000, 250, {0.25f, 0.25f}, {0.5f, 0.5f}},
        {"past the end frame the loop restarts", 4, 4, 10, 1, 3, false, 0, 1000, 300, {0.25f, 0}, {0.5f, 0.25f}},
        {"reversed, 300 ticks left: 2 + 3 % 4", 4, 4, 10, 5, 2, false, 0, 400, 100, {0.25f, 0.25f}, {0.5f, 0.5f}},
        {"reversed, 199 ticks left: frame 3", 4, 4, 10, 5, 2, false, 0, 400, 201, {0.75f, 0}, {1, 0.25f}},
        {"no frame rate, random start: its own frame", 4, 4, 0, 5, 9, true, 7, 1000, 250, {0.75f, 0.25f}, {1, 0.5f}},
        {"no atlas: the whole texture", 1, 1, 10, 0, 15, false, 0, 1000, 250, {0, 0}, {1, 1}},
        {"rows without columns: frame 0 across", 0, 4, 10, 0, 15, false, 0, 1000, 250, {0, 0}, {1, 0.25f}},
        {"no rows: the frame's column, rows scaled by 0", 4, 0, 10, 0, 15, false, 0, 1000, 250, {0.5f, 0}, {0.75f, 0}},
        {"-2 rows: frame 6 scaled by -0.5", 4, -2, 10, 0, 15, false, 0, 1000, 650, {0.5f, -0.5f}, {0.75f, -1}},
        {"too fast for a tick: frame 0", 4, 4, 2000, 0, 15, false, 0, 1000, 250, {0, 0}, {0.25f, 0.25f}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        e.SetFramesInX(row.columns);
        e.SetFramesInY(row.rows);
        e.SetFramesPerSecond(row.fps);
        e.SetStartFrame(row.start);
        e.SetEndFrame(row.end);
        e.m_bRandomStartFrame = row.randomStart;
        p.nStartFrame = row.nStart;
        p.lifetime = cTimeValue(row.lifetime);
        p.timeAlive = cTimeValue(row.age);
        mVec2 first(-1, -1), second(-1, -1);
        e.GetCurrentParticleAnimUVs(&p, first, second);
        EXPECT_EQ(first, row.first);
        EXPECT_EQ(second, row.second);
    }
}

TEST_F(eParticleEmitterTest, Version17FieldsSitAtTheirOffsets)
{
    const eParticleEmitter src = Distinct();
    {
        cFile raw;  // the block alone, as an effect template stores it
        ASSERT_TRUE(raw.Create(m_data.HostPath("v17.dat").c_str(), 0, cFile::kPlatformConsole, true));
        src.Write(raw);
    }
    const std::vector<uint8_t> bytes = ReadHostFile(m_data.HostPath("v17.dat"));
    ASSERT_EQ(bytes.size(), kPayload + eParticleEmitter::kPayloadBytes + 4 + 4);  // end marker, trailer
    EXPECT_EQ(bytes, File(src, 17).GetBytes());
    const uint8_t* p = bytes.data() + kPayload;
    EXPECT_EQ(ps::LoadU32BE(p + eParticleEmitter::kPayloadBytes), cFile::kBlockEnd);
    const struct { int offset, width; uint32_t value; } words[] = {
        {0, 2, 0x0102}, {2, 4, 0x03040506}, {6, 2, 3}, {8, 4, 1}, {16, 4, 1200}, {58, 2, 0xFFFB}, {60, 4, 60},
        {142, 2, 0xFFFE}, {144, 2, 30}, {146, 4, 0xCAFE0007}, {154, 4, 80}, {158, 4, 1}, {286, 2, 19}, {288, 4, 1},
    };
    for (const auto& f : words)
        EXPECT_EQ(f.width == 2 ? ps::LoadU16BE(p + f.offset) : ps::LoadU32BE(p + f.offset), f.value) << f.offset;
    const struct { int offset; float value; } floats[] = {
        {20, 0.25f}, {48, 0.0625f}, {72, 3}, {88, 0.2f}, {104, 0}, {136, 2}, {170, 9}, {174, 0.375f}, {178, 10},
        {226, 13}, {238, -1}, {274, 16}, {292, 20}, {316, 26}, {332, 1}, {340, 29}, {344, 0.875f},
    };
    for (const auto& f : floats)
        EXPECT_EQ(ps::LoadF32BE(p + f.offset), f.value) << f.offset;
}

}  // namespace
