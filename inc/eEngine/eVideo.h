#pragma once
// The video device's portable face: the frame (PreCull, BeginRender, Clear,
// EndRender, Flip), viewport, screen copy, the transform chain every draw
// uses, and the video-mode queries the scripts read. A static class; the
// console half with the render-state cache is eVideoPlatform. Main thread
// only (InvalidateTextureCache excepted), after eVideoPlatform::Initialize.

#include <cstddef>
#include <cstdint>

struct eViewport;
struct mFrustum;
struct mOCS;

// How the frames shown so far were paced, in OS time-base ticks, for the
// figures a window run ends with: each flip adds the time it was shown at.
struct eFrameTimes {
    uint64_t nFrames = 0;
    int64_t first = 0;    // when the first frame was shown
    int64_t last = 0;
    int64_t slowest = 0;  // the longest time from one frame to the next

    void Add(int64_t shownAt);
    // One line: the frames, the seconds from the first to the last, the
    // frames a second over that time and the slowest frame in milliseconds.
    void Describe(char* pText, size_t nSize) const;
};

class eVideo {
public:
    static constexpr int kMaxWidth = 640;   // pixels, both video modes
    static constexpr int kMaxHeight = 480;
    // Frustums whose two side planes are opposite within this are orthographic.
    static constexpr float kOrthoTolerance = 0.00001f;
    // A thirtieth of a second in OS ticks (40.5 million a second): frames
    // are shown more than this apart, 30 a second at most.
    static constexpr int64_t kMinFrameTicks = 1350000;

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
    // Holds the rate to 30 frames a second (giving up the CPU while it
    // waits), then shows the frame at the retrace and clears for the next.
    static void Flip();
    static const eFrameTimes& FrameTimes();  // the frames Flip has shown

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
