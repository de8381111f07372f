// cFile's platform layer: the disc for reading, host files for writing.

#include "cCore/cFile.h"

#include "platform/dvd.h"
#include "cCore/cFilePlatform.h"
#include "cCore/cLog.h"

bool cFile::Exists(const char* name)
{
    return name && DVDFileExists(name);
}

bool cFile::PlatformOpen(const char* name)
{
    cFilePlatform* pRecord = cFilePlatform::AcquireReader();
    if (!pRecord)
        return false;
    if (!pRecord->Open(name)) {
        pRecord->Close();
        // The one place a file that does not open is reported: its loader
        // adds nothing, whatever it does without the file.
        cLogError_("cFile: cannot open \"%s\"", name);
        return false;
    }
    m_pFile = pRecord;
    return true;
}

bool cFile::OpenOptional(const char* name)
{
    if (name && !Exists(name)) {
        cLogInfo_("cFile: no \"%s\"; going on without it", name);
        return false;
    }
    return Open(name);
}

void cFile::PlatformRead(void* dst, uint32_t count) const
{
    m_pFile->Read(dst, count);
}

void cFile::PlatformWrite(const void* src, uint32_t count) const
{
    if (!m_pFile->Write(src, count))
        Fail("write of %u bytes at %u: the file would pass 2 GiB", count, m_pFile->GetPos());
}

bool cFile::PlatformCreate(const char* name, int flag)
{
    cFilePlatform* pRecord = cFilePlatform::AcquireWriter();
    if (!pRecord)
        return false;
    if (!pRecord->Create(name, flag))
        return false;
    m_pFile = pRecord;
    return true;
}

void cFile::PlatformClose()
{
    if (!m_pFile)
        return;
    if (!m_pFile->Close())
        Fail("writing the file to disk failed");
    m_pFile = nullptr;
    if (s_pReading == this)
        s_pReading = nullptr;
}

bool cFile::IsReadOnly(const char*)
{
    return true;
}

cFile::cFileStatus cFile::GetFileStatus()
{
    static cFileStatus s_status = FS_OK;
    switch (DVDGetDriveStatus()) {
    case DVD_STATE_FATAL_ERROR: s_status = FS_FATAL_ERROR; break;
    case DVD_STATE_BUSY: break;  // keeps the previous status
    case DVD_STATE_NO_DISK: s_status = FS_NO_DISK; break;
    case DVD_STATE_COVER_OPEN: s_status = FS_DRIVE_OPEN; break;
    case DVD_STATE_WRONG_DISK: s_status = FS_WRONG_DISK; break;
    case DVD_STATE_RETRY: s_status = FS_RETRY_ERROR; break;
    default: s_status = FS_OK; break;
    }
    return s_status;
}
