#pragma once
// Switches a region trigger on (Activate: its volume answers again) or off
// (Deactivate). Lives in its event's pool; main thread. Type id 136.

#include <cstdint>

#include "gcGameCore/entities/gcRegionTrigger.h"
#include "gcGameCore/script/gcAction.h"

class gcDoTriggerActivate : public gcAction {
    QM_DECLARE_TYPE(gcDoTriggerActivate)
public:
    static constexpr uint32_t kVersion = 1;

    gcDoTriggerActivate() = default;
    gcDoTriggerActivate(bool activate, gcRegionTriggerHandle hTrigger)
        : bActivate(activate), hRegionTrigger(hTrigger) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the base block, the activate flag, the trigger handle.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    void GetText(char* pBuf) const override;  // "[Name].Deactivate"
    // Nothing when the handle names no trigger.
    void DoAction(const gcEventParams& params) const override;

    bool bActivate = false;
    gcRegionTriggerHandle hRegionTrigger;
};
