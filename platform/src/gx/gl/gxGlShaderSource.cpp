// GLSL text of the uber-shader: the transform, lighting and texture-coordinate
// stage in the vertex shader, the texture combiner, alpha compare and fog in
// the fragment shader. Everything is driven by the "Draw" uniform block
// (gxGlUniforms.h); the combiner works in integers so that its rounding is
// the hardware's.
#include "gx/gl/gxGlShaderSource.h"

namespace gxgl {

#define QM_GLSL_DRAW_BLOCK                                                      \
    "layout(std140) uniform Draw {\n"                                           \
    "  vec4 uPosTex[64]; vec4 uNrm[32]; vec4 uPost[64];\n"                     \
    "  vec4 uLightColor[8]; vec4 uLightCosAtt[8]; vec4 uLightDistAtt[8];\n"     \
    "  vec4 uLightPos[8]; vec4 uLightDir[8];\n"                                 \
    "  vec4 uProj[2]; vec4 uChanAmb[2]; vec4 uChanMat[2];\n"                    \
    "  vec4 uFog; vec4 uFogColor;\n"                                            \
    "  ivec4 uChanCtrl[4]; ivec4 uChanFn[4];\n"                                 \
    "  ivec4 uTexGen[8]; ivec4 uTexGen2[8];\n"                                  \
    "  ivec4 uVtx; ivec4 uVtx2;\n"                                              \
    "  ivec4 uTevColorIn[16]; ivec4 uTevAlphaIn[16];\n"                         \
    "  ivec4 uTevColorOp[16]; ivec4 uTevAlphaOp[16];\n"                         \
    "  ivec4 uTevOrder[16]; ivec4 uTevSel[16]; ivec4 uTevDest[16];\n"           \
    "  ivec4 uTevReg[4]; ivec4 uKonst[4]; ivec4 uSwap[4];\n"                    \
    "  ivec4 uAlphaCmp; ivec4 uPix; ivec4 uTexMaps;\n"                          \
    "  vec4 uVtxScale[3];\n"                                                    \
    "};\n"

const char* const kVertexShaderSource =
    "#version 330 core\n" QM_GLSL_DRAW_BLOCK
    R"(
layout(location = 0) in vec3 aPosIn;
layout(location = 1) in vec3 aNrm;
layout(location = 2) in vec4 aClr0;
layout(location = 3) in vec4 aClr1;
layout(location = 4) in vec2 aTexIn[8];
layout(location = 12) in uvec4 aMtxA;   // position matrix, TEX0..2 matrix rows
layout(location = 13) in uvec4 aMtxB;   // TEX3..6 matrix rows
layout(location = 14) in uvec4 aMtxC;   // TEX7 matrix row
layout(location = 15) in vec3 aBinTan;  // unused source rows read zero

out vec4 vClr0;
out vec4 vClr1;
out vec3 vTex[8];
out float vEyeZ;

// The position and coordinates: those kept as shorts arrive unscaled, and
// main applies their scales (1 for floats, exactly) once.
vec3 aPos;
vec2 aTex[8];

vec3 rowXform(int row, vec4 p)
{
    return vec3(dot(uPosTex[row], p), dot(uPosTex[row + 1], p), dot(uPosTex[row + 2], p));
}

// Division by zero gives 1 when the numerator is positive, else 0.
float safeDiv(float num, float den)
{
    if (den == 0.0) return num > 0.0 ? 1.0 : 0.0;
    return num / den;
}

vec4 lightSum(int chan, vec3 P, vec3 N)
{
    vec4 sum = vec4(0.0);
    int mask = uChanCtrl[chan].w;
    int diffFn = uChanFn[chan].x;
    int attn = uChanFn[chan].y;
    for (int i = 0; i < 8; ++i) {
        if ((mask & (1 << i)) == 0) continue;
        vec3 v = uLightPos[i].xyz - P;
        float dist = length(v);
        vec3 L = dist > 0.0 ? v / dist : vec3(0.0);
        float att = 1.0;
        if (attn == 3) {  // spot: angle and distance attenuation
            float x = max(0.0, dot(L, uLightDir[i].xyz));
            vec3 a = uLightCosAtt[i].xyz;
            vec3 k = uLightDistAtt[i].xyz;
            att = safeDiv(max(0.0, a.x + a.y * x + a.z * x * x), k.x + k.y * dist + k.z * dist * dist);
        } else if (attn == 1) {  // specular: the direction is the half-angle vector
            float x = dot(L, N) >= 0.0 ? max(0.0, dot(N, uLightDir[i].xyz)) : 0.0;
            vec3 a = uLightCosAtt[i].xyz;
            vec3 k = uLightDistAtt[i].xyz;
            att = safeDiv(max(0.0, a.x + a.y * x + a.z * x * x), k.x + k.y * x + k.z * x * x);
        }
        float d = 1.0;
        if (diffFn == 1) d = dot(L, N);
        else if (diffFn == 2) d = max(0.0, dot(L, N));
        sum += uLightColor[i] * (att * d);
    }
    return sum;
}

// One colour or alpha channel in 0..255 units, as the hardware computes it:
// lit = clamp(ambient + lights), result = material * (lit + lit/128) / 256.
vec4 channel(int chan, int reg, vec4 vtxColor, vec3 P, vec3 N)
{
    vec4 mat = uChanCtrl[chan].y != 0 ? vtxColor * 255.0 : uChanMat[reg];
    if (uChanCtrl[chan].x == 0) return mat;
    vec4 amb = uChanCtrl[chan].z != 0 ? vtxColor * 255.0 : uChanAmb[reg];
    ivec4 lit = ivec4(floor(clamp(amb + lightSum(chan, P, N), 0.0, 255.0)));
    ivec4 m = ivec4(floor(mat + 0.5));
    return vec4((m * (lit + (lit >> 7))) >> 8);
}

vec4 texSource(int src, vec4 clr0, vec4 clr1)
{
    if (src == 0) return vec4(aPos, 1.0);
    if (src == 1) return vec4(aNrm, 1.0);
    if (src == 2) return vec4(clr0.rg, 1.0, 1.0);
    if (src == 3 || src == 4) return vec4(aBinTan, 1.0);
    int t = clamp(src - 5, 0, 7);
    return vec4(aTex[t], 1.0, 1.0);
}

int texMtxRow(int n)
{
    if ((uVtx.w & (1 << (4 + n))) == 0) return uTexGen[n].z;
    uint r;
    if (n < 3) r = n == 0 ? aMtxA.y : (n == 1 ? aMtxA.z : aMtxA.w);
    else if (n < 7) r = aMtxB[n - 3];
    else r = aMtxC.x;
    return int(r & 63u);
}

void main()
{
    aPos = aPosIn * uVtxScale[0].x;
    for (int t = 0; t < 8; ++t)
        aTex[t] = aTexIn[t] * uVtxScale[1 + t / 4][t % 4];
    int pn = (uVtx.w & 1) != 0 ? int(aMtxA.x & 63u) : uVtx.y;
    vec4 p = vec4(aPos, 1.0);
    vec3 P = rowXform(pn, p);
    int nr = pn & 31;
    vec3 N = vec3(dot(uNrm[nr].xyz, aNrm), dot(uNrm[nr + 1].xyz, aNrm), dot(uNrm[nr + 2].xyz, aNrm));
    float nl = length(N);
    N = nl > 0.0 ? N / nl : N;

    vec4 clr0 = (uVtx.w & 4) != 0 ? aClr0 : vec4(1.0);
    vec4 clr1 = (uVtx.w & 8) != 0 ? aClr1 : vec4(1.0);
    vec4 c0 = vec4(channel(0, 0, clr0, P, N).rgb, channel(2, 0, clr0, P, N).a);
    vec4 c1 = vec4(channel(1, 1, clr1, P, N).rgb, channel(3, 1, clr1, P, N).a);
    vClr0 = c0 / 255.0;
    vClr1 = c1 / 255.0;

    for (int n = 0; n < 8; ++n) {
        if (n >= uVtx.z) { vTex[n] = vec3(0.0, 0.0, 1.0); continue; }
        int kind = uTexGen[n].x;
        vec3 c;
        if (kind == 2) {
            c = vec3(vClr0.rg, 1.0);
        } else if (kind == 3) {
            c = vec3(vClr1.rg, 1.0);
        } else if (kind == 1) {
            // Emboss needs binormal and tangent vectors the stream does not
            // carry: the source coordinate is passed on unshifted.
            int s = clamp(uTexGen2[n].y, 0, 7);
            c = n > s ? vTex[s] : vec3(0.0, 0.0, 1.0);
        } else {
            vec4 src = texSource(uTexGen[n].y, clr0, clr1);
            int row = texMtxRow(n);
            c.x = dot(uPosTex[row], src);
            c.y = dot(uPosTex[row + 1], src);
            c.z = uTexGen2[n].x != 0 ? dot(uPosTex[row + 2], src) : 1.0;
            if (uVtx2.x != 0) {
                if ((uTexGen[n].w & 256) != 0) {
                    float l = length(c);
                    c = l > 0.0 ? c / l : c;
                }
                int pr = uTexGen[n].w & 63;
                vec4 q = vec4(c, 1.0);
                c = vec3(dot(uPost[pr], q), dot(uPost[pr + 1], q), dot(uPost[pr + 2], q));
                if (uTexGen2[n].x == 0) c.z = 1.0;
            }
        }
        vTex[n] = c;
    }

    // The console's clip space keeps -w <= z <= 0; OpenGL's keeps -w..w.
    vec4 clip;
    if (uVtx.x == 0) {
        clip = vec4(uProj[0].x * P.x + uProj[0].y * P.z, uProj[0].z * P.y + uProj[0].w * P.z,
                    uProj[1].x * P.z + uProj[1].y, -P.z);
    } else {
        clip = vec4(uProj[0].x * P.x + uProj[0].y, uProj[0].z * P.y + uProj[0].w,
                    uProj[1].x * P.z + uProj[1].y, 1.0);
    }
    clip.z = 2.0 * clip.z + clip.w;
    vEyeZ = P.z;
    gl_Position = clip;
}
)";

const char* const kFragmentShaderHeader = "#version 330 core\n" QM_GLSL_DRAW_BLOCK;

const char* const kFragmentGenericDefines =
    "#define K_ALPHA_OP uPix.x\n"
    "#define K_ALPHA_COMP0 uAlphaCmp.x\n"
    "#define K_ALPHA_COMP1 uAlphaCmp.z\n"
    "#define K_FOG_KIND uPix.z\n"
    "#define K_FOG_ORTHO uPix.w\n"
    "#define K_TEX_MAPS uTexMaps.x\n"
    "#define K_NUM_TEXGENS uVtx.z\n";

// What every fragment program shares after its configuration: the inputs,
// the texture coordinate's projection, the alpha test, fog and the output.
// The configuration is read through K_* names, which are either uniforms
// (generic program) or constants (a specialised program).
const char* const kFragmentShaderCommon = R"(
uniform sampler2D uTex0;
uniform sampler2D uTex1;
uniform sampler2D uTex2;
uniform sampler2D uTex3;
uniform sampler2D uTex4;
uniform sampler2D uTex5;
uniform sampler2D uTex6;
uniform sampler2D uTex7;

in vec4 vClr0;
in vec4 vClr1;
in vec3 vTex[8];
in float vEyeZ;

out vec4 fragColor;

// A texel or a raster colour (0..1) as the combiner's 0..255.
ivec4 to255(vec4 c)
{
    return ivec4(floor(c * 255.0 + 0.5));
}

vec2 projectCoord(vec3 c)
{
    if (c.z == 0.0) return clamp(c.xy * 0.5, -1.0, 1.0);
    return c.xy / c.z;
}

bool alphaPasses(int f, int a, int ref)
{
    if (f == 0) return false;
    if (f == 1) return a < ref;
    if (f == 2) return a == ref;
    if (f == 3) return a <= ref;
    if (f == 4) return a > ref;
    if (f == 5) return a != ref;
    if (f == 6) return a >= ref;
    return true;
}

bool alphaTest(int a)
{
    bool r0 = alphaPasses(K_ALPHA_COMP0, a, uAlphaCmp.y);
    bool r1 = alphaPasses(K_ALPHA_COMP1, a, uAlphaCmp.w);
    if (K_ALPHA_OP == 0) return r0 && r1;
    if (K_ALPHA_OP == 1) return r0 || r1;
    if (K_ALPHA_OP == 2) return r0 != r1;
    return r0 == r1;
}

float fogFactor()
{
    float d = gl_FragCoord.z;
    float ze = K_FOG_ORTHO != 0 ? uFog.x * d : (uFog.y - d != 0.0 ? uFog.x / (uFog.y - d) : 1e30);
    float f = clamp(ze - uFog.z, 0.0, 1.0);
    int kind = K_FOG_KIND;
    if (kind == 4) return 1.0 - exp2(-8.0 * f);
    if (kind == 5) return 1.0 - exp2(-8.0 * f * f);
    if (kind == 6) return exp2(-8.0 * (1.0 - f));
    if (kind == 7) return exp2(-8.0 * (1.0 - f) * (1.0 - f));
    return f;
}

// The combiner's last colour and alpha (0..255) through the alpha test and
// fog to the frame buffer.
void writeFragment(ivec3 rgb, int alpha)
{
    if (!alphaTest(alpha)) discard;
    if (K_FOG_KIND != 0) {
        int f = int(floor(256.0 * fogFactor()));
        rgb = (rgb * (256 - f) + ivec3(uFogColor.rgb) * f) >> 8;
    }
    fragColor = vec4(vec3(rgb), float(alpha)) / 255.0;
}
)";

// The generic combiner: every stage's configuration read from the parameter
// block at run time.
const char* const kFragmentGenericCombiner = R"(
ivec4 sampleMap(int map, vec2 uv)
{
    if (map < 0 || (K_TEX_MAPS & (1 << map)) == 0) return ivec4(255);
    vec4 t;
    switch (map) {
    case 0: t = texture(uTex0, uv); break;
    case 1: t = texture(uTex1, uv); break;
    case 2: t = texture(uTex2, uv); break;
    case 3: t = texture(uTex3, uv); break;
    case 4: t = texture(uTex4, uv); break;
    case 5: t = texture(uTex5, uv); break;
    case 6: t = texture(uTex6, uv); break;
    default: t = texture(uTex7, uv); break;
    }
    return to255(t);
}

vec2 texCoord(int n)
{
    // A coordinate the generators do not produce reads coordinate 0.
    return projectCoord(vTex[n < K_NUM_TEXGENS ? n : 0]);
}

ivec4 swizzle(ivec4 c, int table)
{
    ivec4 s = uSwap[table];
    return ivec4(c[s.x], c[s.y], c[s.z], c[s.w]);
}

int konstValue(int sel, int comp)
{
    if (sel < 8) {
        int k[8] = int[8](255, 223, 191, 159, 128, 96, 64, 32);
        return k[sel];
    }
    if (sel < 12) return 0;
    if (sel < 16) return uKonst[sel - 12][comp];
    return uKonst[(sel - 16) & 3][(sel - 16) >> 2];
}

ivec3 colorInput(int id, ivec4 reg[4], ivec4 tex, ivec4 ras, ivec3 k)
{
    if (id < 8) return (id & 1) == 0 ? reg[id >> 1].rgb : ivec3(reg[id >> 1].a);
    if (id == 8) return tex.rgb;
    if (id == 9) return ivec3(tex.a);
    if (id == 10) return ras.rgb;
    if (id == 11) return ivec3(ras.a);
    if (id == 12) return ivec3(255);
    if (id == 13) return ivec3(128);
    if (id == 14) return k;
    return ivec3(0);
}

int alphaInput(int id, ivec4 reg[4], ivec4 tex, ivec4 ras, int k)
{
    if (id < 4) return reg[id].a;
    if (id == 4) return tex.a;
    if (id == 5) return ras.a;
    if (id == 6) return k;
    return 0;
}

// The regular combiner: d + lerp(a, b, c) with bias, scale and rounding.
ivec3 combine(ivec3 a, ivec3 b, ivec3 c, ivec3 d, ivec4 op, bool isAlpha)
{
    int sub = op.x & 1;
    int scale = op.z;
    int sl = scale == 3 ? 0 : scale;
    a &= 255; b &= 255; c &= 255;
    ivec3 cc = c + (c >> 7);
    ivec3 t = a * (256 - cc) + b * cc;
    t <<= sl;
    t += scale == 3 ? 0 : (sub != 0 ? 127 : 128);
    if (isAlpha) t = sub != 0 ? ((-t) >> 8) : (t >> 8);
    else { t >>= 8; if (sub != 0) t = -t; }
    int bias = op.y == 1 ? 128 : (op.y == 2 ? -128 : 0);
    ivec3 r = ((d + bias) << sl) + t;
    if (scale == 3) r >>= 1;
    return r;
}

bool compareGT(int kind, ivec3 a, ivec3 b, out bvec3 perChannel)
{
    perChannel = bvec3(false);
    a &= 255; b &= 255;
    int cmp = kind >> 1;
    bool eq = (kind & 1) != 0;
    if (cmp == 0) return eq ? a.r == b.r : a.r > b.r;
    if (cmp == 1) {
        int va = (a.g << 8) | a.r, vb = (b.g << 8) | b.r;
        return eq ? va == vb : va > vb;
    }
    if (cmp == 2) {
        int va = (a.b << 16) | (a.g << 8) | a.r, vb = (b.b << 16) | (b.g << 8) | b.r;
        return eq ? va == vb : va > vb;
    }
    perChannel = eq ? equal(a, b) : greaterThan(a, b);
    return false;
}

void main()
{
    // By register id: reg[0] is prev, reg[1..3] reg0..reg2.
    ivec4 reg[4] = ivec4[4](uTevReg[0], uTevReg[1], uTevReg[2], uTevReg[3]);
    ivec4 ras0 = to255(vClr0);
    ivec4 ras1 = to255(vClr1);
    int lastC = 0, lastA = 0;
    for (int s = 0; s < uPix.y; ++s) {
        ivec4 order = uTevOrder[s];
        ivec4 sel = uTevSel[s];
        ivec4 tex = ivec4(255);
        if (order.x >= 0) {
            tex = K_NUM_TEXGENS == 0 ? ivec4(0) : sampleMap(order.x, texCoord(order.y));
            tex = swizzle(tex, sel.w);
        }
        ivec4 ras = order.z == 0 ? ras0 : (order.z == 1 ? ras1 : ivec4(0));
        ras = swizzle(ras, sel.z);
        ivec3 kc;
        if (sel.x >= 12 && sel.x < 16) kc = uKonst[sel.x - 12].rgb;
        else kc = ivec3(konstValue(sel.x, 0));
        int ka = konstValue(sel.y, 3);

        ivec4 ci = uTevColorIn[s];
        ivec3 a = colorInput(ci.x, reg, tex, ras, kc);
        ivec3 b = colorInput(ci.y, reg, tex, ras, kc);
        ivec3 c = colorInput(ci.z, reg, tex, ras, kc);
        ivec3 d = colorInput(ci.w, reg, tex, ras, kc);
        ivec4 ai = uTevAlphaIn[s];
        int aa = alphaInput(ai.x, reg, tex, ras, ka);
        int ab = alphaInput(ai.y, reg, tex, ras, ka);
        int ac = alphaInput(ai.z, reg, tex, ras, ka);
        int ad = alphaInput(ai.w, reg, tex, ras, ka);

        ivec4 cop = uTevColorOp[s];
        ivec3 rc;
        if (cop.y == 3) {
            bvec3 per;
            bool all = compareGT((cop.z << 1) | (cop.x & 1), a, b, per);
            int kind = (cop.z << 1) | (cop.x & 1);
            bvec3 pass = kind >= 6 ? per : bvec3(all);
            rc = d + ivec3(pass.x ? c.x & 255 : 0, pass.y ? c.y & 255 : 0, pass.z ? c.z & 255 : 0);
        } else {
            rc = combine(a, b, c, d, cop, false);
        }
        rc = cop.w != 0 ? clamp(rc, 0, 255) : clamp(rc, -1024, 1023);

        ivec4 aop = uTevAlphaOp[s];
        int ra;
        if (aop.y == 3) {
            int kind = (aop.z << 1) | (aop.x & 1);
            bool pass;
            if (kind >= 6) {
                pass = (kind & 1) != 0 ? (aa & 255) == (ab & 255) : (aa & 255) > (ab & 255);
            } else {
                bvec3 per;
                pass = compareGT(kind, a, b, per);
            }
            ra = ad + (pass ? ac & 255 : 0);
        } else {
            ra = combine(ivec3(aa), ivec3(ab), ivec3(ac), ivec3(ad), aop, true).x;
        }
        ra = aop.w != 0 ? clamp(ra, 0, 255) : clamp(ra, -1024, 1023);

        ivec4 dest = uTevDest[s];
        reg[dest.x].rgb = rc;
        reg[dest.y].a = ra;
        lastC = dest.x;
        lastA = dest.y;
    }
    writeFragment(reg[lastC].rgb & 255, reg[lastA].a & 255);
}
)";

// Copies a rectangle of the frame buffer into a texture: an optional 2x2 box
// average (the copy's half-size filter) and the precision of the target
// format, so a sampled copy looks like the stored texture would.
const char* const kCopyVertexShaderSource = R"(#version 330 core
out vec2 vUv;
void main()
{
    vec2 p = vec2((gl_VertexID & 1) != 0 ? 1.0 : 0.0, (gl_VertexID & 2) != 0 ? 1.0 : 0.0);
    vUv = p;
    gl_Position = vec4(p * 2.0 - 1.0, 0.0, 1.0);
}
)";

const char* const kCopyFragmentShaderSource = R"(#version 330 core
uniform sampler2D uSrc;
uniform ivec4 uRect;  // source x, y (top-left, frame-buffer rows from the top), width, height
uniform int uBox;     // 1: average 2x2 source pixels per destination pixel
uniform ivec4 uSel;   // source of each output channel: 0-3 R, G, B, A; 4 luma; 5 one
uniform ivec4 uBits;  // bits the stored format keeps per output channel
uniform int uMode;    // 1: the two-mode 5-bit/4-bit-plus-3-bit-alpha format
in vec2 vUv;
out vec4 fragColor;

// Frame-buffer rows are counted from the top as on the console; the GL
// texture holds them bottom-up. Destination row 0 is the top row, as texel
// rows are stored in memory.
ivec4 fetch(int x, int yFromTop)
{
    ivec2 size = textureSize(uSrc, 0);
    ivec2 p = ivec2(x, size.y - 1 - yFromTop);
    return ivec4(floor(texelFetch(uSrc, clamp(p, ivec2(0), size - 1), 0) * 255.0 + 0.5));
}

// Keeps the top n bits of an 8-bit value (the copy truncates) and expands
// them back by repeating them, as the texture unit reads the stored texel.
int keep(int v, int n)
{
    if (n >= 8) return v;
    int q = v >> (8 - n);
    int e = q << (8 - n);
    for (int shift = 8 - 2 * n; shift > -n; shift -= n)
        e |= shift >= 0 ? q << shift : q >> -shift;
    return e & 255;
}

void main()
{
    ivec2 d = ivec2(gl_FragCoord.xy);
    ivec4 c;
    if (uBox != 0) {
        // The half-size filter averages each 2x2 block.
        int x = uRect.x + d.x * 2;
        int y = uRect.y + d.y * 2;
        c = (fetch(x, y) + fetch(x + 1, y) + fetch(x, y + 1) + fetch(x + 1, y + 1)) >> 2;
    } else {
        c = fetch(uRect.x + d.x, uRect.y + d.y);
    }
    int luma = clamp((66 * c.r + 129 * c.g + 25 * c.b + 128 >> 8) + 16, 0, 255);
    int src[6] = int[6](c.r, c.g, c.b, c.a, luma, 255);
    ivec4 o = ivec4(src[uSel.x], src[uSel.y], src[uSel.z], src[uSel.w]);
    ivec4 r;
    if (uMode == 1) {
        // Opaque pixels keep 5 bits of colour; others 4 bits and 3 of alpha.
        if ((o.a >> 5) == 7) r = ivec4(keep(o.r, 5), keep(o.g, 5), keep(o.b, 5), 255);
        else r = ivec4(keep(o.r, 4), keep(o.g, 4), keep(o.b, 4), keep(o.a, 3));
    } else {
        r = ivec4(keep(o.r, uBits.x), keep(o.g, uBits.y), keep(o.b, uBits.z), keep(o.a, uBits.w));
    }
    fragColor = vec4(r) / 255.0;
}
)";

}  // namespace gxgl
