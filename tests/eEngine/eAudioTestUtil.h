#pragma once
// Shared set-up of the mixer and sound tests: the audio platform started once
// with frames run by hand and the console settings kept in a temporary
// folder; before each test every channel is freed, the group faders, master
// volume and magic number are reset, stereo is forced and the listener is
// emptied. Sounds with real audio-memory blocks come from MakeSound.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "../test/audio_test.h"
#include "../test/os_test.h"
#include "cCore/cMemPool.h"
#include "eEngine/eAudio.h"
#include "eEngine/eAudioPlatform.h"
#include "eEngine/eListener.h"
#include "eEngine/eSoundData.h"
#include "eEngine/eSoundWaveData.h"
#include "platform/ax.h"
#include "platform/mix.h"
#include "tempDir.h"

class eAudioTest : public testing::Test {
protected:
    void SetUp() override
    {
        static const bool s_bStarted = [] {
            static TempDir s_dir("qm_audio");  // removed at exit with the other statics
            OSTestSetSettingsDir(s_dir.c_str());
            AITestSetManualFrames(TRUE);
            return eAudioPlatform::Initialize();
        }();
        ASSERT_TRUE(s_bStarted);
        for (int i = 0; i < eAudio::kNumChannels; ++i)
            eAudio::FreeChannel(i);
        for (eAudioChannelGroupInfo& g : eAudio::s_channelGroups) {
            g.bPaused = false;
            for (eAudioFader& f : g.faders)
                f = eAudioFader();
        }
        eAudio::s_fMasterVolume = 1.0f;
        eAudio::s_nMagicNum = 0;
        eAudio::SetOutputMode(eAudio::AOM_STEREO, true);
        eListener::Initialize();
        m_nBaseBlocks = ARTestLiveBlocks();
    }
    void TearDown() override
    {
        for (int i = 0; i < eAudio::kNumChannels; ++i)
            eAudio::FreeChannel(i);
        DestroySounds();
        EXPECT_EQ(ARTestLiveBlocks(), m_nBaseBlocks) << "audio memory released exactly once";
        m_pool.Reset();
    }

    // A sound of lengthTicks with an audio-memory block of its own (whatever
    // it holds), destroyed (its block released) at the end of the test.
    eSoundData* MakeSound(int lengthTicks, int frequency = 32000, bool bLooping = false, uint32_t bytes = 64)
    {
        eSoundData* p = m_pool.New<eSoundData>();
        eSoundWaveData* w = m_pool.New<eSoundWaveData>();
        const uint32_t address = eAudioPlatform::AllocARAM(bytes);
        w->m_nStartAddress = address * 2;
        w->m_nEndAddress = address * 2 + 2 * bytes - 1;
        w->m_nByteSize = bytes;
        p->m_pWaveData = w;
        p->m_length = lengthTicks;
        p->m_nFrequency = frequency;
        p->m_bLooping = bLooping;
        m_sounds.push_back(p);
        return p;
    }
    void DestroySounds()
    {
        for (auto it = m_sounds.rbegin(); it != m_sounds.rend(); ++it)
            std::destroy_at(*it);
        m_sounds.clear();
    }

    static eAudioChannel& ChannelOf(int handle) { return eAudio::s_channels[handle & 0xFF]; }
    static AXVPB* VoiceOf(int handle) { return ChannelOf(handle).pPlatformData; }
    static void Tick(int n, int ticks = 1)
    {
        mOCS listener;
        listener.MakeIdentity();
        for (int i = 0; i < n; ++i)
            eAudio::Update(cTimeValue(ticks), listener);
    }

    cMemPool m_pool{"audioTest", 0x40000, false};
    std::vector<eSoundData*> m_sounds;
    int m_nBaseBlocks = 0;
};
