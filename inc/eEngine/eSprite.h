#pragma once
// A screen-space rectangle drawn with a material: interface images, icons,
// bars and backgrounds. Placed relative to one of ten origins inside a
// reference rectangle (the title-safe frame by default), drawn stretched or
// tiled. Kept by eSpriteMgr in 600 slots; lives in the pool of its group's
// load. Drawing happens between BeginRender and EndRender; main thread.

#include <cstdint>

#include "cCore/cHandle.h"
#include "cCore/cObject.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eRect.h"
#include "mMath/mVec2.h"
#include "cCore/cManager.h"
#include "cCore/cGroup.h"

class eCamera;
class eSprite;
struct eViewport;
struct mVec4;
using eSpriteHandle = cHandle<eSprite>;

class eSprite : public cObject {
    QM_DECLARE_TYPE(eSprite)
public:
#define QM_SPRITE_ORIGINS(X)              \
    X(SO_ABSOLUTE, 0, "Absolute")         \
    X(SO_UPPERLEFT, 1, "Upper Left")      \
    X(SO_UPPERCENTER, 2, "Upper Center")  \
    X(SO_UPPERRIGHT, 3, "Upper Right")    \
    X(SO_MIDLEFT, 4, "Mid Left")          \
    X(SO_MIDCENTER, 5, "Mid Center")      \
    X(SO_MIDRIGHT, 6, "Mid Right")        \
    X(SO_LOWERLEFT, 7, "Lower Left")      \
    X(SO_LOWERCENTER, 8, "Lower Center")  \
    X(SO_LOWERRIGHT, 9, "Lower Right")
#define QM_SPRITE_ORIGIN_ENUM(name, value, text) name = value,
    enum eSpriteOrigin : int32_t { QM_SPRITE_ORIGINS(QM_SPRITE_ORIGIN_ENUM) SO_MAXCOUNT = 10 };
#undef QM_SPRITE_ORIGIN_ENUM
    static const char* GetOriginText(int origin);  // "???" outside the enumeration

    static constexpr uint32_t kVersion = 3;
    static constexpr int kPosFrac = 4;   // vertex format 4: screen positions s16 with 4 fraction bits
    static constexpr int kTexFrac = 10;  // texture coordinates s16 with 10 fraction bits
    static constexpr float kMinSize = 0.00001f;  // smaller sides or tiles draw nothing
    static constexpr uint32_t kMatNeverDrawn = 0x200000;  // material flag: never drawn
    // A tiled sprite draws its tiles in batches of at most this many quads,
    // so a batch's vertex count fits the primitive's 16-bit count; more
    // tiles than kMaxTiles in all (a window of a few texels stretched over the
    // screen) are refused with a log message.
    static constexpr int kMaxQuadsPerBatch = 0xFFFF / 4;
    static constexpr int64_t kMaxTiles = 0x10000;

    // Size 32 x 32, upper-left origin, texture window 0..128, scale 1.
    eSprite();
    // An unnamed sprite with handle 0 and every sprite member of the source.
    eSprite(const eSprite& other);

    cBase* Copy(cMemPool* pPool) const override;
    void Write(const cFile& file) const override;
    // Version 3 only (older blocks are skipped, false); the sprite changes
    // only when the whole block was read.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // The sprite's lower-left corner on screen for its own placement.
    void GetScreenPos(mVec2* pOut, const eRect* pRect) const;
    // The lower-left corner of a box of that size placed by origin and
    // offset in the rectangle (null: the title-safe frame, moved into the
    // centred screen space). Fonts and interface widgets place with it too.
    static void GetScreenPos(eSpriteOrigin origin, const mVec2& pos, const mVec2& size, mVec2* pOut,
                             const eRect* pRect);
    // The size in texels of the material's first diffuse texture; false when
    // the material, the texture or its configuration is missing.
    bool GetTextureSize(mVec2* pSize) const;
    // The texture window as 0..1 coordinates of a texture of that size: u1, v1, u2, v2.
    void GetTexCoords(const mVec2& textureSize, mVec4* pOut) const;

    // Null arguments fall back to the sprite's own placement, an opaque white
    // state and m_size.
    void Draw(const mVec2* pPos, const eMaterialState* pState, const mVec2* pSize) const;
    // The texture window repeated from the lower-left corner, the last column
    // and row cropped. Nothing without a texture size.
    void DrawTiled(const mVec2* pPos, const eMaterialState* pState, const mVec2* pSize) const;

    // The screen-space camera (or the camera's own view), identity frames,
    // vertex format 4, depth always with updates.
    static void BeginRender(const eCamera* pCamera);
    static void EndRender();
    // Resets the depth of the viewport to the far end by drawing one quad
    // with colour and alpha writes off. The flags, colour and depth do not
    // change what is done; without a viewport nothing is done.
    static void ClearViewport(bool bColor, bool bDepth, uint32_t colour, float depth, const eViewport* pViewport);

    eSpriteHandle m_handle;
    mVec2 m_position;  // offset from the origin's anchor
    mVec2 m_size;      // screen units
    eMaterialHandle m_hMaterial;
    eSpriteOrigin m_origin;
    mVec2 m_texCoord1;  // texture window corners, in texels
    mVec2 m_texCoord2;
    float m_fUniformScale;  // scales everything drawn; not stored

private:
    // Applies the material for drawing (false: never drawn) and the scale.
    bool PrepareDraw(const eMaterialState* pState) const;
    bool GetDrawPlacement(const mVec2* pPos, const mVec2* pSize, mVec2* pTopLeft, mVec2* pDrawSize) const;
};

// The slot table of sprites: 600 slots, resolved by handle. Main thread, or
// the loader filling a group.
class eSpriteMgr : public cManager<eSprite, 600> {};

// The file block that fills a range of eSpriteMgr's slots with sprites and
// their check values. Lives in the pool of its load; one made by the factory
// destroys its sprites with it.
class eSpriteGroup : public cGroup {
    QM_DECLARE_GROUP(eSpriteGroup, eSpriteMgr)
};
