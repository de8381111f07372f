#include "gcGameCore/actions/gcDoDeviceAction.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cType.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcMsg.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoDeviceAction, gcAction, 256)

namespace {

const char* const kActionTexts[gcDoDeviceAction::MAX_ACTIONTYPES] = {"Idle1", "Idle2", "Idle3",
                                                                      "Idle4", "Idle5", "Idle6"};

bool InTable(int32_t type)
{
    return type >= 0 && type < gcDoDeviceAction::MAX_ACTIONTYPES;
}

}  // namespace

cBase* gcDoDeviceAction::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoDeviceAction>(action, desiredDevice) : nullptr;
}

void gcDoDeviceAction::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    wb.WriteInt(action);
    desiredDevice.Write(wb);
}

bool gcDoDeviceAction::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoDeviceAction", "version");
    const int32_t type = rb.ReadInt();
    gcDesiredEntity device;
    device.Read(rb, pPool);
    if (rb.Failed())
        return false;
    action = type;
    desiredDevice = device;
    return true;
}

void gcDoDeviceAction::GetText(char* pBuf) const
{
    desiredDevice.GetText(pBuf);
    gcScriptText::Append(pBuf, ".");
    gcScriptText::Append(pBuf, GetActionText(action));
}

void gcDoDeviceAction::DoAction(const gcEventParams& params) const
{
    // Looked up by id: without a registered device class no entity is a
    // device (a null type would let every entity through).
    const cType* pDeviceType = cType::Find(kDeviceTypeId);
    if (!pDeviceType || !InTable(action))
        return;
    if (gcEntity* p = desiredDevice.GetEntity(params, pDeviceType, true))
        p->Send(gcMsgIdle(action));
}

const char* gcDoDeviceAction::GetActionText(int32_t type)
{
    return InTable(type) ? kActionTexts[type] : "???";
}
