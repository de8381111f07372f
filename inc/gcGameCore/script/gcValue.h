#pragma once
// The base of every script value: a node of an expression that evaluates to
// a float against the running event (its parameters here, its frame through
// gcEvent::s_pCurEventStackData). False and true are 0.0 and 1.0. Values are
// read with their owner into its pool and never change afterwards; an owner
// destroys the values it holds. Main thread. Type id 82, abstract: the value
// classes register under it.

#include "cCore/cBase.h"

class cReadBlock;
class cWriteBlock;
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

    // Owned operands (of operators, function calls, flow control). A null
    // operand is a value that was missing in the file; it reads 0.0.
    static float GetOperand(const gcValue* pValue, const gcEventParams& params);
    // Reads count polymorphic members into ppOut. A member that is no value
    // class with a factory is skipped (warned) and left null, as is id -1.
    // False when the pool cannot hold one, or one ran out of room inside its
    // own read: everything read so far is destroyed and ppOut is all null.
    static bool ReadOperands(const cReadBlock& rb, cMemPool* pPool, gcValue** ppOut, int count);
    // Script members a read on this thread could not allocate. A reader
    // whose member refused its block compares the count from before that
    // read: when it grew the member ran out of room (the owner's read fails
    // as a whole); otherwise the block was damaged, and so is the file.
    static thread_local uint32_t s_nReadOutOfRoom;
    // Each operand as a polymorphic member (-1 for null).
    static void WriteOperands(const cWriteBlock& wb, const gcValue* const* ppValues, int count);
    // A copy made by the operand's Copy in pPool; null for null.
    static gcValue* CopyOperand(const gcValue* pValue, cMemPool* pPool);
    // Destroys each non-null operand and nulls its pointer; the memory stays
    // with its pool.
    static void DestroyOperands(gcValue** ppValues, int count);
    // pCopy when each operand of ppFrom has its copy in ppTo; otherwise
    // (the pool ran out) pCopy is destroyed with what it holds, logged, and
    // null is returned: a copy is whole or nothing.
    static gcValue* WholeCopy(gcValue* pCopy, const gcValue* const* ppFrom, const gcValue* const* ppTo, int count);

    // Truncation toward zero to a signed 32-bit integer, as the scripts
    // convert; values past its range (and NaN) saturate instead of
    // overflowing.
    static int32_t TruncToInt(double d);
    // Halves away from zero: the truncation of x - 0.5 below zero, of
    // x + 0.5 otherwise.
    static int32_t RoundToInt(float x);

protected:
    // The start of a class's Read: refuses a version outside nMin..nMax and a
    // base block (gcValue's, or gcLValue's for an assignable class) that does
    // not read (logged, the block skipped, false); otherwise the reader
    // stands at the class's fields.
    bool ReadFrame(const cReadBlock& rb, cMemPool* pPool, uint32_t nMin, uint32_t nMax);
};
