#pragma once
// Starts or stops a music track of the game, the current map or the main
// menu with a fade; an ambient track plays on the sound-effects group.
// Lives in its event's pool; main thread. Type id 175.

#include <cstdint>

#include "cCore/cTimeValue.h"
#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredValue.h"

class gcDoPlayMusic : public gcAction {
    QM_DECLARE_TYPE(gcDoPlayMusic)
public:
    static constexpr uint32_t kVersion = 5;
    static constexpr uint32_t kMinVersion = 2;

    // Stored in data files: whose track table nIndex counts in.
    enum gcMusicLevel : int32_t { LEVEL_GAME = 0, LEVEL_ACT = 1, LEVEL_MAP = 2, LEVEL_MENU = 3 };

    gcDoPlayMusic();

    cBase* Copy(cMemPool* pPool) const override;
    // Version 5: the base block, level, track, stop, looping, fade ticks,
    // ambient and the volume.
    void Write(const cFile& file) const override;
    // Versions 2 to 5 (others skipped, false); a field older blocks lack
    // takes its default (looping, not ambient, volume 1.0). Unchanged
    // unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "PlayMusic( [Map:3] )" or "StopMusic( [...] )" with the 1-based track.
    void GetText(char* pBuf) const override;
    // Nothing for the act level (no tracks), levels above the menu, a track
    // outside its level's table or a level whose owner is not loaded.
    void DoAction(const gcEventParams& params) const override;

    // The music slot of the level's track; -1 when there is none.
    int32_t GetSlot() const;

    int32_t nLevel = LEVEL_GAME;
    int32_t nIndex = 0;  // 0-based track of the level
    bool bStop = false;
    bool bLooping = true;
    cTimeValue fadeTime{600};
    bool bPlayAsAmbientSFX = false;
    gcDesiredValue desiredVolume;  // literal 1.0 by default
};
