#include "gcGameCore/actions/gcDoPlayVoiceOver.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eAudio.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoPlayVoiceOver, gcAction, 228)

cBase* gcDoPlayVoiceOver::Copy(cMemPool* pPool) const
{
    gcDoPlayVoiceOver* pCopy = pPool ? pPool->New<gcDoPlayVoiceOver>() : nullptr;
    if (pCopy)
        pCopy->hVO = hVO;
    return pCopy;
}

void gcDoPlayVoiceOver::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    hVO.Write(wb);
}

bool gcDoPlayVoiceOver::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoPlayVoiceOver", "version");
    gcVoiceOverHandle h;
    h.Read(rb, pPool);
    if (rb.Failed())
        return false;
    hVO = h;
    return true;
}

void gcDoPlayVoiceOver::GetText(char* pBuf) const
{
    const gcVoiceOver* p = gcVoiceOverMgr::GetPtr(hVO);
    gcScriptText::AppendF(pBuf, "PlayVoiceOver( [%s] )", p ? p->m_name.m_sData : "???");
}

void gcDoPlayVoiceOver::DoAction(const gcEventParams&) const
{
    const gcVoiceOver* p = gcVoiceOverMgr::GetPtr(hVO);
    if (!p)
        return;
    // One line at a time: the one still speaking is cut off.
    eAudio::FreeGroup(eAudio::ACG_VO);
    eAudio::Play(eAudio::ACG_VO, &p->m_soundData, false, cTimeValue(0), 1.0f, false, 0.0f, mVec3{0.0f, 0.0f, 0.0f});
}
