#include "eEngine/ePalette.h"

#include <new>

#include "platform/gx.h"
#include "platform/os.h"
#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

ePaletteData* ePalette::Reserve(cMemPool* pPool)
{
    void* p = pPool ? pPool->Alloc(ePaletteData::kReserveBytes, kAlign) : nullptr;
    if (!p) {
        cLogError_("ePalette: no memory for %u palette bytes", ePaletteData::kReserveBytes);
        return nullptr;
    }
    return new (p) ePaletteData();
}

bool ePalette::Create(cMemPool* pPool)
{
    ePaletteData* pData = Reserve(pPool);
    if (!pData)
        return false;
    GXInitTlutObj(&pData->m_tlutObj, pData->m_entries, GX_TL_IA8, ePaletteData::kEntries);
    DCStoreRangeNoSync(pData->m_entries, ePaletteData::kEntryBytes);
    m_pData = pData;
    return true;
}

bool ePalette::PlatformRead(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kPlatformVersion);
    if (rb.m_nVersion == 0) {
        rb.SkipToEnd();
        return !rb.Failed();
    }
    if (rb.Failed())
        return false;
    if (static_cast<uint64_t>(file.GetCurrentPos()) + ePaletteData::kEntryBytes > rb.m_nEndOffset)
        return rb.Reject("ePalette", "entry count");
    ePaletteData* pData = Reserve(pPool);
    if (!pData) {
        rb.SkipToEnd();
        return false;
    }
    rb.ReadChars(pData->m_entries, ePaletteData::kEntryBytes);
    if (rb.Failed())
        return false;
    GXInitTlutObj(&pData->m_tlutObj, pData->m_entries, GX_TL_IA8, ePaletteData::kEntries);
    DCStoreRangeNoSync(pData->m_entries, ePaletteData::kEntryBytes);
    m_pData = pData;
    return true;
}

void ePalette::PlatformWrite(const cFile& file) const
{
    // A palette without entries writes a block the reader passes over.
    cWriteBlock wb(file, m_pData ? kPlatformVersion : 0);
    if (m_pData)
        wb.WriteChars(m_pData->m_entries, static_cast<int>(ePaletteData::kEntryBytes));
}

void ePalette::Apply(int) const
{
    if (m_pData)
        GXLoadTlut(&m_pData->m_tlutObj, GX_TLUT0);
}
