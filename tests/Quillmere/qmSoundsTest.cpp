// The sample as a player hears it: routes run headless with the sound
// written out, each event's sound found in the WAV where the event happens
// (by the sound's own samples, whatever the music beneath), a blow on the
// left heard on the left, and the map's restart without a click.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "datagen/datagen.h"
#include "datagen/sampleSounds.h"
#include "qmChild.h"
#include "qmWav.h"
#include "tempDir.h"

namespace {


constexpr int kRate = 32000;
constexpr double kFrameSeconds = 1001.0 / 30000.0;  // a retrace, as the input counts frames

double FrameOfSample(long sample)
{
    return static_cast<double>(sample) / kRate / kFrameSeconds;
}

struct Heard {
    std::vector<int16_t> left, right;
};

// One headless run of the data with the input (none when empty) on the
// map (the menu first when empty); its WAV.
Heard RunRoute(const std::string& dir, const std::string& name, const std::string& input, long nFrames,
               const std::string& map)
{
    std::vector<std::string> args = {QM_QUILLMERE, "--data", dir, "--headless", "--frames", std::to_string(nFrames),
                                     "--audio-wav", dir + "/" + name + ".wav"};
    if (!input.empty()) {
        std::ofstream(dir + "/" + name + ".txt") << input;
        args.insert(args.end(), {"--input", dir + "/" + name + ".txt"});
    }
    if (!map.empty())
        args.insert(args.end(), {"/act", "1", "/map", map});
    const qmtest::ChildResult r = qmtest::RunChild(args, 60.0);
    EXPECT_EQ(r.nExit, 0) << r.log;
    EXPECT_EQ(r.log.find("[Warn"), std::string::npos) << r.log;
    EXPECT_EQ(r.log.find("[Error"), std::string::npos) << r.log;
    return {qmtest::ReadWavLeft(dir + "/" + name + ".wav"), qmtest::ReadWavRight(dir + "/" + name + ".wav")};
}

constexpr int kBlock = 160;  // 5 ms, an audio frame

// The loudness of what changes fast, block by block: the RMS of the second
// difference of both channels' sum. The music's notes (below 1 kHz) give
// little of it; every effect's click, knock or rush gives much.
std::vector<double> Brightness(const Heard& h)
{
    std::vector<double> out;
    const size_t n = std::min(h.left.size(), h.right.size());
    auto mid = [&](size_t i) { return (double(h.left[i]) + h.right[i]) / 2.0; };
    for (size_t at = 2; at + kBlock <= n; at += kBlock) {
        double sum = 0;
        for (size_t i = at; i < at + kBlock; ++i) {
            const double d = mid(i) - 2.0 * mid(i - 1) + mid(i - 2);
            sum += d * d;
        }
        out.push_back(std::sqrt(sum / kBlock));
    }
    return out;
}

// Where a sound starts: the first block of a rise to at least twice the
// brightness of two blocks before (a start that falls across a block's
// edge takes two), well above the music's own brightness (its median).
std::vector<long> Onsets(const Heard& h)
{
    const std::vector<double> b = Brightness(h);
    if (b.empty())
        return {};
    std::vector<double> sorted = b;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<long>(sorted.size() / 2), sorted.end());
    const double floor = std::max(100.0, 2.0 * sorted[sorted.size() / 2]);
    auto rises = [&](size_t k) { return k >= 2 && b[k] > floor && b[k] > 2.0 * b[k - 2]; };
    std::vector<long> out;
    for (size_t k = 2; k < b.size(); ++k)
        if (rises(k) && !rises(k - 1))
            out.push_back(static_cast<long>(k) * kBlock);
    return out;
}

// A signal twice differenced: what changes fast, little of the music's
// notes.
std::vector<double> Bright(std::vector<double> x)
{
    for (int pass = 0; pass < 2; ++pass)
        for (size_t i = x.size(); i-- > 1;)
            x[i] -= x[i - 1];
    if (!x.empty())
        x[0] = 0.0;
    return x;
}

struct Match {
    double frame = -1.0;  // of the WAV
    double r = 0.0;       // the normalised correlation there
};

// Where the sound is heard best within [from, to) frames of the WAV, by its
// own samples: the lag at which its first 200 ms, twice differenced,
// correlate best with the WAV's mid, twice differenced. Sounds that start
// together are told apart by their shapes, as the ear does.
Match FindSound(const Heard& h, datagen::SampleSound sound, double from, double to)
{
    const std::vector<int16_t> pcm = datagen::MakeSampleSound(sound);
    const std::vector<double> p =
        Bright(std::vector<double>(pcm.begin(), pcm.begin() + std::min<long>(pcm.size(), kRate / 5)));
    const long n = static_cast<long>(std::min(h.left.size(), h.right.size()));
    const long first = std::max(0L, static_cast<long>(from * kFrameSeconds * kRate));
    const long last = std::min(n - static_cast<long>(p.size()), static_cast<long>(to * kFrameSeconds * kRate));
    if (p.empty() || first >= last)
        return {};
    std::vector<double> mid(static_cast<size_t>(last + static_cast<long>(p.size()) - first));
    for (size_t i = 0; i < mid.size(); ++i)
        mid[i] = (double(h.left[i + static_cast<size_t>(first)]) + h.right[i + static_cast<size_t>(first)]) / 2.0;
    mid = Bright(mid);
    double own = 0, heard = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        own += p[i] * p[i];
        heard += mid[i] * mid[i];
    }
    Match best;
    for (long lag = 0; lag + first < last; ++lag) {
        const size_t at = static_cast<size_t>(lag);
        double dot = 0;
        for (size_t i = 0; i < p.size(); ++i)
            dot += mid[at + i] * p[i];
        const double r = heard > 0 ? dot / std::sqrt(own * heard) : 0.0;
        if (r > best.r)
            best = {FrameOfSample(first + lag), r};
        heard += mid[at + p.size()] * mid[at + p.size()] - mid[at] * mid[at];
    }
    return best;
}

// The frame of the WAV where the first sample above the silence lies: a
// map's music sets in with its first frame.
double MusicOnsetFrame(const Heard& h)
{
    long music = 0;
    while (music < static_cast<long>(h.left.size()) && std::abs(h.left[static_cast<size_t>(music)]) <= 8)
        ++music;
    return FrameOfSample(music);
}

// A map's run in the WAV: its first frame at the music's onset, and the
// input frame of that onset, from the walk pressed at walkFrame, whose
// first step (on the road's flagstones) sounds at once.
struct MapClock {
    double musicFrame = 0.0;
    double mapStart = 0.0;  // the input frame of the map's first frame
    double Wav(double inputFrame) const { return musicFrame + inputFrame - mapStart; }
};

MapClock ClockOf(const Heard& h, double walkFrame)
{
    MapClock c;
    c.musicFrame = MusicOnsetFrame(h);
    const Match step = FindSound(h, datagen::kSoundStepStone, c.musicFrame, c.musicFrame + 30.0);
    c.mapStart = walkFrame - (step.frame - c.musicFrame);
    return c;
}

// The event's sound is heard within two frames of the WAV's frame at (and
// is not another's: it matches its own samples), the best match of the
// half second around it; prints its row of the table.
void ExpectHeardAt(const Heard& h, const char* event, datagen::SampleSound sound, double at, double inputFrame)
{
    const Match m = FindSound(h, sound, at - 15.0, at + 15.0);
    std::printf("  %-22s %5.0f  %8.3f  %5.2f\n", event, inputFrame, m.frame * kFrameSeconds, m.r);
    EXPECT_GE(m.r, 0.3) << event << ": its sound, by its samples";
    EXPECT_NEAR(m.frame, at, 2.0) << event << " within two frames of frame " << inputFrame;
}

class qmSoundsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_pDir = new TempDir("qm_sounds");
        ASSERT_TRUE(s_pDir->Valid());
        ASSERT_TRUE(datagen::WriteSampleGame(s_pDir->Path()));
    }
    static void TearDownTestSuite()
    {
        delete s_pDir;
        s_pDir = nullptr;
    }
    static TempDir* s_pDir;
};

TempDir* qmSoundsTest::s_pDir = nullptr;

}  // namespace

// The first onset within [from, to) frames of the WAV, or -1.
double FirstOnsetFrame(const std::vector<long>& onsets, double from, double to)
{
    for (long at : onsets) {
        const double f = FrameOfSample(at);
        if (f >= from && f < to)
            return f;
    }
    return -1.0;
}

// The biped runs east to the west guard and strikes it four times, 40
// frames apart (B at 400, 440, 480, 520): each strike's swing (with the
// guard's hurt) is heard as it is struck. The WAV does
// not start at the input's frame 0, so the first strike gives the offset,
// and the others must follow it by the frames between the presses, within
// two frames. The guard's own blows fall between them, never 40 frames
// apart five times.
TEST_F(qmSoundsTest, EachStrikeIsHeardAsItIsStruck)
{
    std::string input = "0 0 -\n60 0 - 0 72\n110 0 -\n";
    for (int i = 0; i < 4; ++i)
        input += std::to_string(400 + 40 * i) + " 0 B\n" + std::to_string(406 + 40 * i) + " 0 -\n";
    const Heard h = RunRoute(s_pDir->Path(), "strikes", input, 700, "1");
    const std::vector<long> onsets = Onsets(h);
    ASSERT_FALSE(onsets.empty()) << "no sound but the music";
    auto heardNear = [&](double frame) { return FirstOnsetFrame(onsets, frame - 2.0, frame + 2.0); };
    // The offset: of the onsets near the first press, the one the most
    // strikes follow.
    double first = -1.0;
    int nBest = 0;
    for (long at : onsets) {
        const double f = FrameOfSample(at);
        if (f < 300.0 || f >= 402.0)
            continue;
        int n = 0;
        for (int i = 0; i < 4; ++i)
            n += heardNear(f + 40.0 * i) >= 0.0;
        if (n > nBest) {
            nBest = n;
            first = f;
        }
    }
    ASSERT_GE(first, 0.0) << "the first strike";
    std::printf("  event                  frame  onset (s)\n");
    for (int i = 0; i < 4; ++i) {
        const double heard = heardNear(first + 40.0 * i);
        std::printf("  strike %d               %5d  %8.3f\n", i + 1, 400 + 40 * i, heard * kFrameSeconds);
        EXPECT_GE(heard, 0.0) << "strike " << i + 1 << " within two frames of B";
    }
    // The steps of the run at the map's start: the first sound of all.
    EXPECT_LT(FrameOfSample(onsets.front()), first - 300.0);
    // (The WAV starts with the sound output, some frames after the input's
    // frame 0, and a map's loading holds frames that the sound does not
    // count: only strikes close together are timed against each other.)
}

// The rush of the updraft that lifts the flyer as the sky map begins, after
// the biped has walked into it (its steps first), and the flyer's wing beat
// as A boosts it.
TEST_F(qmSoundsTest, TheUpdraftAndTheBoostAreHeard)
{
    // The control reads the stick in the frame of the start's view (behind
    // the biped, east along the road), held while every push stays within
    // 20 degrees of the first: pushed before the map starts, a walk 23
    // degrees left of forward (slower than a run, so that the way in takes
    // more than the 200 frames below), a run 9 degrees left onto the verge
    // south of the steps and the pillar, then 40 degrees left into the
    // updraft's west half between them.
    const Heard walk = RunRoute(s_pDir->Path(), "updraft",
                                "0 0 -\n30 0 - -15 36\n168 0 - -15 95\n279 0 - -50 60\n", 420, "1");
    const std::vector<long> onsets = Onsets(walk);
    ASSERT_FALSE(onsets.empty());
    const double setOff = FrameOfSample(onsets.front());
    // Steps sound all the way (one a stride): the rush is told by its own
    // samples.
    const Match rush = FindSound(walk, datagen::kSoundUpdraft, setOff + 40.0, 1e9);
    std::printf("  the first step at %.3f s, the rush at %.3f s\n", setOff * kFrameSeconds, rush.frame * kFrameSeconds);
    EXPECT_GE(rush.r, 0.5) << "the rush as the flyer is lifted";
    EXPECT_GT(rush.frame, setOff + 200.0) << "once the walk has reached the updraft";
    const Heard fly = RunRoute(s_pDir->Path(), "boost", "0 0 -\n200 0 A\n206 0 -\n", 260, "3");
    const std::vector<long> beats = Onsets(fly);
    ASSERT_EQ(beats.size(), 2u) << "the rush as the map begins, the boost, and nothing else";
    const double boost = FrameOfSample(beats.back()) - FrameOfSample(beats.front());
    std::printf("  the boost %.1f frames after the rush\n", boost);
    EXPECT_GT(boost, 120.0) << "at A, long after the map's start";
}

// The sample's menu and run east (the walk, the jump, the run), let go where
// the middle guard comes up on the biped's right (south of it) and strikes
// it until it falls and the map starts again. The stick is read in the
// camera's view, so the turn waits until the view has settled behind the
// standing biped (after about 1.8 s) and looking east: pulled back for 6
// frames, the biped turns to face west, the view settles behind it again
// and the guard's later blows come from its left, heard louder on the
// left, while the biped's own steps, straight ahead, are heard alike on
// both sides; and the map's restart, where every sound fades out, steps no
// further from one sample to the next than the music does.
TEST_F(qmSoundsTest, BlowsFromTheLeftAndARestartWithoutAClick)
{
    const char* input = "0 0 -\n60 0 A\n66 0 -\n91 0 - 0 36\n100 0 A 0 36\n106 0 - 0 36\n110 0 - 0 72\n"
                        "400 0 -\n470 0 - 0 -72\n476 0 -\n";
    const Heard h = RunRoute(s_pDir->Path(), "sample", input, 1300, "");
    const std::vector<long> onsets = Onsets(h);
    ASSERT_GE(onsets.size(), 10u) << "steps, the jump, blows";
    // How bright a side is from 100 to 300 ms after an onset: past the
    // biped's own cry, which starts with the guard's blow, in the guard's
    // swish.
    auto sideRms = [&](long at, const std::vector<int16_t>& c) {
        double sum = 0;
        const long from = at + kRate / 10, to = at + kRate * 3 / 10;
        for (long i = from; i < to && i < static_cast<long>(c.size()); ++i) {
            const double d = double(c[static_cast<size_t>(i)]) - c[static_cast<size_t>(i - 1)];
            sum += d * d;
        }
        return std::sqrt(sum / static_cast<double>(to - from));
    };
    int nLeft = 0, nBlows = 0;
    for (long at : onsets) {
        const double l = sideRms(at, h.left), r = sideRms(at, h.right);
        if (FrameOfSample(at) < 150.0) {
            EXPECT_NEAR(l, r, 0.02 * l) << "a step at " << FrameOfSample(at);
        }
        if (FrameOfSample(at) > 450.0 && FrameOfSample(at) < 1000.0) {
            ++nBlows;
            nLeft += l > 1.08 * r;
        }
    }
    EXPECT_GE(nBlows, 5);
    EXPECT_EQ(nLeft, nBlows) << "every blow heard from the left";

    // The restart: the silence between the maps' music, after 30 s.
    const std::vector<int16_t>& c = h.left;
    long quiet = -1;
    for (long at = 30L * kRate, run = 0; at < static_cast<long>(c.size()); ++at) {
        run = std::abs(c[static_cast<size_t>(at)]) < 4 ? run + 1 : 0;
        if (run == kRate / 50) {
            quiet = at - run;
            break;
        }
    }
    ASSERT_GT(quiet, 0) << "the map starts again";
    auto largestStep = [&](long from, long to) {
        int most = 0;
        for (long i = std::max(1L, from); i < to && i < static_cast<long>(c.size()); ++i)
            most = std::max(most, std::abs(c[static_cast<size_t>(i)] - c[static_cast<size_t>(i - 1)]));
        return most;
    };
    // The music's own steps: the largest step of a typical 50 ms (the
    // median over the run; the effects sound in fewer than half of them).
    std::vector<int> windows;
    for (long at = 1; at + kRate / 20 < static_cast<long>(c.size()); at += kRate / 20)
        windows.push_back(largestStep(at, at + kRate / 20));
    std::nth_element(windows.begin(), windows.begin() + static_cast<long>(windows.size() / 2), windows.end());
    const int music = windows[windows.size() / 2];
    // The fade and the silence, up to the new map's first sounds.
    const int across = largestStep(quiet - kRate / 10, quiet + kRate / 10);
    std::printf("  restart at %.3f s: largest step %d, the music's own %d\n", double(quiet) / kRate, across, music);
    EXPECT_GT(music, 100);
    EXPECT_LE(across, music + music / 10);
}

// The strength of the mid (both channels' sum) at each of the frequencies,
// summed, over the 40 ms from a sample on.
double BandLevel(const Heard& h, long at, std::initializer_list<double> hz)
{
    const long n = kRate / 25;
    double total = 0;
    for (double f : hz) {
        double re = 0, im = 0;
        for (long i = 0; i < n && at + i < static_cast<long>(h.left.size()); ++i) {
            const size_t k = static_cast<size_t>(at + i);
            const double x = (double(h.left[k]) + h.right[k]) / 2.0, w = 2.0 * M_PI * f * double(i) / kRate;
            re += x * std::cos(w);
            im -= x * std::sin(w);
        }
        total += std::hypot(re, im) / double(n);
    }
    return total;
}

// The biped walks off on the flagstones, turns onto the north verge and
// stops, then walks on over the grass: the walk's steps come from the
// surface beneath, the flagstones' with the heel's deep knock, the grass's
// a duller scuff with little of it.
TEST_F(qmSoundsTest, StepsOnTheGrassAreNotStepsOnStone)
{
    const Heard h = RunRoute(s_pDir->Path(), "grass", "0 0 -\n30 0 - -72 0\n80 0 -\n120 0 - 0 72\n140 0 -\n", 200, "1");
    const std::vector<long> onsets = Onsets(h);
    ASSERT_FALSE(onsets.empty());
    long grass = -1;
    for (long at : onsets)
        if (FrameOfSample(at) > FrameOfSample(onsets.front()) + 50.0) {
            grass = at;
            break;
        }
    ASSERT_GT(grass, 0) << "the steps of the second walk";
    auto knock = [&](long at) {
        return BandLevel(h, at, {130.0, 150.0, 170.0}) / BandLevel(h, at, {500.0, 800.0, 1100.0, 1400.0});
    };
    // The second walk, pressed at frame 120, starts its steps at once: 70
    // frames after the map's first frame (its music's onset, frame 50).
    long music = 0;
    while (music < static_cast<long>(h.left.size()) && std::abs(h.left[static_cast<size_t>(music)]) <= 8)
        ++music;
    std::printf("  steps on grass at %.3f s, %.1f frames after the music's onset\n",
                FrameOfSample(grass) * kFrameSeconds, FrameOfSample(grass) - FrameOfSample(music));
    EXPECT_NEAR(FrameOfSample(grass) - FrameOfSample(music), 70.0, 2.0);
    const double stone = knock(onsets.front()), onGrass = knock(grass);
    std::printf("  knock to scuff: %.1f on stone, %.1f on grass\n", stone, onGrass);
    EXPECT_GT(stone, 3.0 * onGrass);
}

// Each event of the sample's play heard at its frame, by its own sound's
// samples, within two frames; prints the table (event, input frame, onset
// in the WAV). The sound output starts with a map's first frame (its
// music's onset), some frames after the input's frame 0 (the load holds
// them): the walk pressed at frame 60 starts its steps at once and gives
// the input frame of the music's onset. Pressed events (the walk, the
// jump, strikes, the lever, the boost, the menu's buttons) are timed by
// their presses; those the play times (the landing, the guard's blows, a
// fall, the chest's trigger, the door, the knock on a wall) by the frames
// these routes give them, the same on every run.
TEST_F(qmSoundsTest, EachEventIsHeardAtItsFrame)
{
    using namespace datagen;
    const char* input = "0 0 -\n60 0 - 0 72\n110 0 -\n130 0 A\n136 0 -\n"
                        "400 0 B\n406 0 -\n440 0 B\n446 0 -\n480 0 B\n486 0 -\n520 0 B\n526 0 -\n";
    const Heard h = RunRoute(s_pDir->Path(), "events", input, 560, "1");
    const MapClock clock = ClockOf(h, 60.0);
    std::printf("  the map's first frame (the music's onset at %.3f s): input frame %.1f\n",
                clock.musicFrame * kFrameSeconds, clock.mapStart);
    EXPECT_NEAR(clock.mapStart, 50.0, 2.0) << "the map's load holds about 50 frames";
    std::printf("  event                  frame  onset (s)  match\n");
    struct Event {
        const char* name;
        SampleSound sound;
        double frame;
    };
    auto expectAll = [](const Heard& run, const MapClock& c, std::initializer_list<Event> events) {
        for (const Event& e : events)
            ExpectHeardAt(run, e.name, e.sound, c.Wav(e.frame), e.frame);
    };
    // Walking off on the flagstones, a jump and its landing; standing by the
    // west guard, four strikes at it (the first before it is within reach,
    // the others hurting it), its blows (each hurting the player) between
    // them.
    expectAll(h, clock,
              {{"steps on stone", kSoundStepStone, 60}, {"jump", kSoundJump, 130}, {"landing", kSoundLand, 143},
               {"blow struck 1", kSoundStrike, 400}, {"guard's blow 1", kSoundGuardSwing, 423},
               {"player hurt", kSoundHurt, 423}, {"blow struck 2", kSoundStrike, 440},
               {"guard hurt", kSoundGuardHurt, 440}, {"guard's blow 2", kSoundGuardSwing, 463},
               {"blow struck 3", kSoundStrike, 480}, {"guard's blow 3", kSoundGuardSwing, 503},
               {"blow struck 4", kSoundStrike, 520}});

    // Off the road onto the north verge and back, then onto the grass again
    // at frame 120 (the map's first frame at 50, as above): steps on grass.
    const Heard g = RunRoute(s_pDir->Path(), "grassy", "0 0 -\n30 0 - -72 0\n80 0 -\n120 0 - 0 72\n140 0 -\n", 200, "1");
    MapClock grassClock = clock;
    grassClock.musicFrame = MusicOnsetFrame(g);
    expectAll(g, grassClock, {{"steps on grass", kSoundStepGrass, 120}});

    // Strikes every 30 frames from 400: the seventh, at 580, fells the
    // guard, whose fall is heard at that frame and once only.
    std::string fight = "0 0 -\n60 0 - 0 72\n110 0 -\n";
    for (int i = 0; i < 7; ++i)
        fight += std::to_string(400 + 30 * i) + " 0 B\n" + std::to_string(406 + 30 * i) + " 0 -\n";
    const Heard f = RunRoute(s_pDir->Path(), "felled", fight, 680, "1");
    const MapClock fightClock = ClockOf(f, 60.0);
    expectAll(f, fightClock, {{"guard felled", kSoundGuardFelled, 580}});
    EXPECT_LT(FirstOnsetFrame(Onsets(f), fightClock.Wav(582.0), fightClock.Wav(640.0)), 0.0)
        << "nothing more of the fall";

    // The flyer's map: the updraft's rush as it begins (with the music, at
    // the map's first frame), the boost at A, the knock as it flies on
    // between the gate's posts (the flying map's gate has no top) into the
    // map's east wall.
    const Heard fly = RunRoute(s_pDir->Path(), "flight", "0 0 -\n100 0 A\n106 0 -\n160 0 - 0 72\n", 760, "3");
    MapClock flyClock = clock;
    flyClock.musicFrame = MusicOnsetFrame(fly);
    expectAll(fly, flyClock,
              {{"updraft rush", kSoundUpdraft, 50}, {"boost", kSoundBoost, 100}, {"knockback", kSoundBump, 706}});

    // The second map (the shed, no guards on the road): east along the
    // road, then 15 degrees left (within the 20 that keep the control frame
    // held from the start's view) up the verge to stand a metre short of the
    // lever, facing it; X at frame 710 pulls it; the pull's end, 4 frames
    // on, opens the door.
    const Heard shed =
        RunRoute(s_pDir->Path(), "shed", "0 0 -\n60 0 - 0 72\n412 0 - -19 70\n642 0 -\n710 0 X\n716 0 -\n", 800, "2");
    const MapClock shedClock = ClockOf(shed, 60.0);
    EXPECT_NEAR(shedClock.mapStart, 50.0, 2.0);
    expectAll(shed, shedClock, {{"lever", kSoundLever, 710}, {"door", kSoundDoor, 714}});

    // East along the road, then 19 degrees left (the control frame held
    // from the start's view) off the road into the chest's trigger, which
    // the route enters at frame 418, through its west end: the lid heard at
    // the chest, the key in the player's hand, together, before the middle
    // guard on the biped's heels strikes again.
    const Heard chest = RunRoute(s_pDir->Path(), "chest", "0 0 -\n60 0 - 0 72\n356 0 - -23 68\n470 0 -\n", 500, "1");
    expectAll(chest, ClockOf(chest, 60.0), {{"chest", kSoundChest, 418}, {"key", kSoundKey, 418}});

    // Standing by the west guard: its blows, from frame 437 one every 40
    // frames, take 5 of the player's 100 health each; the twentieth, at
    // 1197, fells it, its cry heard once (the dying does not start again).
    const Heard fall = RunRoute(s_pDir->Path(), "fall", "0 0 -\n60 0 - 0 72\n110 0 -\n", 1300, "1");
    const MapClock fallClock = ClockOf(fall, 60.0);
    expectAll(fall, fallClock, {{"player felled", kSoundPlayerFelled, 1197}});
    EXPECT_LT(FindSound(fall, kSoundPlayerFelled, fallClock.Wav(1207.0), fallClock.Wav(1247.0)).r, 0.5)
        << "the cry once";

    // The main menu: the WAV starts with it, once the title card (45
    // frames) has gone, at frame 48. Down at 70 and Up at 100 move the
    // focus, A at 130 chooses "New Game", whose notes are heard whole
    // before the menu's sound fades for the map.
    const Heard menu =
        RunRoute(s_pDir->Path(), "menu", "0 0 -\n70 0 DOWN\n76 0 -\n100 0 UP\n106 0 -\n130 0 A\n136 0 -\n", 240, "");
    MapClock menuClock;
    menuClock.mapStart = 48.0;
    expectAll(menu, menuClock,
              {{"menu move down", kSoundMenuMove, 70}, {"menu move up", kSoundMenuMove, 100},
               {"menu choice", kSoundMenuChoose, 130}});
    // Its second note (990 Hz, from 80 ms on), against that pitch's level
    // in the music just before.
    const long chosen =
        static_cast<long>(FindSound(menu, kSoundMenuChoose, 70.0, 100.0).frame * kFrameSeconds * kRate);
    EXPECT_GT(BandLevel(menu, chosen + kRate * 9 / 100, {990.0}), 4.0 * BandLevel(menu, chosen - kRate / 20, {990.0}))
        << "the choice's second note, to its end, before the fade";
}
