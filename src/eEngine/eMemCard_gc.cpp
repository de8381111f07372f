// The console half of the memory-card service: the save file's image and
// the card library's requests, each polled to its end.

#include "eEngine/eMemCardPlatform.h"

#include <algorithm>
#include <cstring>

#include "platform/card.h"
#include "platform/os.h"
#include "platform/ps.h"
#include "cCore/cCoreServices.h"
#include "cCore/cLog.h"
#include "eEngine/eMemCard.h"

static_assert(eMemCardPlatform::kWorkAreaSize == CARD_WORKAREA_SIZE);
static_assert(sizeof(eMemCardPlatform::s_fileBlock) == eMemCard::kFileSize);
static_assert(sizeof(eMemCardPlatform::s_iconData) == eMemCard::kIconSize);
static_assert(eMemCard::kFileSize == CARD_SECTOR_SIZE);

alignas(32) uint8_t eMemCardPlatform::s_workArea[kWorkAreaSize];
alignas(32) uint8_t eMemCardPlatform::s_fileBlock[8192];
uint8_t eMemCardPlatform::s_iconData[2048];
char eMemCardPlatform::s_comments[2][32];
uint32_t eMemCardPlatform::s_nCurMagicNum = 0;
uint32_t eMemCardPlatform::s_nSlotFlags[2];

namespace {

// Waits kPollSeconds on the foundation's clock, keeping the reset button
// serviced. Sleeping in small steps lets the virtual clock of a headless
// run move on.
void WaitOnePoll()
{
    const double end = cGetTimeSeconds() + eMemCardPlatform::kPollSeconds;
    while (cGetTimeSeconds() < end) {
        cCheckResetState();
        OSSleepTicks(OSMillisecondsToTicks(1));
    }
}

eMemCard::eStatus StatusFromResult(int32_t nResult)
{
    switch (nResult) {
    case CARD_RESULT_READY:
    case CARD_RESULT_EXIST: return eMemCard::STATUS_READY;
    case CARD_RESULT_WRONGDEVICE: return eMemCard::STATUS_NOT_A_MEMORY_CARD;
    case CARD_RESULT_NOCARD: return eMemCard::STATUS_NO_CARD;
    case CARD_RESULT_NOFILE: return eMemCard::STATUS_NO_SAVEFILE;
    case CARD_RESULT_IOERROR: return eMemCard::STATUS_DAMAGED;
    case CARD_RESULT_BROKEN: return eMemCard::STATUS_CORRUPTED;
    case CARD_RESULT_NOENT:
    case CARD_RESULT_INSSPACE:
    case CARD_RESULT_LIMIT: return eMemCard::STATUS_NOT_ENOUGH_SPACE;
    case CARD_RESULT_NOPERM: return eMemCard::STATUS_NO_FILE_PERMISSION;
    case CARD_RESULT_ENCODING: return eMemCard::STATUS_WRONG_MARKET;
    default: return eMemCard::STATUS_FATAL_ERROR;
    }
}

bool Ready()
{
    return eMemCard::s_status == eMemCard::STATUS_READY;
}

// Statuses that say the card or a file on it is damaged, rather than absent.
bool IsDamage(eMemCard::eStatus status)
{
    return status == eMemCard::STATUS_CORRUPTED || status == eMemCard::STATUS_DAMAGED ||
           status == eMemCard::STATUS_CORRUPTED_SAVEFILE;
}

void ClearPayload()
{
    std::memset(eMemCardPlatform::s_fileBlock + eMemCard::kPayloadOffset, 0, eMemCard::kPayloadSize);
}

uint32_t ImageCrc(const uint8_t* pImage)
{
    uint8_t copy[eMemCard::kFileSize];
    std::memcpy(copy, pImage, sizeof(copy));
    ps::StoreU32BE(copy + eMemCard::kCrcOffset, 0);
    return cCalcCRC32(copy, sizeof(copy));
}

// The whole file: header, icon, comments and payload, the rest zero, and the
// CRC over it all with its own word 0.
void BuildImage(uint32_t nMagic, int nVersion, const void* pData, int nSize)
{
    uint8_t* image = eMemCardPlatform::s_fileBlock;
    std::memset(image, 0, eMemCard::kFileSize);
    ps::StoreU32BE(image + eMemCard::kMagicOffset, nMagic);
    ps::StoreS32BE(image + eMemCard::kVersionOffset, nVersion);
    ps::StoreS32BE(image + eMemCard::kSizeOffset, nSize);
    if (nSize > 0)
        std::memcpy(image + eMemCard::kPayloadOffset, pData, static_cast<size_t>(nSize));
    std::memcpy(image + eMemCard::kIconOffset, eMemCardPlatform::s_iconData, eMemCard::kIconSize);
    std::memcpy(image + eMemCard::kComment1Offset, eMemCardPlatform::s_comments[0], eMemCard::kCommentSize);
    std::memcpy(image + eMemCard::kComment2Offset, eMemCardPlatform::s_comments[1], eMemCard::kCommentSize);
    ps::StoreU32BE(image + eMemCard::kCrcOffset, ImageCrc(image));
}

// The file's status: no banner, one RGB5A3 icon at 0x10 shown slowly, the
// comments at 0x810.
CARDStat FileStatus()
{
    CARDStat stat;
    stat.bannerFormat = CARD_STAT_BANNER_NONE;
    stat.iconAddr = eMemCard::kIconOffset;
    stat.iconFormat = CARDPackIconField(0, 0, CARD_STAT_ICON_RGB5A3);
    stat.iconSpeed = CARDPackIconField(CARDPackIconField(0, 0, CARD_STAT_SPEED_SLOW), 1, CARD_STAT_SPEED_END);
    stat.commentAddr = eMemCard::kComment1Offset;
    return stat;
}

// A payload size the file has room for; anything else is refused before the
// card is touched.
bool PayloadFits(const char* op, const void* pData, int nSize)
{
    if (nSize >= 0 && static_cast<uint32_t>(nSize) <= eMemCard::kPayloadSize && (pData || nSize == 0))
        return true;
    cLogError_("eMemCard::%s: a payload of %d bytes does not fit the save file (0 to %u bytes)", op, nSize,
               eMemCard::kPayloadSize);
    return false;
}

// One comment line: the name cut to fit, "\n", NUL.
void SetCommentLine(char (&line)[32], const char* name)
{
    std::memset(line, 0, sizeof(line));
    const size_t n = name ? std::min<size_t>(std::strlen(name), eMemCard::kCommentNameMax) : 0;
    if (n > 0)
        std::memcpy(line, name, n);
    line[n] = '\n';
}

// The frame of every file operation: the payload cleared, the card probed and
// mounted, the body run only while the card is ready, and a mount made here
// undone afterwards.
template <class Body>
void WithMountedCard(Body body)
{
    ClearPayload();
    eMemCardPlatform::Probe();
    if (!Ready())
        return;
    const bool bMounted = eMemCardPlatform::Mount();
    if (Ready())
        body();
    if (bMounted)
        eMemCardPlatform::Unmount();
}

// The whole save file into s_fileBlock.
void ReadFileBlock(CARDFileInfo* pFile)
{
    CARDReadAsync(pFile, eMemCardPlatform::s_fileBlock, eMemCard::kFileSize, 0, nullptr);
    eMemCardPlatform::PollResult();
}

}  // namespace

void eMemCardPlatform::Initialize()
{
    CARDInit();
}

void eMemCardPlatform::UpdateStatus(int32_t nResult)
{
    eMemCard::s_status = StatusFromResult(nResult);
}

void eMemCardPlatform::PollResult()
{
    for (int i = 0; i < kMaxPolls; ++i) {
        const int32_t nResult = CARDGetResultCode(eMemCard::s_nSlot);
        if (nResult != CARD_RESULT_BUSY) {
            UpdateStatus(nResult);
            return;
        }
        WaitOnePoll();
    }
    eMemCard::s_status = eMemCard::STATUS_DAMAGED;
}

void eMemCardPlatform::Probe()
{
    int32_t nMemSize = 0;
    int32_t nSectorSize = 0;
    int32_t nResult = CARDProbeEx(eMemCard::s_nSlot, &nMemSize, &nSectorSize);
    for (int i = 1; i < kMaxPolls && nResult == CARD_RESULT_BUSY; ++i) {
        WaitOnePoll();
        nResult = CARDProbeEx(eMemCard::s_nSlot, &nMemSize, &nSectorSize);
    }
    if (nResult == CARD_RESULT_BUSY) {
        eMemCard::s_status = eMemCard::STATUS_DAMAGED;
        return;
    }
    UpdateStatus(nResult);
    if (Ready() && nSectorSize != CARD_SECTOR_SIZE)
        eMemCard::s_status = eMemCard::STATUS_NOT_A_MEMORY_CARD;
}

bool eMemCardPlatform::Mount()
{
    CARDMountAsync(eMemCard::s_nSlot, s_workArea, nullptr, nullptr);
    PollResult();
    // A corrupted card is mounted all the same, and checked.
    const bool bMounted = Ready() || eMemCard::s_status == eMemCard::STATUS_CORRUPTED;
    if (bMounted)
        Check();
    return bMounted;
}

void eMemCardPlatform::Check()
{
    CARDCheckAsync(eMemCard::s_nSlot, nullptr);
    PollResult();
}

void eMemCardPlatform::Format()
{
    CARDFormatAsync(eMemCard::s_nSlot, nullptr);
    PollResult();
}

void eMemCardPlatform::Unmount()
{
    const eMemCard::eStatus kept = eMemCard::s_status;
    CARDUnmount(eMemCard::s_nSlot);
    PollResult();
    eMemCard::s_status = kept;
}

void eMemCardPlatform::SetComments(const char* line1, const char* line2)
{
    SetCommentLine(s_comments[0], line1);
    SetCommentLine(s_comments[1], line2);
}

bool eMemCardPlatform::CardChanged()
{
    Probe();
    const uint32_t nSlot = static_cast<uint32_t>(eMemCard::s_nSlot) & 1;
    const bool bPresent = Ready();
    const bool bWasPresent = (s_nSlotFlags[nSlot] & kSlotPresent) != 0;
    s_nSlotFlags[nSlot] = bPresent ? (s_nSlotFlags[nSlot] | kSlotPresent) : (s_nSlotFlags[nSlot] & ~kSlotPresent);
    return bPresent != bWasPresent;
}

void eMemCardPlatform::Load(const char* name, int nVersion, void* pData, int nSize)
{
    if (!PayloadFits("Load", pData, nSize)) {
        eMemCard::s_status = eMemCard::STATUS_FATAL_ERROR;
        return;
    }
    s_nCurMagicNum = 0;
    bool bOpened = false;
    WithMountedCard([&] {
        CARDFileInfo file;
        CARDOpen(eMemCard::s_nSlot, name, &file);
        PollResult();
        if (Ready()) {
            bOpened = true;
            ReadFileBlock(&file);
            CARDClose(&file);
        }
        if (Ready()) {
            s_nCurMagicNum = ps::LoadU32BE(s_fileBlock + eMemCard::kMagicOffset);
            const bool bIntact = ps::LoadU32BE(s_fileBlock + eMemCard::kCrcOffset) == ImageCrc(s_fileBlock) &&
                                 ps::LoadS32BE(s_fileBlock + eMemCard::kVersionOffset) == nVersion &&
                                 ps::LoadS32BE(s_fileBlock + eMemCard::kSizeOffset) == nSize;
            if (bIntact && nSize > 0)
                std::memcpy(pData, s_fileBlock + eMemCard::kPayloadOffset, static_cast<size_t>(nSize));
            if (!bIntact)
                eMemCard::s_status = eMemCard::STATUS_CORRUPTED_SAVEFILE;
        }
    });
    // The caller sees only the status; a save that is there but unusable
    // (or a card whose files are damaged, a save cut short among them)
    // would otherwise go unnoticed in the log.
    if (!Ready() && (bOpened || IsDamage(eMemCard::s_status)))
        cLogWarn_("eMemCard: the save \"%s\" could not be loaded: %s", name,
                  eMemCard::GetStatusText(eMemCard::s_status));
}

void eMemCardPlatform::Save(const char* name, int nVersion, const void* pData, int nSize, bool bOverwrite)
{
    if (!PayloadFits("Save", pData, nSize)) {
        eMemCard::s_status = nSize > 0 && pData ? eMemCard::STATUS_NOT_ENOUGH_SPACE : eMemCard::STATUS_FATAL_ERROR;
        return;
    }
    WithMountedCard([&] {
        CARDFileInfo file;
        CARDOpen(eMemCard::s_nSlot, name, &file);
        PollResult();
        bool bOpen = Ready();
        if (eMemCard::s_status == eMemCard::STATUS_NO_SAVEFILE) {
            CARDCreateAsync(eMemCard::s_nSlot, name, eMemCard::kFileSize, &file, nullptr);
            PollResult();
            bOpen = Ready();
        } else if (bOpen && !bOverwrite) {
            // Only the file last loaded or saved here may be replaced
            // without asking: another one belongs to another card's game.
            ReadFileBlock(&file);
            if (Ready() && s_nCurMagicNum != ps::LoadU32BE(s_fileBlock + eMemCard::kMagicOffset))
                eMemCard::s_status = eMemCard::STATUS_DIFFERENT_CARD;
        }
        if (bOpen && Ready()) {
            const uint32_t nMagic = cIRand();
            BuildImage(nMagic, nVersion, pData, nSize);
            CARDWriteAsync(&file, s_fileBlock, eMemCard::kFileSize, 0, nullptr);
            PollResult();
            if (Ready()) {
                s_nCurMagicNum = nMagic;
                // The icon and comment are dressing: the data is written, so
                // a failure here leaves the write's status.
                const CARDStat stat = FileStatus();
                const int32_t nSet = CARDSetStatus(eMemCard::s_nSlot, file.fileNo, &stat);
                if (nSet != CARD_RESULT_READY)
                    cLogWarn_("eMemCard: the icon and comment of \"%s\" were not set (%d)", name, nSet);
            }
        }
        if (bOpen)
            CARDClose(&file);
    });
    // A failed write leaves the old file as it was; the log says why.
    if (!Ready())
        cLogWarn_("eMemCard: the save \"%s\" could not be written: %s", name,
                  eMemCard::GetStatusText(eMemCard::s_status));
}

void eMemCardPlatform::Delete(const char* name)
{
    WithMountedCard([&] {
        Check();
        CARDDeleteAsync(eMemCard::s_nSlot, name, nullptr);
        PollResult();
    });
}
