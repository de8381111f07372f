#pragma once
// The game camera's heading, pitch or roll; assignable. Reading gives where
// the camera is turning to; writing sets that component of the alternate
// orientation offsets (all zero turns them off). Read with its owner into
// its pool; main thread. Type id 188.

#include <cstdint>

#include "gcGameCore/script/gcLValue.h"

class gcValCameraOrientation : public gcLValue {
    QM_DECLARE_TYPE(gcValCameraOrientation)
public:
    // Only this version: version 1 blocks are refused.
    static constexpr uint32_t kVersion = 2;

    // Stored in data files.
    enum gcHPR : int32_t { HEADING = 0, PITCH = 1, ROLL = 2, MAX_EULER = 3 };

    gcValCameraOrientation() = default;
    explicit gcValCameraOrientation(int32_t component) : euler(component) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the gcLValue block, the component.
    void Write(const cFile& file) const override;
    // Version 2 only (others skipped, false). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // The component of the camera's desired heading, pitch and roll
    // (degrees); 0.0 for a component outside the table.
    float Get(const gcEventParams& params) const override;
    // "CameraOrientation.Heading"
    void GetText(char* pBuf) const override;
    // The alternate offsets with this component replaced, handed back to
    // the camera; ignored for a component outside the table.
    void Set(float fValue, const gcEventParams& params) override;

    static const char* GetHPRText(int32_t component);

    int32_t euler = HEADING;  // a gcHPR as stored
};
