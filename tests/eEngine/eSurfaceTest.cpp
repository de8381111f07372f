#include "eEngine/eSurface.h"

#include <memory>

#include <gtest/gtest.h>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "datagen/blockWriter.h"
#include "datagen/worldWriters.h"
#include "eEngine/eSurfaceGroup.h"
#include "worldTestSupport.h"

namespace {

// A surface block as stored: version, the cObject part, then the fields the
// version has (mask, friction, flags from 2, colour from 3).
datagen::BlockWriter& SurfaceBlock(datagen::BlockWriter& w, uint32_t version, const char* name)
{
    w.Begin(version);
    w.Begin(1).Begin(1).End().Name(name).End();
    w.Word(0x00000005).Float(0.25f);
    if (version >= 2)
        w.Word(0x80000001);
    if (version >= 3)
        w.Word(0xFF102030);
    return w.End();
}

class eSurfaceTest : public testing::Test {
protected:
    void TearDown() override
    {
        for (eSurface*& p : eSurfaceMgr::s_pInstances)
            p = nullptr;
    }
    bool ReadSurface(const datagen::BlockWriter& w, eSurface* pSurface)
    {
        EXPECT_TRUE(w.Save(m_data.HostPath("s.dat")));
        cFile file;
        if (!file.Open("/s.dat"))
            return false;
        return pSurface->Read(file, &m_pool);
    }
    eTestDataDir m_data;
    cMemPool m_pool{"surfaceTest", 0x10000, false};
};

TEST_F(eSurfaceTest, DefaultsAndTypes)
{
    eTestSurface s;
    EXPECT_EQ(s.m_handle.m_nValue, 0u);
    EXPECT_EQ(s.m_nCollisionMask, 0u);
    EXPECT_EQ(s.m_fFriction, 1.0f);
    EXPECT_EQ(s.m_flags, 0u);
    EXPECT_EQ(s.m_nDebugDrawColor, 0xFFA0A0A0u);
    EXPECT_EQ(eSurface::GetStaticType()->m_nTypeId, 26u);
    EXPECT_EQ(eSurface::GetStaticType()->m_pNewFunc, nullptr);
    EXPECT_EQ(eSurfaceGroup::GetStaticType()->m_nTypeId, 27u);
    EXPECT_NE(eSurfaceGroup::GetStaticType()->m_pNewFunc, nullptr);
    EXPECT_EQ(eSurfaceMgr::kSlots, 650);
}

TEST_F(eSurfaceTest, OlderVersionsKeepTheDefaultsOfFieldsTheyLack)
{
    const struct { uint32_t version; uint32_t flags; uint32_t color; } rows[] = {
        {1, 0, 0xFFA0A0A0},
        {2, 0x80000001, 0xFFA0A0A0},
        {3, 0x80000001, 0xFF102030},
        {7, 0x80000001, 0xFF102030},  // newer versions are read as the newest known
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.version);
        datagen::BlockWriter w;
        w.Header();
        SurfaceBlock(w, row.version, "mud").Int(0x7777).Trailer();
        eTestSurface s;
        ASSERT_TRUE(ReadSurface(w, &s));
        EXPECT_TRUE(s.m_name == "mud");
        EXPECT_EQ(s.m_nCollisionMask, 5u);
        EXPECT_EQ(s.m_fFriction, 0.25f);
        EXPECT_EQ(s.m_flags, row.flags);
        EXPECT_EQ(s.m_nDebugDrawColor, row.color);
    }
}

TEST_F(eSurfaceTest, VersionZeroIsSkippedAndTheSurfaceKept)
{
    datagen::BlockWriter w;
    w.Header();
    SurfaceBlock(w, 0, "mud").Int(0x7777).Trailer();
    eTestSurface s;
    s.m_nCollisionMask = 9;
    s.m_name.Set("old");
    EXPECT_FALSE(ReadSurface(w, &s));
    EXPECT_EQ(s.m_nCollisionMask, 9u);
    EXPECT_TRUE(s.m_name == "old");
}

TEST_F(eSurfaceTest, WriteStoresVersionThreeWithAllFields)
{
    eTestSurface s;
    s.m_name.Set("mud");
    s.m_nCollisionMask = 5;
    s.m_fFriction = 0.25f;
    s.m_flags = 0x80000001;
    s.m_nDebugDrawColor = 0xFF102030;
    {
        cFile file;
        ASSERT_TRUE(file.Create(m_data.HostPath("w.dat").c_str(), 0, cFile::kPlatformConsole, true));
        s.Write(file);
    }
    datagen::BlockWriter expected;
    expected.Header();
    SurfaceBlock(expected, 3, "mud").Trailer();
    EXPECT_EQ(ReadHostFile(m_data.HostPath("w.dat")), expected.GetBytes());
}

TEST_F(eSurfaceTest, TruncatedSurfaceFailsAndKeepsItsFields)
{
    datagen::BlockWriter w;
    w.Header();
    SurfaceBlock(w, 3, "mud").Trailer();
    const size_t payloadEnd = w.Size() - 8;  // before the end marker and trailer
    for (size_t len = 0; len < payloadEnd; ++len) {
        SCOPED_TRACE(len);
        ASSERT_TRUE(datagen::WriteBytes(m_data.HostPath("s.dat"), w.Prefix(len)));
        cFile file;
        eTestSurface s;
        s.m_name.Set("old");
        s.m_nCollisionMask = 9;
        if (file.Open("/s.dat"))
            EXPECT_FALSE(s.Read(file, &m_pool));
        EXPECT_TRUE(s.m_name == "old");
        EXPECT_EQ(s.m_nCollisionMask, 9u);
        EXPECT_EQ(s.m_fFriction, 1.0f);
        EXPECT_EQ(s.m_flags, 0u);
    }
}

TEST_F(eSurfaceTest, CopyKeepsThePhysicalKindButNotNameOrHandle)
{
    eTestSurface s;
    s.m_name.Set("ice");
    eSurfaceMgr::Add(4, &s, 0x4321);
    s.m_nCollisionMask = 0x30;
    s.m_fFriction = 0.05f;
    s.m_flags = 2;
    s.m_nDebugDrawColor = 0xFF0000FF;
    auto* copy = static_cast<eTestSurface*>(s.Copy(&m_pool));
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->m_name == "");
    EXPECT_EQ(copy->m_handle.m_nValue, 0u);
    EXPECT_EQ(copy->m_nCollisionMask, 0x30u);  // a copy must still collide
    EXPECT_EQ(copy->m_fFriction, 0.05f);
    EXPECT_EQ(copy->m_flags, 2u);
    EXPECT_EQ(copy->m_nDebugDrawColor, 0xFF0000FFu);
    std::destroy_at(copy);
}

TEST_F(eSurfaceTest, HandlesResolveOnlyWithTheirCheck)
{
    eTestSurface a, b;
    const eSurfaceHandle h = eSurfaceMgr::Add(7, &a, 0x1111);
    EXPECT_EQ(h.m_nValue, 0x11110007u);
    EXPECT_EQ(eSurfaceMgr::GetPtr(h), &a);
    EXPECT_EQ(eSurfaceMgr::GetPtr(eSurfaceHandle(0x22220007)), nullptr);
    EXPECT_EQ(eSurfaceMgr::GetPtr(eSurfaceHandle()), nullptr);
    EXPECT_EQ(eSurfaceMgr::GetPtr(eSurfaceHandle(0x1111FFFF)), nullptr);  // beyond the 650 slots
    eSurfaceMgr::Add(7, &b, 0x2222);
    EXPECT_EQ(eSurfaceMgr::GetPtr(h), nullptr);  // the slot holds another surface now
}

class eSurfaceGroupFileTest : public eSurfaceTest {
protected:
    // Slots 20..22: two surfaces around an empty record.
    void WriteGroup(const char* name)
    {
        eTestSurface stone, water;
        stone.m_name.Set("stone");
        stone.m_nCollisionMask = 1;
        water.m_name.Set("water");
        water.m_nCollisionMask = 6;
        water.m_fFriction = 0.5f;
        water.m_flags = 0x10;
        ASSERT_TRUE(datagen::WriteSurfaceGroupFile(m_data.HostPath(name), 20,
                                                   {{&stone, 0x0101}, {nullptr, 0}, {&water, 0x0202}}));
        EXPECT_EQ(eSurfaceMgr::s_pInstances[20], nullptr);  // the writer restores the slots
    }
};

TEST_F(eSurfaceGroupFileTest, RoundTripPlacesSurfacesUnderTheirHandles)
{
    WriteGroup("g.dat");
    cBase* p = cBase::Load("/g.dat", &m_pool, eSurfaceGroup::GetStaticType());
    auto* group = dcast<eSurfaceGroup>(p);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->m_nBegin, 20);
    EXPECT_EQ(group->m_nEnd, 23);
    eSurface* stone = eSurfaceMgr::GetPtr(eSurfaceHandle(0x01010014));
    eSurface* water = eSurfaceMgr::GetPtr(eSurfaceHandle(0x02020016));
    ASSERT_NE(stone, nullptr);
    ASSERT_NE(water, nullptr);
    EXPECT_EQ(eSurfaceMgr::s_pInstances[21], nullptr);
    EXPECT_EQ(stone->GetType()->m_nTypeId, kTestSurfaceId);
    EXPECT_TRUE(stone->m_name == "stone");
    EXPECT_EQ(stone->m_nCollisionMask, 1u);
    EXPECT_EQ(water->m_nCollisionMask, 6u);
    EXPECT_EQ(water->m_fFriction, 0.5f);
    EXPECT_EQ(water->m_flags, 0x10u);
    EXPECT_EQ(water->m_nDebugDrawColor, 0xFFA0A0A0u);

    ASSERT_TRUE(datagen::WriteObjectFile(m_data.HostPath("again.dat"), *group));
    EXPECT_EQ(ReadHostFile(m_data.HostPath("again.dat")), ReadHostFile(m_data.HostPath("g.dat")));
    std::destroy_at(group);  // made by the factory: destroys its surfaces
    EXPECT_EQ(eSurfaceMgr::s_pInstances[20], nullptr);
}

TEST_F(eSurfaceGroupFileTest, TruncatedGroupsFailToLoad)
{
    WriteGroup("g.dat");
    const std::vector<uint8_t> bytes = ReadHostFile(m_data.HostPath("g.dat"));
    ASSERT_GT(bytes.size(), 16u);
    for (size_t len = 0; len < bytes.size() - 8; ++len) {
        SCOPED_TRACE(len);
        ASSERT_TRUE(datagen::WriteBytes(m_data.HostPath("t.dat"), std::vector<uint8_t>(bytes.begin(), bytes.begin() + len)));
        m_pool.Reset();
        EXPECT_EQ(cBase::Load("/t.dat", &m_pool, eSurfaceGroup::GetStaticType()), nullptr);
        for (eSurface*& s : eSurfaceMgr::s_pInstances)
            s = nullptr;
    }
}

}  // namespace
