#pragma once
// Fades an effect out over a scripted time, optionally stopping its motion
// and switching its gravity off. Lives in its event's pool; main thread.
// Type id 224.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredEffect.h"
#include "gcGameCore/script/gcDesiredValue.h"

class gcDoEffectFadeOut : public gcAction {
    QM_DECLARE_TYPE(gcDoEffectFadeOut)
public:
    static constexpr uint32_t kVersion = 2;

    gcDoEffectFadeOut() = default;
    gcDoEffectFadeOut(const gcDesiredEffect& effect, const gcDesiredValue& time, bool stop, bool disableGravity)
        : desiredEffect(effect), fadeOutTime(time), bStop(stop), bDisableGravity(disableGravity) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the base block, the effect, the time reference, stop and
    // gravity switches.
    void Write(const cFile& file) const override;
    // Versions 1 and 2 (others skipped, false). Version 1 stores the time as
    // integer ticks, which becomes the number ticks / 600 seconds.
    // Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "Initiator.StopAndFadeOut( 0.5 )", "[spark].FadeOut( [Temp1] )".
    void GetText(char* pBuf) const override;
    // Fades over seconds x 600 ticks, truncated (0: at once); stopping zeroes
    // the velocity whatever the time.
    void DoAction(const gcEventParams& params) const override;

    gcDesiredEffect desiredEffect;  // the initiator when new
    gcDesiredValue fadeOutTime;     // seconds; the number 0 when new
    bool bStop = true;
    bool bDisableGravity = false;
};
