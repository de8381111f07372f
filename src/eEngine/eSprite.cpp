#include "eEngine/eSprite.h"

#include <algorithm>
#include <cmath>

#include "platform/gx.h"
#include "platform/ps.h"
#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eCamera.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eTextureConfig.h"
#include "eEngine/eTexture.h"
#include "eEngine/eVideo.h"
#include "eEngine/eVideoPlatform.h"
#include "eEngine/eViewport.h"
#include "mMath/mFrustum.h"
#include "mMath/mOCS.h"
#include "mMath/mVec4.h"
#include "cCore/cMemPool.h"

QM_DEFINE_TYPE(eSprite, cObject, 10)

namespace {

constexpr uint32_t kWhiteRGBA = 0xFFFFFFFFu;  // vertex colour, 0xRRGGBBAA
constexpr float kClearDepth = 0.999f;        // along the view: just short of the far end
// Index of the first diffuse-pass texture in a material's handle table.
constexpr int kDiffuseTexture0 = eMaterial::PASS_DIFFUSE * eMaterial::kTexturesPerPass;

void SpriteVertex(float x, float y, float u, float v)
{
    // Screen x along the engine's x axis, screen y along z: the sprite
    // camera looks along y.
    GXPosition3s16(ps::QuantS16(x, eSprite::kPosFrac), 0, ps::QuantS16(y, eSprite::kPosFrac));
    GXColor1u32(kWhiteRGBA);
    const int16_t s = ps::QuantS16(u, eSprite::kTexFrac);
    const int16_t t = ps::QuantS16(v, eSprite::kTexFrac);
    GXTexCoord2s16(s, t);
    GXTexCoord2s16(s, t);
}

// One quad in the vertex order every sprite uses: lower left, lower right,
// upper right, upper left.
void SpriteQuad(float x0, float y0, float x1, float y1, float uL, float vB, float uR, float vT)
{
    SpriteVertex(x0, y0, uL, vB);
    SpriteVertex(x1, y0, uR, vB);
    SpriteVertex(x1, y1, uR, vT);
    SpriteVertex(x0, y1, uL, vT);
}

void ClearVertex(float x, float y)
{
    GXPosition3s16(ps::QuantS16(x, eSprite::kPosFrac), ps::QuantS16(kClearDepth, eSprite::kPosFrac),
                   ps::QuantS16(y, eSprite::kPosFrac));
    GXColor1u32(kWhiteRGBA);
    GXTexCoord2s16(0, 0);
    GXTexCoord2s16(0, 0);
}

}  // namespace

const char* eSprite::GetOriginText(int origin)
{
    switch (origin) {
#define QM_SPRITE_ORIGIN_CASE(name, value, text) \
    case value: return text;
        QM_SPRITE_ORIGINS(QM_SPRITE_ORIGIN_CASE)
#undef QM_SPRITE_ORIGIN_CASE
    default: return "???";
    }
}

eSprite::eSprite()
    : m_position(0.0f, 0.0f), m_size(32.0f, 32.0f), m_origin(SO_UPPERLEFT), m_texCoord1(0.0f, 0.0f),
      m_texCoord2(128.0f, 128.0f), m_fUniformScale(1.0f)
{
}

eSprite::eSprite(const eSprite& other)
    : cObject(), m_position(other.m_position), m_size(other.m_size), m_hMaterial(other.m_hMaterial),
      m_origin(other.m_origin), m_texCoord1(other.m_texCoord1), m_texCoord2(other.m_texCoord2),
      m_fUniformScale(other.m_fUniformScale)
{
}

cBase* eSprite::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eSprite>(*this) : nullptr;
}

void eSprite::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    wb.WriteFloat(m_position.x);
    wb.WriteFloat(m_position.y);
    wb.WriteFloat(m_size.x);
    wb.WriteFloat(m_size.y);
    m_hMaterial.Write(wb);
    wb.WriteInt(static_cast<int32_t>(m_origin));
    wb.WriteFloat(m_texCoord1.x);
    wb.WriteFloat(m_texCoord1.y);
    wb.WriteFloat(m_texCoord2.x);
    wb.WriteFloat(m_texCoord2.y);
}

bool eSprite::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kVersion)
        return rb.Reject("eSprite", "version");
    if (!cObject::Read(file, pPool))
        return rb.Reject("eSprite", "name");
    float f[4];
    rb.ReadFloats(f, 4);
    eMaterialHandle hMaterial;
    hMaterial.Read(rb, pPool);
    const int32_t nOrigin = rb.ReadInt();
    float t[4];
    rb.ReadFloats(t, 4);
    if (rb.Failed())
        return false;
    m_position.Set(f[0], f[1]);
    m_size.Set(f[2], f[3]);
    m_hMaterial = hMaterial;
    m_origin = static_cast<eSpriteOrigin>(nOrigin);
    m_texCoord1.Set(t[0], t[1]);
    m_texCoord2.Set(t[2], t[3]);
    return true;
}

void eSprite::GetScreenPos(mVec2* pOut, const eRect* pRect) const
{
    GetScreenPos(m_origin, m_position, m_size, pOut, pRect);
}

void eSprite::GetScreenPos(eSpriteOrigin origin, const mVec2& pos, const mVec2& size, mVec2* pOut,
                           const eRect* pRect)
{
    if (origin == SO_ABSOLUTE) {
        *pOut = pos;
        return;
    }
    mVec2 offset(0.0f, 0.0f);
    eRect safe;
    if (!pRect) {
        eViewport frame;
        eVideo::GetSafeFrame(&frame);
        int w = 0;
        int h = 0;
        eVideo::GetMaxWidthHeight(&w, &h);
        safe.pos.Set(static_cast<float>(frame.nX), static_cast<float>(frame.nY));
        safe.size.Set(static_cast<float>(frame.nWidth), static_cast<float>(frame.nHeight));
        offset.Set(static_cast<float>(-(w / 2)), static_cast<float>(-(h / 2)));
        pRect = &safe;
    }
    const float l = pRect->pos.x;
    const float b = pRect->pos.y;
    const float r = pRect->pos.x + pRect->size.x;
    const float t = pRect->pos.y + pRect->size.y;
    const float cx = std::trunc(pRect->pos.x + (pRect->size.x - size.x) / 2.0f);
    const float cy = std::trunc(pRect->pos.y + (pRect->size.y - size.y) / 2.0f);
    mVec2 anchor(l, b);
    switch (origin) {
    case SO_UPPERLEFT: anchor.Set(l, t - size.y); break;
    case SO_UPPERCENTER: anchor.Set(cx, t - size.y); break;
    case SO_UPPERRIGHT: anchor.Set(r - size.x, t - size.y); break;
    case SO_MIDLEFT: anchor.Set(l, cy); break;
    case SO_MIDCENTER: anchor.Set(cx, cy); break;
    case SO_MIDRIGHT: anchor.Set(r - size.x, cy); break;
    case SO_LOWERLEFT: anchor.Set(l, b); break;
    case SO_LOWERCENTER: anchor.Set(cx, b); break;
    case SO_LOWERRIGHT: anchor.Set(r - size.x, b); break;
    default: break;  // an unknown origin anchors at the lower-left corner
    }
    *pOut = offset + anchor + pos;
}

bool eSprite::GetTextureSize(mVec2* pSize) const
{
    const eMaterial* pMaterial = eMaterialMgr::GetPtr(m_hMaterial);
    if (!pMaterial)
        return false;
    const eTexture* pTexture = eTextureMgr::GetPtr(pMaterial->m_hTextures[kDiffuseTexture0]);
    if (!pTexture)
        return false;
    const int slot = pTexture->m_handle.GetSlot();
    const eTextureConfig* pConfig = slot < eTextureConfigMgr::kSlots ? eTextureConfigMgr::s_pInstances[slot] : nullptr;
    if (!pConfig)
        return false;
    pSize->Set(static_cast<float>(pConfig->m_nWidth), static_cast<float>(pConfig->m_nHeight));
    return true;
}

void eSprite::GetTexCoords(const mVec2& textureSize, mVec4* pOut) const
{
    pOut->Set(m_texCoord1.x / textureSize.x, m_texCoord1.y / textureSize.y, m_texCoord2.x / textureSize.x,
              m_texCoord2.y / textureSize.y);
}

bool eSprite::PrepareDraw(const eMaterialState* pState) const
{
    const eMaterial* pMaterial = eMaterialMgr::GetPtr(m_hMaterial);
    if (pMaterial && (pMaterial->m_nFlags & kMatNeverDrawn))
        return false;
    const eMaterialState white;
    (pState ? *pState : white).Apply(m_hMaterial, nullptr, nullptr, 0);
    if (m_fUniformScale != 1.0f) {
        mOCS scaled;
        scaled.MakeIdentity();
        scaled.basis.right.x = m_fUniformScale;
        scaled.basis.forward.y = m_fUniformScale;
        scaled.basis.up.z = m_fUniformScale;
        eVideo::SetLocalToZone(scaled, 1.0f);
    } else {
        eVideo::SetLocalToZoneIdentity();
    }
    eVideoPlatform::SetVertexType(GX_VTXFMT4, false);
    return true;
}

// The drawn size (the given one or the sprite's) and top-left corner (the
// given one or the placed one); false when the size is too small to draw.
bool eSprite::GetDrawPlacement(const mVec2* pPos, const mVec2* pSize, mVec2* pTopLeft, mVec2* pDrawSize) const
{
    *pDrawSize = pSize ? *pSize : m_size;
    if (std::fabs(pDrawSize->x) <= kMinSize || std::fabs(pDrawSize->y) <= kMinSize)
        return false;
    if (pPos)
        *pTopLeft = *pPos;
    else
        GetScreenPos(pTopLeft, nullptr);
    return true;
}

void eSprite::Draw(const mVec2* pPos, const eMaterialState* pState, const mVec2* pSize) const
{
    mVec2 p, size;
    if (!GetDrawPlacement(pPos, pSize, &p, &size))
        return;
    if (!PrepareDraw(pState))
        return;
    float uL = 0.0f, vT = 0.0f, uR = 1.0f, vB = 1.0f;
    mVec2 tex;
    if (GetTextureSize(&tex)) {
        uL = m_texCoord1.x / tex.x;
        vT = m_texCoord1.y / tex.y;
        uR = m_texCoord2.x / tex.x;
        vB = m_texCoord2.y / tex.y;
    }
    eVideoPlatform::RenderState().Set(RS_Z_FUNC, GX_ALWAYS);
    eVideoPlatform::BeginPrimitive(GX_QUADS, GX_VTXFMT4, 4);
    SpriteQuad(p.x, p.y, p.x + size.x, p.y + size.y, uL, vB, uR, vT);
    GXEnd();
    eVideoPlatform::EndPrimitive();
}

void eSprite::DrawTiled(const mVec2* pPos, const eMaterialState* pState, const mVec2* pSize) const
{
    mVec2 p, size;
    if (!GetDrawPlacement(pPos, pSize, &p, &size))
        return;
    mVec2 tex;
    if (!GetTextureSize(&tex))
        return;  // tile coordinates need the texture's size
    const float uL = m_texCoord1.x / tex.x;
    const float vB = m_texCoord2.y / tex.y;
    const float tw = std::fabs(m_texCoord2.x - m_texCoord1.x);
    const float th = std::fabs(m_texCoord2.y - m_texCoord1.y);
    if (tw <= kMinSize || th <= kMinSize)
        return;
    const float sx = m_texCoord2.x < m_texCoord1.x ? -1.0f : 1.0f;
    const float sy = m_texCoord2.y < m_texCoord1.y ? -1.0f : 1.0f;
    // Counted in doubles: a tiny window over a large size must not wrap.
    const double nx = std::ceil(static_cast<double>(size.x) / tw);
    const double ny = std::ceil(static_cast<double>(size.y) / th);
    if (!(nx >= 1.0 && ny >= 1.0))
        return;  // a negative size has no tiles
    if (nx * ny > static_cast<double>(kMaxTiles)) {
        cLogWarn_("eSprite \"%s\": %.0f x %.0f tiles of %g x %g exceed %lld; not drawn", m_name.m_sData, nx, ny,
                  static_cast<double>(tw), static_cast<double>(th), static_cast<long long>(kMaxTiles));
        return;
    }
    if (!PrepareDraw(pState))
        return;
    const int nCols = static_cast<int>(nx);
    const int nTiles = nCols * static_cast<int>(ny);
    const float right = p.x + size.x;
    const float top = p.y + size.y;
    int nBatch = 0;
    for (int i = 0; i < nTiles; ++i) {
        if (nBatch == 0) {
            nBatch = std::min(nTiles - i, kMaxQuadsPerBatch);
            eVideoPlatform::BeginPrimitive(GX_QUADS, GX_VTXFMT4, static_cast<uint16_t>(4 * nBatch));
        }
        // Rows bottom to top, columns left to right; stepping by index keeps
        // the tile count exact whatever the float rounding.
        const float x = p.x + static_cast<float>(i % nCols) * tw;
        const float y = p.y + static_cast<float>(i / nCols) * th;
        const float x1 = std::min(x + tw, right);
        const float y1 = std::min(y + th, top);
        const float u = uL + sx * (x1 - x) / tex.x;
        const float v = vB - sy * (y1 - y) / tex.y;
        SpriteQuad(x, y, x1, y1, uL, vB, u, v);
        if (--nBatch == 0) {
            GXEnd();
            eVideoPlatform::EndPrimitive();
        }
    }
}

void eSprite::BeginRender(const eCamera* pCamera)
{
    if (pCamera) {
        eVideo::SetProjection(pCamera->m_frustum);
        eVideo::SetCameraToWorld(pCamera->m_cameraToWorld);
    } else {
        int w = 0;
        int h = 0;
        eVideo::GetMaxWidthHeight(&w, &h);
        const float hw = static_cast<float>(w) / 2.0f;
        const float hh = static_cast<float>(h) / 2.0f;
        mFrustum ortho;
        ortho.SetOrtho(-1.0f, 1.0f, -hw, hw, hh, -hh);
        eVideo::SetProjection(ortho);
        eVideo::SetCameraToWorldIdentity();
    }
    eVideo::SetZoneToWorldIdentity();
    eVideo::SetLocalToZoneIdentity();
    eVideoPlatform::SetVertexType(GX_VTXFMT4, false);
    eRenderStateCache& rs = eVideoPlatform::RenderState();
    rs.Set(RS_Z_COMPARE, GX_TRUE);
    rs.Set(RS_Z_FUNC, GX_ALWAYS);
    rs.Set(RS_Z_UPDATE, GX_TRUE);
}

void eSprite::EndRender()
{
    eMaterial::ApplyNull();
    eRenderStateCache& rs = eVideoPlatform::RenderState();
    rs.Set(RS_Z_COMPARE, GX_TRUE);
    rs.Set(RS_Z_FUNC, GX_LEQUAL);
    rs.Set(RS_Z_UPDATE, GX_TRUE);
}

void eSprite::ClearViewport(bool, bool, uint32_t, float, const eViewport* pViewport)
{
    if (!pViewport)
        return;
    const float w = static_cast<float>(pViewport->nWidth);
    const float h = static_cast<float>(pViewport->nHeight);
    mFrustum ortho;
    ortho.SetOrtho(-1.0f, 1.0f, 0.0f, w, h, 0.0f);
    eVideo::SetScreenColorState(ortho, true);

    eRenderStateCache& rs = eVideoPlatform::RenderState();
    eVideoPlatform::SetVertexType(GX_VTXFMT4, false);
    rs.Set(RS_COLOR_UPDATE, GX_FALSE);
    rs.Set(RS_ALPHA_UPDATE, GX_FALSE);

    eVideoPlatform::BeginPrimitive(GX_QUADS, GX_VTXFMT4, 4);
    ClearVertex(0.0f, 0.0f);
    ClearVertex(w, 0.0f);
    ClearVertex(w, h);
    ClearVertex(0.0f, h);
    GXEnd();
    eVideoPlatform::EndPrimitive();

    rs.Set(RS_COLOR_UPDATE, GX_TRUE);
    rs.Set(RS_ALPHA_UPDATE, GX_TRUE);
    eMaterial::ApplyNull();
}

QM_DEFINE_GROUP(eSpriteGroup, 40)
