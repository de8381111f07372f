#pragma once
// The texture memory of one texture slot, laid out once at start-up: format,
// size, mipmaps and render-target use of whatever texture will occupy the
// slot, and the texels reserved for it in the "Textures" pool (Create).
// Textures read later copy their texels into this memory, so loading never
// allocates. Kept by eTextureConfigMgr under the same slot numbers as the
// textures; lives as long as the pool it was created in. Main thread.

#include <cstdint>

#include "cCore/cBase.h"
#include "cCore/cHandle.h"
#include "platform/gx.h"
#include "cCore/cManager.h"
#include "cCore/cGroup.h"

class eTextureConfig;
class eTextureData;
using eTextureConfigHandle = cHandle<eTextureConfig>;

class eTextureConfig : public cBase {
    QM_DECLARE_TYPE(eTextureConfig)
public:
    // Stored in data files and in texture file names.
    enum eFormat : int32_t {
        FORMAT_CMPR = 0,          // compressed colour, 4 bits per texel
        FORMAT_RGBA8 = 1,         // 32 bits
        FORMAT_RGB5A3 = 2,        // 16 bits
        FORMAT_CMPR_ALPHA = 3,    // compressed, alpha carried in green (swap table 1)
        FORMAT_C8 = 4,            // 8-bit palette index, palette memory 0
        FORMAT_I4 = 5,            // listed in the hardware table; reserves nothing
        FORMAT_UNSET = 7,
    };
    static const char* FormatText(int format);  // "???" outside the enumeration

    static constexpr uint32_t kVersion = 1;
    static constexpr int kMaxLevels = 20;      // level limit with mipmaps
    static constexpr uint32_t kMaxSide = 1024;  // texels per side the hardware takes
    static constexpr uint32_t kTexelAlign = 32;
    // Hardware texture formats by eFormat (index 4 is I8, but format 4 is
    // always set up colour-indexed).
    static const GXTexFmt s_gxFormats[6];
    // Hardware wrap modes by eTexture::eWrapMode: repeat, clamp, mirror, clamp.
    static const GXTexWrapMode s_gxWrapMode[4];

    eTextureConfig();
    // A copy is an empty configuration: it reserves nothing of its own.
    eTextureConfig(const eTextureConfig&);

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: an empty cBase block, format, width, height, mipmaps and
    // render target (booleans as words).
    void Write(const cFile& file) const override;
    // Accepts every version but 0 (skipped, false). A short or damaged block
    // fails and leaves the fields as they were.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Reserves the texture: its eTextureData and texels from the pool, the
    // hardware object with repeat (clamp for a render target) and linear
    // filters, and stores the fields. A format without memory (5, 7, any
    // other) or a side above kMaxSide reserves no texels and keeps the
    // fields; a full pool is logged and reserves nothing.
    void Create(cMemPool* pPool, eFormat format, uint32_t width, uint32_t height, bool bMipmaps,
                bool bRenderTarget);

    // The texel bytes Create reserves for a description and the mipmap levels
    // it counts: compressed and 8-bit formats count levels while both sides
    // exceed 4, 16- and 32-bit formats down to 4 x 4. 0 bytes, 0 levels for a
    // format without memory.
    static uint32_t CalcByteCount(int32_t format, uint32_t width, uint32_t height, bool bMipmaps,
                                  int* pLevels);
    static int BitsPerTexel(int32_t format);  // 0 for a format without memory

    eTextureConfigHandle m_handle;
    eFormat m_format;
    uint32_t m_nWidth;
    uint32_t m_nHeight;
    bool m_bMipmaps;
    bool m_bRenderTarget;
    bool m_bHasData;
    eTextureData* m_pTextureData;
};

// The slot table of texture configurations: 450 slots, one per texture slot
// under the same number. Main thread, or the loader filling a group.
class eTextureConfigMgr : public cManager<eTextureConfig, 450> {};

// The file block that fills a range of eTextureConfigMgr's slots, read with
// the game configuration. Lives in the pool of its load; one made by the
// factory destroys its configurations with it.
class eTextureConfigGroup : public cGroup {
    QM_DECLARE_GROUP(eTextureConfigGroup, eTextureConfigMgr)
};
