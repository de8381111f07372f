#include "gcGameCore/actions/gcDoEntitySetActivationMask.h"

#include <cstdio>
#include <cstring>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoEntitySetActivationMask, gcAction, 257)

namespace {

constexpr size_t kMaxListLength = 255;  // the bit list is cut here

// "1, 3, 32": the numbers of the set bits, lowest first.
void FormatBits(uint32_t nMask, char (&list)[kMaxListLength + 1])
{
    list[0] = '\0';
    for (int bit = 0; bit < 32; ++bit) {
        const uint32_t b = 1u << bit;
        if (!(nMask & b))
            continue;
        const bool bLast = (nMask & ~((b << 1) - 1)) == 0;  // b << 1 is 0 for bit 31
        const size_t n = std::strlen(list);
        std::snprintf(list + n, sizeof(list) - n, "%i%s", bit + 1, bLast ? "" : ", ");
    }
}

}  // namespace

cBase* gcDoEntitySetActivationMask::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoEntitySetActivationMask>(desiredEntity, nActivationMask) : nullptr;
}

void gcDoEntitySetActivationMask::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    desiredEntity.Write(wb);
    wb.WriteInt(static_cast<int32_t>(nActivationMask));
}

bool gcDoEntitySetActivationMask::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    const uint32_t nMask = rb.ReadUInt();
    if (rb.Failed())
        return false;
    desiredEntity = entity;
    nActivationMask = nMask;
    return true;
}

void gcDoEntitySetActivationMask::GetText(char* pBuf) const
{
    char list[kMaxListLength + 1];
    FormatBits(nActivationMask, list);
    desiredEntity.GetText(pBuf);
    gcScriptText::AppendF(pBuf, ".SetActivationMask( %s )", list);
}

void gcDoEntitySetActivationMask::DoAction(const gcEventParams& params) const
{
    if (gcEntity* pEntity = desiredEntity.GetEntity(params, gcEntity::GetStaticType(), true))
        pEntity->m_nActivationMask = nActivationMask;
}
