#pragma once
// Evaluates one value for what it does (a script function call, say) and
// drops the result. Its text is the value's. Owns its value. Lives in its
// event's pool; main thread. Type id 148.

#include "gcGameCore/script/gcAction.h"

class gcDoFunction : public gcAction {
    QM_DECLARE_TYPE(gcDoFunction)
public:
    static constexpr uint32_t kVersion = 2;

    gcDoFunction() = default;
    ~gcDoFunction() override;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the base block, then the value.
    void Write(const cFile& file) const override;
    // Version 2 only (others skipped, false); unchanged unless read whole. A
    // missing value loads; the action then does nothing.
    bool Read(const cFile& file, cMemPool* pPool) override;

    void GetText(char* pBuf) const override;           // the value's; "???" without one
    void GetTextRecursive(char* pBuf) const override;  // the value's recursive text
    int GetNumChildren() const override { return 1; }
    const gcValue* GetChildByIndex(int i) const override { return i == 0 ? pValue : nullptr; }
    void DoAction(const gcEventParams& params) const override;

    gcValue* pValue = nullptr;
};
