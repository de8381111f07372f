#pragma once
// The base of every script action: one step of an event's list, linked to
// the next by pNextAction. An event owns its actions and destroys them; an
// action owns the values it holds. Actions keep no state: DoAction is const
// and runs only through Apply, which makes the action the current one
// (s_pCurAction) while it runs. Lives in its owner's pool; main thread. Type
// id 84, abstract: the action classes register under it.

#include "cCore/cBase.h"

struct gcEventParams;
class gcValue;

class gcAction : public cBase {
    QM_DECLARE_ABSTRACT_TYPE(gcAction)
public:
    static constexpr uint32_t kVersion = 3;

    gcAction() = default;

    // The base block: version 3 holding an empty block of version 1.
    void Write(const cFile& file) const override;
    // Refuses versions below 3 (skipped to the block end, false).
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Appends the friendly type name less its first two letters
    // ("gcDoPlaySound" gives "PlaySound"); subclasses add their operands.
    // Buffers hold gcScriptText::kSize bytes.
    virtual void GetText(char* pBuf) const;
    // The text with the children laid out by GetTextFlags (gcScriptText).
    virtual void GetTextRecursive(char* pBuf) const;
    // Logs the current tabs and the recursive text as one line.
    virtual void LogText() const;
    virtual unsigned GetTextFlags() const { return 5; }  // function form in parentheses
    virtual int GetNumChildren() const { return 0; }
    virtual const gcValue* GetChildByIndex(int) const { return nullptr; }
    virtual void DoAction(const gcEventParams& params) const = 0;

    // Runs DoAction as the current action, then restores the previous one.
    void Apply(const gcEventParams& params) const;
    // Appends one tab per s_nLogRecurseDepth.
    static void GetCurTabs(char* pBuf);

    gcAction* pNextAction = nullptr;  // the next action of the same event

    static const gcAction* s_pCurAction;  // null when no action runs
    static int s_nLogRecurseDepth;        // indentation of logged action text
};
