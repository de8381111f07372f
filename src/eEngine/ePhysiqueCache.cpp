#include "eEngine/ePhysiqueCache.h"

void ePhysiqueCache::Init(uint8_t* pBuffer0, uint8_t* pBuffer1)
{
    m_pBuffers[0] = pBuffer0;
    m_pBuffers[1] = pBuffer1;
    m_nCurrent = 0;
    m_nFill = 0;
    m_nMagic = 1;
}

void ePhysiqueCache::Flip()
{
    m_nFill = 0;
    m_nCurrent ^= 1;
    ++m_nMagic;
    if (m_nMagic == 0)
        m_nMagic = 1;
}

uint8_t* ePhysiqueCache::Alloc(int count, uint32_t* pId)
{
    uint8_t* pBuffer = m_pBuffers[m_nCurrent];
    // A negative count would move the fill position back over records that
    // this frame already handed out.
    if (pBuffer == nullptr || count < 0 || count > kRecordsPerBuffer - m_nFill) {
        *pId = 0;
        return nullptr;
    }
    const int position = m_nFill;
    m_nFill += count;
    *pId = static_cast<uint32_t>(m_nMagic) << kMagicShift | static_cast<uint32_t>(position);
    return pBuffer + position * kRecordBytes;
}

uint8_t* ePhysiqueCache::GetVerts(uint32_t id) const
{
    uint8_t* pBuffer = m_pBuffers[m_nCurrent];
    const int position = static_cast<int>(id & kPositionMask);
    // Ids are made by Alloc, but one kept across frames or forged must not
    // point outside the buffer.
    if (!Valid(id) || pBuffer == nullptr || position > kRecordsPerBuffer)
        return nullptr;
    return pBuffer + position * kRecordBytes;
}
