#pragma once
// The slot table of materials: 650 slots, resolved by handle. Main thread,
// or the loader filling a group.

#include "cCore/cManager.h"
#include "eEngine/eMaterial.h"

class eMaterialMgr : public cManager<eMaterial, 650> {};
