#pragma once
// Runs a step that waits for another thread (a join) under a deadline. A
// thread that never finishes would otherwise hang the test program until the
// runner's timeout; here the program ends at once with the step's name.

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

template <class Step>
decltype(auto) WithinDeadline(const char* what, Step&& step, std::chrono::seconds limit = std::chrono::seconds(10))
{
    struct Watchdog {
        std::mutex mutex;
        std::condition_variable done;
        bool bDone = false;
        std::thread thread;
        Watchdog(const char* what, std::chrono::seconds limit)
            : thread([this, what, limit] {
                  std::unique_lock<std::mutex> lock(mutex);
                  if (!done.wait_for(lock, limit, [this] { return bDone; })) {
                      std::fprintf(stderr, "FAILED: %s did not return within %lld s\n", what,
                                   static_cast<long long>(limit.count()));
                      std::_Exit(1);
                  }
              })
        {
        }
        ~Watchdog()
        {
            {
                std::lock_guard<std::mutex> lock(mutex);
                bDone = true;
            }
            done.notify_all();
            thread.join();
        }
    } watchdog(what, limit);
    return step();
}
