#include "cCore/cThread.h"

#include <gtest/gtest.h>

#include "cCore/cLock.h"
#include "cCore/cLog.h"
#include "testDeadline.h"

namespace {

class RecordingThread : public cThread {
public:
    explicit RecordingThread(cThreadPriority priority = THREADPRIORITY_LOW) : cThread(priority) {}
    bool Run() override
    {
        ++nRuns;
        bInPrimaryInside = InPrimary();
        pRecordInside = OSGetCurrentThread();
        nPriorityInside = OSGetThreadPriority(pRecordInside);
        return true;
    }
    int nRuns = 0;
    bool bInPrimaryInside = true;
    OSThread* pRecordInside = nullptr;
    int nPriorityInside = -1;
};

void Finish(cThread& thread)
{
    WithinDeadline("cThread::WaitForFinish", [&] { thread.WaitForFinish(); });
}

struct SilenceLog {
    cLogFunc previous = cLogSetCallback(nullptr, nullptr);
    ~SilenceLog() { cLogSetCallback(previous, nullptr); }
};

}  // namespace

TEST(cThread, StartedJoinedAndRestartedOnTheSameRecord)
{
    EXPECT_TRUE(cThread::InPrimary());
    RecordingThread thread;
    Finish(thread);  // never started: returns at once
    EXPECT_FALSE(thread.IsRunning());

    ASSERT_TRUE(thread.Start());
    EXPECT_TRUE(thread.IsRunning());
    EXPECT_EQ(thread.nRuns, 0) << "a LOW thread waits while the main thread runs";
    Finish(thread);
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(thread.nRuns, 1);
    EXPECT_FALSE(thread.bInPrimaryInside);
    EXPECT_EQ(thread.nPriorityInside, 31);
    OSThread* firstRecord = thread.pRecordInside;

    ASSERT_TRUE(thread.Start());
    Finish(thread);
    EXPECT_EQ(thread.nRuns, 2);
    EXPECT_EQ(thread.pRecordInside, firstRecord);
    EXPECT_TRUE(cThread::InPrimary());
}

TEST(cLock, IsRecursiveForItsOwner)
{
    cLock lock;
    lock.Lock();
    EXPECT_TRUE(lock.TryLock());
    lock.Unlock();
    lock.Unlock();
    {
        cLockScope scope(lock);
        EXPECT_TRUE(lock.TryLock());
        lock.Unlock();
    }
    EXPECT_NE(cThreadGetLock(), nullptr);
    EXPECT_EQ(cThreadGetLock(), cThreadGetLock());
}

TEST(cThread, HighThreadRunsAtStart)
{
    RecordingThread thread(cThread::THREADPRIORITY_HIGH);
    ASSERT_TRUE(thread.Start());
    EXPECT_EQ(thread.nRuns, 1);
    EXPECT_EQ(thread.nPriorityInside, 1);
    Finish(thread);
}

TEST(cThread, SecondStartWhileOneRunsIsRefused)
{
    SilenceLog silence;
    RecordingThread first;
    RecordingThread second;
    ASSERT_TRUE(first.Start());
    EXPECT_FALSE(second.Start());
    EXPECT_FALSE(second.IsRunning());
    Finish(first);
    ASSERT_TRUE(second.Start());
    Finish(second);
    EXPECT_EQ(first.nRuns, 1);
    EXPECT_EQ(second.nRuns, 1);
}

TEST(cThread, YieldLetsTheLowThreadRunAndKeepsThePriority)
{
    RecordingThread thread;
    ASSERT_TRUE(thread.Start());
    OSThread* self = OSGetCurrentThread();
    const int nPriority = OSGetThreadPriority(self);
    cThread::Yield();
    EXPECT_EQ(thread.nRuns, 1);
    EXPECT_EQ(OSGetThreadPriority(self), nPriority);
    Finish(thread);
}
