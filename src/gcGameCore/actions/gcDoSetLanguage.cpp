#include "gcGameCore/actions/gcDoSetLanguage.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoSetLanguage, gcAction, 214)

cBase* gcDoSetLanguage::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoSetLanguage>(languageType, language) : nullptr;
}

void gcDoSetLanguage::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    wb.WriteInt(languageType);
    wb.WriteInt(language);
}

bool gcDoSetLanguage::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kMinVersion || rb.m_nVersion > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoSetLanguage", "version");
    const int32_t type = rb.m_nVersion >= 2 ? rb.ReadInt() : int32_t(gcGameConfig::LANGUAGE_TEXT);
    const int32_t lang = rb.ReadInt();
    if (rb.Failed())
        return false;
    languageType = type;
    language = lang;
    return true;
}

void gcDoSetLanguage::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, "Set");
    gcScriptText::Append(pBuf, gcGameConfig::GetLanguageTypeText(static_cast<gcGameConfig::gcLanguageType>(languageType)));
    gcScriptText::Append(pBuf, "Language( ");
    gcScriptText::Append(pBuf, gcGameConfig::GetLanguageName(static_cast<gcGameConfig::gcLanguage>(language)));
    gcScriptText::Append(pBuf, " )");
}
