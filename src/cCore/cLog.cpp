#include "cCore/cLog.h"

#include <cstdio>
#include <cstring>

#include "platform/os.h"
#include "cCore/cLock.h"

namespace {

cLogFunc s_pLogFunc = cLogDefaultCallback;
void* s_pUserData = nullptr;

const char* const kPrefixes[] = {"[Info   ] ", "[Warning] ", "[Error]   ", ""};

thread_local int t_nQuietScopes = 0;  // cLogQuietScope objects alive on this thread

}  // namespace

cLock* cLogGetLock()
{
    static cLock s_lock;
    return &s_lock;
}

const char* cLogTypeText(cLogType type)
{
    if (type < LOGTYPE_INFO || type > LOGTYPE_RAW)
        return "";
    return kPrefixes[type];
}

cLogQuietScope::cLogQuietScope()
{
    ++t_nQuietScopes;
}

cLogQuietScope::~cLogQuietScope()
{
    --t_nQuietScopes;
}

void cLogV(cLogType type, const char* fmt, va_list args)
{
    if (t_nQuietScopes > 0 && (type == LOGTYPE_WARNING || type == LOGTYPE_ERROR))
        return;
    cLock* pLock = cLogGetLock();
    pLock->Lock();
    char text[kLogMessageSize];
    std::vsnprintf(text, sizeof(text), fmt, args);
    text[sizeof(text) - 1] = '\0';
    if (s_pLogFunc)
        s_pLogFunc(s_pUserData, type, text);
    pLock->Unlock();
}

#define QM_LOG_ENTRY(fn, type)      \
    void fn(const char* fmt, ...)   \
    {                               \
        va_list args;               \
        va_start(args, fmt);        \
        cLogV(type, fmt, args);     \
        va_end(args);               \
    }
QM_LOG_ENTRY(cLogInfo_, LOGTYPE_INFO)
QM_LOG_ENTRY(cLogWarn_, LOGTYPE_WARNING)
QM_LOG_ENTRY(cLogError_, LOGTYPE_ERROR)
QM_LOG_ENTRY(cLogRaw_, LOGTYPE_RAW)
#undef QM_LOG_ENTRY

cLogFunc cLogSetCallback(cLogFunc func, void* pUserData)
{
    cLock* pLock = cLogGetLock();
    pLock->Lock();
    cLogFunc old = s_pLogFunc;
    s_pLogFunc = func;
    s_pUserData = pUserData;
    pLock->Unlock();
    return old;
}

void cLogDefaultCallback(void* /*pUserData*/, cLogType type, const char* text)
{
    // Room for the longest prefix, a whole message and the newline, so no
    // line is cut; snprintf bounds it all the same.
    char line[16 + kLogMessageSize + 2];
    std::snprintf(line, sizeof(line), "%s%s\n", cLogTypeText(type), text);
    OSReport("%s", line);
}

bool cAssertDisplay(const char*, const char*, const char*, int, bool* pIgnore)
{
    if (pIgnore)
        *pIgnore = false;
    return true;
}

bool cAlertDisplay(const char*, const char*, const char*, int, bool* pIgnore)
{
    if (pIgnore)
        *pIgnore = false;
    return true;
}
