#pragma once
// The range of texture slots holding a zone's lightmaps and which one the
// strip being drawn uses. Made by the zone reader in the zone's pool (first
// slot 350 + region index); materials bind the current lightmap through it.
// Main thread (the loader thread reads).

#include <cstdint>

#include "mMath/mVec3.h"

class cFile;
class cMemPool;
class eTexture;

class eLightmap {
public:
    static constexpr uint32_t kVersion = 2;

    // Version 2 or later (older: skipped, false): the stored count, then the
    // textures of the range, each reading its block in place. The zone's own
    // count governs; when the file stores fewer, only those are read. A slot
    // without a texture has its block passed over.
    bool Read(const cFile& file, cMemPool* pPool);
    // Version 2: the count and each texture's block (an empty texture's for a
    // slot without one).
    void Write(const cFile& file) const;
    // Loads the current lightmap into texture map 0-3; nothing when it does
    // not resolve.
    void Apply(int map) const;
    eTexture* GetTexture(int index) const;  // null outside the range or unresolved

    // The light baked into the lightmaps scaled per channel (0-1; outside
    // clamped), as when a script dims the map's light: passes that sample a
    // lightmap multiply their result by it. White (the default) leaves them
    // as baked.
    static void SetTint(const mVec3& scale);
    static bool HasTint() { return (s_nTint & 0xFFFFFFu) != 0xFFFFFFu; }
    static uint32_t GetTint() { return s_nTint; }  // 0xAARRGGBB, alpha 0xFF

    int32_t m_nStartIndex = 0;    // first texture slot
    int32_t m_nNumTextures = 0;
    int32_t m_nCurrentIndex = 0;  // within the range

private:
    static uint32_t s_nTint;
};
