#include "gcGameCore/gcStringGroup.h"

#include "cCore/cMemPool.h"

QM_DEFINE_GROUP(gcStringGroup, 184)
