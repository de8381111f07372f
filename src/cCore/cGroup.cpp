#include "cCore/cGroup.h"

#include <algorithm>
#include <memory>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

static constexpr uint32_t kBaseVersion = 1;

void cGroup::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    { cWriteBlock base(file, kBaseVersion); }
    wb.WriteInt(m_nBegin);
    wb.WriteInt(m_nEnd);
    for (int32_t slot = m_nBegin; slot < m_nEnd; ++slot) {
        const cBase* pObject = m_table.m_pGet(slot);
        if (!pObject) {
            wb.WriteShort(static_cast<uint16_t>(0));
            continue;
        }
        // A placed object's handle carries its check in the high half.
        wb.WriteShort(static_cast<uint16_t>(m_table.m_pGetHandle(slot) >> 16));
        wb.WriteBase(pObject);
    }
}

static uint32_t AlignUp4(uint32_t pos) { return (pos + 3u) & ~3u; }

bool cGroup::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject(GetType()->m_sTypeName, "version");
    { cReadBlock base(file, kBaseVersion); }
    const int32_t nFileBegin = rb.ReadInt();
    const int32_t nFileEnd = rb.ReadInt();
    if (rb.Failed())
        return false;
    if (m_nBegin == -1 && m_nEnd == -1) {
        m_nBegin = nFileBegin;
        m_nEnd = nFileEnd;
    }
    // A range that ends before it begins holds no records.
    const int64_t nRecords = static_cast<int64_t>(nFileEnd) - nFileBegin;
    for (int64_t i = 0; i < nRecords && !rb.Failed(); ++i) {
        const uint16_t check = rb.m_nVersion == 1 ? static_cast<uint16_t>(rb.ReadUInt() >> 16) : rb.ReadUShort();
        if (check != 0)
            ReadRecord(rb, pPool, static_cast<int>(i < 0x7FFFFFFF ? i : 0x7FFFFFFF), check);
    }
    // Records that end before their block does (a check word zeroed, say,
    // reads a record as an empty slot) leave data no record took.
    const uint32_t nEnd = AlignUp4(file.GetCurrentPos());
    if (!rb.Failed() && nEnd < rb.m_nEndOffset)
        file.Fail("%s: its %lld records end at %u, before their block's end at %u", GetType()->m_sTypeName,
                  static_cast<long long>(nRecords > 0 ? nRecords : 0), nEnd, rb.m_nEndOffset);
    return !rb.Failed();
}

void cGroup::ReadRecord(const cReadBlock& rb, cMemPool* pPool, int index, uint16_t check)
{
    const int64_t slot = static_cast<int64_t>(m_nBegin) + index;
    // Every failure from the record's type id to its data names the record.
    const cFile::RecordNote note = {GetType()->m_sTypeName, index, static_cast<long long>(slot)};
    const cFile::RecordNote* pOuter = rb.m_file.m_pRecord;
    rb.m_file.m_pRecord = &note;
    ReadNotedRecord(rb, pPool, index, check);
    rb.m_file.m_pRecord = pOuter;
}

void cGroup::ReadNotedRecord(const cReadBlock& rb, cMemPool* pPool, int index, uint16_t check)
{
    const int64_t slot = static_cast<int64_t>(m_nBegin) + index;
    const bool bInRange = index < static_cast<int64_t>(m_nEnd) - m_nBegin;
    const bool bInTable = slot >= 0 && slot < m_table.m_nSlots;
    const cType* pType = m_table.m_pGetType();
    // A record that will not be placed is skipped unbuilt: reading it could
    // register it somewhere that outlives its drop.
    const cType* pStored = nullptr;
    cBase* pObject = nullptr;
    if (bInRange && bInTable)
        pObject = rb.CreateBase(pPool, pType, &pStored);
    else
        pStored = rb.SkipBase();
    // A record of another class, or one the table cannot hold, is a damaged
    // file. Records beyond a range the reader preset are read over.
    if (bInRange && pStored && (!bInTable || !pStored->IsA(pType)))
        rb.m_file.Fail("%s %s", bInTable ? "holds a" : "lies outside the table of",
                       bInTable ? pStored->m_sTypeName : pType->m_sTypeName);
    if (!pObject) {
        // Its data is already skipped; within the range and the table an
        // empty record empties its slot.
        if (bInRange && bInTable && !pStored)
            m_table.m_pPlace(static_cast<int>(slot), nullptr, 0);
        return;
    }
    // Placed first: the object's own reader may look itself up by handle.
    m_table.m_pPlace(static_cast<int>(slot), pObject, (static_cast<uint32_t>(check) << 16) | static_cast<uint32_t>(slot));
    // A record that refuses its block is a damaged file. It stays placed with
    // its defaults, so handles to it resolve until its owner's load fails.
    if (!pObject->Read(rb.m_file, pPool))
        rb.m_file.Fail("refused its data");
}

cGroup::~cGroup()
{
    if (!m_bDeleteContained)
        return;
    // A range read from a damaged file may reach outside the table, or lie
    // at the ends of the integer range: bounded to the table's slots.
    for (int32_t slot = EndTableSlot() - 1; slot >= FirstTableSlot(); --slot)
        m_table.m_pRemove(slot);
}
