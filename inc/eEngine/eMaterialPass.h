#pragma once
// One pass of a material: up to four texture stages run in order on the
// texture combiner, sampling the pass's four texture handles, which live in
// the owning material. Lives in the material's pool and dies with it; main
// thread.

#include <cstdint>

#include "cCore/cBase.h"
#include "eEngine/eTexture.h"

class eCamera;
class eLightmap;
class eMaterial;
class eTextureStage;

class eMaterialPass : public cBase {
    QM_DECLARE_TYPE(eMaterialPass)
public:
    static constexpr uint32_t kVersion = 3;
    static constexpr int kMaxStages = 4;
    static constexpr int kNumTextures = 4;

    // No stages; pHandles points at the pass's four handles in the material.
    explicit eMaterialPass(eMaterial* pMaterial = nullptr, eTextureHandle* pHandles = nullptr);
    // Copies the stages into pPool, bound to this pass; the handles are the
    // new material's.
    eMaterialPass(const eMaterialPass& other, eMaterial* pMaterial, eTextureHandle* pHandles, cMemPool* pPool);
    ~eMaterialPass() override;

    // A copy bound to the same material and handles.
    cBase* Copy(cMemPool* pPool) const override;
    // Version 3: an empty cBase block, the stage count and each stage.
    void Write(const cFile& file) const override;
    // Version 3 (0: skipped, false): an empty cBase block, the count and the
    // stages. Versions 1 and 2 have no cBase block, and version 1 four
    // texture handles after the count. At most four stages are kept; the
    // rest of the block is passed over. The stages (and version 1's handles)
    // change only when the block was read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // A default stage appended in the pass's pool; null with four stages.
    eTextureStage* AddTextureStage();
    void RemoveTextureStage(int index);  // later stages move down
    void SwapTextureStage(int a, int b);

    // Every stage, the lightmap for stages that sample "( Lightmap )", then
    // the stage count (at least 1) and the coordinate generator count. A
    // pass that loaded a lightmap while the lightmaps are tinted gets a
    // stage more (when it has room) that scales its result by the tint.
    void Apply(const eCamera* pCamera, const eLightmap* pLightmap) const;

    // Handle 0-3 of the pass; 0 outside that range or without handles.
    eTextureHandle GetTextureHandle(int index) const;

    eMaterial* m_pMaterial;
    int32_t m_nStages;
    eTextureHandle* m_pHandles;
    eTextureStage* m_pStages[kMaxStages];

private:
    static int ApplyLightmapTint(int stage);
};
