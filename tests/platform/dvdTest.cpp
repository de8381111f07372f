#include "platform/dvd.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "../test/dvd_test.h"
#include "platform/os.h"
#include "tempDir.h"
#include "testDeadline.h"

namespace fs = std::filesystem;

namespace {

class DVDTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.Valid());
        fs::create_directories(m_dir / "Game" / "Act01");
        m_bytes.resize(100);
        for (size_t i = 0; i < m_bytes.size(); ++i)
            m_bytes[i] = static_cast<char>(i + 1);
        std::ofstream(m_dir / "Game" / "Act01" / "Map01.map", std::ios::binary)
            .write(m_bytes.data(), static_cast<std::streamsize>(m_bytes.size()));
        DVDSetDataDirectory(m_dir.c_str());
        DVDInit();
    }
    void TearDown() override
    {
        DVDTestHoldDrive(false);
        DVDTestSetTransferDelay(0);
        OSSetVirtualClock(FALSE);
        DVDTestClearDriveStatus();
        DVDSetDataDirectory("");
    }
    static int32_t WaitFor(const DVDCommandBlock* block)
    {
        int32_t state;
        for (int i = 0; i < 40000; ++i) {
            state = DVDGetCommandBlockStatus(block);
            if (state != DVD_STATE_BUSY && state != DVD_STATE_WAITING)
                break;
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
        return state;
    }

    TempDir m_tmp{"qm_dvd"};
    fs::path m_dir = m_tmp.Path();
    std::vector<char> m_bytes;
};

TEST_F(DVDTest, OpensConsolePathsWithoutRegardToCase)
{
    const struct { const char* path; bool opens; } rows[] = {
        {"/Game/Act01/Map01.map", true},
        {"/GAME/act01/MAP01.MAP", true},
        {"Game//Act01/./Map01.map", true},
        {"/Game/Act01/Map02.map", false},
        {"/Game/Act01", false},                   // a directory is not a file
        {"/Game/Act01/../Act01/Map01.map", false},  // never climbs
        {"", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        DVDFileInfo fi;
        ASSERT_EQ(DVDOpen(row.path, &fi), row.opens ? TRUE : FALSE);
        if (row.opens) {
            EXPECT_EQ(fi.length, 100u);
            EXPECT_EQ(DVDClose(&fi), TRUE);
        }
    }
}

// A pipe or a device under a file's name is no file: it is refused at once
// (opening a pipe would wait for a writer for ever), and it does not exist.
TEST_F(DVDTest, APipeOrADeviceUnderAFilesNameIsRefusedWithoutWaiting)
{
    ASSERT_EQ(::mkfifo((m_dir / "Game" / "Act01" / "Map02.map").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", m_dir / "Game" / "Act01" / "Map03.map");
    for (const char* path : {"/Game/Act01/Map02.map", "/GAME/ACT01/MAP02.MAP", "/Game/Act01/Map03.map"}) {
        SCOPED_TRACE(path);
        DVDFileInfo fi;
        EXPECT_EQ(WithinDeadline("DVDOpen of a pipe", [&] { return DVDOpen(path, &fi); }), FALSE);
        EXPECT_EQ(DVDFileExists(path), FALSE);
    }
    EXPECT_EQ(DVDFileExists("/Game/Act01/Map01.map"), TRUE);
}

// A disc file's length is 31 bits: a (sparse) host file of 2 GiB less a
// byte opens, one a byte longer does not.
TEST_F(DVDTest, TheLongestFileIsTwoGiBLessAByte)
{
    const struct {
        const char* sName;
        uintmax_t nBytes;
        bool bOpens;
    } rows[] = {
        {"2 GiB less a byte", INT32_MAX, true},
        {"2 GiB", uintmax_t{INT32_MAX} + 1, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sName);
        std::ofstream(m_dir / "Game" / "Big.bin");
        fs::resize_file(m_dir / "Game" / "Big.bin", row.nBytes);
        DVDFileInfo fi;
        ASSERT_EQ(DVDOpen("/Game/Big.bin", &fi), row.bOpens ? TRUE : FALSE);
        if (row.bOpens) {
            EXPECT_EQ(fi.length, uint32_t{INT32_MAX});
            DVDClose(&fi);
        }
    }
}

std::atomic<int> g_calls{0};
std::atomic<int32_t> g_lastResult{0};
void RecordResult(int32_t result, DVDFileInfo*)
{
    g_lastResult = result;
    ++g_calls;
}
bool WaitForCalls(int n)
{
    for (int i = 0; i < 40000 && g_calls < n; ++i)
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    return g_calls == n;
}

TEST_F(DVDTest, ReadsAsynchronouslyAndPadsTheLastBlockWithZeros)
{
    DVDFileInfo fi;
    ASSERT_TRUE(DVDOpen("/Game/Act01/Map01.map", &fi));
    g_calls = 0;
    std::vector<uint8_t> buf(128, 0xEE);
    DVDTestResetReadCount();
    ASSERT_TRUE(DVDReadAsyncPrio(&fi, buf.data(), 64, 64, RecordResult, 2));
    EXPECT_EQ(WaitFor(&fi.cb), DVD_STATE_END);
    ASSERT_TRUE(WaitForCalls(1));
    EXPECT_EQ(DVDTestGetReadCount(), 1u);
    DVDTestResetReadCount();
    EXPECT_EQ(DVDTestGetReadCount(), 0u);
    EXPECT_EQ(g_lastResult, 64);
    EXPECT_EQ(fi.cb.transferredSize, 64);
    EXPECT_EQ(buf[0], 65);
    EXPECT_EQ(buf[35], 100);
    EXPECT_EQ(buf[36], 0);
    EXPECT_EQ(buf[63], 0);
    EXPECT_EQ(buf[64], 0xEE);  // nothing past the request
    DVDClose(&fi);
}

TEST_F(DVDTest, RefusesRequestsBeyondThePaddedEndOrWhilePending)
{
    DVDFileInfo fi;
    ASSERT_TRUE(DVDOpen("/Game/Act01/Map01.map", &fi));
    std::vector<uint8_t> buf(256);
    EXPECT_FALSE(DVDReadAsyncPrio(&fi, buf.data(), 64, 96, nullptr, 2));
    EXPECT_FALSE(DVDReadAsyncPrio(&fi, buf.data(), -32, 0, nullptr, 2));
    EXPECT_FALSE(DVDReadAsyncPrio(&fi, buf.data(), 32, -32, nullptr, 2));
    DVDTestHoldDrive(true);
    ASSERT_TRUE(DVDReadAsyncPrio(&fi, buf.data(), 32, 0, nullptr, 2));
    EXPECT_EQ(DVDGetCommandBlockStatus(&fi.cb), DVD_STATE_WAITING);
    EXPECT_FALSE(DVDReadAsyncPrio(&fi, buf.data(), 32, 32, nullptr, 2));
    DVDTestHoldDrive(false);
    EXPECT_EQ(WaitFor(&fi.cb), DVD_STATE_END);
    DVDClose(&fi);
    EXPECT_FALSE(DVDReadAsyncPrio(&fi, buf.data(), 32, 0, nullptr, 2));
}

TEST_F(DVDTest, CancelledReadNeverCallsBackNorWrites)
{
    DVDFileInfo fi;
    ASSERT_TRUE(DVDOpen("/Game/Act01/Map01.map", &fi));
    g_calls = 0;
    std::vector<uint8_t> buf(32, 0xEE);
    DVDTestHoldDrive(true);
    ASSERT_TRUE(DVDReadAsyncPrio(&fi, buf.data(), 32, 0, RecordResult, 2));
    EXPECT_TRUE(DVDCancel(&fi.cb));
    EXPECT_EQ(DVDGetCommandBlockStatus(&fi.cb), DVD_STATE_CANCELED);
    EXPECT_EQ(fi.cb.canceled, 1);
    DVDTestHoldDrive(false);
    ASSERT_TRUE(DVDReadAsyncPrio(&fi, buf.data(), 32, 32, RecordResult, 2));
    EXPECT_EQ(WaitFor(&fi.cb), DVD_STATE_END);
    EXPECT_TRUE(WaitForCalls(1));
    EXPECT_EQ(fi.cb.canceled, 0);  // queued again: no longer marked
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(g_calls, 1);  // the cancelled read never called back
    EXPECT_EQ(buf[0], 33);
    DVDClose(&fi);
}

TEST_F(DVDTest, CancellingABusyReadDropsItsCompletion)
{
    DVDFileInfo fi;
    ASSERT_TRUE(DVDOpen("/Game/Act01/Map01.map", &fi));
    g_calls = 0;
    std::vector<uint8_t> buf(32, 0xEE);
    const BOOL level = OSDisableInterrupts();
    ASSERT_TRUE(DVDReadAsyncPrio(&fi, buf.data(), 32, 0, RecordResult, 2));
    for (int i = 0; i < 40000 && DVDGetCommandBlockStatus(&fi.cb) != DVD_STATE_BUSY; ++i)
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    ASSERT_EQ(DVDGetCommandBlockStatus(&fi.cb), DVD_STATE_BUSY);
    EXPECT_TRUE(DVDCancel(&fi.cb));
    EXPECT_EQ(DVDGetCommandBlockStatus(&fi.cb), DVD_STATE_CANCELED);
    OSRestoreInterrupts(level);
    DVDTestWaitIdle();
    EXPECT_EQ(DVDGetCommandBlockStatus(&fi.cb), DVD_STATE_CANCELED);
    EXPECT_EQ(g_calls, 0);
    EXPECT_EQ(buf[0], 0xEE);
    ASSERT_TRUE(DVDReadAsyncPrio(&fi, buf.data(), 32, 32, RecordResult, 2));
    EXPECT_EQ(WaitFor(&fi.cb), DVD_STATE_END);
    EXPECT_TRUE(WaitForCalls(1));
    EXPECT_EQ(buf[0], 33);
    DVDClose(&fi);
}

TEST_F(DVDTest, AHostReadErrorIsAFatalErrorWithNothingTransferred)
{
    DVDFileInfo fi;
    ASSERT_TRUE(DVDOpen("/Game/Act01/Map01.map", &fi));
    ::close(fi.hostFd);
    fi.hostFd = ::open(m_dir.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fi.hostFd, 0);
    g_calls = 0;
    std::vector<uint8_t> buf(32, 0xEE);
    ASSERT_TRUE(DVDReadAsyncPrio(&fi, buf.data(), 32, 0, RecordResult, 2));
    EXPECT_EQ(WaitFor(&fi.cb), DVD_STATE_FATAL_ERROR);
    ASSERT_TRUE(WaitForCalls(1));
    EXPECT_EQ(g_lastResult, DVD_RESULT_FATAL_ERROR);
    EXPECT_EQ(fi.cb.transferredSize, 0);
    EXPECT_EQ(buf[0], 0xEE);
    DVDClose(&fi);
}

uint8_t g_chainBuf[64];
void ChainNext(int32_t result, DVDFileInfo* fi)
{
    if (g_calls == 0)
        DVDReadAsyncPrio(fi, g_chainBuf + 32, 32, 32, ChainNext, 2);
    RecordResult(result, fi);
}

TEST_F(DVDTest, CallbackMayStartTheNextRead)
{
    DVDFileInfo fi;
    ASSERT_TRUE(DVDOpen("/game/act01/map01.map", &fi));
    g_calls = 0;
    ASSERT_TRUE(DVDReadAsyncPrio(&fi, g_chainBuf, 32, 0, ChainNext, 2));
    ASSERT_TRUE(WaitForCalls(2));
    EXPECT_EQ(g_chainBuf[0], 1);
    EXPECT_EQ(g_chainBuf[63], 64);
    DVDClose(&fi);
}

std::atomic<std::thread::id> g_callbackThread;
void RecordThread(int32_t, DVDFileInfo*)
{
    g_callbackThread = std::this_thread::get_id();
    ++g_calls;
}

TEST_F(DVDTest, ServingNowTakesOnlyAPlainRequestTheDriveMayStart)
{
    const struct { const char* name; bool bHold; bool bCallback; } rows[] = {
        {"held drive", true, false},
        {"request with a callback", false, true},
        {"plain request", false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        DVDFileInfo fi;
        ASSERT_TRUE(DVDOpen("/Game/Act01/Map01.map", &fi));
        g_calls = 0;
        g_callbackThread = std::thread::id();
        std::vector<uint8_t> buf(32, 0xEE);
        DVDTestHoldDrive(row.bHold);
        ASSERT_TRUE(DVDReadAsyncPrio(&fi, buf.data(), 32, 32, row.bCallback ? RecordThread : nullptr, 2));
        DVDServeNow(&fi.cb);
        if (row.bHold) {
            EXPECT_EQ(DVDGetCommandBlockStatus(&fi.cb), DVD_STATE_WAITING);
            EXPECT_EQ(buf[0], 0xEE);
            DVDTestHoldDrive(false);
        }
        EXPECT_EQ(WaitFor(&fi.cb), DVD_STATE_END);
        EXPECT_EQ(fi.cb.transferredSize, 32);
        EXPECT_EQ(buf[0], 33);
        EXPECT_EQ(buf[31], 64);
        if (row.bCallback) {
            // Callbacks run at interrupt time on the drive, never in the reader.
            ASSERT_TRUE(WaitForCalls(1));
            EXPECT_NE(g_callbackThread.load(), std::this_thread::get_id());
        }
        DVDClose(&fi);
    }
}

TEST_F(DVDTest, DriveStatusFollowsTheDataDirectory)
{
    EXPECT_EQ(DVDGetDriveStatus(), DVD_STATE_END);
    DVDSetDataDirectory((m_dir / "missing").c_str());
    EXPECT_EQ(DVDGetDriveStatus(), DVD_STATE_NO_DISK);
    DVDFileInfo fi;
    EXPECT_FALSE(DVDOpen("/Game/Act01/Map01.map", &fi));
    DVDSetDataDirectory((m_dir.string() + "/").c_str());
    EXPECT_EQ(DVDGetDriveStatus(), DVD_STATE_END);
    DVDTestSetDriveStatus(DVD_STATE_COVER_OPEN);
    EXPECT_EQ(DVDGetDriveStatus(), DVD_STATE_COVER_OPEN);
    DVDTestClearDriveStatus();
    EXPECT_EQ(DVDGetDriveStatus(), DVD_STATE_END);
}

std::atomic<OSTime> g_completedAt{0};
void RecordTime(int32_t result, DVDFileInfo* fi)
{
    g_completedAt = OSGetTime();
    RecordResult(result, fi);
}

// A slow drive: on the virtual clock the first poll already finds the read
// done, data and callback included; in real time it finds it pending.
TEST_F(DVDTest, OnTheVirtualClockAPollWaitsForTheTransfer)
{
    const struct {
        const char* name;
        bool bVirtual;
        bool bDoneAtFirstPoll;
    } rows[] = {
        {"virtual clock", true, true},
        {"real time", false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        OSSetVirtualClock(row.bVirtual ? TRUE : FALSE);
        DVDTestSetTransferDelay(20000);
        DVDFileInfo fi;
        ASSERT_TRUE(DVDOpen("/Game/Act01/Map01.map", &fi));
        g_calls = 0;
        std::vector<uint8_t> buf(32, 0xEE);
        ASSERT_TRUE(DVDReadAsyncPrio(&fi, buf.data(), 32, 32, RecordResult, 2));
        const int32_t first = DVDGetCommandBlockStatus(&fi.cb);
        const int calls = g_calls;
        EXPECT_EQ(first == DVD_STATE_END, row.bDoneAtFirstPoll) << first;
        EXPECT_EQ(calls == 1 && buf[0] == 33, row.bDoneAtFirstPoll);
        EXPECT_EQ(WaitFor(&fi.cb), DVD_STATE_END);
        EXPECT_TRUE(WaitForCalls(1));
        DVDClose(&fi);
    }
}

// Virtual time does not pass a read in flight: a sleep started after the
// request ends after its completion, which happened at the request's time.
// A drive held by a test is a stalled disc: time goes on meanwhile; a
// request cancelled while queued holds the clock no longer.
TEST_F(DVDTest, VirtualClockStandsStillWhileAReadIsPending)
{
    OSSetVirtualClock(TRUE);
    DVDTestSetTransferDelay(20000);
    DVDFileInfo fi;
    ASSERT_TRUE(DVDOpen("/Game/Act01/Map01.map", &fi));
    g_calls = 0;
    g_completedAt = -1;
    std::vector<uint8_t> buf(32);
    const OSTime t0 = OSGetTime();
    ASSERT_TRUE(DVDReadAsyncPrio(&fi, buf.data(), 32, 0, RecordTime, 2));
    WithinDeadline("a sleep past a pending read", [] { OSSleepTicks(1000); });
    EXPECT_EQ(g_completedAt, t0);
    EXPECT_EQ(OSGetTime(), t0 + 1000);

    DVDTestHoldDrive(true);
    ASSERT_TRUE(DVDReadAsyncPrio(&fi, buf.data(), 32, 32, RecordTime, 2));
    EXPECT_EQ(DVDGetCommandBlockStatus(&fi.cb), DVD_STATE_WAITING);  // held: no wait
    WithinDeadline("a sleep while the drive is held", [] { OSSleepTicks(1000); });
    EXPECT_EQ(OSGetTime(), t0 + 2000);
    EXPECT_TRUE(DVDCancel(&fi.cb));
    DVDTestHoldDrive(false);
    WithinDeadline("a sleep after a cancelled read", [] { OSSleepTicks(1000); });
    EXPECT_EQ(OSGetTime(), t0 + 3000);
    DVDClose(&fi);
}

void SlowCompletion(int32_t, DVDFileInfo*)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ++g_calls;
}

// While a completion callback runs, its read is not settled and the drive
// takes no other transfer: on the virtual clock a poll of that read waits
// for the callback, and a reader asking to be served at once is left to the
// drive, which serves it after the callback.
TEST_F(DVDTest, WhileACompletionRunsItsReadIsNotSettledAndNothingElseIsServed)
{
    const struct {
        const char* name;
        bool bServeOther;
        int nCallsAfter;  // completions run when the call returns
    } rows[] = {
        {"a poll of the read", false, 1},
        {"another reader served at once", true, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        OSSetVirtualClock(TRUE);
        DVDTestSetTransferDelay(20000);  // the other read is still under way when the callback ends
        DVDFileInfo fi, other;
        ASSERT_TRUE(DVDOpen("/Game/Act01/Map01.map", &fi));
        ASSERT_TRUE(DVDOpen("/Game/Act01/Map01.map", &other));
        g_calls = 0;
        std::vector<uint8_t> buf(32), otherBuf(32);
        ASSERT_TRUE(DVDReadAsyncPrio(&fi, buf.data(), 32, 0, SlowCompletion, 2));
        std::atomic_ref<int32_t> state(fi.cb.state);
        WithinDeadline("the transfer", [&] {
            while (state.load() != DVD_STATE_END)
                std::this_thread::yield();
        });
        if (row.bServeOther) {
            ASSERT_TRUE(DVDReadAsyncPrio(&other, otherBuf.data(), 32, 32, nullptr, 2));
            DVDServeNow(&other.cb);
        } else {
            EXPECT_EQ(DVDGetCommandBlockStatus(&fi.cb), DVD_STATE_END);
        }
        EXPECT_EQ(g_calls.load(), row.nCallsAfter);
        if (row.bServeOther) {
            EXPECT_EQ(std::atomic_ref<int32_t>(other.cb.state).load(), DVD_STATE_WAITING);
        }
        DVDTestWaitIdle();  // the callback, then the other read
        EXPECT_EQ(g_calls.load(), 1);
        if (row.bServeOther) {
            EXPECT_EQ(std::atomic_ref<int32_t>(other.cb.state).load(), DVD_STATE_END);
            EXPECT_EQ(otherBuf[0], 33);
        }
        DVDClose(&other);
        DVDClose(&fi);
        OSSetVirtualClock(FALSE);
    }
}

}  // namespace
