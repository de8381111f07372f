#include "datagen/scriptWriters.h"

#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "datagen/blockWriter.h"
#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcConstant.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/script/gcFunction.h"
#include "gcGameCore/script/gcKeyValue.h"
#include "gcGameCore/script/gcState.h"
#include "gcGameCore/script/gcStateMachine.h"
#include "gcGameCore/script/gcString.h"
#include "gcGameCore/script/gcTimer.h"

namespace datagen {

template <class Mgr, class Group, class T>
static bool WriteGroupFile(const std::string& path, int beginSlot, const std::vector<ScriptRecord<T>>& records)
{
    const int endSlot = beginSlot + static_cast<int>(records.size());
    if (beginSlot < 0 || endSlot > Mgr::kSlots) {
        cLogError_("datagen: %s slots %d to %d outside the manager's %d", T::GetStaticType()->m_sTypeName, beginSlot,
                   endSlot, Mgr::kSlots);
        return false;
    }
    std::vector<T*> saved(Mgr::s_pInstances + beginSlot, Mgr::s_pInstances + endSlot);
    for (size_t i = 0; i < records.size(); ++i) {
        const int slot = beginSlot + static_cast<int>(i);
        if (records[i].pObject)
            Mgr::Add(slot, records[i].pObject, records[i].check ? records[i].check : 0xFFFF);
        else
            Mgr::s_pInstances[slot] = nullptr;
    }
    Group group;  // not made by the factory: it destroys nothing
    group.m_nBegin = beginSlot;
    group.m_nEnd = endSlot;
    const bool ok = WriteObjectFile(path, group);
    for (size_t i = 0; i < saved.size(); ++i)
        Mgr::s_pInstances[beginSlot + static_cast<int>(i)] = saved[i];
    return ok;
}

bool WriteConstantGroupFile(const std::string& path, int beginSlot, const std::vector<ScriptRecord<gcConstant>>& records)
{
    return WriteGroupFile<gcConstantMgr, gcConstantGroup>(path, beginSlot, records);
}

bool WriteKeyValueGroupFile(const std::string& path, int beginSlot, const std::vector<ScriptRecord<gcKeyValue>>& records)
{
    return WriteGroupFile<gcKeyValueMgr, gcKeyValueGroup>(path, beginSlot, records);
}

bool WriteStringGroupFile(const std::string& path, int beginSlot, const std::vector<ScriptRecord<gcString>>& records)
{
    return WriteGroupFile<gcStringMgr, gcStringGroup>(path, beginSlot, records);
}

bool WriteFunctionGroupFile(const std::string& path, int beginSlot, const std::vector<ScriptRecord<gcFunction>>& records)
{
    return WriteGroupFile<gcFunctionMgr, gcFunctionGroup>(path, beginSlot, records);
}

bool WriteStateMachineGroupFile(const std::string& path, int beginSlot,
                                const std::vector<ScriptRecord<gcStateMachine>>& records)
{
    return WriteGroupFile<gcStateMachineMgr, gcStateMachineGroup>(path, beginSlot, records);
}

bool WriteTimerGroupFile(const std::string& path, int beginSlot, const std::vector<ScriptRecord<gcTimer>>& records)
{
    return WriteGroupFile<gcTimerMgr, gcTimerGroup>(path, beginSlot, records);
}

bool WriteEventFile(const std::string& path, const gcEvent& event)
{
    return WriteObjectFile(path, event);
}

void AppendAction(gcEvent& event, gcAction* pAction)
{
    if (!pAction)
        return;
    pAction->pNextAction = nullptr;
    gcAction** ppLink = &event.pAction;
    while (*ppLink)
        ppLink = &(*ppLink)->pNextAction;
    *ppLink = pAction;
}

// A named object of class T in the pool; null (logged) when it does not fit.
template <class T>
static T* NewNamed(cMemPool* pPool, const char* name)
{
    T* p = pPool ? pPool->New<T>() : nullptr;
    if (!p) {
        cLogError_("datagen: no room for the %s \"%s\"", T::GetStaticType()->m_sTypeName, name);
        return nullptr;
    }
    p->m_name.Set("%s", name);
    return p;
}

gcConstant* NewConstant(cMemPool* pPool, const char* name, float value)
{
    gcConstant* p = NewNamed<gcConstant>(pPool, name);
    if (p)
        p->m_fValue = value;
    return p;
}

gcKeyValue* NewKeyValue(cMemPool* pPool, const char* name, float value)
{
    gcKeyValue* p = NewNamed<gcKeyValue>(pPool, name);
    if (p)
        p->m_fValue = value;
    return p;
}

gcString* NewString(cMemPool* pPool, const char* name, const char* text)
{
    gcString* p = NewNamed<gcString>(pPool, name);
    if (p) {
        p->Set(text, pPool);
        // Set stamps the time of the change; written data carries none, so
        // the same tools write the same bytes on every run.
        p->m_lastModified = 0;
    }
    return p;
}

gcFunction* NewFunction(cMemPool* pPool, const char* name)
{
    return NewNamed<gcFunction>(pPool, name);
}

gcStateMachine* NewStateMachine(cMemPool* pPool, const char* name, gcStateMachineHandle hParent)
{
    gcStateMachine* p = NewNamed<gcStateMachine>(pPool, name);
    if (p)
        p->hParent = hParent;
    return p;
}

gcState* AddState(gcStateMachine& machine, int index, const char* name, cMemPool* pPool)
{
    if (index < 0 || index >= gcStateMachine::kMaxStates) {
        cLogError_("datagen: state %d of \"%s\" outside 0..%d", index, machine.m_name.m_sData,
                   gcStateMachine::kMaxStates - 1);
        return nullptr;
    }
    gcState* p = NewNamed<gcState>(pPool, name);
    if (p)
        machine.m_pStates[index] = p;
    return p;
}

gcTimer* NewTimer(cMemPool* pPool, const char* name, int32_t lengthTicks, uint32_t flags)
{
    gcTimer* p = NewNamed<gcTimer>(pPool, name);
    if (p) {
        p->m_length = cTimeValue(lengthTicks);
        p->m_nFlags = flags;
    }
    return p;
}

}  // namespace datagen
