#pragma once
// The 128-byte save region: 32 words kept across a soft reset. Word 0 holds
// the display choice (non-zero progressive). Restored once at start-up, before
// the heap exists; saved when a reset is handled. Main thread.

#include <cstdint>

class cSaveRegion {
public:
    static constexpr int kWords = 32;
    static constexpr uint32_t kBytes = kWords * 4;
    static constexpr int kProgressiveWord = 0;

    // Words outside 0..31 are refused (logged) and read as 0.
    static void SetSaveRegionData(int index, uint32_t value);
    static uint32_t GetSaveRegionData(int index);

    // Copies the region to the preserved area and registers that area with
    // the OS, which hands it to the program after a soft reset.
    static void HandleSaveSaveRegion();
    // Copies what survived the last soft reset into the region.
    static void HandleRestoreSaveRegion();

    static uint32_t s_resetSaveRegion[kWords];
    // Stands for the console's preserved memory area.
    static uint8_t s_preservedArea[kBytes];
};
