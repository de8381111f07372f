#include "eEngine/eGeom.h"

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eZone.h"

QM_DEFINE_ABSTRACT_TYPE(eGeom, cBase, 13)

eGeom::eGeom()
    : m_pZone(nullptr),
      m_pOwner(nullptr),
      m_nGeomFlags(0),
      m_nSubIndex(-1),
      m_pVisPrev(nullptr),
      m_pVisNext(nullptr),
      m_pColPrev(nullptr),
      m_pColNext(nullptr),
      m_nVisNodeIndex(-1),
      m_nColNodeIndex(-1),
      m_pParent(nullptr),
      m_pFirstChild(nullptr),
      m_pPrevSibling(nullptr),
      m_pNextSibling(nullptr),
      m_fVisRadius(-1.0f),
      m_fColRadius(-1.0f),
      m_pResidentOf(nullptr),
      m_pResidentPrev(nullptr),
      m_pResidentNext(nullptr)
{
    m_localToParent.MakeIdentity();
    m_localToZone.MakeIdentity();
}

static void ZeroFrame(mOCS& o)
{
    const mVec3 zero(0.0f, 0.0f, 0.0f);
    o.origin = zero;
    o.basis.right = zero;
    o.basis.forward = zero;
    o.basis.up = zero;
}

eGeom::eGeom(const eGeom&) : eGeom()
{
    ZeroFrame(m_localToParent);
    ZeroFrame(m_localToZone);
    m_fVisRadius = 0.0f;
    m_fColRadius = 0.0f;
}

eGeom::~eGeom()
{
    Detach();
    DetachChildren();
    if (m_pZone)
        m_pZone->RemoveGeom(this, kFiledMask);
    ChangeZone(nullptr);
}

void eGeom::ChangeZone(eZone* pZone)
{
    if (m_pZone == pZone && m_pResidentOf == pZone)
        return;
    LeaveResidents();
    m_pZone = pZone;
    if (!pZone)
        return;
    m_pResidentOf = pZone;
    m_pResidentNext = pZone->m_pResidents;
    if (m_pResidentNext)
        m_pResidentNext->m_pResidentPrev = this;
    pZone->m_pResidents = this;
}

// By the list the node is on, not by m_pZone, so a zone set by hand cannot
// unlink it from the wrong list.
void eGeom::LeaveResidents()
{
    if (!m_pResidentOf)
        return;
    (m_pResidentPrev ? m_pResidentPrev->m_pResidentNext : m_pResidentOf->m_pResidents) = m_pResidentNext;
    if (m_pResidentNext)
        m_pResidentNext->m_pResidentPrev = m_pResidentPrev;
    m_pResidentOf = nullptr;
    m_pResidentPrev = m_pResidentNext = nullptr;
}

void eGeom::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cBase::Write(file);
}

bool eGeom::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("eGeom", "version");
    cBase::Read(file, pPool);
    return !rb.Failed();
}

const mOCS* eGeom::GetSubObjectToZone(int) const
{
    return nullptr;
}

int eGeom::GetSubObjectIndex(const cName&, int, bool) const
{
    return -1;
}

void eGeom::PostCullUpdate(const eCamera&) {}

void eGeom::DrawImmediate(const eCamera& camera, unsigned int flags) const
{
    if (!(flags & 0x1) || !m_pFirstChild)
        return;
    const eGeom* p = m_pFirstChild;
    do {
        p->DrawImmediate(camera, flags);
        p = p->m_pNextSibling;
    } while (p != m_pFirstChild);
}

void eGeom::DrawCollisionHull(const eCamera&) const {}

void eGeom::Update(cTimeValue)
{
    if (m_nGeomFlags & kDirty)
        UpdateLocalToZone();
}

void eGeom::OnZoneChange(const mVec3&) {}

bool eGeom::IsAncestorOrSelf(const eGeom* pNode) const
{
    for (const eGeom* p = this; p; p = p->m_pParent)
        if (p == pNode)
            return true;
    return false;
}

void eGeom::AddChild(eGeom* pChild, int subIndex)
{
    if (!pChild || pChild->m_pParent == this)
        return;
    if (IsAncestorOrSelf(pChild)) {
        // The hierarchy must stay a tree: every walk over it recurses.
        cLogError_("eGeom::AddChild: the node is this node or one of its ancestors; not attached");
        return;
    }
    pChild->Detach();
    if (m_pFirstChild) {
        eGeom* pLast = m_pFirstChild->m_pPrevSibling;
        pChild->m_pPrevSibling = pLast;
        pChild->m_pNextSibling = m_pFirstChild;
        pLast->m_pNextSibling = pChild;
        m_pFirstChild->m_pPrevSibling = pChild;
    } else {
        pChild->m_pPrevSibling = pChild;
        pChild->m_pNextSibling = pChild;
        m_pFirstChild = pChild;
    }
    pChild->m_pParent = this;
    pChild->m_nSubIndex = static_cast<int16_t>(subIndex);
    pChild->SetZone(m_pZone);
    const unsigned int on = m_nGeomFlags | kDirty;
    UpdateChildFlags(pChild, on, ~on);
}

void eGeom::Detach()
{
    if (!m_pParent)
        return;
    if (m_pNextSibling == this) {
        m_pParent->m_pFirstChild = nullptr;
    } else {
        if (m_pParent->m_pFirstChild == this)
            m_pParent->m_pFirstChild = m_pNextSibling;
        m_pPrevSibling->m_pNextSibling = m_pNextSibling;
        m_pNextSibling->m_pPrevSibling = m_pPrevSibling;
    }
    m_pPrevSibling = nullptr;
    m_pNextSibling = nullptr;
    m_pParent = nullptr;
    m_nSubIndex = -1;
    m_localToParent = m_localToZone;
}

void eGeom::DetachChildren()
{
    while (m_pFirstChild)
        m_pFirstChild->Detach();
}

eGeom* eGeom::GetChild(int subIndex) const
{
    eGeom* p = m_pFirstChild;
    if (!p)
        return nullptr;
    do {
        if (p->m_nSubIndex == subIndex)
            return p;
        p = p->m_pNextSibling;
    } while (p != m_pFirstChild);
    return nullptr;
}

int eGeom::FindAttachNode(const cName& name) const
{
    int first = -1;
    int start = 0;
    for (;;) {
        const int index = GetSubObjectIndex(name, start, false);
        if (index < start)  // none left (or a lookup that does not move on)
            break;
        if (first < 0)
            first = index;
        if (!GetChild(index))
            return index;
        start = index + 1;
    }
    return first;
}

void eGeom::SetZone(eZone* pZone)
{
    if (m_pZone == pZone)
        return;
    const unsigned int filed = m_nGeomFlags & kFiledMask;
    if (m_pZone && filed)
        m_pZone->RemoveGeom(this, filed);
    ChangeZone(pZone);
    if (pZone) {
        pZone->AddGeom(this);
        m_nGeomFlags |= kDirty;
    }
    eGeom* p = m_pFirstChild;
    if (!p)
        return;
    do {
        p->SetZone(pZone);
        p = p->m_pNextSibling;
    } while (p != m_pFirstChild);
}

void eGeom::SetGeomFlagsOnOff(unsigned int on, unsigned int off)
{
    const unsigned int oldFlags = m_nGeomFlags;
    const unsigned int newFlags = ((oldFlags | on) & ~off) & 0xFFFFu;
    if (newFlags == oldFlags)
        return;
    const unsigned int wentOff = oldFlags & ~newFlags & kFiledMask;
    const unsigned int cameOn = newFlags & ~oldFlags & kFiledMask;
    m_nGeomFlags = static_cast<uint16_t>(newFlags);
    if (wentOff && m_pZone)
        m_pZone->RemoveGeom(this, wentOff);
    if (cameOn) {
        if (m_nGeomFlags & kDirty)
            UpdateLocalToZone();
        if (!(m_nGeomFlags & kOutsideZones) && m_pZone)
            m_pZone->AddGeom(this);
    }
    eGeom* p = m_pFirstChild;
    if (!p)
        return;
    do {
        UpdateChildFlags(p, on, off);
        p = p->m_pNextSibling;
    } while (p != m_pFirstChild);
}

void eGeom::UpdateChildFlags(eGeom* pChild, unsigned int on, unsigned int off)
{
    unsigned int strip = kNotInherited;
    if (pChild->m_nGeomFlags & kNoInheritDraw)
        strip |= kDraw;
    if (pChild->m_nGeomFlags & kNoInheritCollide)
        strip |= kCollide;
    pChild->SetGeomFlagsOnOff(on & ~strip, off & ~strip);
}

void eGeom::UpdateLocalToZone()
{
    mOCS result;
    if (m_pParent) {
        // A parent that yields no attach frame (the base class, a model
        // without that sub-object) carries the child by its own zone frame.
        const mOCS* pAttach = m_pParent->GetSubObjectToZone(m_nSubIndex);
        mOCS attach = pAttach ? *pAttach : m_pParent->m_localToZone;
        if (m_nGeomFlags & kAttachPosOnly)
            attach.basis.MakeIdentity();
        result.Xform(m_localToParent, attach);
        const eZone* pParentZone = m_pParent->m_pZone;
        if (pParentZone && m_pZone && pParentZone != m_pZone) {
            mOCS parentZoneToZone;
            parentZoneToZone.XformInv(pParentZone->m_localToWorld, m_pZone->m_localToWorld);
            result.Xform(result, parentZoneToZone);
        }
    } else {
        result = m_localToParent;
    }

    mVec3 pos;
    eZone* pFound = eZone::GetZoneFromPos(m_pZone, result.origin, &pos);
    if (pFound && pFound == m_pZone) {
        m_localToZone = result;
        m_nGeomFlags &= static_cast<uint16_t>(~(kDirty | kOutsideZones));
        if (m_nGeomFlags & kFiledMask)
            m_pZone->AddGeom(this);
        return;
    }
    if (m_pZone && (m_nGeomFlags & kFiledMask))
        m_pZone->RemoveGeom(this, kFiledMask);
    if (!pFound) {
        // Stays unfiled, keeping its zone, until an update finds it inside one.
        m_nGeomFlags = static_cast<uint16_t>((m_nGeomFlags | kOutsideZones) & ~kDirty);
        m_localToZone = result;
        return;
    }
    const mVec3 delta = pos - result.origin;
    m_nGeomFlags &= static_cast<uint16_t>(~(kDirty | kOutsideZones));
    ChangeZone(pFound);
    m_localToZone = result;
    m_localToZone.origin = pos;
    if (!m_pParent)
        m_localToParent = m_localToZone;
    pFound->AddGeom(this);
    OnZoneChange(delta);
}
