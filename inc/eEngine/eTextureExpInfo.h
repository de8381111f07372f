#pragma once
// What the authoring tools recorded about one texture when they exported a
// material: its name, two pairs of floats and a 16-bit value. The game never
// reads it; the values mean what the tools make of them and are kept as
// they stand. Plain value held by an eMaterialExpInfo or read alone; main
// thread.

#include <cstdint>

#include "cCore/cName.h"
#include "mMath/mVec2.h"

class cFile;

class eTextureExpInfo {
public:
    static constexpr uint32_t kVersion = 1;

    // Empty name, every value 0.
    eTextureExpInfo();

    // Version 1 (another is skipped to its block's end). False, logged, with
    // the record as it was, when the version is refused or the block is
    // short.
    bool Read(const cFile& file);
    void Write(const cFile& file) const;

    cName m_name;
    mVec2 m_first;   // the first pair of floats
    mVec2 m_second;  // the second pair
    uint16_t m_nValue;
};
