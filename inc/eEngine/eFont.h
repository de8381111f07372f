#pragma once
// A bitmap font: 256 glyphs in a 16 x 16 grid of equal cells on one texture
// (through a material), a nominal cell width and scale, and a per-character
// kerning table. Lays text out in a rectangle with word wrapping, tabs,
// justification by sprite origin, escapes and numeric value tags, and draws
// it as screen-space quads between BeginRender and EndRender, or only
// measures it. Kept by eFontMgr in 8 slots; lives in the pool of its group's
// load. Main thread.

#include <cstdint>

#include "cCore/cHandle.h"
#include "cCore/cObject.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eRect.h"
#include "eEngine/eSprite.h"
#include "cCore/cManager.h"
#include "cCore/cGroup.h"

class cReadBlock;
class cWriteBlock;
class eCamera;
class eFont;
using eFontHandle = cHandle<eFont>;

// Metrics of one character, in pixels before scaling.
struct eFontCharKern {
    int8_t nBaseLine = 0;     // added to the glyph's height on the line
    int8_t nLeftOffset = 0;   // before the glyph, except at the start of a line
    int8_t nWidth = 0;        // the glyph's advance
    int8_t nRightOffset = 0;  // after the glyph

    void Read(const cReadBlock& rb);  // four single bytes
    void Write(const cWriteBlock& wb) const;
    bool operator==(const eFontCharKern&) const = default;
};

// One text drawing: what to lay out, where and how. The caller owns it;
// measuring writes textRect's size.
struct eFontDraw {
    static constexpr uint32_t kWordWrap = 0x1;
    static constexpr uint32_t kKerning = 0x2;    // only with the font's kerning flag too
    static constexpr uint32_t kValueTags = 0x4;  // '^' takes the next value, "%g"
    static constexpr uint32_t kTabs = 0x8;       // a tab advances nTabSize normal advances
    static constexpr uint32_t kMeasure = 0x10;   // compute textRect's size, draw nothing
    enum eMargin : int { kLeft = 0, kTop = 1, kRight = 2, kBottom = 3 };

    uint32_t nFlags = 0;
    const char* sText = nullptr;  // zero-terminated, 8-bit characters
    eSprite::eSpriteOrigin textJustify = eSprite::SO_ABSOLUTE;  // columns 2/5/8 centre, 3/6/9 right
    uint32_t nColor = 0xFFFFFFFF;  // 0xAARRGGBB
    int32_t nTabSize = 4;
    float fMaxWidth = 0.0f;       // wrap width
    float textMargins[4] = {0.0f, 0.0f, 0.0f, 0.0f};  // left, top, right, bottom
    const float* fValueTags = nullptr;
    int32_t nMaxValueTags = 0;
    eRect textRect = {{0.0f, 0.0f}, {0.0f, 0.0f}};
    eRect destRect = {{0.0f, 0.0f}, {0.0f, 0.0f}};
};

class eFont : public cObject {
    QM_DECLARE_TYPE(eFont)
public:
    static constexpr uint32_t kVersion = 3;
    static constexpr uint32_t kFlagKerning = 0x1;  // m_nFlags: the kerning table may be used
    static constexpr int kNumChars = 256;
    static constexpr int kGridSize = 16;           // cells per row and column of the sheet
    static constexpr int kMaxBreaks = 256;         // layout capacity of PrintEx
    static constexpr int kMaxLines = 256;
    static constexpr uint32_t kMatPointSample = 0x100000;  // material flag: point filtering
    // Glyph batches hold at most this many quads, so a batch's vertex count
    // fits the primitive's 16-bit count; longer texts take several batches.
    static constexpr int kMaxQuadsPerBatch = 0xFFFF / 4;

    // Scale 1, width 16, base line 0, kerning table zero and unused.
    eFont();
    eFont(const eFont& other);  // name, handle, flags, material, metrics, kerning table
    eFont& operator=(const eFont&) = default;

    cBase* Copy(cMemPool* pPool) const override;
    void Write(const cFile& file) const override;  // version 3
    // Versions 1 to 3 (others: skipped, false); a version-1 block keeps the
    // default flags, base line and kerning table. The font changes only when
    // the whole block was read.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Every entry (0, 0, width truncated, 0).
    void ResetKerningTable();
    // Lays the text out: on entry *pnBreaks and *pnLines are the capacities
    // of the two arrays; on return the numbers of breaks and lines. Lines past
    // the capacity are counted but get no width; once the break array is full
    // later characters add no width. Returns the visible characters (0 for
    // no text); without kerning and word wrap only the length without
    // trailing spaces, the arrays untouched.
    int ComputeWordBreaksAndLineWidths(const eFontDraw& draw, int* pBreaks, int* pnBreaks, float* pLineWidths,
                                       int* pnLines) const;
    // Lays out, then draws or (kMeasure) writes textRect's size.
    void PrintEx(eFontDraw* pDraw) const;
    // One line at (x, y) with the nominal advance: no escapes, no kerning.
    void Print(const char* sText, float x, float y, uint32_t colour) const;

    static void BeginRender(const eCamera* pCamera);  // the sprites' screen space
    static void EndRender();

    // The glyph batch: BeginPrint applies the material and opens quads for
    // count glyphs; each PrintChar adds one; EndPrint closes. Without the
    // material nothing is opened and PrintChar draws nothing.
    void BeginPrint(int count, uint32_t colour) const;
    void PrintChar(uint8_t c, float x, float y, float size) const;
    void EndPrint(int count) const;

    // The glyph cell of a character on the sheet, 0..1: left, top, right, bottom.
    static void GetCellBounds(uint8_t c, float* pLeft, float* pTop, float* pRight, float* pBottom);

    eFontHandle m_handle;
    uint32_t m_nFlags;
    eMaterialHandle m_hMaterial;
    float m_fScale;
    float m_fWidth;     // cell width and line height before scaling
    float m_fBaseLine;  // added to the measured height
    eFontCharKern m_kernTable[kNumChars];
};

// The slot table of fonts: 8 slots, resolved by handle. Main thread, or the
// loader filling a group.
class eFontMgr : public cManager<eFont, 8> {};

// The file block that fills a range of eFontMgr's slots with fonts and their
// check values. Lives in the pool of its load; one made by the factory
// destroys its fonts with it.
class eFontGroup : public cGroup {
    QM_DECLARE_GROUP(eFontGroup, eFontMgr)
};
