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
