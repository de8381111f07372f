#pragma once
// Scalar helpers of the math library: the library's square root, the angle
// conversions, the trigonometric functions at their single-precision rounding,
// the quadratic solver and the heading helpers. Stateless; any thread.

#include <cmath>

constexpr float kDegToRad = 0.017453292f;    // pi/180 rounded to single precision
constexpr float kRadToDeg = 57.29578f;       // 180/pi rounded to single precision
constexpr float kMaxFloat = 3.4028235e38f;   // largest finite float; the empty box's bound

// Square root that returns a non-positive argument unchanged (0 stays 0, -4
// stays -4), so a degenerate length never turns into NaN.
inline float mSqrt(float f) { return f > 0.0f ? std::sqrt(f) : f; }

// The double-precision library functions, their results rounded to float:
// every angle function of the engine goes through these so that results do not
// depend on the float variants of the C library.
inline float mSin(float rad) { return static_cast<float>(std::sin(static_cast<double>(rad))); }
inline float mCos(float rad) { return static_cast<float>(std::cos(static_cast<double>(rad))); }
inline float mAsin(float f) { return static_cast<float>(std::asin(static_cast<double>(f))); }
inline float mAcos(float f) { return static_cast<float>(std::acos(static_cast<double>(f))); }
inline float mAtan2(float y, float x)
{
    return static_cast<float>(std::atan2(static_cast<double>(y), static_cast<double>(x)));
}

// Sine and cosine of an angle in degrees.
void mSinCos(float degrees, float* pSin, float* pCos);

// The signed turn in degrees from heading a to heading b; within [-180, 180]
// for headings less than 360 apart (both ends possible).
float mDeltaHeading(float a, float b);

// Real roots of a*t^2 + b*t + c. For a > 0 the first root is the larger. A
// (nearly) linear equation gives its one root twice; false when there is none.
// Inline: the swept-sphere tests call it once per triangle edge. Its callers
// are compiled without fused multiply-adds, as mMath is.
inline bool mSolveQuadratic(float a, float b, float c, float* pRoot0, float* pRoot1)
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
