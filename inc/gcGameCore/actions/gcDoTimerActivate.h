#pragma once
// Starts (Activate) or stops (Deactivate) a script timer. Lives in its
// event's pool; main thread. Type id 199.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredTimer.h"

class gcDoTimerActivate : public gcAction {
    QM_DECLARE_TYPE(gcDoTimerActivate)
public:
    static constexpr uint32_t kVersion = 1;

    gcDoTimerActivate() = default;
    gcDoTimerActivate(bool activate, const gcDesiredTimer& timer) : bActivate(activate), desiredTimer(timer) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the base block, the activate flag, the timer selector and
    // handle.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    void GetText(char* pBuf) const override;  // "[Name].Activate"
    // Nothing when the reference names no timer.
    void DoAction(const gcEventParams& params) const override;

    bool bActivate = true;
    gcDesiredTimer desiredTimer;
};
