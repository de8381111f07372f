#pragma once
// Tells a device (a script-driven machine) to play one of its six idle
// animations: sends it message 127 with the idle number. Only entities of
// the device class (type id 218) are told; the device picks the animation
// from its template. Lives in its event's pool; main thread. Type id 256.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredEntity.h"

class gcDoDeviceAction : public gcAction {
    QM_DECLARE_TYPE(gcDoDeviceAction)
public:
    static constexpr uint32_t kVersion = 1;
    static constexpr uint32_t kDeviceTypeId = 218;  // the device class, registered by its own file

    // Stored in data files.
    enum gcDeviceAction : int32_t {
        DA_IDLE_1 = 0,  // to DA_IDLE_6 = 5
        DA_IDLE_6 = 5,
        MAX_ACTIONTYPES = 6,
    };

    gcDoDeviceAction() = default;
    gcDoDeviceAction(int32_t type, const gcDesiredEntity& device) : action(type), desiredDevice(device) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the base block, the action, the device.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    void GetText(char* pBuf) const override;  // "[Door].Idle2"
    // Nothing for an action outside the table, or a reference naming no
    // device (while no device class is registered, nothing is one).
    void DoAction(const gcEventParams& params) const override;

    static const char* GetActionText(int32_t type);  // "Idle1".."Idle6"; "???" outside

    int32_t action = DA_IDLE_1;  // a gcDeviceAction as stored
    gcDesiredEntity desiredDevice = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
};
