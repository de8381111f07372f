#pragma once
// Registered classes for the file, type and group tests (and the fuzz
// target), with type ids from the range no engine or game class uses, and a
// data directory in a temporary folder for files read through the disc.

#include <cstdint>
#include <string>

#include "cCore/cGroup.h"
#include "cCore/cManager.h"
#include "cCore/cObject.h"
#include "tempDir.h"

// Ids 44 to 63 are free in the real table.
constexpr uint32_t kTestThingId = 60;
constexpr uint32_t kTestHolderId = 61;
constexpr uint32_t kTestAbstractId = 62;
constexpr uint32_t kTestThingGroupId = 63;

// A managed object: block version 2 holds the cObject part, a 32-bit value
// and one byte; version 1 lacks the byte. Other versions are rejected, and
// a value of kRefusedValue is refused without a word (as a reader that
// returns false on a field it checks).
class cTestThing : public cObject {
    QM_DECLARE_TYPE(cTestThing)
public:
    static constexpr uint32_t kVersion = 2;
    static constexpr int32_t kRefusedValue = -99;
    cTestThing() { ++s_nConstructed; }
    ~cTestThing() override { ++s_nDestroyed; }
    cBase* Copy(cMemPool* pPool) const override;
    void Write(const cFile& file) const override;
    bool Read(const cFile& file, cMemPool* pPool) override;

    cHandle<cTestThing> m_handle;
    int32_t m_nValue = 0;
    uint8_t m_nFlag = 0;

    static int s_nConstructed;
    static int s_nDestroyed;
};

class cTestThingMgr : public cManager<cTestThing, 16> {};

class cTestThingGroup : public cGroup {
    QM_DECLARE_GROUP(cTestThingGroup, cTestThingMgr)
};

// A container: a short, then two polymorphic members.
class cTestHolder : public cObject {
    QM_DECLARE_TYPE(cTestHolder)
public:
    void Write(const cFile& file) const override;
    bool Read(const cFile& file, cMemPool* pPool) override;

    int16_t m_nShort = 0;
    cBase* m_pFirst = nullptr;
    cBase* m_pSecond = nullptr;
};

// Registered without a factory: files may hold it, readers skip it.
class cTestAbstract : public cObject {
    QM_DECLARE_ABSTRACT_TYPE(cTestAbstract)
public:
    void Write(const cFile& file) const override;
};

// A temporary folder made the disc's data directory for the fixture's life.
class cTestDataDir {
public:
    cTestDataDir();
    ~cTestDataDir();
    std::string HostPath(const char* name) const { return m_dir.File(name); }
    std::string ConsolePath(const char* name) const { return std::string("/") + name; }

private:
    TempDir m_dir{"qm_files"};
};
