#include "eEngine/eMaterialPass.h"

#include <memory>
#include <utility>

#include "platform/gx.h"
#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eLightmap.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eTextureStage.h"
#include "eEngine/eVideoPlatform.h"

QM_DEFINE_TYPE(eMaterialPass, cBase, 25)

namespace {

constexpr uint32_t kBaseVersion = 1;
constexpr uint32_t kFirstVersionWithBase = 3;
constexpr uint32_t kVersionWithHandles = 1;

void DestroyStages(eTextureStage* const stages[], int count)
{
    for (int i = 0; i < count; ++i)
        if (stages[i])
            std::destroy_at(stages[i]);
}

}  // namespace

eMaterialPass::eMaterialPass(eMaterial* pMaterial, eTextureHandle* pHandles)
    : m_pMaterial(pMaterial), m_nStages(0), m_pHandles(pHandles), m_pStages{}
{
}

eMaterialPass::eMaterialPass(const eMaterialPass& other, eMaterial* pMaterial, eTextureHandle* pHandles,
                             cMemPool* pPool)
    : cBase(), m_pMaterial(pMaterial), m_nStages(0), m_pHandles(pHandles), m_pStages{}
{
    for (int i = 0; i < other.m_nStages && i < kMaxStages; ++i) {
        eTextureStage* p = pPool ? pPool->New<eTextureStage>(*other.m_pStages[i], this, pPool) : nullptr;
        if (!p) {
            // The pool reported it (failing the file being read, if any).
            break;
        }
        m_pStages[m_nStages++] = p;
    }
}

eMaterialPass::~eMaterialPass()
{
    DestroyStages(m_pStages, m_nStages);
}

cBase* eMaterialPass::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eMaterialPass>(*this, m_pMaterial, m_pHandles, pPool) : nullptr;
}

eTextureHandle eMaterialPass::GetTextureHandle(int index) const
{
    if (!m_pHandles || index < 0 || index >= kNumTextures)
        return eTextureHandle();
    return m_pHandles[index];
}

void eMaterialPass::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cBase::Write(file);
    wb.WriteInt(m_nStages);
    for (int i = 0; i < m_nStages; ++i)
        m_pStages[i]->Write(file);
}

bool eMaterialPass::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("eMaterialPass", "version");
    if (rb.m_nVersion >= kFirstVersionWithBase) {
        cReadBlock base(file, kBaseVersion);
    }
    const int32_t nStored = rb.ReadInt();
    eTextureHandle handles[kNumTextures];
    if (rb.m_nVersion == kVersionWithHandles)
        for (eTextureHandle& h : handles)
            h.Read(rb, pPool);
    if (rb.Failed())
        return false;
    if (nStored < 0 || nStored > kMaxStages)
        return rb.Reject("eMaterialPass", "stage count");

    const int nStages = nStored < kMaxStages ? nStored : kMaxStages;
    eTextureStage* stages[kMaxStages] = {};
    int nMade = 0;
    bool ok = true;
    for (; nMade < nStages && ok; ++nMade) {
        stages[nMade] = pPool ? pPool->New<eTextureStage>(this) : nullptr;
        ok = stages[nMade] && stages[nMade]->Read(file, pPool);
    }
    if (!ok || rb.Failed()) {
        if (!rb.Failed())
            rb.SkipToEnd();
        DestroyStages(stages, nMade);
        return false;
    }
    rb.SkipToEnd();  // stages beyond the fourth

    DestroyStages(m_pStages, m_nStages);
    for (int i = 0; i < kMaxStages; ++i)
        m_pStages[i] = stages[i];
    m_nStages = nStages;
    if (rb.m_nVersion == kVersionWithHandles && m_pHandles)
        for (int i = 0; i < kNumTextures; ++i)
            m_pHandles[i] = handles[i];
    return true;
}

eTextureStage* eMaterialPass::AddTextureStage()
{
    if (m_nStages >= kMaxStages)
        return nullptr;
    cMemPool* pPool = cMemPool::GetPoolFromPtr(this);
    eTextureStage* p = pPool ? pPool->New<eTextureStage>(this) : nullptr;
    if (!p) {
        // The pool reported it (failing the file being read, if any).
        return nullptr;
    }
    m_pStages[m_nStages++] = p;
    return p;
}

void eMaterialPass::RemoveTextureStage(int index)
{
    if (index < 0 || index >= m_nStages)
        return;
    std::destroy_at(m_pStages[index]);
    for (int i = index; i + 1 < m_nStages; ++i)
        m_pStages[i] = m_pStages[i + 1];
    m_pStages[--m_nStages] = nullptr;
}

void eMaterialPass::SwapTextureStage(int a, int b)
{
    if (a < 0 || b < 0 || a >= m_nStages || b >= m_nStages)
        return;
    std::swap(m_pStages[a], m_pStages[b]);
}

void eMaterialPass::Apply(const eCamera*, const eLightmap* pLightmap) const
{
    int nCoords = 0;
    bool bLightmapped = false;
    for (int i = 0; i < m_nStages; ++i) {
        const eTextureStage& stage = *m_pStages[i];
        stage.Apply(i);
        const int map = stage.GetTextureIndex();
        if (map < 0)
            continue;
        ++nCoords;
        // The lightmap goes into the map the stage samples.
        const eTextureHandle h = GetTextureHandle(map);
        if (pLightmap && !h.IsNull() && h == eMaterial::s_hLightmapTex) {
            pLightmap->Apply(map);
            bLightmapped = true;
        }
    }
    eRenderStateCache& rs = eVideoPlatform::RenderState();
    int nTevStages = m_nStages > 0 ? m_nStages : 1;
    if (bLightmapped && eLightmap::HasTint() && m_nStages < eTextureStage::kMaxStages)
        nTevStages = ApplyLightmapTint(m_nStages);
    rs.Set(RS_NUM_TEV_STAGES, nTevStages);
    rs.Set(RS_NUM_TEX_GENS, nCoords);
}

// One more stage after the pass's own: its result times the lightmap tint
// (konst colour 0), alpha passed on. Returns the stage count with it. All of
// it goes through the cache, so a later pass reading another konst at this
// stage is sent its own.
int eMaterialPass::ApplyLightmapTint(int stage)
{
    eRenderStateCache& rs = eVideoPlatform::RenderState();
    rs.Set(RS_TEV_KCOLOR0, eLightmap::GetTint());
    rs.SetTevKColorSel(stage, GX_TEV_KCSEL_K0);
    rs.SetTevColorIn(stage, GX_CC_ZERO, GX_CC_CPREV, GX_CC_KONST, GX_CC_ZERO);
    rs.SetTevColorOp(stage, GX_TEV_ADD, GX_TB_ZERO, GX_CS_SCALE_1, GX_TEVPREV);
    rs.SetTevAlphaIn(stage, GX_CA_ZERO, GX_CA_ZERO, GX_CA_ZERO, GX_CA_APREV);
    rs.SetTevAlphaOp(stage, GX_TEV_ADD, GX_TB_ZERO, GX_CS_SCALE_1, GX_TEVPREV);
    rs.SetTevOrder(stage, GX_TEXCOORD_NULL, GX_TEXMAP_NULL, GX_COLOR_NULL);
    return stage + 1;
}
