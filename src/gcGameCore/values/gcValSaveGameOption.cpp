#include "gcGameCore/values/gcValSaveGameOption.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValSaveGameOption, gcLValue, 261)

namespace {

bool IsOption(int32_t option)
{
    return option >= 0 && option < gcGameSave::MAX_OPTIONVALUES;
}

}  // namespace

cBase* gcValSaveGameOption::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValSaveGameOption>(option, fValue) : nullptr;
}

void gcValSaveGameOption::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcLValue::Write(file);
    wb.WriteInt(option);
    wb.WriteFloat(fValue);
}

bool gcValSaveGameOption::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    const int32_t opt = rb.ReadInt();
    const float f = rb.ReadFloat();
    if (rb.Failed())
        return false;
    option = opt;
    fValue = f;
    return true;
}

float gcValSaveGameOption::Get(const gcEventParams&) const
{
    return IsOption(option) ? gcGameSave::s_fOptionValues[option] : 0.0f;
}

void gcValSaveGameOption::Set(float f, const gcEventParams&)
{
    if (IsOption(option))
        gcGameSave::s_fOptionValues[option] = f;
}

const char* gcValSaveGameOption::GetOptionText(int32_t opt)
{
    static const char* const s_texts[gcGameSave::MAX_OPTIONVALUES] = {"Camera InvertX", "Camera InvertY"};
    return IsOption(opt) ? s_texts[opt] : "???";
}

void gcValSaveGameOption::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, "SaveGameOption[");
    gcScriptText::Append(pBuf, GetOptionText(option));
    gcScriptText::Append(pBuf, "]");
}
