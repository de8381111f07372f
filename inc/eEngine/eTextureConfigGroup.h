#pragma once
// The file block that fills a range of eTextureConfigMgr's slots, read with
// the game configuration. Lives in the pool of its load; one made by the
// factory destroys its configurations with it.

#include "cCore/cGroup.h"
#include "eEngine/eTextureConfigMgr.h"

class eTextureConfigGroup : public cGroup {
    QM_DECLARE_GROUP(eTextureConfigGroup, eTextureConfigMgr)
};
