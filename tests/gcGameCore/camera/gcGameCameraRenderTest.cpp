// The camera's overlays drawn headless: a frame captured mid-fade shows
// the fade colour at the fade's opacity, over the letterbox bars of 96
// pixels top and bottom. The frame is written as PNG beside the test.
#include "gcGameCore/camera/gcGameCamera.h"

#include <gtest/gtest.h>

#include "datagen/overlayWriters.h"
#include "eEngine/eVideoTestUtil.h"
#include "eEngine/materialTestSupport.h"
#include "eEngine/overlayTestSupport.h"

namespace {

class gcGameCameraRenderTest : public DrawingTest<MaterialTest> {
protected:
    void SetUp() override
    {
        DrawingTest::SetUp();
        if (IsSkipped())
            return;
        m_hRed = Overlay(30, 9, 255, 0);
        m_hBlue = Overlay(31, 10, 0, 255);
    }
    // A material drawing a solid texture of red and blue as given.
    eMaterialHandle Overlay(int textureSlot, int materialSlot, uint8_t r, uint8_t b)
    {
        eTexture* pTexture = MakeTexture(textureSlot, eTextureConfig::FORMAT_RGBA8, SolidImage(16, r, 0, b));
        EXPECT_NE(pTexture, nullptr);
        eMaterial* pMaterial = datagen::MakeOverlayMaterial(&m_pool, pTexture ? pTexture->m_handle : eTextureHandle());
        EXPECT_NE(pMaterial, nullptr);
        m_materials.push_back(pMaterial);
        return eMaterialMgr::Add(materialSlot, pMaterial, 0x99);
    }

    eMaterialHandle m_hRed, m_hBlue;
    gcGameCamera m_cam;
};

TEST_F(gcGameCameraRenderTest, FadeBlendsOverTheLetterboxBars)
{
    m_cam.Reset(true);
    m_cam.FadeLetterbox(true, true, m_hRed, cTimeValue(20), nullptr);
    m_cam.Fade(true, true, m_hBlue, cTimeValue(140), nullptr);  // opacity 0.2 a frame
    for (int i = 0; i < 3; ++i)
        m_cam.Send(gcMsgTick(cTimeValue(20)));
    ASSERT_FLOAT_EQ(m_cam.m_fFadeOpacity, 0.6f);
    ASSERT_FLOAT_EQ(m_cam.m_fLetterboxOpacity, 1.0f);

    eVideo::Clear(true, true, 0xFF000000u, 1.0f, nullptr);
    m_cam.Draw();
    eVideo::Flip();
    PresentedFrame frame;
    ASSERT_TRUE(frame.Read());
    EXPECT_TRUE(SaveOverlayPng("camera_fade_letterbox.png"));
    // Alpha 153 (255 x 0.6): blue 153 over black; over a bar, red 102 stays.
    const struct { const char* why; int y; int r, b; } probes[] = {
        {"top bar", 10, 102, 153},
        {"last row of the top bar", 95, 102, 153},
        {"first row below it", 96, 0, 153},
        {"middle", 240, 0, 153},
        {"last row above the bottom bar", 383, 0, 153},
        {"first row of the bottom bar", 384, 102, 153},
        {"bottom bar", 470, 102, 153},
    };
    for (const auto& p : probes) {
        SCOPED_TRACE(p.why);
        for (int x : {5, 320, 634}) {
            EXPECT_NEAR(frame.At(x, p.y, 0), p.r, 3) << x;
            EXPECT_NEAR(frame.At(x, p.y, 2), p.b, 3) << x;
        }
    }
}

}  // namespace
