#include "eEngine/eCollider.h"

#include "eEngine/eGeom.h"

eCollider::eCollider()
    : m_nCollisionMask(kAllSurfaces), m_pIgnoreGeom{nullptr, nullptr}, m_bIgnoreGeomChildren{false, false},
      m_nNumIgnore(0)
{
}

bool eCollider::AddIgnore(const eGeom* pGeom, bool bChildren)
{
    if (m_nNumIgnore < 0 || m_nNumIgnore >= kMaxIgnore)
        return false;
    m_pIgnoreGeom[m_nNumIgnore] = pGeom;
    m_bIgnoreGeomChildren[m_nNumIgnore] = bChildren;
    ++m_nNumIgnore;
    return true;
}

bool eCollider::IsIgnored(const eGeom* g) const
{
    const int n = m_nNumIgnore < kMaxIgnore ? m_nNumIgnore : kMaxIgnore;
    for (int i = 0; i < n; ++i) {
        const eGeom* pIgnored = m_pIgnoreGeom[i];
        if (!pIgnored)
            continue;
        if (g == pIgnored)
            return true;
        if (!m_bIgnoreGeomChildren[i])
            continue;
        for (const eGeom* p = g; p; p = p->m_pParent)
            if (p == pIgnored)
                return true;
    }
    return false;
}
