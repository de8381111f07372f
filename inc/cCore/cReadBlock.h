#pragma once
// One block being read: constructed at the block's start, it reads the
// header (start marker, end offset, version) and narrows the file's read
// limit to the block; destroyed, it skips the gap, reads the end marker and
// restores the limit. Typed reads convert from the files' big-endian order;
// ReadChars copies bytes as stored. Every read past the block fails the file
// (zeros, one log line); a loader checks Failed() once before it commits.

#include <cstdint>

class cBase;
class cFile;
class cMemPool;
class cType;

class cReadBlock {
public:
    static constexpr uint32_t kHeaderSize = 12;  // start marker, end offset, version

    // The version argument is what the caller expects; the reader does not
    // use it (each class compares m_nVersion itself).
    cReadBlock(const cFile& file, uint32_t version);
    ~cReadBlock();
    cReadBlock(const cReadBlock&) = delete;
    cReadBlock& operator=(const cReadBlock&) = delete;

    int32_t ReadInt() const;
    uint32_t ReadUInt() const;
    float ReadFloat() const;
    bool ReadBool() const;  // 4 bytes, non-zero is true
    int16_t ReadShort() const;
    uint16_t ReadUShort() const;
    int8_t ReadChar() const;
    uint8_t ReadUChar() const;
    // Arrays of count elements; a negative count fails the file and reads
    // nothing. The caller bounds count by its destination.
    void ReadInts(int32_t* dst, int count) const;
    void ReadInts(uint32_t* dst, int count) const;
    void ReadFloats(float* dst, int count) const;
    void ReadShorts(int16_t* dst, int count) const;
    void ReadShorts(uint16_t* dst, int count) const;
    void ReadChars(void* dst, int count) const;  // raw bytes, never converted

    // A polymorphic member: type id (-1 for none), then the object's data.
    // Only a member whose class derives from pClass is built and read; one of
    // another class is skipped by its block's end offset without being built
    // (*ppForeign, when given, names its class so the caller can log where it
    // lay). An id outside the type table, a class without factory or a full
    // pool also skip the data and give null.
    cBase* ReadBase(cMemPool* pPool, const cType* pClass, const cType** ppForeign = nullptr) const;
    // Reads the id and constructs the object without reading its data; the
    // caller calls its Read. Null as ReadBase (the data then skipped).
    cBase* CreateBase(cMemPool* pPool, const cType* pClass, const cType** ppForeign = nullptr) const;
    // Reads a polymorphic member and discards it; its class, or null for none
    // or an unknown id.
    const cType* SkipBase() const;

    // Logs why the block is not accepted, seeks to its end offset and returns
    // false: the caller's object keeps its previous state and the reader
    // continues after the block. sWhat: "version", "stop count"...
    bool Reject(const char* sClass, const char* sWhat) const;
    // Seeks to the block's end offset (the block is then consumed).
    void SkipToEnd() const;
    bool Failed() const;

    const cFile& m_file;
    uint32_t m_nEndOffset = 0xFFFFFFFF;  // absolute position of the end marker
    uint32_t m_nVersion = 0xFFFFFFFF;

private:
    uint32_t m_nOuterLimit;  // the file's read limit outside this block
    bool m_bValid = false;   // the end offset lies inside the enclosing limit
};
