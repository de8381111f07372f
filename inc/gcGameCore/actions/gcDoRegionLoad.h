#pragma once
// Asks the map loop to load one region of the current map with its
// neighbours at once (a multi-region load), applying the action's two events
// before and after it. The map keeps pointers to the events until the load
// is served; an action destroyed (or its pool reset) before then withdraws
// its request. Lives in its event's pool; main thread. Type id 226.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredValue.h"
#include "gcGameCore/script/gcEvent.h"

class gcDoRegionLoad : public gcAction {
    QM_DECLARE_TYPE(gcDoRegionLoad)
public:
    static constexpr uint32_t kVersion = 2;

    gcDoRegionLoad();
    explicit gcDoRegionLoad(const gcDesiredValue& regionId);
    // The events' actions are copied into the pool that holds this action.
    gcDoRegionLoad(const gcDoRegionLoad& other);
    gcDoRegionLoad& operator=(const gcDoRegionLoad&) = delete;
    // Withdraws the map's unserved request when it is this action's.
    ~gcDoRegionLoad() override;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the base block, the region id, the pre-load and the
    // post-load event blocks.
    void Write(const cFile& file) const override;
    // Version 2 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    void GetText(char* pBuf) const override;  // "RegionLoad( 3 )"
    // The map's request: index = the 1-based id truncated, less one (below 0
    // is no request); a later request replaces an unserved one. Nothing
    // without a map.
    void DoAction(const gcEventParams& params) const override;

    gcDesiredValue desiredRegionId;  // 1-based
    gcEvent onPreRegionLoad;
    gcEvent onPostRegionLoad;
};
