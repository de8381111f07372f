#include "cCore/cType.h"

#include <cstring>

#include "cCore/cLog.h"

constinit cType* cType::s_types = nullptr;
// Constant-initialised (all zero), so registering from any static
// initialiser finds the table ready whatever the order of initialisation.
constinit cType cType::s_typesList[cType::kMaxTypes];

const cType* cType::InitializeType(const char* sName, uint32_t nId, const cType* pParent, NewFunc pNew)
{
    s_types = s_typesList;
    if (nId == 0 || nId >= static_cast<uint32_t>(kMaxTypes)) {
        cLogError_("cType: type id %u of \"%s\" is outside 1..%d", nId, sName ? sName : "?", kMaxTypes - 1);
        return nullptr;
    }
    cType& record = s_typesList[nId];
    if (record.m_nTypeId != 0) {
        // Linking the record again would corrupt its parent's child ring.
        if (record.m_sTypeName != sName && (!record.m_sTypeName || !sName || std::strcmp(record.m_sTypeName, sName) != 0))
            cLogError_("cType: type id %u is already \"%s\"; \"%s\" not registered", nId, record.m_sTypeName, sName ? sName : "?");
        return &record;
    }
    record.Initialize(sName, nId, pParent, pNew);
    return &record;
}

void cType::Initialize(const char* sName, uint32_t nId, const cType* pParent, NewFunc pNew)
{
    m_nTypeId = nId;
    m_sTypeName = sName;
    m_pNewFunc = pNew;
    m_pParentType = const_cast<cType*>(pParent);
    m_pFirstChildType = nullptr;
    m_pPrevSiblingType = this;
    m_pNextSiblingType = this;
    if (!m_pParentType)
        return;
    cType* first = m_pParentType->m_pFirstChildType;
    if (!first) {
        m_pParentType->m_pFirstChildType = this;
        return;
    }
    // Append at the tail of the parent's ring of children.
    m_pNextSiblingType = first;
    m_pPrevSiblingType = first->m_pPrevSiblingType;
    first->m_pPrevSiblingType->m_pNextSiblingType = this;
    first->m_pPrevSiblingType = this;
}

const char* cType::GetFriendlyName() const
{
    const char* s = m_sTypeName ? m_sTypeName : "";
    while (*s >= 'a' && *s <= 'z')
        ++s;
    return s;
}

bool cType::IsA(const cType* pType) const
{
    if (!pType)
        return false;
    for (const cType* t = this; t; t = t->m_pParentType) {
        if (t == pType)
            return true;
    }
    return false;
}

const cType* cType::Find(int32_t nId)
{
    if (nId <= 0 || nId >= kMaxTypes)
        return nullptr;
    const cType& record = s_typesList[nId];
    return record.m_nTypeId != 0 ? &record : nullptr;
}
