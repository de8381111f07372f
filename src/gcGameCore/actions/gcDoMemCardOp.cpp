#include "gcGameCore/actions/gcDoMemCardOp.h"

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eMemCard.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoMemCardOp, gcAction, 168)

cBase* gcDoMemCardOp::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoMemCardOp>(op) : nullptr;
}

void gcDoMemCardOp::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    wb.WriteInt(op);
}

bool gcDoMemCardOp::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoMemCardOp", "version");
    const int32_t nOp = rb.ReadInt();
    if (rb.Failed())
        return false;
    op = nOp;
    return true;
}

const char* gcDoMemCardOp::GetOpText(int32_t nOp)
{
    static const char* const s_texts[MAX_OPS] = {"Format", "Save", "Load", "Delete", "SaveOverwrite"};
    return nOp >= 0 && nOp < MAX_OPS ? s_texts[nOp] : "???";
}

void gcDoMemCardOp::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, "MemCard.");
    gcScriptText::Append(pBuf, GetOpText(op));
}

void gcDoMemCardOp::DoAction(const gcEventParams&) const
{
    eMemCard::SetSlot(0);
    if (op == OP_FORMAT) {
        eMemCard::Format();
    } else if (op == OP_DELETE) {
        // The save file is named after the game object.
        const gcGame* pGame = gcGame::s_pGame;
        if (pGame && pGame->m_name.m_sData[0]) {
            eMemCard::Delete(pGame->m_name.m_sData);
        } else {
            // Scripts read how the delete went from the card's status alone.
            cLogWarn_("gcDoMemCardOp: no game object names the save file to delete");
            eMemCard::s_status = eMemCard::STATUS_FATAL_ERROR;
        }
    }
}
