#pragma once
// The file block that fills a range of gcKeyValueMgr's slots. Lives in the pool
// of its load; one made by the factory destroys its objects with it.

#include "cCore/cGroup.h"
#include "gcGameCore/gcKeyValueMgr.h"

class gcKeyValueGroup : public cGroup {
    QM_DECLARE_GROUP(gcKeyValueGroup, gcKeyValueMgr)
};
