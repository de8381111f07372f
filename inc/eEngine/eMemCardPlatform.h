#pragma once
// The console half of the memory-card service, on the card library: each
// step starts a request and polls its result every 0.1 s, at most 100
// times, checking the reset button while it waits. A static class; main
// thread only. The game calls only Save, Load and Delete through eMemCard.

#include <cstdint>

class eMemCardPlatform {
public:
    static constexpr int kMaxPolls = 100;
    static constexpr double kPollSeconds = 0.1;
    static constexpr uint32_t kSlotPresent = 0x1;  // s_nSlotFlags bit: a card at the last check
    static constexpr uint32_t kWorkAreaSize = 40960;

    static void Initialize();
    // Waits for the slot's request and maps its result into eMemCard's
    // status; a card still busy after the last poll is "Card Damaged".
    static void PollResult();
    static void UpdateStatus(int32_t nResult);
    static void Probe();
    // Mounts and checks (a corrupted card is checked too). True when the
    // card ended up mounted, whatever the status, so the caller unmounts it.
    static bool Mount();
    static void Check();
    static void Format();
    // Unmounts and polls, leaving the status as it was before.
    static void Unmount();
    static void SetComments(const char* line1, const char* line2);
    static bool CardChanged();
    static void Save(const char* name, int nVersion, const void* pData, int nSize, bool bOverwrite);
    static void Load(const char* name, int nVersion, void* pData, int nSize);
    static void Delete(const char* name);

    alignas(32) static uint8_t s_workArea[kWorkAreaSize];
    alignas(32) static uint8_t s_fileBlock[8192];
    static uint8_t s_iconData[2048];
    static char s_comments[2][32];
    static uint32_t s_nCurMagicNum;  // per-save number last loaded or saved; 0 when none
    static uint32_t s_nSlotFlags[2];
};
