#include "platform/ax.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "datagen/soundWriters.h"
#include "platform/ps.h"

namespace {

const int16_t kCoef[16] = {0, 0, 1024, -512, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

TEST(AXDecodeAdpcm, FrameMatchesHandWorkedSamples)
{
    const uint8_t frame[8] = {0x12, 0x78, 0x01, 0xF3, 0xD2, 0xE5, 0xB4, 0xC6};
    const int16_t expected[14] = {88, -13, -28, -7, 0, 14, -5, 2, -6, 17, -10, 7, -10, 17};
    int16_t hist1 = 100, hist2 = -40;
    int16_t out[14];
    AXDecodeAdpcmFrame(frame, kCoef, &hist1, &hist2, out);
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(out[i], expected[i]) << "sample " << i;
    EXPECT_EQ(hist1, 17);
    EXPECT_EQ(hist2, -10);
}

TEST(AXDecodeAdpcm, SingleSampleEdges)
{
    const int16_t coef[16] = {0, 0, 2048, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4096};
    struct Row {
        const char* name;
        int nibble;
        uint16_t predScale;
        int16_t h1, h2;
        int16_t expected;
    };
    const Row rows[] = {
        {"positive saturation", 0x7, 0x1C, 32767, 0, 32767},
        {"negative saturates at -32767, not -32768", 0x8, 0x1C, -32767, 0, -32767},
        {"bit 7 of the predictor byte is not part of the pair", 0x1, 0x90, 10, 0, 11},
        {"pair 7 second coefficient", 0x0, 0x70, 0, 3, 6},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        int16_t h1 = r.h1, h2 = r.h2;
        EXPECT_EQ(AXDecodeAdpcmSample(r.nibble, r.predScale, coef, &h1, &h2), r.expected);
        EXPECT_EQ(h1, r.expected);
        EXPECT_EQ(h2, r.h1);
    }
}

std::vector<int16_t> DecodeWithVoiceDecoder(const datagen::AdpcmSound& s)
{
    AXPBADPCM p;
    AXReadAdpcmHeader(s.header, &p);
    int16_t h1 = p.yn1, h2 = p.yn2;
    std::vector<int16_t> out;
    for (size_t f = 0; f + 8 <= s.bytes.size(); f += 8) {
        int16_t frame[14];
        AXDecodeAdpcmFrame(s.bytes.data() + f, p.coef, &h1, &h2, frame);
        out.insert(out.end(), frame, frame + 14);
    }
    out.resize(static_cast<size_t>(s.nSamples));
    return out;
}

double SnrDb(const std::vector<int16_t>& ref, const std::vector<int16_t>& got)
{
    double signal = 0, noise = 0;
    for (size_t i = 0; i < ref.size(); ++i) {
        signal += double(ref[i]) * ref[i];
        noise += (double(got[i]) - ref[i]) * (double(got[i]) - ref[i]);
    }
    return 10.0 * std::log10(signal / std::max(noise, 1.0));
}

TEST(AdpcmEncoder, DecodesCloseToTheInput)
{
    struct Row {
        const char* name;
        std::vector<int16_t> pcm;
        double minSnrDb;
    };
    const Row rows[] = {
        {"440 Hz tone", datagen::MakeSineTone(440.0, 12000.0, 3200), 40.0},
        {"5 kHz tone", datagen::MakeSineTone(5000.0, 20000.0, 3200), 30.0},
        {"noise burst", datagen::MakeNoiseBurst(12000.0, 3200, 3), 15.0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const datagen::AdpcmSound s = datagen::EncodeDspAdpcm(r.pcm);
        const std::vector<int16_t> voice = DecodeWithVoiceDecoder(s);
        ASSERT_EQ(voice.size(), r.pcm.size());
        EXPECT_GT(SnrDb(r.pcm, voice), r.minSnrDb);
        EXPECT_EQ(voice, datagen::DecodeDspAdpcm(s)) << "the encoder's own decode differs from the voice's";
    }
}

}  // namespace
