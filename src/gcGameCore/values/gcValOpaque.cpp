#include "gcGameCore/values/gcValOpaque.h"

#include <array>
#include <cstring>
#include <iterator>
#include <memory>
#include <type_traits>
#include <utility>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

bool gcValOpaqueBlock::Read(const cFile& file, cMemPool* pPool, const char* sClass)
{
    cReadBlock rb(file, 1);
    if (rb.m_nVersion == 0)
        return rb.Reject(sClass, "version");
    if (rb.Failed())
        return false;
    // The reader has checked that the end lies inside the file.
    const uint32_t nCount = rb.m_nEndOffset - file.GetCurrentPos();
    uint8_t* pNew = nCount && pPool ? static_cast<uint8_t*>(pPool->Alloc(nCount, 4)) : nullptr;
    if (nCount && !pNew)
        return rb.Reject(sClass, "block (pool full)");
    rb.ReadChars(pNew, static_cast<int>(nCount));
    if (rb.Failed())
        return false;
    nVersion = rb.m_nVersion;
    pBytes = pNew;
    nBytes = nCount;
    return true;
}

void gcValOpaqueBlock::Write(const cFile& file) const
{
    cWriteBlock wb(file, nVersion);
    wb.WriteChars(pBytes, static_cast<int>(nBytes));
}

bool gcValOpaqueBlock::CopyTo(gcValOpaqueBlock& to, cMemPool* pPool) const
{
    uint8_t* pNew = nBytes ? static_cast<uint8_t*>(pPool->Alloc(nBytes, 4)) : nullptr;
    if (nBytes && !pNew)
        return false;
    if (nBytes)
        std::memcpy(pNew, pBytes, nBytes);
    to.nVersion = nVersion;
    to.pBytes = pNew;
    to.nBytes = nBytes;
    return true;
}

template <class Base>
cBase* gcValOpaqueOf<Base>::Copy(cMemPool* pPool) const
{
    using Final = std::conditional_t<std::is_same_v<Base, gcLValue>, gcLValOpaque, gcValOpaque>;
    Final* pCopy = pPool ? pPool->New<Final>(m_pType) : nullptr;
    if (pCopy && !m_block.CopyTo(pCopy->m_block, pPool)) {
        std::destroy_at(pCopy);
        return nullptr;
    }
    return pCopy;
}

template class gcValOpaqueOf<gcValue>;
template class gcValOpaqueOf<gcLValue>;

// The value classes not built yet; an entry leaves when its class is. Every
// class is built now; a class added to the family before its behaviour
// would be listed here (the size raised with it).
static constexpr std::array<gcValOpaqueEntry, 0> kEntries{};
static constexpr int kEntryCount = static_cast<int>(kEntries.size());

const gcValOpaqueEntry* GetOpaqueValueEntries(int* pCount)
{
    *pCount = kEntryCount;
    return kEntries.data();
}

// The record of each entry, filled by the registration.
static std::array<const cType*, kEntries.size()> s_pTypes{};

// The factory of entry I: a type record holds a plain function, one per class.
template <size_t I>
static cBase* NewEntry(cMemPool* pPool)
{
    if (!pPool)
        return nullptr;
    if (kEntries[I].bAssignable)
        return pPool->New<gcLValOpaque>(s_pTypes[I]);
    return pPool->New<gcValOpaque>(s_pTypes[I]);
}

template <size_t... I>
static bool RegisterEntries(std::index_sequence<I...>)
{
    [[maybe_unused]] constexpr std::array<cType::NewFunc, sizeof...(I)> factories = {&NewEntry<I>...};
    for (int i = 0; i < kEntryCount; ++i) {
        const gcValOpaqueEntry& e = kEntries[i];
        const cType* pParent = e.bAssignable ? gcLValue::GetStaticType() : gcValue::GetStaticType();
        s_pTypes[i] = cType::InitializeType(e.sName, e.nTypeId, pParent, factories[i]);
        // A class built for real must leave the list, or one of the two goes unused.
        if (s_pTypes[i] && s_pTypes[i]->m_pNewFunc != factories[i])
            cLogError_("gcValOpaque: %s (type id %u) is registered twice", e.sName, e.nTypeId);
    }
    return true;
}

[[maybe_unused]] static const bool s_bRegistered = RegisterEntries(std::make_index_sequence<kEntryCount>());
