#pragma once
// One block being read: constructed at the block's start, it reads the
// header (start marker, end offset, version) and narrows the file's read
// limit to the block; destroyed, it skips the gap, reads the end marker and
// restores the limit. Typed reads convert from the files' big-endian order;
// ReadChars copies bytes as stored. Every read past the block fails the file
// (zeros, one log line); a loader checks Failed() once before it commits.

#include <cstdint>
#include <cstring>

#include "platform/ps.h"
#include "cCore/cFile.h"
#include "cCore/cFilePlatform.h"

class cBase;
class cMemPool;
class cType;

class cReadBlock {
public:
    static constexpr uint32_t kHeaderSize = 12;  // start marker, end offset, version

    // The version argument is what the caller expects; the reader does not
    // use it (each class compares m_nVersion itself). A sound header that
    // lies aligned in the disc buffer is taken inline; every other case
    // (misaligned, across buffers, too deep, damaged) takes the checked path.
    cReadBlock(const cFile& file, uint32_t /*version*/) : m_file(file), m_nOuterLimit(file.GetReadLimit())
    {
        const int depth = file.EnterBlock();
        const uint8_t* header = depth <= cFile::kMaxBlockDepth ? TakeAligned(kHeaderSize) : nullptr;
        if (!header) {
            BeginChecked(depth);
            return;
        }
        m_nEndOffset = ps::LoadU32BE(header + 4);
        m_nVersion = ps::LoadU32BE(header + 8);
        const uint32_t afterHeader = file.GetCurrentPos();
        if (!Accept(afterHeader))
            RefuseEnd(afterHeader - kHeaderSize);
    }
    // The end marker (its value not examined) taken inline when it lies
    // aligned in the disc buffer.
    ~cReadBlock()
    {
        m_file.LeaveBlock();
        m_file.SetReadLimit(m_nOuterLimit);
        if (!TakeAligned(4))
            EndChecked();
    }
    cReadBlock(const cReadBlock&) = delete;
    cReadBlock& operator=(const cReadBlock&) = delete;

    // Values read inline from the disc buffer when they lie in it; the
    // checked reads outside take the rest.
    int32_t ReadInt() const { return static_cast<int32_t>(ReadUInt()); }
    uint32_t ReadUInt() const
    {
        const uint8_t* p = Take(4);
        return p ? ps::LoadU32BE(p) : ReadUIntChecked();
    }
    // A stored float is a measure: one that is not finite (an infinity or a
    // NaN pattern) is a damaged file, refused here for every reader (the
    // file fails, the value reads as 0).
    float ReadFloat() const
    {
        uint32_t bits = ReadUInt();
        if (!IsFinite(bits))
            bits = RefuseNonFinite(bits);
        float value;
        std::memcpy(&value, &bits, sizeof(value));
        return value;
    }
    bool ReadBool() const { return ReadUInt() != 0; }  // 4 bytes, non-zero is true
    int16_t ReadShort() const { return static_cast<int16_t>(ReadUShort()); }
    uint16_t ReadUShort() const
    {
        const uint8_t* p = Take(2);
        return p ? ps::LoadU16BE(p) : ReadUShortChecked();
    }
    int8_t ReadChar() const { return static_cast<int8_t>(ReadUChar()); }
    uint8_t ReadUChar() const
    {
        const uint8_t* p = Take(1);
        return p ? p[0] : ReadUCharChecked();
    }
    // Arrays of count elements; a negative count fails the file and reads
    // nothing. The caller bounds count by its destination.
    void ReadInts(int32_t* dst, int count) const { ReadArray(dst, count); }
    void ReadInts(uint32_t* dst, int count) const { ReadArray(dst, count); }
    void ReadFloats(float* dst, int count) const
    {
        ReadArray(dst, count);
        for (int i = 0; i < count; ++i) {
            uint32_t bits;
            std::memcpy(&bits, &dst[i], sizeof(bits));
            if (!IsFinite(bits)) {
                RefuseNonFinite(bits);
                dst[i] = 0.0f;
            }
        }
    }
    void ReadShorts(int16_t* dst, int count) const { ReadArray(dst, count); }
    void ReadShorts(uint16_t* dst, int count) const { ReadArray(dst, count); }
    void ReadChars(void* dst, int count) const  // raw bytes, never converted
    {
        // No bytes leave dst alone (an empty array may be null); a negative
        // count goes to the checked read, which refuses it.
        if (count > 0) {
            if (const uint8_t* p = Take(static_cast<uint32_t>(count))) {
                std::memcpy(dst, p, static_cast<uint32_t>(count));
                return;
            }
        }
        ReadCharsChecked(dst, count);
    }

    // A polymorphic member: type id (-1 for none), then the object's data.
    // Only a member whose class derives from pClass is built and read. A
    // member of another class or an id outside the type table is a damaged
    // file: the file fails (logged, naming it and the member) and null is
    // returned; a caller that passes ppForeign is told the other class
    // instead and fails the file itself, naming where the member lay. A
    // member that refuses its data also fails the file. A class without
    // factory is read over (null), as the format says; a full pool skips the
    // data and gives null (logged).
    cBase* ReadBase(cMemPool* pPool, const cType* pClass, const cType** ppForeign = nullptr) const;
    // Reads the id and constructs the object without reading its data; the
    // caller calls its Read (and fails the file when it refuses). Null as
    // ReadBase.
    cBase* CreateBase(cMemPool* pPool, const cType* pClass, const cType** ppForeign = nullptr) const;
    // Reads a polymorphic member the format reads over, and discards it; its
    // class, or null for none or an unknown id (a warning).
    const cType* SkipBase() const;

    // A block its reader does not accept: the file is damaged. Fails the
    // file (one error naming it, the class and sWhat: "version", "stop
    // count"...), seeks to the block's end offset and returns false; the
    // caller's object keeps its previous state and the file's load fails.
    // A reader calls it for any part it refused, whether or not that part
    // failed the file itself: when the file has already failed, the part
    // logged the one error, so nothing more is logged and the block is left
    // where it stands.
    bool Reject(const char* sClass, const char* sWhat) const;
    // A block the format itself says to read over (an older version kept on
    // purpose): one warning naming the file, and the reader goes on after it.
    void ReadOver(const char* sClass, const char* sWhat) const;
    // Seeks to the block's end offset (the block is then consumed).
    void SkipToEnd() const;
    bool Failed() const;

    // count raw bytes where they lie in the disc buffer, consumed; null with
    // nothing read when they do not lie there (the caller then reads field by
    // field, which checks). For small fixed records read whole.
    const uint8_t* TakeInPlace(uint32_t count) const { return Take(count); }

    const cFile& m_file;
    uint32_t m_nEndOffset = 0xFFFFFFFF;  // absolute position of the end marker
    uint32_t m_nVersion = 0xFFFFFFFF;

private:
    // All exponent bits set: an infinity or a NaN.
    static bool IsFinite(uint32_t bits) { return (bits & 0x7F800000u) != 0x7F800000u; }
    // Fails the file for a float that is not finite; the value then read (0).
    uint32_t RefuseNonFinite(uint32_t bits) const;
    // count bytes where they lie in the disc buffer, or null (nothing read).
    const uint8_t* Take(uint32_t count) const { return m_file.m_pFile ? m_file.m_pFile->TakeFast(count) : nullptr; }
    // As Take, when the position is also on a 4-byte boundary (blocks and
    // end markers are aligned; elsewhere the checked path aligns first).
    const uint8_t* TakeAligned(uint32_t count) const
    {
        return m_file.m_pFile ? m_file.m_pFile->TakeFastAligned(count) : nullptr;
    }
    // The end offset just read lies after the header and its marker fits in
    // the enclosing block: the block's reads are then limited to it.
    bool Accept(uint32_t afterHeader)
    {
        if (m_nEndOffset < afterHeader || static_cast<uint64_t>(m_nEndOffset) + 4 > m_nOuterLimit)
            return false;
        m_bValid = true;
        m_file.SetReadLimit(m_nEndOffset);
        return true;
    }
    void BeginChecked(int depth);
    void RefuseEnd(uint32_t start);
    void EndChecked();
    uint32_t ReadUIntChecked() const;
    uint16_t ReadUShortChecked() const;
    uint8_t ReadUCharChecked() const;
    void ReadCharsChecked(void* dst, int count) const;
    // Big-endian elements at src into dst (which may be src itself), 8 bytes
    // at a time as one word, then one element at a time. Each word is loaded
    // before it is stored, so converting in place is safe. (Word stores, not
    // vector ones: a caller reading one element back soon after gets it
    // forwarded from the store instead of waiting for the store to retire.)
    template <class T>
    static void FromBigEndian(const uint8_t* src, T* dst, int count)
    {
        static_assert(sizeof(T) == 2 || sizeof(T) == 4);
        const size_t bytes = static_cast<size_t>(count) * sizeof(T);
        uint8_t* out = reinterpret_cast<uint8_t*>(dst);
        size_t i = 0;
        for (; i + 8 <= bytes; i += 8) {
            uint64_t v;
            std::memcpy(&v, src + i, 8);
            if constexpr (sizeof(T) == 4) {
                v = __builtin_bswap64(v);      // both words swapped, and their order
                v = (v >> 32) | (v << 32);     // the order restored
            } else {
                v = ((v & 0x00FF00FF00FF00FFull) << 8) | ((v >> 8) & 0x00FF00FF00FF00FFull);
            }
            std::memcpy(out + i, &v, 8);
        }
        for (; i < bytes; i += sizeof(T)) {
            if constexpr (sizeof(T) == 4) {
                const uint32_t bits = ps::LoadU32BE(src + i);
                std::memcpy(out + i, &bits, 4);
            } else {
                const uint16_t bits = ps::LoadU16BE(src + i);
                std::memcpy(out + i, &bits, 2);
            }
        }
    }
    // Converts the stored bytes in one pass, straight from the disc buffer
    // when they lie in it; otherwise the checked read takes them.
    template <class T>
    void ReadArray(T* dst, int count) const
    {
        const uint64_t bytes = static_cast<uint64_t>(count) * sizeof(T);
        if (count > 0 && bytes < cFilePlatform::kBufferSize) {
            if (const uint8_t* src = Take(static_cast<uint32_t>(bytes))) {
                FromBigEndian(src, dst, count);
                return;
            }
        }
        ReadArrayChecked(dst, count);
    }
    template <class T>
    void ReadArrayChecked(T* dst, int count) const;

    uint32_t m_nOuterLimit;  // the file's read limit outside this block
    bool m_bValid = false;   // the end offset lies inside the enclosing limit
};
