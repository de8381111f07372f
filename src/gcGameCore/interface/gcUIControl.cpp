#include "gcGameCore/interface/gcUIControl.h"

#include <algorithm>
#include <cmath>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eVideo.h"
#include "eEngine/eViewport.h"
#include "gcGameCore/interface/gcUIDialog.h"

QM_DEFINE_TYPE(gcUIControl, gcUIWidget, 154)

namespace {

constexpr uint32_t kFontDrawMeasure = 0x16;  // measure, value tags, kerning
constexpr uint32_t kFontDrawPrint = 0x6;     // value tags, kerning
constexpr uint32_t kOpaqueWhite = 0x00FFFFFF;

mVec2 Larger(const mVec2& a, const mVec2& b)
{
    return mVec2(std::max(a.x, b.x), std::max(a.y, b.y));
}

// The colour with its alpha scaled by nAlpha / 255, rounded down.
uint32_t ScaleAlpha(uint32_t nColor, uint32_t nAlpha)
{
    return (nColor & 0x00FFFFFF) | (((nColor >> 24) * nAlpha / 255) << 24);
}

}  // namespace

const char* gcUIControl::GetSpriteText(int sprite)
{
    switch (sprite) {
#define QM_UI_SPRITE_CASE(name, value, text) \
    case value: return text;
        QM_UI_SPRITES(QM_UI_SPRITE_CASE)
#undef QM_UI_SPRITE_CASE
    default: return "???";
    }
}

gcUIControl::gcUIControl()
{
    m_nFlags = kDefaultControlFlags;
}

cBase* gcUIControl::Copy(cMemPool* pPool) const
{
    return KeepWholeCopy(pPool ? pPool->New<gcUIControl>(*this) : nullptr, *this);
}

void gcUIControl::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcUIWidget::Write(file);
    wb.WriteFloat(m_fOpacity);
    m_hText.Write(wb);
    wb.WriteFloats(m_textMargins, 4);
    m_hFont.Write(wb);
    wb.WriteInt(m_textJustify);
    wb.WriteInt(m_nTextColor);
    wb.WriteInt(m_nTextColorHi);
    wb.WriteInt(m_nTextColorDisabled);
    wb.WriteInt(m_nTextColorShadow);
    wb.WriteFloat(m_fMaxTextWidth);
    wb.WriteFloats(m_size.v, 2);
    wb.WriteInt(static_cast<int32_t>(MAX_SPRITES));
    for (const eSpriteHandle& h : m_hSprites)
        h.Write(wb);
}

bool gcUIControl::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kMinVersion)
        return rb.Reject("gcUIControl", "version");
    WidgetPart part;
    if (!ReadWidgetBlock(file, pPool, &part)) {
        if (!rb.Failed())
            rb.SkipToEnd();
        return false;
    }
    // Read into locals; the fields a block lacks keep their values.
    const float fOpacity = rb.ReadFloat();
    const uint32_t hText = rb.ReadUInt();
    float margins[4];
    rb.ReadFloats(margins, 4);
    const uint32_t hFont = rb.ReadUInt();
    const int32_t justify = rb.ReadInt();
    const uint32_t nColor = rb.ReadUInt();
    const uint32_t nColorHi = rb.ReadUInt();
    const uint32_t nColorDisabled = rb.m_nVersion >= 7 ? rb.ReadUInt() : m_nTextColorDisabled;
    const uint32_t nColorShadow = rb.m_nVersion >= 8 ? rb.ReadUInt() : m_nTextColorShadow;
    const float fMaxWidth = rb.ReadFloat();
    mVec2 size;
    rb.ReadFloats(size.v, 2);
    const int32_t nSprites = rb.ReadInt();
    if (nSprites < 0)
        return rb.Reject("gcUIControl", "sprite count");
    eSpriteHandle hSprites[MAX_SPRITES];
    std::copy(std::begin(m_hSprites), std::end(m_hSprites), hSprites);
    // Sprites past the four slots are read and dropped.
    for (int32_t i = 0; i < nSprites && !rb.Failed(); ++i) {
        if (rb.m_nVersion == 5) {
            rb.SkipBase();  // sprite objects of old files; their handles came later
            continue;
        }
        const uint32_t h = rb.ReadUInt();
        if (i < MAX_SPRITES)
            hSprites[i].m_nValue = h;
    }
    if (rb.Failed())
        return false;
    CommitWidgetPart(part);
    m_fOpacity = fOpacity;
    m_hText.m_nValue = hText;
    std::copy(std::begin(margins), std::end(margins), m_textMargins);
    m_hFont.m_nValue = hFont;
    m_textJustify = justify;
    m_nTextColor = nColor;
    m_nTextColorHi = nColorHi;
    m_nTextColorDisabled = nColorDisabled;
    m_nTextColorShadow = nColorShadow;
    m_fMaxTextWidth = fMaxWidth;
    m_size = size;
    std::copy(std::begin(hSprites), std::end(hSprites), m_hSprites);
    return true;
}

const char* gcUIControl::GetText() const
{
    if (m_hText.IsNull())
        return nullptr;
    const gcString* pString = gcStringMgr::GetPtr(m_hText);
    if (!pString)
        return "???";
    return pString->m_sData ? pString->m_sData : "";
}

eSprite* gcUIControl::GetSpriteToDraw() const
{
    int state = SPR_ENABLED;
    if (!(m_nFlags & kEnabled))
        state = SPR_DISABLED;
    else if ((m_nFlags & kFocused) && !(m_nFlags & kFocusOverlay))
        state = SPR_FOCUSED;
    if (eSprite* pSprite = eSpriteMgr::GetPtr(m_hSprites[state]))
        return pSprite;
    for (const eSpriteHandle& h : m_hSprites)
        if (eSprite* pSprite = eSpriteMgr::GetPtr(h))
            return pSprite;
    return nullptr;
}

eSprite* gcUIControl::GetFocusedSpriteToDraw() const
{
    return eSpriteMgr::GetPtr(m_hSprites[SPR_FOCUSED]);
}

mVec2 gcUIControl::GetBoxSize() const
{
    if (m_nFlags & kSpriteSize)
        if (const eSprite* pSprite = GetSpriteToDraw())
            return pSprite->m_size;
    return m_size;
}

uint32_t gcUIControl::GetAlpha() const
{
    const float fDialog = m_pDialog ? m_pDialog->m_fOpacity : 1.0f;
    // Scripts set the opacities; outside 0..1 the alpha byte would wrap.
    const float fAlpha = std::clamp(255.0f * m_fOpacity * fDialog, 0.0f, 255.0f);
    return static_cast<uint32_t>(fAlpha);
}

void gcUIControl::FillFontDraw(eFontDraw* pDraw, const char* sText, uint32_t nFlags) const
{
    eViewport safe;
    eVideo::GetSafeFrame(&safe);
    pDraw->nFlags = nFlags | ((m_nFlags & kTextWrap) ? eFontDraw::kWordWrap : 0);
    pDraw->sText = sText;
    pDraw->textJustify = static_cast<eSprite::eSpriteOrigin>(m_textJustify);
    pDraw->nColor = 0xFFFFFFFF;
    pDraw->nTabSize = 4;
    pDraw->fMaxWidth = std::min(m_fMaxTextWidth, static_cast<float>(safe.nWidth));
    std::copy(std::begin(m_textMargins), std::end(m_textMargins), pDraw->textMargins);
    pDraw->fValueTags = m_textParams;
    pDraw->nMaxValueTags = 3;
    pDraw->textRect = eRect{{0.0f, 0.0f}, {0.0f, 0.0f}};
    pDraw->destRect = eRect{{0.0f, 0.0f}, {0.0f, 0.0f}};
}

bool gcUIControl::GetTextSize(const char* sText, mVec2* pSize) const
{
    const eFont* pFont = eFontMgr::GetPtr(m_hFont);
    if (!pFont) {
        pSize->Set(0.0f, 0.0f);
        return false;
    }
    eFontDraw draw;
    FillFontDraw(&draw, sText, kFontDrawMeasure);
    pFont->PrintEx(&draw);
    *pSize = draw.textRect.size;
    if (m_nFlags & kTextShadow)
        *pSize += mVec2(kShadowOffset, kShadowOffset);
    return true;
}

void gcUIControl::GetTextSize(mVec2* pSize) const
{
    if (const char* sText = GetText()) {
        GetTextSize(sText, &m_curTextSize);
        *pSize = m_curTextSize;
        return;
    }
    pSize->Set(0.0f, 0.0f);
}

void gcUIControl::GetSize(mVec2* pSize, unsigned int nFlags) const
{
    gcUIWidget::GetSize(pSize, nFlags);
    if (!IsShownFor(nFlags))
        return;
    mVec2 text;
    GetTextSize(&text);
    *pSize += Larger(GetBoxSize(), text);
}

void gcUIControl::GetScreenPos(const eRect& rect, unsigned int nFlags, mVec2* pPos, mVec2* pSize) const
{
    GetSize(pSize, nFlags);
    PlaceBox(rect, nFlags, *pSize, pPos);
}

void gcUIControl::GetScreenPosAndSpriteSize(const eRect& rect, unsigned int nFlags, mVec2* pPos, mVec2* pSize,
                                            mVec2* pBoxSize) const
{
    GetScreenPos(rect, nFlags, pPos, pSize);
    *pBoxSize = Larger(GetBoxSize(), m_curTextSize);
}

void gcUIControl::DrawSprite(eSprite& sprite, const mVec2& pos, const mVec2& size, uint32_t nAlpha) const
{
    sprite.m_fUniformScale = m_pDialog->m_fUniformScale;
    eMaterialState state;
    state.m_nColor = kOpaqueWhite | (nAlpha << 24);
    state.m_nTextureBlendFactor = 255;
    if (m_nFlags & kTiled)
        sprite.DrawTiled(&pos, &state, &size);
    else
        sprite.Draw(&pos, &state, &size);
}

void gcUIControl::Draw(const eCamera*, const eRect& rect, unsigned int nFlags)
{
    if (!IsShownFor(nFlags) || !m_pDialog)
        return;
    mVec2 pos;
    mVec2 size;
    GetScreenPos(rect, nFlags, &pos, &size);
    const mVec2 box = Larger(GetBoxSize(), m_curTextSize);
    eSprite* pSprite = GetSpriteToDraw();
    if (pSprite && std::fabs(box.x) > eSprite::kMinSize && std::fabs(box.y) > eSprite::kMinSize) {
        uint32_t nAlpha = GetAlpha();
        if (!(m_nFlags & kVisible))
            nAlpha = nAlpha * kHiddenAlpha / 255;
        DrawSprite(*pSprite, pos, box, nAlpha);
        const bool bOverlay = (m_nFlags & (kFocusOverlay | kEnabled | kFocused)) == (kFocusOverlay | kEnabled | kFocused);
        eSprite* pFocused = bOverlay ? GetFocusedSpriteToDraw() : nullptr;
        if (pFocused && pFocused != pSprite)
            DrawSprite(*pFocused, pos, box, nAlpha);
    }
    DrawText(GetText(), pos, box);
    ResetTempDrawSizes();
}

void gcUIControl::DrawText(const char* sText, const mVec2& pos, const mVec2& size)
{
    const eFont* pFont = eFontMgr::GetPtr(m_hFont);
    if (!sText || !pFont)
        return;
    uint32_t nColor = m_nTextColor;
    if (!(m_nFlags & kEnabled))
        nColor = m_nTextColorDisabled;
    else if (m_nFlags & kFocused)
        nColor = m_nTextColorHi;
    const uint32_t nAlpha = GetAlpha();
    eFontDraw draw;
    FillFontDraw(&draw, sText, kFontDrawPrint);
    draw.textRect.size = m_curTextSize;
    draw.destRect.size = size;
    if (m_nFlags & kTextShadow) {
        draw.nColor = ScaleAlpha(m_nTextColorShadow, nAlpha);
        draw.textRect.pos = draw.destRect.pos = pos + mVec2(kShadowOffset, -kShadowOffset);
        pFont->PrintEx(&draw);
    }
    draw.nColor = ScaleAlpha(nColor, nAlpha);
    draw.textRect.pos = draw.destRect.pos = pos;
    pFont->PrintEx(&draw);
}
