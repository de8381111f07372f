#pragma once
// The shared, read-only geometry behind every drawn creature, entity, item
// and sky: a node hierarchy of at most 42 nodes (bones, visible objects and
// helpers are ranges of it), the console's ready-to-draw vertex arrays and
// display lists, skin vertices with one to three bone weights, and rigid and
// skinned collision triangles (records in eMeshData.h). Models instance it
// in zones, the sky draws it around the camera, widgets draw it with
// DrawStatic. Kept by eMeshMgr in 256 slots; lives with all its arrays in
// the pool that read it and never changes after Read. Main thread (reading
// on a loader thread).

#include <cstdint>

#include "cCore/cHandle.h"
#include "cCore/cObject.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMeshData.h"
#include "cCore/cManager.h"
#include "cCore/cGroup.h"

class cReadBlock;
class eCamera;
class eMesh;
using eMeshHandle = cHandle<eMesh>;

class eMesh : public cObject
{
    QM_DECLARE_TYPE(eMesh)
public:
    static constexpr uint32_t kVersion = 2;
    static constexpr uint32_t kMinVersion = 1;
    static constexpr uint32_t kPlatformVersion = 1;
    static constexpr int kNumPlatforms = 4;  // target platform ids of the file header
    // Node and bone frames live in fixed arrays of this many.
    static constexpr int kMaxNodes = 42;
    static constexpr int kMaxBones = 42;

    // Writes the platform block of a mesh for one target platform.
    typedef void (*PlatformWriteFunc)(const eMesh& mesh, const cFile& file);

    // Handle 0, no data, no nodes, counts 0 and starts -1, radii and collider
    // size -1.
    eMesh();
    // Takes nothing from the source: an empty name, handle 0 and every other
    // member zero, as a copy made in zeroed pool memory is.
    eMesh(const eMesh&);
    ~eMesh() override;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2, then the platform block through s_platformWrite of the
    // file's target platform (nothing when that entry is empty).
    void Write(const cFile& file) const override;
    // Version 1 and later (version 1 nodes have no names) with the console
    // platform block. Refused (logged, false, the mesh as it was): node
    // counts outside 1..42, bones beyond 42 or outside the nodes, a parent
    // not below its node, more than 8 materials or surfaces, vertex, record
    // and triangle ranges outside their arrays, bone indices beyond the
    // bones, skinned output larger than the skin vertices, a collision skin
    // of more than 2048 vertices, display lists outside their block, or
    // anything past the block's end. A platform block of version 0 leaves
    // the mesh without draw and collision data.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // The first node at or after start named name (containing it, with
    // bPartial); -1 when none or when start is past the nodes.
    int GetSubObjectIndex(const cName& name, int start, bool bPartial) const;
    int GetNumMaterials() const { return m_pMeshVisData ? m_pMeshVisData->nMaterials : 0; }
    int GetNumSurfaces() const { return m_pMeshColData ? m_pMeshColData->nSurfaces : 0; }
    // Records the skinned output needs: 0 without draw data.
    int GetNumSkinVerts() const { return m_pMeshVisData ? m_pMeshVisData->TotalSkinVerts() : 0; }

    // The rest pose: frame 0 is root, every other node its local frame
    // carried by its parent's. pFrames holds m_nNodes entries.
    void CalcRestFrames(const mOCS& root, mOCS* pFrames) const;
    // Bone j's frame: its bind frame carried by its node's frame, and then
    // expressed relative to pRelativeTo when given. pBoneFrames holds
    // m_nBones entries.
    void CalcBoneFrames(const mOCS* pNodeFrames, const mOCS* pRelativeTo, mOCS* pBoneFrames) const;

    // The rigid objects of one material at their nodes' frames; with a
    // scale other than 1 each object's distance from node 0 is scaled too.
    static void DrawVisObjects(int material, const eMeshVisData* pData, const mOCS* pNodeFrames, float scale);
    // The first skin record of one material from skinned vertices; nothing
    // for null vertices.
    static void DrawVisSkin(int material, const eMeshVisData* pData, const mOCS& frame,
                            const ePhysiqueVert* pVerts, float scale);
    // Skins every skin vertex with the bone frames into GetNumSkinVerts()
    // records: material by material, each first skin record's one-, two-
    // and three-weight vertices in turn. Announces the records to the
    // graphics layer.
    void FillPhysiqueVerts(void* pOut, const mOCS* pBoneFrames) const;
    // The whole mesh at a frame, outside the zone bins: at most the mesh's
    // own material count of materials (with their states when given, alpha
    // multiplied in). Nothing at all when the skinning cache is full or the
    // mesh has no draw data.
    void DrawStatic(const eCamera& camera, const mOCS& frame, int nMaterials, const eMaterialHandle* pMaterials,
                    const eMaterialState* pStates, float scale, float alpha) const;

    eMeshHandle m_handle;
    eMeshVisData* m_pMeshVisData;  // null when the mesh has none
    eMeshColData* m_pMeshColData;
    int32_t m_nNodes;
    int16_t m_nBones, m_nBonesStart;
    int16_t m_nObjects, m_nObjectsStart;
    int16_t m_nHelpers, m_nHelpersStart;
    eMeshNode* m_pNodes;
    eMeshBone* m_pBones;
    float m_fVisRadius;
    float m_fColRadius;
    mVec3 m_colliderSize;

    static PlatformWriteFunc s_platformWrite[kNumPlatforms];

private:
    struct ReadState;

    bool ReadHierarchy(const cReadBlock& rb, cMemPool* pPool, ReadState* pState) const;
    bool PlatformRead(const cFile& file, cMemPool* pPool, ReadState* pState) const;
    bool ReadVisData(const cReadBlock& rb, cMemPool* pPool, ReadState* pState) const;
    bool ReadColData(const cReadBlock& rb, cMemPool* pPool, ReadState* pState) const;
    bool ValidateVisData(const cFile& file, const eMeshVisData& d, const ReadState& state) const;
    bool ValidateColData(const cFile& file, const eMeshColData& d, const ReadState& state) const;
    void PlatformFree();
};

// The slot table of meshes: 256 slots, resolved by handle. Main thread, or
// the loader filling a group.
class eMeshMgr : public cManager<eMesh, 256> {};

// The file block that fills a range of eMeshMgr's slots with meshes and
// their check values. Lives in the pool of its load; one made by the factory
// destroys its meshes with it.
class eMeshGroup : public cGroup
{
    QM_DECLARE_GROUP(eMeshGroup, eMeshMgr)
};
