#pragma once
// What entities need of the game flow, the region triggers and the effects,
// whose classes are built on their own: the resident region slots (region
// streaming, gcRegion), the map's light (gcMap), applying a region trigger's
// volume events (gcRegionTrigger) and sending a message round an entity's
// ring of attached effects (gcEffect). Each owner installs its function;
// until it does, no region is resident, no map is loaded, trigger volumes
// fire nothing and no effect is attached. Main thread.

#include <cstdint>

class cBase;
class eZone;
class gcEffect;
class gcEntity;
class gcMsg;
struct mOCS;

class gcEntityWorld {
public:
    static constexpr int kMaxRegions = 5;  // resident region slots; slot i holds the zone of index i

    // Which list of a volume query a trigger volume was reported in.
    enum gcTriggerList : int32_t { TRIGGER_ENTERED = 0, TRIGGER_INSIDE = 1, TRIGGER_EXITED = 2 };

    struct Funcs {
        // Region streaming: the id of the region in a resident slot
        // (0..kMaxRegions-1), -1 for an empty slot.
        int (*pGetRegionId)(int slot);
        // The map: its light's heading and pitch in degrees; false while no
        // map is loaded.
        bool (*pGetMapLight)(float* pHeading, float* pPitch);
        // Region triggers: applies OnEnter, OnInside or OnExit of the region
        // trigger that owns a volume, with the entity as initiator and the
        // trigger as participant 1.
        void (*pApplyTriggerEvent)(cBase* pVolumeOwner, gcTriggerList list, gcEntity* pEntity);
        // Effects: sends the message to every effect of the ring that starts
        // at pFirst, from the last member back to the first.
        void (*pSendToEffects)(gcEffect* pFirst, const gcMsg& msg);
    };
    // Installs the functions (null members: the owner is not there); returns
    // the previous set.
    static Funcs Set(const Funcs& funcs);

    // The first resident slot holding the region id; -1 when none.
    static int FindRegionSlot(int nRegionId);
    // The zone of that slot, or null (not resident, or no zone yet).
    static eZone* GetRegionZone(int nRegionId);
    // A frame given relative to a region (boundaries, region paths and
    // points) carried into the world through the zone of the region's first
    // resident slot. False, with the identity frame, when the region is not
    // resident or has no zone yet: the caller treats the frame as out of
    // reach.
    static bool RegionToWorld(int nRegionId, const mOCS& localToRegion, mOCS* pWorld);
    // The id of the region that owns the zone; -1 when none.
    static int GetZoneRegionId(const eZone* pZone);
    // The heading and pitch (degrees) of the direction entity shadows fall
    // in, (-cos p sin h, cos p cos h, sin p): the map light's, or straight
    // down (0, -90) without a map.
    static void GetLightDir(float* pHeading, float* pPitch);
    static void ApplyTriggerEvent(cBase* pVolumeOwner, gcTriggerList list, gcEntity* pEntity);
    static void SendToEffects(gcEffect* pFirst, const gcMsg& msg);

private:
    static Funcs s_funcs;
};
