// The PNG writer replaces what its path names only with a complete
// picture: a write that fails after the open (a file-size limit, a full
// device) leaves the user's file, a symbolic link and a device as they
// were, and leaves no new file behind.
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
            const std::string content = text.str().rfind("\x89PNG", 0) == 0 ? "PNG" : text.str();
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

struct CaptureRow {
    const char* name;
    std::function<bool(const std::string& dir)> prepare;  // false: the row cannot run here
    const char* written;                                  // in the folder
    bool bFileSizeLimit;                                  // writes past 1 KiB fail
    bool bWrites;
    std::vector<std::string> after;
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
bool NewFileNameTaken(const std::string& dir)
{
    WriteText(dir + "/shot.png." + std::to_string(getpid()) + ".tmp", "not mine", 0600);
    return UserFile(dir);
}

// A device that takes no byte (as /dev/full); only root may make one.
bool FullDevice(const std::string& dir)
{
    return mknod((dir + "/shot.png").c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0;
}

const CaptureRow kRows[] = {
    {"a new file", [](const std::string&) { return true; }, "shot.png", false, true, {"shot.png: 0644 PNG"}},
    {"a new file, the write failing", [](const std::string&) { return true; }, "shot.png", true, false, {}},
    {"the user's file", UserFile, "shot.png", false, true, {"shot.png: 0640 PNG"}},
    {"the user's file, the write failing", UserFile, "shot.png", true, false, {"shot.png: 0640 keep me"}},
    {"a link to the user's file", LinkToUserFile, "shot.png", false, true,
     {"kept.png: 0640 PNG", "shot.png -> kept.png"}},
    {"a link to the user's file, the write failing", LinkToUserFile, "shot.png", true, false,
     {"kept.png: 0640 keep me", "shot.png -> kept.png"}},
    {"a link to nothing", LinkToNothing, "shot.png", false, true, {"missing.png: 0644 PNG", "shot.png -> missing.png"}},
    {"the new file's name taken", NewFileNameTaken, "shot.png", false, true,
     {"shot.png.PID.tmp: 0600 not mine", "shot.png: 0640 PNG"}},
    {"a full device", FullDevice, "shot.png", false, false, {"shot.png: device"}},
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
        {
            std::unique_ptr<FileSizeLimit> limit(row.bFileSizeLimit ? new FileSizeLimit(1024) : nullptr);
            bWritten = gxgl::WritePngRgb(dir.File(row.written).c_str(), rgba.data(), 64, 64);
        }
        EXPECT_EQ(bWritten, row.bWrites);
        EXPECT_EQ(Listing(dir.Path()), row.after);
    }
    umask(oldMask);
}
