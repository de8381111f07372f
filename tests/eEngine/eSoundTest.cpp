#include "eEngine/eSound.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "eAudioTestUtil.h"
#include "eEngine/eSoundConfig.h"
#include "eEngine/eSoundData.h"
#include "eEngine/eZone.h"

namespace {

struct FilingCall {
    char op;  // 'a' add, 'r' remove
    const eZone* pZone;
    uint32_t flags;
};
std::vector<FilingCall> s_calls;
void RecordAdd(eZone* z, eSound* s) { s_calls.push_back({'a', z, s->m_nFlags}); }
void RecordRemove(eZone* z, eSound* s) { s_calls.push_back({'r', z, s->m_nFlags}); }

class eSoundTest : public eAudioTest {
protected:
    void SetUp() override
    {
        eAudioTest::SetUp();
        for (eZone* z : {&m_a, &m_b}) {
            z->m_volume.minCorner.Set(-50, -50, -50);
            z->m_volume.maxCorner.Set(50, 50, 50);
        }
        m_b.m_localToWorld.origin.Set(100, 0, 0);
        eZone::s_pZones[0] = &m_a;
        eZone::s_pZones[1] = &m_b;
        m_oldFiling = eSound::SetZoneFiling({RecordAdd, RecordRemove});
        s_calls.clear();
    }
    void TearDown() override
    {
        m_sound.reset();
        eSound::SetZoneFiling(m_oldFiling);
        eZone::s_pZones[0] = eZone::s_pZones[1] = nullptr;
        for (int slot : m_slots)
            eSoundDataMgr::s_pInstances[slot] = nullptr;
        eAudioTest::TearDown();
    }
    eSound& NewSound(const eSoundData* pData, bool bLooping, float radius = 10.0f)
    {
        m_sound = std::make_unique<eSound>();
        m_sound->SetSoundData(pData);
        m_sound->m_bLooping = bLooping;
        m_sound->m_fRadius = radius;
        return *m_sound;
    }
    eSoundDataHandle Register(int slot, eSoundData* p)
    {
        m_slots.push_back(slot);
        return eSoundDataMgr::Add(slot, p, 0x2222);
    }
    std::string Ops() const
    {
        std::string ops;
        for (const FilingCall& c : s_calls)
            ops += std::string(1, c.op) + (c.pZone == &m_a ? "A" : c.pZone == &m_b ? "B" : "?") + " ";
        return ops;
    }

    eZone m_a;
    eZone m_b;
    std::unique_ptr<eSound> m_sound;
    std::vector<int> m_slots;
    eSound::ZoneFiling m_oldFiling{};
};

TEST_F(eSoundTest, NewConfigFreesTheOldChannel)
{
    eSoundData* first = MakeSound(600, 32000, true);
    eSoundData* second = MakeSound(300);
    eSoundConfig config;
    config.hSound = Register(650, second);
    config.fRadius = 25.0f;
    config.fVolume = 0.5f;
    eSound& s = NewSound(first, true);
    s.Play();
    const int old = s.m_nChannelId;
    ASSERT_TRUE(eAudio::IsValidHandle(old));
    s.m_timeAlive = cTimeValue(40);
    s.SetConfig(config);
    EXPECT_FALSE(eAudio::IsValidHandle(old)) << "no channel is left playing without an owner";
    EXPECT_EQ(s.m_nChannelId, -1);
    EXPECT_EQ(s.m_pSoundData, second);
    EXPECT_EQ(s.m_fRadius, 25.0f);
    EXPECT_EQ(s.m_fVolume, 0.5f);
    EXPECT_FALSE(s.m_bLooping);
    EXPECT_EQ(s.m_timeAlive, cTimeValue(0));
    config.hSound = eSoundDataHandle(config.hSound.m_nValue ^ 0x10000);  // stale check value
    s.SetConfig(config);
    EXPECT_EQ(s.m_pSoundData, nullptr);
}

TEST_F(eSoundTest, OneShotFinishesAfterItsLengthAndStaysFinished)
{
    eSound& s = NewSound(MakeSound(10), false);
    s.SetZone(&m_a);
    s.SetFlagsOnOff(eSound::kFlagActive, 0);
    s.Play();
    eAudio::FreeChannel(s.m_nChannelId);
    ASSERT_TRUE(s.Update(&m_a, cTimeValue(0)));
    EXPECT_EQ(s.m_nChannelId, -1) << "a channel freed by the mixer is noticed";
    for (int i = 0; i < 11; ++i)
        ASSERT_TRUE(s.Update(&m_a, cTimeValue(1))) << i;
    EXPECT_EQ(s.m_timeAlive, cTimeValue(11));
    s.Play();
    ASSERT_NE(s.m_nChannelId, -1);
    s_calls.clear();
    EXPECT_FALSE(s.Update(&m_a, cTimeValue(1))) << "its play position passed 10 ticks";
    EXPECT_EQ(s.m_nFlags & eSound::kFlagActive, 0u);
    EXPECT_EQ(s.m_nChannelId, -1);
    EXPECT_EQ(Ops(), "rA ");
    s_calls.clear();
    s.SetFlagsOnOff(eSound::kFlagActive, 0);
    EXPECT_EQ(Ops(), "") << "a finished one-shot is not filed again";
    EXPECT_EQ(s.m_nFlags, eSound::kFlagActive);

    eSound& loop = NewSound(MakeSound(10), true);  // a looping sound never finishes
    loop.SetZone(&m_a);
    loop.m_timeAlive = cTimeValue(50);
    s_calls.clear();
    loop.SetFlagsOnOff(eSound::kFlagActive, 0);
    EXPECT_EQ(Ops(), "aA ");
    EXPECT_TRUE(loop.Update(&m_a, cTimeValue(1)));
}

TEST_F(eSoundTest, UpdateFindsTheZoneThatHoldsIt)
{
    struct Row {
        const char* name;
        mVec3 local;         // in zone A
        eZone* pGiven;
        eZone* pZone;        // afterwards
        mVec3 localAfter;
        uint32_t outside;
        const char* ops;
    };
    const Row rows[] = {
        {"stays in A", mVec3(10, 0, 0), &m_a, &m_a, mVec3(10, 0, 0), 0, "aA "},
        {"moves to B", mVec3(70, 0, 0), &m_a, &m_b, mVec3(-30, 0, 0), 0, "rA aB "},
        {"given B, still in A", mVec3(10, 0, 0), &m_b, &m_a, mVec3(10, 0, 0), 0, "aA "},
        {"in no zone", mVec3(500, 0, 0), &m_a, &m_a, mVec3(500, 0, 0), eSound::kFlagOutsideZones, "rA "},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        eSound& s = NewSound(MakeSound(600, 32000, true), true);
        s.SetZone(&m_a);
        s.SetFlagsOnOff(eSound::kFlagActive, 0);
        s.m_localToZone.origin = r.local;
        s_calls.clear();
        ASSERT_TRUE(s.Update(r.pGiven, cTimeValue(1)));
        EXPECT_EQ(s.m_pZone, r.pZone);
        EXPECT_TRUE(s.m_localToZone.origin.ApproxEqual(r.localAfter, 1e-4f));
        EXPECT_EQ(s.m_nFlags & (eSound::kFlagOutsideZones | eSound::kFlagReevaluate), r.outside);
        EXPECT_EQ(Ops(), r.ops);
        m_sound.reset();
    }
    const struct { float x; eZone* pZone; uint32_t outside; } steps[] = {
        {500, &m_a, eSound::kFlagOutsideZones}, {70, &m_b, 0}, {500, &m_b, eSound::kFlagOutsideZones}, {10, &m_b, 0}};
    eSound& wanderer = NewSound(MakeSound(600, 32000, true), true);
    wanderer.SetZone(&m_a);
    for (const auto& step : steps) {
        SCOPED_TRACE(step.x);
        wanderer.m_localToZone.origin.Set(step.x, 0, 0);
        wanderer.SetFlagsOnOff(eSound::kFlagReevaluate, 0);
        wanderer.Update(wanderer.m_pZone, cTimeValue(1));
        EXPECT_EQ(wanderer.m_pZone, step.pZone);
        EXPECT_EQ(wanderer.m_nFlags & eSound::kFlagOutsideZones, step.outside);
    }
    eSound& lone = NewSound(MakeSound(600, 32000, true), true);
    lone.SetFlagsOnOff(eSound::kFlagReevaluate, 0);
    s_calls.clear();
    lone.Update(&m_b, cTimeValue(1));
    EXPECT_EQ(lone.m_pZone, &m_b) << "a sound without zone takes the given one";
    EXPECT_EQ(Ops(), "aB aB ");
}

TEST_F(eSoundTest, ChannelFollowsVolumeTimesIntensityAndPosition)
{
    eSound& s = NewSound(MakeSound(600, 32000, true), true);
    s.SetZone(&m_b);
    s.m_localToZone.origin.Set(5, 0, 0);
    s.m_fVolume = 0.5f;
    s.m_fIntensity = 0.25f;
    s.Play();
    ASSERT_TRUE(eAudio::IsValidHandle(s.m_nChannelId));
    EXPECT_EQ(ChannelOf(s.m_nChannelId).fader.m_fVolume, 0.125f);
    EXPECT_TRUE(ChannelOf(s.m_nChannelId).position.ApproxEqual(mVec3(105, 0, 0), 1e-4f));
    s.m_fIntensity = 0.5f;
    s.m_localToZone.origin.Set(10, 0, 0);
    ASSERT_TRUE(s.Update(&m_b, cTimeValue(1)));
    EXPECT_EQ(ChannelOf(s.m_nChannelId).fader.m_fVolume, 0.25f);
    EXPECT_TRUE(ChannelOf(s.m_nChannelId).position.ApproxEqual(mVec3(110, 0, 0), 1e-4f));
    const int old = s.m_nChannelId;
    s.SetSoundData(MakeSound(300));
    EXPECT_FALSE(eAudio::IsValidHandle(old));
    EXPECT_EQ(s.m_nChannelId, -1);
    EXPECT_EQ(s.m_timeAlive, cTimeValue(0));
}

// Set going in its owner's tick, a sound is started by the listener after
// that tick: from its first sample, its position counting from the next
// tick on. New data or a new config starts the count again.
TEST_F(eSoundTest, ASoundSetGoingStartsFromItsFirstSample)
{
    struct Row {
        const char* what;
        bool bConfig;
    };
    for (const Row& r : {Row{"new data", false}, Row{"a new config", true}}) {
        eSound& s = NewSound(MakeSound(100), false);
        s.SetZone(&m_a);
        ASSERT_TRUE(s.Update(&m_a, cTimeValue(7)));
        EXPECT_EQ(s.m_timeAlive, cTimeValue(0)) << r.what << ": its first tick";
        ASSERT_TRUE(s.Update(&m_a, cTimeValue(7)));
        EXPECT_EQ(s.m_timeAlive, cTimeValue(7)) << r.what;
        if (r.bConfig) {
            eSoundConfig config;
            config.hSound = Register(7, MakeSound(100));
            config.fRadius = 10.0f;
            s.SetConfig(config);
        } else {
            s.SetSoundData(MakeSound(100));
        }
        s.SetFlagsOnOff(eSound::kFlagActive, 0);
        ASSERT_TRUE(s.Update(&m_a, cTimeValue(7)));
        s.Play();
        ASSERT_TRUE(eAudio::IsValidHandle(s.m_nChannelId)) << r.what;
        EXPECT_EQ(ChannelOf(s.m_nChannelId).playTime, cTimeValue(0)) << r.what << ": from its first sample";
        ASSERT_TRUE(s.Update(&m_a, cTimeValue(7)));
        EXPECT_EQ(s.m_timeAlive, cTimeValue(7)) << r.what;
        s.Stop();
    }
}

TEST_F(eSoundTest, DestroyedSoundLeavesNothingBehind)
{
    eSound& s = NewSound(MakeSound(600, 32000, true), true);
    s.SetZone(&m_a);
    s.SetFlagsOnOff(eSound::kFlagActive, 0);
    eListener::AddSoundToPlayList(&s);
    s.Play();
    const int h = s.m_nChannelId;
    s_calls.clear();
    m_sound.reset();
    EXPECT_FALSE(eAudio::IsValidHandle(h));
    EXPECT_EQ(Ops(), "rA ");
    EXPECT_EQ(eListener::s_nNeedPlaying, 0);
}

}  // namespace
