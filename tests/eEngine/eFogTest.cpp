#include "eEngine/eFog.h"

#include "eEngine/eCamera.h"
#include "eEngine/eMaterial.h"
#include "eVideoTestUtil.h"

namespace {

constexpr cTimeValue kFrame(20);

class eFogTest : public VideoTest {
protected:
    void SetUp() override
    {
        VideoTest::SetUp();
        eFog::ResetFog(m_camera);
    }
    void Frames(int n)
    {
        for (int i = 0; i < n; ++i)
            eFog::UpdateFog(m_camera, kFrame);
    }
    eCamera m_camera;
};

TEST_F(eFogTest, FadingInFromNoFogPassesTheHalfwayValues)
{
    eFog::SetFog(m_camera, true, 10, 100, 0xFF336699, cTimeValue(600));
    Frames(1);  // the first frame still shows the old fog: at the far clip
    EXPECT_FLOAT_EQ(eFog::s_fCurrentNear, 1000);
    EXPECT_FLOAT_EQ(eFog::s_fCurrentFar, 1000);
    EXPECT_TRUE(eMaterial::s_bFogEnabled);
    Frames(14);
    Frames(1);  // 300 of 600 ticks left when this frame's value was made
    EXPECT_NEAR(eFog::s_fCurrentNear, 505, 1e-3);
    EXPECT_NEAR(eFog::s_fCurrentFar, 550, 1e-3);
    EXPECT_NEAR(eMaterial::s_fogParams.fNear, 505, 1e-3);
    EXPECT_NEAR(eFog::s_currentColor.x, 0.5f + 0.5f * 0x33 / 255.0f, 1e-6);
    Frames(15);
    Frames(1);  // the time has run out: the target itself
    EXPECT_EQ(eFog::s_fCurrentNear, 10.0f);
    EXPECT_EQ(eFog::s_fCurrentFar, 100.0f);
    EXPECT_EQ(eFog::s_currentColor, mVec3(0x33 / 255.0f, 0x66 / 255.0f, 0x99 / 255.0f));
    EXPECT_EQ(eMaterial::s_fogParams.fFar, 100.0f);
}

TEST_F(eFogTest, ImmediateAndNegativeTimesReachTheTargetOnTheNextFrame)
{
    for (int32_t ticks : {0, -40}) {
        SCOPED_TRACE(ticks);
        eFog::ResetFog(m_camera);
        eFog::SetFog(m_camera, true, 5, 50, 0x00FFFFFF, cTimeValue(ticks));  // alpha 0 changes nothing
        Frames(1);
        EXPECT_EQ(eFog::s_fCurrentNear, 5.0f);
        EXPECT_EQ(eFog::s_fCurrentFar, 50.0f);
        EXPECT_EQ(eFog::s_currentColor, mVec3(1, 1, 1));
        EXPECT_TRUE(eFog::s_bEnabled);
    }
}

TEST_F(eFogTest, SwitchingOffFadesToTheFarClipThenStops)
{
    eFog::SetFog(m_camera, false, 10, 20, 0xFFFFFFFF, cTimeValue(0));
    Frames(2);
    EXPECT_FALSE(eFog::s_bEnabled);
    EXPECT_FALSE(eMaterial::s_bFogEnabled);

    eFog::SetFog(m_camera, true, 0, 0, 0xFF000000, cTimeValue(600));
    Frames(16);  // near and far now at 500
    eFog::SetFog(m_camera, false, 1, 2, 0xFFFFFFFF, cTimeValue(200));
    EXPECT_TRUE(eFog::s_bStop);
    EXPECT_NEAR(eFog::s_fLastNear, 500, 1e-3);
    EXPECT_EQ(eFog::s_fNear, 1000.0f);
    Frames(1);
    Frames(5);  // 100 of 200 ticks left: halfway from 500 to the far clip
    EXPECT_NEAR(eFog::s_fCurrentNear, 750, 1e-2);
    EXPECT_TRUE(eMaterial::s_bFogEnabled);
    Frames(4);  // out of time: at the far clip, and off
    Frames(1);
    EXPECT_FALSE(eFog::s_bEnabled);
    EXPECT_FALSE(eFog::s_bStop);
    EXPECT_FALSE(eMaterial::s_bFogEnabled);
    EXPECT_EQ(eFog::s_fCurrentFar, 1000.0f);
}

}  // namespace
