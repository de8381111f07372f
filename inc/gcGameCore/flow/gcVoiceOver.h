#pragma once
// A voice-over: one spoken line, its own sound data and the handle of the
// text shown while it plays. Voice-overs come in groups read from the
// per-language ".vo" files of a map and of a streamed cinematic, and are
// found by handle through gcVoiceOverMgr. Lives in the pool of its group's
// load; the sound's samples in audio memory until it is destroyed. Main
// thread, or the loader thread while its group is read. Type id 216.

#include <cstdint>

#include "cCore/cGroup.h"
#include "cCore/cHandle.h"
#include "cCore/cManager.h"
#include "cCore/cObject.h"
#include "eEngine/eSoundData.h"
#include "gcGameCore/script/gcString.h"

class gcUIControl;
class gcUIDialog;
class gcVoiceOver;
using gcVoiceOverHandle = cHandle<gcVoiceOver>;

class gcVoiceOver : public cObject {
    QM_DECLARE_TYPE(gcVoiceOver)
public:
    static constexpr uint32_t kVersion = 1;

    gcVoiceOver() = default;

    // The handle, the text handle and the sound's description; the copy has
    // no samples of its own (as a copied sound data).
    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the cObject block, the sound data's block, the text handle.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false). A refused sound refuses the
    // line; the name is then kept as it was.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Plays the line once on the voice-over group and shows its text in the
    // game's voice-over control, opening that control's dialog with the
    // line's length in seconds as its in-parameter. When the control or its
    // dialog does not resolve, only the sound plays.
    void Play() const;
    // Close the dialog of the game's voice-over control (no transition, no
    // events); nothing when it does not resolve.
    static void Stop();
    static void ClearVOText();

    // The game's voice-over control and its dialog; false when either does
    // not resolve.
    static bool GetTextControl(gcUIDialog** ppDialog, gcUIControl** ppControl);

    gcVoiceOverHandle m_handle;
    gcStringHandle m_hString;
    eSoundData m_soundData;  // m_length: the line's duration in ticks
};

// The slot table of voice-overs: 200 slots, the map's in 0..99 and the
// streamed cinematic's in 100..199. A stale or zero handle gives null.
class gcVoiceOverMgr : public cManager<gcVoiceOver, 200> {};

// The file block that fills a range of gcVoiceOverMgr's slots: a ".vo"
// file. Lives in the pool of its load; one made by the factory destroys its
// voice-overs with it. Type id 217.
class gcVoiceOverGroup : public cGroup {
    QM_DECLARE_GROUP(gcVoiceOverGroup, gcVoiceOverMgr)
public:
    int32_t m_nMemSize = 0;  // given by the loader from the configuration; kept
};
