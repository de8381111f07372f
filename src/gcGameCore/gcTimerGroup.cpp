#include "gcGameCore/gcTimerGroup.h"

#include "cCore/cMemPool.h"

QM_DEFINE_GROUP(gcTimerGroup, 196)
