#pragma once
// The slot table of animations: 900 slots, resolved by handle. Main thread,
// or the loader filling a group.

#include "cCore/cManager.h"
#include "eEngine/eAnimation.h"

class eAnimationMgr : public cManager<eAnimation, 900> {};
