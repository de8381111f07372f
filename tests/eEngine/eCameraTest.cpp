#include "eEngine/eCamera.h"

#include <gtest/gtest.h>

#include "mMath/mSphere.h"
#include "eEngine/eVideo.h"
#include "eEngine/eVideoPlatform.h"

namespace {

constexpr float kFovTol = 0.001f;  // degrees, after the asin round trip

void ExpectOrtho(const mFrustum& f, float left, float right, float top, float bottom)
{
    float n, fa, l, r, t, b;
    f.GetOrtho(&n, &fa, &l, &r, &t, &b);
    EXPECT_FLOAT_EQ(l, left);
    EXPECT_FLOAT_EQ(r, right);
    EXPECT_FLOAT_EQ(t, top);
    EXPECT_FLOAT_EQ(b, bottom);
}

TEST(eCamera, FreshCameraDefaults)
{
    eCamera camera;
    EXPECT_EQ(camera.m_nFlags, 0u);
    EXPECT_EQ(camera.m_viewport.nX, 0);
    EXPECT_EQ(camera.m_viewport.nY, 0);
    EXPECT_EQ(camera.m_viewport.nWidth, 640);
    EXPECT_EQ(camera.m_viewport.nHeight, 480);
    float h = 0.0f, v = 0.0f;
    camera.m_frustum.GetFOV(&h, &v);
    EXPECT_NEAR(h, 55.0f, kFovTol);
    EXPECT_NEAR(v, 41.25f, kFovTol);
    EXPECT_FLOAT_EQ(camera.m_frustum.planes[mFrustum::kNear].offset, 0.25f);
    EXPECT_FLOAT_EQ(camera.m_frustum.planes[mFrustum::kFar].offset, -1000.0f);
    EXPECT_FLOAT_EQ(camera.m_fFarClip, 1000.0f);
    EXPECT_FALSE(eVideo::IsOrthographic(camera.m_frustum));
    for (int i = 0; i < mFrustum::kNumPlanes; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(camera.m_worldFrustum.planes[i].normal, camera.m_frustum.planes[i].normal);
        EXPECT_EQ(camera.m_worldFrustum.planes[i].offset, camera.m_frustum.planes[i].offset);
    }
    mOCS identity;
    identity.MakeIdentity();
    EXPECT_EQ(camera.m_cameraToWorld, identity);
}

TEST(eCamera, SetOrthoFitsTheLongerSide)
{
    struct Row {
        const char* name;
        int width, height;
        uint32_t flags;
        float left, right, top, bottom;
    };
    const Row rows[] = {
        {"landscape", 640, 480, 0, -5.0f, 5.0f, 3.75f, -3.75f},
        {"portrait", 480, 640, 0, -3.75f, 3.75f, 5.0f, -5.0f},
        {"square counts as portrait", 400, 400, 0, -5.0f, 5.0f, 5.0f, -5.0f},
        {"pixels ignore the zoom", 640, 480, eCamera::kFlagOrthoPixels, -320.0f, 320.0f, 240.0f, -240.0f},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        eCamera camera;
        camera.m_nFlags = row.flags;
        const eViewport vp = {0, 0, row.width, row.height};
        camera.SetViewport(&vp, false);
        camera.SetOrtho(10.0f);
        EXPECT_TRUE(eVideo::IsOrthographic(camera.m_frustum));
        ExpectOrtho(camera.m_frustum, row.left, row.right, row.top, row.bottom);
        EXPECT_FLOAT_EQ(camera.m_frustum.planes[mFrustum::kNear].offset, 0.25f);  // near and far kept
        EXPECT_FLOAT_EQ(camera.m_frustum.planes[mFrustum::kFar].offset, -1000.0f);
        EXPECT_FLOAT_EQ(camera.GetOrthoZoom(), row.flags ? 640.0f : 10.0f);
    }
}

TEST(eCamera, AdjustFrustumKeepsTheLargerAngleOnTheLongerSide)
{
    struct Row {
        const char* name;
        int width, height;
        float hfov, vfov;
    };
    const Row rows[] = {
        {"narrow portrait", 320, 480, 55.0f * 2.0f / 3.0f, 55.0f},
        {"wide", 640, 320, 55.0f, 27.5f},
        {"square", 480, 480, 55.0f, 55.0f},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        eCamera camera;
        const eViewport vp = {10, 20, row.width, row.height};
        camera.SetViewport(&vp, true);
        EXPECT_EQ(camera.m_viewport.nX, 10);
        float h = 0.0f, v = 0.0f;
        camera.m_frustum.GetFOV(&h, &v);
        EXPECT_NEAR(h, row.hfov, kFovTol);
        EXPECT_NEAR(v, row.vfov, kFovTol);
        camera.m_worldFrustum.GetFOV(&h, &v);
        EXPECT_NEAR(v, row.vfov, kFovTol);  // the world frustum follows
    }
}

TEST(eCamera, AdjustFrustumOfAnOrthographicCameraKeepsItsZoom)
{
    eCamera camera;
    camera.SetOrtho(10.0f);
    const eViewport portrait = {0, 0, 480, 640};
    camera.SetViewport(&portrait, true);
    ExpectOrtho(camera.m_frustum, -3.75f, 3.75f, 5.0f, -5.0f);
}

TEST(eCamera, SetFOVTakesTheVerticalAngleFromTheViewport)
{
    eCamera camera;
    camera.SetFOV(90.0f);
    float h = 0.0f, v = 0.0f;
    camera.m_frustum.GetFOV(&h, &v);
    EXPECT_NEAR(h, 90.0f, kFovTol);
    EXPECT_NEAR(v, 67.5f, kFovTol);
    // A viewport without area uses the screen's shape rather than dividing by 0.
    const eViewport none = {0, 0, 0, 0};
    camera.SetViewport(&none, true);
    camera.SetFOV(60.0f);
    camera.m_frustum.GetFOV(&h, &v);
    EXPECT_NEAR(h, 60.0f, kFovTol);
    EXPECT_NEAR(v, 45.0f, kFovTol);
}

// Camera at (10, 0, 0) turned to look along -X; +Y is its right.
TEST(eCamera, WorldFrustumCullsKnownSpheres)
{
    eCamera camera;
    mOCS place;
    place.basis.SetH(90.0f);
    place.origin.Set(10.0f, 0.0f, 0.0f);
    camera.SetCameraToWorld(place);
    struct Row {
        const char* name;
        mVec3 center;
        float radius;
        unsigned int mask;
    };
    // Straddling a plane leaves its bit clear: near 1, far 2, right 8.
    const Row rows[] = {
        {"ahead, wholly inside", {0.0f, 0.0f, 0.0f}, 1.0f, 127},
        {"behind the camera", {20.0f, 0.0f, 0.0f}, 1.0f, 0},
        {"between eye and near plane", {9.9f, 0.0f, 0.0f}, 0.05f, 0},
        {"across the near plane", {9.75f, 0.0f, 0.0f}, 0.01f, 126},
        {"beyond the far plane", {-991.5f, 0.0f, 0.0f}, 0.5f, 0},
        {"across the far plane", {-989.6f, 0.0f, 0.0f}, 0.5f, 125},
        {"right of the view", {0.0f, 7.0f, 0.0f}, 1.0f, 0},
        {"across the right plane", {0.0f, 5.5f, 0.0f}, 1.0f, 119},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        mSphere s;
        s.center = row.center;
        s.radius = row.radius;
        EXPECT_EQ(camera.m_worldFrustum.Clip(s, mFrustum::kMaskStart), row.mask);
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
    EXPECT_FLOAT_EQ(camera.m_frustum.planes[mFrustum::kFar].offset, -1000.0f);
    EXPECT_FLOAT_EQ(camera.m_worldFrustum.planes[mFrustum::kFar].offset, -1000.0f);
}

}  // namespace
