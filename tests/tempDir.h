#pragma once
// A temporary folder that exists for the life of the object and is removed
// with everything in it when the object goes, also when a test fails half-
// way. Made under $TMPDIR (/tmp without it), so a run can be pointed at a
// private folder and checked for leftovers. Header-only: the test binaries,
// the fuzz targets and their support files share it.

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

class TempDir {
public:
    // prefix names the folder ("qm_card" gives qm_card_XXXXXX); without
    // $TMPDIR it is made under defaultRoot. Path() is empty when no folder
    // could be made (reported on stderr).
    explicit TempDir(const char* prefix = "qm_test", const char* defaultRoot = "/tmp")
    {
        const char* root = std::getenv("TMPDIR");
        std::string pattern = std::string(root && *root ? root : defaultRoot) + "/" + prefix + "_XXXXXX";
        if (mkdtemp(pattern.data()))
            m_path = pattern;
        else
            std::fprintf(stderr, "TempDir: cannot make %s\n", pattern.c_str());
    }
    ~TempDir() { Remove(); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    const char* c_str() const { return m_path.c_str(); }
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    bool Valid() const { return !m_path.empty(); }

    // Removes the folder now (the destructor then does nothing).
    void Remove()
    {
        if (m_path.empty())
            return;
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
        m_path.clear();
    }

private:
    std::string m_path;
};
