#pragma once
// The script's if/else: evaluates its condition and runs the true list for
// any value but exactly 0.0 (so NaN is true), else the false list. The
// lists share the running frame with the enclosing event, so a return at any
// depth ends them, every enclosing list and the event. Owns its condition
// and both lists. Lives in its event's pool; main thread. Type id 86.

#include "gcGameCore/script/gcAction.h"

class gcDoEvaluation : public gcAction {
    QM_DECLARE_TYPE(gcDoEvaluation)
public:
    static constexpr uint32_t kVersion = 3;

    gcDoEvaluation() = default;
    ~gcDoEvaluation() override;

    // Deep: the condition and every action of both lists. Null when any of
    // them cannot be copied.
    cBase* Copy(cMemPool* pPool) const override;
    // Version 3: the base block, the condition, the true list, the false
    // list; each list its actions as polymorphic members, then -1.
    void Write(const cFile& file) const override;
    // Version 3 only (others skipped, false); unchanged unless read whole.
    // An action of an unknown class fails the file; a missing condition loads,
    // and the action then runs neither list.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // "if " and the condition's text ("???" without one).
    void GetTextRecursive(char* pBuf) const override;
    // The if line, then "{", the true actions one level deeper, "}" (or
    // "<none>"), and "else", "{", the false actions, "}" when there are any.
    void LogText() const override;
    int GetNumChildren() const override { return 1; }
    const gcValue* GetChildByIndex(int i) const override { return i == 0 ? pEvaluation : nullptr; }
    void DoAction(const gcEventParams& params) const override;

    gcValue* pEvaluation = nullptr;
    gcAction* pTrueAction = nullptr;   // first of the true list
    gcAction* pFalseAction = nullptr;  // first of the false list
};
