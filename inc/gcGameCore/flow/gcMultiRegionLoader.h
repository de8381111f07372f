#pragma once
// Loads a region and all its neighbours at once, for a script's region-load
// request, on its own thread while the main thread draws the interface over
// a cleared screen. One instance, made on first use with the lowest
// priority. Load on the main thread.

#include "cCore/cThread.h"

class gcMultiRegionLoader : public cThread {
public:
    static gcMultiRegionLoader* Get();

    // Main thread: true when the regions loaded. The last frame is drawn
    // but not shown; the map loop's next frame shows it.
    bool Load(int nRegionId);
    // Loader thread: the map's LoadRegions.
    bool Run() override;
    void Update();
    void Draw();
    ~gcMultiRegionLoader() override;

    bool m_bLoadFailed = false;
    int m_nRegionId = -1;

private:
    gcMultiRegionLoader() : cThread(THREADPRIORITY_LOW) {}
};
