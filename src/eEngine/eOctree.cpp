#include "eEngine/eOctree.h"

#include <bit>
#include <cstdint>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "mMath/mSphere.h"

uint32_t eOctree::Morton(uint32_t x, uint32_t y, uint32_t z)
{
    uint32_t code = 0;
    for (int i = 0; i < 10; ++i) {
        code |= ((x >> i) & 1u) << (3 * i);
        code |= ((y >> i) & 1u) << (3 * i + 1);
        code |= ((z >> i) & 1u) << (3 * i + 2);
    }
    return code;
}

eOctree::eOctree() : m_fSize(0.0f), m_fLooseScale(0.0f), m_nLevels(0)
{
    m_volume.MakeEmpty();
}

// floor(log2 q) read straight from the exponent bits, so infinity (a radius
// of 0) and NaN give the largest value and zero or denormals the smallest; the
// sign bit is ignored.
static int ExponentOf(float q)
{
    const uint32_t bits = std::bit_cast<uint32_t>(q);
    return static_cast<int>((bits >> 23) & 0xFFu) - 127;
}

// The cell along one axis: truncation toward zero of (n / size) x (size/2 + c),
// so a centre up to one cell below the negative face still lands in cell 0.
// Anything else outside [0, n), including NaN, is -1.
static int32_t CellOf(float c, float size, int32_t n)
{
    const float f = (static_cast<float>(n) / size) * (size * 0.5f + c);
    if (!(f > -1.0f) || !(f < static_cast<float>(n)))
        return -1;
    return static_cast<int32_t>(f);
}

int32_t eOctree::GetNodeFromSphere(const mSphere& s) const
{
    if (m_nLevels < 1)
        return -1;
    const float q = (m_fLooseScale - 1.0f) * m_fSize / (2.0f * s.radius);
    int level = ExponentOf(q);
    if (level < 0)
        level = 0;
    if (level >= m_nLevels)
        level = m_nLevels - 1;
    const int32_t n = int32_t{1} << level;
    const int32_t i = CellOf(s.center.x, m_fSize, n);
    const int32_t j = CellOf(s.center.y, m_fSize, n);
    const int32_t k = CellOf(s.center.z, m_fSize, n);
    if (i < 0 || j < 0 || k < 0)
        return -1;
    return LevelStart(level) + static_cast<int32_t>(Morton(i, j, k));
}

int32_t eOctree::GetNodeFromBox(const mBox& b) const
{
    mSphere s;
    s.center = (b.minCorner + b.maxCorner) * 0.5f;
    const mVec3 extent = b.maxCorner - b.minCorner;
    float largest = extent.x;
    if (extent.y > largest)
        largest = extent.y;
    if (extent.z > largest)
        largest = extent.z;
    s.radius = largest * 0.5f;
    return GetNodeFromSphere(s);
}

bool eOctree::Read(const cFile& file)
{
    cReadBlock rb(file, kVersion);
    const float fSize = rb.ReadFloat();
    const float fLooseScale = rb.ReadFloat();
    const int32_t nLevels = rb.ReadInt();
    mBox volume;
    rb.ReadFloats(volume.minCorner.v, 3);
    rb.ReadFloats(volume.maxCorner.v, 3);
    if (rb.Failed())
        return false;
    if (nLevels < 1 || nLevels > kMaxLevels) {
        file.Fail("eOctree: %d levels (allowed 1 to %d)", nLevels, kMaxLevels);
        return false;
    }
    m_fSize = fSize;
    m_fLooseScale = fLooseScale;
    m_nLevels = nLevels;
    m_volume = volume;
    return true;
}

void eOctree::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    wb.WriteFloat(m_fSize);
    wb.WriteFloat(m_fLooseScale);
    wb.WriteInt(m_nLevels);
    wb.WriteFloats(m_volume.minCorner.v, 3);
    wb.WriteFloats(m_volume.maxCorner.v, 3);
}
