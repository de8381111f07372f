#include "eEngine/eSpriteGroup.h"

#include "cCore/cMemPool.h"

QM_DEFINE_GROUP(eSpriteGroup, 40)
