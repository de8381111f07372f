#pragma once
// A data file in the block format: header (magic, platform id), nested
// versioned blocks, trailer. Read through one static buffered disc record
// (cFilePlatform), so one file is open for reading at a time, on the thread
// that opened it. Reading is checked: a read past the file's end or the
// current block's end yields zeros, logs once and marks the file failed
// (sticky until the next Open). Writing creates a host file.

#include <cstdint>

#include "cCore/cFilePlatform.h"
#include "cCore/cStr.h"

class cBase;
class cMemPool;

class cFile {
public:
    enum cFileStatus {
        FS_RETRY_ERROR = 0,
        FS_NO_DISK = 1,
        FS_DRIVE_OPEN = 2,
        FS_WRONG_DISK = 3,
        FS_FATAL_ERROR = 4,
        FS_OK = 5,
        MAX_FILESTATUSES = 6,
    };
    typedef void (*ErrorNotifyFunc)(cFileStatus status);

    static constexpr uint32_t kMagic = 0xFBBFFBBF;        // first word of every file
    static constexpr uint32_t kTrailer = 0xFEEFFEEF;      // last word
    static constexpr uint32_t kBlockStart = 0xBBBBBBBB;   // block start marker
    static constexpr uint32_t kBlockEnd = 0xBEBEBEBE;     // block end marker
    static constexpr uint32_t kHeaderSize = 8;            // magic + platform id
    // Target platform ids of the header; only the console's files are read.
    static constexpr int32_t kPlatformPC = 0;
    static constexpr int32_t kPlatformConsole = 1;
    static constexpr int32_t kPlatformXbox = 2;
    static constexpr int32_t kPlatformPS2 = 3;
    // Deeper nesting only comes from damaged files; it would exhaust the stack
    // of the recursive readers.
    static constexpr int kMaxBlockDepth = 1024;

    cFile();
    ~cFile();  // closes
    cFile(const cFile&) = delete;
    cFile& operator=(const cFile&) = delete;

    // Opens a console path for reading and checks the header. False (logged)
    // when the file is missing, the header is wrong, or another file is open;
    // a file that does not open is logged here, once, naming it, and its
    // loader adds no line of its own.
    // A wrong header is a damaged file: it fails the file (Failed() stays set
    // after the false), whose one error names it, and the caller adds none.
    bool Open(const char* name);
    // Opens a file the game may lack: a missing one is logged once at Info,
    // naming it, and is not an error. Anything else as Open.
    bool OpenOptional(const char* name);
    // Creates a host file for writing and writes the header, each word
    // byte-swapped when bSwap is set (as it must be on this host for files the
    // console reads). flag is passed to PlatformCreate.
    bool Create(const char* name, int flag, int32_t platformId, bool bSwap);
    // Reads (reading) or writes (writing) the trailer and closes. A closed file
    // is left alone. A failed host write shows in Failed afterwards.
    void Close();

    bool IsOpen() const { return m_pFile != nullptr; }
    // The one flag of a damaged file: set by the first Fail, for the rest
    // of the read. Every reader that finds its block damaged fails the file
    // with its reason, and a loader checks this once before it commits.
    bool Failed() const { return m_bFailed; }
    // Marks the file failed and logs the cause with the file's name (and
    // the group record being read, if any); only the first failure is
    // logged.
    void Fail(const char* fmt, ...) const __attribute__((format(printf, 2, 3)));

    // The group record whose data is being read: a failure inside it names
    // the record after the file. A group sets it around each record's read
    // and puts back the one it found (records nest).
    struct RecordNote {
        const char* sGroup;
        int nIndex;
        long long nSlot;
    };
    mutable const RecordNote* m_pRecord = nullptr;

    // The file this thread reads, open from Open to Close; null when none.
    // A pool that cannot hold an object asked for during the read fails it
    // (cMemPool::Alloc): the load fails with one error naming the pool and
    // the file, as a damaged file's does.
    static const cFile* GetReading() { return s_pReading; }

    // The one check of a damaged file, for every loader: reads the file's
    // object; false when the object refused its block or anything in the
    // file failed it. A refusal the file has not seen fails it now, so a
    // damaged file has logged exactly one error, naming itself (and the
    // record being read). The caller drops the object and fails its load.
    bool ReadObject(cBase& object, cMemPool* pPool) const;

    uint32_t GetCurrentPos() const { return m_pFile ? m_pFile->GetPos() : 0; }
    // Absolute seek. Reading: a position past the file's end fails the file
    // and stops at the end.
    void SetCurrentPos(uint32_t pos) const;
    uint32_t GetLength() const;  // reading: the file's length in bytes

    // Checked raw read: count bytes as stored. Past the current limit (block
    // end or file end) the destination gets zeros and the file fails.
    bool Read(void* dst, uint32_t count) const;
    // Raw write of count bytes at the current position.
    void Write(const void* src, uint32_t count) const;
    void WriteWord(uint32_t value) const;   // swapped when the file swaps
    void WriteHalf(uint16_t value) const;

    // The end of the innermost block being read (where its end marker lies),
    // or the file's length outside blocks. cReadBlock narrows and restores it.
    uint32_t GetReadLimit() const { return m_nReadLimit; }
    void SetReadLimit(uint32_t limit) const
    {
        m_nReadLimit = limit;
        if (m_pFile)
            m_pFile->SetFastLimit(limit, !m_bFailed);
    }
    // Blocks begun and not yet ended; cReadBlock counts.
    int EnterBlock() const { return ++m_nBlockDepth; }
    void LeaveBlock() const { --m_nBlockDepth; }

    // The platform layer: the console's buffered disc reader, and host files
    // for writing.
    bool PlatformOpen(const char* name);
    void PlatformRead(void* dst, uint32_t count) const;
    void PlatformWrite(const void* src, uint32_t count) const;
    bool PlatformCreate(const char* name, int flag);
    void PlatformClose();
    // Whether a file can only be read. Data files on the disc always can.
    static bool IsReadOnly(const char* name);
    // Whether a console path names a file, asked without logging: for
    // callers that tell a missing file apart from a damaged one.
    static bool Exists(const char* name);

    // The disc drive's state; the per-frame service step polls it and calls
    // s_errorNotify while it is not FS_OK.
    static cFileStatus GetFileStatus();
    static const char* GetFileStatusText(cFileStatus status);  // "???" outside
    static ErrorNotifyFunc s_errorNotify;

    cFilePlatform* m_pFile = nullptr;  // the platform record; null when closed
    bool m_bReadOnly = false;
    bool m_bSwapEndianess = false;
    int32_t m_nTargetPlatformId = -1;
    cBase* m_pRootObject = nullptr;
    cStr m_filename;

private:
    bool ReadHeader();

    static thread_local const cFile* s_pReading;

    mutable bool m_bFailed = false;
    mutable uint32_t m_nReadLimit = 0;
    mutable int m_nBlockDepth = 0;
};
