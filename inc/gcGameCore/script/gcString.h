#pragma once
// A named text of the scripts and the interface, set at run time. The text
// lives in a buffer taken from a pool: a longer text takes a new buffer of
// twice its length (the old one stays behind in its pool), a shorter one
// reuses the buffer. Found by handle through gcStringMgr; lives in the pool
// of its group's load (the string files of each language); main thread.
// Type id 183.

#include <cstdint>

#include "cCore/cHandle.h"
#include "cCore/cObject.h"
#include "cCore/cManager.h"
#include "cCore/cGroup.h"

class gcString;
using gcStringHandle = cHandle<gcString>;

class gcString : public cObject {
    QM_DECLARE_TYPE(gcString)
public:
    static constexpr uint32_t kVersion = 2;
    static constexpr int kMaxLength = 0x7FFF;  // the length is a signed 16-bit field

    gcString() = default;

    // Version 2: the cObject block, the length (16-bit), the characters
    // without terminator, the last-modified stamp.
    void Write(const cFile& file) const override;
    // Versions 1 and 2 (version 1 has no stamp, which then stays as it
    // was); others are skipped (false). The text gets a buffer of exactly its
    // length from pPool; a negative length reads as 0 (the empty string).
    // Unchanged unless the block was read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Stamps the time and sets the text; null or "" empties the string. A
    // text longer than the capacity takes a new buffer of twice its length
    // (at most kMaxLength) from pPool, or from the pool that holds the string
    // when pPool is null. Text past kMaxLength is cut (logged). Without a
    // pool, or when the pool is full, the string keeps its text (logged).
    void Set(const char* sText, cMemPool* pPool);

    gcStringHandle m_handle;
    char* m_sData = nullptr;      // terminated; null when empty
    int16_t m_nLength = 0;
    int16_t m_nBuffer = 0;        // capacity in characters, terminator not counted
    uint32_t m_lastModified = 0;  // cDateTime seconds

private:
    // A pool buffer for nCapacity characters and the terminator.
    static char* AllocBuffer(cMemPool* pPool, int nCapacity);
};

// The slot table of script strings: 1000 slots, resolved by handle. A stale or zero
// handle gives null. Main thread, or the loader filling a group.
class gcStringMgr : public cManager<gcString, 1000> {};

// The file block that fills a range of gcStringMgr's slots. Lives in the pool
// of its load; one made by the factory destroys its objects with it.
class gcStringGroup : public cGroup {
    QM_DECLARE_GROUP(gcStringGroup, gcStringMgr)
};
