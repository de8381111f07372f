#pragma once
// A script function: an event called with two arguments that returns a
// value. The function-call action and the function value call it through
// Call. Found by handle through gcFunctionMgr; lives in the pool of its
// group's load and never changes; main thread. Type id 146.

#include "cCore/cHandle.h"
#include "cCore/cObject.h"
#include "gcGameCore/script/gcEvent.h"
#include "cCore/cManager.h"
#include "cCore/cGroup.h"

class gcFunction;
using gcFunctionHandle = cHandle<gcFunction>;

class gcFunction : public cObject {
    QM_DECLARE_TYPE(gcFunction)
public:
    static constexpr uint32_t kVersion = 1;

    gcFunction();

    // Version 1: the cObject block and the OnCalled event.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Applies OnCalled with the caller's parameters and a fresh frame whose
    // Param1 and Param2 are the arguments; returns the frame's RetVal.
    float Call(const gcEventParams& params, float fParam1, float fParam2) const;
    // The same through a handle; 0.0 and nothing run when it is stale.
    static float Call(gcFunctionHandle hFunction, const gcEventParams& params, float fParam1, float fParam2);

    gcFunctionHandle m_handle;
    gcEvent onCalled;
};

// The slot table of script functions: 500 slots, resolved by handle. A stale or zero
// handle gives null. Main thread, or the loader filling a group.
class gcFunctionMgr : public cManager<gcFunction, 500> {};

// The file block that fills a range of gcFunctionMgr's slots. Lives in the pool
// of its load; one made by the factory destroys its objects with it.
class gcFunctionGroup : public cGroup {
    QM_DECLARE_GROUP(gcFunctionGroup, gcFunctionMgr)
};
