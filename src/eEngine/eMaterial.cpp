#include "eEngine/eMaterial.h"

#include <memory>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMaterialPass.h"
#include "eEngine/eTextureStage.h"

QM_DEFINE_TYPE(eMaterial, cObject, 5)
QM_DEFINE_GROUP(eMaterialGroup, 8)

eMaterial::ePassID eMaterial::s_currentPass = eMaterial::PASS_DIFFUSE;
const eMaterial* eMaterial::s_pLastMaterial = nullptr;
const eLightmap* eMaterial::s_pLastLightmap = nullptr;
eMaterialState eMaterial::s_lastState = {0, 0};
eTextureHandle eMaterial::s_hLightmapTex;
eTextureHandle eMaterial::s_hFrameBufferTex;
uint32_t eMaterial::s_nGlobalAmbient = 0xFFFFFFFF;
bool eMaterial::s_bFogEnabled = false;
eFogParams eMaterial::s_fogParams = {0.0f, 0.0f, mVec3(0.0f, 0.0f, 0.0f)};
float eMaterial::s_fFogCameraNear = 0.0f;
float eMaterial::s_fFogCameraFar = 100.0f;

namespace {

// Whether an operation reads one of its inputs with the given code:
// operation A reads input 1, B input 2, the rest both.
bool UsesInput(uint8_t op, const uint8_t in[2], uint8_t code)
{
    if (op == eTextureStage::OP_ZERO)
        return false;
    if (op == eTextureStage::OP_A)
        return in[0] == code;
    if (op == eTextureStage::OP_B)
        return in[1] == code;
    return in[0] == code || in[1] == code;
}

bool ReadsPrevious(uint8_t op, const uint8_t in[2])
{
    return UsesInput(op, in, eTextureStage::IN_PREVIOUS);
}

}  // namespace

const char* eMaterial::PassText(int pass)
{
    return pass == PASS_LIGHTING ? "PASS_LIGHTING" : pass == PASS_DIFFUSE ? "PASS_DIFFUSE" : "???";
}

const char* eMaterial::BlendModeText(int mode)
{
    switch (mode) {
    case BLEND_NONE: return "BLEND_NONE";
    case BLEND_TRANSPARENT: return "BLEND_TRANSPARENT";
    case BLEND_ADD: return "BLEND_ADD";
    case BLEND_MODULATE: return "BLEND_MODULATE";
    case BLEND_SUBTRACTALPHA: return "BLEND_SUBTRACTALPHA";
    case BLEND_MODULATELIGHT: return "BLEND_MODULATELIGHT";
    case BLEND_SUBTRACT: return "BLEND_SUBTRACT";
    default: return "???";
    }
}

eMaterial::eMaterial()
    : m_nFlags(0), m_blendMode(BLEND_NONE), m_diffuseColor(1.0f, 1.0f, 1.0f), m_fOpacity(1.0f), m_pPasses{}
{
}

eMaterial::eMaterial(const eMaterial& other) : eMaterial(other, cMemPool::GetPoolFromPtr(this)) {}

eMaterial::eMaterial(const eMaterial& other, cMemPool* pPool)
    : cObject(other),
      m_nFlags(other.m_nFlags),
      m_blendMode(other.m_blendMode),
      m_diffuseColor(other.m_diffuseColor),
      m_fOpacity(other.m_fOpacity),
      m_pPasses{}
{
    for (int p = 0; p < MAX_PASSES; ++p) {
        if (!other.m_pPasses[p])
            continue;
        eTextureHandle* pHandles = &m_hTextures[p * kTexturesPerPass];
        m_pPasses[p] = pPool ? pPool->New<eMaterialPass>(*other.m_pPasses[p], this, pHandles, pPool) : nullptr;
        // A pass the pool cannot hold stays empty; the pool reported it.
    }
}

eMaterial::~eMaterial()
{
    for (eMaterialPass*& pPass : m_pPasses) {
        if (pPass)
            std::destroy_at(pPass);
        pPass = nullptr;
    }
    if (s_pLastMaterial == this)
        ForgetLast();
}

cBase* eMaterial::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eMaterial>(*this, pPool) : nullptr;
}

void eMaterial::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    wb.WriteInt(m_nFlags);
    wb.WriteInt(static_cast<int32_t>(m_blendMode));
    wb.WriteFloat(m_diffuseColor.x);
    wb.WriteFloat(m_diffuseColor.y);
    wb.WriteFloat(m_diffuseColor.z);
    wb.WriteFloat(m_fOpacity);
    for (int p = 0; p < MAX_PASSES; ++p) {
        wb.WriteBool(m_pPasses[p] != nullptr);
        if (m_pPasses[p])
            m_pPasses[p]->Write(file);
        for (int i = 0; i < kTexturesPerPass; ++i)
            m_hTextures[p * kTexturesPerPass + i].Write(wb);
    }
}

bool eMaterial::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kMinVersion)
        return rb.Reject("eMaterial", "version");
    const cName oldName = m_name;
    if (!ReadObjectPart(rb, pPool))
        return false;
    const uint32_t nFlags = rb.ReadUInt();
    const int32_t blend = rb.ReadInt();
    mVec3 diffuse;
    diffuse.x = rb.ReadFloat();
    diffuse.y = rb.ReadFloat();
    diffuse.z = rb.ReadFloat();
    const float fOpacity = rb.ReadFloat();

    eMaterialPass* passes[MAX_PASSES] = {};
    eTextureHandle handles[MAX_PASSES * kTexturesPerPass];
    // A version-1 pass stores its handles itself; the new passes write into
    // this copy, which is committed with them.
    for (int i = 0; i < MAX_PASSES * kTexturesPerPass; ++i)
        handles[i] = m_hTextures[i];
    bool ok = !rb.Failed();
    for (int p = 0; p < MAX_PASSES && ok; ++p) {
        if (rb.ReadInt() != 0 && !rb.Failed()) {
            passes[p] = pPool ? pPool->New<eMaterialPass>(this, &handles[p * kTexturesPerPass]) : nullptr;
            ok = passes[p] && passes[p]->Read(file, pPool);
        }
        if (ok && rb.m_nVersion >= kVersion)
            for (int i = 0; i < kTexturesPerPass; ++i)
                handles[p * kTexturesPerPass + i].Read(rb, pPool);
        ok = ok && !rb.Failed();
    }
    if (!ok) {
        for (eMaterialPass* pPass : passes)
            if (pPass)
                std::destroy_at(pPass);
        m_name = oldName;
        if (!rb.Failed())
            rb.SkipToEnd();
        return false;
    }

    for (int p = 0; p < MAX_PASSES; ++p) {
        if (m_pPasses[p])
            std::destroy_at(m_pPasses[p]);
        m_pPasses[p] = passes[p];
        if (passes[p])
            passes[p]->m_pHandles = &m_hTextures[p * kTexturesPerPass];
    }
    for (int i = 0; i < MAX_PASSES * kTexturesPerPass; ++i)
        m_hTextures[i] = handles[i];
    m_nFlags = nFlags;
    m_blendMode = static_cast<eBlendMode>(blend);
    m_diffuseColor = diffuse;
    m_fOpacity = fOpacity;
    if (s_pLastMaterial == this)
        ForgetLast();
    return true;
}

eMaterialPass* eMaterial::AddPass(ePassID pass)
{
    if (pass < 0 || pass >= MAX_PASSES)
        return nullptr;
    cMemPool* pPool = cMemPool::GetPoolFromPtr(this);
    eMaterialPass* pNew = pPool ? pPool->New<eMaterialPass>(this, &m_hTextures[pass * kTexturesPerPass]) : nullptr;
    if (!pNew) {
        // The pool reported it (failing the file being read, if any).
        return nullptr;
    }
    RemovePass(pass);
    m_pPasses[pass] = pNew;
    return pNew;
}

void eMaterial::RemovePass(ePassID pass)
{
    if (pass < 0 || pass >= MAX_PASSES || !m_pPasses[pass])
        return;
    std::destroy_at(m_pPasses[pass]);
    m_pPasses[pass] = nullptr;
}

bool eMaterial::PassIsValid() const
{
    const eMaterialPass* pPass = m_pPasses[s_currentPass];
    return pPass && pPass->m_nStages > 0;
}

bool eMaterial::VerifyMaterial(int pass, bool) const
{
    if (pass < 0 || pass >= MAX_PASSES)
        return false;
    const eMaterialPass* pPass = m_pPasses[pass];
    if (!pPass || pPass->m_nStages <= 0)
        return false;
    for (int i = 0; i < pPass->m_nStages; ++i) {
        const eTextureStage* s = pPass->m_pStages[i];
        if (!s)
            return false;
        const bool bColorPrev = ReadsPrevious(s->m_colorOp, s->m_colorIn);
        const bool bAlphaPrev = ReadsPrevious(s->m_alphaOp, s->m_alphaIn);
        if (i == 0 && (bColorPrev || bAlphaPrev))
            return false;
        if (i > 0) {
            const eTextureStage* prev = pPass->m_pStages[i - 1];
            if (prev->m_output == eTextureStage::OUT_REG0 && (bColorPrev || bAlphaPrev))
                return false;
            if (prev->m_colorOp == eTextureStage::OP_ZERO && bColorPrev)
                return false;
            if (prev->m_alphaOp == eTextureStage::OP_ZERO && bAlphaPrev)
                return false;
        }
        const bool bTexture = UsesInput(s->m_colorOp, s->m_colorIn, eTextureStage::IN_TEXTURE) ||
                              UsesInput(s->m_alphaOp, s->m_alphaIn, eTextureStage::IN_TEXTURE);
        if (bTexture && (s->m_nTextureIndex == eTextureStage::kNoTexture ||
                         pPass->GetTextureHandle(s->m_nTextureIndex).IsNull()))
            return false;
    }
    return pPass->m_pStages[pPass->m_nStages - 1]->m_output == eTextureStage::OUT_PREVIOUS;
}

void eMaterialState::Apply(eMaterialHandle hMaterial, const eCamera* pCamera, const eLightmap* pLightmap,
                           int flags) const
{
    if (const eMaterial* pMaterial = eMaterialMgr::GetPtr(hMaterial))
        pMaterial->Apply(pCamera, pLightmap, this, static_cast<unsigned int>(flags));
    else
        eMaterial::ApplyNull();
}
