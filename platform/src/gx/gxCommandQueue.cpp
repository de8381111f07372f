// The command FIFO a backend or a test may drain, and the quad split.

#include "gx/gxCommand.h"

void gxCommandQueue::Push(gxCommand&& cmd)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_bClosed)
            return;
        m_commands.push_back(std::move(cmd));
    }
    m_cv.notify_one();
}

bool gxCommandQueue::WaitPop(gxCommand& out)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_cv.wait(lock, [this] { return m_bClosed || !m_commands.empty(); });
    if (m_commands.empty())
        return false;
    out = std::move(m_commands.front());
    m_commands.pop_front();
    return true;
}

bool gxCommandQueue::TryPop(gxCommand& out)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_commands.empty())
        return false;
    out = std::move(m_commands.front());
    m_commands.pop_front();
    return true;
}

size_t gxCommandQueue::Size()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_commands.size();
}

void gxCommandQueue::Close()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bClosed = true;
    }
    m_cv.notify_all();
}

void gxCommandQueue::Reopen()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bClosed = false;
}

size_t gxCommandBytes(const gxCommand& cmd)
{
    return sizeof(gxCommand) + cmd.vertices.ByteSize() + (cmd.state ? sizeof(gxState) : 0);
}

uint32_t gxQuadIndices(uint32_t vertexCount, uint32_t* out)
{
    const uint32_t quads = vertexCount / 4;
    for (uint32_t q = 0; q < quads; ++q) {
        const uint32_t v = q * 4;
        uint32_t* o = out + q * 6;
        o[0] = v; o[1] = v + 1; o[2] = v + 2;
        o[3] = v; o[4] = v + 2; o[5] = v + 3;
    }
    return quads * 6;
}

const char* gxCommandKindText(int value)
{
    switch (static_cast<gxCommandKind>(value)) {
    case gxCommandKind::kDraw: return "draw";
    case gxCommandKind::kCopyDisp: return "copy to display";
    case gxCommandKind::kCopyTex: return "copy to texture";
    case gxCommandKind::kInvalidateTexAll: return "invalidate all textures";
    case gxCommandKind::kInvalidateRange: return "invalidate range";
    }
    return "???";
}
