#pragma once
// Writing a group file means placing its records in a manager's slots, since
// a group writes what its slots hold. SlotLease places them for the length of
// one write and gives the slots their old contents back afterwards; the other
// helpers check a slot range and write a whole group. Main thread.

#include <cstdint>
#include <string>
#include <vector>

#include "cCore/cLog.h"
#include "datagen/blockWriter.h"

namespace datagen {

template <class Mgr, class T>
class SlotLease {
public:
    SlotLease(int begin, int count) : m_begin(begin), m_saved(Mgr::s_pInstances + begin, Mgr::s_pInstances + begin + count) {}
    ~SlotLease()
    {
        for (size_t i = 0; i < m_saved.size(); ++i)
            Mgr::s_pInstances[m_begin + static_cast<int>(i)] = m_saved[i];
    }
    SlotLease(const SlotLease&) = delete;
    SlotLease& operator=(const SlotLease&) = delete;

    // A null object or a zero check leaves the slot empty.
    void Place(int index, T* pObject, uint16_t check)
    {
        if (pObject && check != 0)
            Mgr::Add(m_begin + index, pObject, check);
        else
            Mgr::s_pInstances[m_begin + index] = nullptr;
    }

private:
    int m_begin;
    std::vector<T*> m_saved;
};

// True when count slots from begin lie inside a manager of nSlots; else logs.
inline bool CheckSlotRange(const char* what, int begin, size_t count, int nSlots)
{
    const int64_t end = static_cast<int64_t>(begin) + static_cast<int64_t>(count);
    if (begin >= 0 && end <= nSlots)
        return true;
    cLogError_("datagen: %s slots %d to %lld outside the manager's %d", what, begin, static_cast<long long>(end),
               nSlots);
    return false;
}

// Writes a group of the records' objects (member of each record) placed from
// beginSlot on.
template <class Group, class Mgr, class T, class Record>
bool WriteSlotGroup(const char* what, const std::string& path, int beginSlot, const std::vector<Record>& records,
                    T* Record::*member)
{
    if (!CheckSlotRange(what, beginSlot, records.size(), Mgr::kSlots))
        return false;
    SlotLease<Mgr, T> lease(beginSlot, static_cast<int>(records.size()));
    for (size_t i = 0; i < records.size(); ++i)
        lease.Place(static_cast<int>(i), records[i].*member, records[i].check);
    Group group;  // not made by the factory: it destroys nothing
    group.m_nBegin = beginSlot;
    group.m_nEnd = beginSlot + static_cast<int>(records.size());
    return WriteObjectFile(path, group);
}

}  // namespace datagen
