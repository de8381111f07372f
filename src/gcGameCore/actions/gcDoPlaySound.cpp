#include "gcGameCore/actions/gcDoPlaySound.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eAudio.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoPlaySound, gcAction, 77)

cBase* gcDoPlaySound::Copy(cMemPool* pPool) const
{
    gcDoPlaySound* pCopy = pPool ? pPool->New<gcDoPlaySound>() : nullptr;
    if (pCopy)
        pCopy->hSoundData = hSoundData;
    return pCopy;
}

void gcDoPlaySound::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    hSoundData.Write(wb);
}

bool gcDoPlaySound::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoPlaySound", "version");
    eSoundDataHandle h;
    h.Read(rb, pPool);
    if (rb.Failed())
        return false;
    hSoundData = h;
    return true;
}

void gcDoPlaySound::GetText(char* pBuf) const
{
    const eSoundData* p = eSoundDataMgr::GetPtr(hSoundData);
    gcScriptText::AppendF(pBuf, "PlaySound( [%s] )", p ? p->m_name.m_sData : "???");
}

void gcDoPlaySound::DoAction(const gcEventParams&) const
{
    if (const eSoundData* p = eSoundDataMgr::GetPtr(hSoundData))
        eAudio::Play(eAudio::ACG_UI, p, false, cTimeValue(0), 1.0f, false, 0.0f, mVec3{0.0f, 0.0f, 0.0f});
}
