#include "cCore/cFile.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "../test/dvd_test.h"
#include "cCore/cCoreServices.h"
#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"
#include "cTestObjects.h"
#include "datagen/blockWriter.h"
#include "platform/dvd.h"
#include "platform/ps.h"

namespace {

class cFileTest : public testing::Test {
protected:
    bool Save(const datagen::BlockWriter& w, const char* name = "f.dat")
    {
        return w.Save(m_data.HostPath(name));
    }
    static uint32_t ReadWord(const cFile& file)
    {
        uint8_t b[4];
        file.Read(b, 4);
        return ps::LoadU32BE(b);
    }
    cTestDataDir m_data;
};

TEST_F(cFileTest, OpenChecksMagicAndPlatform)
{
    const struct { const char* name; std::vector<uint8_t> bytes; bool opens; } rows[] = {
        {"console file", datagen::BlockWriter().Header().Trailer().GetBytes(), true},
        {"wrong magic", datagen::BlockWriter().Header(0xFBBFFBBE).Trailer().GetBytes(), false},
        {"byte-swapped magic", datagen::BlockWriter().Header(0xBFFBBFFB).Trailer().GetBytes(), false},
        {"pc platform", datagen::BlockWriter().Header(cFile::kMagic, 0).Trailer().GetBytes(), false},
        {"xbox platform", datagen::BlockWriter().Header(cFile::kMagic, 2).Trailer().GetBytes(), false},
        {"only the magic", datagen::BlockWriter().Word(cFile::kMagic).GetBytes(), false},
        {"empty", {}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(datagen::WriteBytes(m_data.HostPath("f.dat"), row.bytes));
        cFile file;
        EXPECT_EQ(file.Open("/f.dat"), row.opens);
        EXPECT_EQ(file.IsOpen(), row.opens);
        EXPECT_EQ(file.m_nTargetPlatformId, row.opens ? 1 : -1);
    }
    cFile missing;
    EXPECT_FALSE(missing.Open("/nothing.dat"));
}

TEST_F(cFileTest, ReadsPastTheFileEndGiveZerosAndFailTheFile)
{
    ASSERT_TRUE(Save(datagen::BlockWriter().Header().Word(0x11223344)));
    cFile file;
    ASSERT_TRUE(file.Open("/f.dat"));
    EXPECT_EQ(ReadWord(file), 0x11223344u);
    EXPECT_FALSE(file.Failed());
    uint8_t b[4] = {9, 9, 9, 9};
    EXPECT_FALSE(file.Read(b, 4));
    EXPECT_EQ(std::vector<uint8_t>(b, b + 4), std::vector<uint8_t>(4, 0));
    EXPECT_TRUE(file.Failed());
    file.SetCurrentPos(8);  // the failure is sticky: even valid bytes now read as zero
    EXPECT_EQ(ReadWord(file), 0u);
}

TEST_F(cFileTest, ReadsPastTheBlockEndFailEvenInsideTheFile)
{
    datagen::BlockWriter w;
    w.Header().Begin(1).Word(1).End().Word(0x55555555).Word(0x55555555).Trailer();
    ASSERT_TRUE(Save(w));
    cFile file;
    ASSERT_TRUE(file.Open("/f.dat"));
    {
        cReadBlock rb(file, 1);
        EXPECT_EQ(rb.m_nEndOffset, 24u);
        EXPECT_EQ(rb.ReadInt(), 1);
        EXPECT_FALSE(rb.Failed());
        EXPECT_EQ(rb.ReadInt(), 0);  // would be the end marker
        EXPECT_TRUE(rb.Failed());
    }
}

TEST_F(cFileTest, BlockEndOffsetsOutsideTheEnclosingBlockFail)
{
    const struct { const char* name; uint32_t endOffset; bool ok; } rows[] = {
        {"correct", 36, true},
        {"before its own header", 8, false},
        {"inside its own header", 28, false},  // the inner payload starts at 32
        {"marker past the outer block", 40, false},
        {"past the file", 0x7FFFFFF0, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        datagen::BlockWriter w;
        w.Header().Begin(1).Begin(1).Word(0).EndAt(row.endOffset).End().Trailer();
        ASSERT_TRUE(Save(w));
        cFile file;
        ASSERT_TRUE(file.Open("/f.dat"));
        cReadBlock outer(file, 1);
        {
            cReadBlock inner(file, 1);
            inner.ReadInt();
        }
        EXPECT_EQ(file.Failed(), !row.ok);
    }
}

TEST_F(cFileTest, OneCharPayloadLeavesThreeGapBytesAndNestedBlocksAlign)
{
    datagen::BlockWriter w;
    w.Header()
        .Begin(1).Byte('q').End()                       // 8..24: char at 20, gap 21..23
        .Begin(1).Half(0xBEEF).Begin(4).Int(-5).End().End()  // short, then a block at the next 4
        .Trailer();
    ASSERT_TRUE(Save(w));
    cFile file;
    ASSERT_TRUE(file.Open("/f.dat"));
    {
        cReadBlock rb(file, 1);
        EXPECT_EQ(rb.m_nEndOffset, 24u);
        EXPECT_EQ(rb.ReadChar(), 'q');
    }
    EXPECT_EQ(file.GetCurrentPos(), 28u);
    {
        cReadBlock rb(file, 1);
        EXPECT_EQ(rb.ReadUShort(), 0xBEEF);
        EXPECT_EQ(file.GetCurrentPos(), 42u);
        cReadBlock inner(file, 1);
        EXPECT_EQ(inner.m_nVersion, 4u);
        EXPECT_EQ(inner.ReadInt(), -5);
    }
    EXPECT_FALSE(file.Failed());
    file.Close();
}

// A block its reader refuses fails the file (one error naming it, the
// class and what was refused) and the object keeps its state; a block the
// format reads over on purpose is skipped to after its end marker with one
// warning, and the file reads on.
TEST_F(cFileTest, ARefusedBlockFailsTheFileAndOneReadOverIsSkippedToAfterItsEndMarker)
{
    datagen::BlockWriter w;
    w.Header().Begin(0).Word(1).Word(2).Word(3).End().Word(0x11223344).Trailer();
    ASSERT_TRUE(Save(w));
    for (bool bReadOver : {false, true}) {
        SCOPED_TRACE(bReadOver);
        std::vector<std::pair<cLogType, std::string>> logged;
        const cLogFunc old = cLogSetCallback(
            [](void* p, cLogType type, const char* s) {
                static_cast<std::vector<std::pair<cLogType, std::string>>*>(p)->emplace_back(type, s);
            },
            &logged);
        cFile file;
        ASSERT_TRUE(file.Open("/f.dat"));
        cTestThing thing;
        thing.m_name.Set("kept");
        if (bReadOver) {
            cReadBlock(file, 1).ReadOver("cTestThing", "version");
        } else {
            EXPECT_FALSE(thing.cObject::Read(file, nullptr));
        }
        const uint32_t pos = file.GetCurrentPos();
        const uint32_t next = ReadWord(file);
        cLogSetCallback(old, nullptr);
        EXPECT_TRUE(thing.m_name == "kept");
        EXPECT_EQ(file.Failed(), !bReadOver);
        EXPECT_EQ(next, bReadOver ? 0x11223344u : 0u);
        EXPECT_EQ(pos, bReadOver ? 36u : 32u);  // past the end marker; a failed file reads no further
        ASSERT_EQ(logged.size(), 1u);
        EXPECT_EQ(logged[0].first, bReadOver ? LOGTYPE_WARNING : LOGTYPE_ERROR);
        EXPECT_EQ(logged[0].second,
                  bReadOver ? "cTestThing: version read over (block version 0, ending at 32 in \"/f.dat\")"
                            : "cFile: \"/f.dat\": cObject: version not accepted (block version 0, ending at 32)");
    }
}

TEST_F(cFileTest, TypedReadsConvertAndCharsStayRaw)
{
    datagen::BlockWriter w;
    w.Header().Begin(1).Float(-1.5f).Word(0x00000001).Half(0x8001).Byte(0xFE)
        .Word(0x01020304).Word(0x3F800000).Half(0x0102).End().Trailer();
    ASSERT_TRUE(Save(w));
    cFile file;
    ASSERT_TRUE(file.Open("/f.dat"));
    cReadBlock rb(file, 1);
    EXPECT_EQ(rb.ReadFloat(), -1.5f);
    EXPECT_TRUE(rb.ReadBool());
    EXPECT_EQ(rb.ReadShort(), -32767);
    EXPECT_EQ(rb.ReadChar(), -2);
    uint8_t raw[4];
    rb.ReadChars(raw, 4);
    EXPECT_EQ(raw[0], 1);  // as stored
    EXPECT_EQ(raw[3], 4);
    float f[1];
    rb.ReadFloats(f, 1);
    EXPECT_EQ(f[0], 1.0f);
    uint16_t s[1];
    rb.ReadShorts(s, 1);
    EXPECT_EQ(s[0], 0x0102);
    rb.ReadInts(static_cast<int32_t*>(nullptr), -1);  // refused before touching anything
    EXPECT_TRUE(rb.Failed());
}

class cFileBufferTest : public cFileTest {
protected:
    void SetUp() override
    {
        datagen::BlockWriter w;
        w.Header();
        for (uint32_t i = 0; i < kWords; ++i)
            w.Word(i);
        ASSERT_TRUE(Save(w, "big.dat"));
        ASSERT_TRUE(m_file.Open("/big.dat"));
    }
    static uint32_t WordAt(uint32_t pos) { return (pos - 8) / 4; }
    static constexpr uint32_t kWords = 25600;
    cFile m_file;
};

cFile::cFileStatus g_notified = cFile::MAX_FILESTATUSES;
int g_notifyCount = 0;
void RecordStatus(cFile::cFileStatus status)
{
    g_notified = status;
    ++g_notifyCount;
}

TEST_F(cFileTest, DriveStatesMapToFileStatusesAndNotifyFromTheServiceStep)
{
    const struct { int32_t drive; cFile::cFileStatus status; } rows[] = {
        {DVD_STATE_END, cFile::FS_OK},
        {DVD_STATE_FATAL_ERROR, cFile::FS_FATAL_ERROR},
        {DVD_STATE_BUSY, cFile::FS_FATAL_ERROR},  // busy keeps the previous status
        {DVD_STATE_NO_DISK, cFile::FS_NO_DISK},
        {DVD_STATE_COVER_OPEN, cFile::FS_DRIVE_OPEN},
        {DVD_STATE_WRONG_DISK, cFile::FS_WRONG_DISK},
        {DVD_STATE_RETRY, cFile::FS_RETRY_ERROR},
        {DVD_STATE_WAITING, cFile::FS_OK},          // every other state is fine
    };
    cFile::s_errorNotify = RecordStatus;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.drive);
        DVDTestSetDriveStatus(row.drive);
        g_notifyCount = 0;
        cUpdateOS();
        EXPECT_EQ(cFile::GetFileStatus(), row.status);
        EXPECT_EQ(g_notifyCount, row.status == cFile::FS_OK ? 0 : 1);
        if (g_notifyCount) {
            EXPECT_EQ(g_notified, row.status);
        }
    }
    DVDTestClearDriveStatus();
    cFile::s_errorNotify = nullptr;
    EXPECT_STREQ(cFile::GetFileStatusText(cFile::FS_NO_DISK), "FS_NO_DISK");
    EXPECT_STREQ(cFile::GetFileStatusText(static_cast<cFile::cFileStatus>(6)), "???");
}

}  // namespace
