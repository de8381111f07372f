#pragma once
// Writers for the script core's data: groups of constants, key values,
// strings, functions, state machines and timers, and single events, written
// through the engine's own Write code, with builders for the objects they
// hold. Offline tools and test fixtures; main thread.

#include <cstdint>
#include <string>
#include <vector>

#include "gcGameCore/script/gcStateMachine.h"

class cMemPool;
class gcAction;
class gcConstant;
class gcEvent;
class gcFunction;
class gcKeyValue;
class gcState;
class gcString;
class gcTimer;

namespace datagen {

// One record of a group: the object (null for an empty record) and the check
// value its handle gets (0 writes 0xFFFF).
template <class T>
struct ScriptRecord {
    T* pObject;
    uint16_t check;
};

// Each writes a group over slots beginSlot .. beginSlot + records - 1 as a
// console data file at a host path. The objects are placed in their manager
// only while the group is written; the slots get their old contents back.
// False (logged) for a range outside the manager or a failed write.
bool WriteConstantGroupFile(const std::string& path, int beginSlot, const std::vector<ScriptRecord<gcConstant>>& records);
bool WriteKeyValueGroupFile(const std::string& path, int beginSlot, const std::vector<ScriptRecord<gcKeyValue>>& records);
bool WriteStringGroupFile(const std::string& path, int beginSlot, const std::vector<ScriptRecord<gcString>>& records);
bool WriteFunctionGroupFile(const std::string& path, int beginSlot, const std::vector<ScriptRecord<gcFunction>>& records);
bool WriteStateMachineGroupFile(const std::string& path, int beginSlot,
                                const std::vector<ScriptRecord<gcStateMachine>>& records);
bool WriteTimerGroupFile(const std::string& path, int beginSlot, const std::vector<ScriptRecord<gcTimer>>& records);

// Saves one event as a data file of its own.
bool WriteEventFile(const std::string& path, const gcEvent& event);

// Links an action at the end of the event's list; the event then owns it.
void AppendAction(gcEvent& event, gcAction* pAction);

// Builders: the object in the pool, named and set up; null (logged) when the
// pool is full.
gcConstant* NewConstant(cMemPool* pPool, const char* name, float value);
gcKeyValue* NewKeyValue(cMemPool* pPool, const char* name, float value);
gcString* NewString(cMemPool* pPool, const char* name, const char* text);
gcFunction* NewFunction(cMemPool* pPool, const char* name);
gcStateMachine* NewStateMachine(cMemPool* pPool, const char* name, gcStateMachineHandle hParent);
// A state of the machine under number index (0..31), made in the pool.
gcState* AddState(gcStateMachine& machine, int index, const char* name, cMemPool* pPool);
gcTimer* NewTimer(cMemPool* pPool, const char* name, int32_t lengthTicks, uint32_t flags);

}  // namespace datagen
