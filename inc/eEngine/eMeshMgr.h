#pragma once
// The slot table of meshes: 256 slots, resolved by handle. Main thread, or
// the loader filling a group.

#include "cCore/cManager.h"
#include "eEngine/eMesh.h"

class eMeshMgr : public cManager<eMesh, 256> {};
