#pragma once
// The loaded player configuration, as far as the player record needs it:
// which configuration id is loaded and the player's entity built from its
// first entity template. Reading the configuration's file (its templates,
// sounds and entity) is the game flow's; until that is built, nothing
// creates one in the running game. Lives in the "Player Config" pool; main
// thread.

#include <cstdint>

class gcEntity;

class gcPlayerConfig {
public:
    explicit gcPlayerConfig(int32_t nConfigId) : m_nConfigId(nConfigId) { s_pPlayerConfig = this; }
    // Clears s_pPlayerConfig when it is this one; the memory stays with the pool.
    virtual ~gcPlayerConfig();
    gcPlayerConfig(const gcPlayerConfig&) = delete;
    gcPlayerConfig& operator=(const gcPlayerConfig&) = delete;

    int32_t m_nConfigId;              // index into the game's player-configuration names
    gcEntity* m_pEntity = nullptr;    // the player's entity; null when it has none

    static gcPlayerConfig* s_pPlayerConfig;  // the loaded configuration, or null
};
