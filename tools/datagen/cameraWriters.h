#pragma once
// Writers for the game camera's data: its parameter blocks and the
// controller-state value, through the engine's own Write code and, for the
// versions the engine only reads and for odd counts, hand-laid. Offline
// tools and test fixtures; main thread.

#include <cstdint>
#include <string>

#include "datagen/blockWriter.h"

class gcGameCameraParams;
class gcValControllerState;

namespace datagen {

// Camera parameters (version 2) as a console data file.
bool WriteCameraParamsFile(const std::string& path, const gcGameCameraParams& params);
// Their block at version 1 or 2 (the same layout) with nSpeeds (speed, pole)
// pairs and nOffsets offsets; entries past the fifth hold 99.
BlockWriter& CameraParamsBlock(BlockWriter& w, const gcGameCameraParams& params, uint32_t version, int32_t nSpeeds = 5,
                               int32_t nOffsets = 5);
// A controller-state value (version 1) as a console data file.
bool WriteControllerStateFile(const std::string& path, const gcValControllerState& value);

}  // namespace datagen
