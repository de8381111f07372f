#pragma once
// One piece of information about the console: progressive video, the size
// of the save data in card blocks, card presence, the audio output mode.
// Card queries probe the slot at every evaluation. Read with its owner into
// its pool; main thread. Type id 258.

#include <cstdint>

#include "gcGameCore/script/gcValue.h"

class gcValConsoleInfo : public gcValue {
    QM_DECLARE_TYPE(gcValConsoleInfo)
public:
    static constexpr uint32_t kVersion = 1;

    // Stored in data files.
    enum gcInfo : int32_t {
        INFO_PROGRESSIVE_ALLOWED = 0,
        INFO_PROGRESSIVE_ALWAYSASK = 1,
        INFO_SAVEGAME_SIZE = 2,
        INFO_CARDPRESENT = 3,
        INFO_CARDCHANGED = 4,
        INFO_IS_AUDIO_MODE_MONO = 5,
        INFO_IS_AUDIO_MODE_STEREO = 6,
        INFO_IS_AUDIO_MODE_SURROUND = 7,
        INFO_IS_AUDIO_MODE_DPL2 = 8,
        INFO_MEMCARD_FREESPACE = 9,
        MAX_INFOS = 10,
    };

    gcValConsoleInfo() = default;
    explicit gcValConsoleInfo(int32_t i) : info(i) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcValue block and the information.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // 1.0 or 0.0, the save size in blocks; 0.0 for the free space (the
    // card is not asked) and numbers outside the table.
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "ConsoleInfo( CardPresent )"

    static const char* GetInfoText(int32_t info);  // "???" outside 0..9

    int32_t info = INFO_PROGRESSIVE_ALLOWED;  // a gcInfo as stored
};
