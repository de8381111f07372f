#pragma once
// The video device's portable face: the frame (PreCull, BeginRender, Clear,
// EndRender, Flip), viewport, screen copy, the transform chain every draw
// uses, and the video-mode queries the scripts read. A static class; the
// console half with the render-state cache is eVideoPlatform. Main thread
// only (InvalidateTextureCache excepted), after eVideoPlatform::Initialize.

#include <cstdint>

struct eViewport;
struct mFrustum;
struct mOCS;

class eVideo {
public:
    static constexpr int kMaxWidth = 640;   // pixels, both video modes
    static constexpr int kMaxHeight = 480;
    // Frustums whose two side planes are opposite within this are orthographic.
    static constexpr float kOrthoTolerance = 0.00001f;
    static constexpr double kMinFrameSeconds = 0.03333333;  // 30 frames a second at most

    // Blanks the screen around the mode change and tells the OS the choice.
    static void SetProgressiveMode(bool bProgressive);
    static bool CanDisplayProgressive();    // a cable that can carry progressive video
    static bool AlwaysPromptProgressive();  // the console setting says progressive
    static void GetMaxWidthHeight(int* pWidth, int* pHeight);
    static void GetSafeFrame(eViewport* pViewport);  // title-safe 48, 40, 544, 400

    // The frame, in the order the loops call it.
    static void PreCull();  // flips the skinning vertex cache
    // Only the colour matters: the colour and depth clear happen in Flip's
    // display copy, so the flags, depth and viewport have no effect.
    static void Clear(bool bColor, bool bDepth, uint32_t colour, float depth, const eViewport* pViewport);
    static void BeginRender();
    static void EndRender();
    // Holds the rate to 30 frames a second (yielding while it waits), then
    // shows the frame and clears for the next.
    static void Flip();

    // Null: the full screen.
    static void SetViewport(const eViewport* pViewport);
    static void CopyFrameBuffer();  // screen into the 640 x 480 screen-copy texture
    static void InvalidateTextureCache();

    static bool IsOrthographic(const mFrustum& frustum);
    static void SetProjection(const mFrustum& frustum);
    // Loads the inverse as position and normal matrix 0 (world-space drawing).
    static void SetCameraToWorld(const mOCS& cameraToWorld);
    static void SetZoneToWorld(const mOCS& zoneToWorld);  // stored only
    static void SetLocalToZone(const mOCS& localToZone, float scale);
    static void SetLocalToZoneIdentity();
    static void SetZoneToWorldIdentity();
    static void SetCameraToWorldIdentity();
    // Flat screen-space quads of vertex colour: identity transforms under the
    // given projection, the colour added by its alpha, depth always passing
    // (written only when bZUpdate), one TEV stage passing the vertex colour.
    static void SetScreenColorState(const mFrustum& projection, bool bZUpdate);

    // Counted by drawing code; BeginRender zeroes the triangle counters.
    static uint32_t s_nRenderedStaticTris;
    static uint32_t s_nRenderedDynamicTris;
    static uint32_t s_nRenderedLines;
    static uint32_t s_nRenderedVerts;
};
