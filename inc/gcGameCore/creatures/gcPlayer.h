#pragma once
// The one record of the player: the entity the player controls, the entity
// it could interact with right now, the controller port that belongs to the
// player, and the time played with the current player configuration. Not a
// game object. Made on the first Get, lives to program exit; main thread.
// The entity pointers stay valid while the player configuration (and the
// region of the interaction target) stays loaded.

#include <cstdint>

#include "cCore/cTimeValue.h"
#include "mMath/mVec3.h"

class gcEntity;

class gcPlayer {
public:
    static gcPlayer* Get();  // made on the first call; never null

    // While no port is chosen: the first port pressing confirm, else the
    // first pressing start (ports in order); -1 when none did, so the next
    // call asks again. A chosen port is kept.
    void DeterminePlayerController();
    // Clears the entity and the time played; then -1 destroys the loaded
    // configuration (true), another id loads it (false when that fails) and
    // takes its entity as the player's: named "Player", region -1. The
    // controller port is kept.
    bool UpdatePlayerConfig(int nConfigId);
    // Empties the player configuration's pool and its sound pool.
    static void FreePlayerConfigMemory();
    static void UpdateTimePlayed(cTimeValue step) { s_timePlayed += step; }
    // Where effects' rumble is felt from: the player's controller and, while
    // the player's entity runs, its world position (the world origin when
    // its region's zone is not resident), otherwise the game camera's.
    // Always answers; a controller of -1 makes effects rumble nothing.
    // Installed as gcEffect's listener when the game starts.
    static bool GetRumbleListener(int* pController, mVec3* pWorldPos);

    gcEntity* m_pEntity = nullptr;          // null when no configuration is loaded
    gcEntity* m_pInteractTarget = nullptr;  // refreshed each tick by the biped
    int32_t m_nControllerId = -1;           // port 0-3; -1 until one is chosen

    static cTimeValue s_timePlayed;  // ticks; read and restored by the saves
};
