#include "eEngine/eSoundDataGroup.h"

#include "cCore/cMemPool.h"

QM_DEFINE_GROUP(eSoundDataGroup, 38)
