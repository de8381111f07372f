#pragma once
// The sample game's loading screen "Dusk": a dialog the map loader opens
// while the map loads, which closes itself once loading is done. Offline
// tool; main thread.

#include <string>

namespace datagen {

// The dialog's slot in the loading screen's dialog range and its check:
// the dialog's handle is (kSampleLoadingCheck << 16) | kSampleLoadingSlot.
constexpr int kSampleLoadingSlot = 20;
constexpr unsigned kSampleLoadingCheck = 0x0B01;
// The size of the dialog's one box, centred on the screen.
constexpr float kSampleLoadingBox[2] = {256.0f, 32.0f};

// Writes path (LoadingScreens/LoadingScreen01.ls): one untextured sprite and
// the dialog "Loading" whose box draws it; each update while the dialog is
// open, the dialog closes itself (no transition) when no map is loading.
bool WriteSampleLoadingScreen(const std::string& path);

}  // namespace datagen
