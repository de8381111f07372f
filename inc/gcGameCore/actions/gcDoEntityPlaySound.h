#pragma once
// Plays sound data, or the sound of a voice-over, on an entity (through the
// entity's own positional sound) at a volume the script computes. Lives in
// its event's pool; main thread. Type id 242.

#include <cstdint>

#include "eEngine/eSoundData.h"
#include "gcGameCore/flow/gcVoiceOver.h"
#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcDesiredValue.h"

class gcDoEntityPlaySound : public gcAction {
    QM_DECLARE_TYPE(gcDoEntityPlaySound)
public:
    static constexpr uint32_t kVersion = 2;

    gcDoEntityPlaySound();
    gcDoEntityPlaySound(const gcDesiredEntity& entity, const gcDesiredValue& vol, eSoundDataHandle hData,
                        gcVoiceOverHandle hVO)
        : desiredEntity(entity), volume(vol), hSoundData(hData), hVoiceOver(hVO) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the base block, the entity, the volume, the sound data
    // handle, the voice-over handle.
    void Write(const cFile& file) const override;
    // Versions 1 (no voice-over) and 2; others skipped, false. Unchanged
    // unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "Initiator.PlaySound( [name], volume = 1 )" or ".PlayVoiceOver( ... )".
    void GetText(char* pBuf) const override;
    // The sound data when its handle is set (even a stale one: then nothing),
    // else the voice-over's sound; nothing without an entity.
    void DoAction(const gcEventParams& params) const override;

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    gcDesiredValue volume;
    eSoundDataHandle hSoundData;
    gcVoiceOverHandle hVoiceOver;
};
