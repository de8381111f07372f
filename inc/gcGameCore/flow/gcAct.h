#pragma once
// One act of the game: a group of up to 32 maps, read from
// "%s/Game/Act%02i/Act%02i.act" into the "Act" pool. It names its maps and
// loads one of them at a time into the "Map" pool; deleting the act deletes
// its map. One act at a time (s_pAct). Built on the loader thread, then
// used on the main thread. Type id 67.

#include <cstdint>

#include "cCore/cObject.h"
#include "cCore/cStr.h"
#include "gcGameCore/script/gcKeyValue.h"

class gcAct : public cObject {
    QM_DECLARE_TYPE(gcAct)
public:
    static constexpr uint32_t kVersion = 3;
    static constexpr int kMaxMaps = 32;

    // Registers s_pAct. The key-value group's range is empty, so the key
    // values an act file stores are read and dropped.
    gcAct();
    // An act whose key-value group takes its range from the file; nothing
    // of the source is copied.
    gcAct(const gcAct& other);
    gcAct& operator=(const gcAct&) = delete;
    // Deletes the resident map; clears s_pAct.
    ~gcAct() override;
    cBase* Copy(cMemPool* pPool) const override;

    // Version 3: the cObject block, 32 map names, the key values.
    void Write(const cFile& file) const override;
    // Versions 1 to 3 (version 2 carries a list of integers that is
    // skipped). Counts beyond the table are read and dropped.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Loads that map of this act into the Map pool, then its side files,
    // and resets its placed objects. True at once when it is resident;
    // false (the old map kept) when its file does not open, or (the map
    // gone) when it is refused.
    bool LoadMap(int nMap);
    // Editing tools: LoadMap without a file. The old map goes, the Map and
    // "Map Music " pools are readied and an empty map of that id and name
    // is made, with its empty sound data, voice-overs and strings; the name
    // goes into m_mapNames. Ids outside the table are refused (logged).
    void CreateMap(int nMap, const cName& name);
    // The same up to the named map: no side groups, m_mapNames left alone.
    void PreCreateMap(int nMap, const cName& name);

    // "%s/Game/Act%02i/Act%02i.act" with the 0-based act id plus one.
    static void GetFilename(int nAct, cStr* pName);

    int32_t m_nActId = -1;  // index in the game's act names
    cName m_mapNames[kMaxMaps];
    gcKeyValueGroup m_keyValues;

    static gcAct* s_pAct;  // the resident act; null when none
};
