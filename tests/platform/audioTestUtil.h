#pragma once
// Shared set-up of the audio-layer tests: the libraries started with frames
// run by hand, audio memory emptied, every voice freed and the mixer's
// channels released before each test, and helpers to put samples into audio
// memory and to run frames.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "../test/audio_test.h"
#include "platform/ai.h"
#include "platform/ar.h"
#include "platform/ax.h"
#include "platform/mix.h"
#include "platform/ps.h"

class AudioLayerTest : public testing::Test {
protected:
    static constexpr int kFrameValues = 2 * AX_FRAME_SAMPLES;

    void SetUp() override
    {
        AITestSetManualFrames(TRUE);
        AXInit();
        static uint32_t s_table[256];
        ARInit(s_table, 256);
        ARQInit();
        ARTestFreeAll();
        MIXInit();
        MIXSetSoundMode(MIX_SOUND_MODE_STEREO);
        AXSetMode(AX_MODE_STEREO);
        AXRegisterCallback(nullptr);
        for (AXVPB* v : m_voices)
            AXFreeVoice(v);
        m_voices.clear();
    }
    void TearDown() override
    {
        for (AXVPB* v : m_voices)
            AXFreeVoice(v);
        m_voices.clear();
        AXRegisterCallback(nullptr);
        ARTestFreeAll();
    }

    // Copies bytes (padded to 32) into a new audio-memory block; its address.
    static uint32_t Upload(const std::vector<uint8_t>& bytes)
    {
        std::vector<uint8_t> padded(bytes);
        padded.resize((bytes.size() + 31) & ~size_t(31));
        const uint32_t address = ARAlloc(static_cast<uint32_t>(padded.size()));
        EXPECT_NE(address, 0u);
        ARQRequest request;
        ARQPostRequest(&request, 0, ARQ_TYPE_MRAM_TO_ARAM, ARQ_PRIORITY_HIGH, reinterpret_cast<uintptr_t>(padded.data()),
                       address, static_cast<uint32_t>(padded.size()), nullptr);
        return address;
    }
    static std::vector<uint8_t> Pcm16Bytes(const std::vector<int16_t>& samples)
    {
        std::vector<uint8_t> b(samples.size() * 2);
        for (size_t i = 0; i < samples.size(); ++i)
            ps::StoreS16BE(b.data() + 2 * i, samples[i]);
        return b;
    }

    // A running PCM16 voice over samples at their audio-memory address, full
    // volume on the left only, ratio 1.0.
    AXVPB* Pcm16Voice(uint32_t byteAddress, uint32_t count, bool bLoop, uint32_t loopSample = 0)
    {
        AXVPB* v = Acquire();
        AXPBADDR addr;
        addr.format = AX_PB_FORMAT_PCM16;
        addr.loopFlag = bLoop ? 1 : 0;
        addr.currentAddress = byteAddress / 2;
        addr.endAddress = byteAddress / 2 + count - 1;
        addr.loopAddress = byteAddress / 2 + loopSample;
        AXSetVoiceAddr(v, &addr);
        Start(v, AX_VOLUME_UNITY, 0);
        return v;
    }
    // Sets the voice running at volume exactly 1.0 (samples pass unchanged)
    // with these left and right mix levels.
    static void Start(AXVPB* v, uint16_t left, uint16_t right)
    {
        const AXPBVE ve{AX_VOLUME_UNITY, 0};
        AXSetVoiceVe(v, &ve);
        const AXPBMIX mix{left, right, 0};
        AXSetVoiceMix(v, &mix);
        AXSetVoiceState(v, AX_PB_STATE_RUN);
    }
    AXVPB* Acquire()
    {
        AXVPB* v = AXAcquireVoice(1, nullptr, 0);
        EXPECT_NE(v, nullptr);
        m_voices.push_back(v);
        return v;
    }

    // Runs frames; the played values, left then right.
    static std::vector<int16_t> Run(int frames)
    {
        std::vector<int16_t> out(static_cast<size_t>(frames) * kFrameValues);
        AITestRunFrames(frames, out.data());
        return out;
    }
    static std::vector<int16_t> Channel(const std::vector<int16_t>& frames, int side)
    {
        std::vector<int16_t> out;
        for (size_t i = static_cast<size_t>(side); i < frames.size(); i += 2)
            out.push_back(frames[i]);
        return out;
    }

    std::vector<AXVPB*> m_voices;
};
