#pragma once
// Sets the current map's diffuse and ambient light colours, or restores the
// ones its file gave. The map draws with them from the next frame. Lives in
// its event's pool; main thread. Type id 241.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "mMath/mVec3.h"

class gcDoLighting : public gcAction {
    QM_DECLARE_TYPE(gcDoLighting)
public:
    static constexpr uint32_t kVersion = 1;

    gcDoLighting() = default;
    gcDoLighting(const mVec3& diffuse, const mVec3& ambient, bool reset)
        : diffuseColor(diffuse), ambientColor(ambient), bReset(reset) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the base block, diffuse (3 floats), ambient (3 floats), reset.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    void GetText(char* pBuf) const override;  // "Lighting( )" or "LightingReset( )"
    // Nothing without a map.
    void DoAction(const gcEventParams& params) const override;

    mVec3 diffuseColor{0.5f, 0.5f, 0.5f};  // red, green, blue
    mVec3 ambientColor{0.5f, 0.5f, 0.5f};
    bool bReset = false;
};
