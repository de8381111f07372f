#pragma once
// The base of every script value: a node of an expression that evaluates to
// a float against the running event (its parameters here, its frame through
// gcEvent::s_pCurEventStackData). False and true are 0.0 and 1.0. Values are
// read with their owner into its pool and never change afterwards; an owner
// destroys the values it holds. Main thread. Type id 82, abstract: the value
// classes register under it.

#include "cCore/cBase.h"

struct gcEventParams;

class gcValue : public cBase {
    QM_DECLARE_ABSTRACT_TYPE(gcValue)
public:
    static constexpr uint32_t kVersion = 1;

    gcValue() = default;

    // The base block: version 1 holding an empty block of version 1.
    void Write(const cFile& file) const override;
    // Refuses version 0 (skipped, false); the inner block's version is not
    // examined.
    bool Read(const cFile& file, cMemPool* pPool) override;

    virtual float Get(const gcEventParams& params) const = 0;
    // Appends the friendly type name less its first three letters
    // ("gcValNumber" gives "Number"); subclasses add their operands. Buffers
    // hold gcScriptText::kSize bytes.
    virtual void GetText(char* pBuf) const;
    // The text with the children laid out by GetTextFlags (gcScriptText).
    virtual void GetTextRecursive(char* pBuf) const;
    virtual unsigned GetTextFlags() const { return 0; }  // infix, no parentheses
    virtual int GetNumChildren() const { return 0; }
    virtual const gcValue* GetChildByIndex(int) const { return nullptr; }
};
