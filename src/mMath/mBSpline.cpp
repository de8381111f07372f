#include "mMath/mBSpline.h"

#include <cstring>

#include "mMath/mVec3.h"

void mBSpline::EvaluateBasis(float t, float* pWeights)
{
    constexpr float kSixth = 0.16666667f;
    const float u = 1.0f - t;
    const float t2 = t * t;
    const float t3 = t2 * t;
    pWeights[0] = u * u * u * kSixth;
    pWeights[1] = (3.0f * t3 - 6.0f * t2 + 4.0f) * kSixth;
    pWeights[2] = (-3.0f * t3 + 3.0f * t2 + 3.0f * t + 1.0f) * kSixth;
    pWeights[3] = t3 * kSixth;
}

void mBSpline::Interpolate(int segment, float t, const mVec3* pPoints, int count, int stride,
                           mVec3* pOut)
{
    float w[4];
    EvaluateBasis(t, w);
    Interpolate(segment, w, pPoints, count, stride, pOut);
}

void mBSpline::Interpolate(int segment, const float* pWeights, const mVec3* pPoints, int count,
                           int stride, mVec3* pOut)
{
    mVec3 out(0.0f, 0.0f, 0.0f);
    if (count >= 1) {
        const unsigned char* base = reinterpret_cast<const unsigned char*>(pPoints);
        for (int j = 0; j < 4; j++) {
            int k = segment - 2 + j;
            if (k <= 0)
                k = 0;
            else if (k >= count - 1)
                k = count - 1;
            mVec3 p;  // the points may sit unaligned inside larger records
            std::memcpy(&p, base + static_cast<long>(k) * stride, sizeof(p));
            out.Set(out.x + pWeights[j] * p.x, out.y + pWeights[j] * p.y, out.z + pWeights[j] * p.z);
        }
    }
    *pOut = out;
}
