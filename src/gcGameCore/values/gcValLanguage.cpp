#include "gcGameCore/values/gcValLanguage.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValLanguage, gcValue, 233)

cBase* gcValLanguage::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValLanguage>(languageType, language) : nullptr;
}

void gcValLanguage::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    wb.WriteInt(languageType);
    wb.WriteInt(language);
}

bool gcValLanguage::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    const int32_t type = rb.ReadInt();
    const int32_t lang = rb.ReadInt();
    if (rb.Failed())
        return false;
    languageType = type;
    language = lang;
    return true;
}

float gcValLanguage::Get(const gcEventParams&) const
{
    if (languageType < 0 || languageType >= gcGameConfig::MAX_LANGUAGETYPES)
        return 0.0f;
    return gcGameConfig::s_languages[languageType] == language ? 1.0f : 0.0f;
}

void gcValLanguage::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, "( ");
    gcScriptText::Append(pBuf, gcGameConfig::GetLanguageTypeText(static_cast<gcGameConfig::gcLanguageType>(languageType)));
    gcScriptText::Append(pBuf, "Language == ");
    gcScriptText::Append(pBuf, gcGameConfig::GetLanguageName(static_cast<gcGameConfig::gcLanguage>(language)));
    gcScriptText::Append(pBuf, " )");
}
