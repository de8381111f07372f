#include "gcGameCore/script/gcCinematic.h"

#include <memory>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eAudio.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcVoiceOver.h"
#include "gcGameCore/script/gcCinematicEntry.h"

QM_DEFINE_TYPE(gcCinematic, gcGameObject, 206)

gcCinematic* gcCinematic::s_pCinematic = nullptr;

gcCinematic::~gcCinematic()
{
    if (s_pCinematic == this)
        s_pCinematic = nullptr;
    DestroyEntries(pEntry);
}

void gcCinematic::DestroyEntries(gcCinematicEntry* pFirst)
{
    while (pFirst) {
        gcCinematicEntry* pNext = pFirst->pNextEntry;
        std::destroy_at(pFirst);  // the memory stays with the pool
        pFirst = pNext;
    }
}

void gcCinematic::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcGameObject::Write(file);
    wb.WriteInt(m_nFlags);
    for (const gcCinematicEntry* p = pEntry; p; p = p->pNextEntry)
        wb.WriteBase(p);
    wb.WriteInt(-1);
}

namespace {

// The entry list through its -1, in the file's order. A member of another
// class, or one refusing its data, fails the file; every member takes at
// least its id word, so the block's end stops the loop. False when the block
// fails or the pool is full.
bool ReadEntries(const cReadBlock& rb, cMemPool* pPool, gcCinematicEntry** ppFirst)
{
    gcCinematicEntry* pFirst = nullptr;
    gcCinematicEntry** ppLink = &pFirst;
    bool bOk = true;
    while (bOk && !rb.Failed()) {
        const int32_t nId = rb.ReadInt();
        if (nId == -1 || rb.Failed())
            break;
        const cType* pType = cType::Find(nId);
        if (!pType || !pType->IsA(gcCinematicEntry::GetStaticType())) {
            rb.m_file.Fail("gcCinematic: type id %d before %u is no cinematic entry", nId, rb.m_file.GetCurrentPos());
            break;
        }
        auto* pNew = static_cast<gcCinematicEntry*>(pType->m_pNewFunc ? pType->m_pNewFunc(pPool) : nullptr);
        if (!pNew) {
            cLogError_("gcCinematic: no room for an entry of \"%s\"", rb.m_file.m_filename.m_sData);
            bOk = false;
        } else if (!pNew->Read(rb.m_file, pPool)) {
            rb.m_file.Fail("gcCinematic: a %s entry refused its data", pType->m_sTypeName);
            std::destroy_at(pNew);
        } else {
            *ppLink = pNew;
            ppLink = &pNew->pNextEntry;
        }
    }
    if (!bOk || rb.Failed()) {
        while (pFirst) {
            gcCinematicEntry* pNext = pFirst->pNextEntry;
            std::destroy_at(pFirst);
            pFirst = pNext;
        }
        return false;
    }
    *ppFirst = pFirst;
    return true;
}

}  // namespace

bool gcCinematic::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kMinVersion || rb.m_nVersion > kVersion)
        return rb.Reject("gcCinematic", "version");
    const cName oldName = m_name;
    if (!gcGameObject::Read(file, pPool))
        return rb.Reject("gcCinematic", "game object block");
    const uint32_t nFlags = rb.m_nVersion >= 3 ? rb.ReadUInt() : kSkippable;
    gcCinematicEntry* pFirst = nullptr;
    if (rb.Failed() || !ReadEntries(rb, pPool, &pFirst)) {
        m_name = oldName;
        return rb.Reject("gcCinematic", "entries");
    }
    DestroyEntries(pEntry);
    pEntry = pFirst;
    m_pEntryToPlay = nullptr;
    m_nFlags = nFlags;
    return true;
}

int gcCinematic::Send(const gcMsg& msg)
{
    return RunProtocol(msg, [this](const gcMsg& m) {
        if (m.nMsgId == MSG_TICK) {
            OnTick(static_cast<const gcMsgTick&>(m).dT);
            return true;
        }
        if (m.nMsgId == MSG_DEACTIVATE) {
            End(true);
            return true;
        }
        return false;
    });
}

void gcCinematic::Play()
{
    s_pCinematic = this;
    m_curTime = cTimeValue(0);
    m_voEndTime = cTimeValue(0);
    m_pEntryToPlay = pEntry;
}

void gcCinematic::Stop(bool bNotify)
{
    End(bNotify);
}

// The end is noticed one tick after the last entry fired and the last
// voice-over ran out.
void gcCinematic::OnTick(cTimeValue step)
{
    if (step.m_nTicks == 0)
        return;
    if (!m_pEntryToPlay && m_curTime >= m_voEndTime) {
        End(true);
        return;
    }
    m_curTime += step;
    if (m_voEndTime <= m_curTime)
        gcVoiceOver::ClearVOText();
    // The list is in ascending time: the first entry ahead ends the scan.
    // Entries due together all see the same current time.
    while (m_pEntryToPlay && m_pEntryToPlay->eventTime <= m_curTime) {
        const gcCinematicEntry* pDue = m_pEntryToPlay;
        m_pEntryToPlay = pDue->pNextEntry;
        Fire(*pDue);
    }
}

void gcCinematic::Fire(const gcCinematicEntry& entry)
{
    if (const gcVoiceOver* pVO = gcVoiceOverMgr::GetPtr(entry.hVoiceOver)) {
        pVO->Play();
        m_voEndTime = m_curTime + cTimeValue(pVO->m_soundData.m_length);
    }
    const gcEventParams params(this, nullptr, nullptr, nullptr, nullptr);
    gcEventStackData frame(m_curTime.GetSeconds(), 0.0f);
    entry.event.Apply(params, frame);
}

// Ending concerns only the playing cinematic: ending another would orphan
// the playing one and announce an end that never happened.
void gcCinematic::End(bool bNotify)
{
    if (s_pCinematic != this)
        return;
    s_pCinematic = nullptr;
    m_voEndTime = cTimeValue(0);
    gcVoiceOver::Stop();
    eAudio::FreeGroup(eAudio::ACG_VO);
    const bool bReplaced = gcMap::s_pMap && (gcMap::s_pMap->m_nFlags & gcMap::kFlagNoCinematicEvents);
    if (!bNotify || bReplaced || !gcGame::s_pGame)
        return;
    const gcEventParams params(this, nullptr, nullptr, nullptr, nullptr);
    gcGame::s_pGame->m_onCinematicEnded.Apply(params, gcEventStackData());
}

QM_DEFINE_GROUP(gcCinematicGroup, 207)
