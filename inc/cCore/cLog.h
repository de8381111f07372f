#pragma once
// The diagnostic log: four kinds of message, formatted into at most 511
// characters under one lock and passed to a replaceable output callback (by
// default stderr through OSReport with a prefix per kind). Any thread may log;
// callbacks run under the lock and must not log themselves.

#include <cstdarg>

class cLock;

enum cLogType : int {
    LOGTYPE_INFO = 0,
    LOGTYPE_WARNING = 1,
    LOGTYPE_ERROR = 2,
    LOGTYPE_RAW = 3,  // printed without a prefix
};

constexpr int kLogMessageSize = 512;  // buffer; a message keeps at most 511 chars

typedef void (*cLogFunc)(void* pUserData, cLogType type, const char* text);

void cLogInfo_(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void cLogWarn_(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void cLogError_(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void cLogRaw_(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void cLogV(cLogType type, const char* fmt, va_list args);

// While one lives, the warnings and errors of the thread that made it are
// dropped (scopes nest); other threads and other kinds log as before. For a
// read made ahead of the one that reports the same file's damage, so that
// damage gives one line.
class cLogQuietScope {
public:
    cLogQuietScope();
    ~cLogQuietScope();
    cLogQuietScope(const cLogQuietScope&) = delete;
    cLogQuietScope& operator=(const cLogQuietScope&) = delete;
};

// Installs the output (null silences the log) and its user pointer; returns
// the previous output.
cLogFunc cLogSetCallback(cLogFunc func, void* pUserData);
cLock* cLogGetLock();  // created on first use, lives to program end
void cLogDefaultCallback(void* pUserData, cLogType type, const char* text);
const char* cLogTypeText(cLogType type);  // the kind's prefix; "" outside

// Assertion and alert hooks: nothing is shown; they clear the ignore flag and
// return true.
bool cAssertDisplay(const char* expr, const char* file, const char* msg, int line, bool* pIgnore);
bool cAlertDisplay(const char* cond, const char* file, const char* msg, int line, bool* pIgnore);
