#pragma once
// The backdrop of a map: a mesh drawn around the camera so that it never
// comes closer, with up to four alternative sets of materials (skins, such
// as day and night) of which one is current. The map owns it and sets
// eZone::s_pSky; the zone's drawing draws it before the second opaque sweep.
// Its handle arrays live in a pool (the reading one, or the one holding the
// sky). Main thread.

#include <cstdint>

#include "cCore/cBase.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMesh.h"

class eCamera;

class eSky : public cBase
{
    QM_DECLARE_TYPE(eSky)
public:
    static constexpr uint32_t kVersion = 2;
    static constexpr uint32_t kBaseVersion = 1;  // the empty inner block
    static constexpr int kNumSkins = 4;

    // No mesh, no arrays, no materials, scale 1, skin 0.
    eSky();
    // Every member, the handle arrays shared rather than copied.
    eSky(const eSky&) = default;
    // Drops the array pointers; the arrays belong to their pool.
    ~eSky() override;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the inner block, the mesh handle, the material count, the
    // four skins' handles in order, the scale.
    void Write(const cFile& file) const override;
    // Versions 1 (skin 0 only; the others left at 0) and 2. Version 0, a
    // negative material count or one the block cannot hold: skipped, false,
    // the sky as it was. A count that differs from the mesh's gives arrays
    // of the mesh's count with every handle 0; a mesh that does not resolve
    // leaves the sky without mesh and arrays.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Takes the mesh, with new all-0 arrays when its material count differs;
    // a handle that does not resolve clears mesh, arrays and count.
    void SetMesh(eMeshHandle hMesh);
    // Draws the mesh's rigid objects with the current skin's materials, seen
    // from the sky's own origin whatever the camera's position. Nothing
    // without a mesh or its draw data; a skin outside 0-3 draws as the
    // nearest one.
    void Draw(const eCamera& camera) const;

    eMeshHandle m_hMesh;
    eMaterialHandle* m_hMaterials[kNumSkins];  // m_nMaterials handles each
    int32_t m_nMaterials;
    float m_fScale;
    int32_t m_nCurSkin;  // 0-3

private:
    // Four arrays of count all-0 handles from the pool; false when it is full.
    bool NewArrays(cMemPool* pPool, int32_t count, eMaterialHandle* (&arrays)[kNumSkins]) const;
    void ClearMesh();
};
