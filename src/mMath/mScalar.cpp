#include "mMath/mScalar.h"

void mSinCos(float degrees, float* pSin, float* pCos)
{
    const float rad = degrees * kDegToRad;
    *pSin = mSin(rad);
    *pCos = mCos(rad);
}

float mDeltaHeading(float a, float b)
{
    const float d = b - a;
    if (std::fabs(d) <= 180.0f)
        return d;
    if (d >= 0.0f)
        return -(360.0f - d);
    return d + 360.0f;
}

bool mSolveQuadratic(float a, float b, float c, float* pRoot0, float* pRoot1)
{
    constexpr float kTiny = 0.00001f;
    if (std::fabs(a) <= kTiny) {
        if (std::fabs(b) <= kTiny)
            return false;
        const float root = -c / b;
        *pRoot0 = root;
        *pRoot1 = root;
        return true;
    }
    const float disc = b * b - (4.0f * a) * c;
    if (disc < 0.0f)
        return false;
    const float s = mSqrt(disc);
    const float k = 1.0f / (2.0f * a);
    *pRoot0 = k * (-b + s);
    *pRoot1 = k * (-b - s);
    return true;
}
