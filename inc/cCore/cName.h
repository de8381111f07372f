#pragma once
// A short object name: at most 19 characters, with its length and a 16-bit
// checksum so that names compare fast (length and checksum first, then whole
// words). Stored in data files as 28 bytes: the word 20, the 20 text bytes,
// the length and the checksum. A plain value; any thread.

#include <cstdint>

class cReadBlock;
class cWriteBlock;

class cName {
public:
    static constexpr int kSize = 20;        // text bytes, terminator included
    static constexpr int kMaxLength = 19;
    static constexpr int kFormatSize = 40;  // work buffer of Set
    static constexpr int kStoredSize = 28;  // bytes on disk

    cName() : m_sData{}, m_nLength(0), m_nCRC(0) {}  // the empty name: every byte zero, length 0, checksum 0

    // Formats the name; a text of 20 or more characters keeps its first 19.
    void Set(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

    bool operator==(const cName& other) const;
    // A null or empty text equals only the empty name.
    bool operator==(const char* text) const;

    // Takes exactly 28 bytes. The stored length is clamped to 0..19 and the
    // text kept terminated, so a damaged name never compares past its bytes.
    void Read(const cReadBlock& rb);
    void Write(const cWriteBlock& wb) const;

    // Sum of the 20 bytes taken as signed, times 7 at even and 3 at odd
    // positions, truncated to 16 bits.
    static uint16_t CalcCRC(const char (&data)[kSize]);

    char m_sData[kSize];
    int16_t m_nLength;
    uint16_t m_nCRC;
};
