#pragma once
// The embedded frame buffer: a 640x480 RGBA8 colour texture with a 24-bit
// depth buffer in one framebuffer object, and the copies out of it (to
// textures, with the half-size box filter and the target format's precision,
// and to external frame buffers). Render thread only.

#include <cstdint>
#include <vector>

#include <epoxy/gl.h>

namespace gxgl {

constexpr int kEfbWidth = 640;
constexpr int kEfbHeight = 480;

// What a texture copy keeps, so that sampling the copy gives what decoding
// the stored texture would: the source of each RGBA channel as it reads
// back (kSel*), the bits the format stores per channel, and the two-mode
// 5551/4443 rule of RGB5A3.
enum : int { kSelR = 0, kSelG = 1, kSelB = 2, kSelA = 3, kSelLuma = 4, kSelOne = 5 };
struct GlCopyFormat {
    int sel[4] = {kSelR, kSelG, kSelB, kSelA};
    int bits[4] = {8, 8, 8, 8};
    bool rgb5a3 = false;
    bool supported = true;  // false: a depth copy, drawn white
};

// The copy format by its GX number: texture formats 0x0-0x6, the copy-only
// colour formats 0x20-0x2C; others (depth) are unsupported.
GlCopyFormat CopyFormatFor(int gxFormat);

// The texture format a copy format is stored as (R8 as I8, RA8 as IA8, ...).
int CopyStorageFormat(int gxFormat);

class GlEfb {
public:
    bool InitGl();
    void ReleaseGl();

    // Binds the frame buffer object as the draw target with its full size.
    void Bind();
    GLuint ColorTexture() const { return m_colorTex; }

    // Clears the rectangle (x, y from the top-left) to a colour (0..255 per
    // channel) and depth (24-bit, 0xFFFFFF = far), whatever the write masks,
    // and restores the scissor and masks.
    void Clear(int x, int y, int w, int h, const uint8_t rgba[4], uint32_t depth24);

    // Copies the rectangle (x, y from the top-left, w x h) into dst, a
    // texture of dstW x dstH; with box set each destination pixel averages a
    // 2x2 block. allocate gives dst new storage of that size (a new texture,
    // or one of another size); otherwise the copy overwrites what it has.
    void CopyToTexture(GLuint dst, int x, int y, int w, int h, int dstW, int dstH, bool box,
                       const GlCopyFormat& fmt, bool allocate);

    // Reads a rectangle of the colour buffer as RGBA8, rows from the top.
    void ReadColor(int x, int y, int w, int h, std::vector<uint8_t>* out);
    // Reads a texture's level 0 as RGBA8 (rows as stored: row 0 first).
    void ReadTexture(GLuint tex, int w, int h, std::vector<uint8_t>* out);

private:
    GLuint m_fbo = 0;
    GLuint m_colorTex = 0;
    GLuint m_depthRb = 0;
    GLuint m_copyFbo = 0;
    GLuint m_copyProgram = 0;
    GLuint m_emptyVao = 0;
    GLint m_locRect = -1;
    GLint m_locBox = -1;
    GLint m_locSel = -1;
    GLint m_locBits = -1;
    GLint m_locMode = -1;
};

}  // namespace gxgl
