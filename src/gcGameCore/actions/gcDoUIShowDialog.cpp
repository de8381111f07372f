#include "gcGameCore/actions/gcDoUIShowDialog.h"

#include <utility>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoUIShowDialog, gcAction, 174)

namespace {

// The time field of each block version as a desired value.
void ReadTransitionTime(const cReadBlock& rb, cMemPool* pPool, gcDesiredValue* pTime)
{
    if (rb.m_nVersion >= 5) {
        pTime->Read(rb, pPool);
        return;
    }
    pTime->desiredValue = gcDesiredValue::VAL_NUMBER;
    if (rb.m_nVersion >= 3)
        pTime->fConst = static_cast<float>(rb.ReadInt()) * gcDoUIShowDialog::kSecondsPerTick;
    else
        pTime->fConst = rb.ReadFloat();
}

bool KeepsDamping(int32_t transition)
{
    return transition == gcUIShowDialogData::TRANSITION_SCALE || transition == gcUIShowDialogData::TRANSITION_OFFSET;
}

}  // namespace

cBase* gcDoUIShowDialog::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoUIShowDialog>(*this) : nullptr;
}

void gcDoUIShowDialog::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    hDialog.Write(wb);
    wb.WriteInt(nFlags);
    wb.WriteInt(transition);
    transitionTime.Write(wb);
    hMaterial.Write(wb);
    wb.WriteFloat(startOffset.x);
    wb.WriteFloat(startOffset.y);
    wb.WriteFloat(endOffset.x);
    wb.WriteFloat(endOffset.y);
    inParam.Write(wb);
    onShown.Write(file);
    onHidden.Write(file);
}

bool gcDoUIShowDialog::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1 || rb.m_nVersion > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    gcDoUIShowDialog in;
    in.hDialog.Read(rb, pPool);
    in.nFlags = rb.ReadUInt();
    in.transition = rb.ReadInt();
    ReadTransitionTime(rb, pPool, &in.transitionTime);
    in.hMaterial.Read(rb, pPool);
    in.startOffset.x = rb.ReadFloat();
    in.startOffset.y = rb.ReadFloat();
    in.endOffset.x = rb.ReadFloat();
    in.endOffset.y = rb.ReadFloat();
    if (rb.m_nVersion >= 4)
        in.inParam.Read(rb, pPool);
    if (rb.Failed())
        return false;
    if (rb.m_nVersion >= 2 && (!in.onShown.Read(file, pPool) || !in.onHidden.Read(file, pPool)))
        return rb.Reject(GetType()->m_sTypeName, "events");
    if (rb.Failed())
        return false;
    if (!KeepsDamping(in.transition))
        in.nFlags &= ~kDamped;
    hDialog = in.hDialog;
    nFlags = in.nFlags;
    transition = in.transition;
    transitionTime = in.transitionTime;
    hMaterial = in.hMaterial;
    startOffset = in.startOffset;
    endOffset = in.endOffset;
    inParam = in.inParam;
    // The old actions leave with the local object.
    std::swap(onShown.pAction, in.onShown.pAction);
    std::swap(onHidden.pAction, in.onHidden.pAction);
    return true;
}

void gcDoUIShowDialog::GetText(char* pBuf) const
{
    if (nFlags & kCloseAll) {
        gcScriptText::Append(pBuf, "HideAllDialogs");
        return;
    }
    const gcUIDialog* pDialog = gcUIDialogMgr::GetPtr(hDialog);
    gcScriptText::AppendF(pBuf, "[%s].%s", pDialog ? pDialog->m_name.m_sData : "???",
                          (nFlags & kShow) ? "Show" : "Hide");
    if (onShown.HasActions() || onHidden.HasActions())
        gcScriptText::Append(pBuf, " ");
    if (onShown.HasActions())
        gcScriptText::Append(pBuf, "{OnShown}");
    if (onHidden.HasActions())
        gcScriptText::Append(pBuf, "{OnHidden}");
}

void gcDoUIShowDialog::DoAction(const gcEventParams&) const
{
    if (nFlags & kCloseAll) {
        gcUI::Get()->CloseAllDialogs(true);
        return;
    }
    gcUIDialog* pDialog = gcUIDialogMgr::GetPtr(hDialog);
    if (!pDialog)
        return;
    if (nFlags & kShow)
        gcUI::OpenDialog(pDialog, this, inParam.GetValue());
    else
        gcUI::CloseDialog(pDialog, this, true);
}
