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
    if (std::isnan(fRequested))
        return;  // a pole that is not a number keeps the one in force
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

namespace {

// The turn from a to b as a rotation vector (axis times angle in radians),
// taken the shorter way round.
mVec3 TurnBetween(const mQuat& a, const mQuat& b)
{
    mQuat d;
    d.Mult(mQuat(-a.x, -a.y, -a.z, a.w), b);
    if (d.w < 0.0f)
        d = mQuat(-d.x, -d.y, -d.z, -d.w);
    const float s = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    const float k = s > 1e-7f ? 2.0f * std::atan2(s, d.w) / s : 2.0f;
    return mVec3(d.x * k, d.y * k, d.z * k);
}

// The turn of a rotation vector as a unit quaternion.
mQuat TurnOf(const mVec3& r)
{
    const float fAngle = r.Length();
    if (!(fAngle > 1e-7f))
        return mQuat(0.0f, 0.0f, 0.0f, 1.0f);
    const float k = std::sin(0.5f * fAngle) / fAngle;
    return mQuat(r.x * k, r.y * k, r.z * k, std::cos(0.5f * fAngle));
}

// Where a stage stood that the next one, at `newer` after `older`, follows
// with pole a: fAhead = a / (1 - a) ticks' turn further on.
mQuat Ahead(const mQuat& newer, const mQuat& older, float fAhead)
{
    mQuat q;
    q.Mult(newer, TurnOf(TurnBetween(older, newer) * fAhead));
    return q;
}

// One one-pole stage: y = (1 - a) x + a y' along the shorter arc.
mQuat Blend(const mQuat& x, const mQuat& prev, float a)
{
    mQuat q;
    q.Slerp(x, prev, a);
    const float len = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
    return len > 0.0f ? mQuat(q.x / len, q.y / len, q.z / len, q.w / len) : q;
}

}  // namespace

// The recursion is run as the four one-pole stages it stands for, each a
// blend along the shorter arc, so turns about one axis come out as their
// angles would and no weight divides anything. The stages are recovered from
// the last four outputs. The output of a steady turn may lag its input by a
// whole turn or more at a high pole, where a blend of the input with the
// outputs would run the shorter way round, backwards; each stage lags the one
// before it by a quarter of that, so every blend and every recovered stage
// stays within a few ticks' turn of its neighbour.
mQuat gcCameraFilterConsts::Step(const mQuat& x, mQuat h[4]) const
{
    if (gain >= 1.0f) {
        Shift(h, x);  // pole 0 passes the input through untouched
        return x;
    }
    const float fAhead = a / (1.0f - a);
    mQuat s[4] = {h[0], h[1], h[2], h[3]};
    mQuat stage[4];  // the stages as they stand, first to last (the output)
    stage[3] = h[0];
    for (int nStage = 2; nStage >= 0; --nStage) {
        for (int i = 0; i <= nStage; ++i)
            s[i] = Ahead(s[i], s[i + 1], fAhead);
        stage[nStage] = s[0];
    }
    mQuat q = x;
    for (const mQuat& prev : stage)
        q = Blend(q, prev, a);
    const float len = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
    if (!(len > 0.0f) || !std::isfinite(len))
        q = x;  // a history that is not a rotation is dropped for the input
    Shift(h, q);
    return q;
}
