// Projection and projective texture matrices in the graphics chip's clip
// convention: eye-space z = -near gives z/w = -1, z = -far gives z/w = 0.

#include "platform/mtx.h"

#include <cmath>

namespace {

constexpr float kDegToRad = 3.14159265358979323846f / 180.0f;

void Zero44(Mtx44 m)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            m[r][c] = 0.0f;
}

void Zero34(Mtx m)
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            m[r][c] = 0.0f;
}

}  // namespace

void C_MTXFrustum(Mtx44 m, float t, float b, float l, float r, float n, float f)
{
    const float rl = 1.0f / (r - l), tb = 1.0f / (t - b), fn = 1.0f / (f - n);
    Zero44(m);
    m[0][0] = 2.0f * n * rl;
    m[0][2] = (r + l) * rl;
    m[1][1] = 2.0f * n * tb;
    m[1][2] = (t + b) * tb;
    m[2][2] = -n * fn;
    m[2][3] = -(f * n) * fn;
    m[3][2] = -1.0f;
}

void C_MTXPerspective(Mtx44 m, float fovYDeg, float aspect, float n, float f)
{
    const float cot = 1.0f / std::tan(0.5f * fovYDeg * kDegToRad);
    const float fn = 1.0f / (f - n);
    Zero44(m);
    m[0][0] = cot / aspect;
    m[1][1] = cot;
    m[2][2] = -n * fn;
    m[2][3] = -(f * n) * fn;
    m[3][2] = -1.0f;
}

void C_MTXOrtho(Mtx44 m, float t, float b, float l, float r, float n, float f)
{
    const float rl = 1.0f / (r - l), tb = 1.0f / (t - b), fn = 1.0f / (f - n);
    Zero44(m);
    m[0][0] = 2.0f * rl;
    m[0][3] = -(r + l) * rl;
    m[1][1] = 2.0f * tb;
    m[1][3] = -(t + b) * tb;
    m[2][2] = -fn;
    m[2][3] = -f * fn;
    m[3][3] = 1.0f;
}

// s = (scaleS * xclip + transS * w) / w with w = -z, so the translation
// enters the z column; q is -z.
void C_MTXLightFrustum(Mtx m, float t, float b, float l, float r, float n,
                       float scaleS, float scaleT, float transS, float transT)
{
    const float rl = 1.0f / (r - l), tb = 1.0f / (t - b);
    Zero34(m);
    m[0][0] = 2.0f * n * rl * scaleS;
    m[0][2] = (r + l) * rl * scaleS - transS;
    m[1][1] = 2.0f * n * tb * scaleT;
    m[1][2] = (t + b) * tb * scaleT - transT;
    m[2][2] = -1.0f;
}

void C_MTXLightPerspective(Mtx m, float fovYDeg, float aspect,
                           float scaleS, float scaleT, float transS, float transT)
{
    const float cot = 1.0f / std::tan(0.5f * fovYDeg * kDegToRad);
    Zero34(m);
    m[0][0] = cot / aspect * scaleS;
    m[0][2] = -transS;
    m[1][1] = cot * scaleT;
    m[1][2] = -transT;
    m[2][2] = -1.0f;
}

void C_MTXLightOrtho(Mtx m, float t, float b, float l, float r,
                     float scaleS, float scaleT, float transS, float transT)
{
    const float rl = 1.0f / (r - l), tb = 1.0f / (t - b);
    Zero34(m);
    m[0][0] = 2.0f * rl * scaleS;
    m[0][3] = -(r + l) * rl * scaleS + transS;
    m[1][1] = 2.0f * tb * scaleT;
    m[1][3] = -(t + b) * tb * scaleT + transT;
    m[2][3] = 1.0f;
}
