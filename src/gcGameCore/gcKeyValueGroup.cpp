#include "gcGameCore/gcKeyValueGroup.h"

#include "cCore/cMemPool.h"

QM_DEFINE_GROUP(gcKeyValueGroup, 66)
