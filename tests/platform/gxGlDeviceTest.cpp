// The render thread's task queue: a poster far ahead of a stalled render
// thread waits at the queue's limit, gives the OS CPU to other threads while
// it waits, and every task still runs once, in posting order.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <numeric>
#include <thread>
#include <vector>

#include "../test/gx_test.h"
#include "gx/gl/gxGlDevice.h"
#include "gxRenderGate.h"
#include "platform/os.h"
#include "testDeadline.h"

namespace {

using gxgl::GlDevice;

// A low-priority OS thread: it runs only once the poster gives up the CPU,
// notes how full the queue is then and lets the render thread go on.
struct Opener {
    OSThread thread;
    RenderGate* pGate = nullptr;
    size_t tasks = 0;
    size_t bytes = 0;
};

void* OpenWhenRun(void* arg)
{
    Opener* o = static_cast<Opener*>(arg);
    GlDevice::Get().QueueUse(&o->tasks, &o->bytes);
    o->pGate->Open();
    return nullptr;
}

struct QueueRow {
    const char* name;
    size_t bytesPerTask;
    size_t limit;  // tasks queued when the poster has to wait
};

const QueueRow kRows[] = {
    {"task count", 0, GlDevice::kMaxQueuedTasks},
    {"declared bytes", GlDevice::kMaxQueuedBytes / 8, 8},
    {"a task over the byte limit alone", GlDevice::kMaxQueuedBytes + 1, 1},
};

}  // namespace

TEST(GlDeviceQueue, PosterFarAheadWaitsAtTheLimitAndEveryTaskRunsInOrder)
{
    if (!GXTestStartHeadless())
        GTEST_SKIP() << "no OpenGL 3.3 context";
    GlDevice& device = GlDevice::Get();
    for (const QueueRow& row : kRows) {
        SCOPED_TRACE(row.name);
        RenderGate gate;
        device.Post([&gate] { gate.Hold(); });
        gate.WaitEntered();

        Opener opener;
        opener.pGate = &gate;
        ASSERT_TRUE(OSCreateThread(&opener.thread, OpenWhenRun, &opener, nullptr, 0x10000, 30, 0));
        OSResumeThread(&opener.thread);

        const size_t count = row.limit * 2 + 3;
        std::vector<size_t> order;
        std::atomic<size_t> mostQueued{0};
        WithinDeadline("posting past the queue's limit", [&] {
            for (size_t i = 0; i < count; ++i) {
                device.Post(
                    [&order, &mostQueued, i] {
                        order.push_back(i);
                        size_t tasks = 0, bytes = 0;
                        GlDevice::Get().QueueUse(&tasks, &bytes);
                        mostQueued = std::max(mostQueued.load(), tasks);
                    },
                    row.bytesPerTask);
            }
            device.Finish();
        });
        OSJoinThread(&opener.thread, nullptr);

        EXPECT_EQ(opener.tasks, row.limit);
        EXPECT_LE(opener.bytes, std::max(GlDevice::kMaxQueuedBytes, row.bytesPerTask));
        EXPECT_LE(mostQueued.load(), row.limit);
        std::vector<size_t> expected(count);
        std::iota(expected.begin(), expected.end(), size_t{0});
        EXPECT_EQ(order, expected);
        size_t tasks = 1, bytes = 1;
        device.QueueUse(&tasks, &bytes);
        EXPECT_EQ(tasks, 0u);
        EXPECT_EQ(bytes, 0u);
    }
}
