#pragma once
// Turns the rest of a blocked move into a slide along several contacts at
// once. Each contact i (unit normal n_i) may push the move v with a strength
// f_i >= 0; the pushed move v' = v + sum f_i n_i must not enter any contact
// (n_i . v' >= 0), and a contact pushes only where v' runs along its plane.
// Solved by pivoting: every contact that v' enters is driven to zero while
// the others keep their conditions. Fixed size, no allocation; built on the
// stack for one call. Main thread (the collider's).

#include "mMath/mVec3.h"

struct eCollisionContact;

class eContactForceSolver
{
public:
    static constexpr int kMaxContacts = 32;    // the blocking contact list's capacity
    static constexpr int kMaxPasses = 16;      // passes over the contacts per call
    static constexpr int kMaxDriveSteps = 52;  // pivot steps per driven contact
    // a[i] below this counts as entering contact i.
    static constexpr float kEnterTolerance = -0.00001f;
    // A slide counts as found when it is at most this much longer (squared)
    // than the move and enters no contact by more than kMaxEntry x |move|;
    // otherwise the nearest free move is searched directly, with the tighter
    // kFallbackTolerance.
    static constexpr float kMaxGrowth = 1.0002f;
    static constexpr float kMaxEntry = 0.001f;
    static constexpr float kFallbackTolerance = 0.00001f;

    // Replaces *pV by the slide vector for the first n contacts (at most
    // kMaxContacts are used), their normals read from the contacts. The
    // result is finite, never longer than the move, and enters no contact.
    void ComputeForces(mVec3* pV, const eCollisionContact* pContacts, int n);

    // Brings a[d] up to 0 while every clamped contact keeps a = 0 and every
    // free one keeps f = 0. A step with nothing to limit it ends the drive
    // and changes nothing.
    void DriveToZero(int d, int n);
    // The force step: 1 for d, and for the clamped contacts the change that
    // holds their accelerations at 0. A singular clamped system leaves their
    // steps at 0.
    void FDirection(int d, int n);
    // The longest step along the force step before a condition would break,
    // and the contact that breaks it: d when a[d] reaches 0, a clamped one
    // whose force reaches 0, a free one whose acceleration reaches 0. No limit
    // gives the largest float and -1.
    void MaxStep(int d, float* pStep, int* pIndex, int n) const;
    // Solves the k x k system A x = b by elimination with scaled partial
    // pivoting. False, x untouched, when a row is all zero or a pivot is 0.
    static bool GaussianElimination(const float (*pA)[kMaxContacts], float* pX, const float* pB, int k);

    float m_fForces[kMaxContacts];                    // f
    float m_fForceStep[kMaxContacts];                 // direction of change of f
    float m_fMatrix[kMaxContacts][kMaxContacts];      // A[i][j] = n_i . n_j
    float m_fAccel[kMaxContacts];                     // a[i] = n_i . v' for the current f
    float m_fAccelStep[kMaxContacts];                 // A times the force step
    bool m_bClamped[kMaxContacts];                    // pushes; a held at 0
    bool m_bFree[kMaxContacts];                       // does not push; f held at 0
};
