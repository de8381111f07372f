#include "eEngine/eColliderRay.h"

#include "mMath/mScalar.h"

eColliderRay::eColliderRay()
{
    ClearHit();
}

void eColliderRay::ClearHit()
{
    m_rayHit.fDistance = kMaxFloat;
    m_rayHit.position.Set(0.0f, 0.0f, 0.0f);
    m_rayHit.normal.Set(0.0f, 0.0f, 0.0f);
    m_rayHit.pSurface = nullptr;
    m_rayHit.pObj = nullptr;
}

bool eColliderRay::HasHit() const
{
    return m_rayHit.fDistance != kMaxFloat;
}
