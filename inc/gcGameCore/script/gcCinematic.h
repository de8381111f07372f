#pragma once
// An in-map cinematic: a game object that plays a time-ordered list of
// entries, each firing a script event at its time and perhaps starting a
// voice-over. The scripts do the staging; the cinematic keeps the clock,
// starts the voice-overs, clears their subtitle when they have run out and
// announces its end through the game's OnCinematicEnded event. One plays at
// a time (s_pCinematic), ticked by the map. Found by handle through
// gcCinematicMgr; lives in the pool of its group's load (or inside a
// streamed cinematic); main thread. Type id 206.

#include <cstdint>

#include "cCore/cGroup.h"
#include "cCore/cHandle.h"
#include "cCore/cManager.h"
#include "cCore/cTimeValue.h"
#include "gcGameCore/script/gcGameObject.h"

class gcCinematic;
class gcCinematicEntry;
using gcCinematicHandle = cHandle<gcCinematic>;

class gcCinematic : public gcGameObject {
    QM_DECLARE_TYPE(gcCinematic)
public:
    static constexpr uint32_t kVersion = 3;
    static constexpr uint32_t kMinVersion = 2;
    static constexpr uint32_t kSkippable = 0x1;  // m_nFlags

    gcCinematic() = default;
    gcCinematic(const gcCinematic&) = delete;
    gcCinematic& operator=(const gcCinematic&) = delete;
    // Destroys the entry list; a playing cinematic stops being the playing one.
    ~gcCinematic() override;

    // Version 3: the gcGameObject block, the flags, each entry as a
    // polymorphic member, then -1.
    void Write(const cFile& file) const override;
    // Versions 2 (skippable) and 3; others skipped, false. Entries keep the
    // file's order; a member that is no entry, or refuses its data, fails the
    // file as a damaged one.
    // Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Tick (2) runs the clock; Deactivate (11) ends the playing cinematic
    // with the ended event; every other message is ignored.
    int Send(const gcMsg& msg) override;

    // Makes this the playing cinematic, from time 0 and its first entry.
    void Play();
    // Ends this cinematic if it is the playing one; with bNotify the game's
    // OnCinematicEnded runs unless the map has requested another cinematic.
    void Stop(bool bNotify);

    gcCinematicHandle m_handle;
    gcCinematicEntry* pEntry = nullptr;  // the first entry; owned
    uint32_t m_nFlags = kSkippable;
    cTimeValue m_curTime;                // since Play
    cTimeValue m_voEndTime;              // when the last started voice-over ends; 0 none
    gcCinematicEntry* m_pEntryToPlay = nullptr;  // the next to fire; null: all fired

    static gcCinematic* s_pCinematic;  // the playing cinematic; null when none

private:
    void OnTick(cTimeValue step);
    void Fire(const gcCinematicEntry& entry);
    void End(bool bNotify);
    static void DestroyEntries(gcCinematicEntry* pFirst);
};

// The slot table of cinematics: 100 slots. A stale or zero handle gives null.
class gcCinematicMgr : public cManager<gcCinematic, 100> {};

// The file block that fills a range of gcCinematicMgr's slots: the map's
// cinematics. Lives in the map's pool; one made by the factory destroys its
// cinematics with it. Type id 207.
class gcCinematicGroup : public cGroup {
    QM_DECLARE_GROUP(gcCinematicGroup, gcCinematicMgr)
};
