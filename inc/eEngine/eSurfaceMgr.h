#pragma once
// The slot table of collision surfaces: 650 slots, resolved by handle. A
// stale or zero handle gives null. Main thread, or the loader filling a group.

#include "cCore/cManager.h"
#include "eEngine/eSurface.h"

class eSurfaceMgr : public cManager<eSurface, 650> {};
