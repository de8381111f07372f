#pragma once
// A collision surface: the physical kind of collision geometry. Its mask says
// which colliders it stops, its friction how much it slows sliding, its flags
// are the game's, and its colour is used when collision is drawn for
// debugging. Zones and meshes name surfaces by eSurfaceHandle through
// eSurfaceMgr. Only subclasses (the game's surface) are made from files.
// Lives in the pool of its group's load; main thread.

#include <cstdint>

#include "cCore/cHandle.h"
#include "cCore/cObject.h"
#include "cCore/cManager.h"
#include "cCore/cGroup.h"

class eSurface;
using eSurfaceHandle = cHandle<eSurface>;

class eSurface : public cObject
{
    QM_DECLARE_ABSTRACT_TYPE(eSurface)
public:
    static constexpr uint32_t kVersion = 3;
    static constexpr float kDefaultFriction = 1.0f;
    static constexpr uint32_t kDefaultDebugDrawColor = 0xFFA0A0A0;  // 0xAARRGGBB

    eSurface();
    // A copy keeps the physical kind (mask, friction, flags, colour) so that
    // a copied surface still collides; it gets an empty name and no handle,
    // since it is not placed in the manager.
    eSurface(const eSurface& other);

    // Version 3 with all four fields.
    void Write(const cFile& file) const override;
    // Accepts versions 1 to 3; fields an older version lacks keep their
    // defaults. Version 0 or a damaged name block: skipped, false, the
    // surface unchanged.
    bool Read(const cFile& file, cMemPool* pPool) override;

    eSurfaceHandle m_handle;
    uint32_t m_nCollisionMask;   // matched against a collider's mask
    float m_fFriction;
    uint32_t m_flags;            // the game's
    uint32_t m_nDebugDrawColor;  // 0xAARRGGBB
};

// The slot table of collision surfaces: 650 slots, resolved by handle. A
// stale or zero handle gives null. Main thread, or the loader filling a group.
class eSurfaceMgr : public cManager<eSurface, 650> {};

// The file block that fills a range of eSurfaceMgr's slots with surfaces and
// their check values. Lives in the pool of its load; one made by the factory
// destroys its surfaces with it.
class eSurfaceGroup : public cGroup
{
    QM_DECLARE_GROUP(eSurfaceGroup, eSurfaceMgr)
};
