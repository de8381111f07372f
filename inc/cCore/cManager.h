#pragma once
// The slot table of one managed class T (a cObject with a cHandle<T>
// m_handle member): N object pointers, zero at start. Objects are placed with
// a check value and found by handle only while the slot holds the very
// object the handle was made for. A manager is one line:
//     class eTextureMgr : public cManager<eTexture, 450> {};
// Objects live in pools; Remove runs the destructor only. Main thread, or
// the loader thread while it fills a group the main thread does not use.

#include <cstdint>
#include <memory>

#include "cCore/cBase.h"
#include "cCore/cHandle.h"

// The manager seen without its class, for groups.
struct cSlotTable {
    int m_nSlots;
    const cType* (*m_pGetType)();                        // the managed class
    cBase* (*m_pGet)(int slot);
    uint32_t (*m_pGetHandle)(int slot);
    void (*m_pPlace)(int slot, cBase* pObject, uint32_t handle);  // a T, or null to empty
    void (*m_pRemove)(int slot);
};

class cManagerBase {
public:
    // The check for a new handle from a random word: its halves folded by
    // XOR, and 0x1234 in place of 0 (0 would make handle 0 possible).
    static uint16_t CheckFromRandom(uint32_t r);
    // check, or a new random check when it is 0.
    static uint16_t MakeCheck(uint16_t check);
    // Logs and answers false for a slot outside 0..nSlots-1.
    // Inline so that the compiler sees the bound at every table access.
    static bool CheckSlot(int slot, int nSlots, const cType* pType, const char* sCall)
    {
        if (slot >= 0 && slot < nSlots)
            return true;
        ReportBadSlot(slot, nSlots, pType, sCall);
        return false;
    }
    static void ReportBadSlot(int slot, int nSlots, const cType* pType, const char* sCall);
};

template <class T, int N>
class cManager : public cManagerBase {
public:
    static constexpr int kSlots = N;
    static_assert(N > 0 && N <= 0x10000, "slots must fit the handle's 16 bits");
    using Handle = cHandle<T>;

    // Places the object (null empties the slot) and returns its handle; a
    // check of 0 asks for a random one. A slot outside the table is refused
    // (logged, handle 0).
    static Handle Add(int slot, T* pObject, uint16_t check)
    {
        if (!CheckSlot(slot, N, T::GetStaticType(), "Add"))
            return Handle();
        const Handle h = Handle::Make(slot, MakeCheck(check));
        s_pInstances[slot] = pObject;
        if (pObject)
            pObject->m_handle = h;
        return h;
    }
    // The handle of the slot's object; 0 for an empty or invalid slot.
    static Handle GetHandle(int slot)
    {
        if (slot < 0 || slot >= N || !s_pInstances[slot])
            return Handle();
        return s_pInstances[slot]->m_handle;
    }
    // The object while the slot still holds the one the handle was made for;
    // null otherwise, for handle 0 and for slots outside the table.
    static T* GetPtr(Handle h)
    {
        if (h.IsNull() || h.GetSlot() >= N)
            return nullptr;
        T* p = s_pInstances[h.GetSlot()];
        return (p && p->m_handle == h) ? p : nullptr;
    }
    // Destroys the slot's object and empties the slot. The handle form does
    // not compare the check.
    static void Remove(int slot)
    {
        if (slot < 0 || slot >= N)
            return;
        if (T* p = s_pInstances[slot])
            std::destroy_at(p);
        s_pInstances[slot] = nullptr;
    }
    static void Remove(Handle h) { Remove(h.GetSlot()); }
    // Destroys the object in the handle's slot and puts pObject there under
    // the same handle: holders of the handle now reach the new object.
    static void Replace(Handle h, T* pObject)
    {
        const int slot = h.GetSlot();
        if (!CheckSlot(slot, N, T::GetStaticType(), "Replace"))
            return;
        Remove(slot);
        s_pInstances[slot] = pObject;
        if (pObject)
            pObject->m_handle = h;
    }

    static const cSlotTable& GetSlotTable()
    {
        static const cSlotTable table = {N, &T::GetStaticType, &Get, &GetHandleValue, &Place, &Remove};
        return table;
    }

    static inline T* s_pInstances[N] = {};

private:
    static cBase* Get(int slot) { return (slot >= 0 && slot < N) ? s_pInstances[slot] : nullptr; }
    static uint32_t GetHandleValue(int slot) { return GetHandle(slot).m_nValue; }
    static void Place(int slot, cBase* pObject, uint32_t handle)
    {
        T* p = static_cast<T*>(pObject);
        s_pInstances[slot] = p;
        if (p)
            p->m_handle = Handle(handle);
    }
};
