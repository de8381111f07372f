#pragma once
// What the option screens change on the console: progressive-scan video,
// the audio output mode, leaving for the console's own menu, and taking the
// reset button's handler away around critical work and putting it back.
// The block and text live here; what each operation does lives in
// gcDoConsoleOp_gc.cpp, on the platform's video, audio and reset services.
// Lives in its event's pool; main thread. Type id 259.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"

class gcDoConsoleOp : public gcAction {
    QM_DECLARE_TYPE(gcDoConsoleOp)
public:
    // Every version holds the one field; version 1 is written, any is read.
    static constexpr uint32_t kVersion = 1;
    static constexpr uint32_t kReadVersion = 3;

    // Stored in data files.
    enum gcOp : int32_t {
        OP_PROGRESSIVE_ON = 0,
        OP_PROGRESSIVE_OFF = 1,
        OP_RETURN_TO_BROWSER = 2,
        OP_SET_AUDIO_MODE_MONO = 3,
        OP_SET_AUDIO_MODE_STEREO = 4,
        OP_SET_AUDIO_MODE_SURROUND = 5,
        OP_SET_AUDIO_MODE_DPL2 = 6,
        OP_DISABLE_RESET = 7,
        OP_ENABLE_RESET = 8,
        MAX_OPS = 9,
    };

    gcDoConsoleOp() = default;
    explicit gcDoConsoleOp(int32_t operation) : op(operation) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the base block and the operation.
    void Write(const cFile& file) const override;
    // Every version from 1 (0 skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    void GetText(char* pBuf) const override;  // "ConsoleOp( SetAudioMono )"
    // Nothing for an operation outside the table.
    void DoAction(const gcEventParams& params) const override;

    static const char* GetOpText(int32_t operation);  // "SetProgressive On"...; "???" outside

    int32_t op = OP_PROGRESSIVE_ON;  // a gcOp as stored
};
