#include "cCore/cThread.h"

#include <cstdint>

#include "cCore/cLock.h"
#include "cCore/cLog.h"

const int cThread::s_threadPriority[THREADPRIORITY_COUNT] = {31, 15, 1};

OSThread cThread::s_threads[kMaxThreads];
uint8_t cThread::s_threadStack[kMaxThreads][kStackSize];
int cThread::s_nNextThread = 0;

cLock* cThreadGetLock()
{
    static cLock s_lock;
    return &s_lock;
}

cThread::cThread(cThreadPriority priority)
    : m_threadPriority(priority)
{
}

cThread::~cThread()
{
    WaitForFinish();
}

bool cThread::Start()
{
    if (m_threadPriority < THREADPRIORITY_LOW || m_threadPriority >= THREADPRIORITY_COUNT) {
        cLogError_("cThread: priority %d is outside 0..%d", m_threadPriority, THREADPRIORITY_COUNT - 1);
        return false;
    }
    cLock* pLock = cThreadGetLock();
    pLock->Lock();
    // The record and stack exist once: a second thread before the first one's
    // Run has returned would overwrite a live record.
    if (s_nNextThread >= kMaxThreads) {
        pLock->Unlock();
        cLogError_("cThread: a background thread is still running; Start refused");
        return false;
    }
    const int nIndex = s_nNextThread++;
    OSThread* pRecord = &s_threads[nIndex];
    *pRecord = OSThread{};
    m_pThread = pRecord;
    pLock->Unlock();

    m_bIsRunning = true;
    OSCheckActiveThreads();
    uint8_t* pStackTop = s_threadStack[nIndex] + kStackSize;
    if (!OSCreateThread(pRecord, ThreadFunc, this, pStackTop, kStackSize, s_threadPriority[m_threadPriority], 0)) {
        cLogError_("cThread: the OS could not create the thread");
        pLock->Lock();
        --s_nNextThread;
        pLock->Unlock();
        m_pThread = nullptr;
        m_bIsRunning = false;
        return false;
    }
    OSDetachThread(pRecord);
    OSResumeThread(pRecord);
    return true;
}

void* cThread::ThreadFunc(void* pSelf)
{
    cThread* pThread = static_cast<cThread*>(pSelf);
    const bool bResult = pThread->Run();
    pThread->m_pThread = nullptr;
    cLock* pLock = cThreadGetLock();
    pLock->Lock();
    --s_nNextThread;
    pLock->Unlock();
    pThread->m_bIsRunning = false;
    return reinterpret_cast<void*>(static_cast<intptr_t>(bResult));
}

void cThread::WaitForFinish()
{
    // m_pThread is cleared by the thread itself; keep the record to join on.
    OSThread* pRecord = m_pThread;
    if (!pRecord) {
        if (!m_bIsRunning)
            return;
        pRecord = &s_threads[0];  // Run has returned and the thread is ending
    }
    OSJoinThread(pRecord, nullptr);
}

void cThread::Yield()
{
    OSThread* pSelf = OSGetCurrentThread();
    if (!pSelf) {
        OSYieldThread();
        return;
    }
    // At the lowest priority even the LOW loader thread gets the CPU.
    const int nPriority = OSGetThreadPriority(pSelf);
    OSSetThreadPriority(pSelf, OS_PRIORITY_MAX);
    OSYieldThread();
    OSSetThreadPriority(pSelf, nPriority);
}

bool cThread::InPrimary()
{
    const OSThread* pCurrent = OSGetCurrentThread();
    return !(pCurrent >= &s_threads[0] && pCurrent < &s_threads[kMaxThreads]);
}
