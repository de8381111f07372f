#pragma once
// The slot table of texture configurations: 450 slots, one per texture slot
// under the same number. Main thread, or the loader filling a group.

#include "cCore/cManager.h"
#include "eEngine/eTextureConfig.h"

class eTextureConfigMgr : public cManager<eTextureConfig, 450> {};
