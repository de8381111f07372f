#include "eEngine/eLight.h"

#include "gx/gxFront_local.h"
#include "eEngine/eVideo.h"
#include "eEngine/eVideoPlatform.h"
#include "materialTestSupport.h"

namespace {

const mVec4 kUnused(0.0f, 0.0f, 0.0f, 0.0f);
mSphere UnitSphere()
{
    mSphere s;
    s.center.Set(0.0f, 0.0f, 0.0f);
    s.radius = 1.0f;
    return s;
}

class eLightTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetMaterialState();
        eVideo::SetCameraToWorldIdentity();
    }
    void TearDown() override { ResetMaterialState(); }
    static const GXLightObj& Light(int n) { return gxGet().lights[n]; }
    static void ExpectVec(const float v[3], float x, float y, float z)
    {
        EXPECT_FLOAT_EQ(v[0], x);
        EXPECT_FLOAT_EQ(v[1], y);
        EXPECT_FLOAT_EQ(v[2], z);
    }
};

TEST_F(eLightTest, MaskHasABitPerLightSwitchedOn)
{
    struct Row { bool dir, omni0, omni1, omni2; uint32_t mask; } rows[] = {
        {false, false, false, false, 0x0}, {true, false, true, false, 0x5}, {false, true, false, true, 0xA},
        {true, true, true, true, 0xF}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.mask);
        eLight::EnableDirectional(row.dir);
        eLight::EnableOmni(0, row.omni0);
        eLight::EnableOmni(1, row.omni1);
        eLight::EnableOmni(2, row.omni2);
        EXPECT_EQ(eLight::GetLightMask(), row.mask);
        EXPECT_EQ(eVideoPlatform::RenderState().Get(RS_COLOR_CHAN_LIGHT_MASK), row.mask);
        EXPECT_EQ(eVideoPlatform::RenderState().Get(RS_COLOR_CHAN_ENABLE), 1u);
        EXPECT_EQ(eVideoPlatform::RenderState().Get(RS_COLOR_CHAN_DIFFUSE_FN), static_cast<uintptr_t>(GX_DF_CLAMP));
    }
    eLight::EnableOmni(3, true);  // there is no fourth slot
    EXPECT_EQ(eLight::GetLightMask(), 0xFu);
}

TEST_F(eLightTest, DirectionalLightIsAFarPointAgainstItsDirection)
{
    eLight::SetDirectional(mVec3(0.0f, 0.0f, -1.0f), kUnused, mVec4(1.0f, 0.5f, 2.0f, 1.0f), kUnused);
    EXPECT_FALSE(eLight::s_bDirectional);
    ExpectVec(Light(0).pos, 0.0f, 1048576.0f, 0.0f);
    ExpectVec(Light(0).k, 1.0f, 0.0f, 0.0f);
    ExpectVec(Light(0).a, 1.0f, 0.0f, 0.0f);
    const GXColor c = Light(0).color;
    EXPECT_TRUE(c.r == 255 && c.g == 127 && c.b == 255 && c.a == 255);  // 2.0 saturates

    mOCS camera;
    camera.MakeIdentity();
    camera.origin.Set(0.0f, 16.0f, 5.0f);
    eVideo::SetCameraToWorld(camera);
    eLight::SetDirectional(mVec3(1.0f, 0.0f, 0.0f), kUnused, mVec4(1, 1, 1, 1), kUnused);
    ExpectVec(Light(0).pos, -1048576.0f, -5.0f, 16.0f);
}

TEST_F(eLightTest, SetOmniLoadsAnUnattenuatedLight)
{
    eLight::s_nOpenOmniLight = 1;
    eLight::SetOmni(2, mVec3(1.0f, 2.0f, 3.0f), 4.0f, kUnused, mVec4(0.5f, -1.0f, 1.0f, 1.0f), kUnused);
    EXPECT_FALSE(eLight::s_bOmni[2]);
    EXPECT_EQ(eLight::s_nOpenOmniLight, 1);
    ExpectVec(Light(3).pos, 1.0f, 3.0f, -2.0f);
    ExpectVec(Light(3).k, 1.0f, 0.0f, 0.0f);
    EXPECT_EQ(Light(3).color.r, 127);
    EXPECT_EQ(Light(3).color.g, 0);  // below zero saturates at 0
    eLight::SetOmni(3, mVec3(0, 0, 0), 1.0f, kUnused, mVec4(1, 1, 1, 1), kUnused);  // ignored
}

TEST_F(eLightTest, LightsInRangeGetTheAttenuatedLight)
{
    struct Row { const char* name; mVec3 light; float lightRadius; bool lit; } rows[] = {
        {"touching exactly", mVec3(3.0f, 0.0f, 0.0f), 2.0f, true},
        {"overlapping", mVec3(0.0f, 1.0f, 0.0f), 0.5f, true}, {"just apart", mVec3(3.001f, 0.0f, 0.0f), 2.0f, false},
        {"radius 0 lights nothing", mVec3(0.0f, 0.0f, 0.0f), 0.0f, false},
        {"negative radius lights nothing", mVec3(0.0f, 0.0f, 0.0f), -1.0f, false},
        {"radius too small for 1/r", mVec3(0.0f, 0.0f, 0.0f), 1e-39f, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        eLight::s_nOpenOmniLight = 1;
        eLight::SetOmni(0, row.light, row.lightRadius, kUnused, mVec4(1, 1, 1, 1), kUnused);
        eLight::EnableOmni(0, !row.lit);
        eLight::EnableLightsInRange(UnitSphere());
        EXPECT_EQ(eLight::s_bOmni[0], row.lit);
        if (row.lit) {
            ExpectVec(Light(1).k, 0.0f, 6.6666665f / row.lightRadius, 0.0f);
            ExpectVec(Light(1).a, 1.0f, 0.0f, 0.0f);
        }
    }
}

TEST_F(eLightTest, NoOpenSlotsChangeNothing)
{
    eLight::SetOmni(0, mVec3(0, 0, 0), 5.0f, kUnused, mVec4(1, 1, 1, 1), kUnused);
    eLight::EnableOmni(0, false);
    eLight::s_nOpenOmniLight = 0;
    eLight::EnableLightsInRange(UnitSphere());
    EXPECT_FALSE(eLight::s_bOmni[0]);
    ExpectVec(Light(1).k, 1.0f, 0.0f, 0.0f);
    eLight::s_nOpenOmniLight = 7;  // never past the three slots
    eLight::EnableLightsInRange(UnitSphere());
    EXPECT_TRUE(eLight::s_bOmni[0]);
}

}  // namespace
