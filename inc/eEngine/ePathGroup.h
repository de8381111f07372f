#pragma once
// The file block that fills a range of ePathMgr's slots with paths and their
// check values. Lives in the pool of its load; one made by the factory
// destroys its paths with it.

#include "cCore/cGroup.h"
#include "eEngine/ePathMgr.h"

class ePathGroup : public cGroup
{
    QM_DECLARE_GROUP(ePathGroup, ePathMgr)
};
