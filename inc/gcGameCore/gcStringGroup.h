#pragma once
// The file block that fills a range of gcStringMgr's slots. Lives in the pool
// of its load; one made by the factory destroys its objects with it.

#include "cCore/cGroup.h"
#include "gcGameCore/gcStringMgr.h"

class gcStringGroup : public cGroup {
    QM_DECLARE_GROUP(gcStringGroup, gcStringMgr)
};
