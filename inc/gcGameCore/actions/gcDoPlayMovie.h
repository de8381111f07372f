#pragma once
// Plays a movie full screen, in the current language, and blocks the
// script until it ends or, when skippable, the player skips it. Lives in
// its event's pool; main thread. Type id 260.

#include "cCore/cStr.h"
#include "gcGameCore/script/gcAction.h"

class gcDoPlayMovie : public gcAction {
    QM_DECLARE_TYPE(gcDoPlayMovie)
public:
    static constexpr uint32_t kVersion = 2;

    gcDoPlayMovie() = default;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the base block, the name's whole 256-byte buffer and the
    // skippable flag.
    void Write(const cFile& file) const override;
    // Versions 1 (skippable) and 2; others skipped, false. The stored name
    // always ends within its buffer. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "PlayMovie( [name] )".
    void GetText(char* pBuf) const override;
    // Nothing without a game object or with an empty name.
    void DoAction(const gcEventParams& params) const override;

    cStr movieName;
    bool bCanSkip = true;
};
