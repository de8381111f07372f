#include "platform/ax.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "audioTestUtil.h"
#include "audio/ax_local.h"
#include "datagen/soundWriters.h"

namespace {

class AXVoiceTest : public AudioLayerTest {};

std::vector<int16_t> Ramp(int n, int step)
{
    std::vector<int16_t> s(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        s[static_cast<size_t>(i)] = static_cast<int16_t>((i + 1) * step);
    return s;
}

TEST_F(AXVoiceTest, OneShotPlaysThroughItsInclusiveEndThenStops)
{
    const std::vector<int16_t> samples = Ramp(10, 100);
    AXVPB* v = Pcm16Voice(Upload(Pcm16Bytes(samples)), 10, false);
    std::vector<int16_t> expected = samples;
    expected.resize(AX_FRAME_SAMPLES, 0);
    EXPECT_EQ(Channel(Run(1), 0), expected);
    EXPECT_EQ(v->state, AX_PB_STATE_STOP);
    EXPECT_EQ(Channel(Run(1), 1), std::vector<int16_t>(AX_FRAME_SAMPLES, 0)) << "the right side has volume 0";
}

TEST_F(AXVoiceTest, LoopingVoiceReturnsToItsLoopAddressAcrossFrames)
{
    const std::vector<int16_t> samples = Ramp(6, 1000);
    Pcm16Voice(Upload(Pcm16Bytes(samples)), 6, true, 2);
    const std::vector<int16_t> left = Channel(Run(2), 0);
    for (size_t i = 0; i < left.size(); ++i) {
        const size_t expectedIndex = i < 6 ? i : 2 + (i - 6) % 4;
        ASSERT_EQ(left[i], samples[expectedIndex]) << i;
    }
}

TEST_F(AXVoiceTest, ConverterRatioAndType)
{
    const std::vector<int16_t> samples = {0, 1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000};
    struct Row {
        const char* name;
        uint16_t hi, lo;
        uint32_t type;
        std::vector<int16_t> expected;
    };
    const Row rows[] = {
        {"ratio 1", 1, 0, AX_SRC_TYPE_LINEAR, {0, 1000, 2000, 3000}},
        {"ratio 0.5 linear", 0, 0x8000, AX_SRC_TYPE_LINEAR, {0, 500, 1000, 1500, 2000}},
        {"ratio 0.5 none", 0, 0x8000, AX_SRC_TYPE_NONE, {0, 0, 1000, 1000, 2000}},
        {"ratio 2", 2, 0, AX_SRC_TYPE_LINEAR, {0, 2000, 4000, 6000, 8000, 0}},
        {"a ratio above 4 plays at 4", 9, 0, AX_SRC_TYPE_LINEAR, {0, 4000, 8000, 0}},
    };
    const uint32_t address = Upload(Pcm16Bytes(samples));
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        AXVPB* v = Pcm16Voice(address, static_cast<uint32_t>(samples.size()), false);
        const AXPBSRC src{r.hi, r.lo, 0};
        AXSetVoiceSrc(v, &src);
        AXSetVoiceSrcType(v, r.type);
        const std::vector<int16_t> left = Channel(Run(1), 0);
        for (size_t i = 0; i < r.expected.size(); ++i)
            EXPECT_EQ(left[i], r.expected[i]) << i;
        AXFreeVoice(v);
    }
}

TEST_F(AXVoiceTest, AdpcmVoiceDecodesFramesAndReloadsItsHistoryAtTheLoop)
{
    const datagen::AdpcmSound s = datagen::EncodeDspAdpcm(datagen::MakeSineTone(2000.0, 10000.0, 28));
    const uint32_t address = Upload(s.bytes);
    AXVPB* v = Acquire();
    AXSetVoiceAdpcm(v, s.header);
    AXPBADDR addr;
    addr.format = AX_PB_FORMAT_ADPCM;
    addr.loopFlag = 1;
    addr.loopAddress = address * 2;
    addr.endAddress = address * 2 + s.nEndOffset;
    addr.currentAddress = address * 2 + 2;
    AXSetVoiceAddr(v, &addr);
    Start(v, AX_VOLUME_UNITY, AX_VOLUME_UNITY);
    const std::vector<int16_t> decoded = datagen::DecodeDspAdpcm(s);
    const std::vector<int16_t> played = Channel(Run(1), 1);
    for (size_t i = 0; i < played.size(); ++i)
        ASSERT_EQ(played[i], decoded[i % 28]) << i;
}

TEST_F(AXVoiceTest, CurrentAddressInsideAFrameTakesThatFramesPredictorAndScale)
{
    const std::vector<uint8_t> frames = {0x00, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11,
                                         0x04, 0x12, 0x34, 0x56, 0x70, 0x00, 0x00, 0x00};
    const uint32_t address = Upload(frames);
    AXVPB* v = Acquire();
    uint8_t header[40] = {};
    AXSetVoiceAdpcm(v, header);
    AXPBADDR addr;
    addr.endAddress = address * 2 + 31;
    AXSetVoiceAddr(v, &addr);
    AXSetVoiceCurrentAddr(v, address * 2 + 16 + 2 + 2);  // frame 1, its third sample
    Start(v, AX_VOLUME_UNITY, 0);
    const std::vector<int16_t> left = Channel(Run(1), 0);
    EXPECT_EQ(left[0], 3 * 16);
    EXPECT_EQ(left[1], 4 * 16);
    EXPECT_EQ(left[4], 7 * 16);
    EXPECT_EQ(left[5], 0);
}

// The mixer reads ADPCM a frame's run at a time: the samples and the voice's
// address and decoder state match reading one sample at a time, through
// loops and ends that fall inside frames (and on a frame's header byte) and
// reads that stop mid-frame.
TEST_F(AXVoiceTest, AdpcmRunsReadAsSampleBySample)
{
    const datagen::AdpcmSound s = datagen::EncodeDspAdpcm(datagen::MakeSineTone(700.0, 9000.0, 300));
    const uint32_t base = Upload(s.bytes) * 2;
    struct Row {
        const char* name;
        bool bLoop;
        uint32_t start, loop, end;  // nibbles from the sound's start
    };
    const Row rows[] = {
        {"loop and end inside frames", true, 2, 37, 203},
        {"end on the last nibble of a frame, loop on a frame's first sample", true, 5, 18, 191},
        {"end on a frame's header nibble is passed over", true, 2, 50, 160},
        {"one-shot ending mid-frame", false, 3, 0, 121},
    };
    const uint32_t chunks[] = {1, 5, 14, 16, 97};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        AXVPB* v = Acquire();
        AXSetVoiceAdpcm(v, s.header);
        AXPBADPCMLOOP loop{0x23, 150, -90};
        AXSetVoiceAdpcmLoop(v, &loop);
        AXPBADDR addr;
        addr.format = AX_PB_FORMAT_ADPCM;
        addr.loopFlag = r.bLoop ? 1 : 0;
        addr.loopAddress = base + r.loop;
        addr.endAddress = base + r.end;
        addr.currentAddress = base + r.start;
        AXSetVoiceAddr(v, &addr);
        AXVPB one = *v, bulk = *v;
        uint32_t chunk = 0;
        for (int read = 0; read < 800;) {
            const uint32_t n = chunks[chunk++ % 5];
            int16_t want[97], got[97];
            uint32_t wantCount = 0;
            while (wantCount < n && ax::NextInputSample(one, &want[wantCount]))
                ++wantCount;
            ASSERT_EQ(ax::ReadInputSamples(bulk, got, n), wantCount) << "read " << read;
            for (uint32_t i = 0; i < wantCount; ++i)
                ASSERT_EQ(got[i], want[i]) << "sample " << read + static_cast<int>(i);
            ASSERT_EQ(bulk.addr.currentAddress, one.addr.currentAddress) << "read " << read;
            ASSERT_EQ(bulk.nHist1, one.nHist1);
            ASSERT_EQ(bulk.nHist2, one.nHist2);
            ASSERT_EQ(bulk.nPredScale, one.nPredScale);
            ASSERT_EQ(bulk.bInputEnded, one.bInputEnded);
            read += static_cast<int>(n);
        }
        EXPECT_EQ(one.bInputEnded, !r.bLoop);
    }
}

// The frame's voice, sample by sample: the converter steps through
// NextInputSample, the envelope ramps by adding and saturating, each sample
// goes into the buses, a voice whose held sample is not there stops.
void StepByHand(AXVPB& v)
{
    v.nSrcOld = v.nSrcNew;
    v.bOldValid = v.bNewValid;
    int16_t s = v.nSrcOld;
    v.bNewValid = ax::NextInputSample(v, &s);
    v.nSrcNew = v.bNewValid ? s : v.nSrcOld;
}

void MixByHand(AXVPB& v, int32_t bus[3][AX_FRAME_SAMPLES])
{
    if (!v.bSrcPrimed) {
        v.bSrcPrimed = true;
        v.bNewValid = true;
        v.nSrcNew = 0;
        StepByHand(v);
        StepByHand(v);
    }
    const uint32_t ratio = static_cast<uint32_t>(v.src.ratioHi) << 16 | v.src.ratioLo;
    const uint32_t volumes[3] = {v.mix.vL, v.mix.vR, v.mix.vS};
    int32_t volume = v.ve.currentVolume;
    for (int i = 0; i < AX_FRAME_SAMPLES; ++i) {
        if (!v.bOldValid) {
            v.state = AX_PB_STATE_STOP;
            break;
        }
        int32_t s = v.nSrcOld;
        if (v.srcType != AX_SRC_TYPE_NONE)
            s += static_cast<int32_t>((static_cast<int64_t>(v.nSrcNew - v.nSrcOld) * v.src.currentAddressFrac) >> 16);
        s = (s * volume) >> 15;
        volume = std::clamp(volume + v.ve.currentDelta, 0, 0xFFFF);
        for (int b = 0; b < 3; ++b)
            bus[b][i] += static_cast<int32_t>(static_cast<uint32_t>(s) * volumes[b]) >> 15;
        const uint32_t next = v.src.currentAddressFrac + ratio;
        v.src.currentAddressFrac = static_cast<uint16_t>(next);
        for (uint32_t k = next >> 16; k > 0; --k)
            StepByHand(v);
    }
    v.ve.currentVolume = static_cast<uint16_t>(volume);
}

int16_t Saturate(int32_t v) { return static_cast<int16_t>(std::clamp(v, -32767, 32767)); }

// The frame's staged and vectorised mixing against the voice mixed sample by
// sample: whole frames and frames a one-shot ends partway through (at counts
// no vector width divides), at ratio 1.0 on and between samples, at other
// ratios up to the highest, with ramps that saturate and volumes above unity
// whose products wrap.
TEST_F(AXVoiceTest, FramesMixAsSampleBySample)
{
    const std::vector<int16_t> samples = datagen::MakeNoiseBurst(32767.0, 900, 3);
    const uint32_t address = Upload(Pcm16Bytes(samples));
    struct Row {
        const char* name;
        uint32_t ratio;
        uint16_t frac;
        uint32_t type;
        AXPBVE ve;
        AXPBMIX mix;
        bool bLoop;
        uint32_t count;
    };
    const Row rows[] = {
        {"ratio 1.0 on a sample, above unity", 0x10000, 0, AX_SRC_TYPE_LINEAR, {0xFFFF, 0}, {0xFFFF, 0x8000, 0x4000}, true, 900},
        {"ratio 1.0 between samples, linear", 0x10000, 0x4000, AX_SRC_TYPE_LINEAR, {0x7FFF, 0}, {0x8000, 0, 0x8000}, true, 900},
        {"ratio 1.0 between samples, nearest", 0x10000, 0x4000, AX_SRC_TYPE_NONE, {0x7FFF, 0}, {0, 0x6000, 0}, true, 900},
        {"22.05 kHz, ramp up to saturation", 0xB066, 0x1234, AX_SRC_TYPE_LINEAR, {0xF000, 300}, {0x9000, 0x7000, 0x2000}, true, 900},
        {"ratio 4.0 from just short of a sample, ramp down to 0", 0x40000, 0xFFFF, AX_SRC_TYPE_LINEAR, {0x7FFF, -200}, {0x8000, 0x8000, 0}, true, 900},
        {"one-shot ending after 157 outputs", 0x10000, 0, AX_SRC_TYPE_LINEAR, {0x7FFF, 0}, {0x8000, 0x3000, 0x5000}, false, 157},
        {"one-shot missing from the frame's last output", 0x10000, 0, AX_SRC_TYPE_LINEAR, {0x7FFF, 0}, {0x8000, 0, 0}, false, 159},
        {"one-shot whose last sample is held into the next frame", 0x10000, 0, AX_SRC_TYPE_LINEAR, {0x7FFF, 0}, {0x8000, 0, 0}, false, 161},
        {"one-shot ending partway at ratio 1.5, ramp", 0x18000, 0x8000, AX_SRC_TYPE_LINEAR, {0x4000, 150}, {0x8000, 0x8000, 0x8000}, false, 203},
    };
    // The processor's vector kernels and the baseline ones alike.
    for (const bool bSimd : {true, false}) {
        SCOPED_TRACE(bSimd ? "vector kernels" : "baseline kernels");
        const bool bPrevious = ax::SetMixSimd(bSimd);
        for (const Row& r : rows) {
            SCOPED_TRACE(r.name);
            AXVPB* v = Pcm16Voice(address, r.count, r.bLoop, 3);
            const AXPBSRC src{static_cast<uint16_t>(r.ratio >> 16), static_cast<uint16_t>(r.ratio), r.frac};
            AXSetVoiceSrc(v, &src);
            AXSetVoiceSrcType(v, r.type);
            AXSetVoiceVe(v, &r.ve);
            AXSetVoiceMix(v, &r.mix);
            AXVPB byHand = *v;
            const std::vector<int16_t> out = Run(3);
            for (int frame = 0; frame < 3; ++frame) {
                int32_t bus[3][AX_FRAME_SAMPLES] = {};
                if (byHand.state == AX_PB_STATE_RUN)
                    MixByHand(byHand, bus);
                for (int i = 0; i < AX_FRAME_SAMPLES; ++i) {
                    const int32_t fold = (Saturate(bus[2][i]) * 23170) >> 15;
                    const size_t at = static_cast<size_t>(frame * kFrameValues + 2 * i);
                    ASSERT_EQ(out[at], Saturate(Saturate(bus[0][i]) + fold)) << "frame " << frame << " left " << i;
                    ASSERT_EQ(out[at + 1], Saturate(Saturate(bus[1][i]) + fold)) << "frame " << frame << " right " << i;
                }
            }
            EXPECT_EQ(v->state, byHand.state);
            EXPECT_EQ(v->addr.currentAddress, byHand.addr.currentAddress);
            EXPECT_EQ(v->nSrcOld, byHand.nSrcOld);
            EXPECT_EQ(v->nSrcNew, byHand.nSrcNew);
            EXPECT_EQ(v->bOldValid, byHand.bOldValid);
            EXPECT_EQ(v->bNewValid, byHand.bNewValid);
            EXPECT_EQ(v->src.currentAddressFrac, byHand.src.currentAddressFrac);
            EXPECT_EQ(v->ve.currentVolume, byHand.ve.currentVolume);
            AXFreeVoice(v);
        }
        ax::SetMixSimd(bPrevious);
    }
}

TEST_F(AXVoiceTest, VolumesRampAndTheBusSaturatesAndFoldsSurround)
{
    const uint32_t address = Upload(Pcm16Bytes(std::vector<int16_t>(400, 20000)));
    AXVPB* a = Pcm16Voice(address, 400, false);
    AXVPB* b = Pcm16Voice(address, 400, false);
    const AXPBMIX mixA{AX_VOLUME_UNITY, 0, AX_VOLUME_UNITY};
    AXSetVoiceMix(a, &mixA);
    const AXPBMIX mixB{AX_VOLUME_UNITY, AX_VOLUME_UNITY, 0};
    AXSetVoiceMix(b, &mixB);
    const AXPBVE rampB{0, 64};  // 0, then up 64 a sample
    AXSetVoiceVe(b, &rampB);
    const std::vector<int16_t> out = Run(1);
    EXPECT_EQ(out[0], 32767) << "left: 20000 + 14141 saturates";
    EXPECT_EQ(out[1], 14141);
    EXPECT_EQ(out[2 * 10 + 1], 390 + 14141);
    EXPECT_EQ(out[2 * 100 + 1], 3906 + 14141);
    EXPECT_EQ(b->ve.currentVolume, 64 * 160) << "the ramp carries on in the next frame";
}

AIDCallback s_previous = nullptr;
int16_t s_chainBlock[2 * AX_FRAME_SAMPLES];
void ChainedCallback()
{
    s_previous();
    const uint8_t* source = static_cast<const uint8_t*>(AIGetDMAStartAddr());
    for (int i = 0; i < 2 * AX_FRAME_SAMPLES; ++i)
        ps::StoreS16BE(&s_chainBlock[i], static_cast<int16_t>(ps::LoadS16BE(source + 2 * i) + 1));
    AIInitDMA(s_chainBlock, sizeof(s_chainBlock));
}

TEST_F(AXVoiceTest, ChainedDmaCallbackPlaysItsOwnBlock)
{
    Pcm16Voice(Upload(Pcm16Bytes(Ramp(10, 100))), 10, false);
    s_previous = AIRegisterDMACallback(ChainedCallback);
    ASSERT_NE(s_previous, nullptr) << "the voice library's frame is installed";
    const std::vector<int16_t> out = Run(1);
    AIRegisterDMACallback(s_previous);
    EXPECT_EQ(out[0], 101);
    EXPECT_EQ(out[1], 1);
    EXPECT_EQ(out[2 * 10], 1);
}

}  // namespace
