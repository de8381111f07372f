#include "eEngine/eAnimation.h"

#include "platform/ps.h"
#include "modelTestSupport.h"
#include "zoneTestSupport.h"

namespace {

mQuat AboutZ(float degrees)
{
    mQuat q;
    q.SetAxisAngle(mVec3(0, 0, 1), degrees);
    return q;
}

datagen::AnimationDesc RampDesc(int frames, bool bLooping = true)
{
    datagen::AnimationDesc a;
    a.name = "ramp";
    a.frames = frames;
    a.bLooping = bLooping;
    a.nodes.resize(2);
    a.nodes[0].rotations = {AboutZ(90)};
    a.nodes[1].positions = {mVec3(1, 2, 3)};
    for (int k = 0; k < frames; ++k) {
        a.nodes[0].positions.push_back(mVec3(static_cast<float>(k), 0, 0));
        a.nodes[1].rotations.push_back(AboutZ(10.0f * static_cast<float>(k)));
    }
    return a;
}

class eAnimationTest : public testing::Test {
protected:
    void TearDown() override { ClearModelManagers(); }
    eAnimation* Load(const datagen::AnimationDesc& desc) { return PlaceAnimation(m_data, &m_pool, 1, desc); }

    eTestDataDir m_data;
    cMemPool m_pool{"animTest", 0x40000, false};
};

TEST(eAnimationTime, TimesMapToFramesWrappedOrHeld)
{
    const struct { const char* name; bool bLooping; int16_t frames; int32_t length, time, usedTime, key0, key1;
        float fraction; } rows[] = {
        {"loop end wraps to frame 0", true, 51, 1000, 1000, 0, 0, 1, 0.0f},
        {"loop twice and a half", true, 51, 1000, 2500, 500, 25, 26, 0.0f},
        {"loop mid-frame", true, 51, 1000, 530, 530, 26, 27, 0.5f},
        {"held past the end", false, 51, 1000, 1500, 1000, 50, 50, 0.0f},
        {"held mid-frame", false, 51, 1000, 510, 510, 25, 26, 0.5f},
        {"no length: frame 0", true, 51, 0, 777, 0, 0, 0, 0.0f},
        {"one frame never interpolates", true, 1, 1000, 130, 130, 0, 0, 0.5f},
        {"frames the length overruns are clamped", false, 10, 1000, 990, 990, 9, 9, 0.5f},
        {"a negative time keeps its sign", true, 51, 1000, -1010, -10, 0, 1, -0.5f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        eAnimation a;
        a.m_bLooping = row.bLooping;
        a.m_nFrames = row.frames;
        a.m_length = cTimeValue(row.length);
        a.m_frameLength = cTimeValue(20);
        eAnimation::Frames f;
        EXPECT_EQ(a.TimeToFrames(cTimeValue(row.time), &f).m_nTicks, row.usedTime);
        EXPECT_EQ(f.key0, row.key0);
        EXPECT_EQ(f.key1, row.key1);
        EXPECT_FLOAT_EQ(f.fraction, row.fraction);
    }
}

TEST_F(eAnimationTest, ConstantTracksHoldWhileTheOtherTrackAnimates)
{
    const eAnimation* a = Load(RampDesc(5));
    ASSERT_NE(a, nullptr);
    mVec3 pos[2];
    mQuat rot[2];
    EXPECT_EQ(a->Apply(cTimeValue(50), 1.0f, pos, rot).m_nTicks, 50);
    EXPECT_NEAR(pos[0].x, 2.5f, 1e-6f);
    EXPECT_TRUE(QuatNear(rot[0], AboutZ(90), 2e-4f));
    EXPECT_EQ(pos[1], mVec3(1, 2, 3));
    EXPECT_TRUE(QuatNear(rot[1], AboutZ(25), 2e-4f));
    EXPECT_EQ(rot[0].w, static_cast<float>(ps::QuantS16(AboutZ(90).w, 14)) / 16384.0f);
}

TEST_F(eAnimationTest, WeightsOverwriteBlendOrLeaveThePose)
{
    const eAnimation* a = Load(RampDesc(5));
    ASSERT_NE(a, nullptr);
    const struct { float weight; float x; float degrees; } rows[] = {
        {1.0f, 2.0f, 20.0f},  // overwrites
        {0.5f, 6.0f, 15.0f},  // halfway from (10, 10 degrees) toward (2, 20 degrees)
        {0.0f, 10.0f, 10.0f}, // unchanged
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.weight);
        mVec3 pos[2] = {mVec3(10, 0, 0), mVec3(0, 0, 0)};
        mQuat rot[2] = {AboutZ(0), AboutZ(10)};
        a->Apply(cTimeValue(40), row.weight, pos, rot);
        EXPECT_NEAR(pos[0].x, row.x, 1e-5f);
        EXPECT_TRUE(QuatNear(rot[1], AboutZ(row.degrees), 2e-4f));
    }
}

TEST_F(eAnimationTest, DeltasAreDifferencesOrSumsAcrossTheLoopEnd)
{
    const eAnimation* a = Load(RampDesc(30));  // frames 0-29, 580 ticks
    ASSERT_NE(a, nullptr);
    const struct { const char* name; int from, to; float dx, degrees; } rows[] = {
        {"within the loop", 30, 130, 5.0f, 50.0f}, {"across the loop end", 570, 30, 2.0f, 20.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        mVec3 d(0, 0, 0);
        mQuat q(0, 0, 0, 1);
        a->CalcNodeDelta(0, cTimeValue(row.from), cTimeValue(row.to), 1.0f, &d, &q);
        EXPECT_NEAR(d.x, row.dx, 1e-4f);
        a->CalcNodeDelta(1, cTimeValue(row.from), cTimeValue(row.to), 1.0f, &d, &q);
        EXPECT_TRUE(QuatNear(q, AboutZ(row.degrees), 5e-4f));
    }
    mVec3 d(7, 7, 7);
    mQuat q(1, 2, 3, 4);
    a->CalcNodeDelta(2, cTimeValue(0), cTimeValue(100), 1.0f, &d, &q);
    a->CalcNodeDelta(-1, cTimeValue(0), cTimeValue(100), 1.0f, &d, &q);
    EXPECT_EQ(d, mVec3(7, 7, 7));
    EXPECT_EQ(q.w, 4.0f);
}

// A two-frame loop (one key interval, 20 ticks) walks on across its end:
// both ends of a wrapped step lie between the same two keys.
TEST_F(eAnimationTest, AStepAcrossTheEndOfATwoFrameLoopStillMovesForward)
{
    const eAnimation* a = Load(RampDesc(2));  // x from 0 to 1 over 20 ticks
    ASSERT_NE(a, nullptr);
    const struct { int from, to; float dx; } rows[] = {
        {15, 25, 0.5f},   // 0.25 to the end, 0.25 from the start
        {19, 21, 0.1f},
        {5, 15, 0.5f},    // within the loop
        {25, 35, 0.5f},   // within the second pass
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.from << " to " << row.to);
        mVec3 d(0, 0, 0);
        mQuat q(0, 0, 0, 1);
        a->CalcNodeDelta(0, cTimeValue(row.from), cTimeValue(row.to), 1.0f, &d, &q);
        EXPECT_NEAR(d.x, row.dx, 1e-4f);
    }
}

TEST_F(eAnimationTest, AWrappedDeltaTurnsToTheEndFirstThenFromTheStart)
{
    datagen::AnimationDesc desc = RampDesc(4);
    desc.nodes.resize(1);
    mQuat aboutX;
    aboutX.SetAxisAngle(mVec3(1, 0, 0), 90);
    desc.nodes[0].positions = {mVec3(5, 0, 0), mVec3(6, 0, 0), mVec3(7, 0, 0), mVec3(9, 0, 0)};
    desc.nodes[0].rotations = {AboutZ(0), AboutZ(90), AboutZ(0), aboutX};
    const eAnimation* a = Load(desc);
    ASSERT_NE(a, nullptr);
    mVec3 d;
    mQuat q;
    a->CalcNodeDelta(0, cTimeValue(40), cTimeValue(20), 1.0f, &d, &q);
    EXPECT_NEAR(d.x, 3.0f, 1e-5f);
    mQuat want, reversed;
    want.Mult(aboutX, AboutZ(90));
    reversed.Mult(AboutZ(90), aboutX);
    ASSERT_FALSE(QuatNear(want, reversed, 0.1f));
    EXPECT_TRUE(QuatNear(q, want, 5e-4f));
}

TEST_F(eAnimationTest, AKeyBlockOfVersionZeroEvaluatesNoNodes)
{
    datagen::AnimationDesc desc = RampDesc(4);
    desc.keyVersion = 0;
    const eAnimation* a = Load(desc);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->m_nNodes, 2);
    EXPECT_EQ(a->GetNumNodes(), 0);
    mVec3 pos[2] = {mVec3(5, 5, 5), mVec3(5, 5, 5)};
    mQuat rot[2] = {mQuat(0, 0, 0, 1), mQuat(0, 0, 0, 1)};
    EXPECT_EQ(a->Apply(cTimeValue(30), 1.0f, pos, rot).m_nTicks, 30);
    EXPECT_EQ(pos[0], mVec3(5, 5, 5));
    a->CalcNodeDelta(0, cTimeValue(0), cTimeValue(30), 1.0f, pos, rot);
    EXPECT_EQ(pos[0], mVec3(5, 5, 5));
}

TEST_F(eAnimationTest, BrokenKeyDataIsRefused)
{
    const struct { const char* why; void (*damage)(datagen::AnimationDesc&); } rows[] = {
        {"frames of no length under a length", [](datagen::AnimationDesc& a) { a.frameLength = 0, a.length = 100; }},
        {"a negative length", [](datagen::AnimationDesc& a) { a.length = -20; }},
        {"a track without keys", [](datagen::AnimationDesc& a) { a.nodes[1].positions.clear(); }},
        {"fewer keys than frames", [](datagen::AnimationDesc& a) { a.nodes[0].positions.pop_back(); }},
        {"a negative frame count", [](datagen::AnimationDesc& a) { a.frames = -3; }},
    };
    LogCatcher quiet;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        datagen::AnimationDesc desc = RampDesc(4);
        row.damage(desc);
        ASSERT_TRUE(datagen::WriteAnimationFile(m_data.HostPath("bad.anm"), desc));
        eAnimation a;
        EXPECT_FALSE(ReadObjectFile("bad.anm", &a, &m_pool));
        EXPECT_EQ(a.m_pAnimationData, nullptr);
    }
    datagen::BlockWriter w;
    w.Header().Begin(1).Word(eAnimation::GetStaticType()->m_nTypeId).Begin(4);
    w.Begin(1).Begin(1).End().Name("x").End();
    w.Half(1).Half(2).Int(20).Int(0).Int(1);
    w.Begin(1).Half(0).Half(1).Half(0).Half(1).Half(0).Half(1).Half(0).Half(1);
    w.Int(2).Half(0).Half(0).Half(0).Half(0x4000).Half(0).Half(0).Half(0).Half(0x4000);
    w.Int(2).Half(0).Half(0).Half(0).Half(0).Half(0).Half(0);
    w.End().End().End().Trailer();
    ASSERT_TRUE(w.Save(m_data.HostPath("sums.anm")));
    eAnimation a;
    EXPECT_FALSE(ReadObjectFile("sums.anm", &a, &m_pool));
}

}  // namespace
