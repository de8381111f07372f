#pragma once
// A group: the file block that fills a contiguous range of one manager's
// slots with objects and their check values, so that handles stored in other
// files resolve to them. Lives in the pool of its load; with
// m_bDeleteContained its destructor destroys the objects of its range.
// Each group class is a few lines:
//     class eTextureGroup : public cGroup {
//         QM_DECLARE_GROUP(eTextureGroup, eTextureMgr)
//     };
//     QM_DEFINE_GROUP(eTextureGroup, 4)   // in its source file

#include <cstdint>

#include "cCore/cBase.h"
#include "cCore/cManager.h"

class cGroup : public cBase {
public:
    static constexpr uint32_t kVersion = 2;  // 16-bit checks; version 1 stored 32-bit words

    explicit cGroup(const cSlotTable& table) : m_table(table) {}

    // Version 2: an empty cBase block, begin and end slot, then per slot the
    // check (0: empty) and the object as a polymorphic member.
    void Write(const cFile& file) const override;
    // Accepts every version but 0. An unset range (-1, -1) is taken from the
    // file; a preset one places the file's records from its begin, and
    // records beyond it are read over unbuilt. An empty record empties its
    // slot. The file is damaged (it fails, one error naming it and the
    // record) by a block of version 0, a record in a slot outside the table
    // or of another class (skipped unbuilt), a record that refuses its data,
    // or records that end before their block does. False when the file has
    // failed, whatever failed it.
    bool Read(const cFile& file, cMemPool* pPool) override;
    ~cGroup() override;

    // The part of the range that lies in the manager's table: a range read
    // from a damaged file may reach far outside it, so walks over a group's
    // slots run from FirstTableSlot up to (not including) EndTableSlot.
    int32_t FirstTableSlot() const { return m_nBegin > 0 ? m_nBegin : 0; }
    int32_t EndTableSlot() const { return m_nEnd < 0 ? 0 : m_nEnd < m_table.m_nSlots ? m_nEnd : m_table.m_nSlots; }

    int32_t m_nBegin = -1;  // first slot; -1 while not set
    int32_t m_nEnd = -1;    // one past the last slot
    bool m_bDeleteContained = false;

private:
    // One record, its failures noted on the file as the group's record.
    void ReadRecord(const cReadBlock& rb, cMemPool* pPool, int index, uint16_t check);
    void ReadNotedRecord(const cReadBlock& rb, cMemPool* pPool, int index, uint16_t check);

    const cSlotTable& m_table;
};

#define QM_DECLARE_GROUP(X, MGR)                                                 \
    QM_DECLARE_TYPE(X)                                                           \
public:                                                                          \
    X() : cGroup(MGR::GetSlotTable()) {}                                         \
    cBase* Copy(cMemPool* pPool) const override { return pPool ? pPool->New<X>() : nullptr; }

// The factory makes groups that own their objects.
#define QM_DEFINE_GROUP(X, ID)                                                   \
    cBase* X::New(cMemPool* pPool)                                               \
    {                                                                            \
        X* p = pPool ? pPool->New<X>() : nullptr;                                \
        if (p)                                                                   \
            p->m_bDeleteContained = true;                                        \
        return p;                                                                \
    }                                                                            \
    QM_DEFINE_TYPE_COMMON(X, cBase, ID, &X::New)
