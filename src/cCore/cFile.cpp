#include "cCore/cFile.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/ps.h"
#include "cCore/cBase.h"
#include "cCore/cCoreServices.h"
#include "cCore/cFilePlatform.h"
#include "cCore/cLog.h"
#include "cCore/cType.h"

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the writer's swap flag assumes a little-endian host");

cFile::ErrorNotifyFunc cFile::s_errorNotify = nullptr;
thread_local const cFile* cFile::s_pReading = nullptr;

// The disc step of the per-frame service: tell the game while the drive is
// not ready.
static void CheckDiscStatus()
{
    const cFile::cFileStatus status = cFile::GetFileStatus();
    if (status != cFile::FS_OK && cFile::s_errorNotify)
        cFile::s_errorNotify(status);
}
[[maybe_unused]] static const bool s_bDiscCheckInstalled = (cSetDiscStatusCheck(CheckDiscStatus), true);

cFile::cFile() = default;

cFile::~cFile()
{
    Close();
}

bool cFile::Open(const char* name)
{
    if (IsOpen()) {
        cLogError_("cFile: \"%s\" is still open; \"%s\" not opened", m_filename.m_sData, name ? name : "");
        return false;
    }
    m_filename.Set("%s", name ? name : "");
    m_bFailed = false;
    m_pRecord = nullptr;
    m_nBlockDepth = 0;
    m_nTargetPlatformId = -1;
    if (!PlatformOpen(m_filename.m_sData))
        return false;
    s_pReading = this;
    m_bReadOnly = true;
    m_bSwapEndianess = false;
    SetReadLimit(GetLength());
    if (ReadHeader())
        return true;
    PlatformClose();
    return false;
}

bool cFile::ReadHeader()
{
    if (GetLength() < kHeaderSize) {
        Fail("too short (%u bytes) for a data file", GetLength());
        return false;
    }
    uint8_t header[kHeaderSize];
    if (!Read(header, sizeof(header)))
        return false;  // logged
    const uint32_t magic = ps::LoadU32BE(header);
    const int32_t platformId = ps::LoadS32BE(header + 4);
    if (magic == kMagic && platformId == kPlatformConsole) {
        m_nTargetPlatformId = kPlatformConsole;
        return true;
    }
    Fail("not a console data file (magic 0x%08X, platform %d; want 0x%08X, %d)", magic, platformId, kMagic,
         kPlatformConsole);
    return false;
}

bool cFile::Create(const char* name, int flag, int32_t platformId, bool bSwap)
{
    if (IsOpen()) {
        cLogError_("cFile: \"%s\" is still open; \"%s\" not created", m_filename.m_sData, name ? name : "");
        return false;
    }
    m_filename.Set("%s", name ? name : "");
    m_bFailed = false;
    if (!PlatformCreate(m_filename.m_sData, flag))
        return false;
    m_nTargetPlatformId = platformId;
    m_bReadOnly = false;
    m_bSwapEndianess = bSwap;
    WriteWord(kMagic);
    WriteWord(static_cast<uint32_t>(platformId));
    return true;
}

void cFile::Close()
{
    if (!m_pFile)
        return;
    if (m_bReadOnly) {
        // The trailer's value is not examined; a file cut just before it
        // still gave all its data.
        const uint32_t pos = GetCurrentPos();
        uint8_t trailer[4];
        if (!m_bFailed && pos <= GetLength() && GetLength() - pos >= sizeof(trailer))
            PlatformRead(trailer, sizeof(trailer));
    } else {
        WriteWord(kTrailer);
    }
    PlatformClose();
}

void cFile::Fail(const char* fmt, ...) const
{
    if (m_bFailed)
        return;
    m_bFailed = true;
    if (m_pFile)
        m_pFile->SetFastLimit(m_nReadLimit, false);  // every later read takes the checked path
    char why[256];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(why, sizeof(why), fmt, args);
    va_end(args);
    if (m_pRecord)
        cLogError_("cFile: \"%s\": %s: record %d (slot %lld): %s", m_filename.m_sData, m_pRecord->sGroup,
                   m_pRecord->nIndex, m_pRecord->nSlot, why);
    else
        cLogError_("cFile: \"%s\": %s", m_filename.m_sData, why);
}

bool cFile::ReadObject(cBase& object, cMemPool* pPool) const
{
    if (!object.Read(*this, pPool))
        Fail("the %s refused its data", object.GetType()->m_sTypeName);
    return !m_bFailed;
}

void cFile::SetCurrentPos(uint32_t pos) const
{
    if (!m_pFile)
        return;
    if (m_bReadOnly && pos > GetLength()) {
        Fail("seek to %u past the end (%u bytes)", pos, GetLength());
        pos = GetLength();
    }
    m_pFile->Seek(pos);
}

uint32_t cFile::GetLength() const
{
    return m_pFile ? m_pFile->GetLength() : 0;
}

bool cFile::Read(void* dst, uint32_t count) const
{
    // After a failed transfer the buffers hold stale bytes: the fast path is
    // closed, only the checked path below runs, and it fails the file.
    if (m_pFile) {
        if (const uint8_t* p = m_pFile->TakeFast(count)) {
            std::memcpy(dst, p, count);
            return true;
        }
    }
    if (!m_pFile || !m_bReadOnly) {
        std::memset(dst, 0, count);
        Fail("read while not open for reading");
        return false;
    }
    if (m_bFailed) {
        std::memset(dst, 0, count);
        return false;
    }
    const uint32_t pos = m_pFile->GetPos();
    if (pos > m_nReadLimit || count > m_nReadLimit - pos) {
        std::memset(dst, 0, count);
        Fail("%u bytes at %u pass the %s end at %u", count, pos,
             m_nReadLimit == GetLength() ? "file's" : "block's", m_nReadLimit);
        return false;
    }
    if (!m_pFile->TransferFailed())
        PlatformRead(dst, count);
    if (m_pFile->TransferFailed()) {
        std::memset(dst, 0, count);
        Fail("disc read failed near %u", pos);
        return false;
    }
    return true;
}

void cFile::Write(const void* src, uint32_t count) const
{
    if (!m_pFile || m_bReadOnly) {
        Fail("write while not open for writing");
        return;
    }
    PlatformWrite(src, count);
}

void cFile::WriteWord(uint32_t value) const
{
    if (m_bSwapEndianess)
        value = ps::Swap32(value);
    Write(&value, sizeof(value));
}

void cFile::WriteHalf(uint16_t value) const
{
    if (m_bSwapEndianess)
        value = ps::Swap16(value);
    Write(&value, sizeof(value));
}

const char* cFile::GetFileStatusText(cFileStatus status)
{
    static const char* const kText[MAX_FILESTATUSES] = {
        "FS_RETRY_ERROR", "FS_NO_DISK", "FS_DRIVE_OPEN", "FS_WRONG_DISK", "FS_FATAL_ERROR", "FS_OK",
    };
    return (status >= 0 && status < MAX_FILESTATUSES) ? kText[status] : "???";
}
