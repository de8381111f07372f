#pragma once
// The slot table of script key values: 200 slots, resolved by handle. A stale or zero
// handle gives null. Main thread, or the loader filling a group.

#include "cCore/cManager.h"
#include "gcGameCore/gcKeyValue.h"

class gcKeyValueMgr : public cManager<gcKeyValue, 200> {};
