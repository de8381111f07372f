// The front end's core: the live state and its snapshots, GXInit, the FIFO
// stub, synchronisation, copies and the hand-over of commands to the backend.

#include "gx/gxFront_local.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <unordered_set>

#include "platform/os.h"

namespace {

gxState s_state;
std::shared_ptr<const gxState> s_pSnapshot;  // null when the state changed since the last one
GXFifoObj s_fifo;

std::mutex s_backendMutex;
const gxBackend* s_pBackend = nullptr;
// Whether a backend is registered, readable without the mutex: with none,
// a draw is counted and dropped without taking a snapshot, building a
// command or locking. Written under s_backendMutex.
std::atomic<bool> s_bHasBackend{false};

std::atomic<uint64_t> s_nDraws{0}, s_nVertices{0}, s_nCommands{0}, s_nRejectedLists{0};

std::mutex s_logMutex;
std::unordered_set<const void*> s_loggedKeys;
constexpr size_t kMaxLoggedKeys = 4096;  // beyond this, new keys are not logged at all
bool s_bLogKeysFull = false;

void OnStoredRange(const void* addr, uint32_t len)
{
    gxStoredRangesAdd(addr, len);
    gxCommand cmd;
    cmd.kind = gxCommandKind::kInvalidateRange;
    cmd.rangeAddr = addr;
    cmd.rangeBytes = len;
    gxSubmit(std::move(cmd));
}

// Memory about to be filled anew: what was stored there no longer bounds an array.
void OnInvalidatedRange(const void* addr, uint32_t len) { gxStoredRangesRemove(addr, len); }

bool InBlock(const void* p, const void* addr, uint64_t len)
{
    const uintptr_t a = reinterpret_cast<uintptr_t>(addr);
    const uintptr_t x = reinterpret_cast<uintptr_t>(p);
    return p && x >= a && x - a < len;
}

// A heap block is about to be freed. On the console freed memory stays
// readable and the program only has to wait for the GPU before reusing it;
// here the render thread would read memory the host took back. So texture
// maps and palettes of the live state that name the block are forgotten (a
// later draw that names them samples white, not freed memory), textures
// decoded from it are dropped (a new block at the same address is new data),
// its bytes leave the announced ranges (they no longer bound an array), and every command queued so far is replayed before the memory goes.
void OnHeapBlockFreed(const void* addr, uint64_t len)
{
    gxStoredRangesRemove(addr, len);
    for (int map = 0; map < kGxNumTexMaps; ++map) {
        if (s_state.texMapLoaded[map] && InBlock(s_state.texMaps[map].image, addr, len)) {
            gxMut().texMaps[map] = GXTexObj{};
            gxMut().texMapLoaded[map] = false;
        }
    }
    for (int slot = 0; slot < kGxNumTluts; ++slot) {
        if (InBlock(s_state.tluts[slot].lut, addr, len))
            gxMut().tluts[slot] = GXTlutObj{};
    }
    gxCommand cmd;
    cmd.kind = gxCommandKind::kInvalidateRange;
    cmd.rangeAddr = addr;
    cmd.rangeBytes = static_cast<uint32_t>(std::min<uint64_t>(len, UINT32_MAX));
    gxSubmit(std::move(cmd));
    GXDrawDone();
}

// Passes a counted command to the backend; dropped when none is registered.
void HandOver(gxCommand&& cmd)
{
    if (!s_bHasBackend.load(std::memory_order_acquire))
        return;
    std::lock_guard<std::mutex> lock(s_backendMutex);
    if (s_pBackend && s_pBackend->submit)
        s_pBackend->submit(std::move(cmd));
}

}  // namespace

const gxState& gxGet() { return s_state; }

gxState& gxMut()
{
    s_pSnapshot.reset();
    return s_state;
}

std::shared_ptr<const gxState> gxSnapshot()
{
    if (!s_pSnapshot)
        s_pSnapshot = std::make_shared<const gxState>(s_state);
    return s_pSnapshot;
}

const gxBackend* gxSetBackend(const gxBackend* backend)
{
    std::lock_guard<std::mutex> lock(s_backendMutex);
    const gxBackend* previous = s_pBackend;
    s_pBackend = backend;
    s_bHasBackend.store(backend != nullptr, std::memory_order_release);
    return previous;
}

void gxSubmit(gxCommand&& cmd)
{
    s_nCommands.fetch_add(1, std::memory_order_relaxed);
    HandOver(std::move(cmd));
}

void gxSubmitDraw(GXPrimitive primitive, GXVtxFmt fmt, uint32_t attrMask, gxVertexData&& vertices)
{
    gxCountDraws(1, vertices.size());
    gxHandOverDraw(primitive, fmt, attrMask, std::move(vertices));
}

void gxHandOverDraw(GXPrimitive primitive, GXVtxFmt fmt, uint32_t attrMask, gxVertexData&& vertices)
{
    if (!s_bHasBackend.load(std::memory_order_acquire))
        return;
    gxCommand cmd;
    cmd.kind = gxCommandKind::kDraw;
    cmd.state = gxSnapshot();
    cmd.primitive = primitive;
    cmd.vtxFmt = fmt;
    cmd.attrMask = attrMask;
    cmd.vertices = std::move(vertices);
    HandOver(std::move(cmd));
}

void gxCountDraws(uint64_t draws, uint64_t vertices)
{
    if (draws == 0)
        return;
    s_nDraws.fetch_add(draws, std::memory_order_relaxed);
    s_nVertices.fetch_add(vertices, std::memory_order_relaxed);
    s_nCommands.fetch_add(draws, std::memory_order_relaxed);
}

void gxCountRejectedList() { s_nRejectedLists.fetch_add(1, std::memory_order_relaxed); }

gxFrontStats gxGetFrontStats()
{
    gxFrontStats stats;
    stats.draws = s_nDraws.load();
    stats.vertices = s_nVertices.load();
    stats.commands = s_nCommands.load();
    stats.rejectedLists = s_nRejectedLists.load();
    return stats;
}

void gxLog(const char* fmt, ...)
{
    char text[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof(text), fmt, args);
    va_end(args);
    OSReport("GX: %s\n", text);
}

bool gxTakeLogKey(const void* key)
{
    std::lock_guard<std::mutex> lock(s_logMutex);
    if (s_loggedKeys.count(key))
        return false;
    if (s_loggedKeys.size() >= kMaxLoggedKeys) {
        if (!s_bLogKeysFull)
            OSReport("GX: too many distinct errors; further ones are not logged\n");
        s_bLogKeysFull = true;
        return false;
    }
    s_loggedKeys.insert(key);
    return true;
}

void gxLogOnce(const void* key, const char* fmt, ...)
{
    if (!gxTakeLogKey(key))
        return;
    char text[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof(text), fmt, args);
    va_end(args);
    OSReport("GX: %s\n", text);
}

void gxLogResetKeys()
{
    std::lock_guard<std::mutex> lock(s_logMutex);
    s_loggedKeys.clear();
    s_bLogKeysFull = false;
}

int gxLightIndex(uint32_t id)
{
    if (id == 0 || id >= GX_MAX_LIGHT)
        return -1;
    return __builtin_ctz(id);
}

GXFifoObj* GXInit(void* base, uint32_t size)
{
    gxStateReset(gxMut());
    gxStoredRangesClear();
    gxLogResetKeys();
    s_nDraws = 0;
    s_nVertices = 0;
    s_nCommands = 0;
    s_nRejectedLists = 0;
    s_fifo.base = static_cast<uint8_t*>(base);
    s_fifo.size = size;
    s_fifo.readPtr = s_fifo.base;
    s_fifo.writePtr = s_fifo.base;
    DCSetStoreListener(&OnStoredRange);
    DCSetInvalidateListener(&OnInvalidatedRange);
    OSSetHeapFreeListener(&OnHeapBlockFreed);
    // Pools freed by static destructors at exit outlive this file's state.
    static const bool s_bAtExit = (std::atexit([] { OSSetHeapFreeListener(nullptr); }), true);
    (void)s_bAtExit;
    return &s_fifo;
}

void GXGetFifoPtrs(GXFifoObj* fifo, void** readPtr, void** writePtr)
{
    const GXFifoObj& f = fifo ? *fifo : s_fifo;
    if (readPtr)
        *readPtr = f.readPtr;
    if (writePtr)
        *writePtr = f.writePtr;
}

void GXFlush() {}
void GXPixModeSync() {}
void GXInvalidateVtxCache() {}

void GXDrawDone()
{
    void (*drawDone)() = nullptr;
    {
        std::lock_guard<std::mutex> lock(s_backendMutex);
        if (s_pBackend)
            drawDone = s_pBackend->drawDone;
    }
    // Called outside the lock: the backend may submit nothing meanwhile, but
    // a loader thread's invalidation must not deadlock against the wait.
    if (drawDone)
        drawDone();
}

namespace {
uint64_t s_nDisplayCopies = 0;  // 64 bits: a frame limit may pass 2^32
}

uint64_t gxDisplayCopyCount()
{
    return s_nDisplayCopies;
}

void GXCopyDisp(void* dest, GXBool clear)
{
    ++s_nDisplayCopies;
    gxCommand cmd;
    cmd.kind = gxCommandKind::kCopyDisp;
    cmd.state = gxSnapshot();
    cmd.dest = dest;
    cmd.clear = clear != 0;
    gxSubmit(std::move(cmd));
}

void GXCopyTex(void* dest, GXBool clear)
{
    gxCommand cmd;
    cmd.kind = gxCommandKind::kCopyTex;
    cmd.state = gxSnapshot();
    cmd.dest = dest;
    cmd.clear = clear != 0;
    gxSubmit(std::move(cmd));
}

void GXInvalidateTexAll()
{
    gxCommand cmd;
    cmd.kind = gxCommandKind::kInvalidateTexAll;
    gxSubmit(std::move(cmd));
}
