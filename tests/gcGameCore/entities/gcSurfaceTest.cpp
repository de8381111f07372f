#include "gcGameCore/entities/gcSurface.h"

#include <gtest/gtest.h>

#include "entityTestObjects.h"

namespace {

using gcSurfaceTest = EntityTest;

datagen::SurfaceDesc Desc()
{
    datagen::SurfaceDesc d;
    d.name = "Mud";
    d.collisionMask = 0x5;
    d.friction = 0.25f;
    d.armorMod = 0.75f;
    for (int i = 0; i < 15; ++i)
        d.effects[i] = 0x00400000u + static_cast<uint32_t>(i);
    d.actions = [](datagen::BlockWriter& w, int index) {
        if (index == 1)
            RecordStepMember(w, 2);  // OnTouched
    };
    return d;
}

TEST_F(gcSurfaceTest, EachVersionReadsTheFieldsItHolds)
{
    for (uint32_t version : {1u, 2u, 3u}) {
        SCOPED_TRACE(version);
        gcSurface* s = m_pool.New<gcSurface>();
        ASSERT_TRUE(ReadBlock([&](datagen::BlockWriter& w) { datagen::SurfaceBlock(w, Desc(), version); }, s));
        EXPECT_STREQ(s->m_name.m_sData, "Mud");
        EXPECT_EQ(s->m_nCollisionMask, 0x5u);
        EXPECT_EQ(s->m_fArmorMod, 0.75f);  // version 1: past its unused word
        EXPECT_TRUE(s->onTouched.HasActions());
        EXPECT_FALSE(s->onAttacked.HasActions());
        EXPECT_EQ(s->m_hEffects[1][2].m_nValue, version >= 3 ? 0x00400007u : 0u);
        EXPECT_EQ(s->m_hEffects[2][4].m_nValue, version >= 3 ? 0x0040000Eu : 0u);
        std::destroy_at(s);
    }
}

TEST_F(gcSurfaceTest, RoundTripsCopiesAndRefusesBadBlocks)
{
    gcSurface* s = m_pool.New<gcSurface>();
    ASSERT_TRUE(ReadBlock([](datagen::BlockWriter& w) { datagen::SurfaceBlock(w, Desc(), 3); }, s));
    ASSERT_TRUE(datagen::WriteObjectFile(m_data.HostPath("s.dat"), *s));
    const std::vector<uint8_t> bytes = ReadHostFile(m_data.HostPath("s.dat"));
    EXPECT_EQ(bytes, ReadHostFile(m_data.HostPath("o.dat")));
    ExpectCutsFail(bytes, gcSurface::GetStaticType());

    auto* copy = static_cast<gcSurface*>(s->Copy(&m_pool));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->m_nCollisionMask, 0x5u);  // still collides
    EXPECT_EQ(copy->m_fFriction, 0.25f);
    EXPECT_EQ(copy->m_fArmorMod, 0.75f);
    EXPECT_EQ(copy->m_hEffects[2][4].m_nValue, 0x0040000Eu);
    EXPECT_TRUE(copy->onTouched.HasActions());
    EXPECT_NE(copy->onTouched.pAction, s->onTouched.pAction);

    gcTestLogCapture log;
    for (uint32_t version : {0u, 4u}) {
        datagen::SurfaceDesc other;
        other.armorMod = 9.0f;
        EXPECT_FALSE(ReadBlock([&](datagen::BlockWriter& w) { datagen::SurfaceBlock(w, other, version); }, s));
        EXPECT_EQ(s->m_fArmorMod, 0.75f);
        EXPECT_EQ(s->m_nCollisionMask, 0x5u);
    }
    std::destroy_at(copy);
    std::destroy_at(s);
}

}  // namespace
