#include "dvd_local.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>

namespace dvd {

static bool SameIgnoringCase(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b) {
        const char ca = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a - 'A' + 'a') : *a;
        const char cb = (*b >= 'A' && *b <= 'Z') ? static_cast<char>(*b - 'A' + 'a') : *b;
        if (ca != cb)
            return false;
    }
    return *a == *b;
}

static bool Exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// The entry of dir whose name matches name without regard to case; empty
// when there is none. The disc's own names differ only in case from the
// paths the game asks for, so the first match is the one.
static std::string FindEntry(const std::string& dir, const std::string& name)
{
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return {};
    std::string found;
    while (const dirent* e = ::readdir(d)) {
        if (SameIgnoringCase(e->d_name, name.c_str())) {
            found = e->d_name;
            break;
        }
    }
    ::closedir(d);
    return found;
}

std::string ResolvePath(const std::string& dataDir, const char* consolePath)
{
    if (dataDir.empty() || !consolePath)
        return {};
    std::string path = dataDir;
    const char* p = consolePath;
    bool any = false;
    while (*p) {
        while (*p == '/' || *p == '\\')
            ++p;
        const char* start = p;
        while (*p && *p != '/' && *p != '\\')
            ++p;
        const std::string part(start, p);
        if (part.empty() || part == ".")
            continue;
        if (part == "..")
            return {};  // never leave the data directory
        std::string next = path + "/" + part;
        if (!Exists(next)) {
            const std::string entry = FindEntry(path, part);
            if (entry.empty())
                return {};
            next = path + "/" + entry;
        }
        path = std::move(next);
        any = true;
    }
    return any ? path : std::string();
}

}  // namespace dvd
