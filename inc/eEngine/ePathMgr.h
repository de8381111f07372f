#pragma once
// The slot table of paths: 100 slots, resolved by handle. Region paths keep
// their own table; this one serves paths a data file places through a group.
// Main thread, or the loader filling a group.

#include "cCore/cManager.h"
#include "eEngine/ePath.h"

class ePathMgr : public cManager<ePath, 100> {};
