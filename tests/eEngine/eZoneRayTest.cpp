#include <set>
#include <vector>

#include "eEngine/eZone.h"
#include "mMath/mRay.h"
#include "mMath/mVec2.h"
#include "zoneTestSupport.h"

namespace {

constexpr float kTol = 1e-4f;
constexpr uint32_t kWallMaterial = 0x00220006u;

// A wall at x facing -x over y and z in lo..hi.
void AddWall(datagen::ZoneDesc* pDesc, float x, float lo, float hi, uint8_t material)
{
    AddQuad(pDesc, {x, hi, lo}, {x, lo, lo}, {x, lo, hi}, {x, hi, hi}, material, 2.0f);
}

// A wall at x = 2 facing -x, y and z in -1..1, its texture set scaled by 2
// (s = 1 - y, t = 1 - z), of material 1.
datagen::ZoneDesc WallDesc(float x = 2.0f)
{
    datagen::ZoneDesc d;
    d.name = "wall";
    d.boxMin.Set(-8, -8, -8);
    d.boxMax.Set(8, 8, 8);
    d.treeSize = 16;
    d.visLevels = 4;
    d.materials = {0x00110005u, kWallMaterial};
    d.surfaces = {0x00330007u};
    AddWall(&d, x, -1, 1, 1);
    return d;
}

mRay Ray(const mVec3& origin, const mVec3& dir, float length)
{
    mRay r;
    r.origin = origin;
    r.dir = dir;
    r.length = length;
    return r;
}

void ExpectNear(const mVec3& got, const mVec3& want)
{
    EXPECT_NEAR(got.x, want.x, kTol);
    EXPECT_NEAR(got.y, want.y, kTol);
    EXPECT_NEAR(got.z, want.z, kTol);
}

class eZoneRayTest : public ZoneTest {
protected:
    // Builds the zone, reads it and makes it live in slot with that frame.
    void Place(eZone* pZone, const datagen::ZoneDesc& desc, int slot, const mOCS& frame)
    {
        ASSERT_TRUE(WriteZone("ray.zon", desc));
        ASSERT_TRUE(ReadZone("ray.zon", pZone));
        pZone->m_localToWorld = frame;
        pZone->m_nZoneIndex = slot;
        eZone::s_pZones[slot] = pZone;
    }
    // At (100, 20, 5), turned a quarter left: zone x is world y, zone y world -x.
    static mOCS Turned()
    {
        mOCS f;
        f.origin.Set(100, 20, 5);
        f.basis.right.Set(0, 1, 0);
        f.basis.forward.Set(-1, 0, 0);
        f.basis.up.Set(0, 0, 1);
        return f;
    }
    static mOCS At(float x, float y, float z)
    {
        mOCS f;
        f.MakeIdentity();
        f.origin.Set(x, y, z);
        return f;
    }
};

// In the wall zone's space the ray runs from (-1, 0.5, 4.25) along
// (0.6, 0, -0.8) and meets the wall at (2, 0.5, 0.25) after 5 units.
TEST_F(eZoneRayTest, AHitComesBackInTheCallersSpaceWithItsMaterialAndCoordinate)
{
    eZone wall, caller;
    Place(&wall, WallDesc(), 3, Turned());
    Place(&caller, WallDesc(-6), 1, At(90, 20, 5));  // its own wall lies off the ray

    mRayTriHit hit;
    EXPECT_EQ(eZone::Intersect(Ray({99.5f, 19, 9.25f}, {0, 0.6f, -0.8f}, 10), false, &hit), &wall);
    EXPECT_NEAR(hit.distance, 5.0f, kTol);
    ExpectNear(hit.pos, {99.5f, 22, 5.25f});
    ExpectNear(hit.normal, {0, -1, 0});

    eMaterialHandle material;
    mVec2 uv(-1, -1);
    ASSERT_TRUE(caller.Intersect(Ray({9.5f, -1, 4.25f}, {0, 0.6f, -0.8f}, 1), 10, false, &hit, &material, &uv));
    EXPECT_NEAR(hit.distance, 5.0f, kTol);
    ExpectNear(hit.pos, {9.5f, 2, 0.25f});
    EXPECT_EQ(material.m_nValue, kWallMaterial);
    EXPECT_NEAR(uv.x, 0.5f, kTol);  // the material's set, not the lightmap's (0.25, 0.375)
    EXPECT_NEAR(uv.y, 0.75f, kTol);
}

TEST_F(eZoneRayTest, MissesReachAndFacing)
{
    eZone wall;
    datagen::ZoneDesc d = WallDesc();
    AddWall(&d, 5, 3, 3.5f, 1);  // small: filed in the deepest level
    Place(&wall, d, 0, At(0, 0, 0));
    const struct { const char* why; mVec3 origin, dir; float length; bool bBack; float distance; } rows[] = {
        {"a wall in the deepest cells", {0, 3.25f, 3.4f}, {1, 0, 0}, 10, false, 5},
        {"past the wall's edge", {0, 1.5f, 0}, {1, 0, 0}, 10, true, -1},
        {"stopping short of it", {0, 0, 0}, {1, 0, 0}, 1.99f, true, -1},
        {"unbounded: reaches 1000000", {-5, 0, 0}, {-1, 0, 0}, -1, true, -1},
        {"from far outside the tree", {-100, 0.25f, 0.5f}, {1, 0, 0}, -1, false, 102},
        {"from inside the wall's cells", {1.5f, 0.25f, 0.5f}, {1, 0, 0}, 10, false, 0.5f},
        {"its back, back faces off", {3, 0.25f, 0.5f}, {-1, 0, 0}, 10, false, -1},
        {"its back, back faces on", {3, 0.25f, 0.5f}, {-1, 0, 0}, 10, true, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        mRayTriHit hit;
        eMaterialHandle material(7);
        const bool bHit = wall.Intersect(Ray(row.origin, row.dir, 0), row.length, row.bBack, &hit, &material, nullptr);
        EXPECT_EQ(bHit, row.distance >= 0);
        EXPECT_EQ(eZone::Intersect(Ray(row.origin, row.dir, row.length), row.bBack, &hit) == &wall, bHit);
        if (bHit) {
            EXPECT_NEAR(hit.distance, row.distance, kTol);
            EXPECT_EQ(material.m_nValue, kWallMaterial);
        } else {
            EXPECT_EQ(hit.distance, row.length < 0 ? 1000000.0f : row.length);
            EXPECT_EQ(material.m_nValue, 7u);
        }
    }
}

// The small wall's cells lie under the first level's cell of x below 0,
// whose loose box (edge 16) runs from x = -12 to x = 4.
TEST_F(eZoneRayTest, ARayFromALooseBoxsFaceMeetsWhatIsInside)
{
    eZone zone;
    datagen::ZoneDesc d = WallDesc();
    AddWall(&d, -2, -3.5f, -3, 1);
    Place(&zone, d, 0, At(0, 0, 0));
    for (float x : {3.99f, 4.0f, 4.01f, 5.0f}) {
        SCOPED_TRACE(x);
        mRayTriHit hit;
        ASSERT_TRUE(zone.Intersect(Ray({x, -3.25f, -3.25f}, {-1, 0, 0}, 0), 10, true, &hit, nullptr, nullptr));
        EXPECT_NEAR(hit.distance, x + 2, kTol);
    }
}

TEST_F(eZoneRayTest, TheNearestHitWinsAcrossZonesAndStrips)
{
    eZone far, near;
    Place(&far, WallDesc(), 0, At(10, 0, 0));  // its wall at world x = 12, in slot 0
    datagen::ZoneDesc d = WallDesc(3);         // walls at world x = 3 (material 1) and -1 (material 0)
    AddQuad(&d, {-1, -1, -1}, {-1, 1, -1}, {-1, 1, 1}, {-1, -1, 1}, 0);
    Place(&near, d, 4, At(0, 0, 0));
    const struct { const char* why; mVec3 origin, dir; const eZone* zone; float distance; uint32_t material; } rows[] = {
        {"three walls: the later slot's first", {-5, 0.25f, 0.5f}, {1, 0, 0}, &near, 4, 0x00110005u},
        {"the other way, the other strip", {7, 0.25f, 0.5f}, {-1, 0, 0}, &near, 4, kWallMaterial},
        {"from behind: the first slot's", {14, 0.25f, 0.5f}, {-1, 0, 0}, &far, 2, kWallMaterial},
        {"past the near zone's walls", {5, 0.25f, 0.5f}, {1, 0, 0}, &far, 7, kWallMaterial},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        mRayTriHit hit;
        EXPECT_EQ(eZone::Intersect(Ray(row.origin, row.dir, 50), true, &hit), row.zone);
        EXPECT_NEAR(hit.distance, row.distance, kTol);
        eMaterialHandle material;
        ASSERT_TRUE(near.Intersect(Ray(row.origin, row.dir, 50), 50, true, &hit, &material, nullptr));
        EXPECT_EQ(material.m_nValue, row.material);
    }
}

// Every primitive the graphics processor draws, laid by hand over the
// wall's four corners a (0), b (1), c (2), d (3): the triangles (a, b, c)
// and (a, c, d), each with a point that no other pair of corners covers.
TEST_F(eZoneRayTest, EveryPrimitiveIsWoundAsItIsDrawn)
{
    datagen::ZoneDesc desc = WallDesc();
    desc.visLevels = 1;  // both triangles in the root, one strip
    datagen::ZoneData built;
    ASSERT_TRUE(datagen::BuildZone(desc, &built));
    ASSERT_EQ(built.strips.size(), 1u);
    const uint8_t normal = built.displayLists[5];
    auto list = [&](uint8_t op, std::vector<uint16_t> corners) {
        std::vector<uint8_t> l = {op, 0, static_cast<uint8_t>(corners.size())};
        for (uint16_t c : corners)
            l.insert(l.end(), {0, static_cast<uint8_t>(c), normal, 0, static_cast<uint8_t>(c), 0,
                               static_cast<uint8_t>(c)});
        return l;
    };
    // Two corners short of a second triangle: (a, c, d) is not drawn.
    const std::vector<uint8_t> leftover = list(0x90, {0, 1, 2, 0, 2});
    const struct { const char* why; std::vector<uint8_t> list; bool bHit[2]; } rows[] = {
        {"triangles", list(0x90, {0, 1, 2, 0, 2, 3}), {true, true}},
        {"triangles, two corners left over", leftover, {true, false}},
        {"quads", list(0x80, {0, 1, 2, 3}), {true, true}},
        {"quads, second form", list(0x88, {0, 1, 2, 3}), {true, true}},
        {"a fan", list(0xA0, {0, 1, 2, 3}), {true, true}},
        {"a strip", list(0x98, {1, 2, 0, 3}), {true, true}},
        {"lines", list(0xA8, {0, 2}), {false, false}},
    };
    const struct { float y, z; int index; mVec2 uv; } points[] = {
        {0.25f, -0.75f, 0, {0.75f, 1.75f}},  // in (a, b, c) only
        {0.75f, 0.5f, 3, {0.25f, 0.5f}},     // in (a, c, d) only
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        datagen::ZoneData data = built;
        data.displayLists = row.list;
        data.displayLists.resize((row.list.size() + 31) / 32 * 32, 0);
        data.strips[0].offset = 0;
        data.strips[0].size = static_cast<uint16_t>(row.list.size());
        ASSERT_TRUE(WriteZone("prims.zon", desc, data));
        eZone zone;
        ASSERT_TRUE(ReadZone("prims.zon", &zone));
        eZone::s_pZones[0] = &zone;
        for (int i = 0; i < 2; ++i) {
            const auto& p = points[i];
            mRayTriHit hit;
            mVec2 uv;
            ASSERT_EQ(zone.Intersect(Ray({0, p.y, p.z}, {1, 0, 0}, 1), 5, false, &hit, nullptr, &uv), row.bHit[i]);
            if (row.bHit[i]) {
                EXPECT_EQ(hit.index, p.index);
                EXPECT_NEAR(uv.x, p.uv.x, kTol);
                EXPECT_NEAR(uv.y, p.uv.y, kTol);
            }
        }
        eZone::s_pZones[0] = nullptr;
    }
}

// 72 triangles in one strip: more than a batch holds.
TEST_F(eZoneRayTest, TrianglesPastTheFirstBatchAreTestedAndCounted)
{
    datagen::ZoneDesc d = WallDesc();
    d.triangles.clear();
    d.visLevels = 1;  // all in the root, one strip
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j)
            AddQuad(&d, {i - 3.0f, j - 3.0f, -2}, {i - 2.0f, j - 3.0f, -2}, {i - 2.0f, j - 2.0f, -2},
                    {i - 3.0f, j - 2.0f, -2}, 1);
    eZone floor;
    Place(&floor, d, 2, At(0, 0, 0));
    ASSERT_EQ(floor.m_pVisData->nStrips, 1);
    std::set<int> indices;
    for (int i = 0; i < 6; ++i) {
        for (int j = 0; j < 6; ++j) {
            for (float f : {0.3f, 0.7f}) {  // either triangle of the square
                SCOPED_TRACE(testing::Message() << i << " " << j << " " << f);
                mRayTriHit hit;
                ASSERT_EQ(eZone::Intersect(Ray({i - 3 + f, j - 3 + (1 - f), 1}, {0, 0, -1}, 4), false, &hit),
                          &floor);
                EXPECT_NEAR(hit.distance, 3.0f, kTol);
                EXPECT_TRUE(hit.index % 3 == 0 && hit.index < 3 * 72);
                indices.insert(hit.index);
            }
        }
    }
    EXPECT_EQ(indices.size(), 72u);
}

}  // namespace
