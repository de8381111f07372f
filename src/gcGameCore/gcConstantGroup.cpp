#include "gcGameCore/gcConstantGroup.h"

#include "cCore/cMemPool.h"

QM_DEFINE_GROUP(gcConstantGroup, 252)
