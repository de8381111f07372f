#pragma once
// The file block that fills a range of gcTimerMgr's slots. Lives in the pool
// of its load; one made by the factory destroys its objects with it.

#include "cCore/cGroup.h"
#include "gcGameCore/gcTimerMgr.h"

class gcTimerGroup : public cGroup {
    QM_DECLARE_GROUP(gcTimerGroup, gcTimerMgr)
};
