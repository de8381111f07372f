#pragma once
// One of the save game's option values of the running game (the camera
// inversions); assignable. Read with its owner into its pool; main thread.
// Type id 261.

#include <cstdint>

#include "gcGameCore/flow/gcGameSave.h"
#include "gcGameCore/script/gcLValue.h"

class gcValSaveGameOption : public gcLValue {
    QM_DECLARE_TYPE(gcValSaveGameOption)
public:
    static constexpr uint32_t kVersion = 1;

    gcValSaveGameOption() = default;
    gcValSaveGameOption(int32_t opt, float f) : option(opt), fValue(f) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcLValue block, the option, fValue.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // 0.0 for an option outside the table.
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "SaveGameOption[Camera InvertY]"
    // Ignored for an option outside the table.
    void Set(float f, const gcEventParams& params) override;

    static const char* GetOptionText(int32_t option);  // "???" outside 0..1

    int32_t option = gcGameSave::OV_CAMERA_INVERT_X;  // a gcOptionValue as stored
    float fValue = 0.0f;  // carried in the block; neither read nor set
};
