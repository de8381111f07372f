#pragma once
// The player record, as far as the game flow needs it today: which
// controller port the player uses. The record itself (its entity, its
// configuration, time played) is made with the players; until then there is
// none and Get returns null. Main thread.

#include <cstdint>

class gcPlayer {
public:
    static gcPlayer* Get() { return s_pPlayer; }  // null while there is no player record

    int32_t m_nControllerId = -1;  // port 0-3; -1 until one is chosen

    static gcPlayer* s_pPlayer;
};
