#pragma once
// One texture coordinate (U or V of either corner) of the sprite a control
// draws in one state; assignable. The sprite is shared, so an assignment
// shows wherever that sprite is drawn. Read with its owner into its pool;
// main thread. Type id 186.

#include <cstdint>

#include "gcGameCore/interface/gcUIControl.h"
#include "gcGameCore/script/gcDesiredWidget.h"
#include "gcGameCore/script/gcLValue.h"

class eSprite;

class gcValUITexCoord : public gcLValue {
    QM_DECLARE_TYPE(gcValUITexCoord)
public:
    static constexpr uint32_t kVersion = 1;

    enum gcTexCoord : int32_t { TEXCOORD1_U = 0, TEXCOORD1_V = 1, TEXCOORD2_U = 2, TEXCOORD2_V = 3, MAX_TEXCOORDS = 4 };
    // "TexCoord1.U" .. "TexCoord2.V"; "???" outside.
    static const char* GetTexCoordText(int32_t texCoord);

    gcValUITexCoord() = default;
    gcValUITexCoord(const gcDesiredWidget& widget, int32_t state, int32_t coord)
        : desiredWidget(widget), sprite(state), texCoord(coord) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcLValue block, the widget, the sprite state, the
    // coordinate.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 0.0 without a control or sprite, or for a state or coordinate outside
    // its enumeration.
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "[Menu].[Bar].Enabled.TexCoord2.U"
    // Ignored as Get reads 0.0.
    void Set(float fValue, const gcEventParams& params) override;

    gcDesiredWidget desiredWidget;
    int32_t sprite = gcUIControl::SPR_ENABLED;  // a gcUIControl::gcUISprite
    int32_t texCoord = TEXCOORD2_U;             // a gcTexCoord

private:
    // The coordinate addressed; null when anything does not resolve.
    float* Resolve() const;
};
