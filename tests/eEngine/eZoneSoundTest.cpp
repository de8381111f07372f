#include "eEngine/eZone.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "eEngine/eListener.h"
#include "eEngine/eSound.h"
#include "eEngine/eSoundData.h"
#include "worldTestSupport.h"

namespace {

class eZoneSoundTest : public WorldZoneTest {
protected:
    void SetUp() override
    {
        WorldZoneTest::SetUp();
        ASSERT_TRUE(m_a.CreateSndOctree(Tree(), &m_pool));
        ASSERT_TRUE(m_b.CreateSndOctree(Tree(), &m_pool));
        m_data.m_length = 100;
        eListener::Initialize();
    }
    void TearDown() override
    {
        eListener::Initialize();
        WorldZoneTest::TearDown();
    }

    void Place(eSound* s, const mVec3& at, float radius = 5, bool bLooping = true)
    {
        s->m_pSoundData = &m_data;
        s->m_nFlags = eSound::kFlagActive;
        s->m_fRadius = radius;
        s->m_bLooping = bLooping;
        s->m_localToZone.origin = at;
    }

    std::vector<int> Offered(const mVec3& p, const std::vector<eSound*>& v)
    {
        eListener::Initialize();
        mOCS listener;
        listener.MakeIdentity();
        listener.origin = p;
        eZone::CullAllSounds(listener);
        std::vector<int> got;
        for (int i = 0; i < eListener::s_nNeedPlaying; ++i)
            got.push_back(static_cast<int>(std::find(v.begin(), v.end(), eListener::s_pNeedsPlaying[i]) - v.begin()));
        return got;
    }

    eSoundData m_data;
};

TEST_F(eZoneSoundTest, SoundsAreOfferedWithinTheirRadiusOnly)
{
    eSound near, quiet, beyond;
    Place(&near, {10, 0, 0});
    Place(&quiet, {10, 0, 0});
    quiet.m_nFlags = 0;  // not positional: never filed
    Place(&beyond, {-300, 0, 0});  // outside the tree: not filed either
    for (eSound* s : {&near, &quiet, &beyond})
        m_a.AddSound(s);
    EXPECT_GE(near.m_nSndNodeIndex, 0);
    EXPECT_EQ(quiet.m_nSndNodeIndex, -1);
    EXPECT_EQ(beyond.m_nSndNodeIndex, -1);
    const std::vector<eSound*> all = {&near, &quiet, &beyond};
    const struct { const char* why; mVec3 listener; std::vector<int> want; } rows[] = {
        {"at the centre", {10, 0, 0}, {0}},
        {"exactly at the radius", {15, 0, 0}, {0}},
        {"just beyond it", {15.001f, 0, 0}, {}},
        {"diagonally at the radius", {13, 4, 0}, {0}},
        {"outside every zone's tree", {500, 0, 0}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(Offered(row.listener, all), row.want);
    }
    m_a.RemoveSound(&near);
}

TEST_F(eZoneSoundTest, AFinishedOneShotIsNotFiledAgain)
{
    eSound s;
    Place(&s, {10, 10, 10}, 1, false);
    s.m_timeAlive = cTimeValue(99);
    m_a.AddSound(&s);
    const int16_t node = s.m_nSndNodeIndex;
    ASSERT_GE(node, 0);
    s.m_timeAlive = cTimeValue(100);  // played its length
    s.m_localToZone.origin.Set(-10, -10, -10);
    m_a.AddSound(&s);
    EXPECT_EQ(s.m_nSndNodeIndex, node);  // it stays where it was until removed
    s.m_bLooping = true;                 // a loop never finishes
    m_a.AddSound(&s);
    EXPECT_NE(s.m_nSndNodeIndex, node);
    s.m_nFlags = 0;
    m_a.RemoveSound(&s);  // not positional any more: left alone
    EXPECT_GE(s.m_nSndNodeIndex, 0);
    s.m_nFlags = eSound::kFlagActive;
    s.m_localToZone.origin.Set(80, 0, 0);  // out of the tree: unfiled
    m_a.AddSound(&s);
    EXPECT_EQ(s.m_nSndNodeIndex, -1);
    EXPECT_EQ(m_a.m_pSndNodes[0].nSoundCount, 0);
}

TEST_F(eZoneSoundTest, TheWalkGoesZoneByZoneInRingOrderAndStopsAtThirtyTwo)
{
    std::vector<std::unique_ptr<eSound>> sounds;
    std::vector<eSound*> all;
    for (int i = 0; i < 40; ++i) {
        sounds.push_back(std::make_unique<eSound>());
        all.push_back(sounds.back().get());
        const bool bInB = i < 5;
        Place(all.back(), bInB ? mVec3(-49, 0, 0) : mVec3(49, 0, 0), 4);
        (bInB ? m_b : m_a).AddSound(all.back());
    }
    const std::vector<int> got = Offered(mVec3(49.5f, 0, 0), all);
    ASSERT_EQ(got.size(), 32u);
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(got[i], i + 5) << i;  // zone A (slot 0) first, in filing order
    const int16_t node = all[5]->m_nSndNodeIndex;
    m_a.RemoveSound(all[5]);
    EXPECT_EQ(m_a.m_pSndNodes[node].pSound, all[6]);
    for (int i = 0; i < 40; ++i)
        (i < 5 ? m_b : m_a).RemoveSound(all[i]);
    EXPECT_EQ(m_a.m_pSndNodes[0].nSoundCount + m_b.m_pSndNodes[0].nSoundCount, 0);
}

TEST_F(eZoneSoundTest, SoundsAndTheListenerReachTheZonesOnceInitialized)
{
    ASSERT_TRUE(eZone::Initialize());
    eSound s;
    Place(&s, {20, 0, 0});
    s.m_nFlags = 0;
    s.SetZone(&m_a);
    s.SetFlagsOnOff(eSound::kFlagActive, 0);  // files it through the zone
    EXPECT_GE(s.m_nSndNodeIndex, 0);
    EXPECT_EQ(Offered(mVec3(22, 0, 0), {&s}), std::vector<int>{0});
    s.SetFlagsOnOff(0, eSound::kFlagActive);
    EXPECT_EQ(s.m_nSndNodeIndex, -1);
    s.SetZone(nullptr);
    eZone::Uninitialize();
}

}  // namespace
