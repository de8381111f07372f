#include "gcGameCore/actions/gcPendingAction.h"

#include <array>
#include <cstring>
#include <iterator>
#include <memory>
#include <utility>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

namespace {

struct PendingClass {
    const char* sName;
    uint32_t nId;  // fixed: data files store it
};

// The action classes still to be built, with their type ids. Every class is
// built now; a class added to the family before its behaviour would be
// listed here (the size raised with it) so that files holding it load.
constexpr std::array<PendingClass, 0> kPending{};
constexpr size_t kNumPending = kPending.size();

std::array<const cType*, kNumPending> s_pTypes{};

// The factory of row I: a factory takes only the pool, so each row gets its own.
template <size_t I>
cBase* NewPending(cMemPool* pPool)
{
    return pPool ? pPool->New<gcPendingAction>(s_pTypes[I]) : nullptr;
}

template <size_t... I>
bool RegisterAll(std::index_sequence<I...>)
{
    [[maybe_unused]] const cType* pParent = gcAction::GetStaticType();
    ((s_pTypes[I] = cType::InitializeType(kPending[I].sName, kPending[I].nId, pParent, &NewPending<I>)), ...);
    return true;
}

[[maybe_unused]] const bool s_bRegistered = RegisterAll(std::make_index_sequence<kNumPending>());

}  // namespace

cBase* gcPendingAction::Copy(cMemPool* pPool) const
{
    gcPendingAction* pCopy = pPool ? pPool->New<gcPendingAction>(m_pType) : nullptr;
    if (!pCopy)
        return nullptr;
    uint8_t* pFields = m_nFields ? static_cast<uint8_t*>(pPool->Alloc(m_nFields, 4)) : nullptr;
    if (m_nFields && !pFields) {
        std::destroy_at(pCopy);
        return nullptr;
    }
    if (m_nFields)
        std::memcpy(pFields, m_pFields, m_nFields);
    pCopy->m_nVersion = m_nVersion;
    pCopy->m_pFields = pFields;
    pCopy->m_nFields = m_nFields;
    return pCopy;
}

void gcPendingAction::Write(const cFile& file) const
{
    cWriteBlock wb(file, m_nVersion);
    gcAction::Write(file);
    wb.WriteChars(m_pFields, static_cast<int>(m_nFields));
}

bool gcPendingAction::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, 0);
    if (!gcAction::Read(file, pPool))
        return rb.Reject(m_pType->m_sTypeName, "action block");
    const uint32_t nPos = file.GetCurrentPos();
    if (rb.Failed() || nPos > rb.m_nEndOffset)
        return rb.Reject(m_pType->m_sTypeName, "block end");
    const uint32_t nFields = rb.m_nEndOffset - nPos;
    uint8_t* pFields = nFields && pPool ? static_cast<uint8_t*>(pPool->Alloc(nFields, 4)) : nullptr;
    if (nFields && !pFields)
        return rb.Reject(m_pType->m_sTypeName, "fields (pool full)");
    rb.ReadChars(pFields, static_cast<int>(nFields));
    if (rb.Failed())
        return false;
    m_nVersion = rb.m_nVersion;
    m_pFields = pFields;
    m_nFields = nFields;
    return true;
}
