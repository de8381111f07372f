#include "gx/gl/gxGlEfb.h"

#include <algorithm>

#include "gx/gl/gxGlProgram.h"
#include "gx/gl/gxGlShaderSource.h"
#include "platform/os.h"

namespace gxgl {

GlCopyFormat CopyFormatFor(int gxFormat)
{
    GlCopyFormat f;
    auto same = [&f](int sel, int bits) {
        for (int i = 0; i < 4; ++i) {
            f.sel[i] = sel;
            f.bits[i] = bits;
        }
    };
    auto pair = [&f](int colour, int alpha, int bits) {
        f.sel[0] = f.sel[1] = f.sel[2] = colour;
        f.sel[3] = alpha;
        f.bits[0] = f.bits[1] = f.bits[2] = f.bits[3] = bits;
    };
    switch (gxFormat) {
    case 0x0: same(kSelLuma, 4); break;         // I4: intensity doubles as alpha
    case 0x1: same(kSelLuma, 8); break;         // I8
    case 0x2: pair(kSelLuma, kSelA, 4); break;  // IA4
    case 0x3: pair(kSelLuma, kSelA, 8); break;  // IA8
    case 0x4:                                   // RGB565: opaque
        f.sel[3] = kSelOne;
        f.bits[0] = 5; f.bits[1] = 6; f.bits[2] = 5; f.bits[3] = 8;
        break;
    case 0x5: f.rgb5a3 = true; break;           // RGB5A3
    case 0x6: break;                            // RGBA8
    case 0x20: same(kSelR, 4); break;           // R4, stored as I4
    case 0x22: pair(kSelR, kSelA, 4); break;    // RA4, stored as IA4
    case 0x23: pair(kSelR, kSelA, 8); break;    // RA8, stored as IA8
    case 0x27: same(kSelA, 8); break;           // A8, stored as I8
    case 0x28: same(kSelR, 8); break;           // R8
    case 0x29: same(kSelG, 8); break;           // G8
    case 0x2A: same(kSelB, 8); break;           // B8
    case 0x2B: pair(kSelR, kSelG, 8); break;    // RG8, stored as IA8
    case 0x2C: pair(kSelG, kSelB, 8); break;    // GB8, stored as IA8
    default: f.supported = false; break;        // depth copies and unknown formats
    }
    return f;
}

int CopyStorageFormat(int gxFormat)
{
    switch (gxFormat) {
    case 0x20: case 0x30: return 0x0;                          // as I4
    case 0x11: case 0x27: case 0x28: case 0x29: case 0x2A:
    case 0x39: case 0x3A: return 0x1;                          // as I8
    case 0x22: return 0x2;                                     // as IA4
    case 0x13: case 0x23: case 0x2B: case 0x2C: case 0x3C: return 0x3;  // as IA8
    case 0x16: return 0x6;                                     // as RGBA8
    default: return gxFormat;
    }
}

static bool IsPlainCopy(const GlCopyFormat& f)
{
    for (int i = 0; i < 4; ++i) {
        if (f.sel[i] != i || f.bits[i] != 8)
            return false;
    }
    return !f.rgb5a3;
}

bool GlEfb::InitGl()
{
    glGenTextures(1, &m_colorTex);
    glBindTexture(GL_TEXTURE_2D, m_colorTex);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kEfbWidth, kEfbHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glGenRenderbuffers(1, &m_depthRb);
    glBindRenderbuffer(GL_RENDERBUFFER, m_depthRb);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, kEfbWidth, kEfbHeight);
    glGenFramebuffers(1, &m_fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_colorTex, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, m_depthRb);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        OSReport("GX: the frame buffer object is incomplete\n");
        return false;
    }
    glGenFramebuffers(1, &m_copyFbo);
    glGenVertexArrays(1, &m_emptyVao);
    m_copyProgram = BuildProgram(kCopyVertexShaderSource, kCopyFragmentShaderSource, "copy");
    if (!m_copyProgram)
        return false;
    m_locRect = glGetUniformLocation(m_copyProgram, "uRect");
    m_locBox = glGetUniformLocation(m_copyProgram, "uBox");
    m_locSel = glGetUniformLocation(m_copyProgram, "uSel");
    m_locBits = glGetUniformLocation(m_copyProgram, "uBits");
    m_locMode = glGetUniformLocation(m_copyProgram, "uMode");
    glUseProgram(m_copyProgram);
    glUniform1i(glGetUniformLocation(m_copyProgram, "uSrc"), 0);
    glUseProgram(0);
    const uint8_t black[4] = {0, 0, 0, 0};
    Clear(0, 0, kEfbWidth, kEfbHeight, black, 0xFFFFFF);
    return true;
}

void GlEfb::ReleaseGl()
{
    glDeleteProgram(m_copyProgram);
    glDeleteVertexArrays(1, &m_emptyVao);
    glDeleteFramebuffers(1, &m_copyFbo);
    glDeleteFramebuffers(1, &m_fbo);
    glDeleteRenderbuffers(1, &m_depthRb);
    glDeleteTextures(1, &m_colorTex);
    *this = GlEfb();
}

void GlEfb::Bind()
{
    glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
}

void GlEfb::Clear(int x, int y, int w, int h, const uint8_t rgba[4], uint32_t depth24)
{
    glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
    GLint scissorBox[4];
    GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    GLboolean colorMask[4];
    GLboolean depthMask;
    glGetIntegerv(GL_SCISSOR_BOX, scissorBox);
    glGetBooleanv(GL_COLOR_WRITEMASK, colorMask);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, kEfbHeight - y - h, w, h);  // GL rows run bottom-up
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glClearColor(rgba[0] / 255.0f, rgba[1] / 255.0f, rgba[2] / 255.0f, rgba[3] / 255.0f);
    glClearDepth(static_cast<double>(depth24 & 0xFFFFFF) / 16777215.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glScissor(scissorBox[0], scissorBox[1], scissorBox[2], scissorBox[3]);
    if (!scissor)
        glDisable(GL_SCISSOR_TEST);
    glColorMask(colorMask[0], colorMask[1], colorMask[2], colorMask[3]);
    glDepthMask(depthMask);
}

// Draws a full-target quad with the given program; fixed-function state that
// would change the result is switched off for the pass and restored.
template <typename Fn>
static void FullTargetPass(GLuint program, GLuint vao, Fn setUniforms)
{
    GLboolean blend = glIsEnabled(GL_BLEND);
    GLboolean depth = glIsEnabled(GL_DEPTH_TEST);
    GLboolean cull = glIsEnabled(GL_CULL_FACE);
    GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    GLboolean logic = glIsEnabled(GL_COLOR_LOGIC_OP);
    GLboolean mask[4];
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_COLOR_LOGIC_OP);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glUseProgram(program);
    setUniforms();
    glBindVertexArray(vao);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindVertexArray(0);
    glUseProgram(0);
    if (blend) glEnable(GL_BLEND);
    if (depth) glEnable(GL_DEPTH_TEST);
    if (cull) glEnable(GL_CULL_FACE);
    if (scissor) glEnable(GL_SCISSOR_TEST);
    if (logic) glEnable(GL_COLOR_LOGIC_OP);
    glColorMask(mask[0], mask[1], mask[2], mask[3]);
}

void GlEfb::CopyToTexture(GLuint dst, int x, int y, int w, int h, int dstW, int dstH, bool box,
                          const GlCopyFormat& fmt, bool allocate)
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, dst);
    if (allocate) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, dstW, dstH, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, m_copyFbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, dst, 0);
    if (IsPlainCopy(fmt) && !box && dstW == w && dstH == h) {
        // A full-precision copy is a blit (no fragment work); swapping the
        // destination rows puts the frame buffer's top row first.
        glBindFramebuffer(GL_READ_FRAMEBUFFER, m_fbo);
        const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
        glDisable(GL_SCISSOR_TEST);
        glBlitFramebuffer(x, kEfbHeight - y - h, x + w, kEfbHeight - y, 0, h, w, 0, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        if (scissor)
            glEnable(GL_SCISSOR_TEST);
    } else {
        glViewport(0, 0, dstW, dstH);
        glBindTexture(GL_TEXTURE_2D, m_colorTex);
        FullTargetPass(m_copyProgram, m_emptyVao, [&] {
            glUniform4i(m_locRect, x, y, w, h);
            glUniform1i(m_locBox, box ? 1 : 0);
            glUniform4i(m_locSel, fmt.sel[0], fmt.sel[1], fmt.sel[2], fmt.sel[3]);
            glUniform4i(m_locBits, fmt.bits[0], fmt.bits[1], fmt.bits[2], fmt.bits[3]);
            glUniform1i(m_locMode, fmt.rgb5a3 ? 1 : 0);
        });
    }
    glBindFramebuffer(GL_FRAMEBUFFER, m_copyFbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}

void GlEfb::ReadColor(int x, int y, int w, int h, std::vector<uint8_t>* out)
{
    out->assign(static_cast<size_t>(w) * h * 4, 0);
    if (w <= 0 || h <= 0)
        return;
    std::vector<uint8_t> rows(out->size());
    glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, kEfbHeight - y - h, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
    const size_t stride = static_cast<size_t>(w) * 4;
    for (int r = 0; r < h; ++r)  // GL rows run bottom-up
        std::copy_n(rows.data() + (h - 1 - r) * stride, stride, out->data() + r * stride);
}

void GlEfb::ReadTexture(GLuint tex, int w, int h, std::vector<uint8_t>* out)
{
    out->assign(static_cast<size_t>(w) * h * 4, 0);
    if (w <= 0 || h <= 0)
        return;
    glBindFramebuffer(GL_FRAMEBUFFER, m_copyFbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, tex, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, out->data());
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
}

}  // namespace gxgl
