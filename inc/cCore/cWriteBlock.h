#pragma once
// One block being written: the constructor aligns, writes the start marker,
// a placeholder end offset and the version; End (or the destructor) goes
// back to fill in the end offset and writes the end marker at the next
// multiple of 4. Values are byte-swapped when the file swaps; WriteChars
// never is.

#include <cstdint>

class cBase;
class cFile;

class cWriteBlock {
public:
    cWriteBlock(const cFile& file, uint32_t version);
    ~cWriteBlock();  // Ends the block unless End did
    cWriteBlock(const cWriteBlock&) = delete;
    cWriteBlock& operator=(const cWriteBlock&) = delete;

    void End();

    void WriteInt(int32_t value) const;
    void WriteInt(uint32_t value) const;
    void WriteFloat(float value) const;
    void WriteBool(bool value) const;  // 4 bytes: 1 or 0
    void WriteShort(int16_t value) const;
    void WriteShort(uint16_t value) const;
    void WriteChar(int8_t value) const;
    void WriteChar(uint8_t value) const;
    void WriteInts(const int32_t* src, int count) const;
    void WriteInts(const uint32_t* src, int count) const;
    void WriteFloats(const float* src, int count) const;
    void WriteShorts(const int16_t* src, int count) const;
    void WriteShorts(const uint16_t* src, int count) const;
    void WriteChars(const void* src, int count) const;
    // The object's type id (-1 for null) and then the object's own Write.
    void WriteBase(const cBase* pObject) const;

    const cFile& m_file;
    uint32_t m_nBeginOffset;  // position of the end-offset word

private:
    bool m_bEnded = false;
};
