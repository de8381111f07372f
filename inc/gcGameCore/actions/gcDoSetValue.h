#pragma once
// Assigns to an assignable value: the source, or the destination's value
// combined with the source by one of four operations. Owns both values.
// Lives in its event's pool; main thread. Type id 127.

#include "gcGameCore/script/gcAction.h"

class gcLValue;

class gcDoSetValue : public gcAction {
    QM_DECLARE_TYPE(gcDoSetValue)
public:
    static constexpr uint32_t kVersion = 2;

    // Stored in data files.
    enum gcOperation : int32_t {
        OP_ASSIGN = 0,      // "="
        OP_ASSIGN_INC = 1,  // "+="
        OP_ASSIGN_DEC = 2,  // "-="
        OP_ASSIGN_MUL = 3,  // "*="
        OP_ASSIGN_DIV = 4,  // "/=", unguarded: a zero source gives inf or NaN
        MAX_OPS = 5,
    };
    static const char* GetOpText(int32_t op);  // "???" outside the table

    gcDoSetValue() = default;
    ~gcDoSetValue() override;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the base block, the operation, the destination, the source.
    void Write(const cFile& file) const override;
    // Versions 1 (no operation: OP_ASSIGN) and 2; others skipped, false.
    // Unchanged unless read whole. Missing values load; the action then does
    // nothing.
    bool Read(const cFile& file, cMemPool* pPool) override;

    void GetText(char* pBuf) const override;  // the operation's text
    unsigned GetTextFlags() const override { return 0; }  // "dest op source"
    int GetNumChildren() const override { return 2; }
    const gcValue* GetChildByIndex(int i) const override;
    // The source is evaluated first, then (unless assigning) the
    // destination; an operation outside the table assigns nothing.
    void DoAction(const gcEventParams& params) const override;

    int32_t operation = OP_ASSIGN;  // a gcOperation as stored
    gcLValue* pDest = nullptr;
    gcValue* pSource = nullptr;
};
