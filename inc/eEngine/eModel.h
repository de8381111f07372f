#pragma once
// A mesh placed in a zone: a scene node that poses the mesh's nodes every
// update (rest pose, or up to four animations easing in and out), files one
// draw record per material when culled (with a brightness from the zone's
// light grid), skins its vertices once a frame after culling, draws each
// material under per-model lighting, and offers its collision surfaces to
// the zone's collision queries. Owned by creatures, players, items, devices
// and effects; its arrays live in the pool that holds the model. Main
// thread only.

#include <cstdint>

#include "eEngine/eAnimation.h"
#include "eEngine/eCollisionModel.h"
#include "eEngine/eDrawInfo.h"
#include "eEngine/eGeom.h"
#include "eEngine/eMesh.h"

struct mQuat;

// One blended animation: free while its handle is 0.
struct eModelAnimationState {
    eAnimationHandle hAnimation;
    float fWeight = 0.0f;  // 0-1
    cTimeValue timeElapsed;
};

// A model's draw record for one material of its mesh.
struct eModelDrawInfo : eDrawInfo {
    eMaterialState materialState;  // tint and blend factor, drawn with the material
    uint8_t nMaterial = 0;         // material index within the mesh
    uint8_t nLightIntensity = 255; // brightness at the model when culled, 0-255
};

class eModel : public eGeom, public eCollisionModel
{
    QM_DECLARE_TYPE(eModel)
public:
    static constexpr uint32_t kVersion = 1;
    static constexpr int kNumAnimationStates = 4;
    // Per-model lighting: at or above this brightness only the directional
    // light dims; below it the light holds here and the ambient dims.
    static constexpr int kMinDirectionalScale = 64;
    // Material flags the model reads (the materials' own switches).
    static constexpr uint32_t kMatNotInProjections = 0x20000000;  // skipped by immediate draws asking so
    // DrawImmediate flags.
    static constexpr unsigned int kDrawApplyStates = 0x2;   // second pass, with each record's state
    static constexpr unsigned int kDrawSkipMarked = 0x4;    // skip kMatNotInProjections materials

    // No mesh, counts 0, scale 1, no animation (rest pose), skin handle 0.
    eModel();
    // Takes nothing from the source: the scene-node part as eGeom's copy,
    // no mesh or animations, every other member zero (scale 0 included), as
    // a copy made in zeroed pool memory is.
    eModel(const eModel&);
    ~eModel() override;

    cBase* Copy(cMemPool* pPool) const override;
    // Block version 1 holding the scene node's block; the mesh is not stored.
    void Write(const cFile& file) const override;
    bool Read(const cFile& file, cMemPool* pPool) override;

    // The node's own frame below 0; a mesh node's current frame; the node's
    // own frame again for an index past the nodes or before any pose.
    const mOCS* GetSubObjectToZone(int index) const override;
    int GetSubObjectIndex(const cName& name, int start, bool bPartial) const override;
    // Skins the mesh into this frame's skinning cache, once a frame however
    // often the model is culled; the skin is not drawn when the cache is full.
    void PostCullUpdate(const eCamera& camera) override;
    // For shadow and projector passes: every record without per-model
    // lighting, then the children (eGeom's).
    void DrawImmediate(const eCamera& camera, unsigned int flags) const override;
    void DrawCollisionHull(const eCamera&) const override {}
    // The zone frame when dirty, then the pose of every mesh node.
    void Update(cTimeValue dt) override;
    void Cull(const eCamera& camera, const mFrustum& frustum, unsigned int clip) override;
    // Files one record per collision surface the collider may meet.
    void CollisionCull(const eCollider& collider, const mSphere& sphere) override;
    void Draw(const eCamera& camera, const eDrawInfo* pInfo) override;

    int GetCollisionTrisCount(int nSurface) const override;
    void FillCollisionTris(eCollisionCacheTri* pOut, int nSurface, int nFirst, int nCount) const override;
    void IntersectColTris(const mRay& zoneRay, int nSurface, eCollisionRayHit* pHit) const override;

    // Sizes the records and node frames for the mesh (kept records copied);
    // a handle that does not resolve, or a pool that cannot hold the arrays,
    // leaves the model without a mesh.
    void SetMesh(eMeshHandle hMesh);
    // Starts the animation easing in (or lets a looping one that is already
    // playing go on); a new loop starts at the phase of the heaviest one.
    // Returns the animation's length, -1 when the handle does not resolve.
    cTimeValue PlayAnimation(eAnimationHandle hAnimation);
    // Back to the rest pose at the next update.
    void ResetAnimationState();
    // The motion of one node over the coming step in the current blend.
    void CalcNodeDelta(cTimeValue dt, int node, mVec3* pTranslation, mQuat* pRotation) const;
    // Every record's texture blend factor, or colour alpha, = 255 x value
    // (truncated; values outside 0-1 saturate).
    void SetBlend(float blend);
    void SetAlpha(float alpha);
    // The mesh once at a frame with the records' materials and states.
    void DrawStatic(const eCamera& camera, const mOCS& frame, float alpha) const;

    eMeshHandle m_hMesh;
    int16_t m_nDrawInfos;  // = the mesh's material count
    int16_t m_nColInfos;   // = its collision surface count
    int16_t m_nNodes;
    int16_t m_nBones;
    eModelDrawInfo* m_pDrawInfos;
    eModelColInfo* m_pColInfos;
    mOCS* m_pNodeToZone;   // every mesh node's current frame in zone space
    float m_fScale;
    int16_t m_nCurAnimationState;  // the state easing in; -1 = rest pose
    eModelAnimationState m_animationStates[kNumAnimationStates];
    uint32_t m_nPhysiqueVertsHandle;  // this frame's skinned vertices; 0 = none

private:
    // The mesh while the model's arrays still fit it (nodes, bones,
    // materials and surfaces); null otherwise.
    const eMesh* GetMatchingMesh() const;
    // The animated pose; false when no state contributed.
    bool UpdateDynamic(cTimeValue dt, const eMesh& mesh);
    void DrawParts(const eMesh& mesh, int material) const;
    void PlatformFree() {}
};
