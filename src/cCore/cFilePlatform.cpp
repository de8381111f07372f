#include "cCore/cFilePlatform.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/os.h"
#include "cCore/cLog.h"
#include "cCore/cThread.h"

cFilePlatform cFilePlatform::s_reader;
cFilePlatform cFilePlatform::s_writer;
bool cFilePlatform::s_bDiscInitialised = false;

static constexpr uint32_t kMaxImageSize = 0x7FFFFFFF;  // file positions are 31-bit on the disc

// Claims a record under the interrupt lock: a loader thread and the main
// thread never open files at once, but a mistake must not share buffers.
static cFilePlatform* Claim(cFilePlatform& record, bool& bInUse, const char* kind)
{
    const BOOL level = OSDisableInterrupts();
    const bool bFree = !bInUse;
    bInUse = true;
    OSRestoreInterrupts(level);
    if (!bFree) {
        cLogError_("cFile: a file is already open for %s; one at a time", kind);
        return nullptr;
    }
    return &record;
}

cFilePlatform* cFilePlatform::AcquireReader()
{
    cFilePlatform* p = Claim(s_reader, s_reader.m_bInUse, "reading");
    if (p)
        p->m_bWriting = false;
    return p;
}

cFilePlatform* cFilePlatform::AcquireWriter()
{
    cFilePlatform* p = Claim(s_writer, s_writer.m_bInUse, "writing");
    if (p)
        p->m_bWriting = true;
    return p;
}

void cFilePlatform::Release()
{
    const BOOL level = OSDisableInterrupts();
    m_bInUse = false;
    OSRestoreInterrupts(level);
}

bool cFilePlatform::Open(const char* name)
{
    if (!s_bDiscInitialised) {
        DVDInit();
        s_bDiscInitialised = true;
    }
    if (!DVDOpen(name, &m_dvdFile))
        return false;  // cFile logs it
    m_nCurBuffer = 0;
    m_nBufferPos = 0;
    m_anBufferOffset[0] = 0;
    m_anBufferOffset[1] = kBufferSize;
    m_bPending = false;
    m_bTransferFailed = false;
    m_nFastLimit = 0;
    m_bFastSound = false;
    Request(0);
    WaitPending();
    Request(1);
    UpdateFastEnd();
    return true;
}

void cFilePlatform::Request(int buffer)
{
    const uint32_t offset = m_anBufferOffset[buffer];
    if (offset >= m_dvdFile.length)
        return;
    uint32_t size = m_dvdFile.length - offset;
    size = (size + kTransferAlign - 1) & ~(kTransferAlign - 1);
    if (size > kBufferSize)
        size = kBufferSize;
    if (!DVDReadAsyncPrio(&m_dvdFile, m_aBuffers[buffer], static_cast<int32_t>(size),
                          static_cast<int32_t>(offset), nullptr, kReadPriority)) {
        m_bTransferFailed = true;
        return;
    }
    m_bPending = true;
}

void cFilePlatform::WaitPending()
{
    if (!m_bPending)
        return;
    DVDServeNow(&m_dvdFile.cb);
    int32_t state;
    while ((state = DVDGetCommandBlockStatus(&m_dvdFile.cb)) == DVD_STATE_BUSY || state == DVD_STATE_WAITING)
        cThread::Yield();
    m_bPending = false;
    if (state != DVD_STATE_END)
        m_bTransferFailed = true;
}

void cFilePlatform::SwitchBuffers()
{
    WaitPending();
    m_nCurBuffer ^= 1;
    m_nBufferPos = 0;
    m_anBufferOffset[m_nCurBuffer ^ 1] = m_anBufferOffset[m_nCurBuffer] + kBufferSize;
    Request(m_nCurBuffer ^ 1);
    UpdateFastEnd();
}

void cFilePlatform::Read(void* dst, uint32_t count)
{
    uint8_t* out = static_cast<uint8_t*>(dst);
    // Bytes past the end of the file were never transferred: they read as zero.
    const uint32_t pos = GetPos();
    const uint32_t avail = pos < m_dvdFile.length ? m_dvdFile.length - pos : 0;
    if (count > avail) {
        std::memset(out + avail, 0, count - avail);
        count = avail;
    }
    while (count > 0) {
        uint32_t n = kBufferSize - m_nBufferPos;
        if (n > count)
            n = count;
        std::memcpy(out, m_aBuffers[m_nCurBuffer] + m_nBufferPos, n);
        out += n;
        count -= n;
        m_nBufferPos += n;
        if (m_nBufferPos == kBufferSize)
            SwitchBuffers();
    }
}

void cFilePlatform::Seek(uint32_t pos)
{
    if (m_bWriting) {
        m_nWritePos = pos;
        return;
    }
    const uint32_t cur = m_anBufferOffset[m_nCurBuffer];
    const uint32_t other = m_anBufferOffset[m_nCurBuffer ^ 1];
    if (pos >= cur && pos - cur < kBufferSize) {
        m_nBufferPos = pos - cur;
        return;
    }
    if (pos >= other && pos - other < kBufferSize) {
        SwitchBuffers();
        m_nBufferPos = pos - other;
        return;
    }
    DVDCancel(&m_dvdFile.cb);
    m_bPending = false;
    m_nCurBuffer = 0;
    m_anBufferOffset[0] = pos & ~(kBufferSize - 1);
    m_anBufferOffset[1] = m_anBufferOffset[0] + kBufferSize;
    m_nBufferPos = pos & (kBufferSize - 1);
    Request(0);
    WaitPending();
    Request(1);
    UpdateFastEnd();
}

bool cFilePlatform::Create(const char* path, int /*flag*/)
{
    m_hostFd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (m_hostFd < 0) {
        cLogError_("cFile: cannot create \"%s\": %s", path, std::strerror(errno));
        Release();
        return false;
    }
    m_nWritePos = 0;
    m_image.clear();
    return true;
}

bool cFilePlatform::Write(const void* src, uint32_t count)
{
    if (count > kMaxImageSize || m_nWritePos > kMaxImageSize - count)
        return false;
    // Seeking past the end and writing leaves zeros in between (block gaps).
    if (m_image.size() < m_nWritePos + count)
        m_image.resize(m_nWritePos + count, 0);
    std::memcpy(m_image.data() + m_nWritePos, src, count);
    m_nWritePos += count;
    return true;
}

bool cFilePlatform::Close()
{
    bool bOk = true;
    if (m_bWriting) {
        size_t done = 0;
        while (done < m_image.size()) {
            const ssize_t n = ::write(m_hostFd, m_image.data() + done, m_image.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                bOk = false;
                break;
            }
            done += static_cast<size_t>(n);
        }
        if (::close(m_hostFd) != 0)
            bOk = false;
        m_hostFd = -1;
        m_image.clear();
        m_image.shrink_to_fit();
    } else {
        DVDClose(&m_dvdFile);
        m_bPending = false;
    }
    Release();
    return bOk;
}
