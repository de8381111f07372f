#pragma once
// One entry of a cinematic: a script event fired at a time after the
// cinematic started, and the voice-over started with it. Entries form the
// cinematic's singly linked list in ascending time; the cinematic owns them.
// Lives in its cinematic's pool; main thread. Type id 209.

#include <cstdint>

#include "cCore/cBase.h"
#include "cCore/cName.h"
#include "cCore/cTimeValue.h"
#include "gcGameCore/flow/gcVoiceOver.h"
#include "gcGameCore/script/gcEvent.h"

class gcCinematicEntry : public cBase {
    QM_DECLARE_TYPE(gcCinematicEntry)
public:
    static constexpr uint32_t kVersion = 2;

    gcCinematicEntry() : event("OnCinematicEvent", description.m_sData) {}
    gcCinematicEntry(const gcCinematicEntry&) = delete;
    gcCinematicEntry& operator=(const gcCinematicEntry&) = delete;

    // Version 2: an empty version-1 block, the description, the time in
    // ticks, the event's block and the voice-over handle.
    void Write(const cFile& file) const override;
    // Versions 1 (no voice-over) and 2; others skipped, false. Unchanged
    // unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    cName description;  // also the owner name of the event
    cTimeValue eventTime;
    gcEvent event;
    gcCinematicEntry* pNextEntry = nullptr;
    gcVoiceOverHandle hVoiceOver;
};
