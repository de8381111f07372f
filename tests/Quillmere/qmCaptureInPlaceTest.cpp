// A capture where no new file can be made beside the target (a read-only
// folder; as root, whom a folder's mode does not stop, the new file's name
// taken): the picture goes over the user's file only once the file's room
// for the whole of it is made. Under a file-size limit smaller than the
// picture no room can be made: the run ends with exit 1 and the user's file
// is left byte for byte as it was.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "datagen/datagen.h"
#include "qmChild.h"
#include "tempDir.h"

namespace {

constexpr double kBound = 60.0;
constexpr rlim_t kLimit = 1024;  // bytes: far less than a frame's picture

std::string Bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// In the child: the file-size limit, and as root the name of the new file
// the program would make beside the target (named for the process, which
// keeps its id through the program's start) taken.
void LimitAndTakeName(const char* target, bool bLimit)
{
    if (bLimit) {
        const rlimit limit = {kLimit, kLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (geteuid() != 0)
        return;
    char name[4096];
    std::snprintf(name, sizeof name, "%s.%d.tmp", target, static_cast<int>(getpid()));
    const int fd = open(name, O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd >= 0)
        close(fd);
}

struct CaptureRow {
    const char* sName;
    bool bLimit;
    int nExit;
    bool bKept;            // the user's file byte for byte as it was; else a picture
    bool bReported;        // the output says the frame could not be written
};

const CaptureRow kRows[] = {
    {"no room can be made", true, 1, true, true},
    {"room is made", false, 0, false, false},
};

}  // namespace

TEST(qmCaptureInPlaceTest, NoNewFileBesideTheTargetAndNoRoomLeavesTheUsersFile)
{
    TempDir data("qm_capture_data");
    TempDir user("qm_capture_user");
    ASSERT_TRUE(datagen::WriteSampleGame(data.Path()));
    const char* old = std::getenv("XDG_DATA_HOME");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    setenv("XDG_DATA_HOME", user.c_str(), 1);
    for (const CaptureRow& row : kRows) {
        SCOPED_TRACE(row.sName);
        TempDir folder("qm_capture_folder");
        const std::string target = folder.File("mine.png");
        const std::string mine = "the user's own picture, not to be harmed\n";
        std::ofstream(target, std::ios::binary) << mine;
        chmod(target.c_str(), 0666);
        chmod(folder.c_str(), 0555);  // read-only, but to root
        const qmtest::ChildResult r = qmtest::RunChild(
            {QM_QUILLMERE, "--data", data.Path(), "--headless", "--frames", "30", "--capture", target}, kBound, {},
            [&] { LimitAndTakeName(target.c_str(), row.bLimit); });
        chmod(folder.c_str(), 0755);
        EXPECT_FALSE(r.bTimedOut);
        EXPECT_EQ(r.nExit, row.nExit) << r.log;
        EXPECT_EQ(r.log.find("quillmere: could not write the frame to \"" + target + "\"") != std::string::npos,
                  row.bReported)
            << r.log;
        const std::string after = Bytes(target);
        if (row.bKept) {
            EXPECT_EQ(after, mine);
        } else {
            EXPECT_EQ(after.rfind("\x89PNG", 0), 0u);
            EXPECT_GT(after.size(), kLimit) << "a picture past the limit of the other row";
        }
    }
    if (saved)
        setenv("XDG_DATA_HOME", saved->c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
}
