#pragma once
// Switches effects on or off from a script: one effect named relative to the
// event, or every placed effect of the map whose activation mask shares a
// bit with the action's mask. Lives in its event's pool; main thread.
// Type id 135.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredEffect.h"

class gcDoEffectActivate : public gcAction {
    QM_DECLARE_TYPE(gcDoEffectActivate)
public:
    static constexpr uint32_t kVersion = 4;
    static constexpr uint32_t kMinVersion = 2;

    // Stored in data files.
    enum gcActivateAction : int32_t { ACTION_ACTIVATE = 0, ACTION_ACTIVATERESET = 1, ACTION_DEACTIVATE = 2 };

    gcDoEffectActivate() = default;
    gcDoEffectActivate(int32_t act, bool useMask, const gcDesiredEffect& effect, uint32_t mask)
        : action(act), bUseMask(useMask), desiredEffect(effect), nActivationMask(mask) {}

    // "Activate", "ActivateAndReset"; "Deactivate" for any other value,
    // which also deactivates.
    static const char* GetActionText(int32_t action);

    cBase* Copy(cMemPool* pPool) const override;
    // Version 4: the base block, the action, the effect, the mask switch and
    // the mask.
    void Write(const cFile& file) const override;
    // Versions 2 to 4 (others skipped, false). Versions 2 and 3 store a
    // boolean in place of the action (true: Activate, false: Deactivate);
    // version 2 has no mask and acts on the one effect. Unchanged unless
    // read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "Initiator.ActivateAndReset", "EffectDeactivateGroups( 1, 3 )".
    void GetText(char* pBuf) const override;
    // The one effect, or with the mask switch every placed effect of the map
    // that shares a mask bit, in slot order (mask 0: none).
    void DoAction(const gcEventParams& params) const override;

    int32_t action = ACTION_DEACTIVATE;
    bool bUseMask = true;
    gcDesiredEffect desiredEffect;  // the initiator when new
    uint32_t nActivationMask = 0;

private:
    void ApplyTo(gcEffect* pEffect) const;
};
