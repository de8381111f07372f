#pragma once
// The slot table of sound data: 700 slots, resolved by handle. A stale or
// zero handle gives null. Main thread, or the loader filling a group.

#include "cCore/cManager.h"
#include "eEngine/eSoundData.h"

class eSoundDataMgr : public cManager<eSoundData, 700> {};
