#pragma once
// The slot table of sprites: 600 slots, resolved by handle. Main thread, or
// the loader filling a group.

#include "cCore/cManager.h"
#include "eEngine/eSprite.h"

class eSpriteMgr : public cManager<eSprite, 600> {};
