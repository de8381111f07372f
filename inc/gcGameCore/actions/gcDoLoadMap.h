#pragma once
// Leaves the current map, restarts it, or asks the top loop for another act
// and map behind a loading screen, optionally recording the game first (the
// platform configuration's game-saved event decides what is written to the
// memory card). Only requests: the map loop ends at the end of the frame
// and the top loop loads what was asked for. Lives in its event's pool;
// main thread. Type id 107.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"

class gcDoLoadMap : public gcAction {
    QM_DECLARE_TYPE(gcDoLoadMap)
public:
    static constexpr uint32_t kVersion = 4;

    gcDoLoadMap() = default;
    gcDoLoadMap(int32_t nLoadingScreen, int32_t nAct, int32_t nMap, bool bExit, bool bSave, bool bRestart)
        : nLoadingScreenToLoad(nLoadingScreen), nActToLoad(nAct), nMapToLoad(nMap), bExitCurrentMap(bExit),
          bSaveGame(bSave), bRestartCurrentMap(bRestart) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 4: the base block, loading screen, act, map, exit, save and
    // restart flags.
    void Write(const cFile& file) const override;
    // Versions 1 to 4 (others skipped, false); a flag a version lacks keeps
    // its default (save on). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "ExitMap( )", "RestartCurrentMap( )" or "LoadMap( 1, 2, "Name" )"
    // (1-based act and map).
    void GetText(char* pBuf) const override;
    // The first that applies: exit (needs a map), restart (needs a map and an
    // act), or the request for the act and map, then the game-saved event.
    void DoAction(const gcEventParams& params) const override;

    int32_t nLoadingScreenToLoad = 0;  // 0-based, in the game file's loading screens
    int32_t nActToLoad = 0;            // 0-based
    int32_t nMapToLoad = 0;            // 0-based
    bool bExitCurrentMap = false;
    bool bSaveGame = true;
    bool bRestartCurrentMap = false;
};
