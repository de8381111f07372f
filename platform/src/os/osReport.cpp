#include "platform/os.h"

#include <cstdarg>
#include <cstdio>

void OSInit() {}

void OSReport(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    std::vfprintf(stderr, fmt, args);
    va_end(args);
}
