// The model's mesh, its animation states and the pose they give its nodes.
#include "eEngine/eModel.h"

#include <algorithm>
#include <cfloat>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eAnimation.h"
#include "eEngine/eMesh.h"
#include "mMath/mQuat.h"

QM_DEFINE_TYPE(eModel, eGeom, 16)

namespace {

// A fresh array of count records in the pool, the first of the old array's
// copied over; null for none. False when the pool cannot hold it.
template <class T>
bool Resize(cMemPool* pPool, const T* pOld, int oldCount, int count, T** ppOut)
{
    *ppOut = nullptr;
    if (count <= 0)
        return true;
    T* p = pPool ? static_cast<T*>(pPool->Alloc(sizeof(T) * static_cast<size_t>(count), alignof(T))) : nullptr;
    if (!p)
        return false;
    for (int i = 0; i < count; ++i)
        new (&p[i]) T(i < oldCount && pOld ? pOld[i] : T());
    *ppOut = p;
    return true;
}

uint8_t ScaleToByte(float value)
{
    if (!(value > 0.0f))
        return 0;
    return value >= 1.0f ? 255 : static_cast<uint8_t>(static_cast<int>(255.0f * value));
}

}  // namespace

eModel::eModel()
    : m_nDrawInfos(0),
      m_nColInfos(0),
      m_nNodes(0),
      m_nBones(0),
      m_pDrawInfos(nullptr),
      m_pColInfos(nullptr),
      m_pNodeToZone(nullptr),
      m_fScale(1.0f),
      m_nCurAnimationState(-1),
      m_nPhysiqueVertsHandle(0)
{
}

eModel::eModel(const eModel& other)
    : eGeom(other),
      m_nDrawInfos(0),
      m_nColInfos(0),
      m_nNodes(0),
      m_nBones(0),
      m_pDrawInfos(nullptr),
      m_pColInfos(nullptr),
      m_pNodeToZone(nullptr),
      m_fScale(0.0f),
      m_nCurAnimationState(0),
      m_nPhysiqueVertsHandle(0)
{
}

eModel::~eModel()
{
    PlatformFree();
}

cBase* eModel::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eModel>(*this) : nullptr;
}

void eModel::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    eGeom::Write(file);
}

bool eModel::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("eModel", "version");
    if (!eGeom::Read(file, pPool) || rb.Failed()) {
        rb.SkipToEnd();
        return false;
    }
    return true;
}

const eMesh* eModel::GetMatchingMesh() const
{
    const eMesh* p = eMeshMgr::GetPtr(m_hMesh);
    if (!p || !m_pNodeToZone || p->m_nNodes != m_nNodes || p->m_nBones != m_nBones ||
        p->GetNumMaterials() != m_nDrawInfos || p->GetNumSurfaces() != m_nColInfos)
        return nullptr;
    return p;
}

void eModel::SetMesh(eMeshHandle hMesh)
{
    const eMesh* pMesh = eMeshMgr::GetPtr(hMesh);
    float fVisRadius = -1.0f, fColRadius = -1.0f;
    if (pMesh) {
        cMemPool* pPool = cMemPool::GetPoolFromPtr(this);
        const int nMaterials = pMesh->GetNumMaterials();
        const int nSurfaces = pMesh->GetNumSurfaces();
        eModelDrawInfo* pDrawInfos = m_pDrawInfos;
        eModelColInfo* pColInfos = m_pColInfos;
        mOCS* pNodes = m_pNodeToZone;
        bool bOk = true;
        if (nMaterials != m_nDrawInfos)
            bOk = Resize(pPool, m_pDrawInfos, m_nDrawInfos, nMaterials, &pDrawInfos);
        if (bOk && nSurfaces != m_nColInfos)
            bOk = Resize(pPool, m_pColInfos, m_nColInfos, nSurfaces, &pColInfos);
        if (bOk && pMesh->m_nNodes != m_nNodes) {
            bOk = Resize<mOCS>(pPool, nullptr, 0, pMesh->m_nNodes, &pNodes);
            for (int i = 0; bOk && i < pMesh->m_nNodes; ++i)
                pNodes[i].MakeIdentity();
        }
        if (bOk) {
            m_pDrawInfos = pDrawInfos;
            m_nDrawInfos = static_cast<int16_t>(nMaterials);
            m_pColInfos = pColInfos;
            m_nColInfos = static_cast<int16_t>(nSurfaces);
            m_pNodeToZone = pNodes;
            m_nNodes = static_cast<int16_t>(pMesh->m_nNodes);
            m_nBones = pMesh->m_nBones;
            fVisRadius = pMesh->m_fVisRadius;
            fColRadius = pMesh->m_fColRadius;
        } else {
            // The pool reported it (failing the file being read, if any).
            pMesh = nullptr;
            hMesh = eMeshHandle();
        }
    }
    if (!pMesh) {
        m_nDrawInfos = m_nColInfos = m_nNodes = m_nBones = 0;
        m_pDrawInfos = nullptr;
        m_pColInfos = nullptr;
        m_pNodeToZone = nullptr;
    }
    if (m_fVisRadius != fVisRadius) {
        m_fVisRadius = fVisRadius;
        SetGeomFlagsOnOff(kDirty, 0);
    }
    if (m_fColRadius != fColRadius) {
        m_fColRadius = fColRadius;
        SetGeomFlagsOnOff(kDirty, 0);
    }
    m_hMesh = hMesh;
}

const mOCS* eModel::GetSubObjectToZone(int index) const
{
    // A child hanging from a node the mesh does not have (or before the
    // model has a pose) follows the model itself.
    if (index < 0 || index >= m_nNodes || !m_pNodeToZone)
        return &m_localToZone;
    return &m_pNodeToZone[index];
}

int eModel::GetSubObjectIndex(const cName& name, int start, bool bPartial) const
{
    const eMesh* p = eMeshMgr::GetPtr(m_hMesh);
    return p ? p->GetSubObjectIndex(name, start, bPartial) : -1;
}

cTimeValue eModel::PlayAnimation(eAnimationHandle hAnimation)
{
    const eAnimation* pAnim = eAnimationMgr::GetPtr(hAnimation);
    if (!pAnim)
        return cTimeValue(-1);
    int nFree = -1, nLightest = -1, nHeaviest = -1;
    float fLightest = FLT_MAX, fHeaviest = 0.0f;
    for (int k = 0; k < kNumAnimationStates; ++k) {
        const eModelAnimationState& s = m_animationStates[k];
        if (s.hAnimation == hAnimation) {
            m_nCurAnimationState = static_cast<int16_t>(k);
            if (pAnim->m_bLooping)
                return pAnim->m_length;  // keeps playing where it is
        }
        if (s.hAnimation.IsNull()) {
            nFree = k;
            continue;
        }
        if (s.fWeight < fLightest) {
            fLightest = s.fWeight;
            nLightest = k;
        }
        if (s.fWeight > fHeaviest) {
            fHeaviest = s.fWeight;
            nHeaviest = k;
        }
    }
    const int chosen = nFree >= 0 ? nFree : (nLightest >= 0 ? nLightest : 0);
    eModelAnimationState& s = m_animationStates[chosen];
    m_nCurAnimationState = static_cast<int16_t>(chosen);
    s.hAnimation = hAnimation;
    s.fWeight = 0.0f;
    s.timeElapsed = cTimeValue(0);
    // A new loop joins the dominant one at the same phase (walk to run
    // without a stumble).
    if (nHeaviest >= 0 && pAnim->m_bLooping) {
        const eModelAnimationState& h = m_animationStates[nHeaviest];
        if (const eAnimation* pHeavy = eAnimationMgr::GetPtr(h.hAnimation)) {
            const float r = pHeavy->m_length.m_nTicks > 0 ? static_cast<float>(h.timeElapsed.m_nTicks) /
                                                                static_cast<float>(pHeavy->m_length.m_nTicks)
                                                          : 0.0f;
            s.timeElapsed = cTimeValue(static_cast<int32_t>(r * static_cast<float>(pAnim->m_length.m_nTicks)));
        }
    }
    return pAnim->m_length;
}

void eModel::ResetAnimationState()
{
    m_nCurAnimationState = -1;
    for (eModelAnimationState& s : m_animationStates)
        s = eModelAnimationState();
}

void eModel::CalcNodeDelta(cTimeValue dt, int node, mVec3* pTranslation, mQuat* pRotation) const
{
    pTranslation->Set(0.0f, 0.0f, 0.0f);
    *pRotation = mQuat(0.0f, 0.0f, 0.0f, 1.0f);
    float total = 0.0f;
    const float step = static_cast<float>(dt.m_nTicks);
    for (int k = 0; k < kNumAnimationStates; ++k) {
        const eModelAnimationState& s = m_animationStates[k];
        const eAnimation* pAnim = eAnimationMgr::GetPtr(s.hAnimation);
        if (!pAnim)
            continue;
        const float rate = k == m_nCurAnimationState ? eAnimation::s_fEaseInRate : -eAnimation::s_fEaseOutRate;
        float w = s.fWeight + rate * step;
        if (w <= 0.0f)
            continue;
        w = std::min(w, 1.0f);
        const float f = total == 0.0f ? 1.0f : w / (total + w);
        pAnim->CalcNodeDelta(node, s.timeElapsed, s.timeElapsed + dt, f, pTranslation, pRotation);
        total += w;
    }
}

void eModel::Update(cTimeValue dt)
{
    if (m_nGeomFlags & kDirty)
        UpdateLocalToZone();
    const eMesh* pMesh = GetMatchingMesh();
    if (!pMesh)
        return;
    // With no state contributing, the rest pose rather than nothing.
    if (m_nCurAnimationState < 0 || !UpdateDynamic(dt, *pMesh))
        pMesh->CalcRestFrames(m_localToZone, m_pNodeToZone);
}

bool eModel::UpdateDynamic(cTimeValue dt, const eMesh& mesh)
{
    mVec3 positions[eMesh::kMaxNodes];
    mQuat rotations[eMesh::kMaxNodes];
    const float step = static_cast<float>(dt.m_nTicks);
    float total = 0.0f;
    bool bAny = false;
    for (int k = 0; k < kNumAnimationStates; ++k) {
        eModelAnimationState& s = m_animationStates[k];
        const eAnimation* pAnim = eAnimationMgr::GetPtr(s.hAnimation);
        if (!pAnim || pAnim->GetNumNodes() != m_nNodes)
            continue;
        const float rate = k == m_nCurAnimationState ? eAnimation::s_fEaseInRate : -eAnimation::s_fEaseOutRate;
        s.fWeight += rate * step;
        // Only a real step frees a slot; a step of 0 leaves every weight.
        if (dt.m_nTicks != 0 && s.fWeight <= 0.0f) {
            s.hAnimation = eAnimationHandle();
            continue;
        }
        s.fWeight = std::min(s.fWeight, 1.0f);
        // A running average: the first overwrites, later ones blend in by
        // their share of the weights so far.
        const float f = total == 0.0f ? 1.0f : s.fWeight / (total + s.fWeight);
        s.timeElapsed = pAnim->Apply(s.timeElapsed + dt, f, positions, rotations);
        total += s.fWeight;
        bAny = true;
    }
    if (!bAny)
        return false;
    m_pNodeToZone[0] = m_localToZone;
    for (int i = 1; i < m_nNodes; ++i) {
        mOCS local;
        local.origin = positions[i];
        local.basis.SetQuat(rotations[i]);
        m_pNodeToZone[i].Xform(local, m_pNodeToZone[mesh.m_pNodes[i].nParentIndex]);
    }
    return true;
}

void eModel::SetBlend(float blend)
{
    const uint8_t b = ScaleToByte(blend);
    for (int i = 0; i < m_nDrawInfos; ++i)
        m_pDrawInfos[i].materialState.m_nTextureBlendFactor = b;
}

void eModel::SetAlpha(float alpha)
{
    const uint32_t a = ScaleToByte(alpha);
    for (int i = 0; i < m_nDrawInfos; ++i) {
        uint32_t& c = m_pDrawInfos[i].materialState.m_nColor;
        c = (c & 0x00FFFFFFu) | a << 24;
    }
}
