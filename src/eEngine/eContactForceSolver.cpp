#include "eEngine/eContactForceSolver.h"

#include <cmath>

#include "eEngine/eCollisionContact.h"
#include "mMath/mScalar.h"

namespace {

// Whether x enters none of the n contacts by more than tol.
bool EntersNone(const mVec3& x, const eCollisionContact* pContacts, int n, float tol)
{
    for (int i = 0; i < n; ++i)
        if (pContacts[i].normal.Dot(x) < -tol)
            return false;
    return true;
}

// The slide is the point of the free cone (n_i . x >= 0 for all i) nearest
// to v. In three dimensions that point is v itself, v projected onto one
// contact plane, onto the line where two meet, or nothing; the nearest
// candidate that enters no contact is the answer.
mVec3 NearestFreeMove(const mVec3& v, const eCollisionContact* pContacts, int n, float tol)
{
    if (EntersNone(v, pContacts, n, tol))
        return v;
    mVec3 best(0.0f, 0.0f, 0.0f);
    float bestDistSq = v.LengthSq();
    auto consider = [&](const mVec3& x) {
        const float d = x.DistSq(v);
        if (d < bestDistSq && EntersNone(x, pContacts, n, tol)) {
            best = x;
            bestDistSq = d;
        }
    };
    for (int i = 0; i < n; ++i) {
        const mVec3& ni = pContacts[i].normal;
        mVec3 x;
        x.AddScaled(v, ni, -v.Dot(ni));
        consider(x);
        for (int j = i + 1; j < n; ++j) {
            mVec3 line;
            line.Cross(ni, pContacts[j].normal);
            if (line.Normalize() > 0.0f)
                consider(line * v.Dot(line));
        }
    }
    return best;
}

}  // namespace

void eContactForceSolver::ComputeForces(mVec3* pV, const eCollisionContact* pContacts, int n)
{
    if (n > kMaxContacts)
        n = kMaxContacts;
    if (n <= 0)
        return;
    const mVec3 v = *pV;
    for (int i = 0; i < n; ++i) {
        m_fForces[i] = 0.0f;
        m_fForceStep[i] = 0.0f;
        m_fAccelStep[i] = 0.0f;
        m_bClamped[i] = false;
        m_bFree[i] = false;
        m_fAccel[i] = pContacts[i].normal.Dot(v);
    }
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            m_fMatrix[i][j] = pContacts[i].normal.Dot(pContacts[j].normal);

    for (int pass = 0; pass < kMaxPasses; ++pass) {
        bool bDrove = false;
        for (int i = 0; i < n; ++i) {
            if (m_fAccel[i] < kEnterTolerance) {
                DriveToZero(i, n);
                bDrove = true;
            }
        }
        if (!bDrove)
            break;
    }

    mVec3 out = v;
    for (int i = 0; i < n; ++i)
        out.AddScaled(out, pContacts[i].normal, m_fForces[i]);
    // Contacts whose normals nearly share a plane make the pivot steps huge,
    // and rounding then spoils the slide: longer than the move or into a
    // contact. Such a result is replaced by the direct answer (the forces
    // then no longer describe it).
    const float len = v.Length();
    const bool bValid = std::isfinite(out.x) && std::isfinite(out.y) && std::isfinite(out.z) &&
                        out.LengthSq() <= v.LengthSq() * kMaxGrowth && EntersNone(out, pContacts, n, kMaxEntry * len);
    *pV = bValid ? out : NearestFreeMove(v, pContacts, n, kFallbackTolerance * len);
}

void eContactForceSolver::DriveToZero(int d, int n)
{
    // A contact driven again after rounding pushed it back below zero is
    // treated as untreated: its force is kept and only the others adjust.
    m_bClamped[d] = false;
    m_bFree[d] = false;
    for (int step = 0; step < kMaxDriveSteps; ++step) {
        FDirection(d, n);
        for (int i = 0; i < n; ++i) {
            float sum = 0.0f;
            for (int j = 0; j < n; ++j)
                sum += m_fMatrix[i][j] * m_fForceStep[j];
            m_fAccelStep[i] = sum;
        }
        float s = kMaxFloat;
        int j = -1;
        MaxStep(d, &s, &j, n);
        if (j < 0)
            return;  // nothing limits the step: moving would only overflow
        for (int i = 0; i < n; ++i) {
            m_fForces[i] += s * m_fForceStep[i];
            m_fAccel[i] += s * m_fAccelStep[i];
        }
        if (m_bClamped[j]) {
            m_bClamped[j] = false;  // its push fell to zero
            m_bFree[j] = true;
        } else if (m_bFree[j]) {
            m_bFree[j] = false;  // its acceleration reached zero
            m_bClamped[j] = true;
        } else {
            m_bClamped[d] = true;
            return;
        }
    }
}

void eContactForceSolver::FDirection(int d, int n)
{
    for (int i = 0; i < n; ++i)
        m_fForceStep[i] = 0.0f;
    m_fForceStep[d] = 1.0f;

    int index[kMaxContacts];
    int k = 0;
    for (int i = 0; i < n; ++i)
        if (m_bClamped[i])
            index[k++] = i;
    if (k == 0)
        return;
    float sub[kMaxContacts][kMaxContacts];
    float rhs[kMaxContacts];
    for (int r = 0; r < k; ++r) {
        for (int c = 0; c < k; ++c)
            sub[r][c] = m_fMatrix[index[r]][index[c]];
        rhs[r] = -m_fMatrix[index[r]][d];
    }
    float x[kMaxContacts];
    // A singular system (two clamped contacts with one normal) has no single
    // answer; the clamped contacts then keep their forces for this step.
    if (!GaussianElimination(sub, x, rhs, k))
        return;
    for (int r = 0; r < k; ++r)
        m_fForceStep[index[r]] = x[r];
}

void eContactForceSolver::MaxStep(int d, float* pStep, int* pIndex, int n) const
{
    float s = kMaxFloat;
    int j = -1;
    if (m_fAccelStep[d] > 0.0f) {
        s = -m_fAccel[d] / m_fAccelStep[d];
        j = d;
    }
    for (int i = 0; i < n; ++i) {
        if (m_bClamped[i] && m_fForceStep[i] < 0.0f) {
            const float si = -m_fForces[i] / m_fForceStep[i];
            if (si < s) {
                s = si;
                j = i;
            }
        }
    }
    for (int i = 0; i < n; ++i) {
        if (m_bFree[i] && m_fAccelStep[i] < 0.0f) {
            const float si = -m_fAccel[i] / m_fAccelStep[i];
            if (si < s) {
                s = si;
                j = i;
            }
        }
    }
    *pStep = s;
    *pIndex = j;
}

bool eContactForceSolver::GaussianElimination(const float (*pA)[kMaxContacts], float* pX, const float* pB, int k)
{
    if (k <= 0 || k > kMaxContacts)
        return false;
    float m[kMaxContacts][kMaxContacts + 1];
    int order[kMaxContacts];  // rows are exchanged through this table, not moved
    for (int r = 0; r < k; ++r) {
        float largest = 0.0f;
        for (int c = 0; c < k; ++c)
            largest = std::fmax(largest, std::fabs(pA[r][c]));
        if (largest == 0.0f)
            return false;
        const float scale = 1.0f / largest;
        for (int c = 0; c < k; ++c)
            m[r][c] = pA[r][c] * scale;
        m[r][k] = pB[r] * scale;
        order[r] = r;
    }
    for (int col = 0; col < k; ++col) {
        int best = col;
        float bestAbs = std::fabs(m[order[col]][col]);
        for (int r = col + 1; r < k; ++r) {
            const float a = std::fabs(m[order[r]][col]);
            if (a > bestAbs) {
                bestAbs = a;
                best = r;
            }
        }
        if (bestAbs == 0.0f)
            return false;
        const int tmp = order[col];
        order[col] = order[best];
        order[best] = tmp;
        const float* pivotRow = m[order[col]];
        for (int r = col + 1; r < k; ++r) {
            float* row = m[order[r]];
            const float factor = row[col] / pivotRow[col];
            for (int c = col; c <= k; ++c)
                row[c] -= factor * pivotRow[c];
        }
    }
    float x[kMaxContacts];
    for (int col = k - 1; col >= 0; --col) {
        const float* row = m[order[col]];
        float sum = row[k];
        for (int c = col + 1; c < k; ++c)
            sum -= row[c] * x[c];
        x[col] = sum / row[col];
    }
    for (int i = 0; i < k; ++i)
        pX[i] = x[i];
    return true;
}
