#include "eEngine/eSurface.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "cCore/cMemPool.h"

QM_DEFINE_ABSTRACT_TYPE(eSurface, cObject, 26)

eSurface::eSurface()
    : m_nCollisionMask(0), m_fFriction(kDefaultFriction), m_flags(0), m_nDebugDrawColor(kDefaultDebugDrawColor)
{
}

eSurface::eSurface(const eSurface& other)
    : cObject(),
      m_nCollisionMask(other.m_nCollisionMask),
      m_fFriction(other.m_fFriction),
      m_flags(other.m_flags),
      m_nDebugDrawColor(other.m_nDebugDrawColor)
{
}

void eSurface::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    wb.WriteInt(m_nCollisionMask);
    wb.WriteFloat(m_fFriction);
    wb.WriteInt(m_flags);
    wb.WriteInt(m_nDebugDrawColor);
}

bool eSurface::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("eSurface", "version");
    const cName oldName = m_name;
    if (!ReadObjectPart(rb, pPool))
        return false;
    const uint32_t nMask = rb.ReadUInt();
    const float fFriction = rb.ReadFloat();
    const uint32_t nFlags = rb.m_nVersion >= 2 ? rb.ReadUInt() : m_flags;
    const uint32_t nColor = rb.m_nVersion >= 3 ? rb.ReadUInt() : m_nDebugDrawColor;
    if (rb.Failed()) {
        m_name = oldName;
        return false;
    }
    m_nCollisionMask = nMask;
    m_fFriction = fFriction;
    m_flags = nFlags;
    m_nDebugDrawColor = nColor;
    return true;
}

QM_DEFINE_GROUP(eSurfaceGroup, 27)
