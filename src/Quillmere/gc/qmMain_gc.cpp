// Entry point of the PC build: host options first, then the system's own
// command line ("/act 1 /map 2"). Starts the services, loads the game on the
// loader thread, runs the top loop and shuts down in reverse order; the exit
// code says how the run ended (the table below, as --help lists it).
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/ai.h"
#include "platform/dvd.h"
#include "platform/os.h"
#include "platform/pad.h"
#include "platform/vi.h"
#include "cCore/cCoreServices.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "eEngine/eAudioPlatform.h"
#include "eEngine/eInput.h"
#include "eEngine/eMemCard.h"
#include "eEngine/eMoviePlatform.h"
#include "eEngine/eVideo.h"
#include "eEngine/eVideoPlatform.h"
#include "eEngine/eZone.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/flow/gcPlatformConfig.h"

#ifndef QM_DEFAULT_DATA_DIR
#define QM_DEFAULT_DATA_DIR "sample"
#endif

namespace {

// Exit codes, as --help and the README list them; a signal ends the run with
// 128 + its number after the normal shutdown.
constexpr int kExitOk = 0;       // the game ended, its window was closed or the frames were shown
constexpr int kExitOutput = 1;   // an output file (--capture, --audio-wav) could not be written
constexpr int kExitUsage = 2;    // the command line, the data folder or the input file was refused
// A map asked for could not be loaded: its act, map, region or player
// configuration damaged or missing, or a region streamed in damaged.
constexpr int kExitMap = 3;
// The window's display was lost (after the normal shutdown), or, without
// --headless, no display answered for a window.
constexpr int kExitDisplay = 4;
// The game's own files could not be loaded (the game file, its configurations,
// its game state, the main menu, a damaged loading screen), or the main menu
// left nothing to choose. The log names the file.
constexpr int kExitGame = 254;

struct HostOptions {
    std::string dataDir = QM_DEFAULT_DATA_DIR;
    bool bHeadless = false;
    uint64_t nFrames = 0;  // 0: until the program ends itself
    std::string capture;
    std::string audioWav;  // the mixed sound output, when asked
    std::string input;     // recorded controller input to play instead of the devices
    bool bPoolReport = false;  // log every pool's use after the run
    std::string commandLine;  // the system's own; must outlive every lookup
};

void PrintUsage(FILE* out)
{
    std::fprintf(out,
                 "usage: quillmere [--data DIR] [--headless] [--frames N] [--capture FILE.png] [--audio-wav FILE.wav]\n"
                 "                 [--input FILE] [--pool-report] [/name value ...]\n"
                 "  --data DIR        the game data directory (default: the sample data)\n"
                 "  --headless        no window and no audio device; virtual clock; frames are\n"
                 "                    drawn only for --capture\n"
                 "  --frames N        end after N frames\n"
                 "  --capture FILE    write the last frame as PNG\n"
                 "  --audio-wav FILE  write the mixed sound output as WAV\n"
                 "  --input FILE      play recorded controller input instead of the devices; one\n"
                 "                    change a line: FRAME PORT BUTTONS [SX SY [CX CY [TL TR]]]\n"
                 "                    (BUTTONS: A+B+X+Y+Z+L+R+START+UP+DOWN+LEFT+RIGHT or -;\n"
                 "                    sticks -128..127, triggers 0..255; '#' starts a comment)\n"
                 "  --pool-report     log every memory pool's use after the run, its largest use\n"
                 "                    and its use when last emptied or freed (a map's pools: as\n"
                 "                    the map ends)\n"
                 "  /name value ...   options of the game itself; /act N /map M starts that map\n"
                 "                    (both numbered from 1; one without the other is refused)\n"
                 "exit codes:\n"
                 "  0    the game ended, its window was closed or the frames asked for were shown\n"
                 "  1    the frame (--capture) or the sound output (--audio-wav) could not be written\n"
                 "  2    the command line was refused, --data is not a readable folder, or the\n"
                 "       --input file cannot be used (not a regular file, larger than 64 MiB, or\n"
                 "       a malformed line)\n"
                 "  3    a map asked for could not be loaded: its act, map, region or player\n"
                 "       configuration damaged or missing, or a region streamed in damaged (the\n"
                 "       log names the file)\n"
                 "  4    the window's display was lost (the window destroyed, or its X connection\n"
                 "       broken), after the normal shutdown, or, without --headless, no\n"
                 "       display answered for a window\n"
                 "  254  the game's own files could not be loaded (the game file, its configurations,\n"
                 "       its game state, the main menu, a damaged loading screen), or the main menu\n"
                 "       left nothing to choose (the log names the file)\n"
                 "  129, 130, 143  ended by SIGHUP, SIGINT or SIGTERM (128 + the signal), after the\n"
                 "       normal shutdown\n");
}

// A decimal count from 1 to nMax, digits only: no sign, no spaces, nothing
// that wraps.
bool ParseCount(const char* text, uint64_t nMax, uint64_t* pCount)
{
    if (!*text)
        return false;
    uint64_t n = 0;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        const uint64_t digit = static_cast<uint64_t>(*p - '0');
        if (n > (nMax - digit) / 10)
            return false;
        n = n * 10 + digit;
    }
    if (n == 0)
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
        } else if (std::strcmp(arg, "--pool-report") == 0) {
            pOptions->bPoolReport = true;
        } else if (std::strcmp(arg, "--data") == 0 && bHasValue) {
            pOptions->dataDir = argv[++i];
        } else if (std::strcmp(arg, "--capture") == 0 && bHasValue) {
            pOptions->capture = argv[++i];
        } else if (std::strcmp(arg, "--audio-wav") == 0 && bHasValue) {
            pOptions->audioWav = argv[++i];
        } else if (std::strcmp(arg, "--input") == 0 && bHasValue) {
            pOptions->input = argv[++i];
        } else if (std::strcmp(arg, "--frames") == 0 && bHasValue) {
            if (!ParseCount(argv[++i], UINT64_MAX, &pOptions->nFrames)) {
                std::fprintf(stderr, "quillmere: --frames needs a number from 1 to %" PRIu64 ", not \"%s\"\n",
                             UINT64_MAX, argv[i]);
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

// One start-up or shut-down step, logged by name so a run shows the order.
struct Step {
    const char* sName;
    void (*pFunc)();
};

// Start-up in this order: the platform services, the memory card, the zone
// system, then the game configuration, which installs the reset and
// disc-error handlers before anything is loaded and shows the start-up
// notice.
const Step kInitSteps[] = {
    {"video", [] { eVideoPlatform::Initialize(); }},
    {"audio", [] { eAudioPlatform::Initialize(); }},
    {"movie", [] { eMoviePlatform::Initialize(); }},
    {"input", [] { eInput::Initialize(); eInput::SetDeadzone(10, 10); }},
    {"memory card", [] { eMemCard::Initialize("Quillmere", "Hollowbeck Inc."); }},
    {"zones", [] { eZone::Initialize(); }},
    {"game configuration", [] { gcGameConfig::Initialize(); }},
};

// The reverse of start-up. The memory card is never uninitialised, and the
// reset handler stays installed to the end.
const Step kShutdownSteps[] = {
    {"game configuration", [] { gcGameConfig::Uninitialize(); }},
    {"zones", [] { eZone::Uninitialize(); }},
    {"input", [] { eInput::Uninitialize(); }},
    {"movie", [] { eMoviePlatform::Uninitialize(); }},
    {"audio", [] { eAudioPlatform::Uninitialize(); }},
    {"video", [] { eVideoPlatform::Uninitialize(); }},
};

// What the loader thread loaded, in reverse.
const Step kUnloadSteps[] = {
    {"game", [] { gcGame::Unload(); }},
    {"platform configuration", [] { gcPlatformConfig::Unload(); }},
    {"game configuration", [] { gcGameConfig::Unload(); }},
};

void RunSteps(const char* sVerb, const Step* pSteps, size_t nSteps)
{
    for (size_t i = 0; i < nSteps; ++i) {
        cLogInfo_("quillmere: %s %s", sVerb, pSteps[i].sName);
        pSteps[i].pFunc();
    }
}

bool WriteCapture(const HostOptions& options)
{
    if (options.capture.empty() || VIWriteScreenshotPNG(options.capture.c_str()))
        return true;
    cLogError_("quillmere: could not write the frame to \"%s\"", options.capture.c_str());
    return false;
}

// Logs every pool's use now, its largest use during the run, and its use
// when its memory was last emptied or freed: a region pool is freed as the
// map ends, so that is its use at the map's last frame.
void ReportPoolUse()
{
    const cMemPool* pFirst = cMemPool::s_pPoolList;
    for (const cMemPool* p = pFirst; p; p = p->GetNext() == pFirst ? nullptr : p->GetNext()) {
        cLogInfo_("quillmere: pool \"%s\" uses %zu of %zu bytes; largest use %zu; at its last release %zu of %zu",
                  p->GetName(), p->BytesTaken(), p->Capacity(), p->PeakTaken(), p->TakenAtRelease(),
                  p->CapacityAtRelease());
    }
}

// The data folder must exist and be readable before anything starts: a
// missing one would otherwise read as a missing disc and wait for it.
bool DataFolderReadable(const std::string& dir)
{
    struct stat st;
    return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && ::access(dir.c_str(), R_OK | X_OK) == 0;
}

// The game's map request: /act and /map, when given, must be numbers from 1,
// and come together. The game itself drops a lone one and shows the main
// menu; on a PC command line that is a request it cannot honour, so it is
// refused here rather than ignored without a word.
bool MapRequestReadable()
{
    int32_t nIds[2] = {-1, -1};
    const char* names[2] = {"act", "map"};
    for (int i = 0; i < 2; ++i) {
        const char* name = names[i];
        if (!gcGame::ReadCommandLineId(name, &nIds[i])) {
            cStr value;
            cGetCommandLineValue(name, &value);
            if (value.m_sData[0] == '\0' || value.m_sData[0] == '/')  // nothing, or the next option
                std::fprintf(stderr, "quillmere: /%s needs a number from 1 to %d after it\n", name, INT32_MAX);
            else
                std::fprintf(stderr, "quillmere: /%s needs a number from 1 to %d, not \"%s\"\n", name, INT32_MAX,
                             value.m_sData);
            return false;
        }
    }
    for (int i = 0; i < 2; ++i) {
        if (nIds[i] >= 0 && nIds[1 - i] < 0) {
            std::fprintf(stderr, "quillmere: /%s %d needs /%s with it: /act N /map M, both or neither\n", names[i],
                         nIds[i] + 1, names[1 - i]);
            return false;
        }
    }
    return true;
}

// What the program returns after its normal shutdown. A quit by signal
// reads as one to the shell, whatever the interrupted work left behind; so
// does a lost display, which cut the run short.
int ExitCode(int nCode)
{
    const int nSignal = VIQuitSignal();
    const int nExit = nSignal != 0 ? 128 + nSignal : VIDisplayLost() ? kExitDisplay : nCode;
    if (nSignal != 0)
        cLogInfo_("quillmere: ended by signal %d (%s)", nSignal, strsignal(nSignal));
    // Past the shutdown, a lost display's process has nothing left to do:
    // the exit handlers of the GL library and of video would wait on the
    // dead connection and on the render thread stopped inside it, seconds
    // on a busy machine.
    if (VIDisplayLost())
        VIEndProcess(nExit);
    return nExit;
}

// The exit code of the top loop's end: what failed, or kExitOk when it
// ended by itself. The cause of a failure is logged already, naming the
// file; the game's own data failing gets a line that the game cannot go on.
int RunEndCode(gcGame::eRunEnd end)
{
    const char* sWhat = nullptr;
    switch (end) {
    case gcGame::RUN_ENDED:
        return kExitOk;
    case gcGame::RUN_MAP_FAILED:
        return kExitMap;
    case gcGame::RUN_GAME_STATE_FAILED:
        sWhat = "the game state could not be loaded";
        break;
    case gcGame::RUN_MAIN_MENU_FAILED:
        sWhat = "the game state or the main menu failed";
        break;
    case gcGame::RUN_LOADING_SCREEN_FAILED:
        sWhat = "a loading screen of the game could not be loaded";
        break;
    }
    cLogInfo_("quillmere: %s; the game cannot go on", sWhat);
    return kExitGame;
}

// How many frames a window run showed, over how long, and its slowest: what
// the machine held.
void ReportFrameRate()
{
    if (VIIsHeadless())
        return;
    char sText[128];
    eVideo::FrameTimes().Describe(sText, sizeof sText);
    cLogInfo_("quillmere: %s", sText);
}

}  // namespace

// The console's quantisation registers have no counterpart here: the
// quantised loads and stores of platform/ps.h take their format with every
// call.
bool Initialize()
{
    RunSteps("start", kInitSteps, std::size(kInitSteps));
    // Every data file name begins with the data path; the disc layer maps
    // "/Game/..." below the data directory.
    gcGameConfig::s_dataPath.Set("%s", "");
    return true;
}

void Shutdown()
{
    RunSteps("stop", kShutdownSteps, std::size(kShutdownSteps));
}


int main(int argc, char** argv)
{
    // First of all: a signal from here on ends the run through its shutdown.
    VIInstallQuitSignals();
    static HostOptions s_options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            PrintUsage(stdout);
            return 0;
        }
    }
    if (!ParseOptions(argc, argv, &s_options)) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    if (!DataFolderReadable(s_options.dataDir)) {
        std::fprintf(stderr, "quillmere: the data folder \"%s\" does not exist or cannot be read\n",
                     s_options.dataDir.c_str());
        return kExitUsage;
    }
    // Before any other thread exists, so every wait sees the virtual clock.
    if (s_options.bHeadless)
        OSSetVirtualClock(TRUE);
    OSInit();
    cMemPool::AllocGlobalPool();
    if (s_options.commandLine.size() >= static_cast<size_t>(kCommandLineSize))
        cLogWarn_("quillmere: the command line is longer than %d characters; the rest is ignored", kCommandLineSize - 1);
    cSetCommandLine(s_options.commandLine.c_str());
    if (!MapRequestReadable()) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    DVDSetDataDirectory(s_options.dataDir.c_str());
    cLogInfo_("quillmere: data \"%s\"%s, command line \"%s\"", s_options.dataDir.c_str(),
              s_options.bHeadless ? ", headless" : "", s_options.commandLine.c_str());

    if (!s_options.input.empty() && !PADLoadReplay(s_options.input.c_str())) {
        std::fprintf(stderr, "quillmere: the input file \"%s\" could not be used (see the log)\n",
                     s_options.input.c_str());
        return kExitUsage;
    }
    VISetHeadless(s_options.bHeadless ? TRUE : FALSE);  // before the video start-up calls VIInit
    // Only a capture reads a headless run's frames.
    VISetHeadlessDrawing(s_options.capture.empty() ? FALSE : TRUE);
    if (s_options.nFrames > 0)
        VISetFrameLimit(s_options.nFrames);
    VISetDisplayLostExitCode(kExitDisplay);
    Initialize();
    bool bWavOk = s_options.audioWav.empty() || AISetWavOutput(s_options.audioWav.c_str());
    if (!bWavOk)
        cLogError_("quillmere: could not write the sound output to \"%s\"", s_options.audioWav.c_str());
    if (!gcGame::LoadBackground()) {
        cLogInfo_("quillmere: the game could not be loaded");  // the cause is logged, naming the file
        WriteCapture(s_options);
        ReportFrameRate();
        Shutdown();
        return ExitCode(kExitGame);
    }
    const int nRunCode = RunEndCode(gcGame::s_pGame->Run());
    ReportFrameRate();
    if (s_options.bPoolReport)
        ReportPoolUse();
    const bool bCaptureOk = WriteCapture(s_options);
    if (bWavOk && !s_options.audioWav.empty() && !AISetWavOutput(nullptr)) {
        bWavOk = false;
        cLogError_("quillmere: could not write the sound output to \"%s\"", s_options.audioWav.c_str());
    }
    RunSteps("unload", kUnloadSteps, std::size(kUnloadSteps));
    Shutdown();
    if (nRunCode != kExitOk)
        return ExitCode(nRunCode);
    return ExitCode(bWavOk && bCaptureOk ? kExitOk : kExitOutput);
}
