#include "eEngine/eModel.h"

#include <cmath>

#include "platform/vi.h"
#include "eEngine/eCamera.h"
#include "eEngine/eLight.h"
#include "modelTestSupport.h"
#include "zoneTestSupport.h"

namespace {

using S = eTextureStage;

const mVec3 kEye(5.0f, 0.0f, -2.9f);
const mVec3 kLightDir(-2.0f, 0.0f, -1.0f);  // from +x and above; normalised below
struct Rgb { int r, g, b; };

void Project(const mVec3& p, int* pX, int* pY)
{
    const float depth = kEye.x - p.x;
    const float scale = 320.0f / std::tan(27.5f * 3.14159265f / 180.0f) / depth;
    *pX = static_cast<int>(std::lround(320.0f + p.y * scale));
    *pY = static_cast<int>(std::lround(240.0f - (p.z - kEye.z) * scale));
}

class eModelRenderTest : public ZoneVideoTest {
protected:
    void SetUp() override
    {
        ZoneVideoTest::SetUp();
        if (IsSkipped())
            return;
        eMaterial::SetGlobalFog(false, nullptr, mVec3(0, 0, 0), 0.0f, 1.0f);  // no fog in this room
        m_skin = Lit(0.8f, 0.3f, 0.2f);
        m_head = Lit(0.2f, 0.8f, 0.3f);
        datagen::ZoneDesc room = RoomDesc(5, false);
        room.materials = {Lit(0.5f, 0.5f, 0.5f)->m_handle.m_nValue, Lit(0.3f, 0.3f, 0.6f)->m_handle.m_nValue};
        ASSERT_TRUE(WriteZone("room.zon", room));
        ASSERT_TRUE(ReadZone("room.zon", &m_zone));
        m_zone.m_nZoneIndex = 0;
        eZone::s_pZones[0] = &m_zone;
        ASSERT_NE(PlaceMesh(m_data, &m_zonePool, 5, FigureDesc()), nullptr);
        const eAnimation* walk = PlaceAnimation(m_data, &m_zonePool, 5, WalkDesc());
        ASSERT_NE(walk, nullptr);
        m_pModel = m_zonePool.New<eModel>();
        m_pModel->SetMesh(eMeshMgr::GetHandle(5));
        m_pModel->m_pDrawInfos[0].hMaterial = m_skin->m_handle;
        m_pModel->m_pDrawInfos[1].hMaterial = m_head->m_handle;
        m_pModel->m_localToParent = MakeFrame(0, 0, -4);  // standing on the floor
        m_pModel->SetZone(&m_zone);
        m_pModel->SetGeomFlagsOnOff(eGeom::kDraw | eGeom::kDirty, 0);
        m_pModel->PlayAnimation(walk->m_handle);
        mOCS view;
        view.LookAt(kEye, mVec3(0, 0, kEye.z), mVec3(0, 0, 1));
        m_camera.SetCameraToWorld(view);
    }
    void TearDown() override
    {
        GXTestGetDrawStats();  // the render thread idle before the model goes
        if (m_pModel)
            std::destroy_at(m_pModel);
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
    void Frame(int dt, const char* png)
    {
        m_pModel->Update(cTimeValue(dt));
        eVideo::PreCull();
        eZone::CullAll(m_camera);
        m_camera.BeginRender();
        eVideo::Clear(true, true, 0xFF000000u, 1.0f, nullptr);
        GXTestClearEfb(GXColor{0, 0, 0, 255}, 0xFFFFFF);
        eMaterial::ApplyNull();
        mVec3 dir = kLightDir;
        dir.Normalize();
        eLight::EnableDirectional(true);
        eLight::SetDirectional(dir, mVec4(0, 0, 0, 0), mVec4(1.0f, 0.9f, 0.8f, 1.0f), mVec4(0, 0, 0, 0));
        eMaterial::SetGlobalAmbient(0xFF202020u);
        eLight::ApplyDirectional();
        eZone::DrawAll(m_camera, false);
        m_camera.EndRender();
        GXDrawDone();
        ASSERT_TRUE(GXTestReadEfb(0, 0, 640, 480, &m_frame));
        eVideo::Flip();
        eVideo::Flip();
        const std::filesystem::path dir0 = std::filesystem::read_symlink("/proc/self/exe").parent_path();
        EXPECT_TRUE(VIWriteScreenshotPNG((dir0 / png).c_str()));
    }
    Rgb At(const mVec3& p) const
    {
        int x, y;
        Project(p, &x, &y);
        const size_t i = (static_cast<size_t>(y) * 640 + static_cast<size_t>(x)) * 4;
        return {m_frame[i], m_frame[i + 1], m_frame[i + 2]};
    }
    static bool IsSkin(const Rgb& c) { return c.r > 2 * c.g && c.r > 2 * c.b && c.r > 60; }

    eZone m_zone;
    eModel* m_pModel = nullptr;
    eMaterial* m_skin = nullptr;
    eMaterial* m_head = nullptr;
    eCamera m_camera;
    std::vector<uint8_t> m_frame;
};

TEST_F(eModelRenderTest, AWalkingFigureMovesItsLegsAndIsLit)
{
    const mVec3 betweenFeet(0, 0, -3.9f);        // legs straight: covered
    const mVec3 forward(0, 0.4f, -3.69f);        // 0.8 down a leg swung 30 degrees
    const mVec3 backward(0, -0.4f, -3.69f);
    const mVec3 chest(0.45f, 0, -2.5f);          // the torso's face toward the camera

    Frame(0, "model_walk_0.png");  // frame 0: legs straight down
    const Rgb a[3] = {At(betweenFeet), At(forward), At(backward)};
    const Rgb body = At(chest);
    Frame(40, "model_walk_40.png");  // frame 2: legs swung 30 degrees apart
    const Rgb b[3] = {At(betweenFeet), At(forward), At(backward)};

    EXPECT_TRUE(IsSkin(a[0]));
    EXPECT_FALSE(IsSkin(b[0]));
    for (int i = 1; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(IsSkin(a[i]));
        EXPECT_TRUE(IsSkin(b[i]));
    }
    const float c = 2.0f / std::sqrt(5.0f);
    EXPECT_NEAR(body.r, 255.0f * 0.8f * 1.0f * c, 8);
    EXPECT_NEAR(body.g, 255.0f * 0.3f * 0.9f * c, 8);
    EXPECT_NEAR(body.b, 255.0f * 0.2f * 0.8f * c, 8);
}

}  // namespace
