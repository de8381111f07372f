#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gx.h"
#include "platform/os.h"
#include "platform/vi.h"
#include "../test/gx_test.h"
#include "eEngine/eCamera.h"
#include "eEngine/eDrawInfo.h"
#include "eEngine/eGeom.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMaterialPass.h"
#include "eEngine/eTextureStage.h"
#include "eEngine/eVideo.h"
#include "eEngine/eVideoPlatform.h"
#include "eEngine/eZone.h"
#include "eVideoTestUtil.h"
#include "zoneTestSupport.h"

struct PresentedFrame {
    std::vector<uint8_t> rgba;
    int width = 0;
    int height = 0;

    bool Read()
    {
        VIWaitForRetrace();
        return GXTestReadPresented(&rgba, &width, &height) && width == 640 && height == 480;
    }
    int At(int x, int y, int channel) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + channel]; }
    int Luma(int x, int y) const { return (At(x, y, 0) + At(x, y, 1) + At(x, y, 2)) / 3; }
};

inline bool SaveOverlayPng(const char* name)
{
    const char* dir = std::getenv("QM_OVERLAY_PNG_DIR");
    return VIWriteScreenshotPNG((std::string(dir && *dir ? dir : ".") + "/" + name).c_str()) != 0;
}

class OverlayTestCaster : public eGeom {
public:
    OverlayTestCaster() { m_fVisRadius = 1.5f; }
    void Cull(const eCamera&, const mFrustum&, unsigned int) override
    {
        m_info.pDrawable = this;
        if (m_pZone)
            m_pZone->AddDrawInfo(&m_info, nullptr);
    }
    void CollisionCull(const eCollider&, const mSphere&) override {}
    void Draw(const eCamera& camera, const eDrawInfo*) override
    {
        eMaterial::ApplyNull();
        DrawImmediate(camera, 0);
    }
    void DrawImmediate(const eCamera& camera, unsigned int flags) const override
    {
        ++m_nImmediateDraws;
        eVideo::SetLocalToZone(m_localToZone, 1.0f);
        eVideoPlatform::RenderState().Set(RS_CULL_MODE, GX_CULL_NONE);
        eVideoPlatform::SetVertexType(GX_VTXFMT5, false);
        eVideoPlatform::BeginPrimitive(GX_QUADS, GX_VTXFMT5, 4);
        const float c[4][2] = {{-1.0f, -0.25f}, {1.0f, -0.25f}, {1.0f, 0.25f}, {-1.0f, 0.25f}};
        for (const auto& p : c) {
            GXPosition3f32(p[0], p[1], 0.0f);
            GXColor1u32(0xFFFF00FFu);
        }
        GXEnd();
        eGeom::DrawImmediate(camera, flags);
    }
    eDrawInfo m_info;
    mutable int m_nImmediateDraws = 0;
};

class OverlaySceneTest : public ZoneVideoTest {
protected:
    void SetUp() override
    {
        ZoneVideoTest::SetUp();
        if (IsSkipped())
            return;
        eMaterial* floor = PlainMaterial(5, 0.75f, 0.75f, 0.75f);
        eMaterial* wall = PlainMaterial(6, 0.25f, 0.35f, 0.5f);
        datagen::ZoneDesc desc = RoomDesc(5, false);
        desc.materials = {floor->m_handle.m_nValue, wall->m_handle.m_nValue};
        ASSERT_TRUE(WriteZone("room.zon", desc));
        ASSERT_TRUE(ReadZone("room.zon", &m_room));
        m_room.m_localToWorld.MakeIdentity();
        m_room.m_nZoneIndex = 0;
        eZone::s_pZones[0] = &m_room;
        eMaterial::s_currentPass = eMaterial::PASS_DIFFUSE;
    }
    void TearDown() override
    {
        GXTestGetDrawStats();  // the render thread idle before the room goes
        eZone::s_pZones[0] = nullptr;
        ZoneVideoTest::TearDown();
    }
    eMaterial* PlainMaterial(int slot, float r, float g, float b)
    {
        eMaterial* m = NewMaterial(eMaterial::FLAG_UNLIT);
        m->m_diffuseColor.Set(r, g, b);
        AddStage(m->AddPass(eMaterial::PASS_DIFFUSE), eTextureStage::IN_RASTER, eTextureStage::IN_RASTER,
                 eTextureStage::OP_A, eTextureStage::IN_RASTER, eTextureStage::OP_A, eTextureStage::kNoTexture);
        eMaterialMgr::Add(slot, m, static_cast<uint16_t>(0x300 + slot));
        return m;
    }

    eZone m_room;
};
