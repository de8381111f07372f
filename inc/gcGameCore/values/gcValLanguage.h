#pragma once
// 1.0 when the current text or voice-over language is the given one. Read
// with its owner into its pool; main thread. Type id 233.

#include <cstdint>

#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/script/gcValue.h"

class gcValLanguage : public gcValue {
    QM_DECLARE_TYPE(gcValLanguage)
public:
    static constexpr uint32_t kVersion = 1;

    gcValLanguage() = default;
    gcValLanguage(int32_t type, int32_t lang) : languageType(type), language(lang) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcValue block, the language type, the language.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // 0.0 for a language type outside the table.
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "( TextLanguage == English )"

    int32_t languageType = gcGameConfig::LANGUAGE_TEXT;  // a gcLanguageType as stored
    int32_t language = gcGameConfig::LANGUAGE_ENGLISH;   // a gcLanguage as stored
};
