#include "gcGameCore/entities/gcRegionPoint.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCore/entities/gcRegionFrame.h"

QM_DEFINE_TYPE(gcRegionPoint, cObject, 87)

gcRegionPoint::gcRegionPoint()
{
    m_localToRegion.MakeIdentity();
}

gcRegionPoint::gcRegionPoint(const gcRegionPoint& other)
    : cObject(other), m_localToRegion(other.m_localToRegion), m_nRegionId(other.m_nRegionId)
{
}

gcRegionPoint::~gcRegionPoint()
{
    gcEffect::ForgetRegionPoint(this);
}

cBase* gcRegionPoint::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcRegionPoint>(*this) : nullptr;
}

void gcRegionPoint::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    gcRegionFrame::Write(wb, m_nRegionId, m_localToRegion);
}

bool gcRegionPoint::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("gcRegionPoint", "version");
    const cName oldName = m_name;
    if (!ReadObjectPart(rb, pPool))
        return false;
    int16_t nRegionId;
    mOCS frame;
    gcRegionFrame::Read(rb, &nRegionId, &frame);
    if (rb.Failed()) {
        m_name = oldName;
        return false;
    }
    m_nRegionId = nRegionId;
    m_localToRegion = frame;
    return true;
}

bool gcRegionPoint::GetLocalToWorld(mOCS* pOut) const
{
    return gcEntityWorld::RegionToWorld(m_nRegionId, m_localToRegion, pOut);
}

QM_DEFINE_GROUP(gcRegionPointGroup, 88)
