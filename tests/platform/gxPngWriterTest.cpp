// The PNG writer replaces what its path names only with a complete
// picture: a write that fails after the open (a file-size limit, a full
// device) leaves the user's file, a symbolic link and a device as they
// were, and leaves no new file behind; so does one where no new file can
// be made beside the user's file (its name taken, a read-only folder), the
// picture then rewriting the file in place only when it fits whole. A
// failure is reported in one line naming the file; a success says nothing.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "gx/gl/gxPngWriter.h"
#include "tempDir.h"

namespace {

namespace fs = std::filesystem;

// Lowers the file-size limit for as long as it lives: a write past it fails
// with EFBIG (the signal it would raise is ignored meanwhile).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldSignal = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        signal(SIGXFSZ, m_oldSignal);
    }

private:
    rlimit m_old{};
    sighandler_t m_oldSignal = SIG_DFL;
};

// A PNG from its signature to its end chunk, nothing after it.
bool IsWholePng(const std::string& bytes)
{
    static const std::string kEnd("IEND\xAE\x42\x60\x82", 8);
    return bytes.rfind("\x89PNG", 0) == 0 && bytes.size() >= 16 &&
           bytes.compare(bytes.size() - kEnd.size(), kEnd.size(), kEnd) == 0;
}

// What the folder holds, sorted: "name -> target" for a link, "name: device"
// for a character device, "name: MODE TEXT" for a file (PNG when it is one).
std::vector<std::string> Listing(const std::string& dir)
{
    std::vector<std::string> entries;
    for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
        std::string name = e.path().filename().string();
        const std::string pid = std::to_string(getpid());
        if (name.find(pid) != std::string::npos)
            name.replace(name.find(pid), pid.size(), "PID");
        struct stat st;
        lstat(e.path().c_str(), &st);
        if (S_ISLNK(st.st_mode)) {
            entries.push_back(name + " -> " + fs::read_symlink(e.path()).string());
        } else if (S_ISCHR(st.st_mode)) {
            entries.push_back(name + ": device");
        } else {
            std::ostringstream text;
            text << std::ifstream(e.path()).rdbuf();
            const std::string content = IsWholePng(text.str()) ? "PNG" : text.str();
            char mode[8];
            std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
            entries.push_back(name + ": " + mode + " " + content);
        }
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

void WriteText(const std::string& path, const char* text, mode_t mode)
{
    std::ofstream(path) << text;
    chmod(path.c_str(), mode);
}

// What the writer reports: nothing on success; where a failure is met
// before a byte of the target is touched, that it is left as it was.
enum eReport { NONE, NO_ROOM, FAILED };

struct CaptureRow {
    const char* name;
    std::function<bool(const std::string& dir)> prepare;  // false: the row cannot run here
    const char* written;                                  // in the folder
    bool bFileSizeLimit;                                  // writes past 1 KiB fail
    bool bWrites;
    std::vector<std::string> after;
    eReport report = NONE;
};

bool UserFile(const std::string& dir)
{
    WriteText(dir + "/shot.png", "keep me", 0640);
    return true;
}

bool LinkToUserFile(const std::string& dir)
{
    WriteText(dir + "/kept.png", "keep me", 0640);
    fs::create_symlink("kept.png", dir + "/shot.png");
    return true;
}

bool LinkToNothing(const std::string& dir)
{
    fs::create_symlink("missing.png", dir + "/shot.png");
    return true;
}

// A file under the name the writer would give its new file.
bool NewFileNameTakenNoFile(const std::string& dir)
{
    WriteText(dir + "/shot.png." + std::to_string(getpid()) + ".tmp", "not mine", 0600);
    return true;
}

bool NewFileNameTaken(const std::string& dir) { return NewFileNameTakenNoFile(dir) && UserFile(dir); }

// A user's file longer than any picture, under a name whose new file
// cannot be made.
bool LongUserFileNewFileNameTaken(const std::string& dir)
{
    WriteText(dir + "/shot.png." + std::to_string(getpid()) + ".tmp", "not mine", 0600);
    WriteText(dir + "/shot.png", std::string(40000, 'k').c_str(), 0640);
    return true;
}

// A folder the writer may not add a file to; root may add one all the same.
bool UserFileInReadOnlyFolder(const std::string& dir)
{
    UserFile(dir);
    return geteuid() != 0 && chmod(dir.c_str(), 0555) == 0;
}

// A device that takes no byte (as /dev/full); only root may make one.
bool FullDevice(const std::string& dir)
{
    return mknod((dir + "/shot.png").c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0;
}

const CaptureRow kRows[] = {
    {"a new file", [](const std::string&) { return true; }, "shot.png", false, true, {"shot.png: 0644 PNG"}},
    {"a new file, the write failing", [](const std::string&) { return true; }, "shot.png", true, false, {}, FAILED},
    {"the user's file", UserFile, "shot.png", false, true, {"shot.png: 0640 PNG"}},
    {"the user's file, the write failing", UserFile, "shot.png", true, false, {"shot.png: 0640 keep me"}, FAILED},
    {"a link to the user's file", LinkToUserFile, "shot.png", false, true,
     {"kept.png: 0640 PNG", "shot.png -> kept.png"}},
    {"a link to the user's file, the write failing", LinkToUserFile, "shot.png", true, false,
     {"kept.png: 0640 keep me", "shot.png -> kept.png"}, FAILED},
    {"a link to nothing", LinkToNothing, "shot.png", false, true, {"missing.png: 0644 PNG", "shot.png -> missing.png"}},
    {"the new file's name taken", NewFileNameTaken, "shot.png", false, true,
     {"shot.png.PID.tmp: 0600 not mine", "shot.png: 0640 PNG"}},
    {"the new file's name taken, the write failing", NewFileNameTaken, "shot.png", true, false,
     {"shot.png.PID.tmp: 0600 not mine", "shot.png: 0640 keep me"}, NO_ROOM},
    {"the new file's name taken, the user's file longer", LongUserFileNewFileNameTaken, "shot.png", false, true,
     {"shot.png.PID.tmp: 0600 not mine", "shot.png: 0640 PNG"}},
    {"the new file's name taken, the user's file longer, the write failing", LongUserFileNewFileNameTaken,
     "shot.png", true, false, {"shot.png.PID.tmp: 0600 not mine", "shot.png: 0640 " + std::string(40000, 'k')},
     NO_ROOM},
    {"the new file's name taken, no file yet", NewFileNameTakenNoFile, "shot.png", false, true,
     {"shot.png.PID.tmp: 0600 not mine", "shot.png: 0644 PNG"}},
    {"the new file's name taken, no file yet, the write failing", NewFileNameTakenNoFile, "shot.png", true, false,
     {"shot.png.PID.tmp: 0600 not mine"}, NO_ROOM},
    {"a read-only folder", UserFileInReadOnlyFolder, "shot.png", false, true, {"shot.png: 0640 PNG"}},
    {"a read-only folder, the write failing", UserFileInReadOnlyFolder, "shot.png", true, false,
     {"shot.png: 0640 keep me"}, NO_ROOM},
    {"a full device", FullDevice, "shot.png", false, false, {"shot.png: device"}, FAILED},
};

}  // namespace

TEST(GxPngWriterTest, AFailedWriteLeavesWhatThePathNamedAsItWas)
{
    // Noise: the picture compresses to several KiB, past the size limit.
    std::vector<uint8_t> rgba(64 * 64 * 4);
    uint32_t seed = 12345;
    for (uint8_t& byte : rgba) {
        seed = seed * 1664525u + 1013904223u;
        byte = static_cast<uint8_t>(seed >> 24);
    }
    const mode_t oldMask = umask(022);
    for (const CaptureRow& row : kRows) {
        SCOPED_TRACE(row.name);
        TempDir dir("qm_png_target");
        ASSERT_TRUE(dir.Valid());
        if (!row.prepare(dir.Path())) {
            std::printf("skipped \"%s\": cannot make it here\n", row.name);
            continue;
        }
        bool bWritten = false;
        const std::string path = dir.File(row.written);
        testing::internal::CaptureStderr();
        {
            std::unique_ptr<FileSizeLimit> limit(row.bFileSizeLimit ? new FileSizeLimit(1024) : nullptr);
            bWritten = gxgl::WritePngRgb(path.c_str(), rgba.data(), 64, 64);
        }
        const std::string log = testing::internal::GetCapturedStderr();
        chmod(dir.Path().c_str(), 0755);
        EXPECT_EQ(bWritten, row.bWrites);
        EXPECT_EQ(Listing(dir.Path()), row.after);
        // One report naming the file, or none: nothing else (libpng's own
        // line would name no file).
        const auto nLines = std::count(log.begin(), log.end(), '\n');
        EXPECT_EQ(nLines, row.report == NONE ? 0 : 1) << log;
        EXPECT_EQ(log.find("screenshot:") != std::string::npos, row.report != NONE) << log;
        const char* kReports[] = {"", "\"; it is left as it was", "\" failed"};
        if (row.report != NONE) {
            EXPECT_NE(log.find("\"" + path + kReports[row.report]), std::string::npos) << log;
        }
    }
    umask(oldMask);
    // No path or no pixels: nothing is made.
    TempDir dir("qm_png_target");
    EXPECT_FALSE(gxgl::WritePngRgb(nullptr, rgba.data(), 64, 64));
    EXPECT_FALSE(gxgl::WritePngRgb(dir.File("shot.png").c_str(), nullptr, 64, 64));
    EXPECT_TRUE(Listing(dir.Path()).empty());
}
