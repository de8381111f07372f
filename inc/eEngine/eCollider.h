#pragma once
// The base of the collision queries: the collision mask a query tests against
// the surfaces it meets and up to two scene nodes it passes through (a mover's
// own model, an effect's parent). Colliders live on their caller's stack for
// one query; main thread only.

#include <cstdint>

class eGeom;

class eCollider
{
public:
    static constexpr int kMaxIgnore = 2;
    static constexpr uint32_t kAllSurfaces = 0xFFFFFFFF;

    // Every surface counts; nothing is ignored.
    eCollider();

    // Appends a node the query passes through (with its descendants when
    // bChildren is set). A third entry is dropped: false.
    bool AddIgnore(const eGeom* pGeom, bool bChildren);
    // True when g is an ignored node, or lies below one whose children flag
    // is set (found by walking g's parent chain from g itself).
    bool IsIgnored(const eGeom* g) const;

    uint32_t m_nCollisionMask;  // a candidate counts only when its surface mask shares a bit
    const eGeom* m_pIgnoreGeom[kMaxIgnore];
    bool m_bIgnoreGeomChildren[kMaxIgnore];
    int32_t m_nNumIgnore;       // entries in use, 0 to kMaxIgnore
};
