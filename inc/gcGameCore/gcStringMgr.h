#pragma once
// The slot table of script strings: 1000 slots, resolved by handle. A stale or zero
// handle gives null. Main thread, or the loader filling a group.

#include "cCore/cManager.h"
#include "gcGameCore/gcString.h"

class gcStringMgr : public cManager<gcString, 1000> {};
