// The graphics layer's test interface (platform/test/gx_test.h) over the
// OpenGL backend.

#include "../test/gx_test.h"

#include "gx/gl/gxGlBackend.h"
#include "gx/gl/gxGlDevice.h"
#include "platform/vi.h"

using gxgl::GlBackend;
using gxgl::GlDevice;

bool GXTestStartHeadless()
{
    if (!GlDevice::Get().IsRunning()) {
        VISetHeadless(TRUE);
        VIInit();
    }
    if (GlDevice::Get().IsRunning())
        GlBackend::Get().Attach();
    return GlDevice::Get().IsRunning();
}

void GXTestSetDrawing(bool on)
{
    if (!GlDevice::Get().IsRunning())
        return;
    if (on) {
        GlBackend::Get().Attach();
    } else {
        GlDevice::Get().Finish();  // what was sent is drawn before the backend goes
        GlBackend::Get().Detach();
    }
}

bool GXTestReadEfb(int x, int y, int w, int h, std::vector<uint8_t>* rgba)
{
    if (!GlDevice::Get().IsRunning()) {
        rgba->assign(static_cast<size_t>(w > 0 ? w : 0) * (h > 0 ? h : 0) * 4, 0);
        return false;
    }
    GlDevice::Get().RunSync([&] { GlBackend::Get().Efb().ReadColor(x, y, w, h, rgba); });
    return true;
}

GXColor GXTestEfbPixel(int x, int y)
{
    std::vector<uint8_t> rgba;
    GXTestReadEfb(x, y, 1, 1, &rgba);
    return GXColor{rgba[0], rgba[1], rgba[2], rgba[3]};
}

bool GXTestReadPresented(std::vector<uint8_t>* rgba, int* width, int* height)
{
    if (!GlDevice::Get().IsRunning())
        return false;
    GlDevice::Get().RunSync([&] { GlBackend::Get().ReadPresented(rgba, width, height); });
    return true;
}

uint64_t GXTestComposedFrames()
{
    GlDevice::Get().Finish();
    return GlBackend::Get().ComposedCount();
}

void GXTestClearEfb(GXColor color, uint32_t depth24)
{
    const uint8_t rgba[4] = {color.r, color.g, color.b, color.a};
    GlDevice::Get().RunSync([&] {
        GlBackend::Get().Efb().Clear(0, 0, gxgl::kEfbWidth, gxgl::kEfbHeight, rgba, depth24);
    });
}

GXTestDrawStats GXTestGetDrawStats()
{
    GlDevice::Get().Finish();
    GXTestDrawStats stats;
    stats.draws = GlBackend::Get().DrawCount();
    stats.vertices = GlBackend::Get().VertexCount();
    return stats;
}

void GXTestResetDrawStats()
{
    GlDevice::Get().Finish();
    GlBackend::Get().ResetCounts();
}

GXTestLastDraw GXTestGetLastDraw()
{
    GlDevice::Get().Finish();
    const gxgl::GlLastDraw last = GlBackend::Get().LastDraw();
    GXTestLastDraw out;
    out.state = last.state;
    out.primitive = last.primitive;
    out.attrMask = last.attrMask;
    out.vertexCount = last.vertexCount;
    return out;
}

size_t GXTestTextureCacheSize()
{
    size_t n = 0;
    GlDevice::Get().RunSync([&] { n = GlBackend::Get().Textures().Size(); });
    return n;
}

void GXTestForceGenericProgram(bool on)
{
    GlDevice::Get().RunSync([on] { GlBackend::Get().ForceGenericProgram(on); });
}

size_t GXTestFailedPrograms()
{
    size_t n = 0;
    GlDevice::Get().RunSync([&] { n = GlBackend::Get().Programs().Failed(); });
    return n;
}
