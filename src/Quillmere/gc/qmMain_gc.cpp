// Entry point of the PC build: host options first, then the system's own
// command line ("/act 1 /map 2").
#include <cerrno>
#include <cstdio>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/ai.h"
#include "platform/dvd.h"
#include "platform/os.h"
#include "platform/vi.h"
#include "cCore/cCoreServices.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "eEngine/eAudio.h"
#include "eEngine/eAudioPlatform.h"
#include "eEngine/eVideo.h"
#include "eEngine/eVideoPlatform.h"
#include "mMath/mOCS.h"

#ifndef QM_DEFAULT_DATA_DIR
#define QM_DEFAULT_DATA_DIR "sample"
#endif

namespace {

struct HostOptions {
    std::string dataDir = QM_DEFAULT_DATA_DIR;
    bool bHeadless = false;
    long nFrames = 0;  // 0: until the program ends itself
    std::string capture;
    std::string audioWav;  // the mixed sound output, when asked
    std::string commandLine;  // the system's own; must outlive every lookup
};

void PrintUsage(FILE* out)
{
    std::fprintf(out,
                 "usage: quillmere [--data DIR] [--headless] [--frames N] [--capture FILE.png] [/name value ...]\n"
                 "  --data DIR        the game data directory (default: the sample data)\n"
                 "  --headless        no window and no audio device; virtual clock\n"
                 "  --frames N        end after N frames\n"
                 "  --capture FILE    write the last frame as PNG\n"
                 "  --audio-wav FILE  write the mixed sound output as WAV\n"
                 "  /name value ...   options of the game itself\n");
}

bool ParseCount(const char* text, long* pCount)
{
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(text, &end, 10);
    if (!*text || *end || n <= 0 || errno == ERANGE)
        return false;
    *pCount = n;
    return true;
}

// Host options come first; the first argument that is not one starts the
// system's command line. False after printing what was wrong.
bool ParseOptions(int argc, char** argv, HostOptions* pOptions)
{
    int i = 1;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
        const char* arg = argv[i];
        const bool bHasValue = i + 1 < argc;
        if (std::strcmp(arg, "--headless") == 0) {
            pOptions->bHeadless = true;
        } else if (std::strcmp(arg, "--data") == 0 && bHasValue) {
            pOptions->dataDir = argv[++i];
        } else if (std::strcmp(arg, "--capture") == 0 && bHasValue) {
            pOptions->capture = argv[++i];
        } else if (std::strcmp(arg, "--audio-wav") == 0 && bHasValue) {
            pOptions->audioWav = argv[++i];
        } else if (std::strcmp(arg, "--frames") == 0 && bHasValue) {
            if (!ParseCount(argv[++i], &pOptions->nFrames)) {
                std::fprintf(stderr, "quillmere: --frames needs a positive number up to %ld, not \"%s\"\n", LONG_MAX,
                             argv[i]);
                return false;
            }
        } else {
            std::fprintf(stderr, "quillmere: unknown option or missing value: %s\n", arg);
            return false;
        }
    }
    for (; i < argc; ++i) {
        if (!pOptions->commandLine.empty())
            pOptions->commandLine += ' ';
        pOptions->commandLine += argv[i];
    }
    return true;
}

constexpr int32_t kFrameTicks = 20;  // one 30 Hz frame

// Until the game flow exists, a frame is a clear to black, a flip and the
// mixer's step.
bool RunFrames(const HostOptions& options)
{
    mOCS listener;
    listener.MakeIdentity();
    for (long frame = 0; options.nFrames == 0 || frame < options.nFrames; ++frame) {
        if (VIQuitRequested())
            break;
        eVideo::BeginRender();
        eVideo::Clear(true, true, 0xFF000000u, 1.0f, nullptr);
        eVideo::EndRender();
        eVideo::Flip();
        eAudio::Update(cTimeValue(kFrameTicks), listener);
        if (!cUpdateOS())
            break;
    }
    if (!options.capture.empty() && !VIWriteScreenshotPNG(options.capture.c_str())) {
        cLogError_("quillmere: could not write the frame to \"%s\"", options.capture.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    static HostOptions s_options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            PrintUsage(stdout);
            return 0;
        }
    }
    if (!ParseOptions(argc, argv, &s_options)) {
        PrintUsage(stderr);
        return 2;
    }
    // Before any other thread exists, so every wait sees the virtual clock.
    if (s_options.bHeadless)
        OSSetVirtualClock(TRUE);
    OSInit();
    cMemPool::AllocGlobalPool();
    if (s_options.commandLine.size() >= static_cast<size_t>(kCommandLineSize))
        cLogWarn_("quillmere: the command line is longer than %d characters; the rest is ignored", kCommandLineSize - 1);
    cSetCommandLine(s_options.commandLine.c_str());
    DVDSetDataDirectory(s_options.dataDir.c_str());
    cLogInfo_("quillmere: data \"%s\"%s, command line \"%s\"", s_options.dataDir.c_str(),
              s_options.bHeadless ? ", headless" : "", s_options.commandLine.c_str());

    VISetHeadless(s_options.bHeadless ? TRUE : FALSE);  // before the video start-up calls VIInit
    eVideoPlatform::Initialize();
    eAudioPlatform::Initialize();
    eAudio::Initialize();
    bool bOk = true;
    if (!s_options.audioWav.empty() && !AISetWavOutput(s_options.audioWav.c_str())) {
        cLogError_("quillmere: could not write the sound output to \"%s\"", s_options.audioWav.c_str());
        bOk = false;
    }
    bOk = bOk && RunFrames(s_options);
    if (!s_options.audioWav.empty() && !AISetWavOutput(nullptr)) {
        cLogError_("quillmere: could not write the sound output to \"%s\"", s_options.audioWav.c_str());
        bOk = false;
    }
    eAudio::Uninitialize();
    eAudioPlatform::Uninitialize();
    eVideoPlatform::Uninitialize();
    return bOk ? 0 : 1;
}
