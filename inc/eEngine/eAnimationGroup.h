#pragma once
// The file block that fills a range of eAnimationMgr's slots with
// animations and their check values. Lives in the pool of its load; one made
// by the factory destroys its animations with it.

#include "cCore/cGroup.h"
#include "eEngine/eAnimationMgr.h"

class eAnimationGroup : public cGroup
{
    QM_DECLARE_GROUP(eAnimationGroup, eAnimationMgr)
};
