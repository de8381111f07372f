#include "platform/os.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/vi.h"
#include "../test/os_test.h"
#include "os/os_local.h"
#include "tempDir.h"
#include "testDeadline.h"

namespace {

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

TEST(OSHeap, BlocksAre32ByteAlignedAndBoundedByTheHeapSize)
{
    static uint8_t range[1024];
    OSInitAlloc(OSGetArenaLo(), OSGetArenaHi(), 4);
    static const OSHeapHandle heap = OSCreateHeap(range, range + sizeof(range));  // heaps are never destroyed
    ASSERT_GE(heap, 0);
    struct Row {
        uint32_t size;
        bool fits;
        const char* why;
    };
    const Row rows[] = {
        {1, true, "rounded up to 32"},
        {33, true, "rounded up to 64"},
        {900, true, "32 + 64 + 928 = 1024: exactly full"},
        {1, false, "nothing left"},
    };
    void* blocks[4] = {};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(rows[i].why);
        blocks[i] = OSAllocFromHeap(heap, rows[i].size);
        EXPECT_EQ(blocks[i] != nullptr, rows[i].fits);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(blocks[i]) % 32, 0u);
    }
    OSFreeToHeap(heap, blocks[1]);
    void* again = OSAllocFromHeap(heap, 64);
    EXPECT_NE(again, nullptr) << "a freed block's room is usable again";
    OSFreeToHeap(heap, again);
    OSFreeToHeap(heap, blocks[0]);
    OSFreeToHeap(heap, blocks[2]);
    OSFreeToHeap(heap, nullptr);
    EXPECT_EQ(OSAllocFromHeap(-1, 16), nullptr);
    EXPECT_EQ(OSAllocFromHeap(99, 16), nullptr);
}

TEST(OSTime, ClockValuesOfTheConsole)
{
    EXPECT_EQ(OSMillisecondsToTicks(1000), 40500000);
    EXPECT_EQ(os::HostTicksToNanoseconds(81), 2000);
    EXPECT_EQ(os::HostTicksToNanoseconds(40500000), 1000000000);
}

TEST(OSTime, RealClockIsMonotonic)
{
    OSTime last = OSGetTime();
    for (int i = 0; i < 1000; ++i) {
        const OSTime now = OSGetTime();
        ASSERT_GE(now, last);
        last = now;
    }
    OSSleepTicks(OSMillisecondsToTicks(2));
    EXPECT_GE(OSGetTime() - last, OSMillisecondsToTicks(2));
}

namespace {
struct ResetCall {
    int nCalls = 0;
    int reset = -1;
    uint32_t code = 0;
    BOOL menu = FALSE;
    uint8_t region[OS_SAVE_REGION_SIZE] = {};
};
ResetCall s_reset;
void RecordReset(int reset, uint32_t code, BOOL menu, const uint8_t* region)
{
    ++s_reset.nCalls;
    s_reset.reset = reset;
    s_reset.code = code;
    s_reset.menu = menu;
    std::memcpy(s_reset.region, region, OS_SAVE_REGION_SIZE);
}
}  // namespace

TEST(OSReset, SoftResetHandsOverTheRegionAndHardResetDoesNot)
{
    uint8_t region[OS_SAVE_REGION_SIZE];
    for (uint32_t i = 0; i < OS_SAVE_REGION_SIZE; ++i)
        region[i] = static_cast<uint8_t>(i * 7 + 1);
    OSSetSaveRegion(region, region + OS_SAVE_REGION_SIZE);
    s_reset = ResetCall{};
    OSTestSetResetHandler(RecordReset);
    OSResetSystem(0, 1, FALSE);
    EXPECT_EQ(s_reset.nCalls, 1);
    EXPECT_EQ(s_reset.code, 1u);
    EXPECT_EQ(std::memcmp(s_reset.region, region, OS_SAVE_REGION_SIZE), 0);

    OSResetSystem(1, 0, TRUE);
    EXPECT_EQ(s_reset.menu, TRUE);
    const uint8_t zeros[OS_SAVE_REGION_SIZE] = {};
    EXPECT_EQ(std::memcmp(s_reset.region, zeros, OS_SAVE_REGION_SIZE), 0);
    OSTestSetResetHandler(nullptr);
    OSSetSaveRegion(nullptr, nullptr);
}

namespace {

constexpr char kResetMagic[] = "qm-soft-reset";
constexpr int kRegionArrived = 42;
constexpr int kRegionDamaged = 43;

uint8_t ResetPattern(uint32_t i)
{
    return static_cast<uint8_t>(i * 13 + 5);
}

[[maybe_unused]] const bool s_bCheckedResetRun = [] {
    OSInit();
    const uint8_t* saved = OSGetSavedRegionContents();
    if (std::memcmp(saved, kResetMagic, sizeof(kResetMagic)) != 0)
        return false;
    for (uint32_t i = sizeof(kResetMagic); i < OS_SAVE_REGION_SIZE; ++i) {
        if (saved[i] != ResetPattern(i))
            _exit(kRegionDamaged);
    }
    _exit(kRegionArrived);
}();

}  // namespace

TEST(OSReset, SoftResetRestartsTheProgramWithTheRegion)
{
    static uint8_t region[OS_SAVE_REGION_SIZE];
    std::memcpy(region, kResetMagic, sizeof(kResetMagic));
    for (uint32_t i = sizeof(kResetMagic); i < OS_SAVE_REGION_SIZE; ++i)
        region[i] = ResetPattern(i);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        OSTestSetResetHandler(nullptr);
        OSSetSaveRegion(region, region + OS_SAVE_REGION_SIZE);
        OSResetSystem(0, 1, FALSE);
        _exit(1);  // not reached: the program runs again
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kRegionArrived);
}

namespace {

constexpr char kMenuResetEnv[] = "QM_TEST_MENU_RESET";
constexpr int kQuitAsked = 44;  // the reset returned with the program asked to end

[[maybe_unused]] const bool s_bCheckedMenuResetRun = [] {
    if (!std::getenv(kMenuResetEnv))
        return false;
    OSInit();
    const BOOL before = VIQuitRequested();
    OSResetSystem(1, 0, TRUE);
    _exit(!before && VIQuitRequested() ? kQuitAsked : 1);
}();

}  // namespace

// The reset returns, and the program's loops see the request to end, so the
// program goes through its normal shutdown instead of leaving on the spot.
TEST(OSReset, MenuResetAsksTheProgramToEndAndSaysSo)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(fds[1], 2);
        setenv(kMenuResetEnv, "1", 1);
        execl("/proc/self/exe", "qm_platform_tests", "--gtest_filter=-*", static_cast<char*>(nullptr));
        _exit(1);
    }
    close(fds[1]);
    std::string log;
    char buf[256];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;)
        log.append(buf, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kQuitAsked);
    EXPECT_NE(log.find("OS: return to the system menu: the program ends\n"), std::string::npos) << log;
}

TEST(OSReset, SavedRegionTextRoundTripsAndRejectsDamage)
{
    uint8_t bytes[OS_SAVE_REGION_SIZE];
    for (uint32_t i = 0; i < OS_SAVE_REGION_SIZE; ++i)
        bytes[i] = static_cast<uint8_t>(255 - i);
    const std::string text = os::EncodeSavedRegion(bytes, OS_SAVE_REGION_SIZE);
    ASSERT_EQ(text.size(), 256u);
    EXPECT_EQ(text.substr(0, 6), "fffefd");
    uint8_t back[OS_SAVE_REGION_SIZE] = {};
    ASSERT_TRUE(os::DecodeSavedRegion(text.c_str(), back));
    EXPECT_EQ(std::memcmp(back, bytes, OS_SAVE_REGION_SIZE), 0);

    uint8_t untouched[OS_SAVE_REGION_SIZE] = {};
    std::string bad = text;
    bad[100] = 'g';
    for (const std::string& damaged : {bad, text.substr(0, 254), text + "00"})
        EXPECT_FALSE(os::DecodeSavedRegion(damaged.c_str(), untouched));
    EXPECT_FALSE(os::DecodeSavedRegion(nullptr, untouched));
    EXPECT_EQ(untouched[0], 0) << "a rejected text leaves the output alone";
}

TEST(OSSettings, DefaultsWriteAndReadBack)
{
    TempDir dir("qm_os");
    const std::filesystem::path folder = std::filesystem::path(dir.Path()) / "nested" / "quillmere";
    OSTestSetSettingsDir(folder.c_str());
    EXPECT_EQ(OSGetProgressiveMode(), 0u);
    EXPECT_EQ(OSGetSoundMode(), OS_SOUND_MODE_STEREO);
    EXPECT_FALSE(std::filesystem::exists(folder / "settings")) << "reading alone writes nothing";

    OSSetProgressiveMode(5);  // any non-zero value is "on"
    OSSetSoundMode(OS_SOUND_MODE_MONO);
    EXPECT_EQ(ReadFile(folder / "settings"), "progressive=1\nsoundmode=0\n");

    OSTestSetSettingsDir(folder.c_str());  // read afresh
    EXPECT_EQ(OSGetProgressiveMode(), 1u);
    EXPECT_EQ(OSGetSoundMode(), OS_SOUND_MODE_MONO);
    OSTestSetSettingsDir(nullptr);
}

TEST(OSSettings, DamagedLinesKeepTheDefaults)
{
    TempDir dir("qm_os");
    std::ofstream(std::filesystem::path(dir.Path()) / "settings") << "garbage\nsoundmode=7\nprogressive=\nvolume=3\nprogressive=1";
    OSTestSetSettingsDir(dir.c_str());
    EXPECT_EQ(OSGetProgressiveMode(), 1u);
    EXPECT_EQ(OSGetSoundMode(), OS_SOUND_MODE_STEREO);
    OSTestSetSettingsDir(nullptr);
}

// Only a regular file of at most 4 KiB is read, and at once: a pipe (which
// would wait for a writer), an endless device, a folder and a file a byte
// too long leave the defaults.
TEST(OSSettings, OnlyARegularFileOfAtMost4KiBIsRead)
{
    const std::string setting = "progressive=1\n";
    const struct {
        const char* sName;
        std::function<void(const std::string& path)> make;
        uint32_t nProgressive;
    } rows[] = {
        {"pipe", [](const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }, 0},
        {"endless device", [](const std::string& path) { std::filesystem::create_symlink("/dev/zero", path); }, 0},
        {"folder", [](const std::string& path) { std::filesystem::create_directory(path); }, 0},
        {"a byte over 4 KiB",
         [&](const std::string& path) { std::ofstream(path) << setting << std::string(4097 - setting.size(), ' '); }, 0},
        {"4 KiB",
         [&](const std::string& path) { std::ofstream(path) << setting << std::string(4095 - setting.size(), ' ') << '\n'; },
         1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sName);
        TempDir dir("qm_os");
        row.make(dir.File("settings"));
        OSTestSetSettingsDir(dir.c_str());
        EXPECT_EQ(WithinDeadline("reading the settings", [] { return OSGetProgressiveMode(); }, std::chrono::seconds(3)),
                  row.nProgressive);
        EXPECT_EQ(OSGetSoundMode(), OS_SOUND_MODE_STEREO);
    }
    OSTestSetSettingsDir(nullptr);
}

TEST(OSSettings, FolderFollowsXdgDataHome)
{
    const char* old = std::getenv("XDG_DATA_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_DATA_HOME", "/tmp/qm-xdg", 1);
    EXPECT_EQ(os::SettingsFilePath(), "/tmp/qm-xdg/quillmere/settings");
    if (old)
        setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
}
