#include "eEngine/eVolume.h"

#include <algorithm>

#include "cCore/cFile.h"
#include "datagen/blockWriter.h"
#include "eEngine/eVolumeQuery.h"
#include "worldTestSupport.h"
#include "zoneTestSupport.h"

namespace {

class eVolumeTest : public WorldZoneTest {
protected:
    void SetUp() override
    {
        WorldZoneTest::SetUp();
        ASSERT_TRUE(m_a.CreateVolOctree(Tree(), &m_pool));
        ASSERT_TRUE(m_b.CreateVolOctree(Tree(), &m_pool));
    }

    eVolume* Place(eZone* pZone, eVolume* v, const mVec3& at)
    {
        v->m_pZone = pZone;
        v->SetLocalToZone(MakeFrame(at.x, at.y, at.z));
        return v;
    }

    static eVolumeQuery Move(const mVec3& a, const mVec3& b, uint32_t flags = 0)
    {
        eVolumeQuery q;
        q.m_prevPos = a;
        q.m_curPos = b;
        q.m_nFlags = flags;
        const mVec3 d = b - a;
        q.m_ray.origin = a;
        q.m_ray.length = d.Length();
        q.m_ray.dir = q.m_ray.length > 0 ? d * (1.0f / q.m_ray.length) : mVec3(1, 0, 0);
        q.m_cullVol.center = (a + b) * 0.5f;
        q.m_cullVol.radius = 0.5f * q.m_ray.length + 0.01f;
        return q;
    }

    static bool Listed(eVolume* const* list, int n, const eVolume* v)
    {
        return std::find(list, list + n, v) != list + n;
    }

    static std::string Lists(const eVolumeQuery& q, const eVolume* v)
    {
        return std::string(Listed(q.m_pEntered, q.m_nEntered, v) ? "e" : "") +
               (Listed(q.m_pInside, q.m_nInside, v) ? "i" : "") + (Listed(q.m_pExited, q.m_nExited, v) ? "x" : "");
    }
};

TEST_F(eVolumeTest, ShapesSortMovesIntoTheThreeLists)
{
    eVolume sphere, box, plane;
    sphere.SetVolumeSphere(2);
    box.SetVolumeBox(mVec3(4, 4, 4));
    plane.SetVolumePlane(4, 2);  // faces -y; 4 wide along x, 2 high along z
    Place(&m_a, &sphere, {10, 0, 0});
    Place(&m_a, &box, {-10, 0, 0});
    Place(&m_a, &plane, {0, 10, 0});
    const struct { const char* why; eVolume* v; mVec3 a, b; uint32_t flags; const char* lists; } rows[] = {
        {"into a sphere", &sphere, {6, 0, 0}, {9, 0, 0}, 0, "e"},
        {"out of a sphere", &sphere, {9, 0, 0}, {6, 0, 0}, 0, "x"},
        {"exactly at the radius is inside", &sphere, {6, 0, 0}, {8, 0, 0}, 0, "e"},
        {"staying inside", &sphere, {9, 0, 0}, {10, 0, 0}, 0, "i"},
        {"staying inside, flag 0x1", &sphere, {9, 0, 0}, {10, 0, 0}, 0x1, "ei"},
        {"staying inside, flags 0x3", &sphere, {9, 0, 0}, {10, 0, 0}, 0x3, "eix"},
        {"jumping over a sphere in one frame", &sphere, {6, 0, 0}, {14, 0, 0}, 0, "ex"},
        {"passing beside a sphere", &sphere, {6, 3, 0}, {14, 3, 0}, 0, ""},
        {"ending on the box's +x face: outside", &box, {-9, 0, 0}, {-8, 0, 0}, 0, "x"},
        {"ending on the box's -x face: inside", &box, {-15, 0, 0}, {-12, 0, 0}, 0, "e"},
        {"through a box", &box, {-15, 1, 1}, {-5, 1, 1}, 0, "ex"},
        {"through the plane from behind", &plane, {0, 12, 0}, {0, 8, 0}, 0, "e"},
        {"back out through the plane", &plane, {0, 8, 0}, {0, 12, 0}, 0, "x"},
        {"beside the rectangle", &plane, {3, 12, 0}, {3, 8, 0}, 0, ""},
        {"both behind", &plane, {0, 14, 0}, {0, 12, 0}, 0, ""},
        {"on the rectangle's edge", &plane, {2, 12, 1}, {2, 8, 1}, 0, "e"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        eVolumeQuery q = Move(row.a, row.b, row.flags);
        m_a.VolumeQuery(&q, nullptr);
        EXPECT_EQ(Lists(q, row.v), row.lists);
        EXPECT_TRUE(q.m_nFlags & eVolumeQuery::kDone);
    }
}

TEST_F(eVolumeTest, RestrictionsPickTheClassAndTheObject)
{
    eVolume v;
    v.SetVolumeSphere(3);
    Place(&m_a, &v, {0, 0, 0});
    eTestGeom mine, other;
    eVolume aVolume;  // a querier of an unrelated class
    const struct {
        const char* why; const cType* type; const cBase* instance; const cBase* querier; bool bListed;
    } rows[] = {
        {"no restriction", nullptr, nullptr, &aVolume, true},
        {"the class matches by derivation", eGeom::GetStaticType(), nullptr, &mine, true},
        {"another class", eGeom::GetStaticType(), nullptr, &aVolume, false},
        {"no querier", eGeom::GetStaticType(), nullptr, nullptr, false},
        {"the right object", eGeom::GetStaticType(), &mine, &mine, true},
        {"the right class, another object", eGeom::GetStaticType(), &mine, &other, false},
        {"an object without a class has no effect", nullptr, &mine, &other, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        v.m_pSpecificType = row.type;
        v.m_pSpecificInstance = row.instance;
        eVolumeQuery q = Move({-5, 0, 0}, {0, 0, 0});
        m_a.VolumeQuery(&q, row.querier);
        EXPECT_EQ(q.m_nEntered, row.bListed ? 1 : 0);
    }
}

TEST_F(eVolumeTest, CullingSphereAndZonesDecideWhatIsTested)
{
    eVolume touching, far, neighbour;
    touching.SetVolumeSphere(4);
    far.SetVolumeSphere(4);
    neighbour.SetVolumeSphere(2);
    Place(&m_a, &touching, {5, 0, 0});     // its bounding sphere touches the culling sphere exactly
    Place(&m_a, &far, {5.01f, 0, 0});      // just beyond: never tested, though the move enters it
    Place(&m_b, &neighbour, {-48, 0, 0});  // world x 52, in zone B
    eVolumeQuery q = Move({0.5f, 0, 0}, {2, 0, 0});
    q.m_cullVol.center.Set(0, 0, 0);
    q.m_cullVol.radius = 1;
    m_a.VolumeQuery(&q, nullptr);
    EXPECT_EQ(Lists(q, &touching), "e");
    EXPECT_EQ(Lists(q, &far), "");

    eVolumeQuery across = Move({48, 0, 0}, {51, 0, 0});  // from A's space into B's volume
    m_a.VolumeQuery(&across, nullptr);
    EXPECT_EQ(Lists(across, &neighbour), "e");
    EXPECT_EQ(across.m_zoneToWorld.origin, mVec3(-100, 0, 0));  // the last zone visited: B
}

TEST_F(eVolumeTest, ListsStopAtThirtyTwo)
{
    std::vector<eVolume> volumes(40);
    for (eVolume& v : volumes) {
        v.SetVolumeSphere(5);
        Place(&m_a, &v, {0, 0, 0});
    }
    eVolumeQuery q = Move({0, 0, 1}, {0, 0, 0}, 0x3);
    m_a.VolumeQuery(&q, nullptr);
    EXPECT_EQ(q.m_nInside, 32);
    EXPECT_EQ(q.m_nEntered, 32);
    EXPECT_EQ(q.m_nExited, 32);
    EXPECT_EQ(q.m_pInside[31], &volumes[31]);  // ring order
}

TEST_F(eVolumeTest, FilingCountsAndRemoval)
{
    eVolume v;
    v.SetVolumeSphere(1);
    Place(&m_a, &v, {10, 10, 10});
    const int16_t node = v.m_nVolNodeIndex;
    ASSERT_GT(node, 8);  // a level-2 cell
    EXPECT_EQ(m_a.m_pVolNodes[0].nVolCount, 1);
    v.SetLocalToZone(MakeFrame(60, 0, 0));  // outside the tree: stays where it was
    EXPECT_EQ(v.m_nVolNodeIndex, node);
    v.SetLocalToZone(MakeFrame(-10, -10, -10));
    EXPECT_NE(v.m_nVolNodeIndex, node);
    EXPECT_EQ(m_a.m_pVolNodes[node].pVol, nullptr);
    EXPECT_EQ(m_a.m_pVolNodes[eOctree::Parent(node)].nVolCount, 0);
    v.m_localToZone = MakeFrame(0, 0, 0);
    m_b.AddVolume(&v);  // to the other zone: the first lets it go
    EXPECT_EQ(m_a.m_pVolNodes[0].nVolCount, 0);
    EXPECT_EQ(m_b.m_pVolNodes[0].nVolCount, 1);
    m_b.RemoveVolume(&v);
    EXPECT_EQ(m_b.m_pVolNodes[0].nVolCount, 0);
    EXPECT_EQ(v.m_nVolNodeIndex, -1);
    EXPECT_EQ(v.m_pZone, nullptr);

    eVolume never;  // radius -1: never filed, wherever it is
    Place(&m_a, &never, {10, 10, 10});
    EXPECT_EQ(never.m_nVolNodeIndex, -1);
    EXPECT_EQ(m_a.m_pVolNodes[0].nVolCount, 0);
    never.SetVolumeSphere(1);
    never.SetLocalToZone(MakeFrame(10, 10, 10));
    never.SetVolumeSphere(-2);  // a filed volume whose radius drops below 0 leaves its node
    never.SetLocalToZone(MakeFrame(10, 10, 10));
    EXPECT_EQ(never.m_nVolNodeIndex, -1);
    EXPECT_EQ(m_a.m_pVolNodes[0].nVolCount, 0);
}

TEST_F(eVolumeTest, CopiesKeepTheShapeOnly)
{
    eVolume v;
    v.SetVolumeBox(mVec3(2, 3, 6));
    EXPECT_FLOAT_EQ(v.m_fRadius, 3.5f);
    v.m_pOwner = &v;
    v.m_pSpecificType = eGeom::GetStaticType();
    Place(&m_a, &v, {1, 2, 3});
    const eVolume copy(v);
    EXPECT_EQ(copy.m_type, eVolume::VOLUME_BOX);
    EXPECT_EQ(copy.m_boxSize, mVec3(2, 3, 6));
    EXPECT_EQ(copy.m_localToZone.origin, mVec3(1, 2, 3));
    EXPECT_EQ(copy.m_pZone, nullptr);
    EXPECT_EQ(copy.m_pOwner, nullptr);
    EXPECT_EQ(copy.m_pSpecificType, nullptr);
    EXPECT_EQ(copy.m_nVolNodeIndex, -1);
}

class eVolumeFileTest : public testing::Test {
protected:
    eTestDataDir m_data;
    cMemPool m_pool{"volumeFile", 0x10000, false};
};

TEST_F(eVolumeFileTest, BlockRoundTripsAndRefusesVersionZero)
{
    eVolume v;
    v.SetVolumePlane(4, 2);
    v.m_localToZone = MakeFrame(1, 2, 3, 90);
    ASSERT_TRUE(datagen::WriteObjectFile(m_data.HostPath("v.vol"), v));
    const std::vector<uint8_t> bytes = ReadHostFile(m_data.HostPath("v.vol"));
    ASSERT_EQ(bytes.size(), 8u + 16 + 12 + 16 + 68 + 4 + 4 + 4);
    auto* pRead = static_cast<eVolume*>(cBase::Load("/v.vol", &m_pool, eVolume::GetStaticType()));
    ASSERT_NE(pRead, nullptr);
    EXPECT_EQ(pRead->m_type, eVolume::VOLUME_PLANE);
    EXPECT_EQ(pRead->m_boxSize, mVec3(4, 2, 0));
    EXPECT_EQ(pRead->m_localToZone, v.m_localToZone);

    datagen::BlockWriter w;
    w.Header().Begin(1).Word(28).Begin(0).Begin(1).End().Int(0).Float(5).End().End().Trailer();
    ASSERT_TRUE(w.Save(m_data.HostPath("old.vol")));
    LogCatcher quiet;
    EXPECT_EQ(cBase::Load("/old.vol", &m_pool, eVolume::GetStaticType()), nullptr);
}

}  // namespace
