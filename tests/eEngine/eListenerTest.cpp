#include "eEngine/eListener.h"

#include "eAudioTestUtil.h"
#include "eEngine/eSound.h"
#include "eEngine/eZone.h"

namespace {

std::vector<eSound*> s_offers;
void OfferListed(const mOCS&)
{
    for (eSound* s : s_offers)
        eListener::AddSoundToPlayList(s);
}

class eListenerTest : public eAudioTest {
protected:
    void SetUp() override
    {
        eAudioTest::SetUp();
        m_oldCull = eListener::SetCullAllSounds(OfferListed);
        s_offers.clear();
    }
    void TearDown() override
    {
        s_offers.clear();
        m_owned.clear();
        eListener::SetCullAllSounds(m_oldCull);
        eListener::Uninitialize();
        eAudioTest::TearDown();
    }
    eSound* ZoneSound(float x)
    {
        m_owned.push_back(std::make_unique<eSound>());
        eSound* s = m_owned.back().get();
        s->SetSoundData(MakeSound(600, 32000, true));
        s->m_bLooping = true;
        s->m_fRadius = 10.0f;
        s->SetZone(&m_zone);
        s->SetFlagsOnOff(eSound::kFlagActive, 0);
        s->m_localToZone.origin.Set(x, 0, 0);
        return s;
    }
    static void Frame(float listenerX)
    {
        mOCS listener;
        listener.MakeIdentity();
        listener.origin.Set(listenerX, 0, 0);
        eListener::Update(listener);
    }

    eZone m_zone;
    std::vector<std::unique_ptr<eSound>> m_owned;
    eListener::CullAllSoundsFunc m_oldCull = nullptr;
};

TEST_F(eListenerTest, AtMost32OffersAFrame)
{
    std::vector<eSound> sounds(40);
    for (eSound& s : sounds)
        eListener::AddSoundToPlayList(&s);
    ASSERT_EQ(eListener::s_nNeedPlaying, 32);
    EXPECT_EQ(eListener::s_pNeedsPlaying[31], &sounds[31]) << "the first 32 are kept, later ones dropped";
    eListener::Initialize();
    EXPECT_EQ(eListener::s_nNeedPlaying, 0);
}

TEST_F(eListenerTest, OfferedSoundsPlayAndStopBeyondTheirRadius)
{
    eSound* s = ZoneSound(5.0f);
    s_offers = {s};
    Frame(0.0f);
    const int first = s->m_nChannelId;
    ASSERT_TRUE(eAudio::IsValidHandle(first));
    EXPECT_EQ(eListener::s_nNumPlaying, 1);
    Frame(15.0f);
    EXPECT_EQ(s->m_nChannelId, first) << "at exactly its radius it plays on, and is not started twice";
    s_offers.clear();
    Frame(15.5f);
    EXPECT_EQ(s->m_nChannelId, -1) << "beyond its radius: stopped";
    EXPECT_FALSE(eAudio::IsValidHandle(first));
    s->m_timeAlive = cTimeValue(123);
    Frame(15.5f);
    s_offers = {s};
    Frame(0.0f);
    ASSERT_NE(s->m_nChannelId, -1) << "offered again: started again";
    EXPECT_EQ(ChannelOf(s->m_nChannelId).playTime, cTimeValue(123)) << "from its play position";
    for (void (*forget)() : {eListener::Initialize, eListener::Uninitialize}) {
        Frame(0.0f);
        forget();  // a map's start and end forget both lists
        EXPECT_EQ(eListener::s_nNeedPlaying + eListener::s_nNumPlaying, 0);
    }
}

TEST_F(eListenerTest, FullSoundEffectsGroupIsTriedAgainNextFrame)
{
    const eSoundData* filler = MakeSound(600, 32000, true);
    std::vector<int> handles;
    for (int i = 0; i < 22; ++i)
        handles.push_back(
            eAudio::Play(eAudio::ACG_SFX, filler, true, cTimeValue(0), 1.0f, false, 0.0f, mVec3(0, 0, 0)));
    eSound* s = ZoneSound(1.0f);
    s_offers = {s};
    Frame(0.0f);
    EXPECT_EQ(s->m_nChannelId, -1);
    eAudio::FreeChannel(handles[7]);
    Frame(0.0f);
    EXPECT_EQ(s->m_nChannelId & 0xFF, 17);
}

}  // namespace
