#include "gcGameCore/script/gcAnimationConfig.h"

#include <gtest/gtest.h>

#include "datagen/blockWriter.h"
#include "gcGameCore/entities/entityTestObjects.h"

namespace {

using gcAnimationConfigTest = EntityTest;

datagen::AnimationConfigDesc Desc()
{
    datagen::AnimationConfigDesc d;
    d.hAnimation = 0x00110005;
    d.hSounds[0] = 0x00220001;
    d.hSounds[1] = 0x00330002;
    d.flags = 0x80000009;
    d.actions = [](datagen::BlockWriter& w, int index) {
        if (index == 3)
            RecordStepMember(w, 7);  // OnCompleted
    };
    return d;
}

TEST_F(gcAnimationConfigTest, EachVersionReadsTheFieldsItHolds)
{
    struct Row {
        uint32_t version;
        uint32_t anim, sound0, sound1, flags;
    };
    const Row rows[] = {
        {1, 0x00110005, 0, 0, 0},                            // the animation, no sounds nor flags
        {2, 0x00110005, 0, 0, 0x80000009},
        {3, 0x00110005, 0x00220001, 0x00220001, 0x80000009},  // one sound fills both
        {4, 0x00110005, 0x00220001, 0x00330002, 0x80000009},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.version);
        gcAnimationConfig* c = m_pool.New<gcAnimationConfig>();
        ASSERT_TRUE(ReadBlock([&](datagen::BlockWriter& w) { datagen::AnimationConfigBlock(w, Desc(), row.version); },
                              c));
        EXPECT_EQ(c->hAnimation.m_nValue, row.anim);
        EXPECT_EQ(c->hSoundData[0].m_nValue, row.sound0);
        EXPECT_EQ(c->hSoundData[1].m_nValue, row.sound1);
        EXPECT_EQ(c->nFlags, row.flags);
        EXPECT_TRUE(c->onCompleted.HasActions());
        EXPECT_FALSE(c->onStarted.HasActions() || c->onStopped.HasActions() || c->onUpdated.HasActions());
        std::destroy_at(c);
    }
}

TEST_F(gcAnimationConfigTest, RoundTripsAndRefusesUnknownVersionsAndCutFiles)
{
    gcAnimationConfig* c = m_pool.New<gcAnimationConfig>();
    ASSERT_TRUE(ReadBlock([](datagen::BlockWriter& w) { datagen::AnimationConfigBlock(w, Desc(), 4); }, c));
    ASSERT_TRUE(datagen::WriteObjectFile(m_data.HostPath("a.dat"), *c));
    const std::vector<uint8_t> bytes = ReadHostFile(m_data.HostPath("a.dat"));
    EXPECT_EQ(bytes, ReadHostFile(m_data.HostPath("o.dat")));  // the engine writes what datagen wrote
    ExpectCutsFail(bytes, gcAnimationConfig::GetStaticType());

    gcTestLogCapture log;
    datagen::AnimationConfigDesc other;
    EXPECT_FALSE(ReadBlock([&](datagen::BlockWriter& w) { datagen::AnimationConfigBlock(w, other, 5); }, c));
    EXPECT_EQ(c->nFlags, 0x80000009u);  // unchanged
    EXPECT_TRUE(c->onCompleted.HasActions());
    other.damagedEvent = 2;  // a refused event refuses the block
    EXPECT_FALSE(ReadBlock([&](datagen::BlockWriter& w) { datagen::AnimationConfigBlock(w, other, 4); }, c));
    EXPECT_EQ(c->hAnimation.m_nValue, 0x00110005u);
    EXPECT_TRUE(c->onCompleted.HasActions());
    std::destroy_at(c);
}

}  // namespace
