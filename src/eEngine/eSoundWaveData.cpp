#include "eEngine/eSoundWaveData.h"

#include <cstring>

#include "eEngine/eAudioPlatform.h"

eSoundWaveData::eSoundWaveData() : m_nStartAddress(0), m_nEndAddress(0), m_nByteSize(0)
{
    std::memset(m_adpcmHeader, 0, sizeof(m_adpcmHeader));
}

eSoundWaveData::~eSoundWaveData()
{
    Release();
}

uint32_t eSoundWaveData::AllocationSize(uint32_t byteSize)
{
    return (byteSize + 35u) & ~31u;
}

void eSoundWaveData::Release()
{
    if (!HoldsMemory())
        return;
    eAudioPlatform::FreeARAM(GetAudioAddress());
    m_nStartAddress = 0;
    m_nEndAddress = 0;
}
