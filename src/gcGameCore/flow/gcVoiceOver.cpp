#include "gcGameCore/flow/gcVoiceOver.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eAudio.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/interface/gcUIControl.h"
#include "gcGameCore/interface/gcUIDialog.h"

QM_DEFINE_TYPE(gcVoiceOver, cObject, 216)

cBase* gcVoiceOver::Copy(cMemPool* pPool) const
{
    gcVoiceOver* pCopy = pPool ? pPool->New<gcVoiceOver>() : nullptr;
    if (!pCopy)
        return nullptr;
    pCopy->m_name = m_name;
    pCopy->m_handle = m_handle;
    pCopy->m_hString = m_hString;
    eSoundData& s = pCopy->m_soundData;
    s.m_name = m_soundData.m_name;
    s.m_length = m_soundData.m_length;
    s.m_bLooping = m_soundData.m_bLooping;
    s.m_nFrequency = m_soundData.m_nFrequency;
    s.m_nBitsPerSample = m_soundData.m_nBitsPerSample;
    s.m_originalName = m_soundData.m_originalName;
    return pCopy;
}

void gcVoiceOver::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    m_soundData.Write(file);
    m_hString.Write(wb);
}

bool gcVoiceOver::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion)
        return rb.Reject("gcVoiceOver", "version");
    const cName oldName = m_name;
    if (!ReadObjectPart(rb, pPool))
        return false;
    if (!m_soundData.Read(file, pPool)) {
        m_name = oldName;
        return rb.Reject("gcVoiceOver", "sound data");
    }
    gcStringHandle hString;
    hString.Read(rb, pPool);
    if (rb.Failed()) {
        m_name = oldName;
        return false;
    }
    m_hString = hString;
    return true;
}

bool gcVoiceOver::GetTextControl(gcUIDialog** ppDialog, gcUIControl** ppControl)
{
    const gcGame* pGame = gcGame::s_pGame;
    if (!pGame)
        return false;
    gcUIDialog* pDialog = gcUIDialogMgr::GetPtr(pGame->m_voDesiredWidget.hDialog);
    gcUIControl* pControl = pDialog ? dcast<gcUIControl>(pDialog->GetControl(pGame->m_voDesiredWidget.hControl)) : nullptr;
    if (!pControl)
        return false;
    *ppDialog = pDialog;
    *ppControl = pControl;
    return true;
}

void gcVoiceOver::Play() const
{
    eAudio::Play(eAudio::ACG_VO, &m_soundData, false, cTimeValue(0), 1.0f, false, 0.0f, mVec3{0.0f, 0.0f, 0.0f});
    // Game files made before the voice-over control existed name none: the
    // line is then heard without its text.
    gcUIDialog* pDialog = nullptr;
    gcUIControl* pControl = nullptr;
    if (!GetTextControl(&pDialog, &pControl))
        return;
    pControl->m_hText = m_hString;
    gcUI::OpenDialog(pDialog, nullptr, static_cast<float>(m_soundData.m_length) / cTimeValue::TICKS_PER_SECOND);
}

void gcVoiceOver::Stop()
{
    gcUIDialog* pDialog = nullptr;
    gcUIControl* pControl = nullptr;
    if (GetTextControl(&pDialog, &pControl))
        gcUI::CloseDialog(pDialog, nullptr, false);
}

void gcVoiceOver::ClearVOText()
{
    Stop();
}

QM_DEFINE_GROUP(gcVoiceOverGroup, 217)
