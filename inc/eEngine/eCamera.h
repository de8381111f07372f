#pragma once
// The engine's view: a viewport on the 640 x 480 screen, a view frustum in
// camera space (perspective by field of view, or orthographic), the same
// frustum in world space for culling, the camera's frame in the world and the
// far distance of the projection. A plain class owned by the game camera (or
// any drawer) and passed by reference; main thread.

#include <cstdint>

#include "eEngine/eViewport.h"
#include "mMath/mFrustum.h"
#include "mMath/mOCS.h"

class eCamera {
public:
    static constexpr uint32_t kFlagOrthoPixels = 0x1;  // orthographic frusta in viewport pixels
    static constexpr float kDefaultFOV = 55.0f;        // horizontal, degrees
    static constexpr float kDefaultNear = 0.25f;
    static constexpr float kDefaultFar = 1000.0f;

    // Full-screen viewport, 55 degrees horizontal, near 0.25, far 1000,
    // identity frame.
    eCamera();

    // Null: the full screen. With adjust, the frustum is refitted to the
    // viewport's aspect ratio.
    void SetViewport(const eViewport* pViewport, bool bAdjust);
    // fov is the horizontal field of view; the vertical follows the viewport.
    void SetFOV(float fov);
    // zoom: the visible extent of the viewport's longer side in world units
    // (unused with kFlagOrthoPixels).
    void SetOrtho(float zoom);
    float GetOrthoZoom() const;  // the orthographic frustum's larger extent
    // Keeps the larger field of view (or the ortho zoom) on the longer side.
    void AdjustFrustum();
    void SetFrustum(const mFrustum& frustum);
    void SetCameraToWorld(const mOCS& cameraToWorld);

    // Viewport, projection (far plane at m_fFarClip) and camera matrix.
    void Apply() const;
    void BeginRender() const;  // eVideo::BeginRender, then Apply
    void EndRender() const;

    uint32_t m_nFlags;
    eViewport m_viewport;
    mFrustum m_frustum;       // camera space
    mFrustum m_worldFrustum;  // m_frustum moved by m_cameraToWorld
    mOCS m_cameraToWorld;
    float m_fFarClip;         // set directly by users; projection only

private:
    void UpdateWorldFrustum();
    // The viewport's size, or the full screen when it has no area (so the
    // aspect ratio is always defined).
    void GetAspectSize(float* pWidth, float* pHeight) const;
    void BuildOrtho(float zoom, float nearDist, float farDist);
};
