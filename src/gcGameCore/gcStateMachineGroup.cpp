#include "gcGameCore/gcStateMachineGroup.h"

#include "cCore/cMemPool.h"

QM_DEFINE_GROUP(gcStateMachineGroup, 245)
