#pragma once
// How a surface is drawn: depth, blending, culling, fog and lighting
// switches, a diffuse colour and opacity, and up to two passes of texture
// stages with their texture handles. Apply turns a material into the
// render-state cache just before geometry is drawn, and skips the work when
// the same material, lightmap and per-object state were applied last. Kept
// by eMaterialMgr in 650 slots; lives in the pool of its group's load. Main
// thread.

#include <cstdint>

#include "cCore/cHandle.h"
#include "cCore/cObject.h"
#include "eEngine/eTexture.h"
#include "mMath/mVec3.h"
#include "cCore/cManager.h"
#include "cCore/cGroup.h"

class eCamera;
class eLightmap;
class eMaterial;
class eMaterialPass;
using eMaterialHandle = cHandle<eMaterial>;

// Per-object drawing state applied with a material.
struct eMaterialState {
    uint32_t m_nColor = 0xFFFFFFFF;       // tint, 0xAARRGGBB
    uint8_t m_nTextureBlendFactor = 255;  // alpha of combiner register 1

    bool operator==(const eMaterialState&) const = default;
    // The material of the handle with this state; ApplyNull when the handle
    // does not resolve.
    void Apply(eMaterialHandle hMaterial, const eCamera* pCamera, const eLightmap* pLightmap, int flags) const;
};

struct eFogParams {
    float fNear;  // distance where fog starts
    float fFar;   // distance where it is full
    mVec3 color;  // 0-1
};

class eMaterial : public cObject {
    QM_DECLARE_TYPE(eMaterial)
public:
    enum ePassID : int32_t { PASS_LIGHTING = 0, PASS_DIFFUSE = 1, MAX_PASSES = 2 };
    static const char* PassText(int pass);  // "???" outside the enumeration
    enum eBlendMode : int32_t {
        BLEND_NONE = 0,           // opaque
        BLEND_TRANSPARENT = 1,    // alpha blending
        BLEND_ADD = 2,            // additive, weighted by alpha
        BLEND_MODULATE = 3,       // 2 x source x destination
        BLEND_SUBTRACTALPHA = 4,  // destination darkened by source alpha
        BLEND_MODULATELIGHT = 5,  // source x destination
        BLEND_SUBTRACT = 6,       // destination - source
        NUM_BLEND_MODES = 7,
    };
    static const char* BlendModeText(int mode);  // "???" outside the enumeration

    // Material flags (m_nFlags).
    static constexpr uint32_t FLAG_NO_Z_UPDATE = 0x1;
    static constexpr uint32_t FLAG_NO_FOG = 0x2;
    static constexpr uint32_t FLAG_UNLIT = 0x4;
    static constexpr uint32_t FLAG_TWO_SIDED = 0x8;
    static constexpr uint32_t FLAG_DEPTH_BIAS = 0x10000;  // projection pulled toward the viewer
    static constexpr uint32_t FLAG_ALPHA_TEST = 0x20000;  // alpha below kAlphaTestRef discarded
    static constexpr uint32_t FLAG_NO_Z_COMPARE = 0x80000;
    static constexpr uint32_t FLAG_POINT_SAMPLE = 0x100000;
    // Apply flags.
    static constexpr unsigned int APPLY_VERTEX_COLOR = 0x1;

    static constexpr uint32_t kVersion = 3;
    static constexpr uint32_t kMinVersion = 2;
    static constexpr int kTexturesPerPass = 4;
    static constexpr uint8_t kAlphaTestRef = 2;
    static constexpr float kDepthBiasScale = 0.97f;     // of projection element [2][2]
    static constexpr uint32_t kNullMaterialColor = 0xFFFFFF00;  // opaque yellow: untextured fallback

    eMaterial();
    // Copies name, flags, blend mode, colour and opacity and makes its own
    // copies of the passes (in this material's pool) bound to its own
    // texture handles, which start empty.
    eMaterial(const eMaterial& other);
    // The same, with the passes copied into pPool.
    eMaterial(const eMaterial& other, cMemPool* pPool);
    ~eMaterial() override;  // destroys both passes

    cBase* Copy(cMemPool* pPool) const override;
    void Write(const cFile& file) const override;
    // Versions 2 and 3 (older: skipped, false); version 2 has no texture
    // handles after its passes. The material changes only when the block was
    // read whole; passes are made in pPool.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // A new empty pass in the material's pool (replacing one already there).
    eMaterialPass* AddPass(ePassID pass);
    void RemovePass(ePassID pass);
    // The pass for s_currentPass exists and has a stage.
    bool PassIsValid() const;
    // Whether the pass can be drawn: stages in order read only results that
    // earlier stages wrote, and every texture input has a texture. Changes
    // nothing; the second argument has no effect.
    bool VerifyMaterial(int pass, bool) const;

    // Sets the render state for drawing with this material (flags:
    // APPLY_VERTEX_COLOR lights by vertex colour).
    void Apply(const eCamera* pCamera, const eLightmap* pLightmap, const eMaterialState* pState,
               unsigned int flags) const;
    // Untextured drawing in the rasterised colour; forgets the last material.
    static void ApplyNull();
    // Fog for every material until changed; with a camera, the fog equation
    // takes its near distance and far clip.
    static void SetGlobalFog(bool bOn, const eCamera* pCamera, const mVec3& color, float start, float end);
    static void SetGlobalAmbient(uint32_t color);
    static void SetGlobalAmbient(const mVec3& color);  // alpha 255

    eMaterialHandle m_handle;
    uint32_t m_nFlags;
    eBlendMode m_blendMode;
    mVec3 m_diffuseColor;  // 0-1
    float m_fOpacity;      // 0-1
    eMaterialPass* m_pPasses[MAX_PASSES];
    eTextureHandle m_hTextures[MAX_PASSES * kTexturesPerPass];

    static ePassID s_currentPass;
    static const eMaterial* s_pLastMaterial;
    static const eLightmap* s_pLastLightmap;
    static eMaterialState s_lastState;  // all zero: nothing applied
    static eTextureHandle s_hLightmapTex;
    static eTextureHandle s_hFrameBufferTex;
    static uint32_t s_nGlobalAmbient;
    static bool s_bFogEnabled;
    static eFogParams s_fogParams;
    static float s_fFogCameraNear;
    static float s_fFogCameraFar;

private:
    static void ForgetLast();
    bool ApplyLightmapOnly(const eLightmap* pLightmap) const;
    void ApplyDepthAndAlpha() const;
    void ApplyFog() const;
    void ApplyDepthBias() const;
    eBlendMode ApplyBlend(const eMaterialState* pState) const;
    uint32_t MaterialColor(const eMaterialState* pState, eBlendMode mode) const;
    void ApplyLighting(unsigned int flags, uint32_t materialColor) const;
};

// The slot table of materials: 650 slots, resolved by handle. Main thread,
// or the loader filling a group.
class eMaterialMgr : public cManager<eMaterial, 650> {};

// The file block that fills a range of eMaterialMgr's slots with materials
// and their check values. Lives in the pool of its load; one made by the
// factory destroys its materials with it.
class eMaterialGroup : public cGroup {
    QM_DECLARE_GROUP(eMaterialGroup, eMaterialMgr)
};
