#pragma once
// The memory-card service: the chosen slot, the status of the last
// operation, and one named save file of 8192 bytes that carries a CRC-32, a
// random per-save number, a version, the payload size, an icon and two
// comment lines around the caller's payload. Every operation blocks the
// calling thread (the main thread) until the card answers, holding the reset
// notification back meanwhile; results are reported only through s_status.
// A static class; the console half is eMemCardPlatform.

#include <cstdint>

class eMemCard {
public:
#define EMEMCARD_STATUS_LIST(X)                                  \
    X(STATUS_READY, 0, "Success")                                \
    X(STATUS_NO_FILE_PERMISSION, 1, "No File Permission")        \
    X(STATUS_NOT_A_MEMORY_CARD, 2, "Not A Memory Card")          \
    X(STATUS_NO_CARD, 3, "No Card")                              \
    X(STATUS_CORRUPTED, 4, "Card Corrupted")                     \
    X(STATUS_DAMAGED, 5, "Card Damaged")                         \
    X(STATUS_WRONG_SECTOR_SIZE, 6, "Wrong Sector Size")          \
    X(STATUS_WRONG_MARKET, 7, "Wrong Market")                    \
    X(STATUS_NOT_ENOUGH_SPACE, 8, "Not Enough Space")            \
    X(STATUS_DIFFERENT_CARD, 9, "Different Card")                \
    X(STATUS_NO_SAVEFILE, 10, "No Save-File")                    \
    X(STATUS_CORRUPTED_SAVEFILE, 11, "Corrupted Save-File")      \
    X(STATUS_OLD_SAVEFILE, 12, "Old Save-File")                  \
    X(STATUS_FATAL_ERROR, 13, "Fatal Error")
#define EMEMCARD_ENUM_ENTRY(name, value, text) name = value,
    enum eStatus { EMEMCARD_STATUS_LIST(EMEMCARD_ENUM_ENTRY) MAX_STATUS = 14 };
#undef EMEMCARD_ENUM_ENTRY
    static const char* GetStatusText(int status);  // "???" outside 0..13

    // The save file's layout; every word big-endian.
    static constexpr uint32_t kFileSize = 8192;        // one card block
    static constexpr uint32_t kCrcOffset = 0x000;      // CRC-32 of the file with this word 0
    static constexpr uint32_t kMagicOffset = 0x004;    // per-save random number
    static constexpr uint32_t kVersionOffset = 0x008;  // the caller's payload version
    static constexpr uint32_t kSizeOffset = 0x00C;     // payload bytes
    static constexpr uint32_t kIconOffset = 0x010;     // 32 x 32 RGB5A3
    static constexpr uint32_t kIconSize = 2048;
    static constexpr uint32_t kComment1Offset = 0x810;
    static constexpr uint32_t kComment2Offset = 0x830;
    static constexpr uint32_t kCommentSize = 32;       // NUL-terminated
    static constexpr uint32_t kCommentNameMax = 30;    // a name's characters before "\n" and NUL
    static constexpr uint32_t kPayloadOffset = 0x850;
    static constexpr uint32_t kPayloadSize = kFileSize - kPayloadOffset;  // 6064

    // Starts the card library; the comment lines become the game's and the
    // maker's names.
    static void Initialize(const char* gameName, const char* makerName);
    static void SetSlot(int nSlot);
    // Copies up to 2048 bytes; nothing for a size of 0 or less.
    static void SetIconData(const void* pData, int nSize);
    static int GetSaveSize(int nBytes);  // card blocks, rounded up
    // Probes the slot; true when a standard card is there.
    static bool CardPresent();
    // Probes the slot; whether presence differs from the last check.
    static bool CardChanged();
    // Writes the payload (at most kPayloadSize bytes) with the icon and
    // comments. Without bOverwrite an existing file is replaced only when it
    // is the one last loaded or saved here ("Different Card" otherwise).
    static void Save(const char* name, int nVersion, const void* pData, int nSize, bool bOverwrite);
    // Fills pData with nSize bytes when the file's CRC, version and size are
    // right; leaves it untouched otherwise.
    static void Load(const char* name, int nVersion, void* pData, int nSize);
    static void Delete(const char* name);
    static void Format();

    static int s_nSlot;
    static eStatus s_status;
};
