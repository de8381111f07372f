#pragma once
// The script's return: stores its value (when it has one) as the running
// frame's return value and sets the frame's stop bit, which ends every
// enclosing action list and the event. Owns its value. Lives in its event's
// pool; main thread. Type id 178.

#include "gcGameCore/script/gcAction.h"

class gcDoReturn : public gcAction {
    QM_DECLARE_TYPE(gcDoReturn)
public:
    static constexpr uint32_t kVersion = 1;

    gcDoReturn() = default;
    ~gcDoReturn() override;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the base block, then the value (-1 for none).
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    void GetText(char* pBuf) const override;  // "return"
    // "return", and " " and the value's text when there is one.
    void GetTextRecursive(char* pBuf) const override;
    int GetNumChildren() const override { return 1; }
    const gcValue* GetChildByIndex(int i) const override { return i == 0 ? pValue : nullptr; }
    // Without a running frame nothing is evaluated.
    void DoAction(const gcEventParams& params) const override;

    gcValue* pValue = nullptr;  // null: the return value stays as it is
};
