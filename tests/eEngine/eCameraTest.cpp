#include "eEngine/eCamera.h"

#include <gtest/gtest.h>

#include "gx/gxFront_local.h"
#include "mMath/mSphere.h"
#include "eEngine/eVideo.h"
#include "eEngine/eVideoPlatform.h"

namespace {

constexpr float kFovTol = 0.001f;  // degrees, after the asin round trip

void ExpectFOV(const mFrustum& f, float hfov, float vfov)
{
    float h = 0.0f, v = 0.0f;
    f.GetFOV(&h, &v);
    EXPECT_NEAR(h, hfov, kFovTol);
    EXPECT_NEAR(v, vfov, kFovTol);
}

TEST(eCamera, SetOrthoAndAdjustFitTheLongerSide)
{
    const struct { const char* name; int width, height; uint32_t flags; float left, right, top, bottom, zoom; }
        rows[] = {
        {"landscape", 640, 480, 0, -5.0f, 5.0f, 3.75f, -3.75f, 10.0f},
        {"portrait", 480, 640, 0, -3.75f, 3.75f, 5.0f, -5.0f, 10.0f},
        {"square counts as portrait", 400, 400, 0, -5.0f, 5.0f, 5.0f, -5.0f, 10.0f},
        {"pixels", 640, 480, eCamera::kFlagOrthoPixels, -320.0f, 320.0f, 240.0f, -240.0f, 640.0f},
        {"no area uses the screen's shape", 0, 0, 0, -5.0f, 5.0f, 3.75f, -3.75f, 10.0f},
    };
    for (bool bAdjust : {false, true}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(::testing::Message() << row.name << (bAdjust ? ", refitted" : ""));
            eCamera camera;
            camera.m_nFlags = row.flags;
            const eViewport vp = {0, 0, row.width, row.height};
            if (bAdjust) {  // zoom 10 set on the full screen, then refitted to the viewport
                camera.SetOrtho(10.0f);
                camera.SetViewport(&vp, true);
            } else {
                camera.SetViewport(&vp, false);
                camera.SetOrtho(10.0f);
            }
            EXPECT_TRUE(eVideo::IsOrthographic(camera.m_frustum));
            float n, f, l, r, t, b;
            camera.m_frustum.GetOrtho(&n, &f, &l, &r, &t, &b);
            const float got[6] = {n, f, l, r, t, b};
            const float want[6] = {0.25f, 1000.0f, row.left, row.right, row.top, row.bottom};
            for (int i = 0; i < 6; ++i)
                EXPECT_FLOAT_EQ(got[i], want[i]) << "near, far, left, right, top, bottom: " << i;
            EXPECT_FLOAT_EQ(camera.GetOrthoZoom(), row.zoom);
        }
    }
}

TEST(eCamera, PerspectiveKeepsTheLargerAngleOnTheLongerSide)
{
    const struct { const char* name; eViewport vp; float fov, hfov, vfov; } rows[] = {
        {"narrow portrait", {10, 20, 320, 480}, 0.0f, 55.0f * 2.0f / 3.0f, 55.0f},
        {"wide", {0, 0, 640, 320}, 0.0f, 55.0f, 27.5f}, {"square", {0, 0, 480, 480}, 0.0f, 55.0f, 55.0f},
        {"SetFOV is horizontal", {0, 0, 640, 480}, 90.0f, 90.0f, 67.5f},
        {"no area uses the screen's shape", {0, 0, 0, 0}, 60.0f, 60.0f, 45.0f},
        {"one pixel wide is the viewport's own shape", {0, 0, 1, 480}, 0.0f, 55.0f / 480.0f, 55.0f},
        {"one pixel high", {0, 0, 640, 1}, 0.0f, 55.0f, 55.0f / 640.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        eCamera camera;
        camera.SetViewport(&row.vp, true);
        if (row.fov != 0.0f)
            camera.SetFOV(row.fov);
        ExpectFOV(camera.m_frustum, row.hfov, row.vfov);
        ExpectFOV(camera.m_worldFrustum, row.hfov, row.vfov);
    }
}

TEST(eCamera, WorldFrustumCullsKnownSpheres)
{
    eCamera camera;
    mOCS place;
    place.basis.SetH(90.0f);
    place.origin.Set(10.0f, 0.0f, 0.0f);
    camera.SetCameraToWorld(place);
    const struct { const char* name; mVec3 center; float radius; unsigned int mask; } rows[] = {
        {"ahead, wholly inside", {0.0f, 0.0f, 0.0f}, 1.0f, 127}, {"behind the camera", {20.0f, 0.0f, 0.0f}, 1.0f, 0},
        {"across the near plane", {9.75f, 0.0f, 0.0f}, 0.01f, 126},
        {"across the far plane", {-989.6f, 0.0f, 0.0f}, 0.5f, 125},
        {"across the right plane", {0.0f, 5.5f, 0.0f}, 1.0f, 119},
    };
    for (const auto& row : rows) {
        mSphere s;
        s.center = row.center;
        s.radius = row.radius;
        EXPECT_EQ(camera.m_worldFrustum.Clip(s, mFrustum::kMaskStart), row.mask) << row.name;
    }
}

TEST(eCamera, ApplyProjectsWithTheFarClipButCullsWithTheFrustum)
{
    eCamera camera;
    camera.m_fFarClip = 300.0f;
    camera.Apply();
    mFrustum projection;
    eVideoPlatform::GetProjection(&projection);
    EXPECT_FLOAT_EQ(projection.planes[mFrustum::kFar].offset, -300.0f);
    EXPECT_FLOAT_EQ(projection.planes[mFrustum::kNear].offset, 0.25f);
    EXPECT_FLOAT_EQ(camera.m_worldFrustum.planes[mFrustum::kFar].offset, -1000.0f);

    const struct { eViewport vp; float x, y, width, height; } rows[] = {
        {{5, 6, 0, 0}, 0.0f, 0.0f, 640.0f, 480.0f}, {{5, 6, 0, 100}, 5.0f, 6.0f, 0.0f, 100.0f},
        {{5, 6, 200, 100}, 5.0f, 6.0f, 200.0f, 100.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.vp.nWidth << " x " << row.vp.nHeight);
        camera.SetViewport(&row.vp, false);
        camera.Apply();
        const float got[4] = {gxGet().viewport.left, gxGet().viewport.top, gxGet().viewport.wd, gxGet().viewport.ht};
        const float want[4] = {row.x, row.y, row.width, row.height};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(got[i], want[i]) << "x, y, width, height: " << i;
    }
}

}  // namespace
