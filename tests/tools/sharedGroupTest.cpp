// A group that several writers fill is laid as one block over all their
// slots, lowest to highest, the slots between them empty; two records for
// one slot lay nothing
// (and log an error).
#include <gtest/gtest.h>

#include <vector>

#include "datagen/blockWriter.h"
#include "datagen/modelWriters.h"

namespace {

datagen::GroupRecord Marked(uint16_t check, uint32_t mark)
{
    return {check, [mark](datagen::BlockWriter& w) { w.Word(mark); }};
}

TEST(LaySharedGroupTest, OneBlockOverEverySlotInOrder)
{
    const struct {
        const char* name;
        std::vector<int32_t> slots;  // laid in this order, slot s marked 0xA00 + s
        int32_t begin;
        std::vector<int32_t> expected;  // by slot from begin; 0: empty
    } rows[] = {
        {"in order", {4, 5}, 4, {4, 5}},
        {"out of order, a gap", {7, 4}, 4, {4, 0, 0, 7}},
        {"one", {9}, 9, {9}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<datagen::SlotRecord> records;
        for (int32_t s : row.slots)
            records.push_back({s, Marked(static_cast<uint16_t>(0x100 + s), 0xA00u + static_cast<uint32_t>(s))});
        std::vector<datagen::GroupRecord> laid;
        for (int32_t s : row.expected)
            laid.push_back(s ? Marked(static_cast<uint16_t>(0x100 + s), 0xA00u + static_cast<uint32_t>(s))
                             : datagen::GroupRecord());
        datagen::BlockWriter got, want;
        ASSERT_TRUE(datagen::LaySharedGroup(got, records));
        datagen::GroupBlock(want, row.begin, laid);
        EXPECT_EQ(got.GetBytes(), want.GetBytes());
    }
}

TEST(LaySharedGroupTest, NothingForNoRecordsOrTwoForOneSlot)
{
    datagen::BlockWriter w;
    EXPECT_FALSE(datagen::LaySharedGroup(w, {}));
    EXPECT_FALSE(datagen::LaySharedGroup(w, {{3, Marked(0x103, 1)}, {5, Marked(0x105, 2)}, {3, Marked(0x103, 3)}}));
    EXPECT_TRUE(w.GetBytes().empty());
}

}  // namespace
