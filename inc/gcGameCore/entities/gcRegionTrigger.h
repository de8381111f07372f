#pragma once
// A trigger volume placed in a region, with three script events: OnEnter,
// OnInside and OnExit. While enabled (state 0) its volume sits in the volume
// tree of its region's zone, restricted to the kind of object it answers
// (the game camera, any entity, the player's entity or one entity); moving
// objects query the volumes along their move and apply the events through
// ApplyVolumeEvent. The trigger itself only files its volume or takes it out
// as it is activated, deactivated, frozen and unfrozen, and does no work per
// tick. Read with the map's region-trigger group into gcRegionTriggerMgr and
// lives in the map's pool. Main thread. Type id 105.

#include <cstdint>

#include "cCore/cGroup.h"
#include "cCore/cHandle.h"
#include "cCore/cManager.h"
#include "eEngine/eVolume.h"
#include "gcGameCore/entities/gcEntity.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/script/gcGameObject.h"

class eZone;
class gcRegionTrigger;
using gcRegionTriggerHandle = cHandle<gcRegionTrigger>;

class gcRegionTrigger : public gcGameObject {
    QM_DECLARE_TYPE(gcRegionTrigger)
public:
    static constexpr uint32_t kVersion = 4;
    static constexpr uint32_t kMinVersion = 2;

    // m_nTriggerFlags; only the deactivated bit is stored (as "active").
    static constexpr uint16_t kDeactivated = 0x1;
    static constexpr uint16_t kFrozen = 0x2;

    enum gcRegionTriggerState : int8_t {
        STATE_ENABLED = 0,   // the volume is in its zone
        STATE_DISABLED = 1,  // the volume is in no zone
    };

    // Stored in data.
    enum gcRegionTriggerResponse : int32_t {
        RTR_CAMERA = 0,       // the game camera
        RTR_ALLENTITIES = 1,  // any entity
        RTR_PLAYER = 2,       // the entity the player controls when the trigger is enabled
        RTR_ENTITY = 3,       // m_hEntity
    };

    // Disabled and frozen, a unit box, no region, answering the player.
    gcRegionTrigger();
    // Name, game-object state, events (owned by the copy's name), a copy of
    // the volume in no zone owned by the copy, flags, region, respond-to and
    // entity; no handle.
    gcRegionTrigger(const gcRegionTrigger& other);
    gcRegionTrigger& operator=(const gcRegionTrigger&) = delete;

    // A copy holding every action of its three events, or null.
    cBase* Copy(cMemPool* pPool) const override;
    // Version 4: the gcGameObject block, active, region id (16-bit,
    // unpadded), the volume's block, respond-to, entity handle, then
    // OnEnter, OnInside, OnExit.
    void Write(const cFile& file) const override;
    // Versions 2 to 4 (others skipped, false). Version 2 has no respond-to
    // or entity (the player answers); versions 2 and 3 store a plane's events
    // as OnExit, OnInside, OnEnter. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // Activate, Deactivate, Freeze and Unfreeze, and the state changes they
    // request; every other message is not taken.
    int Send(const gcMsg& msg) override;

    // The ExitState of the disabled state: files the volume in its region's
    // zone with the restriction of m_respondTo. A region that is not
    // resident leaves the trigger disabled and frozen (logged), so the
    // Unfreeze its region's attachment sends tries again.
    void OnDisabledExitState();

    // Applies OnEnter, OnInside or OnExit of the trigger owning a reported
    // volume, with the querier as initiator and the trigger as participant
    // 1. Owners that are not region triggers are ignored. What entity and
    // camera trigger queries call for each volume their query lists.
    static void ApplyVolumeEvent(cBase* pVolumeOwner, gcEntityWorld::gcTriggerList list, gcGameObject* pQuerier);
    // A querier's move from..to (positions in the zone's space) run against
    // the trigger volumes of the zone's query, then the events of the
    // volumes entered, then inside, then exited (each list at most 32);
    // nFlags asks for what is reported (eVolumeQuery). For every querier:
    // the game camera and moving entities.
    static void FireVolumes(const eZone& zone, const mVec3& from, const mVec3& to, uint32_t nFlags,
                            gcGameObject* pQuerier);
    // Makes entities' trigger queries reach ApplyVolumeEvent.
    static void InstallEntityWorldFuncs();
    // An entity going away: every trigger in the table that answered only
    // it answers nobody until it is enabled again.
    static void ForgetEntity(const gcEntity* pEntity);

    gcRegionTriggerHandle m_handle;
    gcEvent onEnter;
    gcEvent onInside;
    gcEvent onExit;
    eVolume m_volume;  // frame relative to the region's zone; owned by the trigger
    uint16_t m_nTriggerFlags = kFrozen;
    int16_t m_nRegionId = -1;
    gcRegionTriggerResponse m_respondTo = RTR_PLAYER;
    gcEntityHandle m_hEntity;

private:
    bool Dispatch(const gcMsg& msg);
    // Sets the bits, and asks for the disabled state.
    void Disable(uint16_t nBits);
    // Clears the bits; asks for the enabled state once neither is set.
    void Enable(uint16_t nBits);
    void RequestIfChanged(int nState);
    void LeaveZone();
    void Restrict();
};

// The slot table of region triggers: 200 slots, resolved by handle. Main
// thread, or the loader filling a group.
class gcRegionTriggerMgr : public cManager<gcRegionTrigger, 200> {};

// The map's block that fills a range of gcRegionTriggerMgr's slots.
class gcRegionTriggerGroup : public cGroup {
    QM_DECLARE_GROUP(gcRegionTriggerGroup, gcRegionTriggerMgr)
};
