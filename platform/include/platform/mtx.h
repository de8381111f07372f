#pragma once
// The matrix library: 3x4 affine matrices, 4x4 projections and 3-vectors as
// the console's graphics library takes them. Pure functions on caller-owned
// storage, any thread. Projections follow the graphics chip's clip
// convention: eye depth -near maps to z/w = -1 and -far to z/w = 0.
//
// Convention: Mtx is row-major, p' = M * (x, y, z, 1); row r holds the
// coefficients of output component r. Source and destination may alias.

#include <cstdint>

typedef float Mtx[3][4];
typedef float Mtx44[4][4];
typedef float Mtx33[3][3];
typedef float (*MtxPtr)[4];
typedef float (*Mtx44Ptr)[4];

struct Vec {
    float x, y, z;
};
typedef Vec* VecPtr;

// ---- projections (4x4) --------------------------------------------------------
// Perspective frustum by its near-plane rectangle (t, b, l, r) at distance n,
// far plane at f. No check: r == l, t == b or f == n give infinities.
void C_MTXFrustum(Mtx44 m, float t, float b, float l, float r, float n, float f);
// Perspective from a vertical field of view in degrees and width/height.
void C_MTXPerspective(Mtx44 m, float fovYDeg, float aspect, float n, float f);
// Orthographic box; the same convention (-n -> -1, -f -> 0).
void C_MTXOrtho(Mtx44 m, float t, float b, float l, float r, float n, float f);

// ---- projective texture matrices (3x4) -----------------------------------------
// Map eye-space points to texture (s, t, q): the frustum's rectangle lands on
// [transS - |scaleS|, transS + |scaleS|] after the divide by q = -z. Used with
// 3x4 texture-coordinate generators (shadows, projectors).
void C_MTXLightFrustum(Mtx m, float t, float b, float l, float r, float n,
                       float scaleS, float scaleT, float transS, float transT);
void C_MTXLightPerspective(Mtx m, float fovYDeg, float aspect,
                           float scaleS, float scaleT, float transS, float transT);
// Orthographic variant: q = 1, so no divide.
void C_MTXLightOrtho(Mtx m, float t, float b, float l, float r,
                     float scaleS, float scaleT, float transS, float transT);

// ---- 3x4 affine matrices -------------------------------------------------------
void PSMTXIdentity(Mtx m);
void PSMTXCopy(const Mtx src, Mtx dst);
// ab = a * b (b applied first). ab may alias a or b.
void PSMTXConcat(const Mtx a, const Mtx b, Mtx ab);
void PSMTXTranspose(const Mtx src, Mtx xpose);  // 3x3 part transposed, translation zeroed
// Full affine inverse. Returns 0 and leaves inv untouched when the 3x3 part is
// singular (|det| below 1e-20 is treated as singular), else 1.
uint32_t PSMTXInverse(const Mtx src, Mtx inv);
// Inverse-transpose of the 3x3 part (normal matrix), translation zeroed;
// 0 and untouched on a singular matrix.
uint32_t PSMTXInvXpose(const Mtx src, Mtx invX);
void PSMTXScale(Mtx m, float xS, float yS, float zS);
void PSMTXTrans(Mtx m, float xT, float yT, float zT);
void PSMTXScaleApply(const Mtx src, Mtx dst, float xS, float yS, float zS);  // scale after src
void PSMTXTransApply(const Mtx src, Mtx dst, float xT, float yT, float zT);  // translate after src
// Rotation about the x, y or z axis ('x'/'X', 'y'/'Y', 'z'/'Z'), radians.
// An unknown axis leaves the identity.
void PSMTXRotRad(Mtx m, char axis, float rad);
void PSMTXRotAxisRad(Mtx m, const Vec* axis, float rad);
void PSMTXMultVec(const Mtx m, const Vec* src, Vec* dst);    // with translation
void PSMTXMultVecSR(const Mtx m, const Vec* src, Vec* dst);  // 3x3 part only
void PSMTXMultVecArray(const Mtx m, const Vec* src, Vec* dst, uint32_t count);

// ---- 4x4 -----------------------------------------------------------------------
void PSMTX44Identity(Mtx44 m);
void PSMTX44Copy(const Mtx44 src, Mtx44 dst);
void PSMTX44Concat(const Mtx44 a, const Mtx44 b, Mtx44 ab);

// ---- vectors ---------------------------------------------------------------------
void PSVECAdd(const Vec* a, const Vec* b, Vec* ab);
void PSVECSubtract(const Vec* a, const Vec* b, Vec* aMinusB);
void PSVECScale(const Vec* src, Vec* dst, float scale);
// A zero vector stays zero (no division by zero).
void PSVECNormalize(const Vec* src, Vec* unit);
float PSVECMag(const Vec* v);
float PSVECDotProduct(const Vec* a, const Vec* b);
void PSVECCrossProduct(const Vec* a, const Vec* b, Vec* axb);
float PSVECDistance(const Vec* a, const Vec* b);
