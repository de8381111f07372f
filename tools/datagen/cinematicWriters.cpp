#include "datagen/cinematicWriters.h"

#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "datagen/flowWriters.h"
#include "datagen/modelWriters.h"
#include "eEngine/eSoundData.h"
#include "eEngine/eSoundWaveData.h"
#include "gcGameCore/actions/gcDoPlayCinematic.h"
#include "gcGameCore/actions/gcDoPlayMovie.h"
#include "gcGameCore/flow/gcStreamedCinematic.h"
#include "gcGameCore/flow/gcVoiceOver.h"
#include "gcGameCore/script/gcCinematic.h"
#include "gcGameCore/script/gcCinematicEntry.h"

namespace datagen {

gcCinematic* NewCinematic(cMemPool* pPool, const char* name, uint32_t flags)
{
    gcCinematic* p = pPool ? pPool->New<gcCinematic>() : nullptr;
    if (!p) {
        cLogError_("datagen: no room for the cinematic \"%s\"", name);
        return nullptr;
    }
    p->m_name.Set("%s", name);
    p->m_nFlags = flags;
    return p;
}

gcCinematicEntry* AddCinematicEntry(gcCinematic& cinematic, cMemPool* pPool, const char* description,
                                    int32_t timeTicks, uint32_t hVoiceOver)
{
    gcCinematicEntry* p = pPool ? pPool->New<gcCinematicEntry>() : nullptr;
    if (!p) {
        cLogError_("datagen: no room for the entry \"%s\"", description);
        return nullptr;
    }
    p->description.Set("%s", description);
    p->eventTime = cTimeValue(timeTicks);
    p->hVoiceOver = gcVoiceOverHandle(hVoiceOver);
    gcCinematicEntry** ppLink = &cinematic.pEntry;
    while (*ppLink)
        ppLink = &(*ppLink)->pNextEntry;
    *ppLink = p;
    return p;
}

bool WriteCinematicGroupFile(const std::string& path, int beginSlot,
                             const std::vector<ScriptRecord<gcCinematic>>& records)
{
    const int endSlot = beginSlot + static_cast<int>(records.size());
    if (beginSlot < 0 || endSlot > gcCinematicMgr::kSlots) {
        cLogError_("datagen: cinematic slots %d to %d outside the manager's %d", beginSlot, endSlot,
                   gcCinematicMgr::kSlots);
        return false;
    }
    std::vector<gcCinematic*> saved(gcCinematicMgr::s_pInstances + beginSlot, gcCinematicMgr::s_pInstances + endSlot);
    for (size_t i = 0; i < records.size(); ++i) {
        const int slot = beginSlot + static_cast<int>(i);
        gcCinematicMgr::s_pInstances[slot] = nullptr;
        if (records[i].pObject)
            gcCinematicMgr::Add(slot, records[i].pObject, records[i].check ? records[i].check : 0xFFFF);
    }
    gcCinematicGroup group;  // not made by the factory: it destroys nothing
    group.m_nBegin = beginSlot;
    group.m_nEnd = endSlot;
    const bool ok = WriteObjectFile(path, group);
    for (size_t i = 0; i < saved.size(); ++i)
        gcCinematicMgr::s_pInstances[beginSlot + static_cast<int>(i)] = saved[i];
    return ok;
}

bool WriteStreamedCinematicFile(const std::string& path, cMemPool* pPool,
                                const std::function<void(gcStreamedCinematic&)>& fill)
{
    return WriteResidentBody<gcStreamedCinematic>(path, pPool, gcStreamedCinematic::s_pStreamedCinematic, fill);
}

BlockWriter& CinematicBlock(BlockWriter& w, uint32_t version, const char* name, uint32_t flags,
                            const std::vector<CinematicEntryDesc>& entries, uint32_t entryVersion)
{
    ObjectBlock(w.Begin(version).Begin(gcGameObject::kVersion), name).End();
    if (version >= 3)
        w.Word(flags);
    for (const CinematicEntryDesc& e : entries) {
        w.Int(static_cast<int32_t>(gcCinematicEntry::GetStaticType()->m_nTypeId));
        w.Begin(entryVersion).Begin(1).End().Name(e.description.c_str()).Int(e.timeTicks);
        EmptyEventBlock(w);
        if (entryVersion >= 2)
            w.Word(e.hVoiceOver);
        w.End();
    }
    return w.Int(-1).End();
}

BlockWriter& StreamedCinematicBlock(BlockWriter& w, uint32_t version, const char* name,
                                    const std::vector<CinematicEntryDesc>& entries)
{
    ObjectBlock(w.Begin(version), name);
    CinematicBlock(w, gcCinematic::kVersion, "", gcCinematic::kSkippable, entries, gcCinematicEntry::kVersion);
    if (version >= 2)
        EmptyGroupBlock(w, gcStreamedCinematic::kAnimationsBegin);
    return w.End();
}

BlockWriter& SoundDataBlock(BlockWriter& w, const SoundRecord& sound)
{
    ObjectBlock(w.Begin(eSoundData::kVersion), sound.name.c_str());
    w.Int(sound.nLengthTicks).Int(sound.bLooping ? 1 : 0).Int(sound.nFrequency).Int(sound.nBitsPerSample);
    w.Name(sound.originalName.c_str());
    w.Begin(eSoundData::kPlatformVersion).Bytes(sound.adpcm.header, eSoundWaveData::kHeaderSize);
    w.Int(static_cast<int32_t>(sound.adpcm.bytes.size())).Word(sound.adpcm.nEndOffset);
    return w.Bytes(sound.adpcm.bytes.data(), sound.adpcm.bytes.size()).End().End();
}

BlockWriter& VoiceOverGroupBlock(BlockWriter& w, uint32_t version, int32_t beginSlot,
                                 const std::vector<VoiceOverRecord>& records)
{
    w.Begin(version).Begin(1).End().Int(beginSlot).Int(beginSlot + static_cast<int32_t>(records.size()));
    for (const VoiceOverRecord& r : records) {
        if (version == 1)
            w.Word(static_cast<uint32_t>(r.check) << 16);
        else
            w.Half(r.check);
        if (r.check == 0)
            continue;
        w.Int(static_cast<int32_t>(gcVoiceOver::GetStaticType()->m_nTypeId));
        ObjectBlock(w.Begin(gcVoiceOver::kVersion), r.name.c_str());
        SoundDataBlock(w, r.sound).Word(r.hString).End();
    }
    return w.End();
}

bool WriteVoiceOverGroupFile(const std::string& path, uint32_t version, int32_t beginSlot,
                             const std::vector<VoiceOverRecord>& records)
{
    return WriteObjectBlocksFile(path, gcVoiceOverGroup::GetStaticType()->m_nTypeId,
                                 [&](BlockWriter& w) { VoiceOverGroupBlock(w, version, beginSlot, records); });
}

gcDoPlayCinematic* NewPlayCinematic(cMemPool* pPool, uint32_t hCinematic)
{
    gcDoPlayCinematic* p = pPool ? pPool->New<gcDoPlayCinematic>() : nullptr;
    if (!p) {
        cLogError_("datagen: no room for a play-cinematic action");
        return nullptr;
    }
    p->hCinematic = gcCinematicHandle(hCinematic);
    return p;
}

gcDoPlayMovie* NewPlayMovie(cMemPool* pPool, const char* movieName, bool bCanSkip)
{
    gcDoPlayMovie* p = pPool ? pPool->New<gcDoPlayMovie>() : nullptr;
    if (!p) {
        cLogError_("datagen: no room for a play-movie action");
        return nullptr;
    }
    p->movieName.Set("%s", movieName);
    p->bCanSkip = bCanSkip;
    return p;
}

gcCinematic* NewSampleCinematic(cMemPool* pPool, uint32_t hVoiceOver)
{
    gcCinematic* p = NewCinematic(pPool, "Greeting", gcCinematic::kSkippable);
    if (p && (!AddCinematicEntry(*p, pPool, "Speak", 0, hVoiceOver) || !AddCinematicEntry(*p, pPool, "End", 1200, 0)))
        return nullptr;
    return p;
}

bool WriteSampleVoiceOvers(const std::string& path, uint32_t hString)
{
    const int nSamples = kSoundSampleRate * 3 / 2;
    VoiceOverRecord line{"Greeting", MakeSoundRecord("sm_Greeting", MakeSineTone(330.0, 9000.0, nSamples), false),
                         hString, kSampleVoiceOverCheck};
    return WriteVoiceOverGroupFile(path, gcVoiceOverGroup::kVersion, 0, {line});
}

}  // namespace datagen
