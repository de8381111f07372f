#include "eEngine/eMemCard.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <random>
#include <utility>
#include <vector>

#include <unistd.h>

#include "platform/ps.h"
#include "../test/card_test.h"
#include "../test/os_test.h"
#include "cCore/cCoreServices.h"
#include "cCore/cLog.h"
#include "eEngine/eMemCardPlatform.h"
#include "tempDir.h"

namespace {

constexpr const char* kName = "QuillmereSave";
constexpr int kVersion = 16;

std::vector<uint8_t> Payload(size_t size, uint8_t seed)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(seed + i * 13);
    return bytes;
}

class eMemCardTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.Valid());
        CARDTestSetRoot(m_root.c_str());
        eMemCard::Initialize("Quillmere Test", "Maker");
        eMemCard::SetSlot(0);
        std::vector<uint8_t> icon(eMemCard::kIconSize);
        for (size_t i = 0; i < icon.size(); ++i)
            icon[i] = static_cast<uint8_t>(255 - i);
        eMemCard::SetIconData(icon.data(), static_cast<int>(icon.size()));
        eMemCardPlatform::s_nCurMagicNum = 0;
        eMemCardPlatform::s_nSlotFlags[0] = eMemCardPlatform::s_nSlotFlags[1] = 0;
        m_previousLog = cLogSetCallback(
            [](void* p, cLogType type, const char* text) {
                if (type == LOGTYPE_WARNING)
                    static_cast<std::vector<std::string>*>(p)->push_back(text);
            },
            &m_warnings);
    }
    void TearDown() override
    {
        cLogSetCallback(m_previousLog, nullptr);
        CARDTestSetRoot(nullptr);
    }
    // The warnings logged since the last call.
    std::vector<std::string> TakeWarnings() { return std::exchange(m_warnings, {}); }
    std::string FilePath() const { return std::string(CARDTestSlotFolder(0)) + "/" + kName + ".dat"; }
    std::vector<uint8_t> ReadCardFile() const
    {
        std::ifstream in(FilePath(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void WriteCardFile(const std::vector<uint8_t>& bytes) const
    {
        std::ofstream(FilePath(), std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    bool Mounted() const
    {
        CARDFileInfo info;
        return CARDOpen(CARD_SLOT_A, "anything", &info) != CARD_RESULT_NOCARD;
    }
    TempDir m_tmp{"qm_memcard"};
    std::string m_root = m_tmp.Path();
    std::vector<std::string> m_warnings;
    cLogFunc m_previousLog = nullptr;
};

const std::string kCorruptedWarning = "eMemCard: the save \"QuillmereSave\" could not be loaded: Corrupted Save-File";

TEST_F(eMemCardTest, SaveWritesTheFileLayoutAndLoadReadsItBack)
{
    const std::vector<uint8_t> payload = Payload(3040, 7);
    eMemCard::Save(kName, kVersion, payload.data(), 3040, false);
    ASSERT_EQ(eMemCard::s_status, eMemCard::STATUS_READY);
    EXPECT_FALSE(Mounted());

    const std::vector<uint8_t> file = ReadCardFile();
    ASSERT_EQ(file.size(), 8192u);
    std::vector<uint8_t> zeroedCrc = file;
    ps::StoreU32BE(zeroedCrc.data(), 0);
    EXPECT_EQ(ps::LoadU32BE(&file[0]), cCalcCRC32(zeroedCrc.data(), 8192));
    EXPECT_EQ(ps::LoadU32BE(&file[4]), eMemCardPlatform::s_nCurMagicNum);
    EXPECT_EQ(ps::LoadU32BE(&file[8]), 16u);
    EXPECT_EQ(ps::LoadU32BE(&file[12]), 3040u);
    EXPECT_EQ(file[0x10], 255);
    EXPECT_EQ(file[0x10 + 2047], 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[0x810])), "Quillmere Test\n");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[0x830])), "Maker\n");
    EXPECT_TRUE(std::equal(payload.begin(), payload.end(), file.begin() + 0x850));
    EXPECT_TRUE(std::all_of(file.begin() + 0x850 + 3040, file.end(), [](uint8_t b) { return b == 0; }));

    CARDFileInfo info;
    CARDMountAsync(CARD_SLOT_A, eMemCardPlatform::s_workArea, nullptr, nullptr);
    ASSERT_EQ(CARDOpen(CARD_SLOT_A, kName, &info), CARD_RESULT_READY);
    CARDStat stat;
    ASSERT_EQ(CARDGetStatus(CARD_SLOT_A, info.fileNo, &stat), CARD_RESULT_READY);
    EXPECT_EQ(stat.bannerFormat, 0);
    EXPECT_EQ(stat.iconAddr, 0x10u);
    EXPECT_EQ(stat.iconFormat, 2);  // icon 0 RGB5A3
    EXPECT_EQ(stat.iconSpeed, 3);   // icon 0 slow, icon 1 ends the animation
    EXPECT_EQ(stat.commentAddr, 0x810u);
    CARDUnmount(CARD_SLOT_A);

    const uint32_t saved = eMemCardPlatform::s_nCurMagicNum;
    eMemCardPlatform::s_nCurMagicNum = 0;
    std::vector<uint8_t> back(3040);
    eMemCard::Load(kName, kVersion, back.data(), 3040);
    EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_READY);
    EXPECT_EQ(back, payload);
    EXPECT_EQ(eMemCardPlatform::s_nCurMagicNum, saved);
    EXPECT_FALSE(Mounted());
    EXPECT_TRUE(TakeWarnings().empty());
}

TEST_F(eMemCardTest, EveryChangedByteOrHeaderMismatchIsACorruptedSaveFile)
{
    const std::vector<uint8_t> payload = Payload(100, 1);
    eMemCard::Save(kName, kVersion, payload.data(), 100, false);
    const std::vector<uint8_t> good = ReadCardFile();
    struct Row { const char* name; size_t offset; int version, size; };
    const Row rows[] = {
        {"CRC word", 0, kVersion, 100},       {"per-save number", 5, kVersion, 100},
        {"payload", 0x850, kVersion, 100},    {"unused tail", 8191, kVersion, 100},
        {"other version", SIZE_MAX, 15, 100}, {"other size", SIZE_MAX, kVersion, 99},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<uint8_t> file = good;
        if (row.offset != SIZE_MAX)
            file[row.offset] ^= 1;
        WriteCardFile(file);
        std::vector<uint8_t> buffer(100, 0xAB);
        eMemCard::Load(kName, row.version, buffer.data(), row.size);
        EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_CORRUPTED_SAVEFILE);
        EXPECT_EQ(buffer, std::vector<uint8_t>(100, 0xAB));  // left untouched
        EXPECT_FALSE(Mounted());
        EXPECT_EQ(TakeWarnings(), std::vector<std::string>{kCorruptedWarning});
    }
}

TEST_F(eMemCardTest, CardResultsMapToStatuses)
{
    const struct { int32_t result; eMemCard::eStatus status; } rows[] = {
        {0, eMemCard::STATUS_READY},         {-7, eMemCard::STATUS_READY},
        {-2, eMemCard::STATUS_NOT_A_MEMORY_CARD}, {-3, eMemCard::STATUS_NO_CARD},
        {-4, eMemCard::STATUS_NO_SAVEFILE},  {-5, eMemCard::STATUS_DAMAGED},
        {-6, eMemCard::STATUS_CORRUPTED},    {-8, eMemCard::STATUS_NOT_ENOUGH_SPACE},
        {-9, eMemCard::STATUS_NOT_ENOUGH_SPACE}, {-11, eMemCard::STATUS_NOT_ENOUGH_SPACE},
        {-10, eMemCard::STATUS_NO_FILE_PERMISSION}, {-13, eMemCard::STATUS_WRONG_MARKET},
        {-12, eMemCard::STATUS_FATAL_ERROR}, {-14, eMemCard::STATUS_FATAL_ERROR},
        {-128, eMemCard::STATUS_FATAL_ERROR}, {-99, eMemCard::STATUS_FATAL_ERROR},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.result);
        CARDTestInjectResult(CARD_SLOT_A, CARD_TEST_FORMAT, row.result);
        eMemCard::Format();
        EXPECT_EQ(eMemCard::s_status, row.status);
    }
}

TEST_F(eMemCardTest, FailingStepsStopAndLeaveTheCardUnmounted)
{
    const std::vector<uint8_t> payload = Payload(64, 3);
    eMemCard::Save(kName, kVersion, payload.data(), 64, false);
    // A load warns about a save it found and could not use, and about a
    // damaged card; a save about every failure, naming the file and why.
    const struct {
        const char* name; CARDTestOp op; int32_t result; eMemCard::eStatus status; const char* warning;
    } rows[] = {
        {"probe", CARD_TEST_PROBE, CARD_RESULT_NOCARD, eMemCard::STATUS_NO_CARD, nullptr},
        {"mount", CARD_TEST_MOUNT, CARD_RESULT_WRONGDEVICE, eMemCard::STATUS_NOT_A_MEMORY_CARD, nullptr},
        {"check", CARD_TEST_CHECK, CARD_RESULT_BROKEN, eMemCard::STATUS_CORRUPTED,
         "eMemCard: the save \"QuillmereSave\" could not be loaded: Card Corrupted"},
        {"open", CARD_TEST_OPEN, CARD_RESULT_NOPERM, eMemCard::STATUS_NO_FILE_PERMISSION, nullptr},
        {"read", CARD_TEST_READ, CARD_RESULT_IOERROR, eMemCard::STATUS_DAMAGED,
         "eMemCard: the save \"QuillmereSave\" could not be loaded: Card Damaged"},
        {"write", CARD_TEST_WRITE, CARD_RESULT_INSSPACE, eMemCard::STATUS_NOT_ENOUGH_SPACE, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<uint8_t> buffer(64, 0);
        if (row.op != CARD_TEST_WRITE) {
            CARDTestInjectResult(CARD_SLOT_A, row.op, row.result);
            eMemCard::Load(kName, kVersion, buffer.data(), 64);
            EXPECT_EQ(eMemCard::s_status, row.status);
            EXPECT_EQ(buffer, std::vector<uint8_t>(64, 0));
            EXPECT_FALSE(Mounted());
            EXPECT_EQ(TakeWarnings(), row.warning ? std::vector<std::string>{row.warning} : std::vector<std::string>{});
        }
        CARDTestInjectResult(CARD_SLOT_A, row.op, row.result);
        eMemCard::Save(kName, kVersion, payload.data(), 64, row.op != CARD_TEST_READ);
        EXPECT_EQ(eMemCard::s_status, row.status);
        EXPECT_FALSE(Mounted());
        EXPECT_EQ(TakeWarnings(), std::vector<std::string>{std::string("eMemCard: the save \"QuillmereSave\" could not be written: ") +
                                                           eMemCard::GetStatusText(row.status)});
    }
    std::vector<uint8_t> buffer(64, 0);
    eMemCard::Load(kName, kVersion, buffer.data(), 64);
    EXPECT_EQ(buffer, payload) << "the first save is still whole";
}

// A save cut short on the card is a damaged card: the load says so once,
// naming the file and the status.
TEST_F(eMemCardTest, ASaveCutShortIsRefusedWithAWarning)
{
    const std::vector<uint8_t> payload = Payload(64, 7);
    eMemCard::Save(kName, kVersion, payload.data(), 64, true);
    std::vector<uint8_t> file = ReadCardFile();
    ASSERT_EQ(file.size(), eMemCard::kFileSize);
    file.resize(file.size() - 100);
    WriteCardFile(file);
    std::vector<uint8_t> buffer(64, 0);
    eMemCard::Load(kName, kVersion, buffer.data(), 64);
    EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_CORRUPTED);
    EXPECT_EQ(buffer, std::vector<uint8_t>(64, 0));
    EXPECT_EQ(TakeWarnings(),
              std::vector<std::string>{"eMemCard: the save \"QuillmereSave\" could not be loaded: Card Corrupted"});
}

// A card folder that cannot be written to: the save fails with a warning
// naming the file and the reason, and the old save stays whole.
// A card that takes no more bytes (a full disk: here no file may grow past
// 0 bytes, which holds for root too, where a read-only folder would not).
TEST_F(eMemCardTest, ASaveToAFullCardFailsWithAWarningAndKeepsTheOldSave)
{
    const std::vector<uint8_t> first = Payload(64, 1), second = Payload(64, 2);
    eMemCard::Save(kName, kVersion, first.data(), 64, true);
    ASSERT_EQ(eMemCard::s_status, eMemCard::STATUS_READY);
    struct rlimit before {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    void (*const oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit full = before;
    full.rlim_cur = 0;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &full), 0);
    eMemCard::Save(kName, kVersion, second.data(), 64, true);
    const eMemCard::eStatus status = eMemCard::s_status;
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_NE(status, eMemCard::STATUS_READY);
    const std::vector<std::string> warnings = TakeWarnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], std::string("eMemCard: the save \"QuillmereSave\" could not be written: ") +
                               eMemCard::GetStatusText(status));
    std::vector<uint8_t> buffer(64, 0);
    eMemCard::Load(kName, kVersion, buffer.data(), 64);
    EXPECT_EQ(buffer, first);
}

TEST_F(eMemCardTest, AFailingStatusUpdateKeepsTheWritesSuccess)
{
    const std::vector<uint8_t> payload = Payload(64, 5);
    CARDTestInjectResult(CARD_SLOT_A, CARD_TEST_SET_STATUS, CARD_RESULT_IOERROR);
    eMemCard::Save(kName, kVersion, payload.data(), 64, true);
    EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_READY);
    std::vector<uint8_t> buffer(64, 0);
    eMemCard::Load(kName, kVersion, buffer.data(), 64);
    EXPECT_EQ(buffer, payload);
}

TEST_F(eMemCardTest, BusyCardIsDamagedAfterAHundredPolls)
{
    OSSetVirtualClock(TRUE);  // the polls wait 10 s of virtual time
    CARDTestSetBusyPolls(CARD_SLOT_A, 99);
    eMemCard::Format();
    EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_READY);
    CARDTestSetBusyPolls(CARD_SLOT_A, 100);
    const double start = cGetTimeSeconds();
    eMemCard::Format();
    EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_DAMAGED);
    EXPECT_NEAR(cGetTimeSeconds() - start, 10.0, 0.2);
    CARDTestSetBusyPolls(CARD_SLOT_A, 0);
    OSSetVirtualClock(FALSE);
}

int s_nResetNotifies = 0;
void CountResetNotify() { ++s_nResetNotifies; }

TEST_F(eMemCardTest, ResetPressedDuringAnOperationIsActedOnAfterIt)
{
    s_nResetNotifies = 0;
    cClearResetState();
    const cResetNotifyFunc previous = cSetResetNotify(CountResetNotify);
    OSSetVirtualClock(TRUE);
    OSTestSetResetButton(TRUE);
    CARDTestSetBusyPolls(CARD_SLOT_A, 3);  // the waits check the button
    eMemCard::Format();
    OSTestSetResetButton(FALSE);
    CARDTestSetBusyPolls(CARD_SLOT_A, 3);
    eMemCard::Format();
    EXPECT_EQ(s_nResetNotifies, 0);
    EXPECT_TRUE(cCheckResetState());
    EXPECT_EQ(s_nResetNotifies, 1);
    CARDTestSetBusyPolls(CARD_SLOT_A, 0);
    OSSetVirtualClock(FALSE);
    cSetResetNotify(previous);
    cClearResetState();
}

TEST_F(eMemCardTest, OtherSectorSizeIsNotAMemoryCard)
{
    EXPECT_TRUE(eMemCard::CardPresent());
    CARDTestSetSectorSize(CARD_SLOT_A, 16384);
    EXPECT_FALSE(eMemCard::CardPresent());
    EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_NOT_A_MEMORY_CARD);
}

TEST_F(eMemCardTest, OverwriteOnlyTheFileLastLoadedOrSaved)
{
    const std::vector<uint8_t> first = Payload(32, 1), second = Payload(32, 2);
    eMemCard::Save(kName, kVersion, first.data(), 32, false);
    eMemCard::Save(kName, kVersion, second.data(), 32, false);  // ours: replaced
    EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_READY);
    const std::vector<uint8_t> ours = ReadCardFile();

    eMemCard::Load("missing", kVersion, nullptr, 0);
    EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_NO_SAVEFILE);
    EXPECT_EQ(eMemCardPlatform::s_nCurMagicNum, 0u);
    eMemCard::Save(kName, kVersion, first.data(), 32, false);
    EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_DIFFERENT_CARD);
    EXPECT_EQ(ReadCardFile(), ours);
    EXPECT_FALSE(Mounted());
    eMemCard::Save(kName, kVersion, first.data(), 32, true);
    EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_READY);
    std::vector<uint8_t> back(32);
    eMemCard::Load(kName, kVersion, back.data(), 32);
    EXPECT_EQ(back, first);
}

TEST_F(eMemCardTest, PayloadsTheFileCannotHoldAreRefusedBeforeTheCard)
{
    const std::vector<uint8_t> big = Payload(eMemCard::kPayloadSize + 1, 0);
    eMemCard::Save(kName, kVersion, big.data(), static_cast<int>(big.size()), true);
    EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_NOT_ENOUGH_SPACE);
    EXPECT_FALSE(std::filesystem::exists(FilePath()));
    eMemCard::Save(kName, kVersion, big.data(), -1, true);
    EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_FATAL_ERROR);

    eMemCard::Save(kName, kVersion, big.data(), eMemCard::kPayloadSize, true);  // exactly full
    EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_READY);
    std::vector<uint8_t> back(eMemCard::kPayloadSize + 1, 0x55);
    eMemCard::Load(kName, kVersion, back.data(), static_cast<int>(back.size()));
    EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_FATAL_ERROR);
    EXPECT_EQ(back[0], 0x55);
    eMemCard::Load(kName, kVersion, back.data(), eMemCard::kPayloadSize);
    EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_READY);
    EXPECT_TRUE(std::equal(back.begin(), back.end() - 1, big.begin()));
}

TEST_F(eMemCardTest, DeleteChecksTheCardAgainBeforeDeleting)
{
    eMemCard::Save(kName, kVersion, nullptr, 0, false);
    OSSetVirtualClock(TRUE);
    CARDTestSetBusyPolls(CARD_SLOT_A, 1);
    const double start = cGetTimeSeconds();
    eMemCard::Delete(kName);
    const double elapsed = cGetTimeSeconds() - start;
    CARDTestSetBusyPolls(CARD_SLOT_A, 0);
    OSSetVirtualClock(FALSE);
    EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_READY);
    EXPECT_NEAR(elapsed, 0.5, 0.05);
    EXPECT_FALSE(std::filesystem::exists(FilePath()));
    eMemCard::Delete(kName);
    EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_NO_SAVEFILE);
    EXPECT_FALSE(Mounted());
}

TEST_F(eMemCardTest, BrokenCardOnMountIsChecked)
{
    const std::vector<uint8_t> payload = Payload(64, 5);
    eMemCard::Save(kName, kVersion, payload.data(), 64, false);
    std::ofstream(std::string(CARDTestSlotFolder(0)) + "/Other.dat", std::ios::binary) << std::string(100, 'x');
    for (bool bCheckPasses : {true, false}) {
        SCOPED_TRACE(bCheckPasses);
        if (bCheckPasses)
            CARDTestInjectResult(CARD_SLOT_A, CARD_TEST_CHECK, CARD_RESULT_READY);
        std::vector<uint8_t> back(64, 0);
        eMemCard::Load(kName, kVersion, back.data(), 64);
        EXPECT_EQ(eMemCard::s_status, bCheckPasses ? eMemCard::STATUS_READY : eMemCard::STATUS_CORRUPTED);
        EXPECT_EQ(back == payload, bCheckPasses);
        EXPECT_FALSE(Mounted());
    }
}

TEST_F(eMemCardTest, CardChangedFollowsPresence)
{
    EXPECT_TRUE(eMemCard::CardChanged());  // slot 0 holds a card
    eMemCard::SetSlot(1);
    EXPECT_FALSE(eMemCard::CardChanged());  // still empty, whatever slot 0 holds
    std::filesystem::create_directories(CARDTestSlotFolder(1));
    EXPECT_TRUE(eMemCard::CardChanged());
    EXPECT_FALSE(eMemCard::CardChanged());
    std::filesystem::remove(CARDTestSlotFolder(1));
    EXPECT_TRUE(eMemCard::CardChanged());
    EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_NO_CARD);
}

TEST(eMemCard, SizesIconCommentsAndTexts)
{
    const std::pair<int, int> sizes[] = {{1, 1}, {8192, 1}, {8193, 2}, {0, 0}};  // bytes, blocks
    for (const auto& [bytes, blocks] : sizes)
        EXPECT_EQ(eMemCard::GetSaveSize(bytes), blocks) << bytes;
    std::vector<uint8_t> icon(3000, 9);
    std::memset(eMemCardPlatform::s_iconData, 0, sizeof(eMemCardPlatform::s_iconData));
    eMemCard::SetIconData(icon.data(), 1);
    EXPECT_EQ(eMemCardPlatform::s_iconData[0] + eMemCardPlatform::s_iconData[1], 9);
    eMemCard::SetIconData(nullptr, 3000);      // nothing to copy: ignored
    eMemCard::SetIconData(icon.data(), 3000);  // 2048 copied, no more room
    EXPECT_EQ(eMemCardPlatform::s_iconData[2047], 9);
    eMemCard::Initialize("A game name that runs on past thirty characters", nullptr);
    EXPECT_EQ(std::string(eMemCardPlatform::s_comments[0]), "A game name that runs on past \n");
    EXPECT_EQ(std::string(eMemCardPlatform::s_comments[1]), "\n");
    EXPECT_STREQ(eMemCard::GetStatusText(9), "Different Card");
    EXPECT_STREQ(eMemCard::GetStatusText(14), "???");
}

int s_nNotifyFd = -1;
void StallMidWrite(int32_t)
{
    const char c = 'w';
    if (write(s_nNotifyFd, &c, 1) == 1)
        pause();
}

class eMemCardCrashTest : public eMemCardTest {
protected:
    void KillWriterDuringSave(bool bStall, int usDelay, bool bFirstSave = false)
    {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(fds[0]);
            s_nNotifyFd = fds[1];
            if (bStall)
                CARDTestSetMidWriteHook(StallMidWrite);
            for (uint8_t seed = 1;; ++seed) {
                const std::vector<uint8_t> payload = Payload(1000, seed);
                if (bFirstSave)
                    eMemCard::Delete(kName);
                eMemCard::Save(kName, kVersion, payload.data(), 1000, true);
            }
        }
        close(fds[1]);
        if (bStall) {
            char c = 0;
            ASSERT_EQ(read(fds[0], &c, 1), 1);
        } else {
            usleep(static_cast<useconds_t>(usDelay));
        }
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        close(fds[0]);
    }
    void SetUp() override
    {
        eMemCardTest::SetUp();
        const std::vector<uint8_t> old = Payload(1000, 0);
        eMemCard::Save(kName, kVersion, old.data(), 1000, true);
    }
    void ExpectAWholeSave(bool bMustBeOld, bool bMayBeNone = false)
    {
        std::vector<uint8_t> back(1000);
        eMemCard::Load(kName, kVersion, back.data(), 1000);
        if (bMayBeNone && eMemCard::s_status == eMemCard::STATUS_NO_SAVEFILE)
            return;
        ASSERT_EQ(eMemCard::s_status, eMemCard::STATUS_READY);
        EXPECT_EQ(back, Payload(1000, bMustBeOld ? 0 : back[0]));
    }
};

TEST_F(eMemCardCrashTest, KilledMidWriteLeavesTheOldSaveOrNone)
{
    KillWriterDuringSave(true, 0);
    ExpectAWholeSave(true);
    KillWriterDuringSave(true, 0, true);
    eMemCard::Load(kName, kVersion, nullptr, 0);
    EXPECT_EQ(eMemCard::s_status, eMemCard::STATUS_NO_SAVEFILE);
}

TEST_F(eMemCardCrashTest, KilledAtAnyMomentLeavesTheOldSaveTheNewOneOrNone)
{
    std::mt19937 rng(21);
    std::uniform_int_distribution<int> usDelay(0, 15000);
    for (bool bFirstSave : {true, false}) {
        const std::vector<uint8_t> old = Payload(1000, 0);
        eMemCard::Save(kName, kVersion, old.data(), 1000, true);  // what an overwrite replaces
        for (int kill = 0; kill < 100; ++kill) {
            const int us = usDelay(rng);
            SCOPED_TRACE(testing::Message() << (bFirstSave ? "first save" : "overwrite") << ", kill " << kill
                                            << " after " << us << " us");
            KillWriterDuringSave(false, us, bFirstSave);
            ExpectAWholeSave(false, bFirstSave);
            if (testing::Test::HasFailure())
                return;
        }
    }
}

}  // namespace
