#pragma once
// A script event: a named list of actions, applied in order with the event
// parameters and a stack frame until one of them sets the frame's return
// flag. Owners embed their events by value and name them; the names serve
// text and diagnostics only. The event owns its actions. While an event runs,
// the current-event globals point at it, its parameters and its frame;
// events nest (an action may fire another event) and the globals are
// restored when the inner one returns. Lives in its owner's pool; main
// thread. Type id 83.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "cCore/cBase.h"
#include "gcGameCore/script/gcEventParams.h"
#include "gcGameCore/script/gcEventStackData.h"

class gcAction;

class gcEvent : public cBase {
    QM_DECLARE_TYPE(gcEvent)
public:
    static constexpr uint32_t kVersion = 3;
    // Applications nested deeper than this are refused (logged, 0.0): data
    // whose events call each other without end would exhaust the stack.
    static constexpr int kMaxNesting = 64;
    static constexpr size_t kReportSize = 2048;  // bytes of InterceptMsg's output buffer

    // The game flow's answer to "where is the game": act, map and current
    // region ids (region -1 when none). False while no act and map are loaded.
    typedef bool (*LocationFunc)(int* pAct, int* pMap, int* pRegion);

    gcEvent() = default;
    gcEvent(const char* name, const char* ownerName) : sName(name), sOwnerName(ownerName) {}
    // Deep copy: the name is shared, the owner name is ownerName (the other's
    // when null), and each action is copied by its Copy into the pool that
    // holds this event, in the same order. An event outside every pool, or
    // an action that cannot be copied, loses those actions (logged).
    gcEvent(const gcEvent& other, const char* ownerName = nullptr);
    gcEvent& operator=(const gcEvent&) = delete;
    // Destroys every action of the list.
    ~gcEvent() override;

    // The same deep copy into pPool, keeping the owner name; null when the
    // pool has no room for the event or for one of its actions.
    cBase* Copy(cMemPool* pPool) const override;
    // Whether this copy holds every action of the event it was copied from.
    bool HoldsAllOf(const gcEvent& source) const;
    // For the Copy of an owner of events: a copy (null passes) whose events
    // (the members named) do not all hold every action of the source's is
    // destroyed, its memory left to the pool, and null returned: a script
    // that lost actions would do something else.
    template <class T, class... Events>
    static T* KeepWhole(T* pCopy, const T& source, Events... events)
    {
        if (pCopy && !(... && (pCopy->*events).HoldsAllOf(source.*events))) {
            std::destroy_at(pCopy);
            return nullptr;
        }
        return pCopy;
    }
    // Version 3: an empty block of version 1, each action as a polymorphic
    // member, then -1.
    void Write(const cFile& file) const override;
    // Version 3 only (others skipped, false). Members of a type that is not
    // an action class with a factory, or that refuse their block, are
    // skipped with a warning. The old actions stay unless the block was read
    // whole; then they are destroyed.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Runs the actions in order with these parameters and this frame and
    // returns the frame's RetVal; an event without actions returns 0.0 at
    // once and touches nothing. The frame is written by the actions.
    float Apply(const gcEventParams& params, gcEventStackData& frame) const;
    // The same on a copy of the frame, for callers that only want RetVal.
    float Apply(const gcEventParams& params, const gcEventStackData& frame) const;

    bool HasActions() const { return pAction != nullptr; }
    // Logs "Event [ owner:name ]" and each action's line.
    void LogText() const;

    // Writes a report of the running script into pOut (kReportSize bytes,
    // emptied first): the title, the event, the action, the parameters, the
    // frame and, when the game is somewhere, act, map and region. The third
    // argument is not used.
    static void InterceptMsg(const char* sTitle, char* pOut, void*);
    // Installs the game flow's location query; returns the previous one.
    static LocationFunc SetLocationFunc(LocationFunc func);

    gcAction* pAction = nullptr;        // the first action; the event owns the list
    const char* sName = nullptr;        // "OnCalled" and the like
    const char* sOwnerName = nullptr;   // points at the owner's name

    // The running event, its parameters and its frame; null outside events.
    static const gcEvent* s_pCurEvent;
    static const gcEventParams* s_pCurEventParams;
    static gcEventStackData* s_pCurEventStackData;

private:
    static int s_nNesting;
    static LocationFunc s_locationFunc;
};
