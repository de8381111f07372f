#include "eEngine/eMeshGroup.h"

#include "cCore/cMemPool.h"

QM_DEFINE_GROUP(eMeshGroup, 15)
