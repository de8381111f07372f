#include "cCore/cGroup.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <cstdint>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cTestObjects.h"
#include "datagen/blockWriter.h"

namespace {

void Thing(datagen::BlockWriter& w, const char* name, int32_t value)
{
    w.Int(kTestThingId).Begin(2).Begin(1).Begin(1).End().Name(name).End().Int(value).Byte(0).End();
}

datagen::BlockWriter StoredGroup(int32_t begin, int32_t end)
{
    datagen::BlockWriter w;
    w.Header().Begin(1).Int(kTestThingGroupId).Begin(2).Begin(1).End().Int(begin).Int(end);
    w.Half(0x1111);
    Thing(w, "a", 1);
    w.Half(0).Half(0x3333);
    Thing(w, "c", 3);
    w.End().End().Trailer();
    return w;
}

class cGroupTest : public testing::Test {
protected:
    void TearDown() override
    {
        for (auto& p : cTestThingMgr::s_pInstances)
            p = nullptr;
    }
    template <class Fill>
    void WriteGroup(uint32_t version, int32_t begin, int32_t end, Fill fill)
    {
        datagen::BlockWriter w;
        w.Header().Begin(version).Begin(1).End().Int(begin).Int(end);
        fill(w);
        w.End().Word(0xC0DEC0DE).Trailer();
        ASSERT_TRUE(w.Save(m_data.HostPath("g.dat")));
    }
    bool ReadInto(cTestThingGroup& group)
    {
        cFile file;
        if (!file.Open("/g.dat"))
            return false;
        const bool bRead = group.Read(file, &m_pool);
        uint8_t after[4] = {};
        file.Read(after, 4);
        m_bAfterIsNext = after[0] == 0xC0 && after[3] == 0xDE;  // the block was consumed exactly
        return bRead;
    }
    cTestThing* Slot(int i) { return cTestThingMgr::s_pInstances[i]; }

    cTestDataDir m_data;
    cMemPool m_pool{"cGroupTest", 0x10000, false};
    bool m_bAfterIsNext = false;
};

TEST_F(cGroupTest, VersionTwoFillsTheFileRangeAndSkipsEmptyRecords)
{
    cTestThing old;
    cTestThingMgr::Add(3, &old, 0x0303);
    WriteGroup(2, 2, 5, [](datagen::BlockWriter& w) {
        w.Half(0x1111);
        Thing(w, "a", 1);
        w.Half(0);  // empty: nothing follows
        w.Half(0x3333);
        Thing(w, "c", 3);
    });
    cTestThingGroup group;
    ASSERT_TRUE(ReadInto(group));
    EXPECT_TRUE(m_bAfterIsNext);
    EXPECT_EQ(group.m_nBegin, 2);
    EXPECT_EQ(group.m_nEnd, 5);
    ASSERT_NE(Slot(2), nullptr);
    EXPECT_EQ(Slot(2)->m_handle.m_nValue, 0x11110002u);
    EXPECT_EQ(Slot(2)->m_nValue, 1);
    EXPECT_EQ(Slot(3), &old);  // the empty record left it
    ASSERT_NE(Slot(4), nullptr);
    EXPECT_EQ(cTestThingMgr::GetPtr(cTestThingMgr::Handle(0x33330004)), Slot(4));
    EXPECT_TRUE(Slot(4)->m_name == "c");
}

// A record of another class inside the range is never built, so nothing it
// holds is built either (here a thing inside a holder); the file fails.
TEST_F(cGroupTest, ARecordOfAnotherClassInTheRangeBuildsNothingItHolds)
{
    WriteGroup(2, 4, 5, [](datagen::BlockWriter& w) {
        w.Half(7);
        w.Int(kTestHolderId).Begin(1).Begin(1).Begin(1).End().Name("h").End().Half(0);
        Thing(w, "inner", 9);
        w.Int(-1).End();
    });
    const int constructed = cTestThing::s_nConstructed;
    cTestThingGroup group;
    EXPECT_FALSE(ReadInto(group));
    EXPECT_EQ(cTestThing::s_nConstructed, constructed);
    EXPECT_EQ(Slot(4), nullptr);
}

TEST_F(cGroupTest, VersionZeroIsRejectedWholeAndBackwardRangesReadNothing)
{
    WriteGroup(0, 0, 1, [](datagen::BlockWriter& w) {
        w.Half(9);
        Thing(w, "no", 1);
    });
    cTestThingGroup group;
    EXPECT_FALSE(ReadInto(group));  // the file fails as a damaged one
    EXPECT_EQ(Slot(0), nullptr);
    EXPECT_EQ(group.m_nBegin, -1);

    WriteGroup(2, 5, 2, [](datagen::BlockWriter&) {});
    EXPECT_TRUE(ReadInto(group));
    EXPECT_TRUE(m_bAfterIsNext);
    EXPECT_EQ(group.m_nBegin, 5);
    EXPECT_EQ(group.m_nEnd, 2);
}

TEST_F(cGroupTest, DestroyingAGroupTouchesNoSlotOutsideItsRange)
{
    cTestThing kept;
    cTestThingMgr::Add(0, &kept, 0x1234);
    for (const auto& [begin, end] : {std::pair{INT32_MIN, INT32_MIN}, {INT32_MIN, 0}, {-5, -1}}) {
        cTestThingGroup group;
        group.m_bDeleteContained = true;
        group.m_nBegin = begin;
        group.m_nEnd = end;
    }
    EXPECT_EQ(Slot(0), &kept);
}

TEST_F(cGroupTest, VersionOneTakesTheCheckFromTheHighHalfOfAWord)
{
    WriteGroup(1, 0, 2, [](datagen::BlockWriter& w) {
        w.Word(0xABCD0000);
        Thing(w, "x", 7);
        w.Word(0x0000FFFF);  // high half 0: empty
    });
    cTestThingGroup group;
    ASSERT_TRUE(ReadInto(group));
    EXPECT_TRUE(m_bAfterIsNext);
    ASSERT_NE(Slot(0), nullptr);
    EXPECT_EQ(Slot(0)->m_handle.m_nValue, 0xABCD0000u);
    EXPECT_EQ(Slot(1), nullptr);
}

TEST_F(cGroupTest, WriteStoresChecksAndObjectsOfTheRange)
{
    cTestThing a, c;
    a.m_name.Set("a");
    a.m_nValue = 1;
    c.m_name.Set("c");
    c.m_nValue = 3;
    cTestThingMgr::Add(4, &a, 0x1111);
    cTestThingMgr::Add(6, &c, 0x3333);
    cTestThingGroup group;
    group.m_nBegin = 4;
    group.m_nEnd = 7;
    const std::string path = m_data.HostPath("w.dat");
    ASSERT_TRUE(group.Save(path.c_str(), 0, cFile::kPlatformConsole, true));

    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(bytes, StoredGroup(4, 7).GetBytes());
}

}  // namespace

namespace {

// The one rule for a group's records: a record of another class, one in a
// slot outside the table, an unknown class, one that refuses its data, or
// records that end before their block does fail the file, with one error
// naming the file and the record (none for what lies after the records);
// the read stops there, and nothing of a
// skipped record is built. Records beyond a range the reader preset are read
// over, and a sound group logs nothing.
TEST_F(cGroupTest, ADamagedRecordFailsTheFileNamingItAndTheRecord)
{
    using Fill = std::function<void(datagen::BlockWriter&)>;
    const Fill soundThenForeign = [](datagen::BlockWriter& w) {
        w.Half(1);
        Thing(w, "a", 1);
        w.Half(2);  // a holder where a thing belongs
        w.Int(kTestHolderId).Begin(1).Begin(1).Begin(1).End().Name("h").End().Half(0).Int(-1).Int(-1).End();
        w.Half(3);
        Thing(w, "c", 3);
    };
    const struct {
        const char* sName;
        int32_t begin, end;      // stored range
        int32_t preset;          // a range of one slot preset from here; -1: none
        Fill fill;
        const char* sError;      // the one error's text after the file's name; null: none
        int nBuilt;              // things constructed by the read
    } rows[] = {
        {"sound", 0, 3, -1,
         [](datagen::BlockWriter& w) {
             w.Half(1);
             Thing(w, "a", 1);
             w.Half(0).Half(3);
             Thing(w, "c", 3);
         },
         nullptr, 2},
        {"another class", 0, 3, -1, soundThenForeign, "cTestThingGroup: record 1 (slot 1): holds a cTestHolder", 1},
        {"outside the table", 15, 17, -1,
         [](datagen::BlockWriter& w) {
             w.Half(1);
             Thing(w, "in", 15);
             w.Half(2);
             Thing(w, "out", 16);  // slot 16 of 16
         },
         "cTestThingGroup: record 1 (slot 16): lies outside the table of cTestThing", 1},
        {"unknown class", 0, 2, -1,
         [](datagen::BlockWriter& w) {
             w.Half(1);
             w.Int(299).Begin(1).Word(1).End();
             w.Half(2);
             Thing(w, "b", 2);
         },
         "cTestThingGroup: record 0 (slot 0): unknown type id 299 before 50", 0},
        {"a class without factory, of another kind", 0, 1, -1,
         [](datagen::BlockWriter& w) {
             w.Half(1);
             w.Int(kTestAbstractId).Begin(1).Word(1).End();
         },
         "cTestThingGroup: record 0 (slot 0): holds a cTestAbstract", 0},
        {"refused its data", 0, 2, -1,
         [](datagen::BlockWriter& w) {
             w.Half(1);
             Thing(w, "r", cTestThing::kRefusedValue);
             w.Half(2);
             Thing(w, "b", 2);
         },
         "cTestThingGroup: record 0 (slot 0): refused its data", 1},
        {"refused its version", 0, 1, -1,
         [](datagen::BlockWriter& w) {
             w.Half(1);
             w.Int(kTestThingId).Begin(99).Int(7).End();
         },
         "cTestThingGroup: record 0 (slot 0): cTestThing: version not accepted (block version 99", 1},
        {"a check word zeroed", 0, 1, -1,
         [](datagen::BlockWriter& w) {
             w.Half(0);  // the record reads as an empty slot, its data left over
             Thing(w, "a", 1);
         },
         "cTestThingGroup: its 1 records end at 48, before their block's end at 136", 0},
        {"data left after a record", 0, 1, -1,
         [](datagen::BlockWriter& w) {
             w.Half(1);
             Thing(w, "a", 1);
             w.Int(7);  // no record takes it; the error after the records names none
         },
         "cTestThingGroup: its 1 records end at ", 1},
        {"beyond a preset range", 0, 3, 5, soundThenForeign, nullptr, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sName);
        WriteGroup(2, row.begin, row.end, row.fill);
        std::vector<std::string> logged;
        const cLogFunc old = cLogSetCallback(
            [](void* p, cLogType type, const char* s) {
                if (type == LOGTYPE_ERROR || type == LOGTYPE_WARNING)
                    static_cast<std::vector<std::string>*>(p)->push_back(s);
            },
            &logged);
        const int constructed = cTestThing::s_nConstructed;
        bool bRead = false;
        bool bFailed = false;
        {
            cTestThingGroup group;
            if (row.preset >= 0) {
                group.m_nBegin = row.preset;
                group.m_nEnd = row.preset + 1;
            }
            cFile file;
            ASSERT_TRUE(file.Open("/g.dat"));
            bRead = group.Read(file, &m_pool);
            bFailed = file.Failed();
        }
        cLogSetCallback(old, nullptr);
        EXPECT_EQ(cTestThing::s_nConstructed - constructed, row.nBuilt);
        EXPECT_EQ(bRead, row.sError == nullptr);
        EXPECT_EQ(bFailed, row.sError != nullptr);
        if (!row.sError) {
            EXPECT_TRUE(logged.empty()) << logged.front();
        } else {
            ASSERT_EQ(logged.size(), 1u);
            const std::string want = std::string("\"/g.dat\": ") + row.sError;
            EXPECT_NE(logged[0].find(want), std::string::npos) << logged[0];
        }
        TearDown();  // the slots emptied for the next read
    }
}

}  // namespace
