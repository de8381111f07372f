#pragma once
// The file block that fills a range of eSurfaceMgr's slots with surfaces and
// their check values. Lives in the pool of its load; one made by the factory
// destroys its surfaces with it.

#include "cCore/cGroup.h"
#include "eEngine/eSurfaceMgr.h"

class eSurfaceGroup : public cGroup
{
    QM_DECLARE_GROUP(eSurfaceGroup, eSurfaceMgr)
};
