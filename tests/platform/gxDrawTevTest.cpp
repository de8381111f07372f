#include "gxDrawFixture.h"

#include <memory>
#include <random>

#include "datagen/gxTextureEncode.h"

namespace {

// An 8x8 RGBA8 image as map 0's texture, clamped; its texels live in
// *pTexels, which must outlast the drawing.
void LoadClampedRgba8(const datagen::RgbaImage& image, std::unique_ptr<AlignedBytes>* pTexels)
{
    std::vector<uint8_t> encoded;
    ASSERT_TRUE(datagen::EncodeGxTexture(image, GX_TF_RGBA8, nullptr, &encoded));
    *pTexels = std::make_unique<AlignedBytes>(encoded);
    GXTexObj obj;
    GXInitTexObj(&obj, (*pTexels)->data(), 8, 8, GX_TF_RGBA8, GX_CLAMP, GX_CLAMP, GX_FALSE);
    GXLoadTexObj(&obj, GX_TEXMAP0);
}

struct TevCase {
    const char* name;
    GXTevColorArg in[4];
    GXTevOp op;
    GXTevBias bias;
    GXTevScale scale;
    GXBool clamp;
    GXColor want;
};

std::vector<TevCase> Cases()
{
    return {
        {"AddScale1", {GX_CC_C0, GX_CC_C1, GX_CC_C2, GX_CC_CPREV}, GX_TEV_ADD, GX_TB_ZERO, GX_CS_SCALE_1, GX_TRUE,
         {173, 145, 255, 255}},
        {"AddSubHalfScale2", {GX_CC_C0, GX_CC_C1, GX_CC_C2, GX_CC_CPREV}, GX_TEV_ADD, GX_TB_SUBHALF, GX_CS_SCALE_2,
         GX_TRUE, {89, 34, 255, 255}},
        {"Divide2", {GX_CC_C0, GX_CC_C1, GX_CC_C2, GX_CC_CPREV}, GX_TEV_ADD, GX_TB_ZERO, GX_CS_DIVIDE_2, GX_TRUE,
         {86, 72, 142, 255}},
        {"Subtract", {GX_CC_C0, GX_CC_C1, GX_CC_C2, GX_CC_ONE}, GX_TEV_SUB, GX_TB_ZERO, GX_CS_SCALE_1, GX_TRUE,
         {93, 130, 0, 255}},
        {"CompareR8Greater", {GX_CC_C0, GX_CC_C1, GX_CC_C2, GX_CC_CPREV}, GX_TEV_COMP_R8_GT, GX_TB_ZERO,
         GX_CS_SCALE_1, GX_TRUE, {74, 148, 255, 255}},
        {"CompareR8EqualFails", {GX_CC_C1, GX_CC_C0, GX_CC_C2, GX_CC_CPREV}, GX_TEV_COMP_R8_EQ, GX_TB_ZERO,
         GX_CS_SCALE_1, GX_TRUE, {10, 20, 30, 255}},
        {"CompareRGB8GreaterPerChannel", {GX_CC_C0, GX_CC_C1, GX_CC_C2, GX_CC_CPREV}, GX_TEV_COMP_RGB8_GT, GX_TB_ZERO,
         GX_CS_SCALE_1, GX_TRUE, {74, 20, 30, 255}},
        {"CompareRGB8EqualPerChannel", {GX_CC_C1, GX_CC_C2, GX_CC_ONE, GX_CC_CPREV}, GX_TEV_COMP_RGB8_EQ, GX_TB_ZERO,
         GX_CS_SCALE_1, GX_TRUE, {10, 20, 255, 255}},
        {"CompareGR16Greater", {GX_CC_C2, GX_CC_C0, GX_CC_ONE, GX_CC_ZERO}, GX_TEV_COMP_GR16_GT, GX_TB_ZERO,
         GX_CS_SCALE_1, GX_TRUE, {255, 255, 255, 255}},
        {"UnclampedKeepsLowBits", {GX_CC_ZERO, GX_CC_ZERO, GX_CC_ZERO, GX_CC_CPREV}, GX_TEV_ADD, GX_TB_SUBHALF,
         GX_CS_SCALE_1, GX_FALSE, {138, 148, 158, 255}},
    };
}

}  // namespace

class GxDrawTevTest : public GxDrawTest {
protected:
    void SetUp() override
    {
        GxDrawTest::SetUp();
        if (IsSkipped())
            return;
        GXSetTevColor(GX_TEVREG0, GXColor{200, 100, 0, 255});
        GXSetTevColor(GX_TEVREG1, GXColor{50, 150, 255, 255});
        GXSetTevColor(GX_TEVREG2, GXColor{64, 128, 255, 255});
        GXSetTevColor(GX_TEVPREV, GXColor{10, 20, 30, 255});
        GXSetTevAlphaIn(GX_TEVSTAGE0, GX_CA_ZERO, GX_CA_ZERO, GX_CA_ZERO, GX_CA_RASA);
        GXSetTevAlphaOp(GX_TEVSTAGE0, GX_TEV_ADD, GX_TB_ZERO, GX_CS_SCALE_1, GX_TRUE, GX_TEVPREV);
    }
};

TEST_F(GxDrawTevTest, OneStageFollowsTheFixedPointEquation)
{
    for (bool generic : {false, true}) {
        GXTestForceGenericProgram(generic);
        for (const TevCase& c : Cases()) {
            SCOPED_TRACE(testing::Message() << c.name << (generic ? " (generic)" : " (specialised)"));
            GXSetTevColorIn(GX_TEVSTAGE0, c.in[0], c.in[1], c.in[2], c.in[3]);
            GXSetTevColorOp(GX_TEVSTAGE0, c.op, c.bias, c.scale, c.clamp, GX_TEVPREV);
            DrawRect(10, 10, 50, 50, GXColor{255, 255, 255, 255});
            EXPECT_TRUE(ColorNear(Pixel(30, 30), c.want, 0));
        }
    }
    GXTestForceGenericProgram(false);
}

TEST_F(GxDrawTevTest, AlphaCombinerSubtractsAndCompares)
{
    GXSetTevColorIn(GX_TEVSTAGE0, GX_CC_ZERO, GX_CC_ZERO, GX_CC_ZERO, GX_CC_RASC);
    GXSetTevColorOp(GX_TEVSTAGE0, GX_TEV_ADD, GX_TB_ZERO, GX_CS_SCALE_1, GX_TRUE, GX_TEVPREV);
    GXSetTevColor(GX_TEVREG0, GXColor{0, 0, 0, 200});
    GXSetTevColor(GX_TEVREG1, GXColor{0, 0, 0, 60});
    struct Row {
        const char* name;
        GXTevAlphaArg in[4];
        GXTevOp op;
        uint8_t want;
    } rows[] = {
        {"Subtract", {GX_CA_ZERO, GX_CA_A1, GX_CA_RASA, GX_CA_RASA}, GX_TEV_SUB, 194},
        {"A8Greater", {GX_CA_A0, GX_CA_A1, GX_CA_RASA, GX_CA_A1}, GX_TEV_COMP_A8_GT, 160},
        {"A8EqualFails", {GX_CA_A0, GX_CA_A1, GX_CA_RASA, GX_CA_A1}, GX_TEV_COMP_A8_EQ, 60},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        GXSetTevAlphaIn(GX_TEVSTAGE0, row.in[0], row.in[1], row.in[2], row.in[3]);
        GXSetTevAlphaOp(GX_TEVSTAGE0, row.op, GX_TB_ZERO, GX_CS_SCALE_1, GX_TRUE, GX_TEVPREV);
        const uint8_t vertexAlpha = row.op == GX_TEV_SUB ? 255 : 100;
        DrawRect(10, 10, 50, 50, GXColor{1, 2, 3, vertexAlpha});
        EXPECT_EQ(Pixel(30, 30).a, row.want);
    }
}

TEST_F(GxDrawTevTest, KonstSelectionsAndSwapTables)
{
    GXSetTevKColor(GX_KCOLOR1, GXColor{11, 22, 33, 44});
    GXSetTevColorIn(GX_TEVSTAGE0, GX_CC_ZERO, GX_CC_ZERO, GX_CC_ZERO, GX_CC_KONST);
    GXSetTevColorOp(GX_TEVSTAGE0, GX_TEV_ADD, GX_TB_ZERO, GX_CS_SCALE_1, GX_TRUE, GX_TEVPREV);
    GXSetTevAlphaIn(GX_TEVSTAGE0, GX_CA_ZERO, GX_CA_ZERO, GX_CA_ZERO, GX_CA_KONST);
    struct Row {
        GXTevKColorSel kc;
        GXTevKAlphaSel ka;
        GXColor want;
    } rows[] = {
        {GX_TEV_KCSEL_K1, GX_TEV_KASEL_K1_A, {11, 22, 33, 44}},
        {GX_TEV_KCSEL_K1_G, GX_TEV_KASEL_K1_B, {22, 22, 22, 33}},
        {GX_TEV_KCSEL_3_4, GX_TEV_KASEL_1_8, {191, 191, 191, 32}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(GXTevKColorSelText(row.kc));
        GXSetTevKColorSel(GX_TEVSTAGE0, row.kc);
        GXSetTevKAlphaSel(GX_TEVSTAGE0, row.ka);
        DrawRect(10, 10, 50, 50, GXColor{255, 255, 255, 255});
        EXPECT_TRUE(ColorNear(Pixel(30, 30), row.want, 0));
    }

    GXSetTevSwapModeTable(GX_TEV_SWAP1, GX_CH_RED, GX_CH_GREEN, GX_CH_BLUE, GX_CH_GREEN);
    GXSetTevSwapModeTable(GX_TEV_SWAP2, GX_CH_BLUE, GX_CH_BLUE, GX_CH_RED, GX_CH_ALPHA);
    GXSetTevColorIn(GX_TEVSTAGE0, GX_CC_ZERO, GX_CC_ZERO, GX_CC_ZERO, GX_CC_RASC);
    GXSetTevAlphaIn(GX_TEVSTAGE0, GX_CA_ZERO, GX_CA_ZERO, GX_CA_ZERO, GX_CA_RASA);
    GXSetTevSwapMode(GX_TEVSTAGE0, GX_TEV_SWAP1, GX_TEV_SWAP0);
    DrawRect(10, 10, 50, 50, GXColor{10, 20, 30, 40});
    EXPECT_TRUE(ColorNear(Pixel(30, 30), GXColor{10, 20, 30, 20}, 0));
    GXSetTevSwapMode(GX_TEVSTAGE0, GX_TEV_SWAP2, GX_TEV_SWAP0);
    DrawRect(10, 10, 50, 50, GXColor{10, 20, 30, 40});
    EXPECT_TRUE(ColorNear(Pixel(30, 30), GXColor{30, 30, 10, 40}, 0));
}

TEST_F(GxDrawTevTest, TwoStagesModulateTextureThenAddRegister)
{
    datagen::RgbaImage image;
    image.width = image.height = 8;
    for (int i = 0; i < 64; ++i)
        image.rgba.insert(image.rgba.end(), {200, 100, 50, 255});
    std::unique_ptr<AlignedBytes> texels;
    ASSERT_NO_FATAL_FAILURE(LoadClampedRgba8(image, &texels));
    SetUpTexturedFormat();

    GXSetNumTevStages(2);
    GXSetTevOrder(GX_TEVSTAGE0, GX_TEXCOORD0, GX_TEXMAP0, GX_COLOR0A0);
    GXSetTevOp(GX_TEVSTAGE0, GX_MODULATE);
    GXSetTevOrder(GX_TEVSTAGE1, GX_TEXCOORD_NULL, GX_TEXMAP_NULL, GX_COLOR_NULL);
    GXSetTevColorIn(GX_TEVSTAGE1, GX_CC_CPREV, GX_CC_ZERO, GX_CC_ZERO, GX_CC_C0);
    GXSetTevColorOp(GX_TEVSTAGE1, GX_TEV_ADD, GX_TB_ZERO, GX_CS_SCALE_1, GX_TRUE, GX_TEVPREV);
    GXSetTevAlphaIn(GX_TEVSTAGE1, GX_CA_APREV, GX_CA_ZERO, GX_CA_ZERO, GX_CA_ZERO);
    GXSetTevAlphaOp(GX_TEVSTAGE1, GX_TEV_ADD, GX_TB_ZERO, GX_CS_SCALE_1, GX_TRUE, GX_TEVPREV);
    GXSetTevColor(GX_TEVREG0, GXColor{20, 30, 40, 0});

    DrawTexturedRect(100, 100, 164, 164, GXColor{128, 255, 64, 255});
    EXPECT_TRUE(ColorNear(Pixel(130, 130), GXColor{121, 130, 53, 255}, 0));
    const GXTestLastDraw last = GXTestGetLastDraw();
    ASSERT_NE(last.state, nullptr);
    EXPECT_EQ(last.primitive, GX_QUADS);
    EXPECT_EQ(last.vertexCount, 4u);
}

// Four stages that hand their results on through PREV and the registers:
// a swapped raster colour times a konst colour into REG2, a lerp by a konst
// fraction at scale 2 into REG1, a green-red compare (which the red-only
// compare would fail) with an alpha compare that reads the colour inputs,
// and a tint by KCOLOR0. Both programs draw the same exact values.
TEST_F(GxDrawTevTest, FourStagesHandTheirResultsOnAsTheGenericProgramDoes)
{
    GXSetTevKColor(GX_KCOLOR0, GXColor{255, 128, 0, 64});
    GXSetTevKColor(GX_KCOLOR1, GXColor{128, 64, 255, 0});
    GXSetTevSwapModeTable(GX_TEV_SWAP1, GX_CH_GREEN, GX_CH_RED, GX_CH_BLUE, GX_CH_ALPHA);
    GXSetNumTevStages(4);
    GXSetTevSwapMode(GX_TEVSTAGE0, GX_TEV_SWAP1, GX_TEV_SWAP0);
    GXSetTevKColorSel(GX_TEVSTAGE0, GX_TEV_KCSEL_K1);
    GXSetTevColorIn(GX_TEVSTAGE0, GX_CC_ZERO, GX_CC_RASC, GX_CC_KONST, GX_CC_ZERO);
    GXSetTevColorOp(GX_TEVSTAGE0, GX_TEV_ADD, GX_TB_ZERO, GX_CS_SCALE_1, GX_TRUE, GX_TEVREG2);
    const struct {
        GXTevKColorSel kc;
        GXTevKAlphaSel ka;
        GXTevColorArg in[4];
        GXTevOp op;
        GXTevScale scale;
        GXTevRegID out;
        GXTevAlphaArg alphaIn[4];
        GXTevOp alphaOp;
    } later[3] = {
        {GX_TEV_KCSEL_1_4, GX_TEV_KASEL_K1_R, {GX_CC_C2, GX_CC_C0, GX_CC_KONST, GX_CC_ZERO}, GX_TEV_ADD, GX_CS_SCALE_2,
         GX_TEVREG1, {GX_CA_ZERO, GX_CA_ZERO, GX_CA_ZERO, GX_CA_KONST}, GX_TEV_ADD},
        {GX_TEV_KCSEL_1, GX_TEV_KASEL_1_2, {GX_CC_C0, GX_CC_C1, GX_CC_CPREV, GX_CC_C2}, GX_TEV_COMP_GR16_GT,
         GX_CS_SCALE_1, GX_TEVPREV, {GX_CA_APREV, GX_CA_ZERO, GX_CA_KONST, GX_CA_APREV}, GX_TEV_COMP_R8_GT},
        {GX_TEV_KCSEL_K0, GX_TEV_KASEL_1, {GX_CC_ZERO, GX_CC_CPREV, GX_CC_KONST, GX_CC_ZERO}, GX_TEV_ADD,
         GX_CS_SCALE_1, GX_TEVPREV, {GX_CA_ZERO, GX_CA_ZERO, GX_CA_ZERO, GX_CA_APREV}, GX_TEV_ADD},
    };
    for (int i = 0; i < 3; ++i) {
        const auto stage = static_cast<GXTevStageID>(GX_TEVSTAGE1 + i);
        GXSetTevOrder(stage, GX_TEXCOORD_NULL, GX_TEXMAP_NULL, GX_COLOR_NULL);
        GXSetTevKColorSel(stage, later[i].kc);
        GXSetTevKAlphaSel(stage, later[i].ka);
        GXSetTevColorIn(stage, later[i].in[0], later[i].in[1], later[i].in[2], later[i].in[3]);
        GXSetTevColorOp(stage, later[i].op, GX_TB_ZERO, later[i].scale, GX_TRUE, later[i].out);
        const GXTevAlphaArg* a = later[i].alphaIn;
        GXSetTevAlphaIn(stage, a[0], a[1], a[2], a[3]);
        GXSetTevAlphaOp(stage, later[i].alphaOp, GX_TB_ZERO, GX_CS_SCALE_1, GX_TRUE, GX_TEVPREV);
    }
    for (bool generic : {false, true}) {
        SCOPED_TRACE(generic ? "generic" : "specialised");
        GXTestForceGenericProgram(generic);
        DrawRect(10, 10, 50, 50, GXColor{100, 200, 40, 255});
        // REG2 = (101, 25, 40); REG1 = (252, 88, 60); PREV = REG2 + PREV =
        // (111, 45, 70), alpha 128 (the red compare 200 > 252 fails); tinted.
        EXPECT_TRUE(ColorNear(Pixel(30, 30), GXColor{111, 23, 0, 128}, 0));
    }
    GXTestForceGenericProgram(false);
}

// Only the contents of the selected swap table change between two draws.
TEST_F(GxDrawTevTest, ASwapTableRewrittenBetweenDrawsIsFollowed)
{
    GXSetTevColorIn(GX_TEVSTAGE0, GX_CC_ZERO, GX_CC_ZERO, GX_CC_ZERO, GX_CC_RASC);
    GXSetTevColorOp(GX_TEVSTAGE0, GX_TEV_ADD, GX_TB_ZERO, GX_CS_SCALE_1, GX_TRUE, GX_TEVPREV);
    GXSetTevSwapMode(GX_TEVSTAGE0, GX_TEV_SWAP1, GX_TEV_SWAP0);
    GXSetTevSwapModeTable(GX_TEV_SWAP1, GX_CH_RED, GX_CH_GREEN, GX_CH_BLUE, GX_CH_GREEN);
    DrawRect(10, 10, 50, 50, GXColor{10, 20, 30, 40});
    EXPECT_TRUE(ColorNear(Pixel(30, 30), GXColor{10, 20, 30, 20}, 0));
    GXSetTevSwapModeTable(GX_TEV_SWAP1, GX_CH_BLUE, GX_CH_GREEN, GX_CH_RED, GX_CH_ALPHA);
    DrawRect(10, 10, 50, 50, GXColor{10, 20, 30, 40});
    EXPECT_TRUE(ColorNear(Pixel(30, 30), GXColor{30, 20, 10, 40}, 0));
}

namespace {

// One random multi-stage configuration: every field a stage has, the swap
// tables, registers and konst colours.
void SetRandomCombiner(std::mt19937* rng)
{
    auto pick = [rng](uint32_t n) { return static_cast<int>((*rng)() % n); };
    static const GXTevOp kOps[] = {GX_TEV_ADD,          GX_TEV_SUB,           GX_TEV_COMP_R8_GT,   GX_TEV_COMP_R8_EQ,
                                   GX_TEV_COMP_GR16_GT, GX_TEV_COMP_GR16_EQ,  GX_TEV_COMP_BGR24_GT, GX_TEV_COMP_BGR24_EQ,
                                   GX_TEV_COMP_RGB8_GT, GX_TEV_COMP_RGB8_EQ};
    static const GXTexMapID kMaps[] = {GX_TEXMAP0, GX_TEXMAP1, GX_TEXMAP_NULL};  // bound, unbound, none
    static const GXChannelID kChannels[] = {GX_COLOR0A0, GX_COLOR1A1, GX_COLOR_ZERO};
    auto ksel = [&] { const int v = pick(28); return v < 8 ? v : v + 4; };  // 0..7, 12..31
    auto reg = [&] { return static_cast<int16_t>(pick(2048) - 1024); };
    auto byte = [&] { return static_cast<uint8_t>(pick(256)); };
    // Half the results go to PREV, so that later stages mostly build on
    // earlier ones.
    auto dest = [&] { return static_cast<GXTevRegID>(pick(2) ? GX_TEVPREV : pick(4)); };
    for (int t = 1; t < 4; ++t) {
        const auto c = [&] { return static_cast<GXTevColorChan>(pick(4)); };
        GXSetTevSwapModeTable(static_cast<GXTevSwapSel>(t), c(), c(), c(), c());
    }
    for (int r = 0; r < 4; ++r) {
        GXSetTevColorS10(static_cast<GXTevRegID>(r), GXColorS10{reg(), reg(), reg(), reg()});
        GXSetTevKColor(static_cast<GXTevKColorID>(r), GXColor{byte(), byte(), byte(), byte()});
    }
    const int stages = 2 + pick(3);
    GXSetNumTevStages(static_cast<uint8_t>(stages));
    for (int i = 0; i < stages; ++i) {
        const auto stage = static_cast<GXTevStageID>(i);
        GXSetTevOrder(stage, pick(2) ? GX_TEXCOORD1 : GX_TEXCOORD0, kMaps[pick(3)], kChannels[pick(3)]);
        GXSetTevSwapMode(stage, static_cast<GXTevSwapSel>(pick(4)), static_cast<GXTevSwapSel>(pick(4)));
        GXSetTevKColorSel(stage, static_cast<GXTevKColorSel>(ksel()));
        GXSetTevKAlphaSel(stage, static_cast<GXTevKAlphaSel>(ksel()));
        const auto ci = [&] { return static_cast<GXTevColorArg>(pick(16)); };
        const auto ai = [&] { return static_cast<GXTevAlphaArg>(pick(8)); };
        GXSetTevColorIn(stage, ci(), ci(), ci(), ci());
        GXSetTevAlphaIn(stage, ai(), ai(), ai(), ai());
        GXSetTevColorOp(stage, kOps[pick(10)], static_cast<GXTevBias>(pick(3)), static_cast<GXTevScale>(pick(4)),
                        static_cast<GXBool>(pick(2)), dest());
        GXSetTevAlphaOp(stage, kOps[pick(10)], static_cast<GXTevBias>(pick(3)), static_cast<GXTevScale>(pick(4)),
                        static_cast<GXBool>(pick(2)), dest());
    }
}

}  // namespace

// Random configurations of two to four stages over every input, operation,
// bias, scale, clamp, destination, swap, konst selection, texture map
// (bound, unbound, none), coordinate (generated or not) and raster colour:
// the specialised programs draw what the generic one draws, to the bit.
TEST_F(GxDrawTevTest, RandomConfigurationsDrawAsTheGenericProgramDoes)
{
    datagen::RgbaImage image;
    image.width = image.height = 8;
    for (int i = 0; i < 64; ++i) {
        const bool right = i % 8 >= 4, bottom = i >= 32;
        image.rgba.insert(image.rgba.end(), {static_cast<uint8_t>(right ? 230 : 20), static_cast<uint8_t>(bottom ? 170 : 90),
                                             static_cast<uint8_t>(right != bottom ? 250 : 5), static_cast<uint8_t>(right ? 60 : 200)});
    }
    std::unique_ptr<AlignedBytes> texels;
    ASSERT_NO_FATAL_FAILURE(LoadClampedRgba8(image, &texels));
    SetUpTexturedFormat();
    GXSetNumChans(2);
    GXSetChanCtrl(GX_COLOR1A1, GX_FALSE, GX_SRC_REG, GX_SRC_REG, GX_LIGHT_NULL, GX_DF_NONE, GX_AF_NONE);
    GXSetChanMatColor(GX_COLOR1A1, GXColor{70, 140, 210, 35});

    std::mt19937 rng(70);
    for (int n = 0; n < 16; ++n) {
        SetRandomCombiner(&rng);
        const GXColor vertex{static_cast<uint8_t>(rng() % 256), static_cast<uint8_t>(rng() % 256),
                             static_cast<uint8_t>(rng() % 256), static_cast<uint8_t>(rng() % 256)};
        GXColor got[2][2];
        for (int generic = 0; generic < 2; ++generic) {
            GXTestForceGenericProgram(generic != 0);
            DrawTexturedRect(10, 10, 90, 90, vertex);
            got[generic][0] = Pixel(25, 25);
            got[generic][1] = Pixel(75, 75);
        }
        for (int p = 0; p < 2; ++p) {
            SCOPED_TRACE(testing::Message() << "configuration " << n << ", pixel " << p);
            EXPECT_TRUE(ColorNear(got[0][p], got[1][p], 0));
        }
    }
    GXTestForceGenericProgram(false);
}
