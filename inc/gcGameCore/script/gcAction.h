#pragma once
// The base of every script action: one step of an event's list, linked to
// the next by pNextAction. An event owns its actions and destroys them; an
// action owns the values it holds. Actions keep no state: DoAction is const
// and runs only through Apply, which makes the action the current one
// (s_pCurAction) while it runs. Lives in its owner's pool; main thread. Type
// id 84, abstract: the action classes register under it.

#include "cCore/cBase.h"

class cReadBlock;
class cWriteBlock;
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

    // Action lists as events and evaluations store them: each action as a
    // polymorphic member, in order, then -1.
    static void WriteList(const cWriteBlock& wb, const gcAction* pFirst);
    // Reads a list through its -1 into *ppFirst (linked through
    // pNextAction). A member that is no action class or refuses its block
    // fails the file as a damaged one. False when the block fails or the
    // pool is full (logged);
    // then nothing is kept and *ppFirst is left alone.
    static bool ReadList(const cReadBlock& rb, cMemPool* pPool, gcAction** ppFirst);
    // Copies each action into pPool, in order; an action that cannot be
    // copied is left out (logged), so *pbWhole tells whether all were.
    static gcAction* CopyList(const gcAction* pFirst, cMemPool* pPool, bool* pbWhole);
    // Destroys every action of the list; the memory stays with the pool.
    static void DestroyList(gcAction* pFirst);
    // One polymorphic member that must be of class pClass or derived from
    // it: null for -1, and for a member of another class, of an unknown id or
    // refusing its block (each failing the file as a damaged one). A full
    // pool sets *pbFull.
    static cBase* ReadMember(const cReadBlock& rb, cMemPool* pPool, const cType* pClass, bool* pbFull);

    // Owned values of the flow-control actions. ReadValues reads n members
    // of the classes given into ppOut (null where none was usable); false
    // when the block failed or the pool is full, and then none is kept.
    static bool ReadValues(const cReadBlock& rb, cMemPool* pPool, const cType* const* ppClasses, gcValue** ppOut,
                           int n);
    // Copies each value into pPool (null stays null); false when one cannot
    // be copied (logged), and then none is kept.
    static bool CopyValues(const gcValue* const* ppFrom, cMemPool* pPool, gcValue** ppOut, int n);
    static void DestroyValues(gcValue* const* pp, int n);

protected:
    // The block of an action whose only field is one owned value: exactly
    // this version, the base block, the value. Reading replaces *ppValue
    // only when the block was read whole; otherwise the block is skipped
    // (logged) and false returned.
    void WriteValueBlock(const cFile& file, uint32_t version, const gcValue* pValue) const;
    bool ReadValueBlock(const cFile& file, cMemPool* pPool, uint32_t version, gcValue** ppValue);

public:

    gcAction* pNextAction = nullptr;  // the next action of the same event

    static const gcAction* s_pCurAction;  // null when no action runs
    static int s_nLogRecurseDepth;        // indentation of logged action text
};
