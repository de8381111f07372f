#pragma once
// A named texture of the data files. It owns no memory: its texels live in
// the texture configuration of its slot (eTextureConfig), reserved at
// start-up, and reading a texture checks its description against that
// configuration and copies the texels straight in. Kept by eTextureMgr in
// 450 slots; slots 0 and 1 hold the placeholders "( Lightmap )" and
// "( Framebuffer )" that texture stages replace. Lives in the pool of its
// group's load; main thread (the loader thread reads groups).

#include <cstdint>

#include "cCore/cHandle.h"
#include "cCore/cObject.h"
#include "eEngine/eTextureConfig.h"
#include "cCore/cManager.h"

class eTexture;
class eTextureData;
using eTextureHandle = cHandle<eTexture>;

class eTexture : public cObject {
    QM_DECLARE_TYPE(eTexture)
public:
    // How coordinates wrap; stored in files and named by file-name letters.
    enum eWrapMode : int32_t {
        WRAP_REPEAT = 0,   // "r": repeat in s and t
        WRAP_CLAMP = 1,    // "c": clamp in s and t
        WRAP_CLAMP_S = 2,  // "y": clamp s, repeat t
        WRAP_CLAMP_T = 3,  // "x": repeat s, clamp t
    };
    static const char* WrapModeText(int wrap);  // "???" outside the enumeration
    // The hardware modes of a wrap mode per axis; unknown modes repeat.
    static GXTexWrapMode WrapS(int32_t wrap);
    static GXTexWrapMode WrapT(int32_t wrap);

    static constexpr uint32_t kVersion = 5;
    static constexpr uint32_t kPlatformVersion = 1;
    static constexpr int kNumMaps = 4;          // texture maps the cache covers
    static constexpr uint8_t kNullFill = 0xFF;  // texels of a texture without data: white
    static constexpr uint16_t kFixedCheck = 0xFFFF;  // check of the placeholder handles
    static constexpr int kMaxFilenameLength = 19;

    eTexture();
    // A copy is an empty texture: the texels belong to the slot.
    eTexture(const eTexture&);

    cBase* Copy(cMemPool* pPool) const override;
    // Version 5 with the slot configuration's description and, when the
    // texture has texels, the console block holding them.
    void Write(const cFile& file) const override;
    // Version 5 or later (older: skipped, false). A matching description
    // copies the texels into the slot; a mismatch skips them and leaves the
    // texture white; a slot without configuration is skipped with a log
    // line. False only when the block is damaged or short (name and wrap
    // mode kept) or refused.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Loads the slot's texture into map 0-3 unless the map holds it already.
    void Apply(int map) const;
    // Forgets what map 0-3 holds, so the next Apply loads again.
    static void ApplyNull(int map);
    // Copies width x height bytes (at most the slot's byte count) into the
    // slot and marks the texture as having texels.
    void SetData(const void* pTexels);
    // Fills the slot's texels with 0xFF (white) and clears m_bHasData.
    void NullData();
    // Opens the console block and moves past it unread.
    void SkipDataRead(const cFile& file) const;
    void ImportData(const char*) {}  // the console imports nothing

    // The authoring name rules: size "64", "128" or "256", a format letter
    // (a 3, c 0, d 0 with the flag, f 5, h 2), a wrap letter (r, c, y, x),
    // "_", then letters, digits and "_" only, the whole name below 20
    // characters. Outputs start as 0, FORMAT_UNSET, WRAP_REPEAT, false and
    // are filled as far as the name follows the rules. Null outputs are
    // allowed.
    static bool GetSettingsFromFilename(const char* path, int* pSize, eTextureConfig::eFormat* pFormat,
                                        eWrapMode* pWrap, bool* pFlag);

    // The configuration of this texture's slot; null when the slot has none.
    eTextureConfig* GetConfig() const;

    eTextureHandle m_handle;
    bool m_bHasData;
    uint16_t m_nModCount;
    eWrapMode m_wrapMode;

    // What each texture map was last loaded with; null when unknown.
    static const eTextureData* s_pLastTex[kNumMaps];

private:
    // The console block with the texels. False only when the file failed.
    bool PlatformRead(const cFile& file, eTextureConfig* pConfig, int32_t wrap);
    void PlatformWrite(const cFile& file, const eTextureConfig& config) const;
};

// The slot table of textures: 450 slots, resolved by handle. Slots 0 and 1
// hold the placeholders; a zone's lightmaps sit from 350 + its region index.
// Main thread, or the loader filling a group.
class eTextureMgr : public cManager<eTexture, 450> {
public:
    static constexpr int kLightmapSlot = 0;     // "( Lightmap )"
    static constexpr int kFrameBufferSlot = 1;  // "( Framebuffer )"
    static constexpr int kFirstLightmapSlot = 350;  // plus the region index
};
