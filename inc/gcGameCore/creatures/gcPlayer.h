#pragma once
// The one record of the player: the entity the player controls, the entity
// it could interact with right now, the controller port that belongs to the
// player, and the time played with the current player configuration. Not a
// game object. Made on the first Get, lives to program exit; main thread.
// The entity pointers stay valid while the player configuration (and the
// region of the interaction target) stays loaded.

#include <cstdint>

#include "cCore/cTimeValue.h"
#include "eEngine/eCollisionContact.h"
#include "mMath/mOCS.h"
#include "mMath/mVec3.h"

class eColliderEllipse;
class gcCreature;
class gcEntity;
class gcGameObject;
class gcMsg;
class gcMsgTick;
class gcSurface;

class gcPlayer {
public:
    static gcPlayer* Get();  // made on the first call; never null

    // While no port is chosen: the first port pressing confirm, else the
    // first pressing start (ports in order); -1 when none did, so the next
    // call asks again. A chosen port is kept.
    void DeterminePlayerController();
    // Clears the entity, the interaction target and the time played; then -1
    // destroys the loaded configuration (true), another id loads it (false
    // when that fails, or logged when it makes no entity: a map cannot be
    // played without its player) and takes its entity as the player's:
    // named "Player", region -1. The controller port is kept.
    bool UpdatePlayerConfig(int nConfigId);
    // Empties the player configuration's pool and its sound pool.
    static void FreePlayerConfigMemory();
    // Stops at the largest count of ticks (a time played from a save may
    // start next to it).
    static void UpdateTimePlayed(cTimeValue step)
    {
        const int64_t n = int64_t{s_timePlayed.m_nTicks} + step.m_nTicks;
        s_timePlayed = cTimeValue(static_cast<int32_t>(n > INT32_MAX ? INT32_MAX : n < INT32_MIN ? INT32_MIN : n));
    }
    // Where effects' rumble is felt from: the player's controller and, while
    // the player's entity runs, its world position (the world origin when
    // its region's zone is not resident), otherwise the game camera's.
    // Always answers; a controller of -1 makes effects rumble nothing.
    // Installed as gcEffect's listener when the game starts.
    static bool GetRumbleListener(int* pController, mVec3* pWorldPos);

    // What the player classes (on foot and flying) share: their collider,
    // the reporting of its contacts, suspending and enabling, and the
    // scripts of a tick.

    // The sweeps of both players: at most so many collide-and-slide rounds
    // a move, and unembedding rounds of at most so many slides.
    static constexpr int kMaxCollideRounds = 8;
    static constexpr int kMaxUnembedRounds = 4;
    static constexpr int kMaxUnembedSlides = 4;

    // One contact of a player's collider as the players report it.
    struct Contact {
        eCollisionContact world;  // in world space
        gcSurface* pSurface;      // the game's surface touched; null for any other
        gcGameObject* pTouched;   // the game object owning the touched geometry, or null
        mOCS where;               // at the touched point, forward along the contact normal
    };
    // Sets up a sweep of the radii from the frame's origin (zone space of the
    // player's zone) along the unit direction for the distance, ignoring the
    // player's own model, and culls the zone for it. False, nothing set up,
    // while the player is in no zone.
    static bool SetUpCollider(const gcEntity& player, const mOCS& frame, const mVec3& dir, float fDist,
                              const mVec3& radii, uint32_t nMask, eColliderEllipse* pCollider);
    // The collider's end back into the frame, only when it moved more than
    // the collider's zero tolerance.
    static void TakeColliderPosition(const gcEntity& player, const eColliderEllipse& collider, mOCS* pFrame);
    // Contact n in reporting order: the blocking ones, the touch-only ones,
    // then the embedded ones, each list in order. False past the last.
    static bool GetContact(const eColliderEllipse& collider, int n, Contact* pOut);
    // The surface's OnTouched for the player (participant 1 the touched
    // object, location the contact frame, Param1 fParam1): its return value;
    // 0 without a game surface.
    static float ApplyTouched(gcEntity* pPlayer, const Contact& contact, float fParam1);
    // Message 122 with the contact frame to the touched object, if any.
    static void SendTouched(gcEntity* pPlayer, const Contact& contact);
    // Deactivate or Freeze: false when its flag is already set; otherwise
    // the target is dropped, the flag set, the message passed to everything
    // attached, and the player suspended into nDisabledState keeping its
    // state's countdown (no exit), unless already there.
    static bool Suspend(gcCreature* pPlayer, const gcMsg& msg, int nDisabledState);
    // Activate or Unfreeze in the disabled state: clears its flag; with
    // neither flag left the player enables (bRunnable false, or a failing
    // Enable, leaves it deactivated) and resumes the suspended state without
    // its enter, or starts state 0. The message goes on to everything
    // attached.
    static void Resume(gcCreature* pPlayer, const gcMsg& msg, bool bRunnable);
    // The end of a movement step: the frame written back into the model
    // (its zone frame brought up to date), the triggers met from p0 to the
    // frame's origin reported and the path position updated.
    static void PlaceMoved(gcEntity* pPlayer, const mOCS& frame, const mVec3& p0);
    // While the player is active: its model's and shadow's update, then its
    // region. False only when that finds it outside every zone (frozen).
    static bool UpdateInWorld(gcEntity* pPlayer, cTimeValue step);
    // PlayAnimation: the priority's state (the four states by priority)
    // plays the message's configuration, timed by it, when the current
    // state is not above it. False (not taken) otherwise, and for a
    // priority outside the table.
    static bool PlayByPriority(gcCreature* pPlayer, const gcMsg& msg, const int8_t (&states)[4]);
    // FaceDir: the desired heading, pitch and roll become the message's.
    // False, nothing changed, unless all three are finite.
    static bool FaceDir(gcEntity* pPlayer, const gcMsg& msg);
    // The scripts of a tick: the state machine's tick (the template's
    // OnUpdate without one), the current configuration's OnUpdated (skipped,
    // and the flag cleared, on the first tick after it started) and the
    // texture blend.
    static void RunTickScripts(gcEntity* pPlayer, const gcMsgTick& msg);

    gcEntity* m_pEntity = nullptr;          // null when no configuration is loaded
    gcEntity* m_pInteractTarget = nullptr;  // refreshed each tick by the biped; null once it is destroyed
    int32_t m_nControllerId = -1;           // port 0-3; -1 until one is chosen

    static cTimeValue s_timePlayed;  // ticks; read and restored by the saves
};
