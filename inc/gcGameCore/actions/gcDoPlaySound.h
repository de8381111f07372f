#pragma once
// Plays a sound once, not positional, on the interface channel group; the
// channel is not kept, so scripts cannot stop it. Lives in its event's
// pool; main thread. Type id 77.

#include "eEngine/eSoundData.h"
#include "gcGameCore/script/gcAction.h"

class gcDoPlaySound : public gcAction {
    QM_DECLARE_TYPE(gcDoPlaySound)
public:
    static constexpr uint32_t kVersion = 1;

    gcDoPlaySound() = default;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the base block and the sound data handle.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "PlaySound( [name] )", "???" for a sound that does not resolve.
    void GetText(char* pBuf) const override;
    // Nothing when the sound does not resolve or the group has no idle channel.
    void DoAction(const gcEventParams& params) const override;

    eSoundDataHandle hSoundData;
};
