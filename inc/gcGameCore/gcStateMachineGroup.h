#pragma once
// The file block that fills a range of gcStateMachineMgr's slots. Lives in
// the pool of its load; one made by the factory destroys its machines with it.

#include "cCore/cGroup.h"
#include "gcGameCore/gcStateMachineMgr.h"

class gcStateMachineGroup : public cGroup {
    QM_DECLARE_GROUP(gcStateMachineGroup, gcStateMachineMgr)
};
