#pragma once
// A 32-bit reference to a managed object (see cManager): the slot in the low
// 16 bits, a check value in the high 16; 0 refers to nothing. Stored in data
// files as its 32-bit value. Typed by the managed class so that handles of
// different managers do not mix. A plain value; any thread.

#include <cstdint>

#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

class cMemPool;

template <class T>
class cHandle {
public:
    static constexpr uint32_t kSlotMask = 0xFFFF;
    static constexpr uint32_t kCheckShift = 16;

    constexpr cHandle() = default;
    constexpr explicit cHandle(uint32_t value) : m_nValue(value) {}
    static constexpr cHandle Make(int slot, uint16_t check)
    {
        return cHandle((static_cast<uint32_t>(slot) & kSlotMask) | (static_cast<uint32_t>(check) << kCheckShift));
    }

    constexpr int GetSlot() const { return static_cast<int>(m_nValue & kSlotMask); }
    constexpr uint16_t GetCheck() const { return static_cast<uint16_t>(m_nValue >> kCheckShift); }
    constexpr bool IsNull() const { return m_nValue == 0; }
    constexpr bool operator==(const cHandle&) const = default;

    void Read(const cReadBlock& rb, cMemPool*) { m_nValue = rb.ReadUInt(); }
    void Write(const cWriteBlock& wb) const { wb.WriteInt(m_nValue); }

    uint32_t m_nValue = 0;
};
