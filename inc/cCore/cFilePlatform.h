#pragma once
// The platform record under cFile. Reading: the console's buffered disc
// reader, two 32 KiB buffers with one asynchronous read always in flight so
// the next 32 KiB arrive while the current ones are parsed. Writing: a host
// file, kept in memory until Close. One static record of each kind exists,
// so one file is open for reading (and one for writing) at a time; the
// thread that opened it uses it.

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/dvd.h"

class cFilePlatform {
public:
    static constexpr uint32_t kBufferSize = 32768;   // bytes per buffer; offsets are multiples
    static constexpr uint32_t kTransferAlign = 32;   // disc transfers are multiples of this
    static constexpr int32_t kReadPriority = 2;

    // The static records; null (logged) while in use.
    static cFilePlatform* AcquireReader();
    static cFilePlatform* AcquireWriter();

    // Reading. Open waits for the first 32 KiB and requests the next.
    bool Open(const char* name);
    // Copies count bytes at the position; bytes past the file's end read as
    // zero (the caller bounds its reads; the buffers are never overrun).
    void Read(void* dst, uint32_t count);
    // The common case of a read, without a copy: the count bytes at the
    // position, handed out where they lie in the current buffer (valid until
    // the next call), when they end short of the buffer's end, the read limit
    // and the file's end, the file is sound and no transfer failed. Null, with
    // nothing read, otherwise.
    const uint8_t* TakeFast(uint32_t count)
    {
        if (static_cast<uint64_t>(m_nBufferPos) + count >= m_nFastStop)
            return nullptr;
        const uint8_t* p = m_aBuffers[m_nCurBuffer] + m_nBufferPos;
        m_nBufferPos += count;
        return p;
    }
    // As TakeFast, and null when the position is not on a 4-byte boundary
    // (buffer offsets are multiples of 32 KiB, so the buffer position tells).
    const uint8_t* TakeFastAligned(uint32_t count)
    {
        return (m_nBufferPos & 3u) ? nullptr : TakeFast(count);
    }
    // The absolute position fast reads stop at (the file's read limit), and
    // whether the file is sound; a failed file reads nothing fast.
    void SetFastLimit(uint32_t limit, bool bSound)
    {
        m_nFastLimit = limit;
        m_bFastSound = bSound;
        UpdateFastEnd();
    }
    uint32_t GetPos() const { return m_bWriting ? m_nWritePos : m_anBufferOffset[m_nCurBuffer] + m_nBufferPos; }
    // Inside the current buffer: just moves. Inside the other: switches to it
    // and requests the one after. Elsewhere: cancels the pending read and
    // reloads synchronously.
    void Seek(uint32_t pos);
    uint32_t GetLength() const { return m_bWriting ? static_cast<uint32_t>(m_image.size()) : m_dvdFile.length; }
    bool TransferFailed() const { return m_bTransferFailed; }

    // Writing: creates (truncates) the host file at once, so a path that
    // cannot be written fails here. Write fails only on a full image.
    bool Create(const char* path, int flag);
    bool Write(const void* src, uint32_t count);

    // Closes either kind; writing flushes the image. False when that failed.
    // The record is free again afterwards.
    bool Close();

private:
    cFilePlatform() = default;
    void Request(int buffer);
    void WaitPending();
    void SwitchBuffers();
    void Release();
    // Fast reads end at least one byte short of the buffer's end, so the
    // position reaches the end (and the switch) only through Read; nothing is
    // fast for a failed file, after a failed transfer, in a buffer past the
    // limit or on a record that writes.
    void UpdateFastEnd()
    {
        const uint32_t base = m_anBufferOffset[m_nCurBuffer];
        const uint32_t end = m_nFastLimit < m_dvdFile.length ? m_nFastLimit : m_dvdFile.length;
        if (m_bWriting || !m_bFastSound || m_bTransferFailed || end < base)
            m_nFastStop = 0;
        else
            m_nFastStop = (end - base < kBufferSize - 1 ? end - base : kBufferSize - 1) + 1;
    }

    alignas(32) uint8_t m_aBuffers[2][kBufferSize];
    bool m_bInUse = false;
    bool m_bWriting = false;
    int m_nCurBuffer = 0;
    uint32_t m_nBufferPos = 0;           // 0..32767 within the current buffer
    uint32_t m_anBufferOffset[2] = {0, kBufferSize};
    uint32_t m_nFastLimit = 0;           // see SetFastLimit
    bool m_bFastSound = false;
    uint32_t m_nFastStop = 0;            // fast reads end below this buffer position; 0: none
    DVDFileInfo m_dvdFile;
    bool m_bPending = false;             // a request is in flight
    bool m_bTransferFailed = false;

    int m_hostFd = -1;
    uint32_t m_nWritePos = 0;
    std::vector<uint8_t> m_image;        // the file being written

    static cFilePlatform s_reader;
    static cFilePlatform s_writer;
    static bool s_bDiscInitialised;
};
