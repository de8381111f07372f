#include "datagen/cameraWriters.h"

#include "gcGameCore/camera/gcGameCameraParams.h"
#include "gcGameCore/values/gcValControllerState.h"

namespace datagen {

bool WriteCameraParamsFile(const std::string& path, const gcGameCameraParams& params)
{
    return WriteObjectFile(path, params);
}

BlockWriter& CameraParamsBlock(BlockWriter& w, const gcGameCameraParams& params, uint32_t version, int32_t nSpeeds,
                               int32_t nOffsets)
{
    constexpr int kKept = gcGameCameraParams::MAX_SPEEDTYPES;
    w.Begin(version).Begin(1).End();
    w.Int(nSpeeds);
    for (int i = 0; i < nSpeeds; ++i)
        w.Float(i < kKept ? params.m_fMaxVels[i] : 99.0f).Float(i < kKept ? params.m_fMaxTimes[i] : 99.0f);
    w.Int(nOffsets);
    for (int i = 0; i < nOffsets; ++i)
        w.Float(i < kKept ? params.m_fOffsets[i] : 99.0f);
    return w.End();
}

bool WriteControllerStateFile(const std::string& path, const gcValControllerState& value)
{
    return WriteObjectFile(path, value);
}

}  // namespace datagen
