#pragma once
// The command list the graphics front end hands to the backend: draws with
// their decoded vertices and a state snapshot, frame-buffer copies, cache
// invalidations. Backend-agnostic plain data; no GL here.
//
// Who implements what:
// - Front end (platform/src/gx/, this side): every function of gx.h and
//   mtx.h. State calls change gxState; GXBegin/GXEnd and GXCallDisplayList
//   decode vertices on the calling thread; GXCopyDisp, GXCopyTex,
//   GXInvalidateTexAll and draws become commands passed to the backend in
//   call order; GXDrawDone calls the backend's drawDone. GXInit registers the
//   data-cache store listener (DCSetStoreListener): each stored range is
//   recorded for array bounds and forwarded as a kInvalidateRange command, so
//   the backend must not register a listener of its own.
// - Backend (platform/src/gx/gl/): registers a gxBackend with gxSetBackend
//   when its render thread is ready, and replays every command kind below.
//   Texel and palette memory named by texture/TLUT objects in a snapshot is
//   read by the backend (it stays valid until GXDrawDone returns).
//
// Threads: submit is called on whichever thread made the GX call, in order
// per thread; commands from loader threads (invalidations) interleave with
// the main thread's whole commands, never inside one.

#include <cstddef>
#include <cstdint>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "gx/gxState.h"

// One decoded vertex. Attributes absent from the vertex keep the defaults
// below (see gxCommand::attrMask). POD, so a vector of them uploads as is.
struct gxVertex {
    float pos[3];        // model space
    float nrm[3];        // as stored (not normalised); NBT keeps only N
    float tex[8][2];     // s, t (t = 0 for one-component coordinates)
    uint8_t clr[2][4];   // RGBA8 per colour; absent colours are 0
    uint8_t pnMtx;       // position/normal matrix row (the current matrix when absent)
    uint8_t texMtx[8];   // texture matrix rows (the current matrices when absent)
    uint8_t pad[3];
};
static_assert(sizeof(gxVertex) == 108, "gxVertex layout is shared with the backend");

// Where each attribute sits in the vertices of one draw. Display lists pack
// only the attributes their format carries; immediate mode keeps whole
// gxVertex records (the default layout). Every attribute is 4-byte aligned:
// pos and nrm three floats, a colour four bytes RGBA8, a coordinate two
// floats (s, t), and the matrix rows one 12-byte block (pnMtx, texMtx[8],
// three zero bytes). A position of three s16 components or a coordinate of
// two keeps its shorts (native order; a position padded to 8 bytes with
// zeros): its value is each short times the attribute's scale, which the
// backend applies where it reads them. Shorts are half the bytes to write
// and upload, and the conversion is exact wherever it is made.
struct gxVertexLayout {
    static constexpr uint16_t kAbsent = 0xFFFF;
    uint16_t stride = sizeof(gxVertex);
    uint16_t pos = offsetof(gxVertex, pos);
    uint16_t nrm = offsetof(gxVertex, nrm);
    uint16_t clr[2] = {offsetof(gxVertex, clr), offsetof(gxVertex, clr) + 4};
    uint16_t tex[8] = {offsetof(gxVertex, tex) + 0,  offsetof(gxVertex, tex) + 8,  offsetof(gxVertex, tex) + 16,
                       offsetof(gxVertex, tex) + 24, offsetof(gxVertex, tex) + 32, offsetof(gxVertex, tex) + 40,
                       offsetof(gxVertex, tex) + 48, offsetof(gxVertex, tex) + 56};
    uint16_t mtx = offsetof(gxVertex, pnMtx);
    // Attributes kept as shorts: bit 0 the position, bit 1 + n coordinate n.
    uint16_t shorts = 0;
    float posScale = 1.0f;
    float texScale[8] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
    // The matrix rows of every vertex when the block is absent.
    uint8_t pnMtx = 0;
    uint8_t texMtx[8] = {};
    bool operator==(const gxVertexLayout&) const = default;

    static constexpr uint16_t kPosShorts = 1;
    static constexpr uint16_t TexShorts(int n) { return static_cast<uint16_t>(2u << n); }
};

// The vertices of one draw in a layout. Reading one gives the whole record,
// absent attributes at the gxVertex defaults (0, or the layout's matrix rows).
class gxVertexData {
public:
    gxVertexData() = default;
    explicit gxVertexData(std::vector<gxVertex>&& records);
    // count vertices of the layout, their bytes left for the caller to fill.
    gxVertexData(const gxVertexLayout& layout, uint32_t count);

    // Becomes count vertices of the layout, their bytes left for the caller
    // to fill; the packed storage is kept when it is large enough, so a
    // decoder reusing one object allocates only when a draw outgrows it.
    void Reshape(const gxVertexLayout& layout, uint32_t count);

    size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    gxVertex operator[](size_t i) const;
    // Keeps the first count vertices.
    void Truncate(size_t count);

    const gxVertexLayout& Layout() const { return m_layout; }
    const uint8_t* Bytes() const;
    uint8_t* MutableBytes() { return m_packed.get(); }
    size_t ByteSize() const { return m_count * m_layout.stride; }

private:
    gxVertexLayout m_layout;
    size_t m_count = 0;
    std::vector<gxVertex> m_records;      // the default layout
    std::unique_ptr<uint8_t[]> m_packed;  // any other (left uninitialised: the decoder writes every byte)
    size_t m_capacity = 0;                // bytes at m_packed (stale once m_packed is moved away)
};

enum class gxCommandKind : uint8_t {
    kDraw,               // primitive, vtxFmt, attrMask, vertices, state
    kCopyDisp,           // dest, clear, state (copy settings and clear values in state->copy)
    kCopyTex,            // dest, clear, state
    kInvalidateTexAll,   // forget every cached texture
    kInvalidateRange,    // rangeAddr, rangeBytes: CPU finished writing this memory
};
const char* gxCommandKindText(int value);

struct gxCommand {
    gxCommandKind kind = gxCommandKind::kDraw;
    std::shared_ptr<const gxState> state;  // the state at the call; shared between calls with no change between them

    // kDraw. Vertices in submission order; quads are not yet split (see
    // gxQuadIndices). Bit n of attrMask is set when GXAttr n was in the vertex.
    GXPrimitive primitive = GX_TRIANGLES;
    GXVtxFmt vtxFmt = GX_VTXFMT0;
    uint32_t attrMask = 0;
    gxVertexData vertices;

    // kCopyDisp, kCopyTex.
    void* dest = nullptr;
    bool clear = false;

    // kInvalidateRange.
    const void* rangeAddr = nullptr;
    uint32_t rangeBytes = 0;
};

// The backend's entry points, registered once its render thread runs.
struct gxBackend {
    // Takes ownership of the command; any thread; should only queue it.
    void (*submit)(gxCommand&& cmd);
    // Returns once every command submitted so far has been replayed.
    void (*drawDone)();
};
// Registers the backend (null detaches) and returns the one registered
// before. Without one, commands are counted and dropped and GXDrawDone
// returns at once, so the front end runs in tests without video.
const gxBackend* gxSetBackend(const gxBackend* backend);

// Front-end counters since GXInit, for tests and statistics.
struct gxFrontStats {
    uint64_t draws = 0;
    uint64_t vertices = 0;
    uint64_t commands = 0;
    uint64_t rejectedLists = 0;  // display lists cut short by bad data
};
gxFrontStats gxGetFrontStats();

// Indices splitting a quad list into triangles (0,1,2) (0,2,3) per quad; a
// trailing incomplete quad is dropped. Returns the index count written
// (6 per whole quad); out must hold that many.
uint32_t gxQuadIndices(uint32_t vertexCount, uint32_t* out);

// The memory a queued command holds: the command, its vertices and its state
// snapshot (counted whole, though consecutive commands may share one).
size_t gxCommandBytes(const gxCommand& cmd);

// A thread-safe FIFO of commands for a backend (or a test) that drains on
// its own thread.
class gxCommandQueue {
public:
    void Push(gxCommand&& cmd);
    // Blocks until a command is available or Close was called; false when
    // closed and empty.
    bool WaitPop(gxCommand& out);
    bool TryPop(gxCommand& out);
    size_t Size();
    void Close();  // wakes waiters; later pushes are dropped
    void Reopen();

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<gxCommand> m_commands;
    bool m_bClosed = false;
};
