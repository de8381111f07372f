// camera-judge: plays pseudo-random routes of the game headless and checks,
// on every frame of follow play, what a player must never see of the
// follow camera. Prints each rule's frames checked and broken and its worst
// frame (seed and frame, for the program's --input and --frames), and exits
// non-zero when any rule is broken.
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/stat.h>

#include "judgePlay.h"
#include "judgeRoute.h"
#include "judgeRules.h"

namespace {

constexpr int kExitClean = 0;
constexpr int kExitBroken = 1;
constexpr int kExitUsage = 2;
constexpr int kExitGame = 3;

struct Options {
    std::string dataDir;
    uint32_t nFirstSeed = 0, nLastSeed = 0;
    uint64_t nFrames = 0;
    int nMap = 0;
    std::string writeInputs;  // a folder for each seed's input file
    std::string input;        // a recorded input to judge instead of the seeds' routes
    std::string trace;        // a file for every frame of the one route judged
    bool open[cameraJudge::RULE_COUNT] = {};  // rules reported but not failing the run
};

void PrintUsage(FILE* out)
{
    std::fprintf(out,
                 "usage: camera-judge --data DIR --seeds A-B --frames N [--map M] [--write-inputs DIR] [--open R,R...]\n"
                 "                    [--trace FILE]\n"
                 "       camera-judge --data DIR --input FILE [--frames N] [--map M] [--open R,R...] [--trace FILE]\n"
                 "  --data DIR          the game data (as the program's --data)\n"
                 "  --seeds A-B         one route a seed, A to B (or one seed A)\n"
                 "  --frames N          frames of each route, as the program's --frames\n"
                 "  --map M             every route from map M's start (1-3); without it the\n"
                 "                      seed chooses: seed %% 4 = 0 New Game, else that map\n"
                 "  --write-inputs DIR  writes each seed's route as DIR/seed-S.txt, for\n"
                 "                      quillmere --headless --input FILE --frames N [/act 1 /map M]\n"
                 "  --input FILE        judges a recorded input (from New Game, or map M) instead;\n"
                 "                      --frames and --map default to its first line's command\n"
                 "                      (# quillmere ... --frames N [/act 1 /map M])\n"
                 "  --trace FILE        writes every frame of the one route judged as a table\n"
                 "  --open R,R...       rules still open: reported, but they do not fail the run\n"
                 "exit codes: 0 no rule broken, 1 a rule broken, 2 the command line refused,\n"
                 "            3 a route's game did not run\n");
}

bool ParseNumber(const char* s, uint64_t nMax, uint64_t* pOut)
{
    char* pEnd = nullptr;
    if (!*s || *s < '0' || *s > '9')
        return false;
    const unsigned long long n = std::strtoull(s, &pEnd, 10);
    if (*pEnd || n > nMax)
        return false;
    *pOut = n;
    return true;
}

bool ParseSeeds(const char* s, Options* pOptions)
{
    const char* pDash = std::strchr(s, '-');
    const std::string first = pDash ? std::string(s, pDash) : std::string(s);
    uint64_t a = 0, b = 0;
    if (!ParseNumber(first.c_str(), UINT32_MAX, &a) || !ParseNumber(pDash ? pDash + 1 : s, UINT32_MAX, &b) || b < a)
        return false;
    pOptions->nFirstSeed = static_cast<uint32_t>(a);
    pOptions->nLastSeed = static_cast<uint32_t>(b);
    return true;
}

// A comma-separated list of rule names, each known.
bool ParseOpenRules(const char* s, Options* pOptions)
{
    std::stringstream list(s);
    std::string name;
    while (std::getline(list, name, ',')) {
        int rule = 0;
        while (rule < cameraJudge::RULE_COUNT && name != cameraJudge::RuleName(rule))
            ++rule;
        if (rule == cameraJudge::RULE_COUNT)
            return false;
        pOptions->open[rule] = true;
    }
    return true;
}

// Broken rules that are not open fail the run.
bool AnyClosedRuleBroken(const cameraJudge::cameraJudgeRules& rules, const Options& options)
{
    for (int rule = 0; rule < cameraJudge::RULE_COUNT; ++rule)
        if (rules.Stat(rule).nBroken > 0 && !options.open[rule])
            return true;
    return false;
}

bool ParseOption(const char* sName, const char* sValue, Options* pOptions)
{
    uint64_t n = 0;
    if (std::strcmp(sName, "--data") == 0)
        pOptions->dataDir = sValue;
    else if (std::strcmp(sName, "--seeds") == 0)
        return ParseSeeds(sValue, pOptions);
    else if (std::strcmp(sName, "--frames") == 0)
        return ParseNumber(sValue, UINT32_MAX, &pOptions->nFrames) && pOptions->nFrames > 0;
    else if (std::strcmp(sName, "--map") == 0)
        return ParseNumber(sValue, 3, &n) && n >= 1 && (pOptions->nMap = static_cast<int>(n)) > 0;
    else if (std::strcmp(sName, "--write-inputs") == 0)
        pOptions->writeInputs = sValue;
    else if (std::strcmp(sName, "--input") == 0)
        pOptions->input = sValue;
    else if (std::strcmp(sName, "--trace") == 0)
        pOptions->trace = sValue;
    else if (std::strcmp(sName, "--open") == 0)
        return ParseOpenRules(sValue, pOptions);
    else
        return false;
    return true;
}

bool ParseOptions(int argc, char** argv, Options* pOptions)
{
    bool bSeeds = false;
    for (int i = 1; i < argc; i += 2) {
        if (i + 1 >= argc || !ParseOption(argv[i], argv[i + 1], pOptions)) {
            std::fprintf(stderr, "camera-judge: refused: %s%s%s\n", argv[i], i + 1 < argc ? " " : "",
                         i + 1 < argc ? argv[i + 1] : "(no value)");
            return false;
        }
        bSeeds = bSeeds || std::strcmp(argv[i], "--seeds") == 0;
    }
    if (pOptions->dataDir.empty() || (pOptions->nFrames == 0 && bSeeds) || bSeeds == !pOptions->input.empty()) {
        std::fprintf(stderr, "camera-judge: --data, one of --seeds (with --frames) or --input are needed\n");
        return false;
    }
    if (!pOptions->trace.empty() && bSeeds && pOptions->nFirstSeed != pOptions->nLastSeed) {
        std::fprintf(stderr, "camera-judge: --trace takes one route: one seed or --input\n");
        return false;
    }
    return true;
}

bool WriteInput(const std::string& dir, uint32_t nSeed, const cameraJudge::Route& route, uint64_t nFrames)
{
    const std::string path = dir + "/seed-" + std::to_string(nSeed) + ".txt";
    std::ofstream out(path);
    // A placed route plays again as the judge plays it; the program alone
    // starts it from the map's start.
    out << "# quillmere --headless --input " << path << " --frames " << nFrames
        << (route.nMap > 0 ? " " + route.CommandLine() : std::string()) << "\n"
        << (route.place.nRegion >= 0 ? "# the player placed: camera-judge --input " + path + "\n" : std::string())
        << route.input;
    if (out.flush())
        return true;
    std::fprintf(stderr, "camera-judge: could not write \"%s\"\n", path.c_str());
    return false;
}

bool ReadInput(Options* pOptions, cameraJudge::Route* pRoute)
{
    std::ifstream in(pOptions->input);
    std::stringstream text;
    text << in.rdbuf();
    if (!in) {
        std::fprintf(stderr, "camera-judge: could not read \"%s\"\n", pOptions->input.c_str());
        return false;
    }
    pRoute->input = text.str();
    // Given on the command line, they win.
    uint64_t nFrames = 0;
    int nMap = 0;
    cameraJudge::CommandOfInput(pRoute->input, &nFrames, &nMap);
    pOptions->nFrames = pOptions->nFrames > 0 ? pOptions->nFrames : nFrames;
    pOptions->nMap = pOptions->nMap > 0 ? pOptions->nMap : nMap;
    if (pOptions->nFrames == 0) {
        std::fprintf(stderr, "camera-judge: \"%s\" names no --frames: give them\n", pOptions->input.c_str());
        return false;
    }
    pRoute->nMap = pOptions->nMap;
    pRoute->place = cameraJudge::ReadPlace(pRoute->input);
    return true;
}

void PrintReport(const cameraJudge::cameraJudgeRules& rules)
{
    std::printf("%-12s %10s %9s %10s %8s %8s  %s\n", "rule", "checked", "broken", "worst", "seed", "frame",
                "measured");
    for (int rule = 0; rule < cameraJudge::RULE_COUNT; ++rule) {
        const cameraJudge::RuleStat& s = rules.Stat(rule);
        if (s.nBroken > 0)
            std::printf("%-12s %10" PRIu64 " %9" PRIu64 " %10.3f %8u %8" PRIu64 "  %s\n", cameraJudge::RuleName(rule),
                        s.nChecked, s.nBroken, s.fWorst, s.nWorstSeed, s.nWorstFrame,
                        cameraJudge::RuleMeasure(rule));
        else
            std::printf("%-12s %10" PRIu64 " %9d %10s %8s %8s  %s\n", cameraJudge::RuleName(rule), s.nChecked, 0, "-",
                        "-", "-", cameraJudge::RuleMeasure(rule));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        PrintUsage(stdout);
        return kExitClean;
    }
    if (!ParseOptions(argc, argv, &options)) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    struct stat st;
    if (::stat(options.dataDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        std::fprintf(stderr, "camera-judge: the data folder \"%s\" cannot be read\n", options.dataDir.c_str());
        return kExitUsage;
    }
    const auto start = std::chrono::steady_clock::now();
    cameraJudge::cameraJudgeRules rules;
    cameraJudge::PlayFigures figures;
    bool bAllRan = true;
    const uint32_t nLast = options.input.empty() ? options.nLastSeed : options.nFirstSeed;
    for (uint32_t nSeed = options.nFirstSeed;; ++nSeed) {
        cameraJudge::Route route;
        if (!options.input.empty()) {
            if (!ReadInput(&options, &route))
                return kExitUsage;
        } else {
            route = cameraJudge::MakeRoute(nSeed, options.nFrames, options.nMap);
            if (!options.writeInputs.empty() && !WriteInput(options.writeInputs, nSeed, route, options.nFrames))
                return kExitUsage;
        }
        bAllRan = cameraJudge::PlayRoute(options.dataDir, route, nSeed, options.nFrames, &rules, &figures,
                                         options.trace.empty() ? nullptr : options.trace.c_str()) &&
                  bAllRan;
        if (nSeed == nLast)
            break;
    }
    const double fSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("camera-judge: %" PRIu64 " frames played, %" PRIu64 " of follow play checked, in %.1f s: %.0f frames/s\n",
                figures.nFrames, figures.nFollow, fSeconds, fSeconds > 0.0 ? figures.nFrames / fSeconds : 0.0);
    if (figures.nPlaced + figures.nUnplaced > 0)
        std::printf("camera-judge: %" PRIu64 " routes placed the player, %" PRIu64 " found no room and started as the map does\n",
                    figures.nPlaced, figures.nUnplaced);
    PrintReport(rules);
    if (rules.AnyBroken() && options.input.empty())
        std::printf("a frame again: --write-inputs DIR writes seed S's route; quillmere --data DIR --headless\n"
                    "--input DIR/seed-S.txt --frames FRAME --capture F.png (with the route's /act 1 /map M) shows it\n");
    if (!bAllRan)
        return kExitGame;
    return AnyClosedRuleBroken(rules, options) ? kExitBroken : kExitClean;
}
