#pragma once
// Requests a cinematic of the current map, or the map's streamed cinematic
// of an index (loaded in the background and started by the map loop).
// Lives in its event's pool; main thread. Type id 208.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcCinematic.h"

class gcDoPlayCinematic : public gcAction {
    QM_DECLARE_TYPE(gcDoPlayCinematic)
public:
    static constexpr uint32_t kVersion = 2;

    gcDoPlayCinematic() = default;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the base block, the cinematic handle, the map-cinematic
    // flag and the streamed index.
    void Write(const cFile& file) const override;
    // Versions 1 (handle only) and 2; others skipped, false. Unchanged
    // unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "PlayCinematic( [name] )", or "PlayCinematicBackgroundLoad( n )" with
    // the 1-based index of a streamed one.
    void GetText(char* pBuf) const override;
    // Nothing without a map, and nothing for a map cinematic whose handle
    // does not resolve.
    void DoAction(const gcEventParams& params) const override;

    gcCinematicHandle hCinematic;
    bool bIsMapCinematic = true;
    int32_t nCinematicId = 0;  // 0-based index of the map's streamed cinematics
};
