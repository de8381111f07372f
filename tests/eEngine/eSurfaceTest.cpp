#include "eEngine/eSurface.h"

#include <memory>

#include "cCore/cFile.h"
#include "datagen/blockWriter.h"
#include "datagen/worldWriters.h"
#include "eEngine/eSurface.h"
#include "worldTestSupport.h"

namespace {

datagen::BlockWriter SurfaceFile(uint32_t version)
{
    datagen::BlockWriter w;
    w.Header().Begin(version).Begin(1).Begin(1).End().Name("mud").End();
    w.Word(5).Float(0.25f);
    if (version >= 2)
        w.Word(0x80000001);
    if (version >= 3)
        w.Word(0xFF102030);
    return w.End().Trailer();
}

class eSurfaceTest : public testing::Test {
protected:
    void TearDown() override
    {
        for (eSurface*& p : eSurfaceMgr::s_pInstances)
            p = nullptr;
    }
    bool Read(const std::vector<uint8_t>& bytes, eSurface* pSurface)
    {
        EXPECT_TRUE(datagen::WriteBytes(m_data.HostPath("s.dat"), bytes));
        cFile file;
        return file.Open("/s.dat") && pSurface->Read(file, &m_pool);
    }
    eTestDataDir m_data;
    cMemPool m_pool{"surfaceTest", 0x10000, false};
};

TEST_F(eSurfaceTest, VersionsOneToThreeKeepDefaultsOfFieldsTheyLack)
{
    const struct { uint32_t version, flags, color; } rows[] = {
        {1, 0, 0xFFA0A0A0}, {2, 0x80000001, 0xFFA0A0A0}, {3, 0x80000001, 0xFF102030}, {4, 0x80000001, 0xFF102030},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.version);
        eTestSurface s;
        EXPECT_EQ(s.m_fFriction, 1.0f);
        ASSERT_TRUE(Read(SurfaceFile(row.version).GetBytes(), &s));
        EXPECT_TRUE(s.m_name == "mud");
        EXPECT_EQ(s.m_nCollisionMask, 5u);
        EXPECT_EQ(s.m_fFriction, 0.25f);
        EXPECT_EQ(s.m_flags, row.flags);
        EXPECT_EQ(s.m_nDebugDrawColor, row.color);
    }
}

TEST_F(eSurfaceTest, CopiesStillCollideAndHandlesNeedTheirCheck)
{
    eTestSurface s, other;
    s.m_name.Set("ice");
    const eSurfaceHandle h = eSurfaceMgr::Add(7, &s, 0x1111);
    s.m_nCollisionMask = 0x30;
    s.m_fFriction = 0.05f;
    s.m_flags = 2;
    s.m_nDebugDrawColor = 0xFF0000FF;
    auto* copy = static_cast<eTestSurface*>(s.Copy(&m_pool));
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->m_name == "");
    EXPECT_EQ(copy->m_handle.m_nValue, 0u);
    EXPECT_EQ(copy->m_nCollisionMask, 0x30u);
    EXPECT_EQ(copy->m_fFriction, 0.05f);
    EXPECT_EQ(copy->m_flags, 2u);
    EXPECT_EQ(copy->m_nDebugDrawColor, 0xFF0000FFu);
    std::destroy_at(copy);

    EXPECT_EQ(h.m_nValue, 0x11110007u);
    EXPECT_EQ(eSurfaceMgr::GetPtr(h), &s);
    EXPECT_EQ(eSurfaceMgr::GetPtr(eSurfaceHandle(0x22220007)), nullptr);
    EXPECT_EQ(eSurfaceMgr::GetPtr(eSurfaceHandle(0x1111FFFF)), nullptr);  // beyond the 650 slots
    eSurfaceMgr::Add(7, &other, 0x2222);
    EXPECT_EQ(eSurfaceMgr::GetPtr(h), nullptr);
}

}  // namespace
