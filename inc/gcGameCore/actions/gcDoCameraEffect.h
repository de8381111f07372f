#pragma once
// The script's camera effect: a full-screen fade, the letterbox bars or a
// shake of the game camera, with an event the camera applies when the
// effect ends. The camera keeps a pointer to that event, so the action must
// outlive the effect (both live in the map's pool). Main thread. Type id 92.

#include <cstdint>

#include "eEngine/eMaterial.h"
#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredValue.h"
#include "gcGameCore/script/gcEvent.h"

class gcDoCameraEffect : public gcAction {
    QM_DECLARE_TYPE(gcDoCameraEffect)
public:
    static constexpr uint32_t kVersion = 5;
    static constexpr uint32_t kMinVersion = 4;  // version 4 stored the time as ticks and a plain intensity
    static constexpr uint32_t kDirection = 0x1;     // fade in, letterbox on
    static constexpr uint32_t kResetOpacity = 0x2;  // start from the far end's opacity

    // Stored in data files.
    enum gcCameraEffect : int32_t { CE_FADE = 0, CE_LETTERBOX = 1, CE_SHAKE = 2, MAX_EFFECTTYPES = 3 };

    // A fade out over one second, shake intensity 0.1.
    gcDoCameraEffect();
    gcDoCameraEffect(int32_t type, uint32_t flags, const gcDesiredValue& time, const gcDesiredValue& shakeIntensity,
                     eMaterialHandle material);
    // Deep copy of the completion event into the pool that holds this
    // action; the copy is linked to no next action.
    gcDoCameraEffect(const gcDoCameraEffect& other);
    gcDoCameraEffect& operator=(const gcDoCameraEffect&) = delete;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 5: the base block, type, flags, time and intensity
    // references, material, the completion event's block.
    void Write(const cFile& file) const override;
    // Versions 4 and 5 (others skipped, false). Version 4's tick count
    // becomes a number of seconds (ticks / 600), its float intensity a
    // number. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "Camera.FadeIn", "Camera.LetterboxOff", "Camera.Shake", "Camera.???",
    // then " {OnCompleted}" when the event holds an action.
    void GetText(char* pBuf) const override;
    // The time in ticks (seconds x 600, truncated) and one call on the game
    // camera; a type outside the table does nothing.
    void DoAction(const gcEventParams& params) const override;

    static const char* GetEffectTypeText(int32_t type);

    int32_t effectType = CE_FADE;  // a gcCameraEffect as stored
    uint32_t nFlags = kDirection;
    gcDesiredValue effectTime;  // seconds; the number 1 when new
    gcDesiredValue intensity;   // the number 0.1 when new
    eMaterialHandle hMaterial;
    gcEvent onCompleted{"OnCompleted", "CameraEffect"};
};
