#include "eEngine/eSoundData.h"

#include <cctype>
#include <cstring>
#include <memory>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eSoundWaveData.h"

QM_DEFINE_TYPE(eSoundData, cObject, 37)

eSoundData::PlatformWriteFunc eSoundData::s_platformWriters[eSoundData::kPlatforms] = {};

eSoundData::eSoundData()
    : m_length(0), m_bLooping(false), m_nFrequency(0), m_nBitsPerSample(0), m_nModCount(0), m_pWaveData(nullptr)
{
}

eSoundData::~eSoundData()
{
    DestroyWaveData();
}

void eSoundData::DestroyWaveData()
{
    // The record lives in its pool; destroying it releases its audio memory
    // once, and the pointer goes so that nothing releases it again.
    if (m_pWaveData)
        std::destroy_at(m_pWaveData);
    m_pWaveData = nullptr;
}

cBase* eSoundData::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eSoundData>() : nullptr;
}

void eSoundData::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    wb.WriteInt(m_length);
    wb.WriteBool(m_bLooping);
    wb.WriteInt(m_nFrequency);
    wb.WriteInt(m_nBitsPerSample);
    m_originalName.Write(wb);
    const int32_t platform = file.m_nTargetPlatformId;
    if (platform >= 0 && platform < kPlatforms && s_platformWriters[platform])
        s_platformWriters[platform](*this, file);
}

bool eSoundData::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kMinVersion || rb.m_nVersion > kVersion)
        return rb.Reject("eSoundData", "version");
    const cName oldName = m_name;
    if (!ReadObjectPart(rb, pPool))
        return false;
    const int32_t nLength = rb.ReadInt();
    const bool bLooping = rb.ReadBool();
    const int32_t nFrequency = rb.ReadInt();
    const int32_t nBitsPerSample = rb.ReadInt();
    cName originalName = m_name;
    if (rb.m_nVersion >= 3)
        originalName.Read(rb);
    if (rb.Failed()) {
        m_name = oldName;
        return false;
    }
    eSoundWaveData* pWave = PlatformRead(file, pPool);
    if (!pWave) {
        m_name = oldName;
        if (!rb.Failed())
            rb.SkipToEnd();
        return false;
    }
    DestroyWaveData();
    m_length = nLength;
    m_bLooping = bLooping;
    m_nFrequency = nFrequency;
    m_nBitsPerSample = nBitsPerSample;
    m_originalName = originalName;
    m_pWaveData = pWave;
    return true;
}

bool eSoundData::GetSettingsFromFilename(const char* path, bool* pLooping, eSoundDataChannels* pChannels)
{
    if (!path)
        return false;
    const char* sName = path;
    for (const char* p = path; *p; ++p) {
        if (*p == '/' || *p == '\\')
            sName = p + 1;
    }
    const char* sDot = std::strrchr(sName, '.');
    const size_t nLength = sDot ? static_cast<size_t>(sDot - sName) : std::strlen(sName);
    if (nLength < 3 || nLength > kMaxNameLength)
        return false;
    const char cKind = static_cast<char>(std::tolower(static_cast<unsigned char>(sName[0])));
    const char cChannels = static_cast<char>(std::tolower(static_cast<unsigned char>(sName[1])));
    if ((cKind != 's' && cKind != 'l') || (cChannels != 's' && cChannels != 'm') || sName[2] != '_')
        return false;
    for (size_t i = 3; i < nLength; ++i) {
        const unsigned char c = static_cast<unsigned char>(sName[i]);
        if (!std::isalnum(c) && c != '_')
            return false;
    }
    if (pLooping)
        *pLooping = cKind == 'l';
    if (pChannels)
        *pChannels = cChannels == 's' ? SDC_STEREO : SDC_MONO;
    return true;
}

QM_DEFINE_GROUP(eSoundDataGroup, 38)
