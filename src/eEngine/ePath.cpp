#include "eEngine/ePath.h"

#include <cmath>
#include <cstring>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "mMath/mBasis.h"
#include "mMath/mScalar.h"

QM_DEFINE_TYPE(ePath, cObject, 23)

void ePathPoint::Read(const cReadBlock& rb, int, ePathPoint* pPoints, int count)
{
    for (int i = 0; i < count; ++i) {
        rb.ReadFloats(pPoints[i].pos.v, 3);
        pPoints[i].fRoll = rb.ReadFloat();
        pPoints[i].fDistToStart = rb.ReadFloat();
    }
}

void ePathPoint::Write(const cWriteBlock& wb, int, const ePathPoint* pPoints, int count)
{
    for (int i = 0; i < count; ++i) {
        wb.WriteFloats(pPoints[i].pos.v, 3);
        wb.WriteFloat(pPoints[i].fRoll);
        wb.WriteFloat(pPoints[i].fDistToStart);
    }
}

// Point arrays are carved in whole words, as the console's reader took them.
static ePathPoint* AllocPoints(cMemPool* pPool, int32_t count)
{
    if (!pPool || count <= 0)
        return nullptr;
    const size_t bytes = (static_cast<size_t>(count) * ePathPoint::kFileBytes + 3u) & ~size_t{3};
    return static_cast<ePathPoint*>(pPool->Alloc(bytes, alignof(ePathPoint)));
}

ePath::ePath() : m_nPoints(0), m_pPoints(nullptr), m_fLength(0.0f) {}

ePath::ePath(const ePath& other)
    : cObject(other), m_handle(), m_nPoints(0), m_pPoints(nullptr), m_fLength(other.m_fLength)
{
    if (other.m_nPoints < 1 || !other.m_pPoints)
        return;
    m_pPoints = AllocPoints(cMemPool::GetPoolFromPtr(this), other.m_nPoints);
    if (!m_pPoints) {
        // The pool reported it (failing the file being read, if any).
        return;
    }
    std::memcpy(m_pPoints, other.m_pPoints, static_cast<size_t>(other.m_nPoints) * sizeof(ePathPoint));
    m_nPoints = other.m_nPoints;
}

cBase* ePath::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<ePath>(*this) : nullptr;
}

void ePath::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    wb.WriteInt(m_nPoints);
    wb.WriteFloat(m_fLength);
    ePathPoint::Write(wb, 0, m_pPoints, m_pPoints ? m_nPoints : 0);
}

bool ePath::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("ePath", "version");
    const cName oldName = m_name;
    if (!ReadObjectPart(rb, pPool))
        return false;
    const int32_t nPoints = rb.ReadInt();
    const float fLength = rb.ReadFloat();
    if (rb.Failed()) {
        m_name = oldName;
        return false;
    }
    const int64_t left = static_cast<int64_t>(file.GetReadLimit()) - file.GetCurrentPos();
    if (nPoints < 0 || static_cast<int64_t>(nPoints) * ePathPoint::kFileBytes > left) {
        file.Fail("ePath \"%s\": point count %d, the block holds %lld bytes of points", m_name.m_sData, nPoints,
                  static_cast<long long>(left));
        m_name = oldName;
        rb.SkipToEnd();
        return false;
    }
    ePathPoint* pPoints = AllocPoints(pPool, nPoints);
    if (nPoints > 0 && !pPoints) {
        m_name = oldName;
        return rb.Reject("ePath", "points (pool full)");
    }
    ePathPoint::Read(rb, 0, pPoints, nPoints);
    if (rb.Failed()) {
        m_name = oldName;
        return false;
    }
    m_nPoints = nPoints;
    m_pPoints = pPoints;
    m_fLength = fLength;
    return true;
}

static mVec3 DivVec(const mVec3& v, float len)
{
    return mVec3(v.x / len, v.y / len, v.z / len);
}

// The integer part of t toward zero, limited to [0, last]; t outside the
// int range or NaN never reaches the conversion.
static int ClampIndex(float t, int last)
{
    if (!(t > 0.0f))
        return 0;
    if (t >= static_cast<float>(last))
        return last;
    return static_cast<int>(t);
}

ePath::Span ePath::SpanAt(float t) const
{
    const int last = m_nPoints - 1;
    Span s;
    s.a = ClampIndex(t, last);
    const float t1 = t + 1.0f;
    s.b = t1 <= 0.0f ? 0 : ClampIndex(t1 < static_cast<float>(last) ? t1 : static_cast<float>(last), last);
    s.frac = t - std::trunc(t);
    return s;
}

void ePath::GetPosOnPath(float t, mVec3* pOut) const
{
    if (m_nPoints < 1) {
        pOut->Set(0.0f, 0.0f, 0.0f);
        return;
    }
    const Span s = SpanAt(t);
    const mVec3& pa = m_pPoints[s.a].pos;
    if (s.a == s.b) {
        *pOut = pa;
        return;
    }
    const mVec3 d = m_pPoints[s.b].pos - pa;
    pOut->Set(pa.x + d.x * s.frac, pa.y + d.y * s.frac, pa.z + d.z * s.frac);
}

float ePath::PathT2Units(float t) const
{
    if (m_nPoints < 1)
        return 0.0f;
    const Span s = SpanAt(t);
    const float da = m_pPoints[s.a].fDistToStart;
    return da + s.frac * (m_pPoints[s.b].fDistToStart - da);
}

float ePath::GetRollAt(float t) const
{
    if (m_nPoints < 1)
        return 0.0f;
    if (t == static_cast<float>(m_nPoints - 1))
        return m_pPoints[m_nPoints - 1].fRoll;
    const Span s = SpanAt(t);
    const float ra = m_pPoints[s.a].fRoll;
    return ra + s.frac * (m_pPoints[s.b].fRoll - ra);
}

void ePath::GetBasisAt(float t, mBasis* pOut) const
{
    if (m_nPoints < 1) {
        pOut->MakeIdentity();
        return;
    }
    int from, to;
    float roll;
    if (t == static_cast<float>(m_nPoints - 1)) {
        // The end takes the direction of the last segment.
        to = m_nPoints - 1;
        from = m_nPoints >= 2 ? m_nPoints - 2 : 0;
        roll = m_pPoints[to].fRoll;
    } else {
        const Span s = SpanAt(t);
        from = s.a;
        to = s.b;
        roll = m_pPoints[from].fRoll + s.frac * (m_pPoints[to].fRoll - m_pPoints[from].fRoll);
    }
    const float len = std::fabs(m_pPoints[to].fDistToStart - m_pPoints[from].fDistToStart);
    if (!(len > 0.0f)) {
        pOut->MakeIdentity();
        return;
    }
    const mVec3 d = DivVec(m_pPoints[to].pos - m_pPoints[from].pos, len);
    float dz = d.z;
    if (dz <= -1.0f)
        dz = -1.0f;
    else if (dz >= 1.0f)
        dz = 1.0f;
    const float heading = mAtan2(-d.x, d.y) * kRadToDeg;
    const float pitch = mAsin(dz) * kRadToDeg;
    pOut->SetHPR(heading, pitch, roll);
}

float ePath::Units2PathT(float units, float hintT, bool bForward) const
{
    if (m_nPoints < 1)
        return 0.0f;
    const float u = units <= 0.0f ? 0.0f : (units < m_fLength ? units : m_fLength);
    const int last = m_nPoints - 1;
    if (bForward) {
        for (int i = ClampIndex(hintT, last); i <= last - 1; ++i) {
            const float d0 = m_pPoints[i].fDistToStart;
            const float d1 = m_pPoints[i + 1].fDistToStart;
            if (u < d1) {
                // A segment of no length is its own start.
                return d1 > d0 ? static_cast<float>(i) + (u - d0) / (d1 - d0) : static_cast<float>(i);
            }
        }
        return static_cast<float>(last);
    }
    const float h1 = hintT + 1.0f;
    for (int i = ClampIndex(h1 < static_cast<float>(last) ? h1 : static_cast<float>(last), last); i >= 1; --i) {
        const float d0 = m_pPoints[i - 1].fDistToStart;
        const float d1 = m_pPoints[i].fDistToStart;
        if (u >= d0)
            return d1 > d0 ? static_cast<float>(i - 1) + (u - d0) / (d1 - d0) : static_cast<float>(i - 1);
    }
    return 0.0f;
}

float ePath::ClosestPoint(const mVec3& p, bool bFlat) const
{
    if (m_nPoints < 2)
        return 0.0f;
    float best = kMaxFloat;
    float result = 0.0f;
    for (int i = 0; i <= m_nPoints - 2; ++i) {
        mVec3 a = m_pPoints[i].pos;
        mVec3 b = m_pPoints[i + 1].pos;
        float len;
        if (bFlat) {
            a.z = p.z;
            b.z = p.z;
            const float dx = b.x - a.x;
            const float dy = b.y - a.y;
            len = mSqrt(dx * dx + dy * dy);
        } else {
            len = m_pPoints[i + 1].fDistToStart - m_pPoints[i].fDistToStart;
        }
        const mVec3 d = len > 0.0f ? DivVec(b - a, len) : mVec3(0.0f, 0.0f, 0.0f);
        float s = d.Dot(p - a);
        if (s <= 0.0f)
            s = 0.0f;
        else if (s >= len)
            s = len;
        mVec3 q;
        q.AddScaled(a, d, s);
        const float distSq = q.DistSq(p);
        if (distSq < best) {
            best = distSq;
            // A segment of no length is its own start, never 0 / 0.
            result = len > 0.0f ? static_cast<float>(i) + s / len : static_cast<float>(i);
        }
    }
    return result;
}

float ePath::FindClosestPoint(const mVec3& p) const
{
    return ClosestPoint(p, false);
}

float ePath::FindClosestPoint2DXY(const mVec3& p) const
{
    return ClosestPoint(p, true);
}

namespace {

// One segment of the walk of FindClosestPointMinDist.
enum class MinDistStep { kNext, kFromT, kAnswer };

MinDistStep MinDistSegment(const mVec3& a, const mVec3& d, float len, float minDist, const mVec3& p, float* pS)
{
    const mVec3 w = p - a;
    const float proj = d.Dot(w);
    if (proj < -minDist)
        return MinDistStep::kFromT;
    if (proj * proj > (len + minDist) * (len + minDist))
        return MinDistStep::kNext;
    const float perp2 = w.LengthSq() - proj * proj;
    if (perp2 > minDist * minDist)
        return MinDistStep::kFromT;
    *pS = proj + mSqrt(minDist * minDist - perp2);
    return MinDistStep::kAnswer;
}

}  // namespace

float ePath::FindClosestPointMinDist(float fromT, float toT, float minDist, const mVec3& p) const
{
    if (m_nPoints < 2)
        return m_nPoints < 1 ? 0.0f : toT;
    const int last = m_nPoints - 1;
    const bool bForward = toT - fromT >= 0.0f;
    const float f1 = fromT + 1.0f;
    const int start = bForward ? ClampIndex(fromT, last) : ClampIndex(f1 < static_cast<float>(last) ? f1 : last, last);
    for (int i = start; bForward ? i <= last - 1 : i >= 1; i += bForward ? 1 : -1) {
        const int j = bForward ? i + 1 : i - 1;
        const float len = std::fabs(m_pPoints[j].fDistToStart - m_pPoints[i].fDistToStart);
        const mVec3 d = len > 0.0f ? DivVec(m_pPoints[j].pos - m_pPoints[i].pos, len) : mVec3(0.0f, 0.0f, 0.0f);
        float s = 0.0f;
        const MinDistStep step = MinDistSegment(m_pPoints[i].pos, d, len, minDist, p, &s);
        if (step == MinDistStep::kFromT)
            return fromT;
        if (step == MinDistStep::kNext)
            continue;
        if (s < 0.0f)
            return static_cast<float>(i);
        if (s <= len) {
            const float share = len > 0.0f ? s / len : 0.0f;
            return bForward ? static_cast<float>(i) + share : static_cast<float>(i) - share;
        }
    }
    return toT;
}

float ePath::MoveAlongPath(cTimeValue elapsed, float curT, float destT, float&, float maxSpeed, cTimeValue,
                           cTimeValue, bool bOneWay) const
{
    const float from = PathT2Units(curT);
    const float to = PathT2Units(destT);
    const float step = maxSpeed * static_cast<float>(elapsed.m_nTicks);
    float move = to - from;
    if (move <= -step)
        move = -step;
    else if (move >= step)
        move = step;
    float dist = from + move;
    if (bOneWay && !((destT > curT && move > 0.0f) || (destT < curT && move < 0.0f)))
        dist = from;
    if (move == 0.0f)
        return curT;
    if (dist <= 0.0f)
        dist = 0.0f;
    else if (dist >= m_fLength)
        dist = m_fLength;
    return Units2PathT(dist, curT, destT > curT);
}

float ePath::GetSegmentDir(int from, int to, mVec3* pOut) const
{
    pOut->Set(0.0f, 0.0f, 0.0f);
    if (from < 0 || to < 0 || from >= m_nPoints || to >= m_nPoints)
        return 0.0f;
    const float len = std::fabs(m_pPoints[to].fDistToStart - m_pPoints[from].fDistToStart);
    if (len > 0.0f)
        *pOut = DivVec(m_pPoints[to].pos - m_pPoints[from].pos, len);
    return len;
}

void ePath::CalcDistances()
{
    if (m_nPoints < 1 || !m_pPoints)
        return;
    m_fLength = 0.0f;
    m_pPoints[0].fDistToStart = 0.0f;
    for (int i = 1; i < m_nPoints; ++i) {
        const float distSq = m_pPoints[i].pos.DistSq(m_pPoints[i - 1].pos);
        const float dist = distSq > 0.0f ? mSqrt(distSq) : 0.0f;
        m_pPoints[i].fDistToStart = m_pPoints[i - 1].fDistToStart + dist;
        m_fLength += dist;
    }
}

QM_DEFINE_GROUP(ePathGroup, 24)
