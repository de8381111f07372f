#pragma once
// Asks the game camera's fog to change (on or off, near and far distance,
// colour) over a transition time. Lives in its event's pool; main thread.
// Type id 182.

#include <cstdint>

#include "cCore/cTimeValue.h"
#include "gcGameCore/script/gcAction.h"

class gcDoFogSet : public gcAction {
    QM_DECLARE_TYPE(gcDoFogSet)
public:
    static constexpr uint32_t kVersion = 2;

    gcDoFogSet() = default;
    gcDoFogSet(bool off, float fNearDist, float fFarDist, uint32_t color, cTimeValue time)
        : bOff(off), fNear(fNearDist), fFar(fFarDist), nColor(color), transitionTime(time) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the base block, off, near, far, the time in ticks, then the
    // colour.
    void Write(const cFile& file) const override;
    // Version 2 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    void GetText(char* pBuf) const override;  // "FogSet( )"
    // Hands every field to the fog, switching it off included.
    void DoAction(const gcEventParams& params) const override;

    bool bOff = false;
    float fNear = 30.0f;
    float fFar = 100.0f;
    uint32_t nColor = 0xFFFFFFFF;  // 0xAARRGGBB
    cTimeValue transitionTime;
};
