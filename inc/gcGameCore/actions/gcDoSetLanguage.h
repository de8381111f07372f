#pragma once
// Carries a text or voice-over language in data. Running it changes nothing:
// languages are chosen by the game configuration. Lives in its event's pool;
// main thread. Type id 214.

#include <cstdint>

#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/script/gcAction.h"

class gcDoSetLanguage : public gcAction {
    QM_DECLARE_TYPE(gcDoSetLanguage)
public:
    static constexpr uint32_t kVersion = 2;
    static constexpr uint32_t kMinVersion = 1;

    gcDoSetLanguage() = default;
    gcDoSetLanguage(int32_t type, int32_t lang) : languageType(type), language(lang) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the base block, the language type, the language.
    void Write(const cFile& file) const override;
    // Versions 1 and 2 (others skipped, false); version 1 holds the language
    // only and means the text language. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "SetTextLanguage( French )"
    void GetText(char* pBuf) const override;
    void DoAction(const gcEventParams&) const override {}

    int32_t languageType = gcGameConfig::LANGUAGE_TEXT;  // a gcLanguageType as stored
    int32_t language = gcGameConfig::LANGUAGE_ENGLISH;   // a gcLanguage as stored
};
