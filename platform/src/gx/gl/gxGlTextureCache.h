#pragma once
// Decoded textures on the GPU, cached by the texel memory they came from
// (address, format, size, level count and, for colour-indexed formats, the
// palette). Frame-buffer copies made with GXCopyTex are entries too, bound to
// their destination address, so a texture object on that address samples the
// copy. Render thread only.
//
// Invalidation: a store range (the CPU finished writing memory) drops every
// entry whose texels or palette overlap it, copies included; "invalidate
// all" drops the decoded entries but keeps copies, which have no memory
// behind them to decode again.

#include <cstdint>
#include <map>

#include <epoxy/gl.h>

#include "platform/gx.h"

namespace gxgl {

struct GlTexture {
    GLuint tex = 0;
    int width = 0;
    int height = 0;
    int levels = 1;
    bool isCopy = false;
};

class GlTextureCache {
public:
    bool InitGl();
    void ReleaseGl();

    // The texture for a texture object, decoded on first use. A texture the
    // decoders refuse (size, format, bytes, palette) logs once and comes back
    // as the 1x1 white texture. tlut is the palette object loaded under the
    // object's palette name (colour-indexed formats only; may be null).
    const GlTexture& Lookup(const GXTexObj& obj, const GXTlutObj* tlut);

    // The copy texture bound to dest with the given size, created or resized;
    // it stands for the bytes a texture of the copy's storage format takes.
    // *pAllocate says whether its storage is new or of another size (to be
    // allocated) rather than the last copy's, to be overwritten.
    GlTexture& CopyTarget(const void* dest, int width, int height, int gxCopyFormat, bool* pAllocate);

    void InvalidateRange(const void* addr, uint32_t bytes);
    void InvalidateAll();

    const GlTexture& White() const { return m_white; }
    size_t Size() const { return m_entries.size() + m_copies.size(); }

private:
    struct Key {
        uintptr_t addr;
        uint32_t format, width, height, levels;
        uintptr_t tlutAddr;
        uint32_t tlutFormat, tlutEntries;
        bool operator<(const Key& o) const;
    };
    struct Entry {
        GlTexture texture;
        uintptr_t begin, end;          // texel bytes
        uintptr_t tlutBegin, tlutEnd;  // palette bytes (empty without one)
    };

    bool Decode(const GXTexObj& obj, const GXTlutObj* tlut, uint32_t levels, Entry* entry);
    static void Release(Entry& entry);

    std::map<Key, Entry> m_entries;
    std::map<uintptr_t, Entry> m_copies;  // by destination address
    GlTexture m_white;
};

// Levels a texture object reads: max LOD + 1 with mipmaps (at most the full
// chain), else 1.
uint32_t TexObjLevels(const GXTexObj& obj);

}  // namespace gxgl
