#include "cCore/cStr.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

// The bytes after the text are kept zero so that written files do not depend
// on what the buffer held before.
static void FormatInto(char (&data)[cStr::kSize], const char* fmt, va_list args)
{
    const int n = fmt ? std::vsnprintf(data, cStr::kSize, fmt, args) : -1;
    const int len = n < 0 ? 0 : (n >= cStr::kSize ? cStr::kSize - 1 : n);
    std::memset(data + len, 0, cStr::kSize - len);
}

cStr::cStr()
{
    std::memset(m_sData, 0, sizeof(m_sData));
}

cStr::cStr(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    FormatInto(m_sData, fmt, args);
    va_end(args);
}

void cStr::Set(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    FormatInto(m_sData, fmt, args);
    va_end(args);
}

void cStr::Read(const cReadBlock& rb)
{
    rb.ReadChars(m_sData, kSize);
    m_sData[kSize - 1] = '\0';
}

void cStr::Write(const cWriteBlock& wb) const
{
    wb.WriteChars(m_sData, kSize);
}
