#pragma once
// Carries a pause or unpause request in data. Running it changes nothing:
// the game pauses through its pausing dialogs. Lives in its event's pool;
// main thread. Type id 153.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"

class gcDoPauseGame : public gcAction {
    QM_DECLARE_TYPE(gcDoPauseGame)
public:
    static constexpr uint32_t kVersion = 1;

    gcDoPauseGame() = default;
    explicit gcDoPauseGame(bool pause) : bPause(pause) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the base block and the pause flag.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "PauseGame" or "UnpauseGame"
    void GetText(char* pBuf) const override;
    void DoAction(const gcEventParams&) const override {}

    bool bPause = true;
};
