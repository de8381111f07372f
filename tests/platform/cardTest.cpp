#include "platform/card.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

#include "card/card_local.h"
#include "../test/card_test.h"
#include "tempDir.h"
#include "testDeadline.h"

namespace {

class cardTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.Valid());
        CARDInit();
        CARDTestSetRoot(m_root.c_str());
        ASSERT_EQ(CARDMountAsync(CARD_SLOT_A, m_workArea.data(), nullptr, nullptr), CARD_RESULT_READY);
    }
    void TearDown() override
    {
        CARDTestSetMidWriteHook(nullptr);
        CARDTestSetRoot(nullptr);
    }
    int32_t Create(const char* name, CARDFileInfo* pInfo, uint32_t size = CARD_SECTOR_SIZE)
    {
        return CARDCreateAsync(CARD_SLOT_A, name, size, pInfo, nullptr);
    }
    TempDir m_tmp{"qm_card"};
    std::string m_root = m_tmp.Path();
    std::vector<uint8_t> m_workArea = std::vector<uint8_t>(CARD_WORKAREA_SIZE);
};

TEST_F(cardTest, ProbeFindsSlotAAndSlotBOnceItsFolderExists)
{
    int32_t mem = 0, sector = 0;
    EXPECT_EQ(CARDProbeEx(CARD_SLOT_A, &mem, &sector), CARD_RESULT_READY);
    EXPECT_EQ(mem, CARD_MEM_SIZE_MBITS);
    EXPECT_EQ(sector, 8192);
    EXPECT_EQ(CARDProbeEx(CARD_SLOT_B, &mem, &sector), CARD_RESULT_NOCARD);
    std::filesystem::create_directories(CARDTestSlotFolder(CARD_SLOT_B));
    EXPECT_EQ(CARDProbeEx(CARD_SLOT_B, &mem, &sector), CARD_RESULT_READY);
    CARDTestSetSectorSize(CARD_SLOT_B, 16384);
    EXPECT_EQ(CARDProbeEx(CARD_SLOT_B, &mem, &sector), CARD_RESULT_READY);
    EXPECT_EQ(sector, 16384);
    EXPECT_EQ(CARDProbeEx(2, &mem, &sector), CARD_RESULT_FATAL_ERROR);
}

TEST_F(cardTest, FileRoundTripWithStatus)
{
    CARDFileInfo info;
    ASSERT_EQ(Create("save", &info), CARD_RESULT_READY);
    EXPECT_EQ(CARDGetResultCode(CARD_SLOT_A), CARD_RESULT_READY);
    EXPECT_EQ(info.length, 8192);
    std::vector<uint8_t> out(8192), in(8192, 0xEE);
    std::iota(out.begin(), out.end(), uint8_t(7));
    ASSERT_EQ(CARDWriteAsync(&info, out.data(), 8192, 0, nullptr), CARD_RESULT_READY);
    CARDStat stat;
    stat.iconAddr = 0x10;
    stat.iconFormat = CARDPackIconField(0, 0, CARD_STAT_ICON_RGB5A3);
    stat.iconSpeed = CARDPackIconField(CARDPackIconField(0, 0, CARD_STAT_SPEED_SLOW), 1, CARD_STAT_SPEED_END);
    stat.commentAddr = 0x810;
    ASSERT_EQ(CARDSetStatus(CARD_SLOT_A, info.fileNo, &stat), CARD_RESULT_READY);
    EXPECT_EQ(CARDClose(&info), CARD_RESULT_READY);

    EXPECT_EQ(CARDUnmount(CARD_SLOT_A), CARD_RESULT_READY);
    ASSERT_EQ(CARDMountAsync(CARD_SLOT_A, m_workArea.data(), nullptr, nullptr), CARD_RESULT_READY);
    ASSERT_EQ(CARDOpen(CARD_SLOT_A, "save", &info), CARD_RESULT_READY);
    ASSERT_EQ(CARDReadAsync(&info, in.data(), 8192, 0, nullptr), CARD_RESULT_READY);
    EXPECT_EQ(in, out);
    CARDStat back;
    ASSERT_EQ(CARDGetStatus(CARD_SLOT_A, info.fileNo, &back), CARD_RESULT_READY);
    EXPECT_STREQ(back.fileName, "save");
    EXPECT_EQ(back.length, 8192u);
    EXPECT_EQ(back.iconAddr, 0x10u);
    EXPECT_EQ(back.iconFormat, 2);
    EXPECT_EQ(back.iconSpeed, 3);
    EXPECT_EQ(back.commentAddr, 0x810u);
    EXPECT_GT(back.time, 0u);
}

TEST_F(cardTest, PartialTransfersStayInsideTheFile)
{
    CARDFileInfo info;
    ASSERT_EQ(Create("part", &info), CARD_RESULT_READY);
    const uint8_t four[4] = {1, 2, 3, 4};
    EXPECT_EQ(CARDWriteAsync(&info, four, 4, 8188, nullptr), CARD_RESULT_READY);
    uint8_t back[8] = {};
    EXPECT_EQ(CARDReadAsync(&info, back, 8, 8184, nullptr), CARD_RESULT_READY);
    EXPECT_EQ(back[4], 1);
    EXPECT_EQ(back[7], 4);
    EXPECT_EQ(CARDReadAsync(&info, back, 8, 8188, nullptr), CARD_RESULT_LIMIT);
    EXPECT_EQ(CARDWriteAsync(&info, four, 4, -4, nullptr), CARD_RESULT_LIMIT);
    EXPECT_EQ(CARDReadAsync(&info, back, -1, 0, nullptr), CARD_RESULT_LIMIT);
    EXPECT_EQ(CARDGetResultCode(CARD_SLOT_A), CARD_RESULT_LIMIT);
    EXPECT_EQ(CARDReadAsync(&info, back, 0, 0, nullptr), CARD_RESULT_READY);  // an empty range is inside
    CARDTestInjectResult(CARD_SLOT_A, CARD_TEST_READ, CARD_RESULT_IOERROR);
    EXPECT_EQ(CARDReadAsync(&info, back, 8, 0, nullptr), CARD_RESULT_IOERROR);
    EXPECT_EQ(back[7], 4);  // nothing read
    CARDTestInjectResult(CARD_SLOT_A, CARD_TEST_WRITE, CARD_RESULT_IOERROR);
    EXPECT_EQ(CARDWriteAsync(&info, four, 4, 0, nullptr), CARD_RESULT_IOERROR);
    CARDFileInfo stray = info;
    stray.chan = 7;
    EXPECT_EQ(CARDWriteAsync(&stray, four, 4, 0, nullptr), CARD_RESULT_FATAL_ERROR);
    EXPECT_EQ(CARDWriteAsync(nullptr, four, 4, 0, nullptr), CARD_RESULT_FATAL_ERROR);
    std::filesystem::resize_file(std::string(CARDTestSlotFolder(CARD_SLOT_A)) + "/part.dat", 5);  // torn meanwhile
    EXPECT_EQ(CARDReadAsync(&info, back, 8, 0, nullptr), CARD_RESULT_BROKEN);
    EXPECT_EQ(CARDClose(&info), CARD_RESULT_READY);
    EXPECT_EQ(CARDReadAsync(&info, back, 8, 0, nullptr), CARD_RESULT_FATAL_ERROR);  // closed: no file
}

TEST_F(cardTest, RequestsAnswerTheConsolesCodes)
{
    CARDFileInfo info;
    ASSERT_EQ(Create("one", &info), CARD_RESULT_READY);
    EXPECT_EQ(Create("one", &info), CARD_RESULT_EXIST);
    EXPECT_EQ(CARDOpen(CARD_SLOT_A, "none", &info), CARD_RESULT_NOFILE);
    EXPECT_EQ(CARDOpen(CARD_SLOT_A, "a name that is longer than thirty-two bytes", &info), CARD_RESULT_NAMETOOLONG);
    EXPECT_EQ(CARDDeleteAsync(CARD_SLOT_A, "none", nullptr), CARD_RESULT_NOFILE);
    EXPECT_EQ(CARDMountAsync(CARD_SLOT_B, m_workArea.data(), nullptr, nullptr), CARD_RESULT_NOCARD);
    EXPECT_EQ(CARDOpen(CARD_SLOT_B, "one", &info), CARD_RESULT_NOCARD);
    EXPECT_EQ(CARDFormatAsync(CARD_SLOT_B, nullptr), CARD_RESULT_NOCARD);
    EXPECT_EQ(CARDGetResultCode(CARD_SLOT_B), CARD_RESULT_NOCARD);
    EXPECT_EQ(CARDGetResultCode(-1), CARD_RESULT_FATAL_ERROR);
    CARDUnmount(CARD_SLOT_A);
    EXPECT_EQ(CARDOpen(CARD_SLOT_A, "one", &info), CARD_RESULT_NOCARD);
}

TEST_F(cardTest, AFullCardRefusesANewFile)
{
    CARDFileInfo info;
    ASSERT_EQ(Create("big", &info, 58 * CARD_SECTOR_SIZE), CARD_RESULT_READY);
    ASSERT_EQ(Create("last", &info, 1), CARD_RESULT_READY);  // rounded up to one block
    EXPECT_EQ(info.length, CARD_SECTOR_SIZE);
    EXPECT_EQ(Create("more", &info), CARD_RESULT_INSSPACE);
    ASSERT_EQ(CARDDeleteAsync(CARD_SLOT_A, "last", nullptr), CARD_RESULT_READY);
    EXPECT_EQ(Create("more", &info), CARD_RESULT_READY);
}

TEST_F(cardTest, NamesNeverLeaveTheSlotFolder)
{
    CARDFileInfo info;
    for (const char* name : {"../escape", "a/b", ".", "%41", "pl\xC3\xA9"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(Create(name, &info), CARD_RESULT_READY);
        EXPECT_EQ(CARDOpen(CARD_SLOT_A, name, &info), CARD_RESULT_READY);
        const uint8_t one = 1;
        EXPECT_EQ(CARDWriteAsync(&info, &one, 1, 0, nullptr), CARD_RESULT_READY);
    }
    EXPECT_FALSE(std::filesystem::exists(m_root + "/escape.dat"));
    EXPECT_EQ(card::ListFiles(CARDTestSlotFolder(CARD_SLOT_A)).size(), 5u);
    std::string decoded;
    EXPECT_FALSE(card::DecodeName("bad%4", &decoded));
    EXPECT_FALSE(card::DecodeName("bad%zz", &decoded));
    EXPECT_FALSE(card::DecodeName("a.b", &decoded));
}

TEST_F(cardTest, DamagedFileMountsBrokenAndFormatClearsIt)
{
    {
        std::ofstream bad(std::string(CARDTestSlotFolder(CARD_SLOT_A)) + "/torn.dat", std::ios::binary);
        bad << "short";
        std::ofstream empty(std::string(CARDTestSlotFolder(CARD_SLOT_A)) + "/empty.dat", std::ios::binary);
        std::ofstream temp(std::string(CARDTestSlotFolder(CARD_SLOT_A)) + "/x.dat.tmp", std::ios::binary);
    }
    CARDUnmount(CARD_SLOT_A);
    EXPECT_EQ(CARDMountAsync(CARD_SLOT_A, m_workArea.data(), nullptr, nullptr), CARD_RESULT_BROKEN);
    EXPECT_EQ(CARDCheckAsync(CARD_SLOT_A, nullptr), CARD_RESULT_BROKEN);
    EXPECT_FALSE(std::filesystem::exists(std::string(CARDTestSlotFolder(CARD_SLOT_A)) + "/x.dat.tmp"));
    CARDFileInfo info;
    EXPECT_EQ(CARDOpen(CARD_SLOT_A, "torn", &info), CARD_RESULT_BROKEN);
    EXPECT_EQ(CARDOpen(CARD_SLOT_A, "empty", &info), CARD_RESULT_BROKEN);  // no sector at all
    EXPECT_EQ(CARDFormatAsync(CARD_SLOT_A, nullptr), CARD_RESULT_READY);
    EXPECT_EQ(CARDCheckAsync(CARD_SLOT_A, nullptr), CARD_RESULT_READY);
    EXPECT_TRUE(card::ListFiles(CARDTestSlotFolder(CARD_SLOT_A)).empty());
}

// The card has 59 blocks for files: a host file larger than that is damaged,
// whatever its size (a 3 GB one is neither read nor counted as a length),
// and one that grows past it after it was opened is never read whole.
TEST_F(cardTest, AFileLargerThanTheCardIsBroken)
{
    const std::string folder = CARDTestSlotFolder(CARD_SLOT_A);
    const struct {
        const char* sName;
        uintmax_t nBytes;
        int32_t nMount;
    } rows[] = {
        {"the whole card", 59u * 8192, CARD_RESULT_READY},
        {"a block more", 60u * 8192, CARD_RESULT_BROKEN},
        {"3 GB", uintmax_t{3} << 30, CARD_RESULT_BROKEN},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sName);
        std::ofstream(folder + "/big.dat", std::ios::binary);
        std::filesystem::resize_file(folder + "/big.dat", row.nBytes);
        CARDUnmount(CARD_SLOT_A);
        EXPECT_EQ(CARDMountAsync(CARD_SLOT_A, m_workArea.data(), nullptr, nullptr), row.nMount);
        CARDFileInfo info;
        EXPECT_EQ(CARDOpen(CARD_SLOT_A, "big", &info), row.nMount);
        std::filesystem::remove(folder + "/big.dat");
    }

    CARDUnmount(CARD_SLOT_A);
    ASSERT_EQ(CARDMountAsync(CARD_SLOT_A, m_workArea.data(), nullptr, nullptr), CARD_RESULT_READY);
    CARDFileInfo info;
    ASSERT_EQ(Create("grows", &info), CARD_RESULT_READY);
    std::vector<uint8_t> block(8192, 1);
    ASSERT_EQ(CARDWriteAsync(&info, block.data(), 8192, 0, nullptr), CARD_RESULT_READY);
    std::filesystem::resize_file(folder + "/grows.dat", 60u * 8192);
    EXPECT_EQ(CARDReadAsync(&info, block.data(), 8192, 0, nullptr), CARD_RESULT_BROKEN);
    EXPECT_EQ(CARDWriteAsync(&info, block.data(), 8192, 0, nullptr), CARD_RESULT_BROKEN);
}

// A status file that is an endless device is no status: the file's status
// is its defaults, at once.
TEST_F(cardTest, AStatusThatIsADeviceIsNotRead)
{
    CARDFileInfo info;
    ASSERT_EQ(Create("save", &info), CARD_RESULT_READY);
    std::filesystem::create_symlink("/dev/zero", std::string(CARDTestSlotFolder(CARD_SLOT_A)) + "/save.stat");
    CARDStat stat;
    EXPECT_EQ(WithinDeadline("reading the status", [&] { return CARDGetStatus(CARD_SLOT_A, info.fileNo, &stat); },
                             std::chrono::seconds(2)),
              CARD_RESULT_READY);
    EXPECT_EQ(stat.iconAddr, CARDStat().iconAddr);
}

TEST_F(cardTest, InjectedResultsAndBusyPolls)
{
    CARDTestInjectResult(CARD_SLOT_A, CARD_TEST_CREATE, CARD_RESULT_IOERROR);
    CARDFileInfo info;
    EXPECT_EQ(Create("x", &info), CARD_RESULT_IOERROR);
    EXPECT_EQ(CARDGetResultCode(CARD_SLOT_A), CARD_RESULT_IOERROR);
    EXPECT_EQ(CARDOpen(CARD_SLOT_A, "x", &info), CARD_RESULT_NOFILE);  // nothing was made
    EXPECT_EQ(Create("x", &info), CARD_RESULT_READY);                  // one request only

    CARDTestInjectResult(CARD_SLOT_A, CARD_TEST_PROBE, CARD_RESULT_WRONGDEVICE);
    EXPECT_EQ(CARDProbeEx(CARD_SLOT_A, nullptr, nullptr), CARD_RESULT_WRONGDEVICE);

    CARDTestSetBusyPolls(CARD_SLOT_A, 2);
    EXPECT_EQ(CARDOpen(CARD_SLOT_A, "x", &info), CARD_RESULT_READY);
    EXPECT_EQ(CARDGetResultCode(CARD_SLOT_A), CARD_RESULT_BUSY);
    EXPECT_EQ(CARDGetResultCode(CARD_SLOT_A), CARD_RESULT_BUSY);
    EXPECT_EQ(CARDGetResultCode(CARD_SLOT_A), CARD_RESULT_READY);
    CARDTestSetBusyPolls(CARD_SLOT_A, -1);
    CARDOpen(CARD_SLOT_A, "x", &info);
    for (int i = 0; i < 500; ++i)
        ASSERT_EQ(CARDGetResultCode(CARD_SLOT_A), CARD_RESULT_BUSY);
}

std::string s_seenDuringWrite;
void ReadFileMidWrite(int32_t)
{
    std::ifstream in(std::string(CARDTestSlotFolder(CARD_SLOT_A)) + "/keep.dat", std::ios::binary);
    s_seenDuringWrite.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(cardTest, TheOldFileStaysWholeUntilTheNewOneIsComplete)
{
    CARDFileInfo info;
    ASSERT_EQ(Create("keep", &info), CARD_RESULT_READY);
    const std::vector<uint8_t> first(8192, 'a'), second(8192, 'b');
    ASSERT_EQ(CARDWriteAsync(&info, first.data(), 8192, 0, nullptr), CARD_RESULT_READY);
    CARDTestSetMidWriteHook(ReadFileMidWrite);
    ASSERT_EQ(CARDWriteAsync(&info, second.data(), 8192, 0, nullptr), CARD_RESULT_READY);
    EXPECT_EQ(s_seenDuringWrite, std::string(8192, 'a'));
    std::vector<uint8_t> back(8192);
    CARDReadAsync(&info, back.data(), 8192, 0, nullptr);
    EXPECT_EQ(back, second);
}

TEST_F(cardTest, ACreatedFileTakesItsPlaceWithItsFirstWrite)
{
    const std::string folder = CARDTestSlotFolder(CARD_SLOT_A);
    CARDFileInfo info;
    ASSERT_EQ(Create("first", &info, 2 * CARD_SECTOR_SIZE), CARD_RESULT_READY);
    // On this card it is a whole zero file of two blocks, but not on the
    // disk, where a crash now must leave nothing.
    EXPECT_FALSE(std::filesystem::exists(folder + "/first.dat"));
    EXPECT_TRUE(card::ListFiles(folder).empty());
    CARDFileInfo opened;
    ASSERT_EQ(CARDOpen(CARD_SLOT_A, "first", &opened), CARD_RESULT_READY);
    EXPECT_EQ(opened.length, 2 * CARD_SECTOR_SIZE);
    std::vector<uint8_t> back(4, 0xEE);
    ASSERT_EQ(CARDReadAsync(&info, back.data(), 4, 0, nullptr), CARD_RESULT_READY);
    EXPECT_EQ(back, std::vector<uint8_t>(4, 0));
    CARDStat stat;
    EXPECT_EQ(CARDGetStatus(CARD_SLOT_A, info.fileNo, &stat), CARD_RESULT_READY);
    EXPECT_EQ(stat.length, 2u * CARD_SECTOR_SIZE);
    CARDFileInfo other;
    EXPECT_EQ(Create("second", &other, 58 * CARD_SECTOR_SIZE), CARD_RESULT_INSSPACE) << "its blocks are taken";

    const uint8_t bytes[3] = {7, 8, 9};
    ASSERT_EQ(CARDWriteAsync(&info, bytes, 3, 100, nullptr), CARD_RESULT_READY);
    EXPECT_EQ(std::filesystem::file_size(folder + "/first.dat"), 2u * CARD_SECTOR_SIZE);
    EXPECT_EQ(card::ListFiles(folder), std::vector<std::string>{"first"});
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        EXPECT_EQ(entry.path().extension(), ".dat") << "nothing kept aside: " << entry.path();
    ASSERT_EQ(CARDReadAsync(&info, back.data(), 4, 99, nullptr), CARD_RESULT_READY);
    EXPECT_EQ(back, (std::vector<uint8_t>{0, 7, 8, 9}));
}

TEST_F(cardTest, AFileNeverWrittenIsGoneAfterARemountOrADelete)
{
    const std::string folder = CARDTestSlotFolder(CARD_SLOT_A);
    CARDFileInfo info;
    ASSERT_EQ(Create("gone", &info), CARD_RESULT_READY);
    ASSERT_EQ(CARDDeleteAsync(CARD_SLOT_A, "gone", nullptr), CARD_RESULT_READY);
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    ASSERT_EQ(Create("gone", &info), CARD_RESULT_READY);
    // As after a crash: the card is mounted and checked again.
    CARDUnmount(CARD_SLOT_A);
    ASSERT_EQ(CARDMountAsync(CARD_SLOT_A, m_workArea.data(), nullptr, nullptr), CARD_RESULT_READY);
    EXPECT_EQ(CARDOpen(CARD_SLOT_A, "gone", &info), CARD_RESULT_NOFILE);
    EXPECT_EQ(CARDCheckAsync(CARD_SLOT_A, nullptr), CARD_RESULT_READY);
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST(card, DamagedStatusTextAndPackedFields)
{
    CARDStat back;
    EXPECT_FALSE(card::ParseStatus("iconAddr x\n", &back));
    EXPECT_EQ(CARDUnpackIconField(CARDPackIconField(0xFFFF, 1, 0), 1), 0);
    EXPECT_EQ(CARDPackIconField(0, 7, 3), 0xC000);
    EXPECT_STREQ(CARDResultText(-13), "CARD_RESULT_ENCODING");
    EXPECT_STREQ(CARDResultText(-15), "???");
}

}  // namespace
