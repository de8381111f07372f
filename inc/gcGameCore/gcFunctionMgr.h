#pragma once
// The slot table of script functions: 500 slots, resolved by handle. A stale or zero
// handle gives null. Main thread, or the loader filling a group.

#include "cCore/cManager.h"
#include "gcGameCore/gcFunction.h"

class gcFunctionMgr : public cManager<gcFunction, 500> {};
