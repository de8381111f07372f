#pragma once
// The slot table of named script constants: 500 slots, resolved by handle. A stale or zero
// handle gives null. Main thread, or the loader filling a group.

#include "cCore/cManager.h"
#include "gcGameCore/gcConstant.h"

class gcConstantMgr : public cManager<gcConstant, 500> {};
