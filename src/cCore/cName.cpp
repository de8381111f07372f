#include "cCore/cName.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/ps.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

void cName::Set(const char* fmt, ...)
{
    char work[kFormatSize];
    va_list args;
    va_start(args, fmt);
    const int n = fmt ? std::vsnprintf(work, sizeof(work), fmt, args) : -1;
    va_end(args);
    if (n < 0)
        work[0] = '\0';
    work[kFormatSize - 1] = '\0';
    std::strncpy(m_sData, work, kSize);  // pads a shorter text with zeros
    m_sData[kSize - 1] = '\0';
    const size_t len = std::strlen(work);
    m_nLength = static_cast<int16_t>(len < static_cast<size_t>(kMaxLength) ? len : kMaxLength);
    m_nCRC = CalcCRC(m_sData);
}

uint16_t cName::CalcCRC(const char (&data)[kSize])
{
    uint32_t sum = 0;
    for (int i = 0; i < kSize; ++i) {
        const int32_t byte = static_cast<int8_t>(data[i]);
        sum += static_cast<uint32_t>(byte * ((i & 1) ? 3 : 7));
    }
    return static_cast<uint16_t>(sum);
}

bool cName::operator==(const cName& other) const
{
    if (m_nLength == 0 && other.m_nLength == 0)
        return true;
    if (m_nLength != other.m_nLength || m_nCRC != other.m_nCRC)
        return false;
    // Whole words over the text and its terminator, never past the 20 bytes.
    size_t n = (static_cast<size_t>(m_nLength) + 3) & ~size_t{3};
    if (n > static_cast<size_t>(kSize))
        n = kSize;
    return std::memcmp(m_sData, other.m_sData, n) == 0;
}

bool cName::operator==(const char* text) const
{
    if (!text || !text[0])
        return m_nLength == 0;
    return std::strcmp(m_sData, text) == 0;
}

void cName::Read(const cReadBlock& rb)
{
    int16_t length;
    // The whole record in one take when it lies in the disc buffer; field by
    // field (checked) otherwise.
    if (const uint8_t* p = rb.TakeInPlace(kStoredSize)) {
        // The first word, the text field's size, is always 20.
        std::memcpy(m_sData, p + 4, kSize);
        length = static_cast<int16_t>(ps::LoadU16BE(p + 4 + kSize));
        m_nCRC = ps::LoadU16BE(p + 6 + kSize);
    } else {
        rb.ReadInt();
        rb.ReadChars(m_sData, kSize);
        length = rb.ReadShort();
        m_nCRC = rb.ReadUShort();
    }
    m_sData[kSize - 1] = '\0';
    m_nLength = length < 0 ? 0 : (length > kMaxLength ? kMaxLength : length);
}

void cName::Write(const cWriteBlock& wb) const
{
    wb.WriteInt(static_cast<int32_t>(kSize));
    wb.WriteChars(m_sData, kSize);
    wb.WriteShort(m_nLength);
    wb.WriteShort(m_nCRC);
}
