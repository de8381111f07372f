#include "gcGameCore/actions/gcDoEntityPlaySound.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoEntityPlaySound, gcAction, 242)

gcDoEntityPlaySound::gcDoEntityPlaySound()
{
    volume.fConst = 1.0f;
}

cBase* gcDoEntityPlaySound::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoEntityPlaySound>(desiredEntity, volume, hSoundData, hVoiceOver) : nullptr;
}

void gcDoEntityPlaySound::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    desiredEntity.Write(wb);
    volume.Write(wb);
    hSoundData.Write(wb);
    hVoiceOver.Write(wb);
}

bool gcDoEntityPlaySound::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1 || rb.m_nVersion > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    gcDesiredValue vol;
    vol.Read(rb, pPool);
    eSoundDataHandle hData;
    hData.Read(rb, pPool);
    gcVoiceOverHandle hVO;
    if (rb.m_nVersion >= 2)
        hVO.Read(rb, pPool);
    if (rb.Failed())
        return false;
    desiredEntity = entity;
    volume = vol;
    hSoundData = hData;
    hVoiceOver = hVO;
    return true;
}

void gcDoEntityPlaySound::GetText(char* pBuf) const
{
    desiredEntity.GetText(pBuf);
    if (!hVoiceOver.IsNull()) {
        const gcVoiceOver* p = gcVoiceOverMgr::GetPtr(hVoiceOver);
        gcScriptText::AppendF(pBuf, ".PlayVoiceOver( [%s], volume = ", p ? p->m_name.m_sData : "none");
    } else {
        const eSoundData* p = eSoundDataMgr::GetPtr(hSoundData);
        gcScriptText::AppendF(pBuf, ".PlaySound( [%s], volume = ", p ? p->m_name.m_sData : "none");
    }
    volume.GetText(pBuf);
    gcScriptText::Append(pBuf, " )");
}

void gcDoEntityPlaySound::DoAction(const gcEventParams& params) const
{
    gcEntity* pEntity = desiredEntity.GetEntity(params, gcEntity::GetStaticType(), true);
    if (!pEntity)
        return;
    const float fVolume = volume.GetValue();
    if (!hSoundData.IsNull()) {
        pEntity->PlaySound(eSoundDataMgr::GetPtr(hSoundData), fVolume);
    } else if (!hVoiceOver.IsNull()) {
        if (const gcVoiceOver* p = gcVoiceOverMgr::GetPtr(hVoiceOver))
            pEntity->PlaySound(&p->m_soundData, fVolume);
    }
}
