#pragma once
// The act as the top loop sees it: the resident act and its id. The act
// itself (its file, map names, and the map it holds, deleted with it) is
// built with the maps and derives from this. Lives in the Act pool; main
// thread.

#include <cstdint>

class gcAct {
public:
    gcAct() { s_pAct = this; }
    virtual ~gcAct();
    gcAct(const gcAct&) = delete;
    gcAct& operator=(const gcAct&) = delete;

    int32_t m_nActId = -1;  // index in the game's act names

    static gcAct* s_pAct;  // the resident act; null when none
};
