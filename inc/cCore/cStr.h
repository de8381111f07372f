#pragma once
// A fixed 256-byte text filled by printf-style formatting: paths, file names
// and messages. Stored in data files as its 256 bytes. A plain value; any
// thread.

class cReadBlock;
class cWriteBlock;

class cStr {
public:
    static constexpr int kSize = 256;  // bytes, terminator included

    cStr();  // the empty text, every byte zero
    // Formats into the buffer; a text given as the format is interpreted as
    // one, so arbitrary text goes through "%s".
    explicit cStr(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

    void Set(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

    // 256 raw bytes; the last is forced to zero so the text always ends.
    void Read(const cReadBlock& rb);
    void Write(const cWriteBlock& wb) const;

    operator const char*() const { return m_sData; }

    char m_sData[kSize];
};
