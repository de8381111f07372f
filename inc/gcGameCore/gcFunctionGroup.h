#pragma once
// The file block that fills a range of gcFunctionMgr's slots. Lives in the pool
// of its load; one made by the factory destroys its objects with it.

#include "cCore/cGroup.h"
#include "gcGameCore/gcFunctionMgr.h"

class gcFunctionGroup : public cGroup {
    QM_DECLARE_GROUP(gcFunctionGroup, gcFunctionMgr)
};
