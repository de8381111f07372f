#pragma once
// A three-operand operator of a script expression: clamping, interpolation,
// range and heading tests, wrapping. It owns its operands, which live in its
// pool and die with it; a missing operand reads 0.0. Read with its owner
// into its pool; main thread. Type id 145.

#include <cstdint>

#include "gcGameCore/script/gcValue.h"

class gcValTrinaryOp : public gcValue {
    QM_DECLARE_TYPE(gcValTrinaryOp)
public:
    static constexpr uint32_t kVersion = 2;
    static constexpr int kOperands = 3;
    static constexpr uint32_t kLowerExclusive = 0x1;  // nFlags, "range" only
    static constexpr uint32_t kUpperExclusive = 0x2;

#define QM_TRINARY_OPS(X)                                                          \
    X(OP_CLAMP, 0, "clamp")            /* a clamped to b..c, lower bound first */  \
    X(OP_LERP, 1, "lerp")              /* b + a (c - b), not clamped */            \
    X(OP_RANGE, 2, "range")            /* a within b..c, bounds by nFlags */       \
    X(OP_HEADINGTOL, 3, "headingTol")  /* heading b within c degrees of a */       \
    X(OP_WRAP, 4, "wrap")              /* a below b gives c, above c gives b */
#define QM_TRINARY_OP_ENUM(name, value, text) name = value,
    enum gcOperation : int32_t { QM_TRINARY_OPS(QM_TRINARY_OP_ENUM) MAX_OPS = 5 };
#undef QM_TRINARY_OP_ENUM

    gcValTrinaryOp() = default;
    // Takes ownership of the operands (any may be null).
    gcValTrinaryOp(gcOperation op, gcValue* pA, gcValue* pB, gcValue* pC, uint32_t flags = 0)
        : operation(op), pOperand1(pA), pOperand2(pB), pOperand3(pC), nFlags(flags) {}
    // Copies the operands into the pool that holds this object.
    gcValTrinaryOp(const gcValTrinaryOp& other);
    gcValTrinaryOp& operator=(const gcValTrinaryOp&) = delete;
    ~gcValTrinaryOp() override;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the gcValue block, the operation, three operands, the flags.
    void Write(const cFile& file) const override;
    // Versions 1 and 2 (others skipped, false); version 1 has no flags
    // (both range bounds inclusive). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Evaluates the three operands always, in order; 0.0 outside the
    // enumeration.
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // the operation's text
    unsigned GetTextFlags() const override;   // 5: function form
    int GetNumChildren() const override { return kOperands; }
    const gcValue* GetChildByIndex(int i) const override;

    static const char* GetOpText(int op);  // "???" outside the enumeration

    gcOperation operation = OP_CLAMP;
    gcValue* pOperand1 = nullptr;
    gcValue* pOperand2 = nullptr;
    gcValue* pOperand3 = nullptr;
    uint32_t nFlags = 0;
};
