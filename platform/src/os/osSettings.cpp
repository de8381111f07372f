// The console's stored settings (progressive scan, sound mode) in a small
// text file of "name=value" lines in the user's data folder.
#include "platform/os.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>

#include "os/os_local.h"
#include "../../test/os_test.h"

namespace {

struct Settings {
    std::mutex mutex;
    bool bLoaded = false;
    std::string testDir;
    uint32_t nProgressive = 0;
    uint32_t nSoundMode = OS_SOUND_MODE_STEREO;
};

Settings& State()
{
    static Settings* s_pSettings = new Settings;
    return *s_pSettings;
}

std::string SettingsDir(const Settings& st)
{
    if (!st.testDir.empty())
        return st.testDir;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg)
        return std::string(xdg) + "/quillmere";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.local/share/quillmere";
}

// The file holds two short lines; anything this long is not one we wrote.
constexpr off_t kMaxSettingsBytes = 4096;

// The file's text; empty when there is none. Only a regular file of a sane
// size is read (a pipe would wait for a writer, a device such as /dev/zero
// never ends); anything else is reported and its text taken as empty.
std::string ReadSettingsText(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return {};  // not written yet
    const int fd = S_ISREG(st.st_mode) ? ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK) : -1;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxSettingsBytes) {
        if (fd >= 0)
            ::close(fd);
        OSReport("OS: the settings file %s is not a regular file of at most %lld bytes; the defaults are used\n",
                 path.c_str(), static_cast<long long>(kMaxSettingsBytes));
        return {};
    }
    // One byte past the limit tells a file that grew since its size was taken.
    std::string text(static_cast<size_t>(kMaxSettingsBytes) + 1, '\0');
    size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = ::read(fd, &text[got], text.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    if (got > static_cast<size_t>(kMaxSettingsBytes)) {
        OSReport("OS: the settings file %s is larger than %lld bytes; the defaults are used\n", path.c_str(),
                 static_cast<long long>(kMaxSettingsBytes));
        return {};
    }
    text.resize(got);
    return text;
}

// Unknown names and malformed lines are skipped; values keep their defaults.
void Load(Settings& st)
{
    if (st.bLoaded)
        return;
    st.bLoaded = true;
    st.nProgressive = 0;
    st.nSoundMode = OS_SOUND_MODE_STEREO;
    std::istringstream in(ReadSettingsText(SettingsDir(st) + "/settings"));
    std::string line;
    while (std::getline(in, line)) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string name = line.substr(0, eq);
        char* end = nullptr;
        const unsigned long value = std::strtoul(line.c_str() + eq + 1, &end, 10);
        if (end == line.c_str() + eq + 1)
            continue;
        if (name == "progressive")
            st.nProgressive = value != 0 ? 1 : 0;
        else if (name == "soundmode" && value <= OS_SOUND_MODE_STEREO)
            st.nSoundMode = static_cast<uint32_t>(value);
    }
}

// Written to a temporary file and renamed, so a crash leaves the old file.
void Save(const Settings& st)
{
    const std::string dir = SettingsDir(st);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const std::string path = dir + "/settings";
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::trunc);
        out << "progressive=" << st.nProgressive << "\nsoundmode=" << st.nSoundMode << "\n";
        out.flush();
        if (!out) {
            OSReport("OS: the settings could not be written to %s\n", temp.c_str());
            return;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0)
        OSReport("OS: the settings could not be written to %s\n", path.c_str());
}

uint32_t Get(uint32_t Settings::*field)
{
    Settings& st = State();
    std::lock_guard<std::mutex> lock(st.mutex);
    Load(st);
    return st.*field;
}

void Set(uint32_t Settings::*field, uint32_t value)
{
    Settings& st = State();
    std::lock_guard<std::mutex> lock(st.mutex);
    Load(st);
    if (st.*field == value)
        return;
    st.*field = value;
    Save(st);
}

}  // namespace

std::string os::SettingsFilePath()
{
    Settings& st = State();
    std::lock_guard<std::mutex> lock(st.mutex);
    return SettingsDir(st) + "/settings";
}

uint32_t OSGetProgressiveMode() { return Get(&Settings::nProgressive); }
void OSSetProgressiveMode(uint32_t on) { Set(&Settings::nProgressive, on != 0 ? 1 : 0); }
uint32_t OSGetSoundMode() { return Get(&Settings::nSoundMode); }

void OSSetSoundMode(uint32_t mode)
{
    Set(&Settings::nSoundMode, mode == OS_SOUND_MODE_MONO ? OS_SOUND_MODE_MONO : OS_SOUND_MODE_STEREO);
}

void OSTestSetSettingsDir(const char* dir)
{
    Settings& st = State();
    std::lock_guard<std::mutex> lock(st.mutex);
    st.testDir = dir ? dir : "";
    st.bLoaded = false;  // read again from the new folder
}
