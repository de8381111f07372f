#pragma once
// Writers for the overlays' data: shadow and projector configurations,
// sprite groups and bitmap fonts through the engine's own Write code, hand-
// laid blocks of the versions the engine only reads, a bitmap font sheet
// rasterised from the operating system's font, and the materials that draw
// fonts, sprites, shadows and projections. Offline tools and test fixtures;
// main thread.

#include <cstdint>
#include <string>
#include <vector>

#include "datagen/blockWriter.h"
#include "datagen/gxTextureEncode.h"
#include "eEngine/eFont.h"
#include "eEngine/eTexture.h"

class cMemPool;
class eMaterial;
class eProjectorConfig;
class eShadowConfig;
class eSprite;

namespace datagen {

// A shadow configuration (version 2) as a console data file.
bool WriteShadowConfigFile(const std::string& path, const eShadowConfig& config);
// Its block at version 1 (the 52-byte layout with unused words, written as
// zeros) or 2.
BlockWriter& ShadowConfigBlock(BlockWriter& w, const eShadowConfig& config, uint32_t version);

// A projector configuration (version 1) as a console data file.
bool WriteProjectorConfigFile(const std::string& path, const eProjectorConfig& config);

// A sprite's block at any version, laid out as version 3 (older versions
// are only ever refused).
BlockWriter& SpriteBlock(BlockWriter& w, const eSprite& sprite, uint32_t version);
// One record of a sprite or font group (null: an empty record).
struct SpriteRecord {
    eSprite* pSprite;
    uint16_t check;
};
struct FontRecord {
    eFont* pFont;
    uint16_t check;
};
// Groups over beginSlot .. as console data files; the managers' slots get
// their old contents back. False (logged) for a range outside the manager.
bool WriteSpriteGroupFile(const std::string& path, int beginSlot, const std::vector<SpriteRecord>& records);
bool WriteFontGroupFile(const std::string& path, int beginSlot, const std::vector<FontRecord>& records);
// A font's block at version 1 (with the older words, no table), 2 or 3.
BlockWriter& FontBlock(BlockWriter& w, const eFont& font, uint32_t version);

// A 16 x 16 grid of glyph cells of cellSize texels (white, coverage in
// alpha) made from the operating system's boot-ROM font, and per character
// the advance at that size. The grid is cellSize x 16 texels a side, so 16
// gives a 256 x 256 sheet. False (logged) when the OS font does not start.
struct FontSheet {
    RgbaImage image;
    eFontCharKern kern[eFont::kNumChars];
};
bool BuildFontSheet(int cellSize, FontSheet* pOut);

// An image whose alpha falls with t: opaque to half-way, then linearly to
// 0 at the bottom; colour white. The depth ramp of shadows and projectors.
RgbaImage RampImage(uint32_t size);

// Materials in the pool (null when it is full), each with one diffuse pass:
// - overlay (fonts and sprites): unlit, texture x raster colour and alpha,
//   alpha-blended;
// - shadow: destination darkened by the projected texture's alpha times the
//   state's alpha times the ramp (textures 0 and 1; a null ramp leaves the
//   ramp stage out);
// - projection: the projected texture's colour added, weighted by its alpha
//   times the state's alpha times the ramp.
eMaterial* MakeOverlayMaterial(cMemPool* pPool, eTextureHandle hTexture);
eMaterial* MakeShadowMaterial(cMemPool* pPool, eTextureHandle hShadow, eTextureHandle hRamp);
eMaterial* MakeProjectionMaterial(cMemPool* pPool, eTextureHandle hImage, eTextureHandle hRamp);

}  // namespace datagen
