#pragma once
// Streams one region into one slot on its own thread while the map loop
// runs; the map attaches it on the main thread once the thread has ended.
// One instance, made on first use with the lowest priority.

#include "cCore/cThread.h"

class gcRegion;

class gcRegionLoader : public cThread {
public:
    static gcRegionLoader* Get();

    // Main thread: stores the request, forgets the last result and starts
    // the thread.
    bool Load(int nRegionId, int slot);
    // Loader thread: the map's LoadRegion; true when the slot holds it.
    bool Run() override;
    // Main thread: back to no request and no result.
    void Clear();
    ~gcRegionLoader() override;

    gcRegion* m_pLoadedRegion = nullptr;  // what the last run produced
    int m_nRegionId = -1;
    int m_nRegionIndex = -1;

private:
    gcRegionLoader() : cThread(THREADPRIORITY_LOW) {}
};
