#pragma once
// A viewing volume of six planes whose normals point inside, in the fixed order
// near, far, left, right, top, bottom. Built in the viewer's frame (looking
// along +Y, +Z up), moved with the viewer's frame and used to cull with a plane
// mask. Plain value: default construction leaves it unset; any thread.

#include "mMath/mPlane.h"

struct mOCS;

struct mFrustum : mVolume {
    enum : int { kNear = 0, kFar = 1, kLeft = 2, kRight = 3, kTop = 4, kBottom = 5, kNumPlanes = 6 };
    // Clip masks: bit i set means wholly inside plane i. Walks start with
    // kMaskStart so a visible result is never 0; kMaskAllInside means no plane
    // needs testing again.
    static constexpr unsigned int kMaskStart = 64;
    static constexpr unsigned int kMaskAllInside = 127;

    mPlane planes[kNumPlanes];

    void SetFOV(float hfov, float vfov, float nearDist, float farDist);
    // The near-plane window's edges at distance nearDist.
    void SetPerspective(float nearDist, float farDist, float left, float right, float top,
                        float bottom);
    void SetOrtho(float nearDist, float farDist, float left, float right, float top, float bottom);
    void GetFOV(float* pHfov, float* pVfov) const;
    // A side plane parallel to the view direction (a window at infinity) reads
    // back as +-kMaxFloat, or 0 when near is 0.
    void GetPerspective(float* pNear, float* pFar, float* pLeft, float* pRight, float* pTop,
                        float* pBottom) const;
    void GetOrtho(float* pNear, float* pFar, float* pLeft, float* pRight, float* pTop,
                  float* pBottom) const;
    void Set(const mFrustum& f);

    // Camera to world; may write into its source.
    void Xform(const mFrustum& f, const mOCS& o);
    // World to a local frame; may write into its source.
    void XformInv(const mFrustum& f, const mOCS& o);

    // Plane-mask tests: planes whose bit is set are skipped, bits above 5 pass
    // through. Return 0 when culled, else the mask with the bits of the planes
    // the volume lies wholly inside added.
    unsigned int Clip(const mBox& b, unsigned int mask) const;
    unsigned int Clip(const mSphere& s, unsigned int mask) const;

    // Corner k meets near (k < 4) or far, top (bit 1) or bottom, right (bit 0)
    // or left. A corner whose planes have no single common point is (0, 0, 0).
    void GetCorners(mVec3* pCorners) const;
    // Distance from the frame's origin to the near-top-left corner; 0 when the
    // planes have no single common point.
    float GetNearCornerDistance() const;
};
