#pragma once
// A binary operator of a script expression: logic (short-circuit), ordered
// comparisons, arithmetic, minimum, maximum and power of its two operands.
// It owns the operands: they live in its pool and die with it. A missing
// operand reads 0.0. Read with its owner into its pool; main thread. Type
// id 85.

#include <cstdint>

#include "gcGameCore/script/gcValue.h"

class gcValBinaryOp : public gcValue {
    QM_DECLARE_TYPE(gcValBinaryOp)
public:
    static constexpr uint32_t kVersion = 1;
    static constexpr float kMinDivisor = 0.00001f;  // |divisor| at or below it divides to 0.0

#define QM_BINARY_OPS(X)                                                       \
    X(OP_AND, 0, "and")                                                        \
    X(OP_OR, 1, "or")                                                          \
    X(OP_LESS, 2, "<")                                                         \
    X(OP_LESSEQUAL, 3, "<=")                                                   \
    X(OP_EQUAL, 4, "==")                                                       \
    X(OP_GREATEREQUAL, 5, ">=")                                                \
    X(OP_GREATER, 6, ">")                                                      \
    X(OP_NOTEQUAL, 7, "!=")                                                    \
    X(OP_ADD, 8, "+")                                                          \
    X(OP_SUB, 9, "-")                                                          \
    X(OP_MUL, 10, "*")                                                         \
    X(OP_DIV, 11, "/")                                                         \
    X(OP_MIN, 12, "min")  /* the first operation shown in function form */     \
    X(OP_MAX, 13, "max")                                                       \
    X(OP_POW, 14, "pow")
#define QM_BINARY_OP_ENUM(name, value, text) name = value,
    enum gcOperation : int32_t { QM_BINARY_OPS(QM_BINARY_OP_ENUM) OP_FUNCTION = OP_MIN, MAX_OPS = 15 };
#undef QM_BINARY_OP_ENUM

    gcValBinaryOp() = default;
    // Takes ownership of the operands (either may be null).
    gcValBinaryOp(gcOperation op, gcValue* pA, gcValue* pB) : operation(op), pOperand1(pA), pOperand2(pB) {}
    // Copies the operands into the pool that holds this object.
    gcValBinaryOp(const gcValBinaryOp& other);
    gcValBinaryOp& operator=(const gcValBinaryOp&) = delete;
    ~gcValBinaryOp() override;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcValue block, the operation, the two operands.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // "and" and "or" evaluate operand 2 only when operand 1 leaves the
    // result open; the others evaluate both, in order. 0.0 outside the
    // enumeration.
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // the operation's text
    // 1 (parenthesised infix) below OP_FUNCTION, 5 (function form) from it.
    unsigned GetTextFlags() const override;
    int GetNumChildren() const override { return 2; }
    const gcValue* GetChildByIndex(int i) const override;

    static const char* GetOpText(int op);  // "???" outside the enumeration

    gcOperation operation = OP_AND;
    gcValue* pOperand1 = nullptr;
    gcValue* pOperand2 = nullptr;
};
