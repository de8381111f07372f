#include "gcGameCore/actions/gcDoConsoleOp.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoConsoleOp, gcAction, 259)

namespace {

const char* const kOpTexts[gcDoConsoleOp::MAX_OPS] = {
    "SetProgressive On", "SetProgressive Off", "Return To Browser", "SetAudioMono", "SetAudioStereo",
    "SetAudioSurround",  "SetAudioDPL2",       "DisableReset",      "EnableReset",
};

}  // namespace

cBase* gcDoConsoleOp::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoConsoleOp>(op) : nullptr;
}

void gcDoConsoleOp::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    wb.WriteInt(op);
}

bool gcDoConsoleOp::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kReadVersion);
    if (rb.m_nVersion < 1 || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoConsoleOp", "version");
    const int32_t operation = rb.ReadInt();
    if (rb.Failed())
        return false;
    op = operation;
    return true;
}

void gcDoConsoleOp::GetText(char* pBuf) const
{
    gcScriptText::AppendF(pBuf, "ConsoleOp( %s )", GetOpText(op));
}

const char* gcDoConsoleOp::GetOpText(int32_t operation)
{
    return operation >= 0 && operation < MAX_OPS ? kOpTexts[operation] : "???";
}
