#pragma once
// The drawable widget: a box with up to four state sprites and one text of
// the string table drawn with a font in four colours, with an optional drop
// shadow. Measures itself for its group, places itself in the cell
// rectangle, draws its sprite, then its text. Buttons, labels, icons and
// list cells are controls. Type id 154; lives in its dialog's pool; main
// thread, between the sprite renderer's BeginRender and EndRender.

#include <cstdint>

#include "eEngine/eFont.h"
#include "eEngine/eSprite.h"
#include "gcGameCore/interface/gcUIWidget.h"
#include "gcGameCore/script/gcString.h"

class gcUIControl : public gcUIWidget {
    QM_DECLARE_TYPE(gcUIControl)
public:
    static constexpr uint32_t kVersion = 8;
    static constexpr uint32_t kMinVersion = 5;

#define QM_UI_SPRITES(X)                 \
    X(SPR_ENABLED, 0, "Enabled")        \
    X(SPR_DISABLED, 1, "Disabled")      \
    X(SPR_UNUSED, 2, "???")             \
    X(SPR_FOCUSED, 3, "Focused")
#define QM_UI_SPRITE_ENUM(name, value, text) name = value,
    enum gcUISprite : int32_t { QM_UI_SPRITES(QM_UI_SPRITE_ENUM) MAX_SPRITES = 4 };
#undef QM_UI_SPRITE_ENUM
    static const char* GetSpriteText(int sprite);  // "???" for SPR_UNUSED and outside

    // m_nFlags bits of controls.
    static constexpr uint32_t kTextWrap = 0x100;        // font flag 0x1 when measuring and drawing
    static constexpr uint32_t kTiled = 0x200;           // sprites tiled, not stretched
    static constexpr uint32_t kFocusOverlay = 0x400;    // focused sprite drawn over the enabled one
    static constexpr uint32_t kSpriteSize = 0x800;      // the box takes the state sprite's size
    static constexpr uint32_t kTextShadow = 0x1000;     // drop shadow 2 right, 2 down
    static constexpr uint32_t kDefaultControlFlags = 0x903;
    static constexpr float kShadowOffset = 2.0f;
    static constexpr uint8_t kHiddenAlpha = 127;  // of 255, for hidden controls drawn anyway

    gcUIControl();
    gcUIControl(const gcUIControl& other) = default;  // the widget part's copy, every control field

    cBase* Copy(cMemPool* pPool) const override;
    // Version 8: the widget block, then the control's fields; 4 sprites.
    void Write(const cFile& file) const override;
    // Versions 5 to 8 (older skipped, false); 7 adds the disabled colour,
    // 8 the shadow colour, 6 stores sprite handles where 5 stored objects
    // (read and dropped). Sprites past the fourth are read and dropped.
    // Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    void GetSize(mVec2* pSize, unsigned int nFlags) const override;
    void GetScreenPos(const eRect& rect, unsigned int nFlags, mVec2* pPos, mVec2* pSize) const override;
    void Draw(const eCamera* pCamera, const eRect& rect, unsigned int nFlags) override;

    // The text measured into m_curTextSize; (0, 0) without text.
    virtual void GetTextSize(mVec2* pSize) const;
    virtual void DrawText(const char* sText, const mVec2& pos, const mVec2& size);
    // The state's sprite, else the first that resolves; null when none does.
    virtual eSprite* GetSpriteToDraw() const;
    virtual eSprite* GetFocusedSpriteToDraw() const;

    // Measures a text with the control's font; false and (0, 0) without one.
    bool GetTextSize(const char* sText, mVec2* pSize) const;
    void GetScreenPosAndSpriteSize(const eRect& rect, unsigned int nFlags, mVec2* pPos, mVec2* pSize,
                                   mVec2* pBoxSize) const;
    void ResetTempDrawSizes() { m_curTextSize.Set(0.0f, 0.0f); }
    // The text of m_hText: null for handle 0, "???" when it does not resolve.
    const char* GetText() const;

    gcStringHandle m_hText;
    float m_textParams[3] = {0.0f, 0.0f, 0.0f};  // value tags; run time only
    int32_t m_textJustify = eSprite::SO_MIDCENTER;
    float m_textMargins[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    uint32_t m_nTextColor = 0xFFFFFFFF;          // 0xAARRGGBB
    uint32_t m_nTextColorHi = 0xFFFFFF00;        // focused
    uint32_t m_nTextColorDisabled = 0xFF7F7F7F;
    uint32_t m_nTextColorShadow = 0xFF000000;
    eFontHandle m_hFont;
    float m_fMaxTextWidth = 128.0f;
    eSpriteHandle m_hSprites[MAX_SPRITES];
    float m_fOpacity = 1.0f;  // times the dialog's
    mVec2 m_size{32.0f, 32.0f};
    mutable mVec2 m_curTextSize{0.0f, 0.0f};  // this frame's measurement

protected:
    // The box: the state sprite's size with kSpriteSize, else m_size.
    mVec2 GetBoxSize() const;
    // 255 x control opacity x dialog opacity, truncated.
    uint32_t GetAlpha() const;
    // The font record shared by measuring and drawing.
    void FillFontDraw(eFontDraw* pDraw, const char* sText, uint32_t nFlags) const;
    void DrawSprite(eSprite& sprite, const mVec2& pos, const mVec2& size, uint32_t nAlpha) const;
};
