#pragma once
// Loads the requested streamed cinematic on its own thread while the map
// loop runs. One instance, made on first use with the lowest priority;
// Load on the main thread, Run on the loader thread.

#include "cCore/cThread.h"

class gcStreamedCinematicLoader : public cThread {
public:
    static gcStreamedCinematicLoader* Get();

    // Main thread: stores the request, clears the failure and starts the
    // thread; false (logged) when it did not start.
    bool Load(int nId);
    // Loader thread: gcStreamedCinematic::Load; a failure sets m_bLoadFailed.
    bool Run() override;
    ~gcStreamedCinematicLoader() override;

    bool m_bLoadFailed = false;
    int m_nCinematicToLoad = -1;

private:
    gcStreamedCinematicLoader() : cThread(THREADPRIORITY_LOW) {}
};
