#pragma once
// The file block that fills a range of eTextureMgr's slots with textures and
// their check values; each texture reads its texels into its slot's
// configuration as it is placed. Lives in the pool of its load; one made by
// the factory destroys its textures with it. The import calls serve
// authoring tools; nothing in the game calls them.

#include "cCore/cGroup.h"
#include "eEngine/eTexture.h"

class cName;

class eTextureGroup : public cGroup {
    QM_DECLARE_GROUP(eTextureGroup, eTextureMgr)
public:
    // The first slot of the range holding no texture (or one without texels)
    // whose configuration has the format and size the name's rules give; -1
    // when there is none or the name breaks the rules.
    int FindEmptySlot(const cName& name) const;
    // A new texture in the group's pool for slot begin + index, named by the
    // file and wrapped by the name's rules; it takes over the handle of a
    // texture already there. Null when the slot is outside the range or the
    // pool is full.
    eTexture* ImportTexture(int index, const char* path);
    // Imports into the texture of the same name, else into an empty slot. A
    // name with format letter "f" becomes two textures, with "a" and with
    // "c" in its place. False when no slot takes it.
    bool Import(const char* path);
};
