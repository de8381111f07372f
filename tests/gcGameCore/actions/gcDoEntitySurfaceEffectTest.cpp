// The surface effect under an entity: the ray cast down, the table look-up
// and the spawned effect's frame.
#include "gcGameCore/actions/gcDoEntitySurfaceEffect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "../entities/entityTestObjects.h"
#include "datagen/effectWriters.h"
#include "eEngine/collisionTestSupport.h"
#include "eEngine/modelTestSupport.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/entities/gcEffectTemplate.h"
#include "gcGameCore/entities/gcSurface.h"
#include "gcGameCore/script/gcScriptText.h"
#include "mMath/mBasis.h"

namespace {

constexpr int kMeshSlot = 5;
constexpr int kSurfaceSlot = 44;
constexpr int kEffectSlot = 8;
constexpr uint32_t kMask = 0x4;

// An entity of zone A standing at (0, 0, 2), its mesh 2 high (a ray of 2.2
// without helper) with its hips 1 above the origin, over a floor of surface kSurfaceSlot whose medium row
// holds the effect in column 2.
class gcSurfaceEffectTest : public EntityWorldTest {
protected:
    void SetUp() override
    {
        EntityWorldTest::SetUp();
        ASSERT_TRUE(eZone::Initialize());
        datagen::MeshDesc mesh = FigureDesc();
        mesh.colliderSize = mVec3(0.5f, 0.5f, 2.0f);
        ASSERT_NE(PlaceMesh(m_data, &m_pool, kMeshSlot, mesh), nullptr);
        m_t = PlaceTemplate();
        m_t->hMesh = eMeshMgr::GetHandle(kMeshSlot);
        m_t->nSurfaceCollisionMask = kMask;
        m_t->entitySize = gcSurface::SS_MEDIUM;
        m_e = PlacedEntity(m_t, mVec3(0, 0, 2));
        Stand(mVec3(0, 0, 2));
        m_params.pInitiator = m_e;
        datagen::EffectTemplateDesc d;
        d.maxInstances = 1;
        m_pTemplate = m_pool.New<gcEffectTemplate>();
        ASSERT_TRUE(ReadBlock([&](datagen::BlockWriter& w) { datagen::EffectTemplateBlock(w, d, gcEffectTemplate::kVersion); },
                              m_pTemplate));
        m_pTemplate->m_handle = gcEffectTemplateMgr::Add(kEffectSlot, m_pTemplate, 0x123);
        m_pTemplate->ResetInstances();
        m_surface.m_nCollisionMask = kMask;
        m_surface.m_hEffects[gcSurface::SS_MEDIUM][2] = m_pTemplate->m_handle;
        // What a type past the row would reach into.
        m_surface.m_hEffects[gcSurface::SS_LARGE][0] = m_pTemplate->m_handle;
        m_hSurface = eSurfaceMgr::Add(kSurfaceSlot, &m_surface, 0x55);
    }
    void TearDown() override
    {
        m_floor.reset();
        eSurfaceMgr::s_pInstances[kSurfaceSlot] = nullptr;
        gcEffectTemplateMgr::Remove(kEffectSlot);
        gcEffect::s_nActiveStaticEffects = 0;
        gcEffect::s_nActiveSpawnedEffects = 0;
        EntityWorldTest::TearDown();
    }
    void Stand(const mVec3& at, float fHeading = 0.0f)
    {
        m_e->m_model.m_localToParent = MakeFrame(at.x, at.y, at.z, fHeading);
        m_e->m_model.m_localToZone = m_e->m_model.m_localToParent;
        m_e->m_model.SetGeomFlagsOnOff(0, eGeom::kDirty);
        m_e->m_model.Update(cTimeValue(0));  // the rest pose: the hips 1 above the origin
    }
    // A floor 40 wide at height z of zone A, centred at (x, y).
    void Floor(float z, float x = 0.0f, float y = 0.0f)
    {
        std::vector<ColTri> tris;
        AddQuad(&tris, {-20, -20, 0}, {20, -20, 0}, {20, 20, 0}, {-20, 20, 0});
        m_floor = std::make_unique<eTestColModel>(tris, m_hSurface, 30.0f);
        m_floor->Place(&m_a, mVec3(x, y, z));
        eZone::InvalidateDynamicCollisionCache();
    }
    // The instance when the action spawned it, else null; put back after.
    gcEffect* Run(const gcDoEntitySurfaceEffect& action)
    {
        gcEffect* p = m_pTemplate->GetInstanceAt(0);
        p->Send(gcMsgDeactivate());
        p->Send(gcMsgFreeze());
        action.Apply(m_params);
        return p->IsRunning() ? p : nullptr;
    }
    static cName Helper(const char* s)
    {
        cName n;
        n.Set("%s", s);
        return n;
    }

    gcTestEntityTemplate* m_t = nullptr;
    gcTestEntity* m_e = nullptr;
    gcEffectTemplate* m_pTemplate = nullptr;
    gcSurface m_surface;
    eSurfaceHandle m_hSurface;
    std::unique_ptr<eTestColModel> m_floor;
    gcEventParams m_params;
};

TEST_F(gcSurfaceEffectTest, TheRayReachesFromTheOriginOrAHelper)
{
    const gcDesiredEntity initiator = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    const struct {
        const char* name;
        const char* helper;
        float fFloor;
        bool bSpawned;
    } rows[] = {
        {"at the feet", "", 0.0f, true},
        {"1.1 x the height down", "", -0.15f, true},
        {"past it", "", -0.3f, false},
        {"above the origin", "", 2.1f, false},
        {"helper: 0.25 above it", "hips", 3.2f, true},
        {"helper: 0.5 long", "hips", 2.8f, true},
        {"helper: no further", "hips", 2.7f, false},
        {"helper: not from the origin", "hips", 1.0f, false},
        {"helper the model lacks: the origin", "tail", 0.0f, true},
        {"helper the model lacks: not above", "tail", 2.1f, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Floor(row.fFloor);
        gcEffect* p = Run(gcDoEntitySurfaceEffect(2, initiator, Helper(row.helper)));
        ASSERT_EQ(p != nullptr, row.bSpawned);
        if (!p)
            continue;
        EXPECT_TRUE(p->m_model.m_localToParent.origin.ApproxEqual(mVec3(0, 0, row.fFloor), 1e-4f));
        EXPECT_EQ(p->m_nRegionId, 1);
    }
}

// Types and sizes outside the table, a surface the mask does not meet, a
// mesh that does not resolve and a hit outside every zone spawn nothing.
TEST_F(gcSurfaceEffectTest, NothingOutsideTheTableOrTheZones)
{
    const gcDesiredEntity initiator = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    const struct {
        const char* name;
        uint32_t nType;
        int32_t nSize;
        uint32_t nMask;
        bool bMesh;
        float fY;
        bool bSpawned;
    } rows[] = {
        {"the slot", 2, 1, kMask, true, 0, true},
        {"an empty slot", 1, 1, kMask, true, 0, false},
        {"type 5", 5, 1, kMask, true, 0, false},
        {"size 3", 2, 3, kMask, true, 0, false},
        {"size -1", 2, -1, kMask, true, 0, false},
        {"mask missed", 2, 1, 0x8, true, 0, false},
        {"no mesh", 2, 1, kMask, false, 0, false},
        {"hit outside the zones", 2, 1, kMask, true, 55, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_t->entitySize = row.nSize;
        m_t->nSurfaceCollisionMask = row.nMask;
        m_e->m_model.m_hMesh = row.bMesh ? eMeshMgr::GetHandle(kMeshSlot) : eMeshHandle();
        Floor(0.0f, 0.0f, row.fY == 0 ? 0.0f : 40.0f);
        Stand(mVec3(0, row.fY, 2));
        EXPECT_EQ(Run(gcDoEntitySurfaceEffect(row.nType, initiator, cName())) != nullptr, row.bSpawned);
    }
}

// Size 3 lies one row past the table: what follows the table (here the
// armour modifier, holding the bits of a valid handle) is never read as one.
TEST_F(gcSurfaceEffectTest, ASizePastTheTableReadsNothingAfterIt)
{
    const uint32_t bits = m_pTemplate->m_handle.m_nValue;
    std::memcpy(&m_surface.m_fArmorMod, &bits, sizeof bits);
    m_t->entitySize = gcSurface::MAX_SIZES;
    Floor(0.0f);
    EXPECT_EQ(Run(gcDoEntitySurfaceEffect(0, gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR), cName())),
              nullptr);
    m_surface.m_fArmorMod = 0.0f;
}

// In zone B (100 along x) the ray and the effect take that zone's frame.
TEST_F(gcSurfaceEffectTest, AnotherZonesFrame)
{
    std::vector<ColTri> tris;
    AddQuad(&tris, {-20, -20, 0}, {20, -20, 0}, {20, 20, 0}, {-20, 20, 0});
    m_floor = std::make_unique<eTestColModel>(tris, m_hSurface, 30.0f);
    m_floor->Place(&m_b, mVec3(0, 0, 1));
    eZone::InvalidateDynamicCollisionCache();
    m_e->m_nRegionId = 2;
    Stand(mVec3(0, 0, 2));
    gcEffect* p = Run(gcDoEntitySurfaceEffect(2, gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR), cName()));
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->m_model.m_localToParent.origin.ApproxEqual(mVec3(0, 0, 1), 1e-4f));
    EXPECT_EQ(p->m_nRegionId, 2);
}

// An entity whose region is not resident casts from the world origin.
TEST_F(gcSurfaceEffectTest, OutsideItsRegionTheRayStartsAtTheWorldOrigin)
{
    Floor(-1.0f);
    Stand(mVec3(30, 30, 2));
    m_e->m_nRegionId = 3;
    gcEffect* p = Run(gcDoEntitySurfaceEffect(2, gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR), cName()));
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->m_model.m_localToParent.origin.ApproxEqual(mVec3(0, 0, -1), 1e-4f));
}

// The spawned effect faces the entity's movement, or its facing when it
// stands, pitched up from the floor (never quite 90 degrees).
TEST_F(gcSurfaceEffectTest, TheEffectFacesTheMovementOrTheEntity)
{
    const struct {
        const char* name;
        mVec3 velocity;
        float fFacing, fHeading;
    } rows[] = {{"moving along -y", {0, -0.01f, 0}, 90.0f, 180.0f}, {"standing", {0, 0, 0}, 90.0f, 90.0f}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Floor(0.0f);
        Stand(mVec3(0, 0, 2), row.fFacing);
        m_e->m_velocity = row.velocity;
        gcEffect* p = Run(gcDoEntitySurfaceEffect(2, gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR), cName()));
        ASSERT_NE(p, nullptr);
        mBasis want;
        want.SetHP(row.fHeading, 89.9f);
        EXPECT_TRUE(p->m_model.m_localToParent.basis.forward.ApproxEqual(want.forward, 1e-4f));
        EXPECT_TRUE(p->m_model.m_localToParent.basis.right.ApproxEqual(want.right, 1e-4f));
    }
}

// Heading from the movement, or from the facing when standing; pitch from
// the normal, held within 89.9 degrees.
TEST(gcDoEntitySurfaceEffect, OrientationFollowsMotionOrFacing)
{
    const mVec3 up(0, 0, 1);
    const struct {
        const char* name;
        mVec3 velocity, facing, normal;
        float fHeading, fPitch;
    } rows[] = {
        {"moving along +x", {0.2f, 0, 0}, {0, 1, 0}, up, -90.0f, 89.9f},
        {"standing: facing -x", {0.000005f, 0, 0}, {-1, 0, 0}, up, 90.0f, 89.9f},
        {"just moving", {0, -0.000011f, 0}, {1, 0, 0}, up, 180.0f, 89.9f},
        {"a slope", {0, 1, 0}, {1, 0, 0}, {0, 0.5f, 0.8660254f}, 0.0f, 60.0f},
        {"upside down", {0, 1, 0}, {1, 0, 0}, {0, 0, -1}, 0.0f, -89.9f},
        {"a normal past 1", {0, 1, 0}, {1, 0, 0}, {0, 0, 1.5f}, 0.0f, 89.9f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        mBasis got, want;
        gcDoEntitySurfaceEffect::GetOrientation(row.velocity, row.facing, row.normal, &got);
        want.SetHP(row.fHeading, row.fPitch);
        EXPECT_TRUE(got.right.ApproxEqual(want.right, 1e-4f));
        EXPECT_TRUE(got.forward.ApproxEqual(want.forward, 1e-4f));
        EXPECT_TRUE(got.up.ApproxEqual(want.up, 1e-4f));
    }
}

TEST(gcDoEntitySurfaceEffect, Text)
{
    char buf[gcScriptText::kSize] = {};
    cName helper;
    helper.Set("foot_l");
    gcDoEntitySurfaceEffect(1, gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER), helper).GetText(buf);
    gcDoEntitySurfaceEffect().GetText(buf);
    EXPECT_STREQ(buf, "EntitySurfaceEffect( Player at foot_l, 2 )EntitySurfaceEffect( Initiator, 1 )");
}

}  // namespace
