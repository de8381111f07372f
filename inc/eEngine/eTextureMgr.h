#pragma once
// The slot table of textures: 450 slots, resolved by handle. Slots 0 and 1
// hold the placeholders; a zone's lightmaps sit from 350 + its region index.
// Main thread, or the loader filling a group.

#include "cCore/cManager.h"
#include "eEngine/eTexture.h"

class eTextureMgr : public cManager<eTexture, 450> {
public:
    static constexpr int kLightmapSlot = 0;     // "( Lightmap )"
    static constexpr int kFrameBufferSlot = 1;  // "( Framebuffer )"
    static constexpr int kFirstLightmapSlot = 350;  // plus the region index
};
