#pragma once
// The console texture a texture configuration reserves: the hardware texture
// object, the texel byte count and the 32-byte aligned texels in the
// "Textures" pool. Made once by eTextureConfig::Create and kept for the
// pool's life; main thread.

#include <cstdint>

#include "platform/gx.h"

class eTextureData {
public:
    // Loads the object into texture map 0-3 unless the texture-map cache says
    // the map holds it already. Other maps are ignored.
    void Apply(int map) const;

    // The screen copy (640 x 480 RGB565 behind the command FIFO) as a clamped,
    // linearly filtered texture in the given map, through the same cache.
    // "( Framebuffer )" stages draw with it.
    static void ApplyScreenCopy(int map);

    GXTexObj m_texObj;
    uint32_t m_nBytes = 0;        // texel bytes of all levels
    void* m_pTexels = nullptr;    // null when the configuration reserved none
};
