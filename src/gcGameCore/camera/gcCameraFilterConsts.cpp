#include "gcGameCore/camera/gcCameraFilterConsts.h"

#include <algorithm>
#include <cmath>

void gcCameraFilterConsts::Compute(float fPole)
{
    a = fPole;
    const float b = 1.0f - fPole;
    gain = b * b * b * b;
    c1 = 4.0f * fPole;
    c2 = -6.0f * fPole * fPole;
    c3 = 4.0f * fPole * fPole * fPole;
    c4 = 1.0f - (gain + c1 + c2 + c3);
}

void gcCameraFilterConsts::SetPole(float fRequested)
{
    const float fPole = std::clamp(fRequested, 0.0f, kMaxPole);
    if (fPole != a)
        Compute(fPole);
}

template <class T>
static void Shift(T h[4], const T& y)
{
    h[3] = h[2];
    h[2] = h[1];
    h[1] = h[0];
    h[0] = y;
}

float gcCameraFilterConsts::Step(float x, float h[4]) const
{
    const float y = gain * x + c1 * h[0] + c2 * h[1] + c3 * h[2] + c4 * h[3];
    Shift(h, y);
    return y;
}

mVec3 gcCameraFilterConsts::Step(const mVec3& x, mVec3 h[4]) const
{
    mVec3 y;
    for (int i = 0; i < 3; ++i)
        y[i] = gain * x[i] + c1 * h[0][i] + c2 * h[1][i] + c3 * h[2][i] + c4 * h[3][i];
    Shift(h, y);
    return y;
}

mQuat gcCameraFilterConsts::Step(const mQuat& x, mQuat h[4]) const
{
    const float c[4] = {c1, c2, c3, c4};
    mQuat q = x;
    float s = gain;
    for (int i = 0; i < 4; ++i) {
        const float sNext = s + c[i];
        const float t = sNext != 0.0f ? c[i] / sNext : 0.0f;
        // The coefficients alternate in sign, so a partial sum can reach 0:
        // that blend has no defined weight and is left out.
        if (sNext != 0.0f && std::isfinite(t)) {
            mQuat blend;
            blend.Slerp(q, h[i], t);
            const float len = std::sqrt(blend.x * blend.x + blend.y * blend.y + blend.z * blend.z + blend.w * blend.w);
            if (len > 0.0f && std::isfinite(len))
                q = mQuat(blend.x / len, blend.y / len, blend.z / len, blend.w / len);
            else if (len == 0.0f)
                q = blend;  // no direction to normalise
        }
        s = sNext;
    }
    Shift(h, q);
    return q;
}
