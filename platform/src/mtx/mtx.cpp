// 3x4 affine matrices, 4x4 matrices and 3-vectors. Results are computed
// into locals first, so destinations may alias sources.

#include "platform/mtx.h"

#include <cmath>
#include <cstring>

namespace {

constexpr float kSingular = 1e-20f;

void Copy34(const float (*src)[4], Mtx dst) { std::memmove(dst, src, sizeof(Mtx)); }

float Det3(const Mtx m)
{
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

// Inverse of the 3x3 part into out (rows), false when singular.
bool Inverse3(const Mtx m, float out[3][3])
{
    const float det = Det3(m);
    if (std::fabs(det) < kSingular)
        return false;
    const float k = 1.0f / det;
    out[0][0] = (m[1][1] * m[2][2] - m[1][2] * m[2][1]) * k;
    out[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) * k;
    out[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) * k;
    out[1][0] = (m[1][2] * m[2][0] - m[1][0] * m[2][2]) * k;
    out[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) * k;
    out[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) * k;
    out[2][0] = (m[1][0] * m[2][1] - m[1][1] * m[2][0]) * k;
    out[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) * k;
    out[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) * k;
    return true;
}

}  // namespace

void PSMTXIdentity(Mtx m)
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            m[r][c] = (r == c) ? 1.0f : 0.0f;
}

void PSMTXCopy(const Mtx src, Mtx dst) { Copy34(src, dst); }

void PSMTXConcat(const Mtx a, const Mtx b, Mtx ab)
{
    Mtx t;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c)
            t[r][c] = a[r][0] * b[0][c] + a[r][1] * b[1][c] + a[r][2] * b[2][c];
        t[r][3] += a[r][3];
    }
    Copy34(t, ab);
}

void PSMTXTranspose(const Mtx src, Mtx xpose)
{
    Mtx t;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            t[r][c] = src[c][r];
        t[r][3] = 0.0f;
    }
    Copy34(t, xpose);
}

uint32_t PSMTXInverse(const Mtx src, Mtx inv)
{
    float i3[3][3];
    if (!Inverse3(src, i3))
        return 0;
    Mtx t;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            t[r][c] = i3[r][c];
        t[r][3] = -(i3[r][0] * src[0][3] + i3[r][1] * src[1][3] + i3[r][2] * src[2][3]);
    }
    Copy34(t, inv);
    return 1;
}

uint32_t PSMTXInvXpose(const Mtx src, Mtx invX)
{
    float i3[3][3];
    if (!Inverse3(src, i3))
        return 0;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            invX[r][c] = i3[c][r];
        invX[r][3] = 0.0f;
    }
    return 1;
}

void PSMTXScale(Mtx m, float xS, float yS, float zS)
{
    PSMTXIdentity(m);
    m[0][0] = xS;
    m[1][1] = yS;
    m[2][2] = zS;
}

void PSMTXTrans(Mtx m, float xT, float yT, float zT)
{
    PSMTXIdentity(m);
    m[0][3] = xT;
    m[1][3] = yT;
    m[2][3] = zT;
}

void PSMTXScaleApply(const Mtx src, Mtx dst, float xS, float yS, float zS)
{
    const float s[3] = {xS, yS, zS};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            dst[r][c] = src[r][c] * s[r];
}

void PSMTXTransApply(const Mtx src, Mtx dst, float xT, float yT, float zT)
{
    Copy34(src, dst);
    dst[0][3] += xT;
    dst[1][3] += yT;
    dst[2][3] += zT;
}

void PSMTXRotRad(Mtx m, char axis, float rad)
{
    const float s = std::sin(rad), c = std::cos(rad);
    PSMTXIdentity(m);
    switch (axis) {
    case 'x': case 'X': m[1][1] = c; m[1][2] = -s; m[2][1] = s; m[2][2] = c; break;
    case 'y': case 'Y': m[0][0] = c; m[0][2] = s; m[2][0] = -s; m[2][2] = c; break;
    case 'z': case 'Z': m[0][0] = c; m[0][1] = -s; m[1][0] = s; m[1][1] = c; break;
    default: break;
    }
}

void PSMTXRotAxisRad(Mtx m, const Vec* axis, float rad)
{
    Vec n;
    PSVECNormalize(axis, &n);
    const float s = std::sin(rad), c = std::cos(rad), t = 1.0f - c;
    m[0][0] = t * n.x * n.x + c;       m[0][1] = t * n.x * n.y - s * n.z; m[0][2] = t * n.x * n.z + s * n.y;
    m[1][0] = t * n.x * n.y + s * n.z; m[1][1] = t * n.y * n.y + c;       m[1][2] = t * n.y * n.z - s * n.x;
    m[2][0] = t * n.x * n.z - s * n.y; m[2][1] = t * n.y * n.z + s * n.x; m[2][2] = t * n.z * n.z + c;
    m[0][3] = m[1][3] = m[2][3] = 0.0f;
}

void PSMTXMultVec(const Mtx m, const Vec* src, Vec* dst)
{
    const Vec v = *src;
    dst->x = m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z + m[0][3];
    dst->y = m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z + m[1][3];
    dst->z = m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z + m[2][3];
}

void PSMTXMultVecSR(const Mtx m, const Vec* src, Vec* dst)
{
    const Vec v = *src;
    dst->x = m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z;
    dst->y = m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z;
    dst->z = m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z;
}

void PSMTXMultVecArray(const Mtx m, const Vec* src, Vec* dst, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i)
        PSMTXMultVec(m, &src[i], &dst[i]);
}

void PSMTX44Identity(Mtx44 m)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            m[r][c] = (r == c) ? 1.0f : 0.0f;
}

void PSMTX44Copy(const Mtx44 src, Mtx44 dst) { std::memmove(dst, src, sizeof(Mtx44)); }

void PSMTX44Concat(const Mtx44 a, const Mtx44 b, Mtx44 ab)
{
    Mtx44 t;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            t[r][c] = a[r][0] * b[0][c] + a[r][1] * b[1][c] + a[r][2] * b[2][c] + a[r][3] * b[3][c];
    std::memcpy(ab, t, sizeof(Mtx44));
}

void PSVECAdd(const Vec* a, const Vec* b, Vec* ab) { *ab = {a->x + b->x, a->y + b->y, a->z + b->z}; }
void PSVECSubtract(const Vec* a, const Vec* b, Vec* d) { *d = {a->x - b->x, a->y - b->y, a->z - b->z}; }
void PSVECScale(const Vec* src, Vec* dst, float s) { *dst = {src->x * s, src->y * s, src->z * s}; }

void PSVECNormalize(const Vec* src, Vec* unit)
{
    const float mag = PSVECMag(src);
    if (mag == 0.0f) {
        *unit = {0.0f, 0.0f, 0.0f};
        return;
    }
    PSVECScale(src, unit, 1.0f / mag);
}

float PSVECMag(const Vec* v) { return std::sqrt(PSVECDotProduct(v, v)); }
float PSVECDotProduct(const Vec* a, const Vec* b) { return a->x * b->x + a->y * b->y + a->z * b->z; }

void PSVECCrossProduct(const Vec* a, const Vec* b, Vec* axb)
{
    *axb = {a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x};
}

float PSVECDistance(const Vec* a, const Vec* b)
{
    Vec d;
    PSVECSubtract(a, b, &d);
    return PSVECMag(&d);
}
