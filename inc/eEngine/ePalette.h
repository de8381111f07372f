#pragma once
// A 256-colour palette for colour-indexed textures (texture format 4): a
// small data-file object whose entries are already in the hardware's
// 16-bit intensity-alpha palette format, loaded into palette memory 0 when
// applied. The entries live in the pool that read them; copies share them.
// Main thread (the loader thread reads).

#include <cstdint>

#include "cCore/cBase.h"
#include "platform/gx.h"

// The entries (big-endian, as stored) and the hardware object describing
// them; 544 bytes are reserved for it, 32-byte aligned.
struct ePaletteData {
    static constexpr int kEntries = 256;
    static constexpr uint32_t kEntryBytes = kEntries * 2;  // 512
    static constexpr uint32_t kReserveBytes = 544;

    uint8_t m_entries[kEntryBytes];
    GXTlutObj m_tlutObj;
};
static_assert(sizeof(ePaletteData) <= ePaletteData::kReserveBytes, "palette record outgrew its reservation");

class ePalette : public cBase {
    QM_DECLARE_TYPE(ePalette)
public:
    static constexpr uint32_t kVersion = 1;
    static constexpr uint32_t kPlatformVersion = 1;
    static constexpr uint32_t kAlign = 32;

    ePalette() = default;
    // A copy shares the entries of its source.
    ePalette(const ePalette& other) : cBase(), m_pData(other.m_pData) {}
    ~ePalette() override;

    cBase* Copy(cMemPool* pPool) const override;
    // The outer block, an empty cBase block and the console block with the
    // entries (a version-0 console block when the palette has none).
    void Write(const cFile& file) const override;
    // Version 1 or later (0: skipped, false). A console block of version 0
    // leaves the palette as it was; otherwise the entries are read into new
    // memory from the pool. False when the block is damaged or short or the
    // pool is full; the palette then keeps its old entries.
    bool Read(const cFile& file, cMemPool* pPool) override;

    void SetData(ePaletteData* pData) { m_pData = pData; }
    // Reserves entries (zero) and initialises the palette object. False when
    // the pool is full.
    bool Create(cMemPool* pPool);
    // Loads the palette into palette memory 0, whatever the argument.
    void Apply(int) const;

    ePaletteData* m_pData = nullptr;

private:
    static ePaletteData* Reserve(cMemPool* pPool);
    bool PlatformRead(const cFile& file, cMemPool* pPool);
    void PlatformWrite(const cFile& file) const;
    void PlatformFree() {}  // the entries belong to the pool
};
