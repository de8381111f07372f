#include "gcGameCore/flow/gcGameConfigPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/dvd.h"
#include "../test/dvd_test.h"
#include "../test/os_test.h"
#include "cCore/cSaveRegion.h"
#include "cCore/cThread.h"
#include "eEngine/eAudio.h"
#include "eEngine/eROMFont.h"
#include "eEngine/eVideoTestUtil.h"
#include "eEngine/overlayTestSupport.h"
#include "gcFlowTestSupport.h"
#include "gx/gxFront_local.h"

namespace {

struct ResetCall {
    int nCalls = 0;
    uint32_t code = 0;
    uint8_t region[cSaveRegion::kBytes] = {};
};
ResetCall s_reset;

void RecordReset(int, uint32_t code, BOOL, const uint8_t* region)
{
    ++s_reset.nCalls;
    s_reset.code = code;
    std::memcpy(s_reset.region, region, sizeof s_reset.region);
}

// The lit pixels' bounding box of the presented frame.
struct Ink {
    int minX = 640, maxX = -1, minY = 480, maxY = -1;
    int Width() const { return maxX - minX + 1; }
};
Ink ReadInk()
{
    PresentedFrame frame;
    Ink ink;
    if (!frame.Read())
        return ink;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            if (frame.Luma(x, y) > 128) {
                ink.minX = std::min(ink.minX, x);
                ink.maxX = std::max(ink.maxX, x);
                ink.minY = std::min(ink.minY, y);
                ink.maxY = std::max(ink.maxY, y);
            }
    return ink;
}

// The disc-error screen on the loader thread, where disc errors usually
// strike, while the main thread watches.
class ErrorScreenThread : public cThread {
public:
    explicit ErrorScreenThread(cFile::cFileStatus status) : cThread(THREADPRIORITY_LOW), m_status(status) {}
    ~ErrorScreenThread() override { WaitForFinish(); }
    bool Run() override
    {
        gcGameConfigPlatform::FileErrorNotify(m_status);
        return true;
    }

private:
    cFile::cFileStatus m_status;
};

class gcGameConfigPlatformTest : public DrawingTest<gcFlowTest> {
protected:
    void SetUp() override
    {
        DrawingTest<gcFlowTest>::SetUp();
        s_reset = ResetCall{};
        OSTestSetResetHandler(RecordReset);
    }
    void TearDown() override
    {
        OSTestSetResetButton(FALSE);
        cClearResetState();
        OSTestSetResetHandler(nullptr);
        DVDTestClearDriveStatus();
        cFile::GetFileStatus();  // back to OK
        VISetBlack(FALSE);
        VIFlush();
        gcGameConfig::s_languages[gcGameConfig::LANGUAGE_TEXT] = gcGameConfig::LANGUAGE_ENGLISH;
        eAudio::s_fMasterVolume = 1.0f;
        DrawingTest<gcFlowTest>::TearDown();
    }
    // Waits until the thread has shown n more frames (or ended). Sleeping,
    // not yielding, lets the virtual clock reach the thread's retraces.
    static void WaitFrames(const cThread& thread, uint32_t n)
    {
        const uint64_t target = gxDisplayCopyCount() + n;
        while (thread.IsRunning() && gxDisplayCopyCount() < target)
            OSSleepTicks(OSMillisecondsToTicks(1));
    }
};

TEST_F(gcGameConfigPlatformTest, InitializeInstallsTheHandlersAndShowsTheNoticeFor45Frames)
{
    const uint64_t before = gxDisplayCopyCount();
    gcGameConfig::Initialize();
    EXPECT_EQ(gxDisplayCopyCount() - before, 45u);
    EXPECT_EQ(cFile::s_errorNotify, &gcGameConfigPlatform::FileErrorNotify);
    const Ink ink = ReadInk();
    EXPECT_NEAR(ink.Width(), eROMFont::GetStringWidth(gcGameConfigPlatform::GetStartupNotice()), 4);
    EXPECT_NEAR((ink.minX + ink.maxX) / 2, 320, 4);

    // Only the disc-error handler goes; the reset handler stays to the end.
    gcGameConfig::Uninitialize();
    EXPECT_EQ(cFile::s_errorNotify, nullptr);
    EXPECT_EQ(cSetResetNotify(nullptr), &gcGameConfigPlatform::ResetNotify);
}

TEST_F(gcGameConfigPlatformTest, ResetPressAndReleaseRestartsWithTheSaveRegionKept)
{
    cSetResetNotify(gcGameConfigPlatform::ResetNotify);
    cSaveRegion::SetSaveRegionData(5, 0x5EED1234);
    OSTestSetResetButton(TRUE);
    cUpdateOS();
    EXPECT_EQ(s_reset.nCalls, 0);  // pressed, not yet released
    OSTestSetResetButton(FALSE);
    cUpdateOS();
    cSetResetNotify(nullptr);
    ASSERT_GE(s_reset.nCalls, 1);
    EXPECT_EQ(s_reset.code, 1u);  // a soft reset hands the region over
    EXPECT_EQ(std::memcmp(s_reset.region, cSaveRegion::s_preservedArea, cSaveRegion::kBytes), 0);
    EXPECT_EQ(eAudio::s_fMasterVolume, 0.0f);
}

// Each status shows its own message in the text language, muted, until the
// drive is OK; the reset button works meanwhile except on a fatal error.
TEST_F(gcGameConfigPlatformTest, DriveErrorsShowTheirMessageUntilTheDriveIsReady)
{
    const struct {
        int32_t dvdState;
        cFile::cFileStatus status;
        gcGameConfig::gcLanguage language;
    } rows[] = {
        {DVD_STATE_RETRY, cFile::FS_RETRY_ERROR, gcGameConfig::LANGUAGE_ENGLISH},
        {DVD_STATE_NO_DISK, cFile::FS_NO_DISK, gcGameConfig::LANGUAGE_SPANISH},
        {DVD_STATE_COVER_OPEN, cFile::FS_DRIVE_OPEN, gcGameConfig::LANGUAGE_FRENCH},
        {DVD_STATE_WRONG_DISK, cFile::FS_WRONG_DISK, gcGameConfig::LANGUAGE_GERMAN},
        {DVD_STATE_FATAL_ERROR, cFile::FS_FATAL_ERROR, gcGameConfig::LANGUAGE_ITALIAN},
        {DVD_STATE_COVER_OPEN, cFile::FS_DRIVE_OPEN, gcGameConfig::LANGUAGE_DUTCH},
    };
    cSetResetNotify(gcGameConfigPlatform::ResetNotify);
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "status " << row.status << ", language " << row.language);
        s_reset = ResetCall{};
        cClearResetState();
        VISetBlack(FALSE);
        VIFlush();
        gcGameConfig::s_languages[gcGameConfig::LANGUAGE_TEXT] = row.language;
        DVDTestSetDriveStatus(row.dvdState);
        ErrorScreenThread thread(row.status);
        ASSERT_TRUE(thread.Start());
        WaitFrames(thread, 3);
        ASSERT_TRUE(thread.IsRunning());
        EXPECT_EQ(eAudio::s_fMasterVolume, 0.0f);
        const char* text = gcGameConfigPlatform::GetDriveErrorText(row.language, row.status);
        const Ink ink = ReadInk();
        EXPECT_NEAR(ink.Width(), eROMFont::GetStringWidth(text), 4);
        EXPECT_NEAR(ink.maxY - ink.minY, eROMFont::GetStringHeight(text), eROMFont::s_pFontData->cellHeight);

        OSTestSetResetButton(TRUE);
        WaitFrames(thread, 1);
        OSTestSetResetButton(FALSE);
        WaitFrames(thread, 2);
        EXPECT_EQ(s_reset.nCalls > 0, row.status != cFile::FS_FATAL_ERROR);
        EXPECT_TRUE(thread.IsRunning());

        DVDTestClearDriveStatus();
        while (thread.IsRunning())
            OSSleepTicks(OSMillisecondsToTicks(1));
        EXPECT_EQ(eAudio::s_fMasterVolume, 1.0f);
    }
    cSetResetNotify(nullptr);
}

TEST(gcGameConfigPlatformTexts, EveryLanguageHasFiveMessagesAndNoneForOK)
{
    for (int language = 0; language < gcGameConfig::MAX_LANGUAGES; ++language) {
        SCOPED_TRACE(language);
        for (int status = 0; status < cFile::FS_OK; ++status) {
            const char* text = gcGameConfigPlatform::GetDriveErrorText(language, status);
            EXPECT_GT(std::strlen(text), 20u);
            EXPECT_NE(text[std::strlen(text) - 1], '\n');
        }
        EXPECT_STREQ(gcGameConfigPlatform::GetDriveErrorText(language, cFile::FS_OK), "");
    }
    EXPECT_STREQ(gcGameConfigPlatform::GetDriveErrorText(gcGameConfig::MAX_LANGUAGES, 0), "");
    EXPECT_STREQ(gcGameConfigPlatform::GetDriveErrorText(0, -1), "");
    EXPECT_STREQ(gcGameConfigPlatform::GetDriveErrorText(0, cFile::FS_NO_DISK),
                 "Please insert the Quillmere:\nThe Ashgrove Vantrel Game Disc.");
}

}  // namespace
