#include "gx/gl/gxGlCombinerSource.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace gxgl {

namespace {

constexpr char kChannels[] = "rgba";
// The colour registers as the generated code names them: PREV, REG0..2.
constexpr const char* kRegs[4] = {"r0", "r1", "r2", "r3"};
// The konst selections 0..7: fractions of 255 (1, 7/8 .. 1/8).
constexpr int kKonstFractions[8] = {255, 223, 191, 159, 128, 96, 64, 32};

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

void Append(std::string* out, const char* format, ...) __attribute__((format(printf, 2, 3)));

void Append(std::string* out, const char* format, ...)
{
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof(line), format, args);
    va_end(args);
    *out += line;
}

// ".gbra": the channels a swap table takes, in order.
std::string Swizzle(const int32_t table[4])
{
    std::string s = ".";
    for (int i = 0; i < 4; ++i)
        s += kChannels[table[i] & 3];
    return s;
}

std::string ColorInput(int id)
{
    char text[32];
    if (id < 8) {
        std::snprintf(text, sizeof(text), (id & 1) == 0 ? "%s.rgb" : "ivec3(%s.a)", kRegs[id >> 1]);
        return text;
    }
    static const char* const kOthers[8] = {"tex.rgb",    "ivec3(tex.a)", "ras.rgb", "ivec3(ras.a)",
                                           "ivec3(255)", "ivec3(128)",   "kc",      "ivec3(0)"};
    return kOthers[std::min(id, 15) - 8];
}

std::string AlphaInput(int id)
{
    if (id < 4)
        return std::string(kRegs[id]) + ".a";
    static const char* const kOthers[4] = {"tex.a", "ras.a", "ka", "0"};
    return kOthers[std::min(id, 7) - 4];
}

// A konst selection's value, for the colour combiner (ivec3) or the alpha
// one (int): a fraction of 255, zero, a whole konst colour (its alpha for
// the alpha combiner) or one channel of one.
std::string Konst(int sel, bool forColor)
{
    char text[48];
    if (sel < 8)
        std::snprintf(text, sizeof(text), forColor ? "ivec3(%d)" : "%d", kKonstFractions[sel]);
    else if (sel < 12)
        std::snprintf(text, sizeof(text), forColor ? "ivec3(0)" : "0");
    else if (sel < 16)
        std::snprintf(text, sizeof(text), "uKonst[%d].%s", sel - 12, forColor ? "rgb" : "a");
    else  // 16..31: channel (sel >> 2) & 3 of konst colour sel & 3
        std::snprintf(text, sizeof(text), forColor ? "ivec3(uKonst[%d].%c)" : "uKonst[%d].%c", sel & 3,
                      kChannels[(sel >> 2) & 3]);
    return text;
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
    char text[80];
    std::snprintf(text, sizeof(text), "to255(texture(uTex%d, projectCoord(vTex[%d])))", map, coord);
    return text + Swizzle(u.swap[u.tevSel[s][3] & 3]);
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

// The comparison of a compare operation's a and b (masked to 0..255): red,
// green-red or blue-green-red as one number, greater or equal.
std::string Comparison(int kind, const char* a, const char* b)
{
    const char* op = (kind & 1) != 0 ? "==" : ">";
    char text[160];
    switch (kind >> 1) {
    case 0: std::snprintf(text, sizeof(text), "%s.r %s %s.r", a, op, b); break;
    case 1: std::snprintf(text, sizeof(text), "((%s.g << 8) | %s.r) %s ((%s.g << 8) | %s.r)", a, a, op, b, b); break;
    default:
        std::snprintf(text, sizeof(text), "((%s.b << 16) | (%s.g << 8) | %s.r) %s ((%s.b << 16) | (%s.g << 8) | %s.r)",
                      a, a, a, op, b, b, b);
        break;
    }
    return text;
}

// d + lerp(a, b, c) with bias, scale and the hardware's rounding; a, b and c
// are already masked to 0..255.
void AppendRegular(std::string* out, const CombinerNames& n, const int32_t op[4], bool isAlpha)
{
    const bool sub = (op[0] & 1) != 0;
    const int scale = op[2];
    const int shift = scale == 3 ? 0 : scale;
    const int round = scale == 3 ? 0 : (sub ? 127 : 128);
    const int bias = op[1] == 1 ? 128 : (op[1] == 2 ? -128 : 0);
    Append(out, "        %s %s = %s + (%s >> 7);\n", n.type, n.lerp, n.in[2], n.in[2]);
    Append(out, "        %s %s = ((%s * (256 - %s) + %s * %s) << %d) + %d;\n", n.type, n.term, n.in[0], n.lerp,
           n.in[1], n.lerp, shift, round);
    if (!sub)
        Append(out, "        %s = %s >> 8;\n", n.term, n.term);
    else if (isAlpha)
        Append(out, "        %s = (-%s) >> 8;\n", n.term, n.term);
    else
        Append(out, "        %s = -(%s >> 8);\n", n.term, n.term);
    Append(out, "        %s %s = ((%s + (%d)) << %d) + %s;\n", n.type, n.result, n.in[3], bias, shift, n.term);
    if (scale == 3)
        Append(out, "        %s = %s >> 1;\n", n.result, n.result);
}

void AppendColorOp(std::string* out, const int32_t op[4])
{
    if (op[1] != 3) {
        AppendRegular(out, kColorNames, op, false);
    } else {
        const int kind = (op[2] << 1) | (op[0] & 1);
        if (kind >= 6)
            Append(out, "        ivec3 rc = d + c * ivec3(%s(a, b));\n", (kind & 1) != 0 ? "equal" : "greaterThan");
        else
            Append(out, "        ivec3 rc = d + (%s ? c : ivec3(0));\n", Comparison(kind, "a", "b").c_str());
    }
    Append(out, "        rc = clamp(rc, %s);\n", op[3] != 0 ? "0, 255" : "-1024, 1023");
}

// The alpha compare operations below the per-channel kinds compare the
// stage's colour inputs a and b.
void AppendAlphaOp(std::string* out, const int32_t op[4])
{
    if (op[1] != 3) {
        AppendRegular(out, kAlphaNames, op, true);
    } else {
        const int kind = (op[2] << 1) | (op[0] & 1);
        const std::string test =
            kind >= 6 ? std::string("aa ") + ((kind & 1) != 0 ? "==" : ">") + " ab" : Comparison(kind, "a", "b");
        Append(out, "        int ra = ad + ((%s) ? ac : 0);\n", test.c_str());
    }
    Append(out, "        ra = clamp(ra, %s);\n", op[3] != 0 ? "0, 255" : "-1024, 1023");
}

void AppendStage(std::string* out, const GlDrawUniforms& u, int s)
{
    const int32_t* ci = u.tevColorIn[s];
    const int32_t* ai = u.tevAlphaIn[s];
    Append(out, "    {  // stage %d\n", s);
    if (Uses(ci, 8, 9) || Uses(ai, 4, 4))
        Append(out, "        ivec4 tex = %s;\n", TexInput(u, s).c_str());
    if (Uses(ci, 10, 11) || Uses(ai, 5, 5))
        Append(out, "        ivec4 ras = %s;\n", RasInput(u, s).c_str());
    if (Uses(ci, 14, 14))
        Append(out, "        ivec3 kc = %s;\n", Konst(u.tevSel[s][0], true).c_str());
    if (Uses(ai, 6, 6))
        Append(out, "        int ka = %s;\n", Konst(u.tevSel[s][1], false).c_str());
    for (int i = 0; i < 3; ++i)
        Append(out, "        ivec3 %s = %s & 255;\n", kColorNames.in[i], ColorInput(ci[i]).c_str());
    Append(out, "        ivec3 d = %s;\n", ColorInput(ci[3]).c_str());
    for (int i = 0; i < 3; ++i)
        Append(out, "        int %s = %s & 255;\n", kAlphaNames.in[i], AlphaInput(ai[i]).c_str());
    Append(out, "        int ad = %s;\n", AlphaInput(ai[3]).c_str());
    AppendColorOp(out, u.tevColorOp[s]);
    AppendAlphaOp(out, u.tevAlphaOp[s]);
    Append(out, "        %s.rgb = rc;\n        %s.a = ra;\n    }\n", kRegs[u.tevDest[s][0] & 3], kRegs[u.tevDest[s][1] & 3]);
}

}  // namespace

std::string StraightLineCombiner(const GlDrawUniforms& u)
{
    const int stages = std::clamp(static_cast<int>(u.pix[1]), 1, kMaxTevStages);
    std::string out = "\nvoid main()\n{\n";
    for (int r = 0; r < 4; ++r)
        Append(&out, "    ivec4 %s = uTevReg[%d];\n", kRegs[r], r);
    for (int s = 0; s < stages; ++s)
        AppendStage(&out, u, s);
    const int32_t* last = u.tevDest[stages - 1];
    Append(&out, "    writeFragment(%s.rgb & 255, %s.a & 255);\n}\n", kRegs[last[0] & 3], kRegs[last[1] & 3]);
    return out;
}

}  // namespace gxgl
