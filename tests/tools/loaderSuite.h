#pragma once
// The loader suite: one table row per class and block version that a
// datagen writer produces. For each row the drivers write the sample file,
// load it, write the object again and compare the bytes; cut the file at
// every length and flip every byte, requiring a logged refusal that leaves
// the manager's slots as they were, or an object sound enough to be written
// and loaded again. Run under a sanitizer, the sweeps also catch reads out of
// bounds; there they take the cuts and flips of the file's structure and a
// sample of the rest (QM_SAMPLED_SWEEPS). A registry check fails when a
// writer in tools/datagen has no row.

#include <functional>
#include <string>
#include <vector>

#include "cCore/cBase.h"
#include "cCore/cManager.h"
#include "cCore/cMemPool.h"
#include "tempDir.h"

// What a row's functions share: a data directory made the disc's for the
// test's life, a pool for what is loaded, one for the samples and their
// setup, the "Textures" pool for texture configurations, and undo steps
// run in reverse order when the row is done.
class LoaderEnv {
public:
    LoaderEnv();
    ~LoaderEnv();
    LoaderEnv(const LoaderEnv&) = delete;
    LoaderEnv& operator=(const LoaderEnv&) = delete;

    std::string HostPath(const std::string& name) const { return m_dir.File(name); }
    void OnDone(std::function<void()> undo) { m_undo.push_back(std::move(undo)); }
    // Engine pools take their memory on first use and keep it for good, which
    // would leave every later row of the process that much less heap. Of the
    // pools given, those without memory now have it freed when the row is
    // done, after the undo steps added later (which remove their objects).
    void FreePoolsOnDone(const std::vector<cMemPool*>& pools);

    cMemPool m_loads{"loaderSuite", 0x400000, false};
    cMemPool m_build{"loaderSuiteBuild", 0x200000, false};
    cMemPool m_textures{"Textures", 0x100000, false};

private:
    TempDir m_dir;  // removed with everything in it after the undo steps
    std::vector<std::function<void()>> m_undo;
};

struct LoaderRow {
    std::string name;                  // class and block version
    std::vector<std::string> writers;  // the datagen entry points the row runs
    std::function<bool(LoaderEnv&, const std::string& path)> write;  // the sample file
    const cType* (*type)();            // what the file holds (null for a played stream)
    // The manager a group fills: a refused load leaves its slots as they were.
    const cSlotTable& (*slots)() = nullptr;
    // The engine writes this version, so writing the object again gives the
    // sample's bytes; an older version gives the newest one's, stable from
    // then on.
    bool bNewest = true;
    std::function<void(LoaderEnv&)> setup = {};
    // Loads the file into env.m_loads; default cBase::Load of the type.
    std::function<cBase*(LoaderEnv&, const char* path)> load = {};
    // A stream that is played, not loaded as an object (no type): true when
    // every frame decoded. Damaged files must play or stop cleanly.
    std::function<bool(LoaderEnv&, const char* path)> play = {};
    // Writes what was loaded back as a file; default the datagen object file.
    std::function<bool(const std::string& path, const cBase&)> rewrite = {};
    // A damaged sample (a reference that leads nowhere, a float that is not
    // finite): its load is refused with one error holding each text (the
    // file and the record), the slots as they were. Its cuts and flips are
    // the undamaged row's.
    std::vector<std::string> refused = {};
};

// The table, in loaderSuiteRows.cpp.
const std::vector<LoaderRow>& LoaderRows();
