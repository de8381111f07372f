#include "gx/gl/gxGlTextureCache.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "gx/gl/gxGlEfb.h"
#include "gx/tex/gxTexDecode.h"
#include "platform/os.h"

namespace gxgl {

bool GlTextureCache::Key::operator<(const Key& o) const
{
    return std::tie(addr, format, width, height, levels, tlutAddr, tlutFormat, tlutEntries) <
           std::tie(o.addr, o.format, o.width, o.height, o.levels, o.tlutAddr, o.tlutFormat, o.tlutEntries);
}

uint32_t TexObjLevels(const GXTexObj& obj)
{
    if (!obj.mipmap || !(obj.maxLod > 0.0f))
        return 1;
    const uint32_t full = gxtex::FullChainLevels(obj.width, obj.height);
    const uint32_t wanted = static_cast<uint32_t>(std::floor(std::fmin(obj.maxLod, 16.0f))) + 1;
    return std::max<uint32_t>(1, std::min(wanted, full));
}

bool GlTextureCache::InitGl()
{
    const uint8_t white[4] = {255, 255, 255, 255};
    glGenTextures(1, &m_white.tex);
    glBindTexture(GL_TEXTURE_2D, m_white.tex);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    m_white.width = m_white.height = 1;
    return true;
}

void GlTextureCache::Release(Entry& entry)
{
    if (entry.texture.tex != 0)
        glDeleteTextures(1, &entry.texture.tex);
    entry.texture.tex = 0;
}

void GlTextureCache::ReleaseGl()
{
    for (auto& [key, entry] : m_entries)
        Release(entry);
    for (auto& [addr, entry] : m_copies)
        Release(entry);
    m_entries.clear();
    m_copies.clear();
    glDeleteTextures(1, &m_white.tex);
    m_white = GlTexture();
}

bool GlTextureCache::Decode(const GXTexObj& obj, const GXTlutObj* tlut, uint32_t levels, Entry* entry)
{
    const GXTexFmt format = obj.format;
    const size_t bytes = gxtex::TextureBytes(format, obj.width, obj.height, levels);
    gxtex::Palette palette;
    const gxtex::Palette* pPalette = nullptr;
    if (gxtex::IsPaletteFormat(format) && tlut && tlut->lut) {
        palette.data = static_cast<const uint8_t*>(tlut->lut);
        palette.bytes = static_cast<size_t>(tlut->numEntries) * 2;
        palette.format = tlut->format;
        palette.entries = tlut->numEntries;
        pPalette = &palette;
        entry->tlutBegin = reinterpret_cast<uintptr_t>(tlut->lut);
        entry->tlutEnd = entry->tlutBegin + palette.bytes;
    }
    if (!obj.image || bytes == 0) {
        OSReport("GX: texture at %p: %s %ux%u cannot be drawn; drawn white\n", obj.image,
                 GXTexFmtText(format), obj.width, obj.height);
        return false;
    }
    gxtex::DecodedTexture decoded;
    if (!gxtex::DecodeTexture(static_cast<const uint8_t*>(obj.image), bytes, format, obj.width, obj.height, levels,
                              pPalette, &decoded)) {
        return false;  // the decoder logged the cause
    }
    entry->begin = reinterpret_cast<uintptr_t>(obj.image);
    entry->end = entry->begin + bytes;
    GlTexture& t = entry->texture;
    glGenTextures(1, &t.tex);
    glBindTexture(GL_TEXTURE_2D, t.tex);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (size_t i = 0; i < decoded.levels.size(); ++i) {
        const gxtex::DecodedLevel& l = decoded.levels[i];
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), GL_RGBA8, static_cast<GLsizei>(l.width),
                     static_cast<GLsizei>(l.height), 0, GL_RGBA, GL_UNSIGNED_BYTE, decoded.rgba.data() + l.offset);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(decoded.levels.size()) - 1);
    t.width = obj.width;
    t.height = obj.height;
    t.levels = static_cast<int>(decoded.levels.size());
    return true;
}

const GlTexture& GlTextureCache::Lookup(const GXTexObj& obj, const GXTlutObj* tlut)
{
    const uintptr_t addr = reinterpret_cast<uintptr_t>(obj.image);
    auto copy = m_copies.find(addr);
    if (copy != m_copies.end())
        return copy->second.texture;

    const uint32_t levels = TexObjLevels(obj);
    const bool indexed = gxtex::IsPaletteFormat(obj.format);
    Key key{addr, static_cast<uint32_t>(obj.format), obj.width, obj.height, levels,
            indexed && tlut ? reinterpret_cast<uintptr_t>(tlut->lut) : 0,
            indexed && tlut ? static_cast<uint32_t>(tlut->format) : 0,
            indexed && tlut ? static_cast<uint32_t>(tlut->numEntries) : 0};
    auto found = m_entries.find(key);
    if (found != m_entries.end())
        return found->second.texture.tex ? found->second.texture : m_white;

    Entry entry{};
    if (!Decode(obj, indexed ? tlut : nullptr, levels, &entry)) {
        // Remembered without a texture, so the failure is logged once;
        // rewriting the memory (a store range) lets it be tried again.
        entry.begin = addr;
        entry.end = addr + 1;
        entry.texture = GlTexture();
    }
    auto inserted = m_entries.emplace(key, entry).first;
    return inserted->second.texture.tex ? inserted->second.texture : m_white;
}

GlTexture& GlTextureCache::CopyTarget(const void* dest, int width, int height, int gxCopyFormat, bool* pAllocate)
{
    const uintptr_t addr = reinterpret_cast<uintptr_t>(dest);
    Entry& e = m_copies[addr];
    *pAllocate = e.texture.tex == 0 || e.texture.width != width || e.texture.height != height;
    if (e.texture.tex == 0)
        glGenTextures(1, &e.texture.tex);
    e.texture.width = width;
    e.texture.height = height;
    e.texture.levels = 1;
    e.texture.isCopy = true;
    // A CPU store into the bytes the stored copy would take drops it.
    size_t bytes = gxtex::LevelBytes(static_cast<GXTexFmt>(CopyStorageFormat(gxCopyFormat)), width, height);
    if (bytes == 0)
        bytes = static_cast<size_t>(width) * height * 4;
    e.begin = addr;
    e.end = addr + bytes;
    e.tlutBegin = e.tlutEnd = 0;
    return e.texture;
}

static bool Overlaps(uintptr_t b0, uintptr_t e0, uintptr_t b1, uintptr_t e1)
{
    return b0 < e1 && b1 < e0;
}

void GlTextureCache::InvalidateRange(const void* addr, uint32_t bytes)
{
    const uintptr_t b = reinterpret_cast<uintptr_t>(addr);
    const uintptr_t e = b + bytes;
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        Entry& entry = it->second;
        if (Overlaps(entry.begin, entry.end, b, e) || Overlaps(entry.tlutBegin, entry.tlutEnd, b, e)) {
            Release(entry);
            it = m_entries.erase(it);
        } else {
            ++it;
        }
    }
    for (auto it = m_copies.begin(); it != m_copies.end();) {
        if (Overlaps(it->second.begin, it->second.end, b, e)) {
            Release(it->second);
            it = m_copies.erase(it);
        } else {
            ++it;
        }
    }
}

void GlTextureCache::InvalidateAll()
{
    for (auto& [key, entry] : m_entries)
        Release(entry);
    m_entries.clear();
}

}  // namespace gxgl
