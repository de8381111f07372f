#pragma once
// The file block that fills a range of eMaterialMgr's slots with materials
// and their check values. Lives in the pool of its load; one made by the
// factory destroys its materials with it.

#include "cCore/cGroup.h"
#include "eEngine/eMaterialMgr.h"

class eMaterialGroup : public cGroup {
    QM_DECLARE_GROUP(eMaterialGroup, eMaterialMgr)
};
