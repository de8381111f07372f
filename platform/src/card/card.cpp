// The memory-card library's requests on the two slots' folders, their
// result codes, and the test seams that force results.

#include "platform/card.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "card/card_local.h"
#include "../test/card_test.h"

#define QM_CARD_TEXT_CASE(name, value, note) \
    case value: return #name;

const char* CARDResultText(int value)
{
    switch (value) {
        CARD_RESULT_LIST(QM_CARD_TEXT_CASE)
    default: return "???";
    }
}

namespace {

// Seconds from 1970-01-01 to 2000-01-01, where card times start.
constexpr int64_t kCardEpochUnix = 946684800;

struct Slot {
    bool mounted = false;
    std::string entries[CARD_MAX_FILE];  // file name per directory entry; empty: free
    bool created[CARD_MAX_FILE] = {};    // created, not yet written: bytes under kNewSuffix
    int32_t result = CARD_RESULT_READY;
    int32_t busyLeft = 0;   // polls that still answer busy; negative: for ever
    int32_t busyPolls = 0;  // what each request sets busyLeft to
    int32_t sectorSize = CARD_SECTOR_SIZE;
    bool injected[CARD_TEST_OP_COUNT] = {};
    int32_t injection[CARD_TEST_OP_COUNT] = {};
};

Slot s_slots[CARD_NUM_SLOTS];
CARDTestWriteHook s_midWriteHook = nullptr;
bool s_bInit = false;

bool ValidChan(int32_t chan)
{
    return chan >= 0 && chan < CARD_NUM_SLOTS;
}

bool CardInSlot(int32_t chan)
{
    std::error_code ec;
    return std::filesystem::is_directory(card::SlotFolder(chan), ec);
}

std::string DataPath(int32_t chan, const std::string& name)
{
    return card::SlotFolder(chan) + "/" + card::EncodeName(name) + card::kDataSuffix;
}

// Where the bytes of directory entry fileNo are now.
std::string BytesPath(int32_t chan, int32_t fileNo)
{
    const Slot& slot = s_slots[chan];
    const std::string data = DataPath(chan, slot.entries[fileNo]);
    return slot.created[fileNo] ? data + card::kNewSuffix : data;
}

std::string StatusPath(int32_t chan, const std::string& name)
{
    return card::SlotFolder(chan) + "/" + card::EncodeName(name) + card::kStatusSuffix;
}

// Ends a request: its result becomes the slot's, after the busy polls a
// test asked for.
int32_t Finish(int32_t chan, int32_t result, CARDCallback callback)
{
    Slot& slot = s_slots[chan];
    slot.result = result;
    slot.busyLeft = slot.busyPolls;
    if (callback)
        callback(chan, result);
    return result;
}

bool TakeInjection(int32_t chan, CARDTestOp op, int32_t* pResult)
{
    Slot& slot = s_slots[chan];
    if (!slot.injected[op])
        return false;
    slot.injected[op] = false;
    *pResult = slot.injection[op];
    return true;
}

// All the blocks a card has for files, in bytes.
constexpr uintmax_t kCardFileBytes = static_cast<uintmax_t>(CARD_USER_BLOCKS) * CARD_SECTOR_SIZE;
// A status file is a few short lines.
constexpr size_t kMaxStatusBytes = 4096;

// A file's bytes are whole sectors, at least one, and no more than the card
// has room for: a larger host file is no file of this card.
bool DamagedSize(uintmax_t size)
{
    return size == 0 || size % CARD_SECTOR_SIZE != 0 || size > kCardFileBytes;
}

int32_t FindEntry(const Slot& slot, const std::string& name)
{
    for (int32_t i = 0; i < CARD_MAX_FILE; ++i) {
        if (slot.entries[i] == name)
            return i;
    }
    return -1;
}

bool AnyFileDamaged(int32_t chan)
{
    for (int32_t i = 0; i < CARD_MAX_FILE; ++i) {
        std::error_code ec;
        if (!s_slots[chan].entries[i].empty() && DamagedSize(std::filesystem::file_size(BytesPath(chan, i), ec)))
            return true;
    }
    return false;
}

int32_t UsedBlocks(int32_t chan)
{
    uintmax_t bytes = 0;
    for (int32_t i = 0; i < CARD_MAX_FILE; ++i) {
        std::error_code ec;
        if (!s_slots[chan].entries[i].empty()) {
            const uintmax_t size = std::filesystem::file_size(BytesPath(chan, i), ec);
            bytes += ec ? 0 : size;
        }
    }
    // Host files larger than the card (a damaged card) count as a full card.
    const uintmax_t blocks = (bytes + CARD_SECTOR_SIZE - 1) / CARD_SECTOR_SIZE;
    return static_cast<int32_t>(std::min<uintmax_t>(blocks, CARD_USER_BLOCKS));
}

// Checks a name given by the program: NAMETOOLONG past 32 bytes, FATAL_ERROR
// for no name, READY otherwise.
int32_t CheckName(const char* fileName)
{
    if (!fileName || !*fileName)
        return CARD_RESULT_FATAL_ERROR;
    if (std::strlen(fileName) > static_cast<size_t>(CARD_FILENAME_MAX))
        return CARD_RESULT_NAMETOOLONG;
    return CARD_RESULT_READY;
}

// The name of an open file, after checking the record: empty with the
// result to report when it does not name a file of a mounted card.
std::string OpenFileName(const CARDFileInfo* fileInfo, int32_t* pResult)
{
    if (!fileInfo || !ValidChan(fileInfo->chan)) {
        *pResult = CARD_RESULT_FATAL_ERROR;
        return {};
    }
    const Slot& slot = s_slots[fileInfo->chan];
    if (!slot.mounted) {
        *pResult = CARD_RESULT_NOCARD;
        return {};
    }
    if (fileInfo->fileNo < 0 || fileInfo->fileNo >= CARD_MAX_FILE || slot.entries[fileInfo->fileNo].empty()) {
        *pResult = CARD_RESULT_NOFILE;
        return {};
    }
    *pResult = CARD_RESULT_READY;
    return slot.entries[fileInfo->fileNo];
}

// Reads an open file whole; BROKEN when its size is damaged.
int32_t LoadFile(int32_t chan, int32_t fileNo, std::vector<uint8_t>* pBytes)
{
    if (!card::ReadWhole(BytesPath(chan, fileNo), pBytes, kCardFileBytes))
        return CARD_RESULT_IOERROR;
    return DamagedSize(pBytes->size()) ? CARD_RESULT_BROKEN : CARD_RESULT_READY;
}

bool RangeInside(int32_t length, int32_t offset, size_t fileSize)
{
    return length >= 0 && offset >= 0 && static_cast<uint64_t>(offset) + static_cast<uint64_t>(length) <= fileSize;
}

// What a read and a write of an open file share: an injected result taken,
// the file's name and bytes loaded and the range checked against them. True
// with *pName and *pBytes filled; false with the result to finish with.
bool LoadRange(const CARDFileInfo* fileInfo, CARDTestOp op, const void* buf, int32_t length, int32_t offset,
               std::string* pName, std::vector<uint8_t>* pBytes, int32_t* pResult)
{
    const int32_t chan = fileInfo->chan;
    if (TakeInjection(chan, op, pResult))
        return false;
    *pName = OpenFileName(fileInfo, pResult);
    if (*pResult != CARD_RESULT_READY)
        return false;
    if ((*pResult = LoadFile(chan, fileInfo->fileNo, pBytes)) != CARD_RESULT_READY)
        return false;
    if (!buf || !RangeInside(length, offset, pBytes->size())) {
        *pResult = CARD_RESULT_LIMIT;
        return false;
    }
    return true;
}

// The name of file fileNo of chan for a status call, after an injected
// result; empty with the result to finish with when there is none.
std::string StatusFileName(int32_t chan, int32_t fileNo, CARDTestOp op, int32_t* pResult)
{
    if (TakeInjection(chan, op, pResult))
        return {};
    CARDFileInfo info;
    info.chan = chan;
    info.fileNo = fileNo;
    return OpenFileName(&info, pResult);
}

// A file name on a mounted card: CARD_RESULT_READY, or the result to report.
int32_t CheckMountedName(int32_t chan, const char* fileName)
{
    return s_slots[chan].mounted ? CheckName(fileName) : CARD_RESULT_NOCARD;
}

}  // namespace

void CARDInit()
{
    if (s_bInit)
        return;
    s_bInit = true;
    std::error_code ec;
    std::filesystem::create_directories(card::SlotFolder(CARD_SLOT_A), ec);
    if (ec)
        OSReport("CARD: cannot make %s: %s\n", card::SlotFolder(CARD_SLOT_A).c_str(), ec.message().c_str());
}

int32_t CARDGetResultCode(int32_t chan)
{
    if (!ValidChan(chan))
        return CARD_RESULT_FATAL_ERROR;
    Slot& slot = s_slots[chan];
    if (slot.busyLeft != 0) {
        if (slot.busyLeft > 0)
            --slot.busyLeft;
        return CARD_RESULT_BUSY;
    }
    return slot.result;
}

int32_t CARDProbeEx(int32_t chan, int32_t* memSize, int32_t* sectorSize)
{
    if (!ValidChan(chan))
        return CARD_RESULT_FATAL_ERROR;
    int32_t result = CARD_RESULT_READY;
    if (TakeInjection(chan, CARD_TEST_PROBE, &result))
        return result;
    if (!CardInSlot(chan))
        return CARD_RESULT_NOCARD;
    if (memSize)
        *memSize = CARD_MEM_SIZE_MBITS;
    if (sectorSize)
        *sectorSize = s_slots[chan].sectorSize;
    return CARD_RESULT_READY;
}

int32_t CARDMountAsync(int32_t chan, void* workArea, CARDCallback, CARDCallback attachCallback)
{
    if (!ValidChan(chan))
        return CARD_RESULT_FATAL_ERROR;
    int32_t result = CARD_RESULT_READY;
    if (TakeInjection(chan, CARD_TEST_MOUNT, &result))
        return Finish(chan, result, attachCallback);
    if (!workArea)
        return Finish(chan, CARD_RESULT_FATAL_ERROR, attachCallback);
    if (!CardInSlot(chan))
        return Finish(chan, CARD_RESULT_NOCARD, attachCallback);
    Slot& slot = s_slots[chan];
    for (std::string& entry : slot.entries)
        entry.clear();
    std::fill(std::begin(slot.created), std::end(slot.created), false);
    const std::vector<std::string> names = card::ListFiles(card::SlotFolder(chan));
    const size_t count = std::min(names.size(), static_cast<size_t>(CARD_MAX_FILE));
    std::copy_n(names.begin(), count, slot.entries);
    slot.mounted = true;
    return Finish(chan, AnyFileDamaged(chan) ? CARD_RESULT_BROKEN : CARD_RESULT_READY, attachCallback);
}

int32_t CARDCheckAsync(int32_t chan, CARDCallback callback)
{
    if (!ValidChan(chan))
        return CARD_RESULT_FATAL_ERROR;
    int32_t result = CARD_RESULT_READY;
    if (TakeInjection(chan, CARD_TEST_CHECK, &result))
        return Finish(chan, result, callback);
    if (!s_slots[chan].mounted)
        return Finish(chan, CARD_RESULT_NOCARD, callback);
    card::RemoveTemporaries(card::SlotFolder(chan));
    return Finish(chan, AnyFileDamaged(chan) ? CARD_RESULT_BROKEN : CARD_RESULT_READY, callback);
}

int32_t CARDUnmount(int32_t chan)
{
    if (!ValidChan(chan))
        return CARD_RESULT_FATAL_ERROR;
    int32_t result = CARD_RESULT_READY;
    if (TakeInjection(chan, CARD_TEST_UNMOUNT, &result))
        return Finish(chan, result, nullptr);
    const bool wasMounted = s_slots[chan].mounted;
    s_slots[chan].mounted = false;
    return Finish(chan, wasMounted ? CARD_RESULT_READY : CARD_RESULT_NOCARD, nullptr);
}

int32_t CARDFormatAsync(int32_t chan, CARDCallback callback)
{
    if (!ValidChan(chan))
        return CARD_RESULT_FATAL_ERROR;
    int32_t result = CARD_RESULT_READY;
    if (TakeInjection(chan, CARD_TEST_FORMAT, &result))
        return Finish(chan, result, callback);
    if (!CardInSlot(chan))
        return Finish(chan, CARD_RESULT_NOCARD, callback);
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(card::SlotFolder(chan), ec)) {
        const std::string ext = entry.path().extension().string();
        if (ext == card::kDataSuffix || ext == card::kStatusSuffix || ext == card::kTempSuffix)
            std::filesystem::remove(entry.path(), ec);
    }
    for (std::string& name : s_slots[chan].entries)
        name.clear();
    std::fill(std::begin(s_slots[chan].created), std::end(s_slots[chan].created), false);
    return Finish(chan, CARD_RESULT_READY, callback);
}

int32_t CARDOpen(int32_t chan, const char* fileName, CARDFileInfo* fileInfo)
{
    if (!ValidChan(chan) || !fileInfo)
        return CARD_RESULT_FATAL_ERROR;
    int32_t result = CARD_RESULT_READY;
    if (TakeInjection(chan, CARD_TEST_OPEN, &result))
        return Finish(chan, result, nullptr);
    if (const int32_t nameResult = CheckMountedName(chan, fileName); nameResult != CARD_RESULT_READY)
        return Finish(chan, nameResult, nullptr);
    const Slot& slot = s_slots[chan];
    const int32_t fileNo = FindEntry(slot, fileName);
    if (fileNo < 0)
        return Finish(chan, CARD_RESULT_NOFILE, nullptr);
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(BytesPath(chan, fileNo), ec);
    if (ec)
        return Finish(chan, CARD_RESULT_NOFILE, nullptr);
    if (DamagedSize(size))
        return Finish(chan, CARD_RESULT_BROKEN, nullptr);
    fileInfo->chan = chan;
    fileInfo->fileNo = fileNo;
    fileInfo->length = static_cast<int32_t>(size);
    return Finish(chan, CARD_RESULT_READY, nullptr);
}

int32_t CARDClose(CARDFileInfo* fileInfo)
{
    if (!fileInfo || !ValidChan(fileInfo->chan))
        return CARD_RESULT_NOFILE;
    fileInfo->chan = -1;
    fileInfo->fileNo = -1;
    return CARD_RESULT_READY;
}

int32_t CARDCreateAsync(int32_t chan, const char* fileName, uint32_t size, CARDFileInfo* fileInfo,
                        CARDCallback callback)
{
    if (!ValidChan(chan) || !fileInfo)
        return CARD_RESULT_FATAL_ERROR;
    int32_t result = CARD_RESULT_READY;
    if (TakeInjection(chan, CARD_TEST_CREATE, &result))
        return Finish(chan, result, callback);
    if (const int32_t nameResult = CheckMountedName(chan, fileName); nameResult != CARD_RESULT_READY)
        return Finish(chan, nameResult, callback);
    Slot& slot = s_slots[chan];
    if (FindEntry(slot, fileName) >= 0)
        return Finish(chan, CARD_RESULT_EXIST, callback);
    const uint32_t blocks = (std::max<uint32_t>(size, 1) + CARD_SECTOR_SIZE - 1) / CARD_SECTOR_SIZE;
    if (blocks > static_cast<uint32_t>(CARD_USER_BLOCKS - UsedBlocks(chan)))
        return Finish(chan, CARD_RESULT_INSSPACE, callback);
    const int32_t fileNo = FindEntry(slot, std::string());
    if (fileNo < 0)
        return Finish(chan, CARD_RESULT_NOENT, callback);
    // The new file takes its place on the card with its first write; until
    // then its (zero) bytes are kept aside.
    const std::vector<uint8_t> zeros(static_cast<size_t>(blocks) * CARD_SECTOR_SIZE, 0);
    if (!card::WriteAtomic(DataPath(chan, fileName) + card::kNewSuffix, zeros.data(), zeros.size(), chan, nullptr))
        return Finish(chan, CARD_RESULT_IOERROR, callback);
    std::remove(StatusPath(chan, fileName).c_str());
    slot.entries[fileNo] = fileName;
    slot.created[fileNo] = true;
    fileInfo->chan = chan;
    fileInfo->fileNo = fileNo;
    fileInfo->length = static_cast<int32_t>(zeros.size());
    return Finish(chan, CARD_RESULT_READY, callback);
}

int32_t CARDReadAsync(CARDFileInfo* fileInfo, void* buf, int32_t length, int32_t offset, CARDCallback callback)
{
    if (!fileInfo || !ValidChan(fileInfo->chan))
        return CARD_RESULT_FATAL_ERROR;
    const int32_t chan = fileInfo->chan;
    int32_t result = CARD_RESULT_READY;
    std::string name;
    std::vector<uint8_t> bytes;
    if (!LoadRange(fileInfo, CARD_TEST_READ, buf, length, offset, &name, &bytes, &result))
        return Finish(chan, result, callback);
    std::memcpy(buf, bytes.data() + offset, static_cast<size_t>(length));
    return Finish(chan, CARD_RESULT_READY, callback);
}

int32_t CARDWriteAsync(CARDFileInfo* fileInfo, const void* buf, int32_t length, int32_t offset,
                       CARDCallback callback)
{
    if (!fileInfo || !ValidChan(fileInfo->chan))
        return CARD_RESULT_FATAL_ERROR;
    const int32_t chan = fileInfo->chan;
    int32_t result = CARD_RESULT_READY;
    std::string name;
    std::vector<uint8_t> bytes;
    if (!LoadRange(fileInfo, CARD_TEST_WRITE, buf, length, offset, &name, &bytes, &result))
        return Finish(chan, result, callback);
    std::memcpy(bytes.data() + offset, buf, static_cast<size_t>(length));
    if (!card::WriteAtomic(DataPath(chan, name), bytes.data(), bytes.size(), chan, s_midWriteHook))
        return Finish(chan, CARD_RESULT_IOERROR, callback);
    Slot& slot = s_slots[chan];
    if (slot.created[fileInfo->fileNo]) {
        // The file is in place now; what was kept aside is stale.
        std::remove((DataPath(chan, name) + card::kNewSuffix).c_str());
        slot.created[fileInfo->fileNo] = false;
    }
    return Finish(chan, CARD_RESULT_READY, callback);
}

int32_t CARDDeleteAsync(int32_t chan, const char* fileName, CARDCallback callback)
{
    if (!ValidChan(chan))
        return CARD_RESULT_FATAL_ERROR;
    int32_t result = CARD_RESULT_READY;
    if (TakeInjection(chan, CARD_TEST_DELETE, &result))
        return Finish(chan, result, callback);
    if (const int32_t nameResult = CheckMountedName(chan, fileName); nameResult != CARD_RESULT_READY)
        return Finish(chan, nameResult, callback);
    Slot& slot = s_slots[chan];
    const int32_t fileNo = FindEntry(slot, fileName);
    if (fileNo < 0)
        return Finish(chan, CARD_RESULT_NOFILE, callback);
    if (std::remove(BytesPath(chan, fileNo).c_str()) != 0)
        return Finish(chan, CARD_RESULT_IOERROR, callback);
    std::remove(StatusPath(chan, fileName).c_str());
    slot.entries[fileNo].clear();
    slot.created[fileNo] = false;
    return Finish(chan, CARD_RESULT_READY, callback);
}

int32_t CARDGetStatus(int32_t chan, int32_t fileNo, CARDStat* stat)
{
    if (!ValidChan(chan) || !stat)
        return CARD_RESULT_FATAL_ERROR;
    int32_t result = CARD_RESULT_READY;
    const std::string name = StatusFileName(chan, fileNo, CARD_TEST_GET_STATUS, &result);
    if (result != CARD_RESULT_READY || name.empty())
        return Finish(chan, result, nullptr);
    CARDStat out;
    std::vector<uint8_t> text;
    if (card::ReadWhole(StatusPath(chan, name), &text, kMaxStatusBytes) &&
        (text.size() > kMaxStatusBytes || !card::ParseStatus(std::string(text.begin(), text.end()), &out)))
        return Finish(chan, CARD_RESULT_BROKEN, nullptr);
    // The stored name fills the field; it is terminated only when shorter.
    std::memset(out.fileName, 0, sizeof(out.fileName));
    std::memcpy(out.fileName, name.data(), std::min(name.size(), sizeof(out.fileName)));
    struct stat host {};
    if (::stat(BytesPath(chan, fileNo).c_str(), &host) != 0)
        return Finish(chan, CARD_RESULT_NOFILE, nullptr);
    out.length = static_cast<uint32_t>(host.st_size);
    out.time = host.st_mtime > kCardEpochUnix ? static_cast<uint32_t>(host.st_mtime - kCardEpochUnix) : 0;
    *stat = out;
    return Finish(chan, CARD_RESULT_READY, nullptr);
}

int32_t CARDSetStatus(int32_t chan, int32_t fileNo, const CARDStat* stat)
{
    if (!ValidChan(chan) || !stat)
        return CARD_RESULT_FATAL_ERROR;
    int32_t result = CARD_RESULT_READY;
    const std::string name = StatusFileName(chan, fileNo, CARD_TEST_SET_STATUS, &result);
    if (result != CARD_RESULT_READY || name.empty())
        return Finish(chan, result, nullptr);
    const std::string text = card::FormatStatus(*stat);
    if (!card::WriteAtomic(StatusPath(chan, name), text.data(), text.size(), chan, nullptr))
        return Finish(chan, CARD_RESULT_IOERROR, nullptr);
    return Finish(chan, CARD_RESULT_READY, nullptr);
}

void CARDTestSetRoot(const char* dir)
{
    card::SetTestRoot(dir);
    for (Slot& slot : s_slots)
        slot = Slot();
    std::error_code ec;
    std::filesystem::create_directories(card::SlotFolder(CARD_SLOT_A), ec);
}

const char* CARDTestSlotFolder(int32_t chan)
{
    static std::string s_folder;
    s_folder = card::SlotFolder(chan);
    return s_folder.c_str();
}

void CARDTestInjectResult(int32_t chan, CARDTestOp op, int32_t result)
{
    if (!ValidChan(chan) || op < 0 || op >= CARD_TEST_OP_COUNT)
        return;
    s_slots[chan].injected[op] = true;
    s_slots[chan].injection[op] = result;
}

void CARDTestSetBusyPolls(int32_t chan, int32_t polls)
{
    if (ValidChan(chan))
        s_slots[chan].busyPolls = polls;
}

void CARDTestSetSectorSize(int32_t chan, int32_t sectorSize)
{
    if (ValidChan(chan))
        s_slots[chan].sectorSize = sectorSize;
}

void CARDTestSetMidWriteHook(CARDTestWriteHook hook)
{
    s_midWriteHook = hook;
}
