// Feeds arbitrary bytes to the memory-card layer as a save file on the card:
// the file's image (read by the game's load and by a save that first checks
// whose file it replaces) and the status text the card keeps beside it (read
// by CARDGetStatus). Input: a big-endian 16-bit length, that many bytes of
// status text, then the image. Every input must load, save or fail cleanly.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "cCore/cLog.h"
#include "eEngine/eMemCard.h"
#include "eEngine/eMemCardPlatform.h"
#include "platform/card.h"
#include "platform/os.h"
#include "platform/ps.h"
#include "../test/card_test.h"
#include "tempDir.h"

namespace {

constexpr const char* kName = "QuillmereSave";
constexpr int kVersion = 16;
constexpr int kSize = 1000;

TempDir* g_pDir = nullptr;

bool WriteHostFile(const std::string& path, const uint8_t* data, size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

void ReadStatus()
{
    alignas(32) static uint8_t s_workArea[CARD_WORKAREA_SIZE];
    if (CARDMountAsync(CARD_SLOT_A, s_workArea, nullptr, nullptr) != CARD_RESULT_READY &&
        CARDGetResultCode(CARD_SLOT_A) != CARD_RESULT_BROKEN)
        return;
    CARDFileInfo info;
    if (CARDOpen(CARD_SLOT_A, kName, &info) == CARD_RESULT_READY) {
        CARDStat stat;
        CARDGetStatus(CARD_SLOT_A, info.fileNo, &stat);
        CARDClose(&info);
    }
    CARDUnmount(CARD_SLOT_A);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    OSInit();
    cLogSetCallback(nullptr, nullptr);
    g_pDir = new TempDir("qm_fuzz_card");
    CARDTestSetRoot(g_pDir->c_str());
    eMemCard::Initialize("Quillmere Fuzz", "Maker");
    eMemCard::SetSlot(0);
    std::atexit([] {
        CARDTestSetRoot(nullptr);
        delete g_pDir;
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t statusLen = std::min<size_t>((data[0] << 8) | data[1], size - 2);
    const std::string folder = CARDTestSlotFolder(CARD_SLOT_A);
    const std::string base = folder + "/" + kName;
    if (!WriteHostFile(base + ".stat", data + 2, statusLen) ||
        !WriteHostFile(base + ".dat", data + 2 + statusLen, size - 2 - statusLen))
        std::abort();

    ReadStatus();
    std::vector<uint8_t> payload(kSize);
    eMemCard::Load(kName, kVersion, payload.data(), kSize);
    // A save that must not replace another game's file reads it first. The
    // file is taken for another game's, so the run does not write (and wait
    // for the disk) on every input.
    const size_t imageSize = size - 2 - statusLen;
    if (imageSize >= eMemCard::kMagicOffset + 4)
        eMemCardPlatform::s_nCurMagicNum = ~ps::LoadU32BE(data + 2 + statusLen + eMemCard::kMagicOffset);
    eMemCard::Save(kName, kVersion, payload.data(), kSize, false);
    return 0;
}
