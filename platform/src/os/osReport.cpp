#include "platform/os.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

void OSReport(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    std::vfprintf(stderr, fmt, args);
    va_end(args);
}

void OSPanic(const char* file, int line, const char* fmt, ...)
{
    std::fprintf(stderr, "PANIC %s:%d: ", file, line);
    va_list args;
    va_start(args, fmt);
    std::vfprintf(stderr, fmt, args);
    va_end(args);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    std::abort();
}
