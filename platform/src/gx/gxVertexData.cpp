// The vertices of one draw: whole records from immediate mode, or the packed
// attributes a display list's format carries.

#include "gx/gxCommand.h"

#include <cstring>

gxVertexData::gxVertexData(std::vector<gxVertex>&& records) : m_count(records.size()), m_records(std::move(records)) {}

gxVertexData::gxVertexData(const gxVertexLayout& layout, uint32_t count)
    : m_layout(layout), m_count(count), m_packed(new uint8_t[static_cast<size_t>(count) * layout.stride]),
      m_capacity(static_cast<size_t>(count) * layout.stride)
{
}

void gxVertexData::Reshape(const gxVertexLayout& layout, uint32_t count)
{
    const size_t bytes = static_cast<size_t>(count) * layout.stride;
    if (!m_packed || m_capacity < bytes) {
        m_packed.reset(new uint8_t[bytes]);
        m_capacity = bytes;
    }
    m_records.clear();
    m_layout = layout;
    m_count = count;
}

const uint8_t* gxVertexData::Bytes() const
{
    return m_packed ? m_packed.get() : reinterpret_cast<const uint8_t*>(m_records.data());
}

void gxVertexData::Truncate(size_t count)
{
    if (count >= m_count)
        return;
    m_count = count;
    if (!m_packed)
        m_records.resize(count);
}

// n kept shorts to floats, as the decoder would have made them.
static void Widen(const uint8_t* p, int n, float scale, float* out)
{
    for (int i = 0; i < n; ++i) {
        int16_t v;
        std::memcpy(&v, p + 2 * i, sizeof(v));
        out[i] = static_cast<float>(v) * scale;
    }
}

gxVertex gxVertexData::operator[](size_t i) const
{
    if (!m_packed)
        return m_records[i];
    const uint8_t* p = m_packed.get() + i * m_layout.stride;
    const gxVertexLayout& l = m_layout;
    gxVertex v{};
    if (l.shorts & gxVertexLayout::kPosShorts)
        Widen(p + l.pos, 3, l.posScale, v.pos);
    else
        std::memcpy(v.pos, p + l.pos, sizeof(v.pos));
    if (l.nrm != gxVertexLayout::kAbsent)
        std::memcpy(v.nrm, p + l.nrm, sizeof(v.nrm));
    for (int c = 0; c < 2; ++c)
        if (l.clr[c] != gxVertexLayout::kAbsent)
            std::memcpy(v.clr[c], p + l.clr[c], sizeof(v.clr[c]));
    for (int t = 0; t < 8; ++t) {
        if (l.tex[t] == gxVertexLayout::kAbsent)
            continue;
        if (l.shorts & gxVertexLayout::TexShorts(t))
            Widen(p + l.tex[t], 2, l.texScale[t], v.tex[t]);
        else
            std::memcpy(v.tex[t], p + l.tex[t], sizeof(v.tex[t]));
    }
    if (l.mtx != gxVertexLayout::kAbsent) {
        v.pnMtx = p[l.mtx];
        std::memcpy(v.texMtx, p + l.mtx + 1, sizeof(v.texMtx));
    } else {
        v.pnMtx = l.pnMtx;
        std::memcpy(v.texMtx, l.texMtx, sizeof(v.texMtx));
    }
    return v;
}
