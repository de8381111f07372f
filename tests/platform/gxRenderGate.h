#pragma once
// Holds the render thread inside one task until opened, so that what is
// posted meanwhile waits in its queue.

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

struct RenderGate {
    std::mutex mutex;
    std::condition_variable cv;
    bool bOpen = false;
    std::atomic<bool> bEntered{false};

    void Hold()
    {
        bEntered = true;
        std::unique_lock<std::mutex> lock(mutex);
        cv.wait(lock, [this] { return bOpen; });
    }
    void WaitEntered() const
    {
        while (!bEntered)
            std::this_thread::yield();
    }
    void Open()
    {
        std::lock_guard<std::mutex> lock(mutex);
        bOpen = true;
        cv.notify_all();
    }
};
