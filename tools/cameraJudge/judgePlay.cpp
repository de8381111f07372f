// One route of the camera judge in a child process: see the header.
#include "judgePlay.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/dvd.h"
#include "platform/os.h"
#include "platform/pad.h"
#include "platform/vi.h"
#include "cCore/cCoreServices.h"
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
#include "gcGameCore/flow/gcMap.h"
#include "judgePlace.h"
#include "judgeProbe.h"

namespace cameraJudge {

namespace {

// What the child hands its parent.
struct Outcome {
    bool bRan;
    bool bTraced;
    PlayFigures figures;
    cameraJudgeRules rules;
};
static_assert(std::is_trivially_copyable_v<Outcome>);

// The child's watch over the map loop.
struct Watch {
    cameraJudgeProbe probe;
    cameraJudgeRules rules;
    PlayFigures figures;
    FrameFacts facts;
    Place place;
    bool bPlaceTried = false;
    bool bPlaced = false;  // placed after the last frame: this one is a cut
    FILE* pTrace = nullptr;
    bool bTraceFailed = false;
};
Watch* s_pWatch = nullptr;

void WriteTraceRow(FILE* pTrace, uint64_t nFrame, const FrameFacts& f, bool* pFailed)
{
    const float fHidden = f.nRays > 0 ? static_cast<float>(f.nBlocked) / static_cast<float>(f.nRays) : 0.0f;
    const int n = std::fprintf(pTrace,
                               "%llu\t%d\t%d\t%.4f\t%.4f\t%.4f\t%.5f\t%.5f\t%.5f\t%.5f\t%.5f\t%.5f\t%.4f\t%.4f\t%."
                               "4f\t%.5f\t%.4f\t%.5f\t%.5f\n",
                               static_cast<unsigned long long>(nFrame), f.bFollow ? 1 : 0, f.bCut ? 1 : 0,
                               f.cameraWorld.x, f.cameraWorld.y, f.cameraWorld.z, f.forward.x, f.forward.y, f.forward.z,
                               f.up.x, f.up.y, f.up.z, f.playerWorld.x, f.playerWorld.y, f.playerWorld.z, f.fCoverage,
                               f.fPlayerAlpha, f.fNearShare, fHidden);
    *pFailed = *pFailed || n < 0;
}

// A frame's number is the one the program's --frames gives it: the frame
// whose picture shows this update's state is the next one copied out.
void CheckFrame(int nFrameOfRun)
{
    // The frame after the last one shown is never seen.
    if (VIQuitRequested())
        return;
    Watch& w = *s_pWatch;
    const uint64_t nFrame = eVideo::FrameTimes().nFrames + 1;
    w.probe.Read(nFrameOfRun, w.bPlaced, &w.facts);
    w.rules.Check(nFrame, w.facts);
    w.figures.nFollow += w.facts.bFollow ? 1 : 0;
    if (w.pTrace)
        WriteTraceRow(w.pTrace, nFrame, w.facts, &w.bTraceFailed);
    w.bPlaced = false;
    // Once, early in the first run of the map: the player placed where the
    // route says.
    if (w.place.nRegion >= 0 && !w.bPlaceTried && nFrameOfRun == kPlaceFrame) {
        w.bPlaceTried = true;
        w.bPlaced = cameraJudgePlace::PlacePlayer(w.place);
        (w.bPlaced ? w.figures.nPlaced : w.figures.nUnplaced) += 1;
    }
}


// The child: plays the route and writes its outcome to fd. The game's log
// goes nowhere; its exit is _exit, the game left as it stands.
[[noreturn]] void PlayChild(const std::string& dataDir, const Route& route, uint32_t nSeed, uint64_t nFrames,
                            const char* sTrace, int fd)
{
    const int nNull = open("/dev/null", O_WRONLY);
    if (nNull >= 0) {
        dup2(nNull, STDOUT_FILENO);
        dup2(nNull, STDERR_FILENO);
    }
    static Outcome s_outcome;
    static Watch s_watch;
    s_watch.rules.Begin(nSeed);
    s_watch.place = route.place;
    s_pWatch = &s_watch;
    if (sTrace) {
        s_watch.pTrace = std::fopen(sTrace, "w");
        s_watch.bTraceFailed = !s_watch.pTrace || std::fprintf(s_watch.pTrace, "%s\n", kTraceHeader) < 0;
    }
    const char* sRoot = std::getenv("TMPDIR");
    std::string input = std::string(sRoot && *sRoot ? sRoot : "/tmp") + "/camera-judge-XXXXXX";
    char* sInput = input.data();
    const int nInput = mkstemp(sInput);
    const bool bWritten = nInput >= 0 && write(nInput, route.input.data(), route.input.size()) ==
                                             static_cast<ssize_t>(route.input.size());
    if (nInput >= 0)
        close(nInput);
    if (bWritten) {
        StartGame(dataDir, route.CommandLine(), sInput, nFrames);
        unlink(sInput);
        gcMap::SetFrameObserver(CheckFrame);
        s_outcome.bRan = gcGame::LoadBackground() && gcGame::s_pGame->Run() == gcGame::RUN_ENDED;
    }
    s_watch.figures.nFrames = eVideo::FrameTimes().nFrames;
    if (s_watch.pTrace)
        s_watch.bTraceFailed = std::fclose(s_watch.pTrace) != 0 || s_watch.bTraceFailed;
    s_outcome.bTraced = !s_watch.bTraceFailed;
    s_outcome.figures = s_watch.figures;
    s_outcome.rules = s_watch.rules;
    const char* p = reinterpret_cast<const char*>(&s_outcome);
    size_t nLeft = sizeof s_outcome;
    while (nLeft > 0) {
        const ssize_t n = write(fd, p, nLeft);
        if (n <= 0)
            break;
        p += n;
        nLeft -= static_cast<size_t>(n);
    }
    _exit(nLeft == 0 ? 0 : 1);
}

bool ReadAll(int fd, void* pData, size_t nSize)
{
    char* p = static_cast<char*>(pData);
    while (nSize > 0) {
        const ssize_t n = read(fd, p, nSize);
        if (n <= 0)
            return false;
        p += n;
        nSize -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

const char* const kTraceHeader =
    "frame\tfollow\tcut\tcam_x\tcam_y\tcam_z\tfwd_x\tfwd_y\tfwd_z\tup_x\tup_y\tup_z\tplayer_x\tplayer_y\tplayer_z\t"
    "share\tplayer_alpha\tnear_share\thidden_share";

// The services in the program's order (its start-up steps).
void StartGame(const std::string& dataDir, const std::string& commandLine, const char* sInput, uint64_t nFrames)
{
    OSSetVirtualClock(TRUE);
    OSInit();
    cMemPool::AllocGlobalPool();
    // The command line is kept, not copied: it must outlive the run.
    static std::string s_commandLine;
    s_commandLine = commandLine;
    cSetCommandLine(s_commandLine.c_str());
    DVDSetDataDirectory(dataDir.c_str());
    PADLoadReplay(sInput);
    VISetHeadless(TRUE);
    VISetHeadlessDrawing(FALSE);
    VISetFrameLimit(nFrames);
    eVideoPlatform::Initialize();
    eAudioPlatform::Initialize();
    eMoviePlatform::Initialize();
    eInput::Initialize();
    eInput::SetDeadzone(10, 10);
    eMemCard::Initialize("Quillmere", "Hollowbeck Inc.");
    eZone::Initialize();
    gcGameConfig::Initialize();
    gcGameConfig::s_dataPath.Set("%s", "");
}

bool PlayRoute(const std::string& dataDir, const Route& route, uint32_t nSeed, uint64_t nFrames,
               cameraJudgeRules* pRules, PlayFigures* pFigures, const char* sTrace)
{
    int fds[2];
    if (pipe(fds) != 0) {
        std::fprintf(stderr, "camera-judge: seed %u: no pipe: %s\n", nSeed, std::strerror(errno));
        return false;
    }
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        PlayChild(dataDir, route, nSeed, nFrames, sTrace, fds[1]);
    }
    close(fds[1]);
    static Outcome s_outcome;
    const bool bRead = pid > 0 && ReadAll(fds[0], &s_outcome, sizeof s_outcome);
    close(fds[0]);
    int nStatus = 0;
    if (pid > 0)
        waitpid(pid, &nStatus, 0);
    if (!bRead || !s_outcome.bRan) {
        std::fprintf(stderr, "camera-judge: seed %u: the game did not run to its end (%s)\n", nSeed,
                     pid < 0 ? "no child process" : !bRead ? "the child died" : "it failed; see the program's log");
        return false;
    }
    pRules->Merge(s_outcome.rules);
    pFigures->nFrames += s_outcome.figures.nFrames;
    pFigures->nFollow += s_outcome.figures.nFollow;
    pFigures->nPlaced += s_outcome.figures.nPlaced;
    pFigures->nUnplaced += s_outcome.figures.nUnplaced;
    if (!s_outcome.bTraced) {
        std::fprintf(stderr, "camera-judge: seed %u: the trace \"%s\" could not be written\n", nSeed, sTrace);
        return false;
    }
    return true;
}

}  // namespace cameraJudge
