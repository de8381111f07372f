#include "datagen/overlayWriters.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "platform/os.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "eEngine/eFont.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMaterialPass.h"
#include "eEngine/eProjectorConfig.h"
#include "eEngine/eShadowConfig.h"
#include "eEngine/eSprite.h"
#include "eEngine/eTextureStage.h"
#include "datagen/slotLease.h"

namespace datagen {

namespace {

// The I4 texel (x, y) of a sheet of the given width: 8 x 8 blocks, the left
// texel of a pair in the high nibble; 0-255.
int SheetTexel(const uint8_t* sheet, int width, int x, int y)
{
    const int within = (y % 8) * 8 + (x % 8);
    const uint8_t b = sheet[((y / 8) * (width / 8) + x / 8) * 32 + within / 2];
    const int v = (within & 1) ? (b & 0xF) : (b >> 4);
    return v * 17;
}

// The OS font, made once into a buffer that lives as long as the program:
// OSInitFont makes the buffer the OS's current font.
const OSFontHeader* OsFont()
{
    static void* s_pBuffer = std::aligned_alloc(32, (OS_FONT_SIZE_ANSI + 31) & ~31u);
    static const bool s_bOk = s_pBuffer && OSInitFont(static_cast<OSFontHeader*>(s_pBuffer)) != 0;
    return s_bOk ? static_cast<const OSFontHeader*>(s_pBuffer) : nullptr;
}

eTextureStage* AddStage(eMaterialPass* pPass, uint8_t cA, uint8_t cB, uint8_t cOp, uint8_t aA, uint8_t aB, uint8_t aOp,
                        int16_t texture)
{
    eTextureStage* s = pPass->AddTextureStage();
    if (!s)
        return nullptr;
    s->m_colorIn[0] = cA;
    s->m_colorIn[1] = cB;
    s->m_colorOp = cOp;
    s->m_alphaIn[0] = aA;
    s->m_alphaIn[1] = aB;
    s->m_alphaOp = aOp;
    s->m_nTextureIndex = texture;
    return s;
}

eMaterial* NewDiffuseMaterial(cMemPool* pPool, eMaterial::eBlendMode blend, eMaterialPass** ppPass)
{
    eMaterial* m = pPool ? pPool->New<eMaterial>() : nullptr;
    if (!m)
        return nullptr;
    m->m_nFlags = eMaterial::FLAG_UNLIT | eMaterial::FLAG_TWO_SIDED | eMaterial::FLAG_NO_FOG;
    m->m_blendMode = blend;
    *ppPass = m->AddPass(eMaterial::PASS_DIFFUSE);
    return *ppPass ? m : nullptr;
}

constexpr int kDiffuse = eMaterial::PASS_DIFFUSE * eMaterial::kTexturesPerPass;
using S = eTextureStage;

}  // namespace

bool WriteShadowConfigFile(const std::string& path, const eShadowConfig& config)
{
    return WriteObjectFile(path, config);
}

BlockWriter& ShadowConfigBlock(BlockWriter& w, const eShadowConfig& config, uint32_t version)
{
    w.Begin(version).Begin(1).End();
    w.Word(config.hBlendMaterial.m_nValue).Word(config.hFillMaterial.m_nValue).Word(config.bRenderToTexture ? 1 : 0);
    if (version == 1)
        w.Word(0).Word(0);
    w.Float(config.fFar);
    if (version == 1)
        for (int i = 0; i < 7; ++i)
            w.Word(0);
    return w.End();
}

bool WriteProjectorConfigFile(const std::string& path, const eProjectorConfig& config)
{
    return WriteObjectFile(path, config);
}

BlockWriter& SpriteBlock(BlockWriter& w, const eSprite& sprite, uint32_t version)
{
    w.Begin(version).Begin(1).Begin(1).End().Name(sprite.m_name.m_sData).End();
    w.Float(sprite.m_position.x).Float(sprite.m_position.y).Float(sprite.m_size.x).Float(sprite.m_size.y);
    w.Word(sprite.m_hMaterial.m_nValue).Int(sprite.m_origin);
    w.Float(sprite.m_texCoord1.x).Float(sprite.m_texCoord1.y).Float(sprite.m_texCoord2.x).Float(sprite.m_texCoord2.y);
    return w.End();
}

bool WriteSpriteGroupFile(const std::string& path, int beginSlot, const std::vector<SpriteRecord>& records)
{
    return WriteSlotGroup<eSpriteGroup, eSpriteMgr>("sprite", path, beginSlot, records, &SpriteRecord::pSprite);
}

bool WriteFontGroupFile(const std::string& path, int beginSlot, const std::vector<FontRecord>& records)
{
    return WriteSlotGroup<eFontGroup, eFontMgr>("font", path, beginSlot, records, &FontRecord::pFont);
}

BlockWriter& FontBlock(BlockWriter& w, const eFont& font, uint32_t version)
{
    w.Begin(version).Begin(1).Begin(1).End().Name(font.m_name.m_sData).End();
    w.Word(font.m_hMaterial.m_nValue);
    if (version < 3)
        w.Word(0x12340001).Word(7).Word(9);  // the older second material and words
    w.Float(font.m_fScale).Float(font.m_fWidth);
    if (version >= 2) {
        w.Word(font.m_nFlags).Float(font.m_fBaseLine);
        for (const eFontCharKern& k : font.m_kernTable)
            w.Byte(static_cast<uint8_t>(k.nBaseLine))
                .Byte(static_cast<uint8_t>(k.nLeftOffset))
                .Byte(static_cast<uint8_t>(k.nWidth))
                .Byte(static_cast<uint8_t>(k.nRightOffset));
    }
    return w.End();
}

bool BuildFontSheet(int cellSize, FontSheet* pOut)
{
    const OSFontHeader* pFont = OsFont();
    if (!pFont || cellSize <= 0 || cellSize > pFont->cellWidth) {
        cLogError_("datagen: no font sheet of %d-texel cells (the OS font did not start or is smaller)", cellSize);
        return false;
    }
    const int side = cellSize * eFont::kGridSize;
    pOut->image.width = pOut->image.height = static_cast<uint32_t>(side);
    pOut->image.rgba.assign(static_cast<size_t>(side) * side * 4, 0);
    const float step = static_cast<float>(pFont->cellWidth) / static_cast<float>(cellSize);
    for (int c = 0; c < eFont::kNumChars; ++c) {
        pOut->kern[c] = eFontCharKern{};
        if (c < pFont->firstChar)
            continue;
        const char text[2] = {static_cast<char>(c), 0};
        void* image = nullptr;
        int32_t s = 0, t = 0, w = 0;
        OSGetFontTexture(text, &image, &s, &t, &w);
        if (!image)
            continue;
        pOut->kern[c].nWidth = static_cast<int8_t>(std::lround(static_cast<float>(w) / step));
        // Each texel of the small cell averages the area it covers of the
        // large one.
        const int cx = (c % eFont::kGridSize) * cellSize;
        const int cy = (c / eFont::kGridSize) * cellSize;
        for (int y = 0; y < cellSize; ++y) {
            for (int x = 0; x < cellSize; ++x) {
                float sum = 0.0f, area = 0.0f;
                for (int sy = static_cast<int>(y * step); sy < std::ceil((y + 1) * step); ++sy) {
                    const float wy = std::min<float>(sy + 1, (y + 1) * step) - std::max<float>(sy, y * step);
                    for (int sx = static_cast<int>(x * step); sx < std::ceil((x + 1) * step); ++sx) {
                        const float wx = std::min<float>(sx + 1, (x + 1) * step) - std::max<float>(sx, x * step);
                        sum += wx * wy * static_cast<float>(SheetTexel(static_cast<const uint8_t*>(image),
                                                                         pFont->sheetWidth, s + sx, t + sy));
                        area += wx * wy;
                    }
                }
                uint8_t* px = &pOut->image.rgba[(static_cast<size_t>(cy + y) * side + cx + x) * 4];
                px[0] = px[1] = px[2] = 255;
                px[3] = static_cast<uint8_t>(std::lround(area > 0.0f ? sum / area : 0.0f));
            }
        }
    }
    return true;
}

RgbaImage RampImage(uint32_t size)
{
    RgbaImage image;
    image.width = image.height = size;
    image.rgba.resize(static_cast<size_t>(size) * size * 4);
    for (uint32_t y = 0; y < size; ++y) {
        const float t = (static_cast<float>(y) + 0.5f) / static_cast<float>(size);
        const float a = t < 0.5f ? 1.0f : std::max(0.0f, 1.0f - (t - 0.5f) * 2.0f);
        for (uint32_t x = 0; x < size; ++x) {
            uint8_t* px = &image.rgba[(static_cast<size_t>(y) * size + x) * 4];
            px[0] = px[1] = px[2] = 255;
            px[3] = static_cast<uint8_t>(std::lround(255.0f * a));
        }
    }
    return image;
}

eMaterial* MakeOverlayMaterial(cMemPool* pPool, eTextureHandle hTexture)
{
    eMaterialPass* pPass = nullptr;
    eMaterial* m = NewDiffuseMaterial(pPool, eMaterial::BLEND_TRANSPARENT, &pPass);
    if (!m || !AddStage(pPass, S::IN_TEXTURE, S::IN_RASTER, S::OP_MUL, S::IN_TEXTURE, S::IN_RASTER, S::OP_MUL, 0))
        return nullptr;
    m->m_hTextures[kDiffuse] = hTexture;
    return m;
}

eMaterial* MakeShadowMaterial(cMemPool* pPool, eTextureHandle hShadow, eTextureHandle hRamp)
{
    eMaterialPass* pPass = nullptr;
    eMaterial* m = NewDiffuseMaterial(pPool, eMaterial::BLEND_SUBTRACTALPHA, &pPass);
    if (!m || !AddStage(pPass, S::IN_TEXTURE, S::IN_RASTER, S::OP_A, S::IN_TEXTURE, S::IN_RASTER, S::OP_MUL, 0))
        return nullptr;
    if (!hRamp.IsNull() &&
        !AddStage(pPass, S::IN_PREVIOUS, S::IN_TEXTURE, S::OP_A, S::IN_PREVIOUS, S::IN_TEXTURE, S::OP_MUL, 1))
        return nullptr;
    m->m_hTextures[kDiffuse] = hShadow;
    m->m_hTextures[kDiffuse + 1] = hRamp;
    return m;
}

eMaterial* MakeProjectionMaterial(cMemPool* pPool, eTextureHandle hImage, eTextureHandle hRamp)
{
    eMaterialPass* pPass = nullptr;
    eMaterial* m = NewDiffuseMaterial(pPool, eMaterial::BLEND_ADD, &pPass);
    if (!m || !AddStage(pPass, S::IN_TEXTURE, S::IN_RASTER, S::OP_MUL, S::IN_TEXTURE, S::IN_RASTER, S::OP_MUL, 0) ||
        !AddStage(pPass, S::IN_PREVIOUS, S::IN_TEXTURE, S::OP_A, S::IN_PREVIOUS, S::IN_TEXTURE, S::OP_MUL, 1))
        return nullptr;
    m->m_hTextures[kDiffuse] = hImage;
    m->m_hTextures[kDiffuse + 1] = hRamp;
    return m;
}

}  // namespace datagen
