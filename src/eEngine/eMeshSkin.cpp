// Skinning: the bind-space skin vertices of a mesh deformed by one frame per
// bone into quantised records for the graphics processor.
#include "eEngine/eMesh.h"

#include "platform/os.h"
#include "platform/ps.h"

namespace {

constexpr float kWeightUnit = 255.0f;  // weights are bytes standing for byte / 255, not normalised

// o + p.x r + p.y f + p.z u
mVec3 Point(const mOCS& f, const mVec3& p)
{
    const mBasis& b = f.basis;
    return mVec3(f.origin.x + p.x * b.right.x + p.y * b.forward.x + p.z * b.up.x,
                 f.origin.y + p.x * b.right.y + p.y * b.forward.y + p.z * b.up.y,
                 f.origin.z + p.x * b.right.z + p.y * b.forward.z + p.z * b.up.z);
}

mVec3 Direction(const mOCS& f, const mVec3& n)
{
    const mBasis& b = f.basis;
    return mVec3(n.x * b.right.x + n.y * b.forward.x + n.z * b.up.x,
                 n.x * b.right.y + n.y * b.forward.y + n.z * b.up.y,
                 n.x * b.right.z + n.y * b.forward.z + n.z * b.up.z);
}

// Stores one record; values beyond the s16 range saturate.
uint8_t* Store(uint8_t* pOut, const mVec3& pos, const mVec3& normal)
{
    for (int k = 0; k < 3; ++k) {
        ps::StoreQuantS16BE(pOut + 2 * k, pos.v[k], ePhysiqueVert::kPosFracBits);
        ps::StoreQuantS16BE(pOut + ePhysiqueVert::kNormalOffset + 2 * k, normal.v[k], ePhysiqueVert::kNrmFracBits);
    }
    return pOut + ePhysiqueVert::kBytes;
}

// The weighted sum over a vertex's bones.
template <int N>
uint8_t* SkinRange(const eMeshVisSkinVertN<N>* pVerts, int first, int count, const mOCS* pBones, uint8_t* pOut)
{
    for (int i = first; i < first + count; ++i) {
        const eMeshVisSkinVertN<N>& v = pVerts[i];
        if constexpr (N == 1) {  // a single bone carries the vertex whole; its weight is not read
            const mOCS& f = pBones[v.nBones[0]];
            pOut = Store(pOut, Point(f, v.pos), Direction(f, v.normal));
        } else {
            // Summed in whole weight units and divided once, so weights adding
            // up to 255 reproduce a shared position exactly.
            mVec3 pos(0.0f, 0.0f, 0.0f), normal(0.0f, 0.0f, 0.0f);
            for (int k = 0; k < N; ++k) {
                const mOCS& f = pBones[v.nBones[k]];
                const float w = static_cast<float>(v.nWeights[k]);
                pos += Point(f, v.pos) * w;
                normal += Direction(f, v.normal) * w;
            }
            pOut = Store(pOut, mVec3(pos.x / kWeightUnit, pos.y / kWeightUnit, pos.z / kWeightUnit),
                         mVec3(normal.x / kWeightUnit, normal.y / kWeightUnit, normal.z / kWeightUnit));
        }
    }
    return pOut;
}

}  // namespace

void eMesh::FillPhysiqueVerts(void* pOut, const mOCS* pBoneFrames) const
{
    const eMeshVisData* d = m_pMeshVisData;
    if (!d || !pOut)
        return;
    uint8_t* p = static_cast<uint8_t*>(pOut);
    for (int m = 0; m < d->nMaterials; ++m) {
        if (d->nSkins[m] <= 0)
            continue;
        const eMeshVisSkin& s = d->pSkins[m][0];
        p = SkinRange(d->pSkinVerts1, s.nFirstVert1, s.nVerts1, pBoneFrames, p);
        p = SkinRange(d->pSkinVerts2, s.nFirstVert2, s.nVerts2, pBoneFrames, p);
        p = SkinRange(d->pSkinVerts3, s.nFirstVert3, s.nVerts3, pBoneFrames, p);
    }
    const int total = d->TotalSkinVerts();
    if (total > 0)
        DCStoreRangeNoSync(pOut, static_cast<uint32_t>(total * ePhysiqueVert::kBytes));
}
