#pragma once
// The one background thread: a derived class implements Run, the main thread
// calls Start and later WaitForFinish (or polls IsRunning). Only one cThread
// runs at a time (one static OS thread record and stack exist); it runs while
// threads of higher priority wait or yield. Start, WaitForFinish: main thread.

#include <cstdint>
#include "platform/os.h"

class cLock;

class cThread {
public:
    enum cThreadPriority {
        THREADPRIORITY_LOW = 0,
        THREADPRIORITY_NORMAL = 1,
        THREADPRIORITY_HIGH = 2,
        THREADPRIORITY_COUNT = 3,
    };
    static constexpr uint32_t kStackSize = 0x10000;
    static constexpr int kMaxThreads = 1;

    explicit cThread(cThreadPriority priority);
    virtual bool Run() = 0;
    // Waits for a thread still running, so the OS thread never writes to a
    // freed object. A derived class is already gone by then: owners call
    // WaitForFinish before destroying one.
    virtual ~cThread();
    cThread(const cThread&) = delete;
    cThread& operator=(const cThread&) = delete;

    // Creates and starts the OS thread that calls Run. False (logged) while
    // another cThread runs or when the OS cannot create the thread.
    bool Start();
    // Returns once Run has returned; at once for a thread not started.
    void WaitForFinish();
    bool IsRunning() const { return m_bIsRunning; }

    // Gives the CPU to any other ready thread, whatever its priority.
    static void Yield();
    // True unless called on the background thread.
    static bool InPrimary();

    static const int s_threadPriority[THREADPRIORITY_COUNT];  // OS priorities

protected:
    static void* ThreadFunc(void* pSelf);

    OSThread* m_pThread = nullptr;  // set by Start, cleared when Run returns
    cThreadPriority m_threadPriority;
    bool m_bIsRunning = false;

    static OSThread s_threads[kMaxThreads];
    static uint8_t s_threadStack[kMaxThreads][kStackSize];
    static int s_nNextThread;
};

cLock* cThreadGetLock();  // guards s_nNextThread; created on first use
