// Where a dialog stands on screen and how it draws: the backdrop, the
// sprites of its layout around or behind its controls area, and its widgets.
// Nothing is kept between frames: the root group is measured every draw.
#include <algorithm>

#include "eEngine/eRect.h"
#include "eEngine/eSprite.h"
#include "eEngine/eVideo.h"
#include "eEngine/eViewport.h"
#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/interface/gcUIDialog.h"

namespace {

constexpr float kDefaultBorder = 32.0f;  // a border whose sprite does not resolve
constexpr mVec2 kBackdropTexel2{128.0f, 128.0f};

// Slots of the 3x3 layout, row by row from the upper left.
enum Slot { UL, UC, UR, ML, MC, MR, LL, LC, LR };

const eSprite* Sprite(const eSpriteHandle* pSprites, int slot)
{
    return eSpriteMgr::GetPtr(pSprites[slot]);
}

// 0xAARRGGBB white with alpha 255 x fraction, the fraction kept in [0, 1].
eMaterialState WhiteState(float fAlpha)
{
    eMaterialState state;
    const float a = std::clamp(fAlpha, 0.0f, 1.0f);
    state.m_nColor = 0x00FFFFFFu | (static_cast<uint32_t>(255.0f * a) << 24);
    state.m_nTextureBlendFactor = 255;
    return state;
}

}  // namespace

void gcUIDialog::BorderSizes(float* pLeft, float* pRight, float* pLower, float* pUpper) const
{
    const eSprite* pUpperLeft = Sprite(m_hSprites, UL);
    const eSprite* pLowerLeft = Sprite(m_hSprites, LL);
    const eSprite* pLowerRight = Sprite(m_hSprites, LR);
    *pUpper = pUpperLeft ? pUpperLeft->m_size.y : kDefaultBorder;
    *pLeft = pLowerLeft ? pLowerLeft->m_size.x : kDefaultBorder;
    *pLower = pLowerLeft ? pLowerLeft->m_size.y : kDefaultBorder;
    *pRight = pLowerRight ? pLowerRight->m_size.x : kDefaultBorder;
}

// "Resizing" wraps its borders round the controls; the "Fullsize" layouts
// (and layouts outside the enumeration) are at least the fixed size.
void gcUIDialog::SizeFromControls(const mVec2& controls, mVec2* pSize) const
{
    if (m_layout == DLG_LAYOUT_3x3) {
        float wL, wR, hL, hU;
        BorderSizes(&wL, &wR, &hL, &hU);
        *pSize = mVec2(wL + wR + controls.x, hL + hU + controls.y);
        return;
    }
    *pSize = mVec2(std::max(controls.x, m_fixedSize.x), std::max(controls.y, m_fixedSize.y));
}

void gcUIDialog::GetScreenPosAndSize(unsigned int nFlags, mVec2* pScreenPos, mVec2* pSize,
                                     mVec2* pControlsScreenPos, mVec2* pControlsSize) const
{
    const auto origin = static_cast<eSprite::eSpriteOrigin>(m_origin);
    mVec2 controls(0.0f, 0.0f);
    m_widgetGroup.GetSize(&controls, nFlags);
    mVec2 size, pos, controlsPos, controlsSize;
    SizeFromControls(controls, &size);
    eSprite::GetScreenPos(origin, m_offset, size, &pos, nullptr);
    if (m_layout == DLG_LAYOUT_3x3) {
        float wL, wR, hL, hU;
        BorderSizes(&wL, &wR, &hL, &hU);
        controlsPos = mVec2(pos.x + wL, pos.y + hL);
        controlsSize = controls;
    } else {
        controlsPos = pos;
        controlsSize = size;
    }
    // The controls stay inside the title-safe frame, edge by edge.
    eViewport frame;
    eVideo::GetSafeFrame(&frame);
    const mVec2 safeSize(static_cast<float>(frame.nWidth), static_cast<float>(frame.nHeight));
    mVec2 safePos;
    eSprite::GetScreenPos(eSprite::SO_MIDCENTER, mVec2(0.0f, 0.0f), safeSize, &safePos, nullptr);
    const float l = std::clamp(controlsPos.x, safePos.x, safePos.x + safeSize.x);
    const float b = std::clamp(controlsPos.y, safePos.y, safePos.y + safeSize.y);
    const float r = std::clamp(controlsPos.x + controlsSize.x, safePos.x, safePos.x + safeSize.x);
    const float t = std::clamp(controlsPos.y + controlsSize.y, safePos.y, safePos.y + safeSize.y);
    controlsPos = mVec2(l, b);
    controlsSize = mVec2(r - l, t - b);
    SizeFromControls(controlsSize, &size);
    eSprite::GetScreenPos(origin, m_offset, size, &pos, nullptr);
    if (m_pTransition && m_pTransition->transition == gcUIShowDialogData::TRANSITION_OFFSET) {
        const mVec2& s = m_pTransition->startOffset;
        const mVec2& e = m_pTransition->endOffset;
        const mVec2 d(s.x + m_transitionOffset.x * (e.x - s.x), s.y + m_transitionOffset.y * (e.y - s.y));
        pos = mVec2(pos.x + d.x, pos.y + d.y);
        controlsPos = mVec2(controlsPos.x + d.x, controlsPos.y + d.y);
    }
    *pScreenPos = pos;
    *pSize = size;
    *pControlsScreenPos = controlsPos;
    *pControlsSize = controlsSize;
}

void gcUIDialog::DrawBackdrop() const
{
    int w = 0;
    int h = 0;
    eVideo::GetMaxWidthHeight(&w, &h);
    eSprite backdrop;
    backdrop.m_position = mVec2(0.0f, 0.0f);
    backdrop.m_size = mVec2(static_cast<float>(w), static_cast<float>(h));
    backdrop.m_hMaterial = m_hBackdropMaterial;
    backdrop.m_origin = eSprite::SO_MIDCENTER;
    backdrop.m_texCoord1 = mVec2(0.0f, 0.0f);
    backdrop.m_texCoord2 = kBackdropTexel2;
    backdrop.m_fUniformScale = 1.0f;
    const eMaterialState state = WhiteState(m_fBackdropOpacity * m_fBackdropCurOpacity);
    backdrop.Draw(nullptr, &state, nullptr);
}

void gcUIDialog::DrawLayout(const mVec2& p, const mVec2& s, const mVec2& z) const
{
    const eMaterialState state = WhiteState(m_fOpacity);
    // Stretched (or tiled) to size; a null size draws the sprite's own.
    auto draw = [&](int slot, float x, float y, const mVec2* pSize, bool bTiled) {
        eSprite* pSprite = eSpriteMgr::GetPtr(m_hSprites[slot]);
        if (!pSprite)
            return;
        pSprite->m_fUniformScale = m_fUniformScale;
        const mVec2 pos(x, y);
        if (bTiled)
            pSprite->DrawTiled(&pos, &state, pSize);
        else
            pSprite->Draw(&pos, &state, pSize);
    };
    auto own = [&](int slot) {
        const eSprite* pSprite = Sprite(m_hSprites, slot);
        return pSprite ? pSprite->m_size : mVec2(0.0f, 0.0f);
    };
    switch (m_layout) {
    case DLG_LAYOUT_1x1:
        draw(0, p.x, p.y, &s, false);
        break;
    case DLG_LAYOUT_2x2: {
        const mVec2 cell(0.5f * s.x, 0.5f * s.y);
        draw(0, p.x, p.y + cell.y, &cell, false);
        draw(1, p.x + cell.x, p.y + cell.y, &cell, false);
        draw(2, p.x, p.y, &cell, false);
        draw(3, p.x + cell.x, p.y, &cell, false);
        break;
    }
    case DLG_LAYOUT_2x3: {
        const mVec2 cell(s.x / 3.0f, 0.5f * s.y);
        for (int col = 0; col < 3; ++col) {
            draw(col, p.x + col * cell.x, p.y + cell.y, &cell, false);
            draw(3 + col, p.x + col * cell.x, p.y, &cell, false);
        }
        break;
    }
    case DLG_LAYOUT_3x3: {
        const eSprite* pCorner = Sprite(m_hSprites, LL);
        const float wL = pCorner ? pCorner->m_size.x : kDefaultBorder;
        const float hL = pCorner ? pCorner->m_size.y : kDefaultBorder;
        const float x1 = p.x + wL, y1 = p.y + hL, x2 = x1 + z.x, y2 = y1 + z.y;
        const mVec2 lower(z.x, own(LC).y), left(own(ML).x, z.y), right(own(MR).x, z.y), upper(z.x, own(UC).y);
        draw(LL, p.x, p.y, nullptr, false);
        draw(LC, x1, p.y, &lower, true);
        draw(LR, x2, p.y, nullptr, false);
        draw(ML, p.x, y1, &left, true);
        draw(MC, x1, y1, &z, true);
        draw(MR, x2, y1, &right, true);
        draw(UL, p.x, y2, nullptr, false);
        draw(UC, x1, y2, &upper, true);
        draw(UR, x2, y2, nullptr, false);
        break;
    }
    default:
        break;  // no background
    }
}

void gcUIDialog::Draw(const eCamera* pCamera, unsigned int nFlags)
{
    if (m_nFlags & kNotDrawn)
        return;
    if ((m_nFlags & kBackdrop) && !m_hBackdropMaterial.IsNull())
        DrawBackdrop();
    mVec2 pos, size, controlsPos, controlsSize;
    GetScreenPosAndSize(nFlags, &pos, &size, &controlsPos, &controlsSize);
    DrawLayout(pos, size, controlsSize);
    m_widgetGroup.Draw(pCamera, eRect{controlsPos, controlsSize}, nFlags);
}
