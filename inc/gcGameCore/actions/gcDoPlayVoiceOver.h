#pragma once
// Plays a voice-over's sound on the voice-over group after stopping every
// voice-over channel; its text is not shown (only cinematics show texts).
// Lives in its event's pool; main thread. Type id 228.

#include "gcGameCore/flow/gcVoiceOver.h"
#include "gcGameCore/script/gcAction.h"

class gcDoPlayVoiceOver : public gcAction {
    QM_DECLARE_TYPE(gcDoPlayVoiceOver)
public:
    static constexpr uint32_t kVersion = 1;

    gcDoPlayVoiceOver() = default;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the base block and the voice-over handle.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "PlayVoiceOver( [name] )", "???" for one that does not resolve.
    void GetText(char* pBuf) const override;
    // Nothing when the voice-over does not resolve.
    void DoAction(const gcEventParams& params) const override;

    gcVoiceOverHandle hVO;
};
