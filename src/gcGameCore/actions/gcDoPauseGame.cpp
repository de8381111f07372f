#include "gcGameCore/actions/gcDoPauseGame.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoPauseGame, gcAction, 153)

cBase* gcDoPauseGame::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoPauseGame>(bPause) : nullptr;
}

void gcDoPauseGame::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    wb.WriteBool(bPause);
}

bool gcDoPauseGame::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoPauseGame", "version");
    const bool b = rb.ReadBool();
    if (rb.Failed())
        return false;
    bPause = b;
    return true;
}

void gcDoPauseGame::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, bPause ? "PauseGame" : "UnpauseGame");
}
