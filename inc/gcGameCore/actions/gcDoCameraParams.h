#pragma once
// The script's new tuning for the game camera: a whole set of parameters
// (speed limits, smoothing poles, offsets) copied into the camera. Lives in
// its event's pool; main thread. Type id 93.

#include <cstdint>

#include "gcGameCore/camera/gcGameCameraParams.h"
#include "gcGameCore/script/gcAction.h"

class gcDoCameraParams : public gcAction {
    QM_DECLARE_TYPE(gcDoCameraParams)
public:
    // Only this version: older blocks held parameters in another form.
    static constexpr uint32_t kVersion = 3;

    gcDoCameraParams() = default;
    explicit gcDoCameraParams(const gcGameCameraParams& params) { cameraParams.Set(params); }

    cBase* Copy(cMemPool* pPool) const override;
    // Version 3: the base block, then the parameters' own block.
    void Write(const cFile& file) const override;
    // Version 3 only (others skipped, false). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "Camera.SetParams"
    void GetText(char* pBuf) const override;
    // All fifteen values into the game camera's own parameters.
    void DoAction(const gcEventParams& params) const override;

    gcGameCameraParams cameraParams;
};
