// The host side of a card: its folder, file names, crash-safe writes and the
// status files.

#include "card/card_local.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace card {
namespace {

std::string s_testRoot;
bool s_bTestRoot = false;

bool EndsWith(const std::string& text, const char* suffix)
{
    const size_t n = std::strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

bool KeepsItsByte(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool WriteAll(int fd, const uint8_t* p, size_t n)
{
    while (n > 0) {
        const ssize_t done = ::write(fd, p, n);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        p += done;
        n -= static_cast<size_t>(done);
    }
    return true;
}

void SyncFolder(const std::string& path)
{
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

std::string RootFolder()
{
    if (s_bTestRoot)
        return s_testRoot;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        return std::string(xdg) + "/quillmere";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.local/share/quillmere";
}

void SetTestRoot(const char* dir)
{
    s_bTestRoot = dir != nullptr;
    s_testRoot = dir ? dir : "";
}

std::string SlotFolder(int32_t chan)
{
    return RootFolder() + (chan == CARD_SLOT_A ? "/card-a" : "/card-b");
}

std::string EncodeName(const std::string& name)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : name) {
        if (KeepsItsByte(c)) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

bool DecodeName(const std::string& encoded, std::string* pName)
{
    std::string out;
    for (size_t i = 0; i < encoded.size(); ++i) {
        const char c = encoded[i];
        if (c != '%') {
            if (!KeepsItsByte(static_cast<unsigned char>(c)))
                return false;
            out += c;
            continue;
        }
        if (i + 2 >= encoded.size())
            return false;
        const int hi = HexDigit(encoded[i + 1]);
        const int lo = HexDigit(encoded[i + 2]);
        if (hi < 0 || lo < 0)
            return false;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    if (out.empty() || out.size() > static_cast<size_t>(CARD_FILENAME_MAX))
        return false;
    *pName = out;
    return true;
}

std::vector<std::string> ListFiles(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string file = entry.path().filename().string();
        if (!EndsWith(file, kDataSuffix))
            continue;
        std::string name;
        if (DecodeName(file.substr(0, file.size() - std::strlen(kDataSuffix)), &name))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool ReadWhole(const std::string& path, std::vector<uint8_t>* pBytes, size_t maxBytes)
{
    // A pipe would wait for a writer and a device may never end: only a
    // regular file is opened, and the open does not wait either.
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    // Never more than a byte past the limit is held, however large the file.
    const size_t want = maxBytes + 1;
    pBytes->resize(std::min(want, static_cast<size_t>(std::max<off_t>(st.st_size, 0)) + 1));
    size_t got = 0;
    bool ok = true;
    while (got < want) {
        if (got == pBytes->size())
            pBytes->resize(std::min(want, pBytes->size() * 2));
        const ssize_t n = ::read(fd, pBytes->data() + got, pBytes->size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    pBytes->resize(got);
    return ok;
}

bool WriteAtomic(const std::string& path, const void* data, size_t size, int32_t chan, MidWriteHook hook)
{
    const std::string temp = path + kTempSuffix;
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        OSReport("CARD: cannot write %s: %s\n", temp.c_str(), std::strerror(errno));
        return false;
    }
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    const size_t half = size / 2;
    bool ok = WriteAll(fd, bytes, half);
    if (ok && hook)
        hook(chan);
    ok = ok && WriteAll(fd, bytes + half, size - half) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok)
        ok = std::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        OSReport("CARD: writing %s failed: %s\n", path.c_str(), std::strerror(errno));
        std::remove(temp.c_str());
        return false;
    }
    SyncFolder(path);
    return true;
}

void RemoveTemporaries(const std::string& folder)
{
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (EndsWith(entry.path().filename().string(), kTempSuffix))
            std::filesystem::remove(entry.path(), ec);
    }
}

std::string FormatStatus(const CARDStat& stat)
{
    std::ostringstream out;
    out << "time " << stat.time << "\n"
        << "bannerFormat " << unsigned(stat.bannerFormat) << "\n"
        << "iconAddr " << stat.iconAddr << "\n"
        << "iconFormat " << stat.iconFormat << "\n"
        << "iconSpeed " << stat.iconSpeed << "\n"
        << "commentAddr " << stat.commentAddr << "\n";
    return out.str();
}

bool ParseStatus(const std::string& text, CARDStat* pStat)
{
    CARDStat stat = *pStat;
    std::istringstream in(text);
    std::string key;
    unsigned long value = 0;
    while (in >> key >> value) {
        if (value > 0xFFFFFFFFul)
            return false;
        const uint32_t v = static_cast<uint32_t>(value);
        if (key == "time")
            stat.time = v;
        else if (key == "bannerFormat")
            stat.bannerFormat = static_cast<uint8_t>(v);
        else if (key == "iconAddr")
            stat.iconAddr = v;
        else if (key == "iconFormat")
            stat.iconFormat = static_cast<uint16_t>(v);
        else if (key == "iconSpeed")
            stat.iconSpeed = static_cast<uint16_t>(v);
        else if (key == "commentAddr")
            stat.commentAddr = v;
    }
    if (!in.eof())
        return false;
    *pStat = stat;
    return true;
}

}  // namespace card
