#include "mMath/mOCS.h"

#include "mVecOps.h"

void mOCS::MakeIdentity()
{
    origin.Set(0.0f, 0.0f, 0.0f);
    basis.MakeIdentity();
}

// Straight-line: this runs for every node, bone, volume and sound each frame.
void mOCS::Xform(const mOCS& a, const mOCS& b)
{
    const mVec3 o = b.origin + mRotate(a.origin, b.basis);
    const mVec3 r = mRotate(a.basis.right, b.basis);
    const mVec3 f = mRotate(a.basis.forward, b.basis);
    const mVec3 u = mRotate(a.basis.up, b.basis);
    origin = o;
    basis.right = r;
    basis.forward = f;
    basis.up = u;
}

// Everything is computed before anything is written, so this may also be b.
void mOCS::XformInv(const mOCS& a, const mOCS& b)
{
    const mVec3 o = mRotateInv(a.origin - b.origin, b.basis);
    const mVec3 r = mRotateInv(a.basis.right, b.basis);
    const mVec3 f = mRotateInv(a.basis.forward, b.basis);
    const mVec3 u = mRotateInv(a.basis.up, b.basis);
    origin = o;
    basis.right = r;
    basis.forward = f;
    basis.up = u;
}

bool mOCS::ApproxEqual(const mOCS& o, float tol) const
{
    return origin.ApproxEqual(o.origin, tol) && basis.ApproxEqual(o.basis, tol);
}

bool mOCS::operator==(const mOCS& o) const
{
    return origin == o.origin && basis.right == o.basis.right && basis.forward == o.basis.forward &&
           basis.up == o.basis.up;
}

void mOCS::LookAt(const mVec3& eye, const mVec3& target, const mVec3& upHint)
{
    const mVec3 e = eye, t = target, hint = upHint;  // any may lie inside this
    origin = e;
    basis.forward.Sub(t, e);
    basis.forward.Normalize();
    basis.right.Cross(basis.forward, hint);
    basis.right.Normalize();
    basis.up.Cross(basis.right, basis.forward);
    basis.up.Normalize();
}
