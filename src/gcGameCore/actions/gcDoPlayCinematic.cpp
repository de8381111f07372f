#include "gcGameCore/actions/gcDoPlayCinematic.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoPlayCinematic, gcAction, 208)

cBase* gcDoPlayCinematic::Copy(cMemPool* pPool) const
{
    gcDoPlayCinematic* pCopy = pPool ? pPool->New<gcDoPlayCinematic>() : nullptr;
    if (!pCopy)
        return nullptr;
    pCopy->hCinematic = hCinematic;
    pCopy->bIsMapCinematic = bIsMapCinematic;
    pCopy->nCinematicId = nCinematicId;
    return pCopy;
}

void gcDoPlayCinematic::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    hCinematic.Write(wb);
    wb.WriteBool(bIsMapCinematic);
    wb.WriteInt(nCinematicId);
}

bool gcDoPlayCinematic::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1 || rb.m_nVersion > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoPlayCinematic", "version");
    gcCinematicHandle h;
    h.Read(rb, pPool);
    const bool bMap = rb.m_nVersion >= 2 ? rb.ReadBool() : true;
    const int32_t nId = rb.m_nVersion >= 2 ? rb.ReadInt() : 0;
    if (rb.Failed())
        return false;
    hCinematic = h;
    bIsMapCinematic = bMap;
    nCinematicId = nId;
    return true;
}

void gcDoPlayCinematic::GetText(char* pBuf) const
{
    if (!bIsMapCinematic) {
        gcScriptText::AppendF(pBuf, "PlayCinematicBackgroundLoad( %lld )", static_cast<long long>(nCinematicId) + 1);
        return;
    }
    const gcCinematic* p = gcCinematicMgr::GetPtr(hCinematic);
    gcScriptText::AppendF(pBuf, "PlayCinematic( [%s] )", p ? p->m_name.m_sData : "???");
}

void gcDoPlayCinematic::DoAction(const gcEventParams&) const
{
    gcMap* pMap = gcMap::s_pMap;
    if (!pMap)
        return;
    if (!bIsMapCinematic) {
        pMap->SetCinematicToPlay(nullptr, nCinematicId);
        return;
    }
    // A stale handle would request "nothing" and leave the map believing a
    // cinematic is on its way until the map ends.
    if (gcCinematic* p = gcCinematicMgr::GetPtr(hCinematic))
        pMap->SetCinematicToPlay(p, -1);
}
