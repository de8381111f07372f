#pragma once
// The map as the top loop and the scripts' map requests see it: the
// resident map, its flags and its loop. The map itself (its file, groups,
// regions and the map loop) is built with the maps and derives from this;
// until then no map is ever resident. Lives in the Map pool; main thread.

#include <cstdint>

class gcMap {
public:
    static constexpr uint32_t kFlagEndMap = 0x2;  // leave the map loop at the next frame

    gcMap() { s_pMap = this; }
    virtual ~gcMap();
    gcMap(const gcMap&) = delete;
    gcMap& operator=(const gcMap&) = delete;

    // The map loop: one fixed step a frame until the end is requested.
    virtual void Run() = 0;

    uint32_t m_nFlags = 0;
    // The slot range [begin, end) of the map's entity group in
    // gcEntityMgr: the order creatures consider targets in.
    int32_t m_nEntityBegin = 0;
    int32_t m_nEntityEnd = 0;

    static gcMap* s_pMap;  // the resident map; null when none
};
