#include "eEngine/eVideoPlatform.h"

#include <cstring>

#include "platform/gxlist.h"
#include "platform/os.h"
#include "platform/ps.h"
#include "platform/vi.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cSaveRegion.h"
#include "mMath/mFrustum.h"
#include "mMath/mOCS.h"
#include "eEngine/eVideo.h"
#include "eEngine/eTexture.h"
#include "eEngine/eROMFont.h"
#include "eEngine/eTextureData.h"

void* eVideoPlatform::s_pFifo = nullptr;
GXFifoObj* eVideoPlatform::s_pFifoObj = nullptr;
void* eVideoPlatform::s_pFrameBufTexture = nullptr;
const GXRenderModeObj* eVideoPlatform::s_pRenderMode = &GXNtsc480IntDf;
uint32_t eVideoPlatform::s_nBufferWidth = 640;
uint32_t eVideoPlatform::s_nBufferHeight = 480;
void* eVideoPlatform::s_pBuffer[2] = {nullptr, nullptr};
int eVideoPlatform::s_nCurBuffer = 0;
mFrustum eVideoPlatform::s_projection;
mOCS eVideoPlatform::s_zoneToWorld;
mOCS eVideoPlatform::s_localToZone;
mOCS eVideoPlatform::s_worldToCamera;
mOCS eVideoPlatform::s_localToWorld;
bool eVideoPlatform::s_bApplyTexMatrix = false;
bool eVideoPlatform::s_bNoZWrite = false;
bool eVideoPlatform::s_bDepthBiased = false;
void* eVideoPlatform::s_pStartWrite = nullptr;
float eVideoPlatform::s_fFifoUsage = 0.0f;
ePhysiqueCache eVideoPlatform::s_physiqueCache;
eRenderStateCache eVideoPlatform::s_renderState;
eRenderStateCache* eVideoPlatform::s_pRenderState = &eVideoPlatform::s_renderState;
cMemPool* eVideoPlatform::s_pPhysiquePool = nullptr;

namespace {

constexpr uint32_t kArenaAlign = 32;
constexpr uint8_t kBlurTaps[7] = {32, 0, 0, 0, 0, 0, 32};
constexpr int kDebugPosFrac = 4;  // vertex format 4 positions

bool s_bInitialized = false;

uint8_t* AlignUp(uint8_t* p, uint32_t align)
{
    const uintptr_t v = reinterpret_cast<uintptr_t>(p);
    return reinterpret_cast<uint8_t*>((v + align - 1) & ~static_cast<uintptr_t>(align - 1));
}

// 0xAARRGGBB to the vertex stream's 0xRRGGBBAA.
uint32_t ToRGBA(uint32_t argb)
{
    return argb << 8 | argb >> 24;
}

// The mode's taps, each scaled by 1.0 and converted back to a byte.
void ScaledTaps(const GXRenderModeObj* mode, uint8_t taps[7])
{
    for (int i = 0; i < 7; ++i)
        taps[i] = static_cast<uint8_t>(static_cast<float>(mode->vfilter[i]) * 1.0f);
}

void DebugVertex(float x, float y, float z, uint32_t rgba)
{
    GXPosition3s16(ps::QuantS16(x, kDebugPosFrac), ps::QuantS16(y, kDebugPosFrac), ps::QuantS16(z, kDebugPosFrac));
    GXColor1u32(rgba);
    GXTexCoord2s16(0, 0);
    GXTexCoord2s16(0, 0);
}

// A list the graphics layer stops is a fault of the data: into the log as an
// error. A list that loaded never gets here: its reader checked it.
void LogListFault(const char* text)
{
    cLogError_("GX: %s", text);
}

}  // namespace

void eVideoPlatform::Initialize()
{
    if (s_bInitialized)
        return;
    s_bInitialized = true;

    uint8_t* pArena = static_cast<uint8_t*>(OSGetArenaLo());
    const size_t nNeeded = kFifoSize + kFrameBufTextureSize + kArenaAlign;
    if (static_cast<size_t>(static_cast<uint8_t*>(OSGetArenaHi()) - pArena) < nNeeded) {
        cLogError_("eVideoPlatform: arena too small for the FIFO and frame buffers (%zu bytes needed)", nNeeded);
        return;
    }
    pArena = AlignUp(pArena, kArenaAlign);
    s_pFifo = pArena;
    s_pFifoObj = GXInit(s_pFifo, kFifoSize);
    GXSetListFaultWriter(&LogListFault);
    VIInit();
    s_pFrameBufTexture = pArena + kFifoSize;
    OSSetArenaLo(pArena + kFifoSize + kFrameBufTextureSize);
    eROMFont::Initialize();

    SetVideoMode(cSaveRegion::GetSaveRegionData(cSaveRegion::kProgressiveWord) != 0);
    GXSetCopyClear(GXColor{0, 0, 0, 0}, 0xFFFFFF);
    for (int i = 0; i < kInitialBlackFrames; ++i)
        eVideo::Flip();
    VISetBlack(FALSE);
    VIFlush();

    InitPhysiqueCache();
    eRenderStateCache::SendAttributeFormats();
    // Zones set their own frame before drawing; until then a zero frame
    // would collapse every model matrix.
    eVideo::SetZoneToWorldIdentity();
    ResetState();
}

void eVideoPlatform::Uninitialize()
{
    eROMFont::Uninitalize();
    // Nothing else is given back: the arena blocks live as long as the
    // program.
}

void eVideoPlatform::SetVideoMode(bool bProgressive)
{
    s_pRenderMode = bProgressive ? &GXNtsc480Prog : &GXNtsc480IntDf;
    cSaveRegion::SetSaveRegionData(cSaveRegion::kProgressiveWord, bProgressive ? 1 : 0);
    s_nBufferWidth = s_pRenderMode->fbWidth;
    s_nBufferHeight = s_pRenderMode->efbHeight;
    VIConfigure(s_pRenderMode);
    VIFlush();
    VIWaitForRetrace();
    VIWaitForRetrace();
    ConfigureCopy();
    ReserveFrameBuffer();
    s_pBuffer[1] = nullptr;
    VISetNextFrameBuffer(s_pBuffer[s_nCurBuffer]);
    VIFlush();
}

// Copy filter, display-copy scale, source and destination, gamma, pixel
// format and field mode of the current render mode. ResetState repeats it.
void eVideoPlatform::ConfigureCopy()
{
    const GXRenderModeObj* mode = s_pRenderMode;
    uint8_t taps[7];
    ScaledTaps(mode, taps);
    GXSetCopyFilter(mode->aa, mode->sample_pattern, GX_TRUE, taps);
    const uint32_t nLines = GXSetDispCopyYScale(GXGetYScaleFactor(mode->efbHeight, mode->xfbHeight));
    GXSetScissor(0, 0, s_nBufferWidth, s_nBufferHeight);
    GXSetDispCopySrc(0, 0, static_cast<uint16_t>(s_nBufferWidth), static_cast<uint16_t>(s_nBufferHeight));
    GXSetDispCopyDst(static_cast<uint16_t>(s_nBufferWidth), static_cast<uint16_t>(nLines));
    GXSetDispCopyGamma(GX_GM_1_0);
    // The chosen format keeps destination alpha, which shadows and material
    // blends rely on.
    GXSetPixelFmt(mode->aa ? GX_PF_RGB565_Z16 : GX_PF_RGBA6_Z24, GX_ZC_LINEAR);
    GXSetFieldMode(mode->field_rendering, mode->xfbHeight < mode->viHeight ? GX_TRUE : GX_FALSE);
}

// The external frame buffer sits at the arena's low end. The arena bound is
// moved past it, so later arena users cannot overlap it; a mode change keeps
// the buffer it has (both modes need the same size).
void eVideoPlatform::ReserveFrameBuffer()
{
    if (s_pBuffer[0] != nullptr)
        return;
    uint8_t* pBuffer = AlignUp(static_cast<uint8_t*>(OSGetArenaLo()), kArenaAlign);
    const uint32_t nBytes = GetBackBufferSize();
    if (static_cast<size_t>(static_cast<uint8_t*>(OSGetArenaHi()) - pBuffer) < nBytes) {
        cLogError_("eVideoPlatform: no arena left for the %u-byte external frame buffer", nBytes);
        return;
    }
    s_pBuffer[0] = pBuffer;
    OSSetArenaLo(pBuffer + nBytes);
}

void* eVideoPlatform::GetBackBuffer()
{
    return s_pBuffer[s_nCurBuffer];
}

uint32_t eVideoPlatform::GetBackBufferWidth()
{
    return s_pRenderMode->fbWidth;
}

uint32_t eVideoPlatform::GetBackBufferHeight()
{
    return s_pRenderMode->xfbHeight;
}

uint32_t eVideoPlatform::GetBackBufferSize()
{
    const GXRenderModeObj* mode = s_pRenderMode;
    const uint32_t nWidth = (mode->fbWidth + 15u) & ~15u;
    const uint32_t nLines = GXSetDispCopyYScale(GXGetYScaleFactor(mode->efbHeight, mode->xfbHeight));
    return nWidth * nLines * 2;
}

void eVideoPlatform::SetViewportRect(int32_t x, int32_t y, int32_t width, int32_t height)
{
    const float fx = static_cast<float>(x);
    const float fy = static_cast<float>(y);
    const float fw = static_cast<float>(width);
    const float fh = static_cast<float>(height);
    if (s_pRenderMode->field_rendering)
        GXSetViewportJitter(fx, fy, fw, fh, 0.0f, 1.0f, VIGetNextField());
    else
        GXSetViewport(fx, fy, fw, fh, 0.0f, 1.0f);
    GXSetScissor(static_cast<uint32_t>(x), static_cast<uint32_t>(y), static_cast<uint32_t>(width),
                 static_cast<uint32_t>(height));
}

void eVideoPlatform::SetFullViewport()
{
    SetViewportRect(0, 0, static_cast<int32_t>(s_nBufferWidth), static_cast<int32_t>(s_nBufferHeight));
}

void eVideoPlatform::RestoreViewport()
{
    SetFullViewport();
}

void eVideoPlatform::GetProjection(mFrustum* pFrustum)
{
    pFrustum->Set(s_projection);
}

void eVideoPlatform::OCSTo34Matrix(const mOCS& ocs, float m[3][4])
{
    const mVec3& X = ocs.basis.right;
    const mVec3& Y = ocs.basis.forward;
    const mVec3& Z = ocs.basis.up;
    const mVec3& p = ocs.origin;
    m[0][0] = X.x;  m[0][1] = Y.x;  m[0][2] = Z.x;  m[0][3] = p.x;
    m[1][0] = X.z;  m[1][1] = Y.z;  m[1][2] = Z.z;  m[1][3] = p.z;
    m[2][0] = -X.y; m[2][1] = -Y.y; m[2][2] = -Z.y; m[2][3] = -p.y;
}

void eVideoPlatform::DrawQuad(float x0, float y0, float x1, float y1, uint32_t colour, float z)
{
    const uint32_t rgba = ToRGBA(colour);
    SetVertexType(GX_VTXFMT4, false);
    BeginPrimitive(GX_QUADS, GX_VTXFMT4, 4);
    DebugVertex(x0, y0, z, rgba);
    DebugVertex(x1, y0, z, rgba);
    DebugVertex(x1, y1, z, rgba);
    DebugVertex(x0, y1, z, rgba);
    GXEnd();
}

void eVideoPlatform::DrawLine(float x0, float y0, float x1, float y1, uint32_t colour)
{
    const uint32_t rgba = ToRGBA(colour);
    SetVertexType(GX_VTXFMT4, false);
    BeginPrimitive(GX_LINES, GX_VTXFMT4, 2);
    DebugVertex(x0, y0, 0.0f, rgba);
    DebugVertex(x1, y1, 0.0f, rgba);
    GXEnd();
}

void eVideoPlatform::SetCopyFilterBlur()
{
    GXSetCopyFilter(s_pRenderMode->aa, s_pRenderMode->sample_pattern, GX_TRUE, kBlurTaps);
}

void eVideoPlatform::SetCopyFilterNormal()
{
    uint8_t taps[7];
    ScaledTaps(s_pRenderMode, taps);
    GXSetCopyFilter(s_pRenderMode->aa, s_pRenderMode->sample_pattern, GX_TRUE, taps);
}

eRenderStateCache* eVideoPlatform::SetRenderStateCache(eRenderStateCache* pCache)
{
    eRenderStateCache* pOld = s_pRenderState;
    s_pRenderState = pCache != nullptr ? pCache : &s_renderState;
    return pOld;
}

void eVideoPlatform::ResetState()
{
    eRenderStateCache& rs = RenderState();
    rs.Reset();
    rs.SetVertexType(GX_VTXFMT0, true);
    // The texture bind cache forgets maps 0-3, so the next apply loads them.
    for (int map = 0; map < 4; ++map)
        eTexture::ApplyNull(map);
    GXSetTevSwapModeTable(GX_TEV_SWAP0, GX_CH_RED, GX_CH_GREEN, GX_CH_BLUE, GX_CH_ALPHA);
    GXSetTevSwapModeTable(GX_TEV_SWAP1, GX_CH_RED, GX_CH_GREEN, GX_CH_BLUE, GX_CH_GREEN);
    ConfigureCopy();
    eVideo::SetCameraToWorldIdentity();
    eVideo::SetLocalToZoneIdentity();
    eVideo::SetCameraToWorldIdentity();
    SetFullViewport();
    rs.Apply();
}

void eVideoPlatform::ApplyFrameBufferTexture(int map)
{
    eTextureData::ApplyScreenCopy(map);
}

void eVideoPlatform::SetPassColor(GXTevStageID stage)
{
    eRenderStateCache& rs = RenderState();
    rs.SetTevColorIn(stage, GX_CC_RASC, GX_CC_ZERO, GX_CC_ZERO, GX_CC_ZERO);
    rs.SetTevAlphaIn(stage, GX_CA_RASA, GX_CA_ZERO, GX_CA_ZERO, GX_CA_ZERO);
    rs.SetTevColorOp(stage, GX_TEV_ADD, GX_TB_ZERO, GX_CS_SCALE_1, GX_TEVPREV);
    rs.SetTevAlphaOp(stage, GX_TEV_ADD, GX_TB_ZERO, GX_CS_SCALE_1, GX_TEVPREV);
}

namespace {

struct ChannelSetup {
    uint32_t enable, ambSrc, matSrc, lightMask, diffuseFn, attnFn;
};

void SetChannels(const ChannelSetup& color, const ChannelSetup& alpha)
{
    eRenderStateCache& rs = eVideoPlatform::RenderState();
    rs.Set(RS_NUM_CHANS, 1);
    const ChannelSetup* setups[2] = {&color, &alpha};
    const eRenderState firsts[2] = {RS_COLOR_CHAN_ENABLE, RS_ALPHA_CHAN_ENABLE};
    for (int c = 0; c < 2; ++c) {
        const ChannelSetup& s = *setups[c];
        const uint32_t values[6] = {s.enable, s.ambSrc, s.matSrc, s.lightMask, s.diffuseFn, s.attnFn};
        for (int i = 0; i < 6; ++i)
            rs.Set(static_cast<eRenderState>(firsts[c] + i), values[i]);
    }
}

constexpr ChannelSetup kChannelOff = {GX_FALSE, GX_SRC_REG, GX_SRC_REG, 0, GX_DF_NONE, GX_AF_NONE};

}  // namespace

void eVideoPlatform::SetMaterialLighting(uint32_t lightMask)
{
    SetChannels(ChannelSetup{GX_TRUE, GX_SRC_REG, GX_SRC_REG, lightMask, GX_DF_CLAMP, GX_AF_SPOT}, kChannelOff);
}

void eVideoPlatform::SetVertexColorLighting()
{
    const ChannelSetup vertex = {GX_FALSE, GX_SRC_REG, GX_SRC_VTX, 0, GX_DF_NONE, GX_AF_NONE};
    SetChannels(vertex, vertex);
}

void eVideoPlatform::SetNoLighting()
{
    SetChannels(kChannelOff, kChannelOff);
}

void eVideoPlatform::BeginPrimitive(GXPrimitive primitive, GXVtxFmt format, uint16_t count)
{
    ApplyState();
    GXBegin(primitive, format, count);
}

void eVideoPlatform::CallDisplayList(void* pList, uint32_t nBytes)
{
    ApplyState();
    GXCallDisplayList(pList, nBytes);
}

void eVideoPlatform::InitPhysiqueCache()
{
    if (s_physiqueCache.HasMemory())
        return;
    if (s_pPhysiquePool == nullptr) {
        // Built on first use so that the pool list exists by then.
        static cMemPool s_pool("Physique Cache", 0, false);
        s_pPhysiquePool = &s_pool;
    }
    if (!s_pPhysiquePool->HasMemory() && !s_pPhysiquePool->AllocPoolMemory(kPhysiquePoolSize)) {
        s_physiqueCache.Init(nullptr, nullptr);
        return;  // logged by the pool; skinning falls back to its own memory
    }
    uint8_t* pBuffers = static_cast<uint8_t*>(s_pPhysiquePool->Alloc(kPhysiquePoolSize, 32));
    if (pBuffers == nullptr) {
        s_physiqueCache.Init(nullptr, nullptr);
        return;
    }
    s_physiqueCache.Init(pBuffers, pBuffers + ePhysiqueCache::kBufferBytes);
}
