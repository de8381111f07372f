// The reset button, the system reset and the save region. A soft reset runs
// the program again with the same arguments; the 128 bytes of the save region
// travel to the new process in an environment variable.
#include "platform/os.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "os/os_local.h"
#include "../../test/os_test.h"

namespace {

std::atomic<bool> s_bResetButton{false};
std::atomic<OSTestResetHandler> s_resetHandler{nullptr};
std::atomic<void (*)()> s_resetRefresh{nullptr};
std::atomic<bool> s_bSystemMenu{false};  // a reset to the system menu asked the program to end
// Filled by static initialisers before main; read only by the reset.
void (*s_handovers[os::kMaxResetHandovers])() = {};

struct SaveRegion {
    std::mutex mutex;
    uint8_t* pStart = nullptr;
    uint8_t* pEnd = nullptr;
    uint8_t saved[OS_SAVE_REGION_SIZE] = {};
};

SaveRegion& Region()
{
    static SaveRegion* s_pRegion = new SaveRegion;
    return *s_pRegion;
}

std::vector<std::string> OwnArguments()
{
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> args;
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\0', start);
        if (end == std::string::npos)
            end = all.size();
        args.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    return args;
}

[[noreturn]] void Reexecute(const std::string& region)
{
    std::vector<std::string> args = OwnArguments();
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    setenv(os::kSavedRegionEnv, region.c_str(), 1);
    for (void (*handover)() : s_handovers) {
        if (handover)
            handover();
    }
    OSReport("OS: soft reset: the program starts again\n");
    std::fflush(nullptr);
    if (argv.size() > 1)
        execv("/proc/self/exe", argv.data());
    OSReport("OS: the soft reset could not restart the program\n");
    std::_Exit(1);
}

}  // namespace

void os::AddResetHandover(void (*handover)())
{
    for (void (*&slot)() : s_handovers) {
        if (!slot || slot == handover) {
            slot = handover;
            return;
        }
    }
    OSReport("OS: no room for another reset handover\n");
}

bool os::TakeHandedOverCount(const char* name, uint64_t* pCount)
{
    const char* text = std::getenv(name);
    if (!text)
        return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long n = std::strtoull(text, &end, 10);
    const bool bOk = *text >= '0' && *text <= '9' && *end == '\0' && errno == 0;
    if (!bOk)
        OSReport("OS: %s=\"%s\" handed over by the last reset is malformed; ignored\n", name, text);
    else
        *pCount = n;
    unsetenv(name);  // a program this one starts must not take it
    return bOk;
}

bool os::SystemMenuRequested()
{
    return s_bSystemMenu.load();
}

void os::SetResetButtonRefresh(void (*refresh)())
{
    s_resetRefresh.store(refresh);
}

BOOL OSGetResetButtonState()
{
    if (void (*refresh)() = s_resetRefresh.load())
        refresh();
    return s_bResetButton.load() ? TRUE : FALSE;
}

void OSSetResetButtonState(BOOL down)
{
    s_bResetButton.store(down != FALSE);
}

void OSTestSetResetButton(BOOL down)
{
    OSSetResetButtonState(down);
}

OSTestResetHandler OSTestSetResetHandler(OSTestResetHandler handler)
{
    return s_resetHandler.exchange(handler);
}

void OSResetSystem(int reset, uint32_t resetCode, BOOL forceMenu)
{
    uint8_t bytes[OS_SAVE_REGION_SIZE] = {};
    {
        SaveRegion& r = Region();
        std::lock_guard<std::mutex> lock(r.mutex);
        // A hard reset (reset not 0) loses the region, as a power cycle does.
        if (reset == 0 && r.pStart && r.pEnd > r.pStart) {
            const size_t n = std::min<size_t>(static_cast<size_t>(r.pEnd - r.pStart), OS_SAVE_REGION_SIZE);
            std::memcpy(bytes, r.pStart, n);
        }
    }
    if (OSTestResetHandler handler = s_resetHandler.load()) {
        handler(reset, resetCode, forceMenu, bytes);
        return;
    }
    if (forceMenu) {
        // There is no system menu to return to: the program's loops end at
        // their next look at VIQuitRequested, and the normal shutdown runs.
        OSReport("OS: return to the system menu: the program ends\n");
        s_bSystemMenu.store(true);
        return;
    }
    Reexecute(os::EncodeSavedRegion(bytes, OS_SAVE_REGION_SIZE));
}

void OSSetSaveRegion(void* start, void* end)
{
    SaveRegion& r = Region();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.pStart = static_cast<uint8_t*>(start);
    r.pEnd = static_cast<uint8_t*>(end);
}

void OSGetSaveRegion(void** start, void** end)
{
    SaveRegion& r = Region();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (start)
        *start = r.pStart;
    if (end)
        *end = r.pEnd;
}

const uint8_t* OSGetSavedRegionContents()
{
    return Region().saved;
}

void OSTestSetSavedRegion(const uint8_t* bytes)
{
    SaveRegion& r = Region();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (bytes)
        std::memcpy(r.saved, bytes, OS_SAVE_REGION_SIZE);
    else
        std::memset(r.saved, 0, OS_SAVE_REGION_SIZE);
}

std::string os::EncodeSavedRegion(const uint8_t* bytes, uint32_t size)
{
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (uint32_t i = 0; i < size; ++i) {
        text += kHex[bytes[i] >> 4];
        text += kHex[bytes[i] & 15];
    }
    return text;
}

static int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool os::DecodeSavedRegion(const char* text, uint8_t out[OS_SAVE_REGION_SIZE])
{
    if (!text || std::strlen(text) != 2 * OS_SAVE_REGION_SIZE)
        return false;
    uint8_t bytes[OS_SAVE_REGION_SIZE];
    for (uint32_t i = 0; i < OS_SAVE_REGION_SIZE; ++i) {
        const int hi = HexDigit(text[2 * i]);
        const int lo = HexDigit(text[2 * i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        bytes[i] = static_cast<uint8_t>(hi << 4 | lo);
    }
    std::memcpy(out, bytes, OS_SAVE_REGION_SIZE);
    return true;
}

void os::InitSavedRegion()
{
    const char* text = std::getenv(kSavedRegionEnv);
    if (!text)
        return;
    SaveRegion& r = Region();
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        if (!DecodeSavedRegion(text, r.saved))
            OSReport("OS: the save region handed over by the last reset is malformed; ignored\n");
    }
    // A program this one starts must not take the region for its own.
    unsetenv(kSavedRegionEnv);
}
