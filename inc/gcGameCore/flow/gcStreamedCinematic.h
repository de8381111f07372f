#pragma once
// A streamed cinematic: a cinematic of the map kept in a file of its own
// ("Act%02i/Map%02i/Cinematic/Cinematic%02i.cin") with the animations and
// the voice-overs ("..._%s.vo", voice-over language) only it uses, loaded
// when a script asks for it. At most one is resident (s_pStreamedCinematic),
// in the "Map Streamed Cinematics" pool, its voice-overs in the "Map
// Streamed Cinematic VO" pool. Loaded on the streamed-cinematic loader's
// thread; the main thread uses it only after that thread has ended. Type
// id 227.

#include <cstdint>

#include "cCore/cObject.h"
#include "cCore/cStr.h"
#include "eEngine/eAnimation.h"
#include "gcGameCore/script/gcCinematic.h"

class gcVoiceOverGroup;

class gcStreamedCinematic : public cObject {
    QM_DECLARE_TYPE(gcStreamedCinematic)
public:
    static constexpr uint32_t kVersion = 2;
    static constexpr int32_t kAnimationsBegin = 800;  // slots of its own animations
    static constexpr int32_t kAnimationsEnd = 900;
    static constexpr int32_t kVoiceOversBegin = 100;  // slots of its own voice-overs
    static constexpr int32_t kVoiceOversEnd = 200;

    // Registers itself as the resident one.
    gcStreamedCinematic();
    gcStreamedCinematic(const gcStreamedCinematic&) = delete;
    gcStreamedCinematic& operator=(const gcStreamedCinematic&) = delete;
    // Deletes its voice-over group and its animations; no longer resident.
    ~gcStreamedCinematic() override;

    // Version 2: the cObject block, the cinematic's block, the animations.
    void Write(const cFile& file) const override;
    // Versions 1 (no animations) and 2; others skipped, false.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Loader thread: the map's streamed cinematic of that id (0..99) and its
    // voice-overs; true at once when that id is resident. False (logged) for
    // an id outside the map's table, no map, a file that does not open (the
    // resident one stays) or one that is refused (then none is resident).
    static bool Load(int nId);
    // A new voice-over group from the file of the voice-over language; a
    // missing file leaves it empty. True when the file opened.
    bool LoadVoiceOvers();
    // Editing tools: the voice-over group as LoadVoiceOvers makes it, empty,
    // without a file.
    void CreateVoiceOvers();

    // File names from 0-based ids.
    static void GetCinematicFilename(int nAct, int nMap, int nCinematic, cStr* pName);
    static void GetCinematicVoiceOversFilename(int nAct, int nMap, int nCinematic, cStr* pName);

    gcCinematic m_cinematic;
    eAnimationGroup m_animations;               // slots [800, 900), owning
    gcVoiceOverGroup* m_pVoiceOvers = nullptr;  // in the VO pool
    int32_t m_nCinematicId = -1;                // index into the map's streamed-cinematic names

    static gcStreamedCinematic* s_pStreamedCinematic;  // the resident one; null when none
};
