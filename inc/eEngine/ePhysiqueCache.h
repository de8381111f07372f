#pragma once
// The skinning vertex cache: two buffers of 8,000 records of 12 bytes that
// alternate every frame, so the graphics layer reads last frame's skinned
// vertices while this frame's are written. An id handed out is valid only
// during the frame it was allocated in. Memory comes from the "Physique
// Cache" pool (eVideoPlatform); main thread only.

#include <cstdint>

class ePhysiqueCache {
public:
    static constexpr int kRecordBytes = 12;      // layout set by the skinning code
    static constexpr int kRecordsPerBuffer = 8000;
    static constexpr int kBufferBytes = kRecordBytes * kRecordsPerBuffer;  // 96,000
    static constexpr uint32_t kPositionMask = 0xFFFF;                      // id: magic << 16 | record
    static constexpr int kMagicShift = 16;

    // Takes the two buffers (each kBufferBytes); null leaves the cache
    // without memory, so every allocation fails.
    void Init(uint8_t* pBuffer0, uint8_t* pBuffer1);
    // Once a frame, before culling: the other buffer, empty, under a new magic
    // (never 0, so id 0 always means "none").
    void Flip();
    // count records from the current buffer, or null with *pId = 0 when they
    // do not fit (or count is negative).
    uint8_t* Alloc(int count, uint32_t* pId);
    // The records of an id of this frame; null for any other id.
    uint8_t* GetVerts(uint32_t id) const;
    bool Valid(uint32_t id) const { return (id >> kMagicShift) == m_nMagic; }

    bool HasMemory() const { return m_pBuffers[0] != nullptr; }
    int Current() const { return m_nCurrent; }
    int FillPosition() const { return m_nFill; }
    uint16_t Magic() const { return m_nMagic; }

private:
    uint8_t* m_pBuffers[2] = {nullptr, nullptr};
    int m_nCurrent = 0;
    int m_nFill = 0;  // records
    uint16_t m_nMagic = 1;
};
