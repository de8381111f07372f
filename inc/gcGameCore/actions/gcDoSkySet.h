#pragma once
// Selects which of its skins the current map's sky draws with. Lives in its
// event's pool; main thread. Type id 254.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"

class gcDoSkySet : public gcAction {
    QM_DECLARE_TYPE(gcDoSkySet)
public:
    static constexpr uint32_t kVersion = 1;

    gcDoSkySet() = default;
    explicit gcDoSkySet(int32_t skin) : nSkin(skin) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the base block, the skin.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    void GetText(char* pBuf) const override;  // "SkySet( 2 )", the skin 1-based
    // Nothing without a map or for a skin the sky does not have.
    void DoAction(const gcEventParams& params) const override;

    int32_t nSkin = 0;  // 0-based
};
