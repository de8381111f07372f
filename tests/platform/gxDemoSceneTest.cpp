// A demo scene drawn through the GX and VI APIs alone: a textured floor and
// textured cubes lit by a directional and an attenuated omni light, fading
// into linear fog, presented and written as PNG (to $QM_DEMO_PNG, else the
// test's temporary folder) for a person to look at. The probes check only
// what must hold for any sane picture: sky and far floor in the fog colour,
// lit faces brighter than their shaded sides.
#include "gxDrawFixture.h"

#include <cmath>
#include <filesystem>
#include <string>

#include "datagen/gxTextureEncode.h"
#include "platform/vi.h"

namespace {

constexpr GXColor kSky{150, 180, 210, 255};

void LoadPerspective()
{
    // 60 degrees vertical, 4:3, near 0.5, far 100.
    const float n = 0.5f, f = 100.0f;
    const float cot = 1.0f / std::tan(30.0f * 3.14159265f / 180.0f);
    const Mtx44 proj = {{cot * 0.75f, 0.0f, 0.0f, 0.0f},
                        {0.0f, cot, 0.0f, 0.0f},
                        {0.0f, 0.0f, -n / (f - n), -f * n / (f - n)},
                        {0.0f, 0.0f, -1.0f, 0.0f}};
    GXSetProjection(proj, GX_PERSPECTIVE);
}

// A 64x64 checker of two warm colours with a thin dark border per tile,
// as CMPR with its full mip chain.
std::vector<uint8_t> CheckerTexture(uint32_t* levels)
{
    datagen::RgbaImage img;
    img.width = img.height = 64;
    for (uint32_t y = 0; y < 64; ++y) {
        for (uint32_t x = 0; x < 64; ++x) {
            const bool odd = ((x / 16) + (y / 16)) & 1;
            const bool border = x % 16 == 0 || y % 16 == 0;
            const uint8_t c[4] = {static_cast<uint8_t>(border ? 60 : odd ? 230 : 200),
                                  static_cast<uint8_t>(border ? 40 : odd ? 140 : 190),
                                  static_cast<uint8_t>(border ? 30 : odd ? 60 : 150), 255};
            img.rgba.insert(img.rgba.end(), c, c + 4);
        }
    }
    *levels = 7;
    std::vector<uint8_t> out;
    datagen::EncodeGxTextureChain(img, GX_TF_CMPR, *levels, nullptr, &out);
    return out;
}

void Vertex(float x, float y, float z, float nx, float ny, float nz, float s, float t)
{
    GXPosition3f32(x, y, z);
    GXNormal3f32(nx, ny, nz);
    GXTexCoord2f32(s, t);
}

// A unit cube, faces counter-clockwise seen from outside.
void DrawCube()
{
    struct Face {
        float n[3], u[3], v[3];
    } faces[6] = {
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}},
        {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
        {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
    };
    GXBegin(GX_QUADS, GX_VTXFMT2, 24);
    for (const Face& f : faces) {
        const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (const auto& c : corners) {
            const float p[3] = {f.n[0] + c[0] * f.u[0] + c[1] * f.v[0], f.n[1] + c[0] * f.u[1] + c[1] * f.v[1],
                                f.n[2] + c[0] * f.u[2] + c[1] * f.v[2]};
            Vertex(p[0], p[1], p[2], f.n[0], f.n[1], f.n[2], (c[0] + 1) * 0.5f, (1 - c[1]) * 0.5f);
        }
    }
    GXEnd();
}

void LoadModel(float x, float y, float z, float yawDeg, float scale)
{
    const float a = yawDeg * 3.14159265f / 180.0f;
    const float c = std::cos(a), s = std::sin(a);
    const Mtx pos = {{c * scale, 0, s * scale, x}, {0, scale, 0, y}, {-s * scale, 0, c * scale, z}};
    const Mtx nrm = {{c, 0, s, 0}, {0, 1, 0, 0}, {-s, 0, c, 0}};
    GXLoadPosMtxImm(pos, GX_PNMTX0);
    GXLoadNrmMtxImm(nrm, GX_PNMTX0);
}

}  // namespace

TEST_F(GxDrawTest, DemoSceneIsLitTexturedFoggedAndWrittenAsPng)
{
    // The frame starts as the engine's do: a display copy with clear leaves
    // the frame buffer in the clear colour.
    std::vector<uint8_t> xfb(640 * 480 * 2);
    GXSetCopyClear(kSky, 0xFFFFFF);
    GXCopyDisp(xfb.data(), GX_TRUE);

    uint32_t levels = 0;
    const AlignedBytes texels(CheckerTexture(&levels));
    GXTexObj tex;
    GXInitTexObj(&tex, texels.data(), 64, 64, GX_TF_CMPR, GX_REPEAT, GX_REPEAT, GX_TRUE);
    GXInitTexObjLOD(&tex, GX_LIN_MIP_LIN, GX_LINEAR, 0.0f, static_cast<float>(levels - 1), 0.0f, GX_FALSE,
                    GX_FALSE, GX_ANISO_1);
    GXLoadTexObj(&tex, GX_TEXMAP0);

    LoadPerspective();
    GXSetZMode(GX_TRUE, GX_LEQUAL, GX_TRUE);
    GXSetCullMode(GX_CULL_FRONT);
    GXClearVtxDesc();
    GXSetVtxDesc(GX_VA_POS, GX_DIRECT);
    GXSetVtxDesc(GX_VA_NRM, GX_DIRECT);
    GXSetVtxDesc(GX_VA_TEX0, GX_DIRECT);
    GXSetVtxAttrFmt(GX_VTXFMT2, GX_VA_POS, GX_POS_XYZ, GX_F32, 0);
    GXSetVtxAttrFmt(GX_VTXFMT2, GX_VA_NRM, GX_NRM_XYZ, GX_F32, 0);
    GXSetVtxAttrFmt(GX_VTXFMT2, GX_VA_TEX0, GX_TEX_ST, GX_F32, 0);
    GXSetNumTexGens(1);
    GXSetTexCoordGen2(GX_TEXCOORD0, GX_TG_MTX2x4, GX_TG_TEX0, GX_IDENTITY, GX_FALSE, GX_PTIDENTITY);
    GXSetTevOrder(GX_TEVSTAGE0, GX_TEXCOORD0, GX_TEXMAP0, GX_COLOR0A0);
    GXSetTevOp(GX_TEVSTAGE0, GX_MODULATE);

    // A warm sun from the upper left (directional, as a far point light) and
    // a blue omni light among the cubes with distance attenuation.
    GXLightObj sun, omni;
    const float dir[3] = {0.5f, -0.7f, -0.5f};
    GXInitLightPos(&sun, -dir[0] * 1048576.0f, -dir[1] * 1048576.0f, -dir[2] * 1048576.0f);
    GXInitLightDir(&sun, dir[0], dir[1], dir[2]);
    GXInitLightAttn(&sun, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f);
    GXInitLightColor(&sun, GXColor{255, 230, 190, 255});
    GXLoadLightObjImm(&sun, GX_LIGHT0);
    GXInitLightPos(&omni, 1.5f, 0.5f, -7.0f);
    GXInitLightDir(&omni, 0.0f, 0.0f, -1.0f);
    GXInitLightAttn(&omni, 1.0f, 0.0f, 0.0f, 0.0f, 6.6666665f / 6.0f, 0.0f);
    GXInitLightColor(&omni, GXColor{90, 140, 255, 255});
    GXLoadLightObjImm(&omni, GX_LIGHT1);
    GXSetNumChans(1);
    GXSetChanCtrl(GX_COLOR0, GX_TRUE, GX_SRC_REG, GX_SRC_REG, GX_LIGHT0 | GX_LIGHT1, GX_DF_CLAMP, GX_AF_SPOT);
    GXSetChanCtrl(GX_ALPHA0, GX_FALSE, GX_SRC_REG, GX_SRC_REG, 0, GX_DF_NONE, GX_AF_NONE);
    GXSetChanAmbColor(GX_COLOR0A0, GXColor{50, 55, 70, 255});
    GXSetChanMatColor(GX_COLOR0A0, GXColor{255, 255, 255, 255});
    GXSetFog(GX_FOG_PERSP_LIN, 8.0f, 40.0f, 0.5f, 100.0f, kSky);

    // The floor: y = -1 from z = -1 to -80, the texture repeated.
    LoadModel(0, 0, 0, 0, 1);
    GXBegin(GX_QUADS, GX_VTXFMT2, 4);
    Vertex(-40, -1, -1, 0, 1, 0, 0, 0);
    Vertex(40, -1, -1, 0, 1, 0, 20, 0);
    Vertex(40, -1, -80, 0, 1, 0, 20, 20);
    Vertex(-40, -1, -80, 0, 1, 0, 0, 20);
    GXEnd();
    const float cubes[5][4] = {{-1.8f, -0.4f, -5.0f, 30}, {1.6f, -0.3f, -8.0f, -20}, {-0.5f, -0.2f, -14.0f, 45},
                               {4.0f, -0.2f, -22.0f, 10}, {-6.0f, -0.2f, -34.0f, 60}};
    for (const auto& c : cubes) {
        LoadModel(c[0], c[1], c[2], c[3], 0.6f);
        DrawCube();
    }

    GXDrawDone();
    const GXColor nearFloor = GXTestEfbPixel(320, 470);
    const GXColor sky = GXTestEfbPixel(320, 5);
    GXCopyDisp(xfb.data(), GX_TRUE);
    VISetNextFrameBuffer(xfb.data());
    VISetBlack(FALSE);
    VIFlush();
    VIWaitForRetrace();
    GXDrawDone();

    const char* env = std::getenv("QM_DEMO_PNG");
    // Kept beside the test program for a look, not in the temporary folder.
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    const std::string path = env && *env ? env : (ec ? std::string(".") : exe.parent_path().string()) + "/quillmere_gx_demo.png";
    ASSERT_TRUE(VIWriteScreenshotPNG(path.c_str()));
    std::printf("demo scene written to %s\n", path.c_str());

    std::vector<uint8_t> frame;
    int w = 0, h = 0;
    ASSERT_TRUE(GXTestReadPresented(&frame, &w, &h));
    EXPECT_TRUE(ColorNear(sky, kSky, 0));  // nothing drawn up there
    // The floor right in front is textured and lit, not fogged.
    EXPECT_FALSE(ColorNear(nearFloor, kSky, 20));
    // Near the horizon (eye distance about 60, past the fog's end) the floor
    // has faded into the fog colour.
    const uint8_t* horizon = &frame[(static_cast<size_t>(247) * 640 + 600) * 4];
    EXPECT_TRUE(ColorNear(GXColor{horizon[0], horizon[1], horizon[2], 255}, kSky, 6));
}
