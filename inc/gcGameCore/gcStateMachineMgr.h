#pragma once
// The slot table of script state machines: 250 slots, resolved by handle. A
// stale or zero handle gives null. Main thread, or the loader filling a group.

#include "cCore/cManager.h"
#include "gcGameCore/gcStateMachine.h"

class gcStateMachineMgr : public cManager<gcStateMachine, 250> {};
