#pragma once
// Builders for the script's flow-control actions, which events in data hold
// (written with the event through WriteEventFile), and a hand-laid action
// block for fixtures of older versions and of action classes that only keep
// their bytes. Offline tools and test fixtures; main thread.

#include <cstdint>
#include <vector>

class cMemPool;
class gcAction;
class gcDoEvaluation;
class gcDoFunction;
class gcDoLog;
class gcDoReturn;
class gcDoSetValue;
class gcLValue;
class gcValue;

namespace datagen {

class BlockWriter;

// Each makes the action in the pool, owning the values and actions given
// (null values stay missing); null (logged) when the pool is full.
gcDoEvaluation* NewEvaluation(cMemPool* pPool, gcValue* pCondition, const std::vector<gcAction*>& trueList,
                              const std::vector<gcAction*>& falseList);
gcDoFunction* NewDoFunction(cMemPool* pPool, gcValue* pValue);
gcDoReturn* NewReturn(cMemPool* pPool, gcValue* pValue);
gcDoSetValue* NewSetValue(cMemPool* pPool, int32_t operation, gcLValue* pDest, gcValue* pSource);
gcDoLog* NewLog(cMemPool* pPool, int32_t logType, const char* sMsg, gcValue* pParam1, gcValue* pParam2);

// Begins an action's block of this version with the action base block
// (version 3 holding an empty version-1 block); the caller adds the class's
// fields and ends it.
BlockWriter& ActionBlock(BlockWriter& w, uint32_t version);

}  // namespace datagen
