#include "eEngine/eSurfaceGroup.h"

#include "cCore/cMemPool.h"

QM_DEFINE_GROUP(eSurfaceGroup, 27)
