#include "gx/gl/gxGlCombinerSource.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "platform/os.h"

namespace gxgl {

namespace {

constexpr char kChannels[] = "rgba";
// The colour registers by id, as the generated code names them.
constexpr const char* kRegs[4] = {"prev", "reg0", "reg1", "reg2"};
// The konst selections 0..7: fractions of 255 (1, 7/8 .. 1/8).
constexpr int kKonstFractions[8] = {255, 223, 191, 159, 128, 96, 64, 32};
constexpr int kKonstLiterals = 12;  // selections below this are numbers, not konst colours

// The fields of a stage's colour or alpha operation (tevColorOp, tevAlphaOp):
constexpr int kOpSub = 0;    // 1 subtracts the lerp from d; a compare: 1 tests a == b, 0 a > b
constexpr int kOpBias = 1;   // added to d: 0 none, 1 +128, 2 -128; 3 makes the operation a compare
constexpr int kOpScale = 2;  // 0..2 shifts left by as much (x1, x2, x4), 3 halves; a compare: its kind >> 1
constexpr int kOpClamp = 3;  // 1 clamps to 0..255, 0 to the registers' -1024..1023
constexpr int kBiasCompare = 3;
constexpr int kScaleHalve = 3;
// A compare's kind, (scale << 1) | sub: 0..5 compare red, green-red or
// blue-green-red as one number; 6 and 7 compare each channel on its own
// (the alpha combiner: the alphas).
constexpr int kKindPerChannel = 6;

// The names one combiner (colour or alpha) of a stage is written with.
struct CombinerNames {
    const char* type;
    const char* in[4];
    const char* lerp;    // c + c/128
    const char* term;    // the rounded lerp
    const char* result;
};

constexpr CombinerNames kColorNames = {"ivec3", {"a", "b", "c", "d"}, "cc", "t", "rc"};
constexpr CombinerNames kAlphaNames = {"int", {"aa", "ab", "ac", "ad"}, "acc", "at", "ra"};

// An input's expression, and whether it is a number in 0..255, which the
// 0..255 mask of the lerp's inputs leaves as it is.
struct Input {
    std::string text;
    bool inRange;
};

// ".gbra": the channels a swap table takes, in order; nothing for the
// identity.
std::string Swizzle(const int32_t table[4])
{
    std::string s = ".";
    for (int i = 0; i < 4; ++i)
        s += kChannels[table[i] & 3];
    return s == ".rgba" ? std::string() : s;
}

// A konst selection's value, for the colour combiner (ivec3) or the alpha
// one (int): a fraction of 255, zero, a whole konst colour (its alpha for
// the alpha combiner) or one channel of one.
std::string Konst(int sel, bool forColor)
{
    std::string value;
    if (sel < 8)
        value = std::to_string(kKonstFractions[sel]);
    else if (sel < kKonstLiterals)
        value = "0";
    else if (sel < 16)
        return "uKonst[" + std::to_string(sel - 12) + (forColor ? "].rgb" : "].a");
    else  // 16..31: channel (sel >> 2) & 3 of konst colour sel & 3
        value = "uKonst[" + std::to_string(sel & 3) + "]." + kChannels[(sel >> 2) & 3];
    return forColor ? "ivec3(" + value + ")" : value;
}

Input ColorInput(const GlDrawUniforms& u, int s, int id)
{
    if (id < 8) {
        const std::string reg = kRegs[id >> 1];
        return {(id & 1) == 0 ? reg + ".rgb" : "ivec3(" + reg + ".a)", false};
    }
    static const char* const kOthers[8] = {"tex.rgb",    "ivec3(tex.a)", "ras.rgb", "ivec3(ras.a)",
                                           "ivec3(255)", "ivec3(128)",   "kc",      "ivec3(0)"};
    const int other = std::min(id, 15) - 8;
    const bool literal = other >= 4 && (other != 6 || u.tevSel[s][0] < kKonstLiterals);
    return {kOthers[other], literal};
}

Input AlphaInput(const GlDrawUniforms& u, int s, int id)
{
    if (id < 4)
        return {std::string(kRegs[id]) + ".a", false};
    static const char* const kOthers[4] = {"tex.a", "ras.a", "ka", "0"};
    const int other = std::min(id, 7) - 4;
    const bool literal = other == 3 || (other == 2 && u.tevSel[s][1] < kKonstLiterals);
    return {kOthers[other], literal};
}

std::string Masked(const Input& in)
{
    return in.inRange ? in.text : in.text + " & 255";
}

// The stage's texel in 0..255, swapped: white without a map, black when no
// coordinates are generated, white when the map has no texture bound.
std::string TexInput(const GlDrawUniforms& u, int s)
{
    const int map = u.tevOrder[s][0];
    if (map < 0)
        return "ivec4(255)";
    if (u.vtx[2] == 0)
        return "ivec4(0)";
    if ((u.texMaps[0] & (1 << map)) == 0)
        return "ivec4(255)";
    // A coordinate the generators do not produce reads coordinate 0.
    const int coord = u.tevOrder[s][1] < u.vtx[2] ? u.tevOrder[s][1] & 7 : 0;
    return "to255(texture(uTex" + std::to_string(map) + ", projectCoord(vTex[" + std::to_string(coord) + "])))" +
           Swizzle(u.swap[u.tevSel[s][3] & 3]);
}

std::string RasInput(const GlDrawUniforms& u, int s)
{
    const int channel = u.tevOrder[s][2];
    if (channel != 0 && channel != 1)
        return "ivec4(0)";
    return std::string(channel == 0 ? "to255(vClr0)" : "to255(vClr1)") + Swizzle(u.swap[u.tevSel[s][2] & 3]);
}

bool Uses(const int32_t in[4], int first, int last)
{
    return std::any_of(in, in + 4, [&](int32_t id) { return id >= first && id <= last; });
}

// The first 1, 2 or 3 channels of v (masked to 0..255) as one number, red
// lowest.
std::string Packed(int channels, const std::string& v)
{
    if (channels == 1)
        return v + ".r";
    const std::string low = "(" + v + ".g << 8) | " + v + ".r";
    return channels == 2 ? "(" + low + ")" : "((" + v + ".b << 16) | " + low + ")";
}

// The comparison of a compare operation's a and b (masked to 0..255): red,
// green-red or blue-green-red as one number, greater or equal.
std::string Comparison(int kind, const std::string& a, const std::string& b)
{
    const int channels = std::min(kind >> 1, 2) + 1;
    return Packed(channels, a) + ((kind & 1) != 0 ? " == " : " > ") + Packed(channels, b);
}

// " + 128", " - 128" or nothing.
std::string Plus(int value)
{
    if (value == 0)
        return std::string();
    return (value > 0 ? " + " : " - ") + std::to_string(std::abs(value));
}

// x shifted left (in parentheses, as << binds below +); x itself for 0.
std::string Shifted(const std::string& x, bool compound, int shift)
{
    if (shift == 0)
        return x;
    return "(" + (compound ? "(" + x + ")" : x) + " << " + std::to_string(shift) + ")";
}

// d + lerp(a, b, c) with bias, scale and the hardware's rounding; a, b and c
// are already masked to 0..255.
void AppendRegular(CombinerText* out, const CombinerNames& n, const int32_t op[4], bool isAlpha)
{
    const bool sub = (op[kOpSub] & 1) != 0;
    const int scale = op[kOpScale];
    const int shift = scale == kScaleHalve ? 0 : scale;
    const int round = scale == kScaleHalve ? 0 : (sub ? 127 : 128);
    const int bias = op[kOpBias] == 1 ? 128 : (op[kOpBias] == 2 ? -128 : 0);
    AppendCombinerLine(out, "        %s %s = %s + (%s >> 7);\n", n.type, n.lerp, n.in[2], n.in[2]);
    const std::string lerp = std::string(n.in[0]) + " * (256 - " + n.lerp + ") + " + n.in[1] + " * " + n.lerp;
    AppendCombinerLine(out, "        %s %s = %s%s;\n", n.type, n.term, Shifted(lerp, true, shift).c_str(),
                       Plus(round).c_str());
    if (!sub)
        AppendCombinerLine(out, "        %s = %s >> 8;\n", n.term, n.term);
    else if (isAlpha)
        AppendCombinerLine(out, "        %s = (-%s) >> 8;\n", n.term, n.term);
    else
        AppendCombinerLine(out, "        %s = -(%s >> 8);\n", n.term, n.term);
    const std::string base = Shifted(n.in[3] + Plus(bias), bias != 0, shift);
    AppendCombinerLine(out, "        %s %s = %s + %s;\n", n.type, n.result, base.c_str(), n.term);
    if (scale == kScaleHalve)
        AppendCombinerLine(out, "        %s = %s >> 1;\n", n.result, n.result);
}

const char* ClampRange(const int32_t op[4])
{
    return op[kOpClamp] != 0 ? "0, 255" : "-1024, 1023";
}

void AppendColorOp(CombinerText* out, const int32_t op[4])
{
    if (op[kOpBias] != kBiasCompare) {
        AppendRegular(out, kColorNames, op, false);
    } else {
        const int kind = (op[kOpScale] << 1) | (op[kOpSub] & 1);
        if (kind >= kKindPerChannel)
            AppendCombinerLine(out, "        ivec3 rc = d + c * ivec3(%s(a, b));\n",
                               (kind & 1) != 0 ? "equal" : "greaterThan");
        else
            AppendCombinerLine(out, "        ivec3 rc = d + (%s ? c : ivec3(0));\n", Comparison(kind, "a", "b").c_str());
    }
    AppendCombinerLine(out, "        rc = clamp(rc, %s);\n", ClampRange(op));
}

// The alpha compare operations below the per-channel kinds compare the
// stage's colour inputs a and b.
void AppendAlphaOp(CombinerText* out, const int32_t op[4])
{
    if (op[kOpBias] != kBiasCompare) {
        AppendRegular(out, kAlphaNames, op, true);
    } else {
        const int kind = (op[kOpScale] << 1) | (op[kOpSub] & 1);
        const std::string test = kind >= kKindPerChannel ? std::string("aa ") + ((kind & 1) != 0 ? "==" : ">") + " ab"
                                                         : Comparison(kind, "a", "b");
        AppendCombinerLine(out, "        int ra = ad + ((%s) ? ac : 0);\n", test.c_str());
    }
    AppendCombinerLine(out, "        ra = clamp(ra, %s);\n", ClampRange(op));
}

void AppendInputs(CombinerText* out, const GlDrawUniforms& u, int s)
{
    const int32_t* ci = u.tevColorIn[s];
    const int32_t* ai = u.tevAlphaIn[s];
    if (Uses(ci, 8, 9) || Uses(ai, 4, 4))
        AppendCombinerLine(out, "        ivec4 tex = %s;\n", TexInput(u, s).c_str());
    if (Uses(ci, 10, 11) || Uses(ai, 5, 5))
        AppendCombinerLine(out, "        ivec4 ras = %s;\n", RasInput(u, s).c_str());
    if (Uses(ci, 14, 14))
        AppendCombinerLine(out, "        ivec3 kc = %s;\n", Konst(u.tevSel[s][0], true).c_str());
    if (Uses(ai, 6, 6))
        AppendCombinerLine(out, "        int ka = %s;\n", Konst(u.tevSel[s][1], false).c_str());
    for (int i = 0; i < 3; ++i)
        AppendCombinerLine(out, "        ivec3 %s = %s;\n", kColorNames.in[i], Masked(ColorInput(u, s, ci[i])).c_str());
    AppendCombinerLine(out, "        ivec3 d = %s;\n", ColorInput(u, s, ci[3]).text.c_str());
    for (int i = 0; i < 3; ++i)
        AppendCombinerLine(out, "        int %s = %s;\n", kAlphaNames.in[i], Masked(AlphaInput(u, s, ai[i])).c_str());
    AppendCombinerLine(out, "        int ad = %s;\n", AlphaInput(u, s, ai[3]).text.c_str());
}

void AppendStage(CombinerText* out, const GlDrawUniforms& u, int s)
{
    out->stage = s;
    AppendCombinerLine(out, "    {  // stage %d\n", s);
    AppendInputs(out, u, s);
    AppendColorOp(out, u.tevColorOp[s]);
    AppendAlphaOp(out, u.tevAlphaOp[s]);
    AppendCombinerLine(out, "        %s.rgb = rc;\n", kRegs[u.tevDest[s][0] & 3]);
    AppendCombinerLine(out, "        %s.a = ra;\n", kRegs[u.tevDest[s][1] & 3]);
    AppendCombinerLine(out, "    }\n");
    out->stage = -1;
}

}  // namespace

void AppendCombinerLine(CombinerText* out, const char* format, ...)
{
    char line[kCombinerLineMax + 1];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(line, sizeof(line), format, args);
    va_end(args);
    if (length >= 0 && static_cast<size_t>(length) <= kCombinerLineMax) {
        out->text += line;
        return;
    }
    if (out->ok && out->stage >= 0)
        OSReport("GX: combiner stage %d: a generated line of %d bytes is longer than %zu; its program is refused\n",
                 out->stage, length, kCombinerLineMax);
    else if (out->ok)
        OSReport("GX: combiner: a generated line of %d bytes is longer than %zu; its program is refused\n", length,
                 kCombinerLineMax);
    out->ok = false;
}

bool StraightLineCombiner(const GlDrawUniforms& u, std::string* out)
{
    const int stages = std::clamp(static_cast<int>(u.pix[1]), 1, kMaxTevStages);
    CombinerText code;
    code.text = "\nvoid main()\n{\n";
    for (int r = 0; r < 4; ++r)
        AppendCombinerLine(&code, "    ivec4 %s = uTevReg[%d];\n", kRegs[r], r);
    for (int s = 0; s < stages; ++s)
        AppendStage(&code, u, s);
    const int32_t* last = u.tevDest[stages - 1];
    AppendCombinerLine(&code, "    writeFragment(%s.rgb & 255, %s.a & 255);\n", kRegs[last[0] & 3], kRegs[last[1] & 3]);
    AppendCombinerLine(&code, "}\n");
    if (!code.ok)
        return false;
    *out = std::move(code.text);
    return true;
}

}  // namespace gxgl
