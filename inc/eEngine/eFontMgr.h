#pragma once
// The slot table of fonts: 8 slots, resolved by handle. Main thread, or the
// loader filling a group.

#include "cCore/cManager.h"
#include "eEngine/eFont.h"

class eFontMgr : public cManager<eFont, 8> {};
