#include "gcGameCore/gcFunctionGroup.h"

#include "cCore/cMemPool.h"

QM_DEFINE_GROUP(gcFunctionGroup, 147)
