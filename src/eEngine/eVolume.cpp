#include "eEngine/eVolume.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eVolumeQuery.h"
#include "eEngine/eZone.h"
#include "mMath/mBox.h"
#include "mMath/mPlane.h"
#include "mMath/mRayVolHit.h"

QM_DEFINE_TYPE(eVolume, cBase, 28)

const char* eVolume::VolumeTypeText(int type)
{
    switch (type) {
    case VOLUME_SPHERE: return "VOLUME_SPHERE";
    case VOLUME_BOX: return "VOLUME_BOX";
    case VOLUME_PLANE: return "VOLUME_PLANE";
    case MAX_VOLUMES: return "MAX_VOLUMES";
    case VOLUME_INVALID: return "VOLUME_INVALID";
    default: return "???";
    }
}

eVolume::eVolume()
    : m_pZone(nullptr),
      m_pOwner(nullptr),
      m_pSpecificType(nullptr),
      m_pSpecificInstance(nullptr),
      m_type(VOLUME_INVALID),
      m_fRadius(-1.0f),
      m_boxSize(0.0f, 0.0f, 0.0f),
      m_pVolPrev(nullptr),
      m_pVolNext(nullptr),
      m_nVolNodeIndex(-1)
{
    m_localToZone.MakeIdentity();
}

eVolume::eVolume(const eVolume& other) : eVolume()
{
    m_type = other.m_type;
    m_fRadius = other.m_fRadius;
    m_boxSize = other.m_boxSize;
    m_localToZone = other.m_localToZone;
}

eVolume::~eVolume()
{
    if (m_pZone)
        m_pZone->RemoveVolume(this);
}

cBase* eVolume::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eVolume>(*this) : nullptr;
}

void eVolume::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cBase::Write(file);
    wb.WriteInt(static_cast<int32_t>(m_type));
    wb.WriteFloat(m_fRadius);
    wb.WriteFloats(m_boxSize.v, 3);
    wb.WriteFloats(m_localToZone.origin.v, 3);
    wb.WriteFloats(m_localToZone.basis.right.v, 3);
    wb.WriteFloats(m_localToZone.basis.forward.v, 3);
    wb.WriteFloats(m_localToZone.basis.up.v, 3);
}

bool eVolume::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("eVolume", "version");
    cBase::Read(file, pPool);
    const int32_t type = rb.ReadInt();
    const float fRadius = rb.ReadFloat();
    mVec3 boxSize;
    mOCS frame;
    rb.ReadFloats(boxSize.v, 3);
    rb.ReadFloats(frame.origin.v, 3);
    rb.ReadFloats(frame.basis.right.v, 3);
    rb.ReadFloats(frame.basis.forward.v, 3);
    rb.ReadFloats(frame.basis.up.v, 3);
    if (rb.Failed())
        return false;
    m_type = static_cast<eVolumeType>(type);
    m_fRadius = fRadius;
    m_boxSize = boxSize;
    m_localToZone = frame;
    return true;
}

void eVolume::SetVolumeSphere(float radius)
{
    m_type = VOLUME_SPHERE;
    m_fRadius = radius;
}

void eVolume::SetVolumeBox(const mVec3& size)
{
    m_type = VOLUME_BOX;
    m_boxSize = size;
    m_fRadius = 0.5f * size.Length();
}

void eVolume::SetVolumePlane(float width, float height)
{
    m_type = VOLUME_PLANE;
    m_boxSize.Set(width, height, 0.0f);
    m_fRadius = 0.5f * m_boxSize.Length();
}

void eVolume::SetLocalToZone(const mOCS& localToZone)
{
    m_localToZone = localToZone;
    if (m_pZone)
        m_pZone->AddVolume(this);
}

bool eVolume::Accepts(const cBase* pQuerier) const
{
    // An instance restriction only counts together with a class restriction.
    if (!m_pSpecificType)
        return true;
    if (!pQuerier || !pQuerier->GetType()->IsA(m_pSpecificType))
        return false;
    return !m_pSpecificInstance || pQuerier == m_pSpecificInstance;
}

// The plane faces -y in its own frame: the move must pierce the rectangle
// (bounds inclusive); a position on the facing side (y <= 0) is inside.
bool eVolume::TestPlane(const eVolumeQuery& q, const mOCS& frame, bool* pPrevInside, bool* pCurInside) const
{
    mRay ray;
    ray.origin.XformInv(q.m_ray.origin, frame);
    ray.dir.XformVecInv(q.m_ray.dir, frame);
    ray.length = q.m_ray.length;
    mPlane plane;
    plane.normal.Set(0.0f, -1.0f, 0.0f);
    plane.offset = 0.0f;
    mRayVolHit hit;
    if (!ray.Intersect(plane, &hit, false, true))
        return false;
    const float halfWidth = 0.5f * m_boxSize.x;
    const float halfHeight = 0.5f * m_boxSize.y;
    if (hit.pos.x < -halfWidth || hit.pos.x > halfWidth || hit.pos.z < -halfHeight || hit.pos.z > halfHeight)
        return false;
    mVec3 prev;
    mVec3 cur;
    prev.XformInv(q.m_prevPos, frame);
    cur.XformInv(q.m_curPos, frame);
    *pPrevInside = plane.normal.Dot(prev) >= 0.0f;
    *pCurInside = plane.normal.Dot(cur) >= 0.0f;
    return *pPrevInside || *pCurInside;
}

static void List(eVolume* pVolume, eVolume** pList, int32_t* pCount)
{
    if (*pCount < eVolumeQuery::kMaxListed)
        pList[(*pCount)++] = pVolume;
}

void eVolume::VolumeQuery(eVolumeQuery* pQuery, const cBase* pQuerier)
{
    eVolumeQuery& q = *pQuery;
    if (!Accepts(pQuerier))
        return;
    mOCS frame;  // the volume in the querying zone's space
    frame.XformInv(m_localToZone, q.m_zoneToWorld);

    bool bPrevInside = false;
    bool bCurInside = false;
    mVec3 prev;
    mVec3 cur;
    prev.XformInv(q.m_prevPos, frame);
    cur.XformInv(q.m_curPos, frame);
    const mVec3 half = m_boxSize * 0.5f;
    auto inBox = [&half](const mVec3& p) {
        return -half.x <= p.x && p.x < half.x && -half.y <= p.y && p.y < half.y && -half.z <= p.z && p.z < half.z;
    };
    switch (m_type) {
    case VOLUME_SPHERE:
        bPrevInside = prev.LengthSq() <= m_fRadius * m_fRadius;
        bCurInside = cur.LengthSq() <= m_fRadius * m_fRadius;
        break;
    case VOLUME_BOX:
        bPrevInside = inBox(prev);
        bCurInside = inBox(cur);
        break;
    case VOLUME_PLANE:
        if (!TestPlane(q, frame, &bPrevInside, &bCurInside))
            return;
        break;
    default:
        return;  // no shape: nothing can be inside it
    }

    if (!bPrevInside && bCurInside) {
        List(this, q.m_pEntered, &q.m_nEntered);
    } else if (bPrevInside && !bCurInside) {
        List(this, q.m_pExited, &q.m_nExited);
    } else if (bPrevInside && bCurInside) {
        List(this, q.m_pInside, &q.m_nInside);
        if (q.m_nFlags & eVolumeQuery::kEnterWhileInside)
            List(this, q.m_pEntered, &q.m_nEntered);
        if (q.m_nFlags & eVolumeQuery::kExitWhileInside)
            List(this, q.m_pExited, &q.m_nExited);
    } else {
        // Both ends outside: a fast move may still have passed through.
        mRay ray;
        ray.origin.XformInv(q.m_ray.origin, frame);
        ray.dir.XformVecInv(q.m_ray.dir, frame);
        ray.length = q.m_ray.length;
        mRayVolHit hit;
        bool bInside = false;
        bool bHit = false;
        if (m_type == VOLUME_SPHERE) {
            mSphere s;
            s.center.Set(0.0f, 0.0f, 0.0f);
            s.radius = m_fRadius;
            bHit = ray.Intersect(s, &hit, &bInside);
        } else {
            mBox b;
            b.minCorner = -half;
            b.maxCorner = half;
            bHit = ray.Intersect(b, &hit, &bInside);
        }
        if (bHit) {
            List(this, q.m_pEntered, &q.m_nEntered);
            List(this, q.m_pExited, &q.m_nExited);
        }
    }
}
