#include "cCore/cBase.h"

#include <memory>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

static constexpr uint32_t kBaseVersion = 1;

cType* cBase::s_pType = nullptr;

const cType* cBase::GetStaticType()
{
    if (!s_pType || s_pType->m_nTypeId == 0)
        s_pType = const_cast<cType*>(cType::InitializeType("cBase", 1, nullptr, nullptr));
    return s_pType;
}

[[maybe_unused]] static const cType* const s_pRegisteredcBase = cBase::GetStaticType();

const cType* cBase::GetType() const
{
    return GetStaticType();
}

cBase* cBase::Copy(cMemPool*) const
{
    return nullptr;
}

void cBase::Write(const cFile& file) const
{
    cWriteBlock wb(file, kBaseVersion);
}

bool cBase::Read(const cFile& file, cMemPool*)
{
    cReadBlock rb(file, kBaseVersion);
    return true;
}

cBase::~cBase() = default;

void cBase::OnMemPoolReset(const cMemPool*) {}

// The top-level block's type id and object, or null with the reason logged.
static cBase* LoadObject(const cFile& file, cMemPool* pPool, const cType* pType)
{
    cReadBlock rb(file, kBaseVersion);
    const int32_t nId = rb.ReadInt();
    if (rb.Failed())
        return nullptr;
    const cType* pStored = cType::Find(nId);
    if (!pStored || !pStored->m_pNewFunc) {
        cLogError_("cBase::Load: \"%s\" holds type id %d, which %s", file.m_filename.m_sData, nId,
                   pStored ? "has no factory" : "is not registered");
        return nullptr;
    }
    if (pType && !pStored->IsA(pType)) {
        cLogError_("cBase::Load: \"%s\" holds a %s, not a %s", file.m_filename.m_sData,
                   pStored->m_sTypeName, pType->m_sTypeName);
        return nullptr;
    }
    cBase* pObject = pStored->m_pNewFunc(pPool);
    if (!pObject) {
        // The pool reported it (failing the file being read, if any).
        return nullptr;
    }
    if (!file.ReadObject(*pObject, pPool)) {
        // The memory stays in the pool until its reset; the object ends here.
        std::destroy_at(pObject);
        return nullptr;
    }
    return pObject;
}

cBase* cBase::Load(const char* path, cMemPool* pPool, const cType* pType)
{
    cFile file;
    if (!file.Open(path))
        return nullptr;
    cBase* pObject = LoadObject(file, pPool, pType);
    if (pObject && file.Failed()) {  // the top-level end marker was missing
        std::destroy_at(pObject);
        pObject = nullptr;
    }
    file.Close();
    return pObject;
}

bool cBase::Save(const char* path, int flag, int32_t platformId, bool bSwapBytes) const
{
    cFile file;
    if (!file.Create(path, flag, platformId, bSwapBytes)) {
        file.Close();
        return false;
    }
    {
        cWriteBlock wb(file, kBaseVersion);
        wb.WriteInt(GetType()->m_nTypeId);
        Write(file);
    }
    file.Close();
    return !file.Failed();
}
