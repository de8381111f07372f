// The mesh block: the node hierarchy, the bones and the radii, and the
// frames derived from them.
#include "eEngine/eMesh.h"

#include <cstring>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eBlockArrays.h"
#include "eMeshRead.h"
#include "cCore/cMemPool.h"

using eBlockArrays::Fits;
using eBlockArrays::TakeArray;

QM_DEFINE_TYPE(eMesh, cObject, 14)

eMesh::PlatformWriteFunc eMesh::s_platformWrite[eMesh::kNumPlatforms] = {};

namespace {

constexpr int kFrameFloats = 12;  // origin, right, forward, up
constexpr int kFrameBytes = 4 * kFrameFloats;

void ReadFrame(const cReadBlock& rb, mOCS* pFrame)
{
    rb.ReadFloats(pFrame->origin.v, 3);
    rb.ReadFloats(pFrame->basis.right.v, 3);
    rb.ReadFloats(pFrame->basis.forward.v, 3);
    rb.ReadFloats(pFrame->basis.up.v, 3);
}

void WriteFrame(const cWriteBlock& wb, const mOCS& frame)
{
    wb.WriteFloats(frame.origin.v, 3);
    wb.WriteFloats(frame.basis.right.v, 3);
    wb.WriteFloats(frame.basis.forward.v, 3);
    wb.WriteFloats(frame.basis.up.v, 3);
}

}  // namespace

eMesh::eMesh()
    : m_pMeshVisData(nullptr),
      m_pMeshColData(nullptr),
      m_nNodes(0),
      m_nBones(0),
      m_nBonesStart(-1),
      m_nObjects(0),
      m_nObjectsStart(-1),
      m_nHelpers(0),
      m_nHelpersStart(-1),
      m_pNodes(nullptr),
      m_pBones(nullptr),
      m_fVisRadius(-1.0f),
      m_fColRadius(-1.0f),
      m_colliderSize(-1.0f, -1.0f, -1.0f)
{
}

eMesh::eMesh(const eMesh&) : eMesh()
{
    m_nBonesStart = m_nObjectsStart = m_nHelpersStart = 0;
    m_fVisRadius = m_fColRadius = 0.0f;
    m_colliderSize.Set(0.0f, 0.0f, 0.0f);
}

eMesh::~eMesh()
{
    PlatformFree();
}

cBase* eMesh::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eMesh>(*this) : nullptr;
}

void eMesh::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    wb.WriteInt(m_nNodes);
    const int16_t counts[6] = {m_nBones, m_nBonesStart, m_nObjects, m_nObjectsStart, m_nHelpers, m_nHelpersStart};
    wb.WriteShorts(counts, 6);
    for (int32_t i = 0; i < m_nNodes; ++i) {
        wb.WriteInt(m_pNodes[i].nParentIndex);
        WriteFrame(wb, m_pNodes[i].localToParent);
        m_pNodes[i].name.Write(wb);
    }
    for (int i = 0; i < m_nBones; ++i)
        WriteFrame(wb, m_pBones[i].baseToLocal);
    wb.WriteFloat(m_fVisRadius);
    wb.WriteFloat(m_fColRadius);
    wb.WriteFloats(m_colliderSize.v, 3);
    const int32_t id = file.m_nTargetPlatformId;
    if (id >= 0 && id < kNumPlatforms && s_platformWrite[id])
        s_platformWrite[id](*this, file);
}

bool eMesh::ReadHierarchy(const cReadBlock& rb, cMemPool* pPool, ReadState* pState) const
{
    ReadState& st = *pState;
    st.nNodes = rb.ReadInt();
    rb.ReadShorts(st.counts, 6);
    if (rb.Failed())
        return false;
    const int nBones = st.counts[0], bonesStart = st.counts[1];
    if (st.nNodes < 1 || st.nNodes > kMaxNodes || nBones < 0 || nBones > kMaxBones ||
        (nBones > 0 && (bonesStart < 0 || bonesStart + nBones > st.nNodes))) {
        rb.m_file.Fail("eMesh \"%s\": %d nodes and %d bones from node %d refused (1 to %d nodes, the bones among them)",
                   m_name.m_sData, st.nNodes, nBones, bonesStart, kMaxNodes);
        return false;
    }
    const int nodeBytes = 4 + kFrameBytes + (st.nVersion >= 2 ? cName::kStoredSize : 0);
    if (!Fits(rb, st.nNodes, nodeBytes) || !TakeArray(pPool, st.nNodes, &st.pNodes) ||
        !TakeArray(pPool, nBones, &st.pBones))
        return false;
    for (int32_t i = 0; i < st.nNodes; ++i) {
        eMeshNode& n = st.pNodes[i];
        n.nParentIndex = rb.ReadInt();
        ReadFrame(rb, &n.localToParent);
        if (st.nVersion >= 2)
            n.name.Read(rb);
        else
            n.name = cName();
        // Frames are composed parent first, in node order.
        if (i > 0 && (n.nParentIndex < 0 || n.nParentIndex >= i)) {
            rb.m_file.Fail("eMesh \"%s\": node %d has parent %d, not a node before it", m_name.m_sData, i,
                       n.nParentIndex);
            return false;
        }
    }
    if (!Fits(rb, nBones, kFrameBytes))
        return false;
    for (int i = 0; i < nBones; ++i)
        ReadFrame(rb, &st.pBones[i].baseToLocal);
    st.fVisRadius = rb.ReadFloat();
    st.fColRadius = rb.ReadFloat();
    rb.ReadFloats(st.colliderSize.v, 3);
    return !rb.Failed();
}

bool eMesh::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    // Later versions append fields, which the block's end skips.
    if (rb.m_nVersion < kMinVersion)
        return rb.Reject("eMesh", "version");
    const cName oldName = m_name;
    if (!ReadObjectPart(rb, pPool))
        return false;
    ReadState st;
    st.nVersion = rb.m_nVersion;
    if (!ReadHierarchy(rb, pPool, &st) || !PlatformRead(file, pPool, &st) || rb.Failed()) {
        m_name = oldName;
        return rb.Reject("eMesh", "data");
    }

    PlatformFree();
    m_nNodes = st.nNodes;
    m_nBones = st.counts[0];
    m_nBonesStart = st.counts[1];
    m_nObjects = st.counts[2];
    m_nObjectsStart = st.counts[3];
    m_nHelpers = st.counts[4];
    m_nHelpersStart = st.counts[5];
    m_pNodes = st.pNodes;
    m_pBones = st.pBones;
    m_fVisRadius = st.fVisRadius;
    m_fColRadius = st.fColRadius;
    m_colliderSize = st.colliderSize;
    m_pMeshVisData = st.pVisData;
    m_pMeshColData = st.pColData;
    return true;
}

int eMesh::GetSubObjectIndex(const cName& name, int start, bool bPartial) const
{
    for (int i = start < 0 ? 0 : start; i < m_nNodes; ++i) {
        const cName& n = m_pNodes[i].name;
        if (bPartial ? std::strstr(n.m_sData, name.m_sData) != nullptr : n == name)
            return i;
    }
    return -1;
}

void eMesh::CalcRestFrames(const mOCS& root, mOCS* pFrames) const
{
    if (m_nNodes < 1)
        return;
    pFrames[0] = root;
    for (int32_t i = 1; i < m_nNodes; ++i)
        pFrames[i].Xform(m_pNodes[i].localToParent, pFrames[m_pNodes[i].nParentIndex]);
}

void eMesh::CalcBoneFrames(const mOCS* pNodeFrames, const mOCS* pRelativeTo, mOCS* pBoneFrames) const
{
    for (int j = 0; j < m_nBones; ++j) {
        pBoneFrames[j].Xform(m_pBones[j].baseToLocal, pNodeFrames[m_nBonesStart + j]);
        if (pRelativeTo)
            pBoneFrames[j].XformInv(pBoneFrames[j], *pRelativeTo);
    }
}

QM_DEFINE_GROUP(eMeshGroup, 15)
