#include "gcGameCore/script/gcScriptText.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

void gcScriptText::Append(char* pBuf, const char* sText)
{
    if (!pBuf || !sText)
        return;
    const size_t nUsed = strnlen(pBuf, kSize - 1);
    const size_t nRoom = kSize - 1 - nUsed;
    const size_t nCopy = strnlen(sText, nRoom);
    std::memcpy(pBuf + nUsed, sText, nCopy);
    pBuf[nUsed + nCopy] = '\0';
}

void gcScriptText::AppendF(char* pBuf, const char* fmt, ...)
{
    if (!pBuf)
        return;
    const size_t nUsed = strnlen(pBuf, kSize - 1);
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(pBuf + nUsed, kSize - nUsed, fmt, args);
    va_end(args);
}
