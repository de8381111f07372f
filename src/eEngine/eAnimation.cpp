#include "eEngine/eAnimation.h"

#include <algorithm>

#include "platform/ps.h"
#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "mMath/mQuat.h"
#include "mMath/mVec3.h"

QM_DEFINE_TYPE(eAnimation, cObject, 17)

const cTimeValue eAnimation::easeInTime(cTimeValue::TICKS_PER_SECOND * 4 / 30);
const cTimeValue eAnimation::easeOutTime(cTimeValue::TICKS_PER_SECOND * 4 / 30);
const float eAnimation::s_fEaseInRate = 1.0f / static_cast<float>(cTimeValue::TICKS_PER_SECOND * 4 / 30);
const float eAnimation::s_fEaseOutRate = 1.0f / static_cast<float>(cTimeValue::TICKS_PER_SECOND * 4 / 30);
eAnimation::PlatformWriteFunc eAnimation::s_platformWrite[eAnimation::kNumPlatforms] = {};

namespace {

mVec3 PosKey(const eAnimationVec3& k)
{
    return mVec3(ps::LoadQuantS16BE(&k.be[0], eAnimationVec3::kFracBits),
                 ps::LoadQuantS16BE(&k.be[2], eAnimationVec3::kFracBits),
                 ps::LoadQuantS16BE(&k.be[4], eAnimationVec3::kFracBits));
}

mQuat RotKey(const eAnimationQuat& k)
{
    return mQuat(ps::LoadQuantS16BE(&k.be[0], eAnimationQuat::kFracBits),
                 ps::LoadQuantS16BE(&k.be[2], eAnimationQuat::kFracBits),
                 ps::LoadQuantS16BE(&k.be[4], eAnimationQuat::kFracBits),
                 ps::LoadQuantS16BE(&k.be[6], eAnimationQuat::kFracBits));
}

mQuat Conj(const mQuat& q)
{
    return mQuat(-q.x, -q.y, -q.z, q.w);
}

// out moved toward value by weight; weight 1 exactly overwrites.
void Blend(float weight, const mVec3& p, const mQuat& q, mVec3* pOutPos, mQuat* pOutRot)
{
    if (weight == 1.0f) {
        *pOutPos = p;
        *pOutRot = q;
        return;
    }
    *pOutPos = *pOutPos + (p - *pOutPos) * weight;
    mQuat r;
    r.Slerp(*pOutRot, q, weight);
    *pOutRot = r;
}

}  // namespace

void CalcPosRot(const eAnimationNode& node, int key0, int key1, float fraction, const eAnimationVec3* pPosKeys,
                const eAnimationQuat* pRotKeys, mVec3* pPos, mQuat* pRot)
{
    if (node.nPosKeys == 1) {
        *pPos = PosKey(pPosKeys[0]);
    } else {
        const mVec3 p0 = PosKey(pPosKeys[key0]);
        const mVec3 p1 = PosKey(pPosKeys[key1]);
        *pPos = p0 + (p1 - p0) * fraction;
    }
    if (node.nRotKeys == 1) {
        *pRot = RotKey(pRotKeys[0]);
    } else {
        pRot->Slerp(RotKey(pRotKeys[key0]), RotKey(pRotKeys[key1]), fraction);
    }
}

void eAnimationNode::Read(const cReadBlock& rb, int, eAnimationNode* pNodes, int count)
{
    for (int i = 0; i < count; ++i) {
        pNodes[i].nFirstRotKey = rb.ReadShort();
        pNodes[i].nRotKeys = rb.ReadShort();
        pNodes[i].nFirstPosKey = rb.ReadShort();
        pNodes[i].nPosKeys = rb.ReadShort();
    }
}

eAnimation::eAnimation()
    : m_pAnimationData(nullptr), m_bLooping(true), m_nFrames(0), m_nNodes(0), m_length(0), m_frameLength(0)
{
}

eAnimation::eAnimation(const eAnimation&) : eAnimation() {}

eAnimation::~eAnimation()
{
    PlatformFree();
}

cBase* eAnimation::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eAnimation>(*this) : nullptr;
}

void eAnimation::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    wb.WriteShort(m_nFrames);
    wb.WriteShort(m_nNodes);
    wb.WriteInt(m_frameLength.m_nTicks);
    wb.WriteInt(m_length.m_nTicks);
    wb.WriteBool(m_bLooping);
    const int32_t id = file.m_nTargetPlatformId;
    if (m_nNodes > 0 && id >= 0 && id < kNumPlatforms && s_platformWrite[id])
        s_platformWrite[id](*this, file);
}

bool eAnimation::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kVersion)
        return rb.Reject("eAnimation", "version");
    const cName oldName = m_name;
    if (!ReadObjectPart(rb, pPool))
        return false;
    auto fail = [&](const char* sWhat) {
        m_name = oldName;
        return sWhat ? rb.Reject("eAnimation", sWhat) : (rb.SkipToEnd(), false);
    };
    const int16_t nFrames = rb.ReadShort();
    const int16_t nNodes = rb.ReadShort();
    const cTimeValue frameLength(rb.ReadInt());
    const cTimeValue length(rb.ReadInt());
    const bool bLooping = rb.ReadInt() != 0;
    if (rb.Failed())
        return fail(nullptr);
    if (nFrames < 0 || nNodes < 0) {
        rb.m_file.Fail("eAnimation \"%s\": %d frames, %d nodes", m_name.m_sData, nFrames, nNodes);
        return fail("counts");
    }
    // A frame length of 0 under a length would divide by zero in every
    // evaluation; a negative one maps times to negative frames.
    if (length.m_nTicks < 0 || frameLength.m_nTicks < 0 || (length.m_nTicks > 0 && frameLength.m_nTicks == 0)) {
        rb.m_file.Fail("eAnimation \"%s\": length %d ticks with frames of %d ticks", m_name.m_sData,
                       length.m_nTicks, frameLength.m_nTicks);
        return fail("length");
    }
    eAnimationData* pData = nullptr;
    if (nNodes > 0 && !PlatformRead(file, pPool, nNodes, nFrames, &pData))
        return fail(nullptr);
    if (rb.Failed())
        return fail(nullptr);

    PlatformFree();
    m_pAnimationData = pData;
    m_nFrames = nFrames;
    m_nNodes = nNodes;
    m_frameLength = frameLength;
    m_length = length;
    m_bLooping = bLooping;
    return true;
}

cTimeValue eAnimation::TimeToFrames(cTimeValue time, Frames* pFrames) const
{
    const int32_t length = m_length.m_nTicks;
    const int32_t frameLength = m_frameLength.m_nTicks;
    if (length <= 0 || frameLength <= 0) {
        *pFrames = Frames{0, 0, 0.0f};
        return cTimeValue(0);
    }
    int32_t t = time.m_nTicks;
    if (m_bLooping)
        t %= length;  // the remainder keeps the sign of t
    else
        t = std::min(t, length);
    const float f = static_cast<float>(t) / static_cast<float>(frameLength);
    int key0 = static_cast<int>(f);
    int key1 = (m_nFrames > 1 && t != length) ? key0 + 1 : key0;
    const float fraction = f - static_cast<float>(key0);
    // Well-formed data never needs it; a length reaching past the last frame
    // must not read past the keys.
    const int last = std::max(m_nFrames - 1, 0);
    key0 = std::clamp(key0, 0, last);
    key1 = std::clamp(key1, 0, last);
    *pFrames = Frames{key0, key1, fraction};
    return cTimeValue(t);
}

void eAnimation::EvalNode(int node, const Frames& frames, mVec3* pPos, mQuat* pRot) const
{
    const eAnimationData& d = *m_pAnimationData;
    const eAnimationNode& n = d.pNodes[node];
    CalcPosRot(n, frames.key0, frames.key1, frames.fraction, d.pPosKeys + n.nFirstPosKey,
               d.pRotKeys + n.nFirstRotKey, pPos, pRot);
}

cTimeValue eAnimation::Apply(cTimeValue time, float weight, mVec3* pPositions, mQuat* pRotations) const
{
    Frames frames;
    const cTimeValue used = TimeToFrames(time, &frames);
    const int nNodes = GetNumNodes();
    if (nNodes == 0)
        return used;
    const eAnimationData& d = *m_pAnimationData;
    const eAnimationVec3* pPos = d.pPosKeys;
    const eAnimationQuat* pRot = d.pRotKeys;
    for (int i = 0; i < nNodes; ++i) {
        const eAnimationNode& n = d.pNodes[i];
        mVec3 p;
        mQuat q;
        CalcPosRot(n, frames.key0, frames.key1, frames.fraction, pPos, pRot, &p, &q);
        Blend(weight, p, q, &pPositions[i], &pRotations[i]);
        pPos += n.nPosKeys;
        pRot += n.nRotKeys;
    }
    return used;
}

void eAnimation::CalcNodeDelta(int node, cTimeValue from, cTimeValue to, float weight, mVec3* pDeltaPos,
                               mQuat* pDeltaRot) const
{
    if (node < 0 || node >= GetNumNodes())
        return;
    Frames a, b;
    const cTimeValue inA = TimeToFrames(from, &a);
    const cTimeValue inB = TimeToFrames(to, &b);
    mVec3 pA, pB;
    mQuat qA, qB;
    EvalNode(node, a, &pA, &qA);
    EvalNode(node, b, &pB, &qB);
    mVec3 d;
    mQuat dq;
    // Wrapped when the time within the loop went back; the keys alone miss
    // a wrap that stays within one key interval (a loop of two frames).
    if (inB >= inA) {
        d = pB - pA;
        dq.Mult(qB, Conj(qA));
    } else {
        // Wrapped: the motion to the last frame, then from the first.
        const int last = std::max(m_nFrames - 1, 0);
        mVec3 pFirst, pLast;
        mQuat qFirst, qLast;
        EvalNode(node, Frames{0, 0, 0.0f}, &pFirst, &qFirst);
        EvalNode(node, Frames{last, last, 0.0f}, &pLast, &qLast);
        d = (pLast - pA) + (pB - pFirst);
        mQuat toEnd, fromStart;
        toEnd.Mult(qLast, Conj(qA));
        fromStart.Mult(qB, Conj(qFirst));
        dq.Mult(toEnd, fromStart);
    }
    Blend(weight, d, dq, pDeltaPos, pDeltaRot);
}

QM_DEFINE_GROUP(eAnimationGroup, 18)
