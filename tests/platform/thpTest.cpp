#include "platform/thp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "datagen/thpWriter.h"
#include "thp/thp_local.h"

namespace {

struct Rgb {
    int r, g, b;
};

std::vector<uint8_t> Quadrants(uint32_t w, uint32_t h, const Rgb (&c)[4])
{
    std::vector<uint8_t> rgb;
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            const Rgb& p = c[(y >= h / 2) * 2 + (x >= w / 2)];
            rgb.insert(rgb.end(), {uint8_t(p.r), uint8_t(p.g), uint8_t(p.b)});
        }
    }
    return rgb;
}

uint8_t TexelI8(const std::vector<uint8_t>& tiles, uint32_t width, uint32_t x, uint32_t y)
{
    return tiles[((y / 4) * ((width + 7) / 8) + x / 8) * 32 + (y % 4) * 8 + x % 8];
}

Rgb ToRgb(int y, int u, int v)
{
    return {static_cast<int>(std::lround(y + 1.402 * (v - 128))),
            static_cast<int>(std::lround(y - 0.344136 * (u - 128) - 0.714136 * (v - 128))),
            static_cast<int>(std::lround(y + 1.772 * (u - 128)))};
}

TEST(thp, TileI8PlacesTexelsInEightByFourTiles)
{
    std::vector<uint8_t> plane(16 * 8);
    for (size_t i = 0; i < plane.size(); ++i)
        plane[i] = static_cast<uint8_t>(i);
    std::vector<uint8_t> tiles(plane.size());
    thp::TileI8(plane.data(), 16, 16, 8, tiles.data());
    const struct {
        uint32_t x, y;
        size_t offset;
    } rows[] = {{0, 0, 0}, {7, 0, 7}, {0, 1, 8}, {8, 0, 32}, {9, 1, 41}, {0, 4, 64}, {15, 7, 127}};
    for (const auto& row : rows)
        EXPECT_EQ(tiles[row.offset], row.y * 16 + row.x) << row.x << "," << row.y;
}

TEST(thp, VideoDecodesQuadrantsIntoThreePlanes)
{
    ASSERT_TRUE(THPInit());
    constexpr uint32_t w = 64, h = 48;
    const Rgb colours[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    const std::vector<uint8_t> image = datagen::EncodeThpImage(Quadrants(w, h, colours), w, h, 95);
    ASSERT_FALSE(image.empty());
    std::vector<uint8_t> y(w * h), u(w * h / 4), v(w * h / 4), work(THP_WORK_AREA_SIZE);
    ASSERT_EQ(THPVideoDecode(image.data(), static_cast<uint32_t>(image.size()), w, h, y.data(), u.data(), v.data(),
                             work.data()),
              THP_VIDEO_OK);
    const uint32_t probes[4][2] = {{w / 4, h / 4}, {3 * w / 4, h / 4}, {w / 4, 3 * h / 4}, {3 * w / 4, 3 * h / 4}};
    for (int q = 0; q < 4; ++q) {
        SCOPED_TRACE(q);
        const uint32_t px = probes[q][0], py = probes[q][1];
        const Rgb got = ToRgb(TexelI8(y, w, px, py), TexelI8(u, w / 2, px / 2, py / 2), TexelI8(v, w / 2, px / 2, py / 2));
        EXPECT_NEAR(got.r, colours[q].r, 12);
        EXPECT_NEAR(got.g, colours[q].g, 12);
        EXPECT_NEAR(got.b, colours[q].b, 12);
    }
}

TEST(thp, VideoRefusesWhatDoesNotFitThePlanes)
{
    ASSERT_TRUE(THPInit());
    const Rgb grey[4] = {{128, 128, 128}, {128, 128, 128}, {128, 128, 128}, {128, 128, 128}};
    const std::vector<uint8_t> image = datagen::EncodeThpImage(Quadrants(32, 16, grey), 32, 16, 80);
    std::vector<uint8_t> y(64 * 64, 7), u(64 * 64, 7), v(64 * 64, 7);
    const uint32_t n = static_cast<uint32_t>(image.size());
    EXPECT_EQ(THPVideoDecode(image.data(), n, 64, 16, y.data(), u.data(), v.data(), nullptr), THP_VIDEO_WRONG_SIZE);
    EXPECT_EQ(THPVideoDecode(image.data(), n, 36, 16, y.data(), u.data(), v.data(), nullptr), THP_VIDEO_BAD_ARGUMENT);
    EXPECT_EQ(THPVideoDecode(image.data(), 0, 32, 16, y.data(), u.data(), v.data(), nullptr), THP_VIDEO_BAD_ARGUMENT);
    const std::vector<uint8_t> junk(300, 0x5A);
    EXPECT_EQ(THPVideoDecode(junk.data(), 300, 32, 16, y.data(), u.data(), v.data(), nullptr), THP_VIDEO_BAD_DATA);
    EXPECT_TRUE(std::all_of(y.begin(), y.end(), [](uint8_t b) { return b == 7; }));
    EXPECT_STREQ(THPVideoResultText(4), "THP_VIDEO_WRONG_SIZE");
    EXPECT_STREQ(THPVideoResultText(9), "???");
}

TEST(thp, AudioDecodesToInterleavedStereo)
{
    constexpr uint32_t n = 1067;
    std::vector<int16_t> pcm(n * 2);
    for (uint32_t i = 0; i < n; ++i) {
        const double s = 8000.0 * std::sin(2.0 * M_PI * 500.0 * i / 32000.0);
        pcm[2 * i] = static_cast<int16_t>(std::lround(s));
        pcm[2 * i + 1] = static_cast<int16_t>(std::lround(-s / 2));
    }
    const std::vector<uint8_t> block = datagen::EncodeThpAudioBlock(pcm.data(), n, 2);
    std::vector<int16_t> out(2 * 2000, 0);
    ASSERT_EQ(THPAudioDecode(out.data(), block.data(), static_cast<uint32_t>(block.size()), 2, 2000), n);
    double err = 0.0;
    for (uint32_t i = 0; i < 2 * n; ++i)
        err = std::max(err, std::fabs(double(out[i]) - pcm[i]));
    EXPECT_LT(err, 1000.0);
    EXPECT_EQ(out[2 * n], 0);

    EXPECT_EQ(THPAudioDecode(out.data(), block.data(), static_cast<uint32_t>(block.size()), 2, 100), 100u);
    std::vector<int16_t> mono(n);
    for (uint32_t i = 0; i < n; ++i)
        mono[i] = pcm[2 * i];
    const std::vector<uint8_t> monoBlock = datagen::EncodeThpAudioBlock(mono.data(), n, 1);
    ASSERT_EQ(THPAudioDecode(out.data(), monoBlock.data(), static_cast<uint32_t>(monoBlock.size()), 1, 2000), n);
    EXPECT_EQ(out[200], out[201]);
    EXPECT_NEAR(out[200], pcm[200], 1000);
    EXPECT_EQ(THPAudioDecode(out.data(), block.data(), 4, 2, 2000), 0u);
    EXPECT_EQ(THPAudioDecode(out.data(), block.data(), static_cast<uint32_t>(block.size()), 3, 2000), 0u);
}

TEST(thp, UnstuffingDropsOnlyTheZeroAfterFFInTheScan)
{
    const std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x04, 0xFF, 0x00, 0xFF, 0xDA, 0x00, 0x03,
                                       0x01, 0x12, 0xFF, 0x00, 0x34, 0xFF, 0x00, 0xFF, 0xD9};
    const std::vector<uint8_t> expected = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x04, 0xFF, 0x00, 0xFF, 0xDA, 0x00,
                                           0x03, 0x01, 0x12, 0xFF, 0x34, 0xFF, 0xFF, 0xD9};
    EXPECT_EQ(datagen::UnstuffJpegScan(jpeg), expected);
}

}  // namespace
