#include "cCore/cCoreServices.h"

#include <cstring>

#include "platform/os.h"
#include "platform/vi.h"
#include "cCore/cSaveRegion.h"
#include "cCore/cStr.h"
#include "cCore/cThread.h"

namespace {

bool s_bResetPressed = false;
bool s_bResetReleased = false;
cResetNotifyFunc s_resetNotify = nullptr;
cDiscStatusCheckFunc s_discStatusCheck = nullptr;
const char* s_sCommandLine = nullptr;
uint32_t s_nRandCounter = 0;

// The standard table of the reflected polynomial 0xEDB88320.
struct Crc32Table {
    uint32_t entries[256];
    constexpr Crc32Table() : entries()
    {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[i] = c;
        }
    }
};
constexpr Crc32Table kCrc32Table;

inline uint32_t Crc32Step(uint32_t crc, uint8_t byte)
{
    return (crc >> 8) ^ kCrc32Table.entries[(crc ^ byte) & 0xFF];
}

}  // namespace

uint32_t cCalcCRC32(const void* pData, uint32_t nLength)
{
    if (nLength == 0 || !pData)
        return 0;
    const uint8_t* p = static_cast<const uint8_t*>(pData);
    uint32_t crc = 0xFFFFFFFFu;
    uint32_t n = nLength;
    for (; n >= 4; n -= 4, p += 4) {
        crc = Crc32Step(crc, p[0]);
        crc = Crc32Step(crc, p[1]);
        crc = Crc32Step(crc, p[2]);
        crc = Crc32Step(crc, p[3]);
    }
    for (; n > 0; --n, ++p)
        crc = Crc32Step(crc, *p);
    return ~crc;
}

uint32_t cIRand()
{
    const uint32_t ms = static_cast<uint32_t>(static_cast<int64_t>(cGetTimeSeconds() * 1000.0));
    const uint32_t c = s_nRandCounter;
    s_nRandCounter = c + 1;
    const uint32_t x = ms + (c + ms) * 59u;
    const uint32_t q = 0x5208F10Fu / (((c + 1) & 0xFFFFFu) | 1u);
    const uint32_t y = (x << 13) ^ x;
    return q + y * (y * y * 15731u + 790753u);
}

int32_t cAtoI(const char* text)
{
    if (!text || !*text)
        return 0;
    const bool bNegative = text[0] == '-';
    const char* digits = bNegative ? text + 1 : text;
    if (!*digits)
        return 0;
    // Unsigned accumulation: an overflowing number wraps instead of being
    // undefined.
    uint32_t value = 0;
    for (const char* p = digits; *p; ++p) {
        if (*p < '0' || *p > '9')
            return 0;
        value = value * 10u + static_cast<uint32_t>(*p - '0');
    }
    if (bNegative)
        value = 0u - value;
    return static_cast<int32_t>(value);
}

char cToLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool cCheckFileExt(const char* name, const char* ext)
{
    if (!name || !ext)
        return false;
    const size_t len = std::strlen(name);
    if (len < 3)
        return false;
    const char* tail = name + len - 3;
    size_t i = 0;
    for (; tail[i] && ext[i]; ++i) {
        if (cToLower(tail[i]) != cToLower(ext[i]))
            return false;
    }
    return tail[i] == ext[i];
}

double cGetTimeSeconds()
{
    static OSTime s_initialTime = 0;
    static double s_fSecondsPerTick = 0.0;
    if (s_fSecondsPerTick == 0.0) {
        s_initialTime = OSGetTime();
        s_fSecondsPerTick = 1.0 / (__OSBusClock / 4);
    }
    return static_cast<double>(OSGetTime() - s_initialTime) * s_fSecondsPerTick;
}

void cSetCommandLine(const char* text)
{
    s_sCommandLine = text;
}

// Lower-cased copy, cut to the buffer.
static void CopyLower(char (&out)[kCommandLineSize], const char* text)
{
    size_t i = 0;
    for (; text && text[i] && i < kCommandLineSize - 1; ++i)
        out[i] = cToLower(text[i]);
    out[i] = '\0';
}

bool cGetCommandLineValue(const char* name, cStr* pValue)
{
    if (pValue)
        pValue->Set("%s", "");
    if (!s_sCommandLine || !name || !*name)
        return false;
    char line[kCommandLineSize];
    char key[kCommandLineSize];
    CopyLower(line, s_sCommandLine);
    CopyLower(key, name);
    const size_t keyLen = std::strlen(key);
    for (const char* hit = std::strstr(line, key); hit; hit = std::strstr(hit + 1, key)) {
        if (hit == line || hit[-1] != '/')
            continue;
        const char* p = hit + keyLen;
        if (*p == '\0')
            return true;  // a flag without value
        if (*p != ' ' && *p != '=')
            continue;  // the start of a longer option
        ++p;
        while (*p == ' ')
            ++p;
        const char* start = p;
        const char stop = *p == '"' ? '"' : ' ';
        if (stop == '"')
            start = ++p;
        while (*p && *p != stop)
            ++p;
        if (pValue)
            pValue->Set("%.*s", static_cast<int>(p - start), start);  // both bounded by the buffer
        return true;
    }
    return false;
}

static bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

// Index of the last separator, or -1.
static int LastSeparator(const char* path)
{
    int last = -1;
    for (int i = 0; path[i]; ++i) {
        if (IsSeparator(path[i]))
            last = i;
    }
    return last;
}

static cStr& ResultOrScratch(cStr* pResult)
{
    thread_local cStr s_scratch;
    return pResult ? *pResult : s_scratch;
}

cStr& cGetFilename(const char* path, cStr* pResult)
{
    cStr& result = ResultOrScratch(pResult);
    if (!path || !*path) {
        result.Set("%s", "");
        return result;
    }
    const int start = LastSeparator(path) + 1;
    const char* name = path + start;
    const char* dot = std::strrchr(name, '.');
    const int len = dot ? static_cast<int>(dot - name) : static_cast<int>(std::strlen(name));
    result.Set("%.*s", len, name);
    return result;
}

cStr& cGetFilenameAndExt(const char* path, cStr* pResult)
{
    cStr& result = ResultOrScratch(pResult);
    result.Set("%s", path ? path + LastSeparator(path) + 1 : "");
    return result;
}

cStr& cGetPath(const char* path, cStr* pResult)
{
    cStr& result = ResultOrScratch(pResult);
    const int sep = path ? LastSeparator(path) : -1;
    result.Set("%.*s", sep > 0 ? sep : 0, path ? path : "");
    return result;
}

cStr& cGetFileExt(const char* name, cStr* pResult)
{
    cStr& result = ResultOrScratch(pResult);
    const char* dot = name ? std::strrchr(name, '.') : nullptr;
    result.Set("%s", dot ? dot + 1 : "");
    return result;
}

bool cCheckResetState()
{
    const bool bDown = OSGetResetButtonState() != FALSE;
    if (bDown)
        s_bResetPressed = true;
    if (s_bResetPressed && !bDown)
        s_bResetReleased = true;
    // Once released, every check notifies until the system resets.
    if (s_bResetReleased && s_resetNotify)
        s_resetNotify();
    return s_bResetReleased;
}

bool cUpdateOS()
{
    OSCheckActiveThreads();
    cCheckResetState();
    if (s_discStatusCheck)
        s_discStatusCheck();
    // The console never stops; the host does when its window is closed or
    // the frame count asked for has been shown.
    return VIQuitRequested() == FALSE;
}

cResetNotifyFunc cSetResetNotify(cResetNotifyFunc func)
{
    cResetNotifyFunc old = s_resetNotify;
    s_resetNotify = func;
    return old;
}

cDiscStatusCheckFunc cSetDiscStatusCheck(cDiscStatusCheckFunc func)
{
    cDiscStatusCheckFunc old = s_discStatusCheck;
    s_discStatusCheck = func;
    return old;
}

void cClearResetState()
{
    s_bResetPressed = false;
    s_bResetReleased = false;
}

void cHandleReset()
{
    cSaveRegion::HandleSaveSaveRegion();
    OSResetSystem(0, 1, FALSE);
}
