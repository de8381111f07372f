#pragma once
// The file block that fills a range of gcConstantMgr's slots. Lives in the pool
// of its load; one made by the factory destroys its objects with it.

#include "cCore/cGroup.h"
#include "gcGameCore/gcConstantMgr.h"

class gcConstantGroup : public cGroup {
    QM_DECLARE_GROUP(gcConstantGroup, gcConstantMgr)
};
