#pragma once
// What the authoring tools recorded about a material when they exported it:
// its name, a 32-bit, a 16-bit and a 32-bit value, a float, and a record for
// each of four textures. The game never reads it; the values are kept as
// they stand. Plain value; main thread.

#include <cstdint>

#include "cCore/cName.h"
#include "eEngine/eTextureExpInfo.h"

class cFile;

class eMaterialExpInfo {
public:
    static constexpr uint32_t kVersion = 1;
    static constexpr int kNumTextures = 4;

    // Empty name, every value 0, four empty texture records.
    eMaterialExpInfo();

    // Version 1 (another is skipped to its block's end), with the four
    // texture blocks inside. False, logged, with the record as it was, when
    // any block is refused or short.
    bool Read(const cFile& file);
    void Write(const cFile& file) const;

    cName m_name;
    uint32_t m_nFirst;   // the first 32-bit value
    uint16_t m_nSecond;  // the 16-bit value
    uint32_t m_nThird;   // the second 32-bit value
    float m_fValue;
    eTextureExpInfo m_textures[kNumTextures];
};
