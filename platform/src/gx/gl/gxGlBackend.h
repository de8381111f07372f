#pragma once
// The OpenGL backend: replays the front end's commands on the render thread
// (draws through the uber-shader, copies to textures and to external frame
// buffers, texture-cache invalidations) and presents external frame buffers
// for the video interface. Owns every GL object of the layer.
//
// Attach registers it with the front end (gxSetBackend); commands then go to
// the render thread in submission order. Public calls other than Attach,
// Detach and the statistics run on the render thread (post them through
// GlDevice).

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include <epoxy/gl.h>

#include "gx/gl/gxGlDrawState.h"
#include "gx/gl/gxGlEfb.h"
#include "gx/gl/gxGlProgramCache.h"
#include "gx/gl/gxGlTextureCache.h"
#include "gx/gl/gxGlUniforms.h"
#include "gx/gxCommand.h"

namespace gxgl {

// What the last draw looked like, for tests.
struct GlLastDraw {
    std::shared_ptr<const gxState> state;
    GXPrimitive primitive = GX_TRIANGLES;
    uint32_t attrMask = 0;
    uint32_t vertexCount = 0;
};

class GlBackend {
public:
    static GlBackend& Get();

    // Render thread, with the context current.
    bool InitGl();
    void ReleaseGl();

    // Registers with the front end (any thread); Detach undoes it.
    void Attach();
    void Detach();

    // Render thread.
    void Execute(const gxCommand& cmd);
    // Whether draw b may be replayed in one OpenGL draw with draw a, right
    // after it: both triangle strips with vertices, the same snapshot and
    // the same attributes in one vertex layout. Joined strips are cut apart
    // by a restart index, so each draws the triangles it draws alone. Any
    // thread.
    static bool CanJoin(const gxCommand& a, const gxCommand& b);
    // Replays draws in order: one, or strips CanJoin accepted one by one.
    void ExecuteDraws(const std::vector<std::shared_ptr<const gxCommand>>& draws);
    // Shows the external frame buffer at xfb (black when black is set or
    // nothing was copied there) and keeps it as the last presented frame.
    // Without a window nothing looks at the frame until it is read, so it is
    // only noted then and composed by ReadPresented.
    void Present(const void* xfb, bool black, bool toWindow);
    // The last presented frame (640x480 RGBA8, rows from the top).
    void ReadPresented(std::vector<uint8_t>* rgba, int* width, int* height);
    // Presents composed so far (for tests: frames noted but never read
    // are not composed).
    uint64_t ComposedCount() const { return m_nComposed.load(); }
    GlEfb& Efb() { return m_efb; }
    // Draws with the generic program only (tests compare it with the
    // specialised ones).
    void ForceGenericProgram(bool on)
    {
        m_bForceGeneric = on;
        m_pLastState = nullptr;
    }
    GlTextureCache& Textures() { return m_textures; }
    const GlProgramCache& Programs() const { return m_programs; }

    // Any thread.
    uint64_t DrawCount() const { return m_nDraws.load(); }
    uint64_t VertexCount() const { return m_nVertices.load(); }
    // Draws replayed joined to others (CanJoin), for tests.
    uint64_t JoinedDrawCount() const { return m_nJoined.load(); }
    void ResetCounts();
    GlLastDraw LastDraw();

private:
    GlBackend() = default;
    void Draw(const gxCommand& cmd);
    bool PrepareDraw(const gxCommand& cmd);
    void UploadVertices(const uint8_t* bytes, size_t size, const gxVertexLayout& layout);
    void DrawJoinedStrips(const std::vector<std::shared_ptr<const gxCommand>>& draws);
    void NoteDraws(const gxCommand& last, uint64_t draws, uint64_t vertices);
    void CopyDisp(const gxCommand& cmd);
    void CopyTex(const gxCommand& cmd);
    void ApplyPipeline(const GlPipeline& p);
    void BindTextures(const gxState& s);
    void ClearRect(const gxRect& rect, const gxCopyState& copy);

    // An external frame buffer's texture and the size of its storage.
    struct Xfb {
        GLuint tex = 0;
        int width = 0;
        int height = 0;
    };
    // The frame the last retrace showed without a window, composed only when
    // read. A display copy into the frame buffer it shows meanwhile gets
    // the spare texture, so the frame keeps what was shown (it then owns
    // its texture, which becomes the next spare).
    struct Shown {
        bool pending = false;
        bool owned = false;
        Xfb frame;  // no texture: black
    };

    Xfb& CopyTargetXfb(const void* dest);
    void Compose(const Xfb* frame);
    void ComposeShown();
    void ShowInWindow();
    void DropShown();

    bool m_bReady = false;
    GlProgramCache m_programs;
    GLuint m_nProgram = 0;  // the program of the current parameter block
    bool m_bForceGeneric = false;
    GLuint m_ubo = 0;
    GLuint m_vao = 0;
    GLuint m_vbo = 0;
    GLuint m_ibo = 0;
    GLuint m_samplers[kMaxTexMaps] = {};
    GLuint m_presentTex = 0;
    GLuint m_presentFbo = 0;
    GLuint m_readFbo = 0;
    GlEfb m_efb;
    GlTextureCache m_textures;
    std::map<const void*, Xfb> m_xfbs;
    Shown m_shown;
    Xfb m_spareXfb;

    const gxState* m_pLastState = nullptr;  // the snapshot m_uniforms was built from
    uint32_t m_nLastAttrMask = 0;
    GlDrawUniforms m_uniforms = {};
    GlPipeline m_pipeline;
    std::vector<uint32_t> m_indices;
    std::vector<uint8_t> m_joined;  // the vertex bytes of joined strips

    std::atomic<uint64_t> m_nDraws{0};
    std::atomic<uint64_t> m_nVertices{0};
    std::atomic<uint64_t> m_nJoined{0};
    std::atomic<uint64_t> m_nComposed{0};
    std::mutex m_lastMutex;
    GlLastDraw m_last;
};

}  // namespace gxgl
