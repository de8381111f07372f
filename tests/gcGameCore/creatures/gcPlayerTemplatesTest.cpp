// The player templates' blocks: the versions each reader takes, the
// configuration and shift-time counts, and the defaults.
#include "creatureTestFixture.h"
#include "datagen/playerWriters.h"
#include "gcGameCore/creatures/gcPlayerBiped.h"
#include "gcGameCore/creatures/gcPlayerBipedTemplate.h"
#include "gcGameCore/creatures/gcPlayerFlyingTemplate.h"

namespace {

using BT = gcPlayerBipedTemplate;
using FT = gcPlayerFlyingTemplate;

class PlayerTemplateTest : public EntityTest {};

TEST_F(PlayerTemplateTest, BipedVersions)
{
    struct Row {
        uint32_t version;
        int32_t count;
        bool ok;
        uint32_t mask;
    };
    const Row rows[] = {
        {5, 46, true, 0xA5}, {4, 46, true, 0}, {3, 46, false, 0}, {6, 46, false, 0},
        {5, 10, true, 0xA5},  // the rest stay default
        {5, 48, true, 0xA5},  // two read and dropped
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.version << " " << r.count);
        datagen::PlayerBipedTemplateDesc d;
        d.configCount = r.count;
        d.configs.resize(48);
        for (int i = 0; i < 48; ++i)
            d.configs[i].hAnimation = 0x10000 + static_cast<uint32_t>(i);
        d.collisionMask = 0xA5;
        BT t;
        EXPECT_EQ(ReadBlock([&](datagen::BlockWriter& w) { datagen::PlayerBipedTemplateBlock(w, d, r.version); }, &t),
                  r.ok);
        EXPECT_EQ(t.nCollisionMask, r.mask);
        const int nRead = r.ok ? std::min(r.count, 46) : 0;
        EXPECT_EQ(t.animationConfigs[BT::ANIM_IDLE_1].hAnimation.m_nValue, nRead > 38 ? 0x10000u + 38 : 0u);
        EXPECT_EQ(t.animationConfigs[BT::ANIM_DJUMP].hAnimation.m_nValue, nRead > 45 ? 0x10000u + 45 : 0u);
        EXPECT_EQ(t.animationConfigs[BT::ANIM_HIT].hAnimation.m_nValue, nRead > 10 ? 0x10000u + 10 : 0u);
    }
}

TEST_F(PlayerTemplateTest, FlyingReadsOneTimeFewerThanItsCount)
{
    struct Row {
        uint32_t version;
        int32_t shiftCount;
        std::vector<int32_t> ticks;
        bool ok;
        int32_t times[3];
        uint32_t mask;
    };
    const Row rows[] = {
        {4, 4, {10, 20, 30}, true, {10, 20, 30}, 0x5A},
        {3, 4, {10, 20, 30}, false, {2100, 2100, 2100}, 0},
        {4, 1, {}, true, {2100, 2100, 2100}, 0x5A},
        {4, 2, {0}, true, {0, 2100, 2100}, 0x5A},
        {4, 5, {10, 20, 30, 40}, true, {10, 20, 30}, 0x5A},
        // Never written: a count below 1 and a negative time fail the file.
        {4, 0, {}, false, {2100, 2100, 2100}, 0},
        {4, INT32_MIN, {}, false, {2100, 2100, 2100}, 0},  // less one must not wrap
        {4, 4, {10, -1, 0}, false, {2100, 2100, 2100}, 0},
        {4, 4, {10, 20, INT32_MIN}, false, {2100, 2100, 2100}, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.version << " " << r.shiftCount);
        datagen::PlayerFlyingTemplateDesc d;
        d.shiftCount = r.shiftCount;
        d.shiftTicks = r.ticks;
        d.collisionMask = 0x5A;
        d.configs.resize(13);
        d.configs[FT::ANIM_BOOST].flags = 7;
        FT t;
        EXPECT_EQ(ReadBlock([&](datagen::BlockWriter& w) { datagen::PlayerFlyingTemplateBlock(w, d, r.version); }, &t),
                  r.ok);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(t.timesToShift[i], cTimeValue(r.times[i])) << i;
        EXPECT_EQ(t.nCollisionMask, r.mask);
        EXPECT_EQ(t.animationConfigs[FT::ANIM_BOOST].nFlags, r.ok ? 7u : 0u);
    }
}

TEST_F(PlayerTemplateTest, DefaultsAndTypes)
{
    BT b;
    EXPECT_FLOAT_EQ(b.fEntityValues[gcEntityTemplate::VAL_TURNRATE], 0.8f);
    EXPECT_EQ(b.nCollisionMask, 0u);
    EXPECT_EQ(b.GetEntityType(), gcPlayerBiped::GetStaticType());
    EXPECT_EQ(BT::GetStaticType()->m_nTypeId, 76u);
    EXPECT_EQ(gcPlayerBiped::GetStaticType()->m_nTypeId, 75u);
    FT f;
    EXPECT_EQ(f.timesToShift[2], cTimeValue(2100));
    EXPECT_EQ(FT::GetStaticType()->m_nTypeId, 141u);
    EXPECT_EQ(f.GetEntityType(), cType::Find(142));
}

}  // namespace
