#pragma once
// Starts the video device once per test process, headless, with progressive
// scan remembered in the save region (so the first start-up can be checked)
// and a settings folder of its own. Video tests run on the virtual clock, so
// retraces and frame waits cost no real time.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/os.h"
#include "../test/gx_test.h"
#include "gx/gxFront_local.h"
#include "../test/os_test.h"
#include "cCore/cSaveRegion.h"
#include "eEngine/eVideo.h"
#include "eEngine/eVideoPlatform.h"
#include "tempDir.h"

struct VideoStart {
    bool bHaveGL = false;
    const GXRenderModeObj* pStartMode = nullptr;  // what Initialize chose
    GXColor startClear = {1, 1, 1, 1};            // the clear colour it left
    std::string dir;                              // removed at process end
};

inline const VideoStart& StartVideoOnce()
{
    static VideoStart s_start = [] {
        VideoStart start;
        static TempDir s_dir("qm_video");  // removed at exit with the other statics
        start.dir = s_dir.Path();
        OSTestSetSettingsDir(start.dir.c_str());
        OSSetVirtualClock(TRUE);
        start.bHaveGL = GXTestStartHeadless();
        cSaveRegion::SetSaveRegionData(cSaveRegion::kProgressiveWord, 1);
        eVideoPlatform::Initialize();
        start.pStartMode = eVideoPlatform::s_pRenderMode;
        start.startClear = gxGet().copy.clearColor;
        OSSetVirtualClock(FALSE);
        return start;
    }();
    return s_start;
}

struct VideoTest : ::testing::Test {
    void SetUp() override
    {
        StartVideoOnce();
        OSSetVirtualClock(TRUE);
        eVideo::SetZoneToWorldIdentity();
        eVideoPlatform::ResetState();
    }
    void TearDown() override
    {
        // Let the render thread finish what the test sent (reads wait for
        // it), so it is idle when the process ends.
        GXTestGetDrawStats();
        OSSetVirtualClock(FALSE);
    }
};

// A test on fixture Base that draws: the video device started (the test is
// skipped without OpenGL; a derived SetUp returns when IsSkipped()), on the
// virtual clock, from the reset render state. TearDown lets the render thread
// finish what the test sent before Base tears down.
template <class Base>
class DrawingTest : public Base {
protected:
    void SetUp() override
    {
        Base::SetUp();
        if (!StartVideoOnce().bHaveGL)
            GTEST_SKIP() << "no OpenGL";
        OSSetVirtualClock(TRUE);
        eVideoPlatform::ResetState();
    }
    void TearDown() override
    {
        GXTestGetDrawStats();
        OSSetVirtualClock(FALSE);
        Base::TearDown();
    }
};
