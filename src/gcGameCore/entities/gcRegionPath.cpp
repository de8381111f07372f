#include "gcGameCore/entities/gcRegionPath.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCore/entities/gcRegionFrame.h"

QM_DEFINE_TYPE(gcRegionPath, cObject, 79)

gcRegionPath::gcRegionPath()
{
    m_localToRegion.MakeIdentity();
}

gcRegionPath::gcRegionPath(const gcRegionPath& other)
    : cObject(other), m_path(other.m_path), m_localToRegion(other.m_localToRegion), m_nRegionId(other.m_nRegionId)
{
}

cBase* gcRegionPath::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcRegionPath>(*this) : nullptr;
}

void gcRegionPath::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    gcRegionFrame::Write(wb, m_nRegionId, m_localToRegion);
    m_path.Write(file);
}

bool gcRegionPath::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("gcRegionPath", "version");
    const cName oldName = m_name;
    if (!ReadObjectPart(rb, pPool))
        return false;
    int16_t nRegionId;
    mOCS frame;
    gcRegionFrame::Read(rb, &nRegionId, &frame);
    // The path commits itself only when its block was read whole; it comes
    // last, so nothing of ours has changed when it fails.
    if (rb.Failed() || !m_path.Read(file, pPool)) {
        m_name = oldName;
        if (!rb.Failed())
            rb.SkipToEnd();
        return false;
    }
    m_nRegionId = nRegionId;
    m_localToRegion = frame;
    return true;
}

bool gcRegionPath::GetLocalToWorld(mOCS* pOut) const
{
    return gcEntityWorld::RegionToWorld(m_nRegionId, m_localToRegion, pOut);
}

QM_DEFINE_GROUP(gcRegionPathGroup, 80)
