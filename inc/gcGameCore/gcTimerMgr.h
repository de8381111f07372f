#pragma once
// The slot table of script timers: 100 slots, resolved by handle. A stale or zero
// handle gives null. Main thread, or the loader filling a group.

#include "cCore/cManager.h"
#include "gcGameCore/gcTimer.h"

class gcTimerMgr : public cManager<gcTimer, 100> {};
