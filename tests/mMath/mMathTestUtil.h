#pragma once
#include <gtest/gtest.h>

#include <random>

#include "mMath/mBox.h"
#include "mMath/mOCS.h"
#include "mMath/mPlane.h"
#include "mMath/mQuat.h"
#include "mMath/mRay.h"
#include "mMath/mSphere.h"

inline testing::AssertionResult VecNear(const mVec3& a, const mVec3& b, float tol)
{
    if (a.ApproxEqual(b, tol))
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ") vs (" << b.x << ", " << b.y
                                       << ", " << b.z << ") beyond " << tol;
}

inline testing::AssertionResult BasisNear(const mBasis& a, const mBasis& b, float tol)
{
    testing::AssertionResult r = VecNear(a.right, b.right, tol);
    return !r ? r : !(r = VecNear(a.forward, b.forward, tol)) ? r : VecNear(a.up, b.up, tol);
}

inline mSphere Sphere(mVec3 c, float r) { mSphere s; s.center = c; s.radius = r; return s; }
inline mBox Box(mVec3 lo, mVec3 hi) { mBox b; b.minCorner = lo; b.maxCorner = hi; return b; }
inline mBox EmptyBox() { mBox b; b.MakeEmpty(); return b; }
inline mPlane Plane(mVec3 n, float offset) { mPlane p; p.normal = n; p.offset = offset; return p; }
inline mRay Ray(mVec3 o, mVec3 dir, float length) { mRay r; r.origin = o; r.dir = dir; r.length = length; return r; }


// Fixed-seed inputs, so a failing case is the same on every run.
struct RandomCases {
    explicit RandomCases(unsigned int seed) : rng(seed) {}
    float Uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }
    mVec3 Vec(float lo, float hi) { return mVec3(Uniform(lo, hi), Uniform(lo, hi), Uniform(lo, hi)); }
    mVec3 UnitVec()
    {
        for (;;) {
            mVec3 v = Vec(-1.0f, 1.0f);
            const float len = v.Normalize();
            if (len > 0.1f && len <= 1.0f)
                return v;
        }
    }
    mBasis Basis()
    {
        mBasis b;
        b.SetHPR(Uniform(-180.0f, 180.0f), Uniform(-89.0f, 89.0f), Uniform(-180.0f, 180.0f));
        return b;
    }
    std::mt19937 rng;
};

constexpr int kPropertyCases = 300;
