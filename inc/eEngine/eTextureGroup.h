#pragma once
// The file block that fills a range of eTextureMgr's slots with textures and
// their check values; each texture reads its texels into its slot's
// configuration as it is placed. Lives in the pool of its load; one made by
// the factory destroys its textures with it.

#include "cCore/cGroup.h"
#include "eEngine/eTextureMgr.h"

class eTextureGroup : public cGroup {
    QM_DECLARE_GROUP(eTextureGroup, eTextureMgr)
};
