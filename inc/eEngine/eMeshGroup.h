#pragma once
// The file block that fills a range of eMeshMgr's slots with meshes and
// their check values. Lives in the pool of its load; one made by the factory
// destroys its meshes with it.

#include "cCore/cGroup.h"
#include "eEngine/eMeshMgr.h"

class eMeshGroup : public cGroup
{
    QM_DECLARE_GROUP(eMeshGroup, eMeshMgr)
};
