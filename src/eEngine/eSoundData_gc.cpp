// The console half of sound data: the platform block, whose samples go into
// a new block of audio memory through a staging buffer.
#include "eEngine/eSoundData.h"

#include <cstring>
#include <memory>

#include "platform/ar.h"

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "eEngine/eAudioPlatform.h"
#include "eEngine/eSoundWaveData.h"

namespace {

// One file is read at a time, so one staging buffer serves every load.
alignas(32) uint8_t s_staging[eSoundData::kStagingSize];

constexpr uint32_t RoundUp32(uint32_t n) { return (n + 31u) & ~31u; }

// Copies byteSize sample bytes from the block into audio memory at address,
// a whole chunk at a time and the rest rounded up to 32 bytes (zero padded).
// False when the file ran short.
bool CopySamples(const cReadBlock& rb, uint32_t address, uint32_t byteSize)
{
    std::memset(s_staging, 0, sizeof(s_staging));
    uint32_t done = 0;
    while (byteSize - done >= eSoundData::kStagingChunk) {
        rb.ReadChars(s_staging, eSoundData::kStagingChunk);
        if (rb.Failed())
            return false;
        eAudioPlatform::FillARAM(address + done, s_staging, eSoundData::kStagingChunk);
        done += eSoundData::kStagingChunk;
    }
    const uint32_t rest = byteSize - done;
    if (rest == 0)
        return true;
    const uint32_t padded = RoundUp32(rest);
    rb.ReadChars(s_staging, static_cast<int>(rest));
    std::memset(s_staging + rest, 0, padded - rest);
    if (rb.Failed())
        return false;
    eAudioPlatform::FillARAM(address + done, s_staging, padded);
    return true;
}

}  // namespace

eSoundWaveData* eSoundData::PlatformRead(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kPlatformVersion);
    if (rb.m_nVersion != kPlatformVersion) {
        rb.Reject("eSoundData", "platform block version");
        return nullptr;
    }
    eSoundWaveData* pWave = pPool ? pPool->New<eSoundWaveData>() : nullptr;
    if (!pWave) {
        // The pool reported it (failing the file being read, if any).
        rb.SkipToEnd();
        return nullptr;
    }
    uint8_t header[eSoundWaveData::kHeaderSize];
    rb.ReadChars(header, sizeof(header));
    const uint32_t nByteSize = rb.ReadUInt();
    const uint32_t nEndOffset = rb.ReadUInt();
    if (rb.Failed())
        return nullptr;
    const uint32_t nLeft = rb.m_nEndOffset > file.GetCurrentPos() ? rb.m_nEndOffset - file.GetCurrentPos() : 0;
    if (nByteSize > nLeft || nByteSize > AR_MEMORY_SIZE) {
        file.Fail("eSoundData: %u sample bytes stored, %u left in the block", nByteSize, nLeft);
        rb.SkipToEnd();
        return nullptr;
    }
    const uint32_t nAllocation = eSoundWaveData::AllocationSize(nByteSize);
    // The end must lie in the sound's own block, or the voice plays whatever
    // follows it in audio memory.
    if (nEndOffset >= 2 * nAllocation) {
        file.Fail("eSoundData: end offset %u nibbles past the sound's %u bytes", nEndOffset, nAllocation);
        rb.SkipToEnd();
        return nullptr;
    }
    const uint32_t nAddress = eAudioPlatform::AllocARAM(nAllocation);
    if (nAddress == 0) {
        cLogError_("eSoundData: no room in audio memory for %u bytes", nAllocation);
        rb.SkipToEnd();
        return nullptr;
    }
    if (!CopySamples(rb, nAddress, nByteSize)) {
        eAudioPlatform::FreeARAM(nAddress);
        return nullptr;
    }
    pWave->m_nStartAddress = nAddress * 2;
    pWave->m_nEndAddress = nEndOffset + pWave->m_nStartAddress;
    pWave->m_nByteSize = nByteSize;
    std::memcpy(pWave->m_adpcmHeader, header, sizeof(header));
    return pWave;
}
