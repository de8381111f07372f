#pragma once
// Starts the video device once per test process, headless, on the virtual
// clock, with progressive scan remembered in the save region (so the first
// start-up can be checked), and a settings folder of its own. Tests that
// draw or flip run inside VirtualClockScope so waits cost no real time.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/os.h"
#include "../test/gx_test.h"
#include "../test/os_test.h"
#include "cCore/cSaveRegion.h"
#include "eEngine/eVideoPlatform.h"

struct VideoStart {
    bool bHaveGL = false;
    const GXRenderModeObj* pStartMode = nullptr;  // what Initialize chose
    uint32_t nSavedWordAfterStart = 0;
    std::string settingsDir;  // removed at process end
};

inline std::string& VideoSettingsDir()
{
    static std::string s_dir;
    return s_dir;
}

inline void RemoveVideoSettingsDir()
{
    std::error_code ec;
    std::filesystem::remove_all(VideoSettingsDir(), ec);
}

inline const VideoStart& StartVideoOnce()
{
    static VideoStart s_start = [] {
        VideoStart start;
        char name[] = "/tmp/qm_video_XXXXXX";
        const char* dir = mkdtemp(name);
        start.settingsDir = dir != nullptr ? dir : "";
        if (dir != nullptr) {
            VideoSettingsDir() = dir;
            std::atexit(RemoveVideoSettingsDir);
        }
        OSTestSetSettingsDir(dir);
        OSSetVirtualClock(TRUE);
        start.bHaveGL = GXTestStartHeadless();
        cSaveRegion::SetSaveRegionData(cSaveRegion::kProgressiveWord, 1);
        eVideoPlatform::Initialize();
        start.pStartMode = eVideoPlatform::s_pRenderMode;
        start.nSavedWordAfterStart = cSaveRegion::GetSaveRegionData(cSaveRegion::kProgressiveWord);
        eVideoPlatform::SetVideoMode(false);
        OSSetVirtualClock(FALSE);
        return start;
    }();
    return s_start;
}

struct VirtualClockScope {
    VirtualClockScope() { OSSetVirtualClock(TRUE); }
    ~VirtualClockScope() { OSSetVirtualClock(FALSE); }
};

// Video tests: the device is started and the default state restored.
struct VideoTest : ::testing::Test {
    VirtualClockScope clock;
    void SetUp() override
    {
        StartVideoOnce();
        eVideoPlatform::ResetState();
    }
};
