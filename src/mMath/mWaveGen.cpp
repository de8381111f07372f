#include "mMath/mWaveGen.h"

#include "mMath/mScalar.h"

mWaveGen::mWaveGen() : base(0.0f), amplitude(1.0f), phase(0.0f), frequency(1.0f), waveType(kConstBase) {}

// x less x truncated toward zero: [0, 1) for x >= 0, (-1, 0] below. A value
// beyond the 32-bit range is whole already (floats there have no fraction), so
// its fraction is 0 rather than the result of an out-of-range conversion.
static float PeriodFraction(float x)
{
    if (!(x > -2147483648.0f && x < 2147483648.0f))
        return 0.0f;
    return x - static_cast<float>(static_cast<int32_t>(x));
}

float mWaveGen::Calulate(float t) const
{
    if (waveType == kConstPeak)
        return base + amplitude;
    if (waveType == kConstBase)
        return base;
    const float p = PeriodFraction(frequency * (t + phase));
    float w;
    switch (waveType) {
    case kSine: w = mSin(kDegToRad * (360.0f * p)); break;
    case kTriangle: w = p < 0.5f ? 4.0f * p - 1.0f : 3.0f - 4.0f * p; break;
    case kSquare: w = p < 0.5f ? 1.0f : -1.0f; break;
    case kRampUp:
    case kRampUpAlt: w = p; break;
    case kRampDown: w = 1.0f - p; break;
    default: w = 0.0f; break;
    }
    return base + amplitude * w;
}
