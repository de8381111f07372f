#include "gcGameCore/entities/gcEntityTemplate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "datagen/modelWriters.h"
#include "eEngine/eShadowConfig.h"
#include "eEngine/modelTestSupport.h"
#include "entityTestObjects.h"

namespace {

using gcEntityTemplateTest = EntityTest;
using T = gcEntityTemplate;

datagen::EntityTemplateDesc Desc()
{
    datagen::EntityTemplateDesc d;
    d.name = "Crate";
    d.flags = 0x5;
    d.hMesh = 0x00010002;
    d.materialCount = 2;
    d.materials = {0xA0, 0xA1, 0xB0, 0xB1, 0xC0, 0xC1, 0xD0, 0xD1};
    d.surfaceCount = 1;
    d.surfaces = {0xE0};
    d.surfaceCollisionMask = 0x30;
    d.size = 2;
    d.attachItemMask = 0x7;
    d.shadow = true;
    d.shadowBlendMaterial = 0x99;
    d.bothSweeps = true;
    d.stats = {250, 0.5f, 0.25f, 2};
    d.values = {30, 0.5f, 20, 3};
    d.team = 1;
    d.hStateMachine = 0x00440001;
    d.actions = [](datagen::BlockWriter& w, int index) { RecordStepMember(w, 10 + index); };
    return d;
}

std::vector<int32_t> Tags(const gcEvent& e)
{
    TestLog().clear();
    e.Apply(gcEventParams(), gcEventStackData());
    return TestLogTags();
}

TEST_F(gcEntityTemplateTest, EachVersionReadsTheFieldsItHolds)
{
    using V = std::vector<int32_t>;
    for (uint32_t v = 6; v <= 20; ++v) {
        SCOPED_TRACE(v);
        gcTestEntityTemplate* t = m_pool.New<gcTestEntityTemplate>();
        ASSERT_TRUE(ReadBlock([&](datagen::BlockWriter& w) { datagen::EntityTemplateBlock(w, Desc(), v); }, t));
        EXPECT_STREQ(t->m_name.m_sData, "Crate");
        const uint32_t flags = v >= 19 ? 0x5u : (v >= 15 ? 0x3u : 0x1u);  // 15-18: the boolean sets 0x2
        EXPECT_EQ(t->nEntityTemplateFlags, flags);
        EXPECT_EQ(t->hMesh.m_nValue, 0x00010002u);
        EXPECT_EQ(t->hMaterials[2][1].m_nValue, 0xC1u);  // skin-major
        EXPECT_EQ(t->hMaterials[3][0].m_nValue, 0xD0u);
        EXPECT_EQ(t->hSurfaces[0].m_nValue, 0xE0u);
        EXPECT_EQ(t->nSurfaceCollisionMask, v >= 16 ? 0x30u : 0u);
        EXPECT_EQ(t->entitySize, v >= 16 ? 2 : 0);
        EXPECT_EQ(t->nAttachItemMask, v >= 20 ? 0x7u : 0xFFFFFFFFu);
        ASSERT_NE(t->pShadowConfig, nullptr);
        EXPECT_EQ(t->pShadowConfig->hBlendMaterial.m_nValue, 0x99u);
        EXPECT_EQ(t->fEntityStatsMax[T::STAT_HEALTH], 250.0f);
        EXPECT_EQ(t->fEntityStatsMax[T::STAT_ARMOR], v >= 10 ? 0.5f : 0.0f);
        EXPECT_EQ(t->fEntityValues[T::VAL_INTERACTTOL], v >= 8 ? 30.0f : 45.0f);
        EXPECT_EQ(t->fEntityValues[T::VAL_TURNRATE], v >= 9 ? 0.5f : 0.85f);
        EXPECT_EQ(t->fEntityValues[T::VAL_SOUNDRADIUSSCALE], v >= 10 ? 20.0f : 15.0f);
        EXPECT_EQ(t->team, 1);
        EXPECT_EQ(Tags(t->onUpdate), v >= 7 ? V{10} : V{});
        EXPECT_EQ(Tags(t->onInteract), v >= 8 ? V{11} : V{});
        EXPECT_EQ(Tags(t->onCanInteract), v >= 17 ? V{12} : V{});
        EXPECT_EQ(Tags(t->onDamageTaken), v >= 13 ? V{14} : V{});  // version 11's extra event (13) is dropped
        EXPECT_EQ(Tags(t->onInitialUpdate), v >= 13 ? V{15} : V{});
        EXPECT_EQ(Tags(t->onDeath), v >= 14 ? V{16} : V{});
        EXPECT_EQ(t->hStateMachine.m_nValue, v >= 18 ? 0x00440001u : 0u);
        std::destroy_at(t);
    }
}

// A member of another class where the shadow configuration belongs (a
// timer) is skipped without being built: the template takes no more of its
// pool than one without a shadow, and has none.
TEST_F(gcEntityTemplateTest, AForeignShadowConfigurationIsNeverBuilt)
{
    const uint32_t id = gcTestEntityTemplate().GetType()->m_nTypeId;
    datagen::EntityTemplateDesc none = Desc();
    none.shadow = false;
    ASSERT_TRUE(datagen::WriteObjectBlocksFile(m_data.HostPath("none.dat"), id,
                                               [&](datagen::BlockWriter& w) { datagen::EntityTemplateBlock(w, none, T::kVersion); }));
    ASSERT_TRUE(datagen::WriteObjectBlocksFile(m_data.HostPath("foreign.dat"), id,
                                               [&](datagen::BlockWriter& w) { datagen::EntityTemplateBlock(w, Desc(), T::kVersion); }));
    std::vector<uint8_t> bytes = ReadHostFile(m_data.HostPath("foreign.dat"));
    const std::vector<uint8_t> shadow = {0, 0, 0, 35, 0xBB, 0xBB, 0xBB, 0xBB};  // its type id, a block
    const size_t at = std::search(bytes.begin(), bytes.end(), shadow.begin(), shadow.end()) - bytes.begin();
    ASSERT_LT(at, bytes.size());
    bytes[at + 3] = 195;  // a timer
    ASSERT_TRUE(datagen::WriteBytes(m_data.HostPath("foreign.dat"), bytes));
    size_t taken[2] = {};
    gcTestLogCapture log;
    for (int i = 0; i < 2; ++i) {
        cMemPool pool("gcEntityTemplateLoad", 0x10000, false);
        auto* t = pool.New<gcTestEntityTemplate>();
        // A member of another class fails the file as a damaged one.
        EXPECT_EQ(ReadObjectFile(i == 0 ? "none.dat" : "foreign.dat", t, &pool), i == 0);
        EXPECT_EQ(t->pShadowConfig, nullptr);
        taken[i] = pool.BytesTaken();
        std::destroy_at(t);
    }
    EXPECT_LE(taken[1], taken[0]);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "a gcTimer before"), 1);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "where a eShadowConfig belongs"), 1);
}

TEST_F(gcEntityTemplateTest, RoundTripWritesNoMaterialsWithoutAMeshAndRefusesDamagedBlocks)
{
    gcTestEntityTemplate* t = PlaceTemplate();
    datagen::EntityTemplateDesc d = Desc();
    d.hMesh = 0;  // no mesh: the writer stores counts 0
    d.materialCount = 0;
    d.materials.clear();
    d.surfaceCount = 0;
    d.surfaces.clear();
    ASSERT_TRUE(ReadBlock([&](datagen::BlockWriter& w) { datagen::EntityTemplateBlock(w, d, 20); }, t));
    ASSERT_TRUE(datagen::WriteObjectFile(m_data.HostPath("t.dat"), *t));
    const std::vector<uint8_t> bytes = ReadHostFile(m_data.HostPath("t.dat"));
    EXPECT_EQ(bytes, ReadHostFile(m_data.HostPath("o.dat")));
    ExpectCutsFail(bytes, gcTestEntityTemplate::GetStaticType());

    t->hMaterials[0][0] = eMaterialHandle(0x55);  // not written: the mesh does not resolve
    ASSERT_TRUE(datagen::WriteObjectFile(m_data.HostPath("t2.dat"), *t));
    EXPECT_EQ(ReadHostFile(m_data.HostPath("t2.dat")), bytes);

    gcTestLogCapture log;
    datagen::EntityTemplateDesc damaged = Desc();
    damaged.damagedEvent = 5;  // OnInitialUpdate refused: the whole block is
    for (uint32_t v : {5u, 21u, 20u}) {
        const datagen::EntityTemplateDesc& desc = v == 20 ? damaged : Desc();
        EXPECT_FALSE(ReadBlock([&](datagen::BlockWriter& w) { datagen::EntityTemplateBlock(w, desc, v); }, t));
        EXPECT_STREQ(t->m_name.m_sData, "Crate");
        EXPECT_EQ(t->nEntityTemplateFlags, 0x5u);
        EXPECT_EQ(t->hMesh.m_nValue, 0u);
        EXPECT_EQ(t->pShadowConfig->hBlendMaterial.m_nValue, 0x99u);
        EXPECT_TRUE(t->onUpdate.HasActions());
    }
}

}  // namespace
