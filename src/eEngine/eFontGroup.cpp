#include "eEngine/eFontGroup.h"

#include "cCore/cMemPool.h"

QM_DEFINE_GROUP(eFontGroup, 19)
