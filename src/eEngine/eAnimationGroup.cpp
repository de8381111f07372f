#include "eEngine/eAnimationGroup.h"

#include "cCore/cMemPool.h"

QM_DEFINE_GROUP(eAnimationGroup, 18)
