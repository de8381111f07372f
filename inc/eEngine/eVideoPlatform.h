#pragma once
// The console half of the video device: start-up and video mode, the
// external frame buffer, the render-state cache through which every draw
// changes state, the seven vertex formats, primitives and display lists, the
// skinning vertex cache and two debug primitives. A static class; main thread
// only. Initialize before any drawing; Uninitialize at shut-down.

#include <cstdint>

#include "eEngine/ePhysiqueCache.h"
#include "eEngine/eRenderStateCache.h"
#include "platform/gx.h"

struct mFrustum;
struct mOCS;
class cMemPool;

class eVideoPlatform {
public:
    static constexpr uint32_t kFifoSize = 0x80000;                 // 512 KiB command FIFO
    static constexpr uint32_t kFrameBufTextureSize = 640 * 480 * 2;  // RGB565 screen copy, 614,400 bytes
    static constexpr uint32_t kPhysiquePoolSize = 2 * ePhysiqueCache::kBufferBytes;  // 192,000 bytes
    static constexpr int kInitialBlackFrames = 2;
    static constexpr int kModeSwitchRetraces = 100;

    // Start-up: FIFO and screen copy from the arena, the video mode the save
    // region remembers, two black frames, the skinning cache, the vertex
    // formats and the default render state.
    static void Initialize();
    static void Uninitialize();
    // Programs the render mode and remembers the choice in save-region word 0.
    static void SetVideoMode(bool bProgressive);

    static void* GetBackBuffer();
    static uint32_t GetBackBufferWidth();
    static uint32_t GetBackBufferHeight();
    static uint32_t GetBackBufferSize();  // bytes: width rounded to 16 x copy lines x 2

    static void RestoreViewport();  // full-screen viewport and scissor
    static void GetProjection(mFrustum* pFrustum);
    // Engine frame (z up) to the hardware's 3 x 4 row-major matrix: a
    // hardware point is (x, z, -y) of the engine point.
    static void OCSTo34Matrix(const mOCS& ocs, float m[3][4]);

    // Screen-space debug primitives in vertex format 4 (s16 with 4 fraction
    // bits); both send the pending render state first.
    static void DrawQuad(float x0, float y0, float x1, float y1, uint32_t colour, float z);
    static void DrawLine(float x0, float y0, float x1, float y1, uint32_t colour);

    static void SetCopyFilterBlur();
    static void SetCopyFilterNormal();

    // ---- render-state cache ----
    static eRenderStateCache& RenderState() { return *s_pRenderState; }
    // Test seam: draws through another cache (a recording subclass); null
    // restores the built-in one. Returns the previous cache.
    static eRenderStateCache* SetRenderStateCache(eRenderStateCache* pCache);
    static void ApplyState() { s_pRenderState->Apply(); }
    static void ResetState();
    // Binds the last screen copy (CopyFrameBuffer) to a texture map.
    static void ApplyFrameBufferTexture(int map);
    static void SetPassColor(GXTevStageID stage);
    static void SetMaterialLighting(uint32_t lightMask);
    static void SetVertexColorLighting();
    static void SetNoLighting();
    static void SetVertexType(GXVtxFmt format, bool bForce) { s_pRenderState->SetVertexType(format, bForce); }
    static void BeginPrimitive(GXPrimitive primitive, GXVtxFmt format, uint16_t count);
    static void EndPrimitive() {}
    static void CallDisplayList(void* pList, uint32_t nBytes);

    // ---- skinning vertex cache ("Physique Cache") ----
    static void InitPhysiqueCache();
    static void FreePhysiqueCache() {}
    static void FlipPhysiqueBuffer() { s_physiqueCache.Flip(); }
    static void* AllocPhysiqueVerts(int count, uint32_t* pId) { return s_physiqueCache.Alloc(count, pId); }
    static void* GetPhysiqueCacheVerts(uint32_t id) { return s_physiqueCache.GetVerts(id); }
    static bool PhysiqueVertsValid(uint32_t id) { return s_physiqueCache.Valid(id); }

    // The full-screen viewport and scissor (jittered by field when the mode
    // renders fields). Shared with eVideo.
    static void SetFullViewport();
    static void SetViewportRect(int32_t x, int32_t y, int32_t width, int32_t height);

    static void* s_pFifo;
    static GXFifoObj* s_pFifoObj;
    static void* s_pFrameBufTexture;
    static const GXRenderModeObj* s_pRenderMode;
    static uint32_t s_nBufferWidth;   // frame-buffer width
    static uint32_t s_nBufferHeight;  // embedded-frame-buffer height
    static void* s_pBuffer[2];        // one external frame buffer; the second stays null
    static int s_nCurBuffer;
    static mFrustum s_projection;
    static mOCS s_zoneToWorld;
    static mOCS s_localToZone;
    static mOCS s_worldToCamera;
    static mOCS s_localToWorld;
    static bool s_bApplyTexMatrix;  // SetLocalToZone also loads texture matrices 0 and 1
    static bool s_bNoZWrite;        // materials leave depth and alpha compare alone
    static bool s_bDepthBiased;     // the loaded projection is a material's biased one
    static void* s_pStartWrite;
    static float s_fFifoUsage;      // share of the FIFO the last frame wrote, 0-1

    static ePhysiqueCache s_physiqueCache;

private:
    static void ConfigureCopy();
    static void ReserveFrameBuffer();

    static eRenderStateCache s_renderState;
    static eRenderStateCache* s_pRenderState;
    static cMemPool* s_pPhysiquePool;
};
