// The sample game saved and resumed as a user does it, each run a program of
// its own with the same card folder: the main menu's "NewGame", the run
// east through the gate to the second map, the pause dialog's "Save"; then
// a new run whose "Continue" goes on at the saved map.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "cCore/cCoreServices.h"
#include "datagen/blockWriter.h"
#include "datagen/datagen.h"
#include "datagen/recordDamage.h"
#include "datagen/samplePlayer.h"
#include "datagen/sampleProps.h"
#include "datagen/sampleWriters.h"
#include "eEngine/eAudio.h"
#include "eEngine/eMemCard.h"
#include "gcGameCore/flow/gcGameSave.h"
#include "qmCapture.h"
#include "qmChild.h"
#include "tempDir.h"

namespace {

constexpr double kBound = 120.0;

// Sets an environment variable for the life of the object; the child
// processes inherit it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

uint32_t BigEndianAt(const std::vector<uint8_t>& bytes, size_t at)
{
    return static_cast<uint32_t>(bytes[at]) << 24 | static_cast<uint32_t>(bytes[at + 1]) << 16 |
           static_cast<uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
}

class qmSaveTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.Valid());
        ASSERT_TRUE(datagen::WriteSampleGame(m_dir));
        // Without guards: nothing stops the player on the road.
        ASSERT_TRUE(datagen::WriteSampleMapFiles(m_dir, false));
    }

    // One run of nFrames with the input text; the log must hold no problem.
    // Only a run whose last frame is read (name.png) draws its frames:
    // drawing is nearly all of a headless run's time.
    std::string Run(const std::string& name, const std::string& input, long nFrames, bool bReadFrame) const
    {
        const std::string inputPath = m_dir + "/" + name + ".txt";
        std::ofstream(inputPath) << input;
        std::vector<std::string> args = {QM_QUILLMERE, "--data",  m_dir, "--headless", "--frames",
                                         std::to_string(nFrames), "--input", inputPath};
        if (bReadFrame) {
            args.push_back("--capture");
            args.push_back(m_dir + "/" + name + ".png");
        }
        const qmtest::ChildResult r = qmtest::RunChild(args, kBound);
        EXPECT_FALSE(r.bTimedOut) << name;
        EXPECT_EQ(r.nExit, 0) << name << "\n" << r.log;
        EXPECT_EQ(r.log.find("[Error"), std::string::npos) << name << "\n" << r.log;
        EXPECT_EQ(r.log.find("[Warn"), std::string::npos) << name << "\n" << r.log;
        return r.log;
    }

    // The save data in slot A's save file (past the file's header); empty
    // without one.
    std::vector<uint8_t> SaveData() const
    {
        std::ifstream in(m_card.Path() + "/quillmere/card-a/Quillmere.dat", std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        constexpr size_t kPayload = 0x850;
        return bytes.size() > kPayload ? std::vector<uint8_t>(bytes.begin() + kPayload, bytes.end())
                                       : std::vector<uint8_t>();
    }

    // Slot A's save file holding profile 1 at the position (ids 0-based)
    // with the player's health (and an item of the template, when given),
    // as the game writes it: its checksum right.
    void WriteSave(int32_t nAct, int32_t nMap, float fHealth = 0.0f, float fMusic = 1.0f,
                   uint32_t hItemTemplate = 0) const
    {
        gcGameSave::gcGameData data;
        gcGameSave::gcGameProfile& p = data.profiles[0];
        p.nFlags = 0;
        p.nAct = nAct;
        p.nMap = nMap;
        p.fPlayerEntityStat[0] = fHealth;
        p.fMusicVolume = fMusic;
        p.nPlayerItems = hItemTemplate ? 1 : 0;
        p.hPlayerItems[0] = hItemTemplate;
        p.nPlayerItemCounts[0] = 1;
        p.nLoadingScreen = 0;
        p.audioMode = eAudio::AOM_STEREO;  // as eAudio::GetOutputMode gives it
        std::vector<uint8_t> image(eMemCard::kFileSize, 0);
        const auto putWord = [&image](size_t at, uint32_t w) {
            for (int i = 0; i < 4; ++i)
                image[at + static_cast<size_t>(i)] = static_cast<uint8_t>(w >> (24 - 8 * i));
        };
        putWord(eMemCard::kVersionOffset, gcGameSave::kCardVersion);
        putWord(eMemCard::kSizeOffset, gcGameSave::kDataSize);
        data.Encode(image.data() + eMemCard::kPayloadOffset);
        putWord(eMemCard::kCrcOffset, cCalcCRC32(image.data(), eMemCard::kFileSize));
        const std::string dir = m_card.Path() + "/quillmere/card-a";
        std::filesystem::create_directories(dir);
        std::ofstream(dir + "/Quillmere.dat", std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    }

    TempDir m_tmp{"qm_save"};
    std::string m_dir = m_tmp.Path();
    TempDir m_card{"qm_save_card"};
    ScopedEnv m_home{"XDG_DATA_HOME", m_card.Path()};
};

// The menu: at rest, then a tap of A on the focused "NewGame" at frame 120.
const std::string kNewGame = "0 0 -\n120 0 A\n126 0 -\n";
// The map: the stick pushed fully from frame 150 runs the player east
// through the gate (the second map runs from about frame 850); let go at
// 980, Start at 1000 opens the pause dialog.
const std::string kThroughTheGate = "150 0 - 0 72\n980 0 -\n1000 0 START\n1006 0 -\n";
// Start at 400, in the first map.
const std::string kStayInTheFirstMap = "400 0 START\n406 0 -\n";
// In the pause dialog: down to "Resume" and A, then Start again and A on
// "Save", focused first again (a dialog left open would take the second A
// on "Resume" and save nothing); or A on "Save" straight away.
const std::string kResumeThenSave =
    "1020 0 DOWN\n1026 0 -\n1040 0 A\n1046 0 -\n1060 0 START\n1066 0 -\n1080 0 A\n1086 0 -\n";
const std::string kSaveAt440 = "440 0 A\n446 0 -\n";
// The second run's menu: down to "Continue" and A.
const std::string kContinue = "0 0 -\n100 0 DOWN\n106 0 -\n120 0 A\n126 0 -\n";

// The save data's words: the last-used profile, then the first profile's
// flags, time played, act, map and loading screen.
constexpr size_t kLastUsed = 0, kFlags = 4, kAct = 12, kMap = 16, kLoadingScreen = 20;

struct SaveRow {
    const char* sName;
    std::string play;    // the first run's input after the menu's
    long nFrames;        // of the first run
    bool bPaused;        // the first run's last frame shows the pause dialog
    int32_t nSavedMap;   // the map the card's profile holds; -1: no save file
    const char* sResumedAt;  // the map the second run's Continue starts; null: the menu stays
};

const SaveRow kRows[] = {
    {"SavedOnTheSecondMap", kThroughTheGate + kResumeThenSave, 1140, false, 1, "Ashgrove Fields"},
    {"SavedOnTheFirstMap", kStayInTheFirstMap + kSaveAt440, 500, false, 0, "Ashgrove Road"},
    // The gate's map change records the map but writes nothing.
    {"PausedOnTheSecondMap", kThroughTheGate, 1030, true, -1, nullptr},
};

// A row shows by its name in CTest's list and in failures.
void PrintTo(const SaveRow& row, std::ostream* os)
{
    *os << row.sName;
}

// The pause dialog's two buttons are boxes in the middle of the frame, one
// above the other, drawn in the untextured sprite's yellow (probed at their
// left ends, off their labels).
bool ShowsThePauseDialog(const qmtest::Capture& c)
{
    const std::array<int, 3> kYellow = {255, 255, 0};
    return c.At(228, 180) == kYellow && c.At(228, 300) == kYellow;
}

size_t Occurrences(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// The warning lines of a run's log.
size_t Warnings(const std::string& log)
{
    return Occurrences(log, "[Warn");
}

}  // namespace

// Two runs on one card: the first saves (or not) from the pause dialog, the
// second continues from the main menu on the map the save recorded. A test
// a row: each row's runs take long, and CTest runs the rows side by side.
class qmSaveRowTest : public qmSaveTest, public testing::WithParamInterface<SaveRow> {};

TEST_P(qmSaveRowTest, ContinueResumesOnTheMapThePauseDialogSaved)
{
    const SaveRow& row = GetParam();
    const std::string first = std::string(row.sName) + "1";
    Run(first, kNewGame + row.play, row.nFrames, true);
    EXPECT_EQ(ShowsThePauseDialog(qmtest::ReadCapture(m_dir + "/" + first + ".png")), row.bPaused);
    const std::vector<uint8_t> data = SaveData();
    if (row.nSavedMap < 0) {
        EXPECT_TRUE(data.empty()) << "only Save writes the card";
    } else {
        ASSERT_GE(data.size(), 24u);
        EXPECT_EQ(BigEndianAt(data, kLastUsed), 0u);
        EXPECT_EQ(BigEndianAt(data, kFlags), 0u) << "applied at the map's start: no longer new";
        EXPECT_EQ(BigEndianAt(data, kAct), 0u);
        EXPECT_EQ(BigEndianAt(data, kMap), static_cast<uint32_t>(row.nSavedMap));
        EXPECT_EQ(BigEndianAt(data, kLoadingScreen), 0u);
    }
    const std::string log = Run(std::string(row.sName) + "2", kContinue, 400, false);
    for (const char* map : {"Ashgrove Road", "Ashgrove Fields"}) {
        const bool bStarted = log.find(std::string("Log: ") + map + ": the player sets out") != std::string::npos;
        EXPECT_EQ(bStarted, row.sResumedAt && std::string(row.sResumedAt) == map) << map << "\n" << log;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, qmSaveRowTest, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<SaveRow>& info) { return std::string(info.param.sName); });

// Continue without a save: "No saved game" shows under the buttons, a gap
// apart from Options, and fades out with its label readable as long as its
// box shows: two thirds of the way through the fade the label stands out
// from its box more than the box from the black behind it. (A dark label
// over the yellow box lost its contrast with the square of the fade: the
// box was left after the words had gone.)
TEST_F(qmSaveTest, NoSavedGameStandsApartFromTheButtonsAndFadesWithItsLabel)
{
    std::filesystem::remove_all(m_card.Path() + "/quillmere");
    // Continue pressed at 120; the message fades over 2.5 s from then.
    Run("shown", kContinue, 130, true);
    Run("fading", kContinue, 170, true);
    const qmtest::Capture shown = qmtest::ReadCapture(m_dir + "/shown.png");
    const qmtest::Capture fading = qmtest::ReadCapture(m_dir + "/fading.png");
    ASSERT_EQ(shown.nWidth, 640);
    ASSERT_EQ(fading.nWidth, 640);
    // Down the boxes' left edge (x 225): Options (yellow) ends, the
    // message's box (anything but black) begins.
    const auto yellow = [](const std::array<int, 3>& p) { return p[0] > 200 && p[1] > 200 && p[2] < 60; };
    const auto black = [](const std::array<int, 3>& p) { return p[0] + p[1] + p[2] < 12; };
    int optionsEnd = -1, messageTop = -1, messageEnd = -1;
    for (int y = 280; y < 480 && messageEnd < 0; ++y) {
        const std::array<int, 3> p = shown.At(225, y);
        if (optionsEnd < 0 && yellow(p) && black(shown.At(225, y + 1)))
            optionsEnd = y;
        else if (optionsEnd >= 0 && messageTop < 0 && !black(p))
            messageTop = y;
        else if (messageTop >= 0 && black(p))
            messageEnd = y;
    }
    ASSERT_GT(optionsEnd, 0);
    ASSERT_GT(messageTop, 0) << "the message shows";
    ASSERT_GT(messageEnd, messageTop);
    EXPECT_GE(messageTop - optionsEnd, 20) << "apart from Options";
    // Fading: the box's colour at its edge, the label's most different one
    // across its middle.
    const std::array<int, 3> box = fading.At(225, (messageTop + messageEnd) / 2);
    int boxShows = 0, labelShows = 0;
    for (int c = 0; c < 3; ++c)
        boxShows = std::max(boxShows, box[c]);
    for (int x = 240; x < 400; ++x) {
        for (int y = messageTop; y < messageEnd; ++y) {
            const std::array<int, 3> p = fading.At(x, y);
            for (int c = 0; c < 3; ++c)
                labelShows = std::max(labelShows, std::abs(p[c] - box[c]));
        }
    }
    EXPECT_GT(labelShows, boxShows) << "the label outlasts its box";
    EXPECT_GT(labelShows, 20) << "still readable";
}

// Continue on a save whose position the sample does not hold (an act it
// lacks, a map it lacks, a map past an act's table), whose health is not
// a number, beyond any template's, beyond what the saved map's player
// (100 on the first map, the flyer's 100 on the third) can hold or below 0,
// or whose music volume is not one of 0 to 1: the profile is refused with
// one warning and the menu stays with its message, as without a save.
TEST_F(qmSaveTest, ContinueOnADamagedProfileStaysInTheMenu)
{
    const std::string inputPath = m_dir + "/continue.txt";
    std::ofstream(inputPath) << kContinue;
    // Continue at 120; the message shows for 2.5 s from then.
    const auto run = [&](const std::string& name) {
        return qmtest::RunChild({QM_QUILLMERE, "--data", m_dir, "--headless", "--frames", "160", "--input",
                                 inputPath, "--capture", m_dir + "/" + name + ".png"},
                                kBound);
    };
    std::filesystem::remove_all(m_card.Path() + "/quillmere");
    const qmtest::ChildResult none = run("none");
    ASSERT_EQ(none.nExit, 0) << none.log;
    const qmtest::Capture message = qmtest::ReadCapture(m_dir + "/none.png");
    ASSERT_GT(message.nWidth, 0);
    const struct {
        const char* sName;
        int32_t nAct, nMap;
        float fHealth;
        float fMusic;
        const char* sWarning;  // past "profile 1 is damaged: "; null: not checked
    } rows[] = {{"act2map1", 1, 0, 0.0f, 1.0f, nullptr},
                {"act1map6", 0, 5, 0.0f, 1.0f, nullptr},
                {"act1map51", 0, 50, 0.0f, 1.0f, nullptr},
                {"healthinf", 0, 0, std::numeric_limits<float>::infinity(), 1.0f, nullptr},
                {"health1e30", 0, 0, 1e30f, 1.0f, nullptr},
                {"health999", 0, 0, 999.0f, 1.0f, "its Health 999 lies beyond the player's 100"},
                {"health101map3", 0, 2, 101.0f, 1.0f, "its Health 101 lies beyond the player's 100"},
                {"healthminus5", 0, 0, -5.0f, 1.0f, nullptr},
                {"musicnan", 0, 0, 50.0f, std::numeric_limits<float>::quiet_NaN(), nullptr},
                {"musicminus1", 0, 0, 50.0f, -1.0f, nullptr}};
    for (const auto& row : rows) {
        const std::string name = row.sName;
        SCOPED_TRACE(name);
        WriteSave(row.nAct, row.nMap, row.fHealth, row.fMusic);
        const qmtest::ChildResult r = run(name);
        EXPECT_FALSE(r.bTimedOut);
        EXPECT_EQ(r.nExit, 0) << r.log;
        EXPECT_EQ(Warnings(r.log), 1u) << r.log;
        const std::string warning = std::string("gcGameSave: profile 1 is damaged: ") +
                                    (row.sWarning ? row.sWarning : "");
        EXPECT_NE(r.log.find(warning), std::string::npos) << r.log;
        EXPECT_EQ(r.log.find("[Error"), std::string::npos) << r.log;
        EXPECT_EQ(r.log.find("sets out"), std::string::npos) << r.log;
        EXPECT_TRUE(qmtest::ReadCapture(m_dir + "/" + name + ".png").rgba == message.rgba) << "\"No saved game\"";
    }
}

// Continue on a save whose health (999) lies beyond the first map's player
// but that holds the map's key, whose template (and what it adds) is read
// only with the map: the map starts at the saved position, and its start
// refuses the record with one warning and gives the player nothing of it.
TEST_F(qmSaveTest, ContinueHoldingAnItemOfTheMapLeavesTheHealthToTheMapsStart)
{
    WriteSave(0, 0, 999.0f, 1.0f, datagen::SampleMapHandle(datagen::kKeyTemplateSlot));
    const std::string inputPath = m_dir + "/continue.txt";
    std::ofstream(inputPath) << kContinue;
    const qmtest::ChildResult r = qmtest::RunChild(
        {QM_QUILLMERE, "--data", m_dir, "--headless", "--frames", "300", "--input", inputPath}, kBound);
    EXPECT_FALSE(r.bTimedOut);
    EXPECT_EQ(r.nExit, 0) << r.log;
    EXPECT_EQ(Warnings(r.log), 1u) << r.log;
    EXPECT_NE(r.log.find("gcGameSave: profile 1 is damaged: its Health 999 lies beyond the player's 100"),
              std::string::npos)
        << r.log;
    EXPECT_NE(r.log.find("Ashgrove Road: the player sets out"), std::string::npos) << r.log;
}

// Continue on a save whose map's player configuration or the map's own file
// head is damaged: Continue reads both ahead of the map's loading, which
// reads them again; the map is not loaded (exit 3) and the damage gives one
// error, naming the file, and no warning.
TEST_F(qmSaveTest, ContinueOnADamagedMapPlayerLogsOneError)
{
    const struct {
        const char* sName;
        const char* sFile;  // below Game
        bool (*damage)(const std::string& path);
    } rows[] = {
        {"player template refused", "PlayerConfig01.pc",
         [](const std::string& path) { return datagen::RefuseRecord(path, 76); }},  // gcPlayerBipedTemplate
        {"map of another platform", "Act01/Map01/Map01.map",
         [](const std::string& path) {
             std::vector<uint8_t> bytes = datagen::ReadBytes(path);
             bytes.at(7) = 7;  // the header's platform word
             return datagen::WriteBytes(path, bytes);
         }},
    };
    const std::string inputPath = m_dir + "/continue.txt";
    std::ofstream(inputPath) << kContinue;
    WriteSave(0, 0, 50.0f);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sName);
        const std::string path = m_dir + "/Game/" + row.sFile;
        const std::vector<uint8_t> whole = datagen::ReadBytes(path);
        ASSERT_TRUE(row.damage(path));
        const qmtest::ChildResult r = qmtest::RunChild(
            {QM_QUILLMERE, "--data", m_dir, "--headless", "--frames", "300", "--input", inputPath}, kBound);
        ASSERT_TRUE(datagen::WriteBytes(path, whole));
        EXPECT_FALSE(r.bTimedOut);
        EXPECT_EQ(r.nExit, 3) << r.log;
        EXPECT_EQ(Occurrences(r.log, "[Error"), 1u) << r.log;
        EXPECT_EQ(Occurrences(r.log, std::string("cFile: \"/Game/") + row.sFile + "\": "), 1u) << r.log;
        EXPECT_EQ(Warnings(r.log), 0u) << r.log;
    }
}
