#pragma once
// Writers for cinematics and voice-overs: the map's cinematic groups and
// streamed cinematics through the engine's own Write code, builders for
// cinematics and their entries, and voice-over files and older blocks laid
// out by hand. Offline tools and test fixtures; main thread.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "datagen/blockWriter.h"
#include "datagen/scriptWriters.h"
#include "datagen/soundWriters.h"

class cMemPool;
class gcCinematic;
class gcCinematicEntry;
class gcDoPlayCinematic;
class gcDoPlayMovie;
class gcStreamedCinematic;

namespace datagen {

// A cinematic in the pool with these flags and no entries; null (logged)
// when the pool is full.
gcCinematic* NewCinematic(cMemPool* pPool, const char* name, uint32_t flags);
// An entry at the end of the cinematic's list (keep times ascending) with an
// empty event; null (logged) when the pool is full.
gcCinematicEntry* AddCinematicEntry(gcCinematic& cinematic, cMemPool* pPool, const char* description,
                                    int32_t timeTicks, uint32_t hVoiceOver);

// A gcCinematicGroup over beginSlot .. beginSlot + n - 1; the cinematics are
// in the manager only while the group is written. False (logged) for a
// range outside the manager or a failed write.
bool WriteCinematicGroupFile(const std::string& path, int beginSlot,
                             const std::vector<ScriptRecord<gcCinematic>>& records);
// A streamed cinematic file ("Cinematic%02i.cin"), made in the pool and
// filled by fill; the resident streamed cinematic is left as it was.
bool WriteStreamedCinematicFile(const std::string& path, cMemPool* pPool,
                                const std::function<void(gcStreamedCinematic&)>& fill);

// Hand-laid blocks of older versions.
struct CinematicEntryDesc {
    std::string description;
    int32_t timeTicks = 0;
    uint32_t hVoiceOver = 0;  // version 2 on
};
// A cinematic block of version 2 (no flags) or 3 with entries of the
// entry version (1: no voice-over), their events empty.
BlockWriter& CinematicBlock(BlockWriter& w, uint32_t version, const char* name, uint32_t flags,
                            const std::vector<CinematicEntryDesc>& entries, uint32_t entryVersion);
// A streamed cinematic block of version 1 (no animations) or 2 (an empty
// animation group from slot 800) around a version-3 cinematic.
BlockWriter& StreamedCinematicBlock(BlockWriter& w, uint32_t version, const char* name,
                                    const std::vector<CinematicEntryDesc>& entries);

// One voice-over of a file: its sound and the handle of its text.
struct VoiceOverRecord {
    std::string name;
    SoundRecord sound;
    uint32_t hString = 0;
    uint16_t check = 0;  // 0: an empty slot
};
// A sound data block of version 3 with its console platform block.
BlockWriter& SoundDataBlock(BlockWriter& w, const SoundRecord& sound);
// A voice-over group block of version 1 (32-bit slot words) or 2 over
// beginSlot .. beginSlot + n - 1.
BlockWriter& VoiceOverGroupBlock(BlockWriter& w, uint32_t version, int32_t beginSlot,
                                 const std::vector<VoiceOverRecord>& records);
// A ".vo" file holding such a group.
bool WriteVoiceOverGroupFile(const std::string& path, uint32_t version, int32_t beginSlot,
                             const std::vector<VoiceOverRecord>& records);

// Builders of the media actions that start a cinematic and a movie from a
// script; null (logged) when the pool is full.
gcDoPlayCinematic* NewPlayCinematic(cMemPool* pPool, uint32_t hCinematic);
gcDoPlayMovie* NewPlayMovie(cMemPool* pPool, const char* movieName, bool bCanSkip);

// The sample game's short cinematic: one entry at time 0 that starts the
// voice-over hVoiceOver, then the end two seconds later; for the map's
// cinematic group. Null (logged) when the pool is full.
gcCinematic* NewSampleCinematic(cMemPool* pPool, uint32_t hVoiceOver);
// The sample map's voice-overs ("Map01_eng.vo"): one line of 1.5 seconds in
// slot 0 with check kSampleVoiceOverCheck, showing the text hString.
constexpr uint16_t kSampleVoiceOverCheck = 0x0101;
bool WriteSampleVoiceOvers(const std::string& path, uint32_t hString);

}  // namespace datagen
