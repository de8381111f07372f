#include "eEngine/eVideo.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "platform/gx.h"
#include "platform/mtx.h"
#include "platform/os.h"
#include "platform/vi.h"
#include "mMath/mFrustum.h"
#include "mMath/mOCS.h"
#include "eEngine/eVideoPlatform.h"
#include "eEngine/eViewport.h"

uint32_t eVideo::s_nRenderedStaticTris = 0;
uint32_t eVideo::s_nRenderedDynamicTris = 0;
uint32_t eVideo::s_nRenderedLines = 0;
uint32_t eVideo::s_nRenderedVerts = 0;

namespace {

constexpr eViewport kSafeFrame = {48, 40, 544, 400};
constexpr uint32_t kClearDepth = 0xFFFFFF;  // 24-bit, the far end

// When the last flip's retrace was due: the time the hold counts from.
bool s_bFlipTimeSet = false;
OSTime s_lastFlip = 0;
eFrameTimes s_frameTimes;

void LoadPosNrm(const mOCS& ocs)
{
    Mtx m;
    eVideoPlatform::OCSTo34Matrix(ocs, m);
    GXLoadPosMtxImm(m, GX_PNMTX0);
    GXLoadNrmMtxImm(m, GX_PNMTX0);
}

mOCS IdentityOCS()
{
    mOCS ocs;
    ocs.MakeIdentity();
    return ocs;
}

// Holds the frame until more than a thirtieth of a second has passed since
// the last flip, then waits for the retrace: the first one due after both
// the hold and the frame's end, so a frame that was slow anyway waits only
// for the next. The hold counts from when the last flip's retrace was due,
// not from when its wait ended: a thirtieth of a second is only 34 us short
// of two retraces, so a hold counted from a wake-up that came later than
// that would end past the second retrace and show every frame on the third.
// The wait gives up the CPU, so the loader runs meanwhile.
void HoldAndWaitForRetrace()
{
    if (!s_bFlipTimeSet) {
        s_lastFlip = OSGetTime();
        s_bFlipTimeSet = true;
    }
    // Once the run is ending (its frame limit reached, say) what the
    // shut-down still flips is not shown.
    const bool bShown = !VIQuitRequested();
    s_lastFlip = VIWaitForRetraceAfter(s_lastFlip + eVideo::kMinFrameTicks);
    if (bShown)
        s_frameTimes.Add(OSGetTime());
}

}  // namespace

void eFrameTimes::Add(int64_t shownAt)
{
    if (nFrames == 0)
        first = shownAt;
    else if (shownAt - last > slowest)
        slowest = shownAt - last;
    last = shownAt;
    ++nFrames;
}

void eFrameTimes::Describe(char* pText, size_t nSize) const
{
    const double fSeconds = OSTicksToSeconds(last - first);
    // Frames a second over the times between them: one fewer than shown.
    const double fRate = fSeconds > 0.0 ? static_cast<double>(nFrames - 1) / fSeconds : 0.0;
    std::snprintf(pText, nSize, "%" PRIu64 " frame%s shown in %.2f s, %.2f a second; the slowest took %.1f ms",
                  nFrames, nFrames == 1 ? "" : "s", fSeconds, fRate, OSTicksToSeconds(slowest) * 1000.0);
}

void eVideo::SetProgressiveMode(bool bProgressive)
{
    VISetBlack(TRUE);
    VIFlush();
    eVideoPlatform::SetVideoMode(bProgressive);
    for (int i = 0; i < eVideoPlatform::kModeSwitchRetraces; ++i)
        VIWaitForRetrace();
    VISetBlack(FALSE);
    VIFlush();
    OSSetProgressiveMode(bProgressive ? 1 : 0);
}

bool eVideo::CanDisplayProgressive()
{
    return VIGetDTVStatus() != 0;
}

bool eVideo::AlwaysPromptProgressive()
{
    return OSGetProgressiveMode() == 1;
}

void eVideo::GetMaxWidthHeight(int* pWidth, int* pHeight)
{
    *pWidth = kMaxWidth;
    *pHeight = kMaxHeight;
}

void eVideo::GetSafeFrame(eViewport* pViewport)
{
    *pViewport = kSafeFrame;
}

void eVideo::PreCull()
{
    eVideoPlatform::FlipPhysiqueBuffer();
}

void eVideo::Clear(bool, bool, uint32_t colour, float, const eViewport*)
{
    const GXColor clear = {static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8),
                           static_cast<uint8_t>(colour), static_cast<uint8_t>(colour >> 24)};
    GXSetCopyClear(clear, kClearDepth);
}

void eVideo::BeginRender()
{
    eVideoPlatform::SetFullViewport();
    void* pRead = nullptr;
    GXGetFifoPtrs(eVideoPlatform::s_pFifoObj, &pRead, &eVideoPlatform::s_pStartWrite);
    s_nRenderedStaticTris = 0;
    s_nRenderedDynamicTris = 0;
}

void eVideo::EndRender()
{
    void* pRead = nullptr;
    void* pWrite = nullptr;
    GXGetFifoPtrs(eVideoPlatform::s_pFifoObj, &pRead, &pWrite);
    const uint8_t* pStart = static_cast<const uint8_t*>(eVideoPlatform::s_pStartWrite);
    const uint8_t* pEnd = static_cast<const uint8_t*>(pWrite);
    // A write pointer behind the start has wrapped round the ring. One equal
    // to it means nothing was written, not a full ring.
    ptrdiff_t nBytes = pEnd - pStart;
    if (nBytes < 0)
        nBytes += eVideoPlatform::kFifoSize;
    eVideoPlatform::s_fFifoUsage = static_cast<float>(nBytes / static_cast<double>(eVideoPlatform::kFifoSize));
}

void eVideo::Flip()
{
    eRenderStateCache& rs = eVideoPlatform::RenderState();
    rs.Set(RS_Z_COMPARE, GX_TRUE);
    rs.Set(RS_Z_FUNC, GX_LEQUAL);
    rs.Set(RS_Z_UPDATE, GX_TRUE);
    // The display copy takes destination alpha with it.
    rs.Set(RS_ALPHA_UPDATE, GX_TRUE);
    rs.Apply();
    GXDrawDone();
    HoldAndWaitForRetrace();
    GXCopyDisp(eVideoPlatform::s_pBuffer[eVideoPlatform::s_nCurBuffer], GX_TRUE);
    rs.Set(RS_ALPHA_UPDATE, GX_FALSE);
}

const eFrameTimes& eVideo::FrameTimes()
{
    return s_frameTimes;
}

void eVideo::SetViewport(const eViewport* pViewport)
{
    if (pViewport == nullptr) {
        eVideoPlatform::SetFullViewport();
        return;
    }
    eVideoPlatform::SetViewportRect(pViewport->nX, pViewport->nY, pViewport->nWidth, pViewport->nHeight);
}

void eVideo::CopyFrameBuffer()
{
    GXSetTexCopySrc(0, 0, kMaxWidth, kMaxHeight);
    GXSetTexCopyDst(kMaxWidth, kMaxHeight, GX_TF_RGB565, GX_FALSE);
    GXCopyTex(eVideoPlatform::s_pFrameBufTexture, GX_FALSE);
    GXPixModeSync();
    GXInvalidateTexAll();
}

void eVideo::InvalidateTextureCache()
{
    GXInvalidateTexAll();
}

bool eVideo::IsOrthographic(const mFrustum& frustum)
{
    const float dot = frustum.planes[mFrustum::kLeft].normal.Dot(frustum.planes[mFrustum::kRight].normal);
    return std::fabs(-1.0f - dot) <= kOrthoTolerance;
}

void eVideo::SetProjection(const mFrustum& frustum)
{
    eVideoPlatform::s_projection.Set(frustum);
    eVideoPlatform::s_bDepthBiased = false;  // the next biased material biases this one
    float nearDist = 0.0f;
    float farDist = 0.0f;
    float left = 0.0f;
    float right = 0.0f;
    float top = 0.0f;
    float bottom = 0.0f;
    Mtx44 m;
    if (IsOrthographic(frustum)) {
        frustum.GetOrtho(&nearDist, &farDist, &left, &right, &top, &bottom);
        C_MTXOrtho(m, top, bottom, left, right, nearDist, farDist);
        GXSetProjection(m, GX_ORTHOGRAPHIC);
    } else {
        frustum.GetPerspective(&nearDist, &farDist, &left, &right, &top, &bottom);
        C_MTXFrustum(m, top, bottom, left, right, nearDist, farDist);
        GXSetProjection(m, GX_PERSPECTIVE);
    }
}

void eVideo::SetCameraToWorld(const mOCS& cameraToWorld)
{
    mOCS& worldToCamera = eVideoPlatform::s_worldToCamera;
    worldToCamera.basis.Inverse(cameraToWorld.basis);
    worldToCamera.origin.Xform(-cameraToWorld.origin, worldToCamera.basis);
    LoadPosNrm(worldToCamera);
}

void eVideo::SetZoneToWorld(const mOCS& zoneToWorld)
{
    eVideoPlatform::s_zoneToWorld = zoneToWorld;
}

void eVideo::SetLocalToZone(const mOCS& localToZone, float scale)
{
    eVideoPlatform::s_localToZone = localToZone;
    mOCS& localToWorld = eVideoPlatform::s_localToWorld;
    localToWorld.Xform(localToZone, eVideoPlatform::s_zoneToWorld);
    mOCS localToCamera;
    localToCamera.Xform(localToWorld, eVideoPlatform::s_worldToCamera);

    if (scale == 1.0f) {
        LoadPosNrm(localToCamera);
    } else {
        // The scale is applied first: it multiplies the axis rows only.
        mOCS scaled = localToCamera;
        scaled.basis.right *= scale;
        scaled.basis.forward *= scale;
        scaled.basis.up *= scale;
        LoadPosNrm(scaled);
    }

    // Camera-space position and normal for the texture-coordinate
    // generators; never scaled.
    Mtx m;
    eVideoPlatform::OCSTo34Matrix(localToCamera, m);
    GXLoadTexMtxImm(m, GX_TEXMTX2, GX_MTX3x4);
    m[0][3] = 0.0f;
    m[1][3] = 0.0f;
    m[2][3] = 0.0f;
    GXLoadTexMtxImm(m, GX_TEXMTX3, GX_MTX3x4);

    if (eVideoPlatform::s_bApplyTexMatrix) {
        // Local to world in the engine's own axes, for the dynamic lights.
        const mBasis& b = localToWorld.basis;
        const mVec3& p = localToWorld.origin;
        Mtx w = {{b.right.x, b.forward.x, b.up.x, p.x},
                 {b.right.y, b.forward.y, b.up.y, p.y},
                 {b.right.z, b.forward.z, b.up.z, p.z}};
        GXLoadTexMtxImm(w, GX_TEXMTX0, GX_MTX3x4);
        GXLoadTexMtxImm(w, GX_TEXMTX1, GX_MTX3x4);
    }
}

void eVideo::SetLocalToZoneIdentity()
{
    SetLocalToZone(IdentityOCS(), 1.0f);
}

void eVideo::SetZoneToWorldIdentity()
{
    SetZoneToWorld(IdentityOCS());
}

void eVideo::SetCameraToWorldIdentity()
{
    SetCameraToWorld(IdentityOCS());
}

void eVideo::SetScreenColorState(const mFrustum& projection, bool bZUpdate)
{
    SetProjection(projection);
    SetCameraToWorldIdentity();
    SetZoneToWorldIdentity();
    SetLocalToZoneIdentity();

    eRenderStateCache& rs = eVideoPlatform::RenderState();
    rs.Set(RS_BLEND_TYPE, GX_BM_BLEND);
    rs.Set(RS_BLEND_SRC, GX_BL_SRCALPHA);
    rs.Set(RS_BLEND_DST, GX_BL_ONE);
    rs.Set(RS_Z_COMPARE, GX_TRUE);
    rs.Set(RS_Z_FUNC, GX_ALWAYS);
    rs.Set(RS_Z_UPDATE, bZUpdate ? GX_TRUE : GX_FALSE);
    rs.Set(RS_Z_COMP_BEFORE_TEX, GX_TRUE);
    eVideoPlatform::SetVertexColorLighting();
    rs.Set(RS_NUM_TEX_GENS, 0);
    rs.Set(RS_NUM_TEV_STAGES, 1);
    rs.SetTevOrder(GX_TEVSTAGE0, GX_TEXCOORD_NULL, GX_TEXMAP_NULL, GX_COLOR0A0);
    eVideoPlatform::SetPassColor(GX_TEVSTAGE0);
    rs.Set(RS_ALPHA_COMPARE_FUNC, GX_ALWAYS);
    rs.Set(RS_ALPHA_COMPARE_REF, 0);
}
