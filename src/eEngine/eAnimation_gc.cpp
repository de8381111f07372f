// The console key block of an animation: the node table and the two key
// arrays, kept in the reading pool exactly as stored.
#include "eEngine/eAnimation.h"

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "eBlockArrays.h"

using eBlockArrays::Fits;
using eBlockArrays::TakeArray;

namespace {

// One kind of track: the first keys run on from the previous node's, a track
// has one key (constant) or at least one per frame, and all of them lie in
// the array.
bool TracksValid(const eAnimationNode* pNodes, int nNodes, int nFrames, int32_t nKeys,
                 int16_t eAnimationNode::*pFirst, int16_t eAnimationNode::*pCount)
{
    int64_t next = 0;
    for (int i = 0; i < nNodes; ++i) {
        const int count = pNodes[i].*pCount;
        if (pNodes[i].*pFirst != next || count < 1 || (count != 1 && count < nFrames))
            return false;
        next += count;
    }
    return next <= nKeys;
}

}  // namespace

bool eAnimation::PlatformRead(const cFile& file, cMemPool* pPool, int nNodes, int nFrames,
                              eAnimationData** ppData) const
{
    *ppData = nullptr;
    cReadBlock rb(file, kPlatformVersion);
    if (rb.m_nVersion == 0) {  // no keys: the animation evaluates no nodes
        rb.SkipToEnd();
        return !rb.Failed();
    }
    if (!Fits(rb, nNodes, eAnimationNode::kFileBytes)) {
        rb.m_file.Fail("eAnimation \"%s\": %d nodes do not fit in the key block", m_name.m_sData, nNodes);
        return rb.Reject("eAnimation keys", "node count");
    }
    eAnimationData* pData = nullptr;
    if (!TakeArray(pPool, 1, &pData) || !TakeArray(pPool, nNodes, &pData->pNodes)) {
        rb.SkipToEnd();
        return false;
    }
    eAnimationNode::Read(rb, 0, pData->pNodes, nNodes);

    pData->nRotKeys = rb.ReadInt();
    if (rb.Failed() || !Fits(rb, pData->nRotKeys, sizeof(eAnimationQuat))) {
        rb.m_file.Fail("eAnimation \"%s\": %d rotation keys refused", m_name.m_sData, pData->nRotKeys);
        return rb.Reject("eAnimation keys", "rotation key count");
    }
    if (!TakeArray(pPool, pData->nRotKeys, &pData->pRotKeys)) {
        rb.SkipToEnd();
        return false;
    }
    rb.ReadChars(pData->pRotKeys, pData->nRotKeys * static_cast<int>(sizeof(eAnimationQuat)));

    pData->nPosKeys = rb.ReadInt();
    if (rb.Failed() || !Fits(rb, pData->nPosKeys, sizeof(eAnimationVec3))) {
        rb.m_file.Fail("eAnimation \"%s\": %d position keys refused", m_name.m_sData, pData->nPosKeys);
        return rb.Reject("eAnimation keys", "position key count");
    }
    if (!TakeArray(pPool, pData->nPosKeys, &pData->pPosKeys)) {
        rb.SkipToEnd();
        return false;
    }
    rb.ReadChars(pData->pPosKeys, pData->nPosKeys * static_cast<int>(sizeof(eAnimationVec3)));
    if (rb.Failed())
        return false;

    if (!TracksValid(pData->pNodes, nNodes, nFrames, pData->nRotKeys, &eAnimationNode::nFirstRotKey,
                     &eAnimationNode::nRotKeys) ||
        !TracksValid(pData->pNodes, nNodes, nFrames, pData->nPosKeys, &eAnimationNode::nFirstPosKey,
                     &eAnimationNode::nPosKeys)) {
        rb.m_file.Fail("eAnimation \"%s\": a node's keys do not follow the previous node's, are fewer than its %d "
                       "frames, or lie past the %d rotation / %d position keys",
                       m_name.m_sData, nFrames, pData->nRotKeys, pData->nPosKeys);
        return rb.Reject("eAnimation keys", "node table");
    }
    *ppData = pData;
    return true;
}

void eAnimation::PlatformFree()
{
    // Keys live in the pool that read them; nothing to give back.
}
