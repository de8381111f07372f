#include "eEngine/ePathGroup.h"

#include "cCore/cMemPool.h"

QM_DEFINE_GROUP(ePathGroup, 24)
