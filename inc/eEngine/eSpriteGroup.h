#pragma once
// The file block that fills a range of eSpriteMgr's slots with sprites and
// their check values. Lives in the pool of its load; one made by the factory
// destroys its sprites with it.

#include "cCore/cGroup.h"
#include "eEngine/eSpriteMgr.h"

class eSpriteGroup : public cGroup {
    QM_DECLARE_GROUP(eSpriteGroup, eSpriteMgr)
};
