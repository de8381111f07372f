#include "gx/gl/gxGlBackend.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <numeric>

#include "gx/gl/gxGlDevice.h"
#include "platform/os.h"

namespace gxgl {

GlBackend& GlBackend::Get()
{
    static GlBackend s_backend;
    return s_backend;
}

// The index that ends one joined strip and starts the next.
constexpr uint32_t kRestartIndex = 0xFFFFFFFFu;

static void SubmitCommand(gxCommand&& cmd)
{
    const size_t bytes = gxCommandBytes(cmd);
    auto held = std::make_shared<const gxCommand>(std::move(cmd));
    if (held->kind == gxCommandKind::kDraw)
        GlDevice::Get().PostDraw(std::move(held), bytes);
    else
        GlDevice::Get().Post([held] { GlBackend::Get().Execute(*held); }, bytes);
}

static void WaitDrawDone()
{
    GlDevice::Get().Finish();
}

static const gxBackend s_entryPoints = {&SubmitCommand, &WaitDrawDone};

void GlBackend::Attach()
{
    gxSetBackend(&s_entryPoints);
}

void GlBackend::Detach()
{
    gxSetBackend(nullptr);
}

// The layout the vertex array's attributes point at (draws in a row mostly
// share one, so it is set only when it changes).
static gxVertexLayout s_boundLayout;

// Points the attributes at the draw's vertices in their layout; attributes
// the layout lacks read constants with gxVertex's defaults.
static void SetUpVertexLayout(const gxVertexLayout& l)
{
    s_boundLayout = l;
    const GLsizei stride = l.stride;
    auto at = [](size_t offset) { return reinterpret_cast<const void*>(offset); };
    // n floats, or four normalised bytes; absent, the constant (0, 0, 0, w).
    auto attribute = [&](GLuint index, GLint n, GLenum type, uint16_t offset, float w) {
        if (offset == gxVertexLayout::kAbsent) {
            glDisableVertexAttribArray(index);
            glVertexAttrib4f(index, 0.0f, 0.0f, 0.0f, w);
            return;
        }
        glEnableVertexAttribArray(index);
        glVertexAttribPointer(index, n, type, type == GL_UNSIGNED_BYTE ? GL_TRUE : GL_FALSE, stride, at(offset));
    };
    attribute(0, 3, (l.shorts & gxVertexLayout::kPosShorts) ? GL_SHORT : GL_FLOAT, l.pos, 1.0f);
    attribute(1, 3, GL_FLOAT, l.nrm, 1.0f);
    for (GLuint c = 0; c < 2; ++c)
        attribute(2 + c, 4, GL_UNSIGNED_BYTE, l.clr[c], 0.0f);
    for (GLuint n = 0; n < 8; ++n)
        attribute(4 + n, 2, (l.shorts & gxVertexLayout::TexShorts(static_cast<int>(n))) ? GL_SHORT : GL_FLOAT,
                  l.tex[n], 1.0f);
    // Matrix rows as integers: (pn, tex0..2), (tex3..6), (tex7, padding).
    if (l.mtx == gxVertexLayout::kAbsent) {
        for (GLuint i = 12; i <= 14; ++i)
            glDisableVertexAttribArray(i);
        glVertexAttribI4ui(12, l.pnMtx, l.texMtx[0], l.texMtx[1], l.texMtx[2]);
        glVertexAttribI4ui(13, l.texMtx[3], l.texMtx[4], l.texMtx[5], l.texMtx[6]);
        glVertexAttribI4ui(14, l.texMtx[7], 0, 0, 0);
    } else {
        for (GLuint i = 0; i < 3; ++i) {
            glEnableVertexAttribArray(12 + i);
            glVertexAttribIPointer(12 + i, 4, GL_UNSIGNED_BYTE, stride, at(l.mtx + 4 * i));
        }
    }
    glDisableVertexAttribArray(15);
    glVertexAttrib3f(15, 0.0f, 0.0f, 0.0f);
}

bool GlBackend::InitGl()
{
    if (!m_programs.InitGl() || !m_efb.InitGl() || !m_textures.InitGl())
        return false;
    glGenBuffers(1, &m_ubo);
    glBindBuffer(GL_UNIFORM_BUFFER, m_ubo);
    glBufferData(GL_UNIFORM_BUFFER, sizeof(GlDrawUniforms), nullptr, GL_DYNAMIC_DRAW);
    glBindBufferBase(GL_UNIFORM_BUFFER, 0, m_ubo);

    glGenVertexArrays(1, &m_vao);
    glBindVertexArray(m_vao);
    glGenBuffers(1, &m_vbo);
    glGenBuffers(1, &m_ibo);
    glBindBuffer(GL_ARRAY_BUFFER, m_vbo);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_ibo);
    SetUpVertexLayout(gxVertexLayout());
    glBindVertexArray(0);
    // No other index reaches it: quads are split with indices below their
    // vertex count.
    glEnable(GL_PRIMITIVE_RESTART);
    glPrimitiveRestartIndex(kRestartIndex);
    glGenSamplers(kMaxTexMaps, m_samplers);

    glGenTextures(1, &m_presentTex);
    glBindTexture(GL_TEXTURE_2D, m_presentTex);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kEfbWidth, kEfbHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glGenFramebuffers(1, &m_presentFbo);
    glBindFramebuffer(GL_FRAMEBUFFER, m_presentFbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_presentTex, 0);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glGenFramebuffers(1, &m_readFbo);

    m_efb.Bind();
    m_pLastState = nullptr;
    m_bReady = true;
    return true;
}

void GlBackend::ReleaseGl()
{
    m_bReady = false;
    DropShown();
    for (auto& [addr, xfb] : m_xfbs)
        glDeleteTextures(1, &xfb.tex);
    m_xfbs.clear();
    glDeleteTextures(1, &m_spareXfb.tex);
    m_spareXfb = Xfb();
    m_textures.ReleaseGl();
    m_efb.ReleaseGl();
    glDeleteFramebuffers(1, &m_readFbo);
    glDeleteFramebuffers(1, &m_presentFbo);
    glDeleteTextures(1, &m_presentTex);
    glDeleteSamplers(kMaxTexMaps, m_samplers);
    glDeleteBuffers(1, &m_ibo);
    glDeleteBuffers(1, &m_vbo);
    glDeleteVertexArrays(1, &m_vao);
    glDeleteBuffers(1, &m_ubo);
    m_programs.ReleaseGl();
    m_ubo = m_vao = m_vbo = m_ibo = m_presentTex = m_presentFbo = m_readFbo = 0;
    m_pLastState = nullptr;
    std::lock_guard<std::mutex> lock(m_lastMutex);
    m_last = GlLastDraw();
}

void GlBackend::Execute(const gxCommand& cmd)
{
    if (!m_bReady)
        return;
    switch (cmd.kind) {
    case gxCommandKind::kDraw: Draw(cmd); break;
    case gxCommandKind::kCopyDisp: CopyDisp(cmd); break;
    case gxCommandKind::kCopyTex: CopyTex(cmd); break;
    case gxCommandKind::kInvalidateTexAll: m_textures.InvalidateAll(); break;
    case gxCommandKind::kInvalidateRange: m_textures.InvalidateRange(cmd.rangeAddr, cmd.rangeBytes); break;
    }
}

void GlBackend::ApplyPipeline(const GlPipeline& p)
{
    // GX counts rows from the top; OpenGL's window rows run bottom-up.
    const int vx = static_cast<int>(std::lround(p.viewport[0]));
    const int vw = static_cast<int>(std::lround(p.viewport[2]));
    const int vh = static_cast<int>(std::lround(p.viewport[3]));
    const int vy = kEfbHeight - static_cast<int>(std::lround(p.viewport[1])) - vh;
    glViewport(vx, vy, std::max(vw, 0), std::max(vh, 0));
    glDepthRange(p.depthRange[0], p.depthRange[1]);
    glEnable(GL_SCISSOR_TEST);
    glScissor(p.scissor[0], kEfbHeight - p.scissor[1] - p.scissor[3], p.scissor[2], p.scissor[3]);
    if (p.depthTest) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(p.depthFunc);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    glDepthMask(p.depthWrite ? GL_TRUE : GL_FALSE);
    if (p.blend) {
        glEnable(GL_BLEND);
        glBlendEquation(p.blendEquation);
        glBlendFunc(p.blendSrc, p.blendDst);
    } else {
        glDisable(GL_BLEND);
    }
    if (p.logicOp) {
        glEnable(GL_COLOR_LOGIC_OP);
        glLogicOp(p.logicOpCode);
    } else {
        glDisable(GL_COLOR_LOGIC_OP);
    }
    if (p.cull) {
        glEnable(GL_CULL_FACE);
        glCullFace(p.cullFace);
    } else {
        glDisable(GL_CULL_FACE);
    }
    const GLboolean c = p.colorMask ? GL_TRUE : GL_FALSE;
    glColorMask(c, c, c, p.alphaMask ? GL_TRUE : GL_FALSE);
}

static GLint GlWrap(GXTexWrapMode mode)
{
    switch (mode) {
    case GX_REPEAT: return GL_REPEAT;
    case GX_MIRROR: return GL_MIRRORED_REPEAT;
    default: return GL_CLAMP_TO_EDGE;  // clamp, and the invalid mode 3 behaves as clamp
    }
}

static GLint GlMinFilter(GXTexFilter filter)
{
    switch (filter) {
    case GX_NEAR: return GL_NEAREST;
    case GX_NEAR_MIP_NEAR: return GL_NEAREST_MIPMAP_NEAREST;
    case GX_LIN_MIP_NEAR: return GL_LINEAR_MIPMAP_NEAREST;
    case GX_NEAR_MIP_LIN: return GL_NEAREST_MIPMAP_LINEAR;
    case GX_LIN_MIP_LIN: return GL_LINEAR_MIPMAP_LINEAR;
    default: return GL_LINEAR;
    }
}

void GlBackend::BindTextures(const gxState& s)
{
    const int stages = std::clamp(static_cast<int>(s.numTevStages), 1, kMaxTevStages);
    uint32_t bound = 0;
    for (int i = 0; i < stages; ++i) {
        const uint32_t map = s.tevStages[i].texMap;
        if (map == GX_TEXMAP_NULL || (map & GX_TEX_DISABLE) != 0)
            continue;
        const uint32_t unit = map & 7;
        if ((bound & (1u << unit)) || !s.texMapLoaded[unit])
            continue;
        bound |= 1u << unit;
        const GXTexObj& obj = s.texMaps[unit];
        const GXTlutObj* tlut = obj.tlutName < static_cast<uint32_t>(kGxNumTluts) ? &s.tluts[obj.tlutName] : nullptr;
        // The unit first: a texture decoded on first use is uploaded on the
        // active unit, which must not be an earlier map's.
        glActiveTexture(GL_TEXTURE0 + unit);
        const GlTexture& t = m_textures.Lookup(obj, tlut);
        glBindTexture(GL_TEXTURE_2D, t.tex);
        const GLuint smp = m_samplers[unit];
        glBindSampler(unit, smp);
        glSamplerParameteri(smp, GL_TEXTURE_WRAP_S, GlWrap(obj.wrapS));
        glSamplerParameteri(smp, GL_TEXTURE_WRAP_T, GlWrap(obj.wrapT));
        // A texture with one level samples it whatever the mip filter says.
        const GLint minFilter = t.levels > 1 ? GlMinFilter(obj.minFilter)
                                             : (obj.minFilter == GX_NEAR || obj.minFilter == GX_NEAR_MIP_NEAR ||
                                                        obj.minFilter == GX_NEAR_MIP_LIN
                                                    ? GL_NEAREST
                                                    : GL_LINEAR);
        glSamplerParameteri(smp, GL_TEXTURE_MIN_FILTER, minFilter);
        glSamplerParameteri(smp, GL_TEXTURE_MAG_FILTER, obj.magFilter == GX_NEAR ? GL_NEAREST : GL_LINEAR);
        glSamplerParameterf(smp, GL_TEXTURE_MIN_LOD, obj.minLod);
        glSamplerParameterf(smp, GL_TEXTURE_MAX_LOD, std::max(obj.minLod, obj.maxLod));
        glSamplerParameterf(smp, GL_TEXTURE_LOD_BIAS, obj.lodBias);
    }
    glActiveTexture(GL_TEXTURE0);
}

static GLenum GlPrimitive(GXPrimitive prim)
{
    switch (prim) {
    case GX_TRIANGLESTRIP: return GL_TRIANGLE_STRIP;
    case GX_TRIANGLEFAN: return GL_TRIANGLE_FAN;
    case GX_LINES: return GL_LINES;
    case GX_LINESTRIP: return GL_LINE_STRIP;
    case GX_POINTS: return GL_POINTS;
    default: return GL_TRIANGLES;
    }
}

bool GlBackend::CanJoin(const gxCommand& a, const gxCommand& b)
{
    return a.kind == gxCommandKind::kDraw && b.kind == gxCommandKind::kDraw && a.primitive == GX_TRIANGLESTRIP &&
           b.primitive == GX_TRIANGLESTRIP && a.state && a.state == b.state && a.attrMask == b.attrMask &&
           !a.vertices.empty() && !b.vertices.empty() && a.vertices.Layout() == b.vertices.Layout();
}

void GlBackend::ExecuteDraws(const std::vector<std::shared_ptr<const gxCommand>>& draws)
{
    if (draws.size() == 1)
        Execute(*draws.front());
    else if (m_bReady && !draws.empty())
        DrawJoinedStrips(draws);
}

// The scales of the layout's positions and coordinates into the parameter
// block; true when they changed. A draw of the same state may come with
// another layout (immediate mode's floats, a list's shorts).
static bool SetVertexScales(const gxVertexLayout& l, GlDrawUniforms* u)
{
    float scales[3][4] = {{l.posScale, 1.0f, 1.0f, 1.0f}};
    for (int t = 0; t < 8; ++t)
        scales[1 + t / 4][t % 4] = l.texScale[t];
    if (std::memcmp(scales, u->vtxScale, sizeof(scales)) == 0)
        return false;
    std::memcpy(u->vtxScale, scales, sizeof(scales));
    return true;
}

// Sets up everything a draw needs but its vertices: the snapshot's
// parameter block, program, pipeline and textures, with the vertex array
// and its buffer bound. False when there is nothing to draw.
bool GlBackend::PrepareDraw(const gxCommand& cmd)
{
    if (!cmd.state || cmd.vertices.empty())
        return false;
    const gxState& s = *cmd.state;
    const bool stateChanged = cmd.state.get() != m_pLastState || cmd.attrMask != m_nLastAttrMask;
    if (stateChanged) {
        TranslateDrawState(s, cmd.attrMask, &m_uniforms, &m_pipeline);
        for (int m = 0; m < kMaxTexMaps; ++m) {
            if (s.texMapLoaded[m])
                m_uniforms.texMaps[0] |= 1 << m;
        }
    }
    if (SetVertexScales(cmd.vertices.Layout(), &m_uniforms) || stateChanged) {
        // New storage each time (orphaning): rewriting the block in place
        // would make the driver finish the draws that still read it.
        glBindBuffer(GL_UNIFORM_BUFFER, m_ubo);
        glBufferData(GL_UNIFORM_BUFFER, sizeof(GlDrawUniforms), &m_uniforms, GL_STREAM_DRAW);
    }
    if (stateChanged) {
        m_nProgram = m_bForceGeneric ? m_programs.Generic() : m_programs.ProgramFor(m_uniforms);
        m_pLastState = cmd.state.get();
        m_nLastAttrMask = cmd.attrMask;
        static bool s_bDstAlphaLogged = false;
        if (s.dstAlphaEnable && !s_bDstAlphaLogged) {
            OSReport("GX: constant destination alpha is not supported; the drawn alpha is written\n");
            s_bDstAlphaLogged = true;
        }
    }
    m_efb.Bind();
    ApplyPipeline(m_pipeline);
    BindTextures(s);
    glUseProgram(m_nProgram);
    glBindVertexArray(m_vao);
    glBindBuffer(GL_ARRAY_BUFFER, m_vbo);
    return true;
}

// Uploads the vertex bytes of the draws in their layout, which CanJoin
// keeps the same for joined draws.
void GlBackend::UploadVertices(const uint8_t* bytes, size_t size, const gxVertexLayout& layout)
{
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(size), bytes, GL_STREAM_DRAW);
    if (!(layout == s_boundLayout))
        SetUpVertexLayout(layout);
}

void GlBackend::Draw(const gxCommand& cmd)
{
    if (!PrepareDraw(cmd))
        return;
    UploadVertices(cmd.vertices.Bytes(), cmd.vertices.ByteSize(), cmd.vertices.Layout());
    const uint32_t count = static_cast<uint32_t>(cmd.vertices.size());
    if (cmd.primitive == GX_QUADS || cmd.primitive == GX_QUADS2) {
        m_indices.resize(count / 4 * 6);
        const uint32_t n = gxQuadIndices(count, m_indices.data());
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(n * sizeof(uint32_t)), m_indices.data(),
                     GL_STREAM_DRAW);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(n), GL_UNSIGNED_INT, nullptr);
    } else {
        glDrawArrays(GlPrimitive(cmd.primitive), 0, static_cast<GLsizei>(count));
    }
    glBindVertexArray(0);
    NoteDraws(cmd, 1, count);
}

// One indexed strip draw for strips of one snapshot, a restart index
// between them: a draw call and an upload instead of one per strip.
void GlBackend::DrawJoinedStrips(const std::vector<std::shared_ptr<const gxCommand>>& draws)
{
    if (!PrepareDraw(*draws.front()))
        return;
    m_joined.clear();
    m_indices.clear();
    uint32_t vertexCount = 0;
    for (const auto& cmd : draws) {
        if (vertexCount != 0)
            m_indices.push_back(kRestartIndex);
        const uint32_t count = static_cast<uint32_t>(cmd->vertices.size());
        const size_t first = m_indices.size();
        m_indices.resize(first + count);
        std::iota(m_indices.begin() + static_cast<std::ptrdiff_t>(first), m_indices.end(), vertexCount);
        m_joined.insert(m_joined.end(), cmd->vertices.Bytes(), cmd->vertices.Bytes() + cmd->vertices.ByteSize());
        vertexCount += count;
    }
    UploadVertices(m_joined.data(), m_joined.size(), draws.front()->vertices.Layout());
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(m_indices.size() * sizeof(uint32_t)),
                 m_indices.data(), GL_STREAM_DRAW);
    glDrawElements(GL_TRIANGLE_STRIP, static_cast<GLsizei>(m_indices.size()), GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
    NoteDraws(*draws.back(), draws.size(), vertexCount);
    m_nJoined.fetch_add(draws.size());
}

// Counts the draws and keeps the last one for tests.
void GlBackend::NoteDraws(const gxCommand& last, uint64_t draws, uint64_t vertices)
{
    // Keep the snapshot alive while m_pLastState points at it.
    std::lock_guard<std::mutex> lock(m_lastMutex);
    m_last.state = last.state;
    m_last.primitive = last.primitive;
    m_last.attrMask = last.attrMask;
    m_last.vertexCount = static_cast<uint32_t>(last.vertices.size());
    m_nDraws.fetch_add(draws);
    m_nVertices.fetch_add(vertices);
}

void GlBackend::ClearRect(const gxRect& rect, const gxCopyState& copy)
{
    const uint8_t rgba[4] = {copy.clearColor.r, copy.clearColor.g, copy.clearColor.b, copy.clearColor.a};
    m_efb.Clear(static_cast<int>(rect.left), static_cast<int>(rect.top), static_cast<int>(rect.wd),
                static_cast<int>(rect.ht), rgba, copy.clearZ);
}

void GlBackend::CopyDisp(const gxCommand& cmd)
{
    if (!cmd.state)
        return;
    const gxCopyState& c = cmd.state->copy;
    const int w = std::clamp(static_cast<int>(c.dispSrc.wd), 1, kEfbWidth);
    const int h = std::clamp(static_cast<int>(c.dispSrc.ht), 1, kEfbHeight);
    Xfb& xfb = CopyTargetXfb(cmd.dest);
    const bool allocate = xfb.tex == 0 || xfb.width != w || xfb.height != h;
    if (xfb.tex == 0)
        glGenTextures(1, &xfb.tex);
    xfb.width = w;
    xfb.height = h;
    m_efb.CopyToTexture(xfb.tex, static_cast<int>(c.dispSrc.left), static_cast<int>(c.dispSrc.top), w, h, w, h,
                        false, CopyFormatFor(GX_TF_RGBA8), allocate);
    if (cmd.clear)
        ClearRect(c.dispSrc, c);
}

void GlBackend::CopyTex(const gxCommand& cmd)
{
    if (!cmd.state || !cmd.dest)
        return;
    const gxCopyState& c = cmd.state->copy;
    const int fmtValue = static_cast<int>(c.texDstFmt);
    GlCopyFormat fmt = CopyFormatFor(fmtValue);
    if (!fmt.supported) {
        static uint64_t s_logged = 0;  // one line per format number (all fit in 6 bits)
        const uint64_t bit = 1ull << (static_cast<unsigned>(fmtValue) & 63);
        if (!(s_logged & bit))
            OSReport("GX: copy format 0x%X is not supported; the copy reads white\n", static_cast<unsigned>(fmtValue));
        s_logged |= bit;
        for (int i = 0; i < 4; ++i)
            fmt.sel[i] = kSelOne;
    }
    const int dstW = std::clamp(static_cast<int>(c.texDstWd), 1, 1024);
    const int dstH = std::clamp(static_cast<int>(c.texDstHt), 1, 1024);
    bool allocate = true;
    GlTexture& t = m_textures.CopyTarget(cmd.dest, dstW, dstH, fmtValue, &allocate);
    m_efb.CopyToTexture(t.tex, static_cast<int>(c.texSrc.left), static_cast<int>(c.texSrc.top),
                        static_cast<int>(c.texSrc.wd), static_cast<int>(c.texSrc.ht), dstW, dstH,
                        c.texDstMipmap != GX_FALSE, fmt, allocate);
    if (cmd.clear)
        ClearRect(c.texSrc, c);
}

// The texture a display copy into dest writes: the spare one when the frame a
// retrace showed from dest's current texture is still to be composed.
GlBackend::Xfb& GlBackend::CopyTargetXfb(const void* dest)
{
    Xfb& xfb = m_xfbs[dest];
    if (m_shown.pending && !m_shown.owned && xfb.tex != 0 && xfb.tex == m_shown.frame.tex) {
        m_shown.owned = true;
        xfb = m_spareXfb;
        m_spareXfb = Xfb();
    }
    return xfb;
}

// The presented frame: black, with the frame (if any) scaled over it.
void GlBackend::Compose(const Xfb* frame)
{
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_presentFbo);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    if (frame) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, m_readFbo);
        glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, frame->tex, 0);
        glBlitFramebuffer(0, 0, frame->width, frame->height, 0, 0, kEfbWidth, kEfbHeight, GL_COLOR_BUFFER_BIT,
                          GL_LINEAR);
    }
    m_nComposed.fetch_add(1);
}

void GlBackend::ComposeShown()
{
    if (!m_shown.pending)
        return;
    Compose(m_shown.frame.tex ? &m_shown.frame : nullptr);
    DropShown();
    m_efb.Bind();
    m_pLastState = nullptr;  // scissor and masks were changed
}

// Forgets the noted frame; a texture it owns becomes the spare.
void GlBackend::DropShown()
{
    if (m_shown.owned) {
        if (m_spareXfb.tex == 0)
            m_spareXfb = m_shown.frame;
        else
            glDeleteTextures(1, &m_shown.frame.tex);
    }
    m_shown = Shown();
}

void GlBackend::Present(const void* xfb, bool black, bool toWindow)
{
    if (!m_bReady)
        return;
    DropShown();
    auto found = m_xfbs.find(xfb);
    const Xfb* frame = black || found == m_xfbs.end() ? nullptr : &found->second;
    if (!toWindow) {
        m_shown.pending = true;
        if (frame)
            m_shown.frame = *frame;
        return;
    }
    Compose(frame);
    ShowInWindow();
    m_efb.Bind();
    m_pLastState = nullptr;  // scissor and masks were changed
}

// Letterboxes the composed frame into the window: the largest 4:3 rectangle
// centred in it.
void GlBackend::ShowInWindow()
{
    int ww = 0, wh = 0;
    GlDevice::Get().DrawableSize(&ww, &wh);
    int dw = ww, dh = ww * kEfbHeight / kEfbWidth;
    if (dh > wh) {
        dh = wh;
        dw = wh * kEfbWidth / kEfbHeight;
    }
    const int dx = (ww - dw) / 2, dy = (wh - dh) / 2;
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_presentFbo);
    // Frame rows run from the top; the window's from the bottom.
    glBlitFramebuffer(0, 0, kEfbWidth, kEfbHeight, dx, dy + dh, dx + dw, dy, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    GlDevice::Get().SwapWindow();
}

void GlBackend::ReadPresented(std::vector<uint8_t>* rgba, int* width, int* height)
{
    *width = kEfbWidth;
    *height = kEfbHeight;
    if (!m_bReady) {
        rgba->assign(static_cast<size_t>(kEfbWidth) * kEfbHeight * 4, 0);
        return;
    }
    ComposeShown();
    m_efb.ReadTexture(m_presentTex, kEfbWidth, kEfbHeight, rgba);
}

void GlBackend::ResetCounts()
{
    m_nDraws.store(0);
    m_nVertices.store(0);
}

GlLastDraw GlBackend::LastDraw()
{
    std::lock_guard<std::mutex> lock(m_lastMutex);
    return m_last;
}

}  // namespace gxgl
