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

// Records that will not be placed are never built: building and reading one
// could leave it registered somewhere after its drop.
TEST_F(cGroupTest, RecordsOutsideTheTableOrOfAnotherClassAreSkippedUnbuilt)
{
    WriteGroup(2, 13, 18, [](datagen::BlockWriter& w) {
        w.Half(1);
        Thing(w, "in", 13);
        w.Half(2);  // a holder where a thing belongs
        w.Int(kTestHolderId).Begin(1).Begin(1).Begin(1).End().Name("h").End().Half(0).Int(-1).Int(-1).End();
        w.Half(3);
        Thing(w, "in", 15);
        w.Half(4);
        Thing(w, "out", 16);  // slot 16 of 16
        w.Half(5);
        w.Int(kTestAbstractId).Begin(1).Word(1).End();  // no factory, beyond the table
    });
    const int destroyed = cTestThing::s_nDestroyed;
    const int constructed = cTestThing::s_nConstructed;
    {
        cTestThingGroup* group = dcast<cTestThingGroup>(cTestThingGroup::New(&m_pool));
        ASSERT_NE(group, nullptr);
        ASSERT_TRUE(ReadInto(*group));
        EXPECT_TRUE(m_bAfterIsNext);
        EXPECT_EQ(cTestThing::s_nConstructed, constructed + 2);
        EXPECT_EQ(cTestThing::s_nDestroyed, destroyed);
        EXPECT_NE(Slot(13), nullptr);
        EXPECT_EQ(Slot(14), nullptr);
        EXPECT_NE(Slot(15), nullptr);
        std::destroy_at(group);
    }
    EXPECT_EQ(cTestThing::s_nDestroyed, destroyed + 2);
    EXPECT_EQ(Slot(13), nullptr);
    EXPECT_EQ(Slot(15), nullptr);
}

// A record of another class inside the range is never built, so nothing it
// holds is built either (here a thing inside a holder), and the error names
// the record, its slot and its class.
TEST_F(cGroupTest, ARecordOfAnotherClassInTheRangeBuildsNothingItHolds)
{
    WriteGroup(2, 4, 5, [](datagen::BlockWriter& w) {
        w.Half(7);
        w.Int(kTestHolderId).Begin(1).Begin(1).Begin(1).End().Name("h").End().Half(0);
        Thing(w, "inner", 9);
        w.Int(-1).End();
    });
    const int constructed = cTestThing::s_nConstructed;
    std::vector<std::string> errors;
    const cLogFunc old = cLogSetCallback(
        [](void* p, cLogType type, const char* s) {
            if (type == LOGTYPE_ERROR)
                static_cast<std::vector<std::string>*>(p)->push_back(s);
        },
        &errors);
    cTestThingGroup group;
    const bool bRead = ReadInto(group);
    cLogSetCallback(old, nullptr);
    EXPECT_TRUE(bRead);
    EXPECT_TRUE(m_bAfterIsNext);
    EXPECT_EQ(cTestThing::s_nConstructed, constructed);
    EXPECT_EQ(Slot(4), nullptr);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("record 0 (slot 4) holds a cTestHolder; skipped"), std::string::npos) << errors[0];
}

TEST_F(cGroupTest, VersionZeroIsRejectedWholeAndBackwardRangesReadNothing)
{
    WriteGroup(0, 0, 1, [](datagen::BlockWriter& w) {
        w.Half(9);
        Thing(w, "no", 1);
    });
    cTestThingGroup group;
    EXPECT_FALSE(ReadInto(group));
    EXPECT_TRUE(m_bAfterIsNext);
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

// A record whose own block is refused stays with its defaults and is
// counted; each read counts afresh.
TEST_F(cGroupTest, RecordsThatRefuseTheirDataAreCountedPerRead)
{
    // A thing block of a version its reader refuses.
    const auto refused = [](datagen::BlockWriter& w) {
        w.Int(kTestThingId).Begin(99).Int(7).End();
    };
    const struct {
        const char* sName;
        int nRefusedRecords;
        std::function<void(datagen::BlockWriter&)> fill;
    } rows[] = {
        {"two refused around a sound one", 2,
         [&](datagen::BlockWriter& w) {
             w.Half(0x1111);
             refused(w);
             w.Half(0x2222);
             Thing(w, "b", 2);
             w.Half(0x3333);
             refused(w);
         }},
        {"none refused", 0,
         [](datagen::BlockWriter& w) {
             w.Half(0x1111);
             Thing(w, "a", 1);
             w.Half(0).Half(0);
         }},
    };
    cTestThingGroup group;  // read twice: the second read's count is its own
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sName);
        WriteGroup(2, 0, 3, row.fill);
        ASSERT_TRUE(ReadInto(group));
        EXPECT_TRUE(m_bAfterIsNext);
        EXPECT_EQ(group.m_nRefusedRecords, row.nRefusedRecords);
        ASSERT_NE(Slot(0), nullptr) << "a refused record keeps its slot";
        EXPECT_EQ(Slot(0)->m_nValue, row.nRefusedRecords ? 0 : 1);
        TearDown();  // the slots emptied for the next read
    }
}

}  // namespace
