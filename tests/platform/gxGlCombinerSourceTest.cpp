#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "gx/gl/gxGlCombinerSource.h"

using namespace gxgl;

namespace {

// One stage that passes map 0's texel through (colour a = texel, alpha
// aa = texel alpha), no bias, no scale, clamped, into prev; identity swaps.
GlDrawUniforms PassTexelStage()
{
    GlDrawUniforms u{};
    u.pix[1] = 1;
    u.vtx[2] = 1;
    u.texMaps[0] = 1;
    for (auto& table : u.swap) {
        for (int i = 0; i < 4; ++i)
            table[i] = i;
    }
    const int32_t colorIn[4] = {8, 15, 15, 15}, alphaIn[4] = {4, 7, 7, 7}, op[4] = {0, 0, 0, 1};
    std::copy_n(colorIn, 4, u.tevColorIn[0]);
    std::copy_n(alphaIn, 4, u.tevAlphaIn[0]);
    std::copy_n(op, 4, u.tevColorOp[0]);
    std::copy_n(op, 4, u.tevAlphaOp[0]);
    return u;
}

void Set4(int32_t* field, int32_t x, int32_t y, int32_t z, int32_t w)
{
    field[0] = x;
    field[1] = y;
    field[2] = z;
    field[3] = w;
}

}  // namespace

TEST(GxGlCombinerSourceTest, WritesEachStageWithoutNoOpTerms)
{
    struct Row {
        const char* name;
        std::function<void(GlDrawUniforms*)> change;
        std::vector<std::string> has;
        std::vector<std::string> lacks;
    } rows[] = {
        {"identity swap, no bias, no scale: nothing to fold left",
         [](GlDrawUniforms*) {},
         {"ivec4 tex = to255(texture(uTex0, projectCoord(vTex[0])));\n", "ivec3 a = tex.rgb & 255;\n",
          "ivec3 b = ivec3(0);\n", "int ab = 0;\n", "ivec3 t = a * (256 - cc) + b * cc + 128;\n",
          "ivec3 rc = d + t;\n", "int ra = ad + at;\n", "rc = clamp(rc, 0, 255);\n", "prev.rgb = rc;\n"},
         {"<< 0", "+ (0)", "+ 0", ".rgba", "ivec3(0) & 255", "0 & 255", "ivec4 ras", "kc =", "ka ="}},
        {"numbers in 0..255 take no mask",
         [](GlDrawUniforms* u) {
             Set4(u->tevColorIn[0], 12, 13, 14, 15);
             Set4(u->tevAlphaIn[0], 6, 7, 7, 7);
             Set4(u->tevSel[0], 1, 8, 0, 0);  // 7/8 of 255; zero
         },
         {"ivec3 a = ivec3(255);\n", "ivec3 b = ivec3(128);\n", "ivec3 kc = ivec3(223);\n", "ivec3 c = kc;\n",
          "int ka = 0;\n", "int aa = ka;\n"},
         {"& 255;", "ivec4 tex", "ivec4 ras"}},
        {"konst colours keep the mask",
         [](GlDrawUniforms* u) {
             Set4(u->tevColorIn[0], 14, 15, 15, 15);
             Set4(u->tevAlphaIn[0], 6, 7, 7, 7);
             Set4(u->tevSel[0], 12, 29, 0, 0);  // konst 0's rgb; konst 1's alpha
         },
         {"ivec3 kc = uKonst[0].rgb;\n", "ivec3 a = kc & 255;\n", "int ka = uKonst[1].a;\n",
          "int aa = ka & 255;\n"},
         {}},
        {"registers by name keep the mask",
         [](GlDrawUniforms* u) {
             Set4(u->tevColorIn[0], 0, 3, 2, 6);
             Set4(u->tevAlphaIn[0], 1, 2, 3, 0);
             Set4(u->tevDest[0], 3, 2, 0, 0);
         },
         {"ivec4 prev = uTevReg[0];\n", "ivec4 reg0 = uTevReg[1];\n", "ivec4 reg2 = uTevReg[3];\n",
          "ivec3 a = prev.rgb & 255;\n", "ivec3 b = ivec3(reg0.a) & 255;\n", "ivec3 c = reg0.rgb & 255;\n",
          "ivec3 d = reg2.rgb;\n", "int aa = reg0.a & 255;\n", "int ac = reg2.a & 255;\n", "int ad = prev.a;\n",
          "reg2.rgb = rc;\n", "reg1.a = ra;\n", "writeFragment(reg2.rgb & 255, reg1.a & 255);\n"},
         {"r0", "r3"}},
        {"scale and bias are written",
         [](GlDrawUniforms* u) {
             Set4(u->tevColorOp[0], 0, 1, 1, 1);
             Set4(u->tevAlphaOp[0], 0, 0, 2, 1);
         },
         {"ivec3 t = ((a * (256 - cc) + b * cc) << 1) + 128;\n", "ivec3 rc = ((d + 128) << 1) + t;\n",
          "int at = ((aa * (256 - acc) + ab * acc) << 2) + 128;\n", "int ra = (ad << 2) + at;\n"},
         {}},
        {"halving rounds nothing",
         [](GlDrawUniforms* u) { Set4(u->tevColorOp[0], 0, 0, 3, 1); },
         {"ivec3 t = a * (256 - cc) + b * cc;\n", "ivec3 rc = d + t;\n", "rc = rc >> 1;\n"},
         {}},
        {"swap tables that move channels are written",
         [](GlDrawUniforms* u) {
             Set4(u->tevColorIn[0], 8, 10, 15, 15);
             Set4(u->swap[1], 1, 2, 0, 3);
             Set4(u->swap[2], 3, 3, 3, 3);
             Set4(u->tevSel[0], 0, 0, 2, 1);
             u->tevOrder[0][2] = 1;  // colour channel 1
         },
         {"projectCoord(vTex[0]))).gbra;\n", "ivec4 ras = to255(vClr1).aaaa;\n"},
         {}},
        {"the alpha combiner compares the colour inputs' green-red",
         [](GlDrawUniforms* u) { Set4(u->tevAlphaOp[0], 1, 3, 1, 1); },
         {"int ra = ad + ((((a.g << 8) | a.r) == ((b.g << 8) | b.r)) ? ac : 0);\n"},
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        GlDrawUniforms u = PassTexelStage();
        row.change(&u);
        std::string text;
        ASSERT_TRUE(StraightLineCombiner(u, &text));
        for (const std::string& piece : row.has)
            EXPECT_NE(text.find(piece), std::string::npos) << piece << "\nin\n" << text;
        for (const std::string& piece : row.lacks)
            EXPECT_EQ(text.find(piece), std::string::npos) << piece << "\nin\n" << text;
    }
}

TEST(GxGlCombinerSourceTest, ALineLongerThanItsBufferRefusesTheProgramAndIsLoggedOnce)
{
    struct Row {
        const char* name;
        std::vector<size_t> lengths;  // of the lines, newline included
        int stage;
        bool ok;
        const char* log;  // the whole report, or "" for none
    } rows[] = {
        {"one byte to spare", {254}, 2, true, ""},
        {"exactly full", {255, 255}, 2, true, ""},
        {"one byte over", {256}, 2, false,
         "GX: combiner stage 2: a generated line of 256 bytes is longer than 255; its program is refused\n"},
        {"two long lines: one report", {100, 1000, 300}, 0, false,
         "GX: combiner stage 0: a generated line of 1000 bytes is longer than 255; its program is refused\n"},
        {"outside the stages", {400}, -1, false,
         "GX: combiner: a generated line of 400 bytes is longer than 255; its program is refused\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CombinerText out;
        out.stage = row.stage;
        std::string want;
        testing::internal::CaptureStderr();
        for (size_t length : row.lengths) {
            const std::string line = std::string(length - 1, 'x') + "\n";
            if (length <= kCombinerLineMax)
                want += line;
            AppendCombinerLine(&out, "%s", line.c_str());
        }
        EXPECT_EQ(testing::internal::GetCapturedStderr(), row.log);
        EXPECT_EQ(out.ok, row.ok);
        EXPECT_EQ(out.text, want);  // never a line cut short
    }
}
