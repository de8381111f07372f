#include "gcGameCore/entities/gcEntity.h"

#include <cmath>
#include <filesystem>

#include <gtest/gtest.h>

#include "platform/vi.h"
#include "datagen/entityWriters.h"
#include "eEngine/eCamera.h"
#include "eEngine/eLight.h"
#include "eEngine/eMaterialPass.h"
#include "eEngine/eTextureStage.h"
#include "eEngine/eVideoPlatform.h"
#include "eEngine/eVideoTestUtil.h"
#include "eEngine/modelTestSupport.h"
#include "eEngine/zoneTestSupport.h"
#include "entityTestObjects.h"
#include "gcGameCore/script/gcAnimationConfig.h"

namespace {

using S = eTextureStage;

const mVec3 kEye(5.0f, 0.0f, -2.9f);
constexpr int kFirstSlot = 20;

class gcEntityRenderTest : public ZoneVideoTest {
protected:
    void SetUp() override
    {
        ZoneVideoTest::SetUp();
        if (IsSkipped())
            return;
        eMaterial::SetGlobalFog(false, nullptr, mVec3(0, 0, 0), 0.0f, 1.0f);
        datagen::ZoneDesc room = RoomDesc(5, false);
        room.materials = {Lit(0.5f, 0.5f, 0.5f)->m_handle.m_nValue, Lit(0.3f, 0.3f, 0.6f)->m_handle.m_nValue};
        ASSERT_TRUE(WriteZone("room.zon", room));
        ASSERT_TRUE(ReadZone("room.zon", &m_zone));
        m_zone.m_nZoneIndex = 0;
        eZone::s_pZones[0] = &m_zone;
        gcEntityWorld::Funcs funcs{};
        funcs.pGetRegionId = [](int slot) { return slot == 0 ? 1 : -1; };
        m_oldFuncs = gcEntityWorld::Set(funcs);

        ASSERT_NE(PlaceMesh(m_data, &m_zonePool, 5, FigureDesc()), nullptr);
        m_pWalk = PlaceAnimation(m_data, &m_zonePool, 5, WalkDesc());
        ASSERT_NE(m_pWalk, nullptr);
        m_pTemplate = m_zonePool.New<gcTestEntityTemplate>();
        gcEntityTemplateMgr::Add(3, m_pTemplate, 0x33);
        m_pTemplate->hMesh = eMeshMgr::GetHandle(5);
        m_pTemplate->hMaterials[0][0] = Lit(0.8f, 0.3f, 0.2f)->m_handle;
        m_pTemplate->hMaterials[0][1] = Lit(0.2f, 0.8f, 0.3f)->m_handle;
        LoadEntities();
        mOCS view;
        view.LookAt(kEye, mVec3(0, 0, kEye.z), mVec3(0, 0, 1));
        m_camera.SetCameraToWorld(view);
    }
    void LoadEntities()
    {
        std::vector<datagen::EntityDesc> descs(2);
        const float y[2] = {-1.2f, 1.2f};
        for (int i = 0; i < 2; ++i) {
            descs[i].name = i == 0 ? "walker" : "statue";
            descs[i].hTemplate = m_pTemplate->m_handle.m_nValue;
            descs[i].regionId = 1;
            descs[i].active = true;
            descs[i].placement[1] = y[i];
            descs[i].placement[2] = -4.0f;  // on the floor
        }
        ASSERT_TRUE(datagen::WriteEntityGroupFile(m_data.HostPath("e.grp"), kFirstSlot, kTestEntityId, descs, 19));
        m_pGroup = cBase::Load("/e.grp", &m_zonePool, gcEntityGroup::GetStaticType());
        ASSERT_NE(m_pGroup, nullptr);
        for (int i = 0; i < 2; ++i) {
            m_pEntities[i] = gcEntityMgr::s_pInstances[kFirstSlot + i];
            ASSERT_NE(m_pEntities[i], nullptr);
            ASSERT_TRUE(m_pEntities[i]->Reset(&m_zonePool));
            ASSERT_TRUE(m_pEntities[i]->Enable());
            m_pEntities[i]->Send(gcMsgUnfreeze());
        }
        m_config.hAnimation = m_pWalk->m_handle;
        m_pEntities[0]->PlayAnimation(&m_config);
        m_pEntities[0]->HandleAnimationStarted(nullptr);
    }
    void TearDown() override
    {
        GXTestGetDrawStats();  // the render thread idle before the entities go
        if (m_pGroup)
            std::destroy_at(m_pGroup);
        gcEntityTemplateMgr::Remove(3);
        gcEntityWorld::Set(m_oldFuncs);
        ClearModelManagers();
        ZoneVideoTest::TearDown();
    }
    eMaterial* Lit(float r, float g, float b)
    {
        eMaterial* m = NewMaterial();
        m->m_diffuseColor.Set(r, g, b);
        AddStage(m->AddPass(eMaterial::PASS_DIFFUSE), S::IN_RASTER, S::IN_PREVIOUS, S::OP_A, S::IN_RASTER, S::OP_A,
                 -1);
        eMaterialMgr::Add(60 + static_cast<int>(m_materials.size()), m, 0x60);
        return m;
    }
    std::vector<uint8_t> Frame(int dt, const char* png)
    {
        for (gcEntity* e : m_pEntities)
            e->Send(gcMsgTick(cTimeValue(dt)));
        eVideo::PreCull();
        eZone::CullAll(m_camera);
        m_camera.BeginRender();
        eVideo::Clear(true, true, 0xFF000000u, 1.0f, nullptr);
        GXTestClearEfb(GXColor{0, 0, 0, 255}, 0xFFFFFF);
        eMaterial::ApplyNull();
        mVec3 dir(-2.0f, 0.0f, -1.0f);
        dir.Normalize();
        eLight::EnableDirectional(true);
        eLight::SetDirectional(dir, mVec4(0, 0, 0, 0), mVec4(1.0f, 0.9f, 0.8f, 1.0f), mVec4(0, 0, 0, 0));
        eMaterial::SetGlobalAmbient(0xFF202020u);
        eLight::ApplyDirectional();
        eZone::DrawAll(m_camera, false);
        m_camera.EndRender();
        GXDrawDone();
        std::vector<uint8_t> frame;
        EXPECT_TRUE(GXTestReadEfb(0, 0, 640, 480, &frame));
        eVideo::Flip();
        eVideo::Flip();
        const std::filesystem::path dir0 = std::filesystem::read_symlink("/proc/self/exe").parent_path();
        EXPECT_TRUE(VIWriteScreenshotPNG((dir0 / png).c_str()));
        return frame;
    }
    static void Compare(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int x0, int x1, int* pDiffer,
                        int* pSkin)
    {
        *pDiffer = *pSkin = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = x0; x < x1; ++x) {
                const size_t i = (static_cast<size_t>(y) * 640 + static_cast<size_t>(x)) * 4;
                *pDiffer += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2];
                *pSkin += a[i] > 2 * a[i + 1] && a[i] > 2 * a[i + 2] && a[i] > 60;
            }
    }

    eZone m_zone;
    eCamera m_camera;
    const eAnimation* m_pWalk = nullptr;
    gcTestEntityTemplate* m_pTemplate = nullptr;
    cBase* m_pGroup = nullptr;
    gcEntity* m_pEntities[2] = {};
    gcAnimationConfig m_config;
    gcEntityWorld::Funcs m_oldFuncs{};
};

TEST_F(gcEntityRenderTest, TheAnimatedEntityMovesAndTheStillOneDoesNot)
{
    ASSERT_EQ(m_pEntities[0]->m_model.m_pZone, &m_zone);
    const std::vector<uint8_t> first = Frame(0, "entity_walk_0.png");
    const std::vector<uint8_t> second = Frame(40, "entity_walk_40.png");  // legs swung 30 degrees apart
    ASSERT_EQ(first.size(), 640u * 480u * 4u);
    ASSERT_EQ(second.size(), first.size());
    int walkerDiffer, walkerSkin, statueDiffer, statueSkin;
    Compare(first, second, 0, 320, &walkerDiffer, &walkerSkin);
    Compare(first, second, 320, 640, &statueDiffer, &statueSkin);
    EXPECT_GT(walkerSkin, 100);  // both figures are drawn
    EXPECT_GT(statueSkin, 100);
    EXPECT_GT(walkerDiffer, 50);
    EXPECT_EQ(statueDiffer, 0);
}

}  // namespace
