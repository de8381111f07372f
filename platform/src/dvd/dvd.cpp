#include "platform/dvd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <mutex>
#include <string>

#include "../test/dvd_test.h"
#include "dvd_local.h"

namespace {

struct Settings {
    std::mutex mutex;
    std::string dataDir;
    bool injected = false;
    int32_t injectedState = DVD_STATE_END;
};

Settings& TheSettings()
{
    static Settings settings;
    return settings;
}

std::string DataDir()
{
    Settings& s = TheSettings();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.dataDir;
}

// A disc holds only files: whatever else a data folder holds under a file's
// name (a pipe, a device) is not opened at all, since opening a pipe waits
// for a writer and a device may do anything. The open itself does not wait
// either, for what is swapped in between the look and the open; the
// descriptor is checked again.
int OpenRegular(const std::string& path)
{
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0 && ::fcntl(fd, F_SETFL, 0) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

void DVDInit()
{
    dvd::DriveStart();
}

void DVDSetDataDirectory(const char* dir)
{
    Settings& s = TheSettings();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.dataDir = dir ? dir : "";
    while (s.dataDir.size() > 1 && s.dataDir.back() == '/')
        s.dataDir.pop_back();
}

const char* DVDGetDataDirectory()
{
    // The text lives as long as the settings; it changes only when set again.
    Settings& s = TheSettings();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.dataDir.c_str();
}

BOOL DVDOpen(const char* fileName, DVDFileInfo* fileInfo)
{
    if (!fileInfo)
        return FALSE;
    const std::string dir = DataDir();
    const int fd = OpenRegular(dvd::ResolvePath(dir, fileName));
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > INT32_MAX) {
        if (fd >= 0)
            ::close(fd);
        OSReport("DVDOpen: no file \"%s\" below \"%s\"\n", fileName ? fileName : "(null)", dir.c_str());
        return FALSE;
    }
    *fileInfo = DVDFileInfo{};
    fileInfo->cb.fileInfo = fileInfo;
    fileInfo->length = static_cast<uint32_t>(st.st_size);
    fileInfo->hostFd = fd;
    return TRUE;
}

BOOL DVDFileExists(const char* fileName)
{
    const std::string path = dvd::ResolvePath(DataDir(), fileName);
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? TRUE : FALSE;
}

BOOL DVDClose(DVDFileInfo* fileInfo)
{
    if (!fileInfo || fileInfo->hostFd < 0)
        return FALSE;
    DVDCancel(&fileInfo->cb);
    ::close(fileInfo->hostFd);
    fileInfo->hostFd = -1;
    return TRUE;
}

BOOL DVDReadAsyncPrio(DVDFileInfo* fileInfo, void* addr, int32_t length, int32_t offset,
                      DVDCallback callback, int32_t /*prio*/)
{
    if (!fileInfo || fileInfo->hostFd < 0 || !addr || length < 0 || offset < 0) {
        OSReport("DVDReadAsyncPrio: bad request (length %d, offset %d)\n", length, offset);
        return FALSE;
    }
    const uint64_t paddedLength = (static_cast<uint64_t>(fileInfo->length) + 31) & ~uint64_t{31};
    if (static_cast<uint64_t>(offset) + static_cast<uint64_t>(length) > paddedLength) {
        OSReport("DVDReadAsyncPrio: %d bytes at %d pass the end of a %u-byte file\n",
                 length, offset, fileInfo->length);
        return FALSE;
    }
    if (dvd::DriveHasPending(&fileInfo->cb)) {
        OSReport("DVDReadAsyncPrio: the file's previous request is still pending\n");
        return FALSE;
    }
    DVDCommandBlock& cb = fileInfo->cb;
    cb.fileInfo = fileInfo;
    cb.addr = addr;
    cb.length = static_cast<uint32_t>(length);
    cb.offset = static_cast<uint32_t>(offset);
    cb.transferredSize = 0;
    fileInfo->callback = callback;
    dvd::DriveQueue(&cb);
    return TRUE;
}

void DVDServeNow(DVDCommandBlock* block)
{
    if (block)
        dvd::DriveServeNow(block);
}

int32_t DVDGetCommandBlockStatus(const DVDCommandBlock* block)
{
    return block ? dvd::DriveSettledState(block) : DVD_STATE_FATAL_ERROR;
}

BOOL DVDCancel(DVDCommandBlock* block)
{
    if (!block)
        return FALSE;
    // Under the interrupt lock: a completion either finished entirely before
    // this (callback included) or sees the cancel and does nothing.
    const BOOL level = OSDisableInterrupts();
    dvd::DriveCancel(block);
    OSRestoreInterrupts(level);
    return TRUE;
}

int32_t DVDGetDriveStatus()
{
    Settings& s = TheSettings();
    std::string dir;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.injected)
            return s.injectedState;
        dir = s.dataDir;
    }
    struct stat st;
    if (dir.empty() || ::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return DVD_STATE_NO_DISK;
    return DVD_STATE_END;
}

void DVDTestSetDriveStatus(int32_t state)
{
    Settings& s = TheSettings();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.injected = true;
    s.injectedState = state;
}

void DVDTestClearDriveStatus()
{
    Settings& s = TheSettings();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.injected = false;
}
