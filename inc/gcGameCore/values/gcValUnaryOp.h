#pragma once
// A unary operator of a script expression: negation, rounding, roots,
// trigonometry in degrees, heading normalisation and the splitting of a
// time in seconds. It owns its operand, which lives in its pool and dies
// with it; a missing operand reads 0.0. Read with its owner into its pool;
// main thread. Type id 144.

#include <cstdint>

#include "gcGameCore/script/gcValue.h"

class gcValUnaryOp : public gcValue {
    QM_DECLARE_TYPE(gcValUnaryOp)
public:
    static constexpr uint32_t kVersion = 1;
    static constexpr float kRadiansPerDegree = 0.017453292f;

#define QM_UNARY_OPS(X)                                                 \
    X(OP_NOT, 0, "!")                                                   \
    X(OP_ABS, 1, "abs")                                                 \
    X(OP_FLOOR, 2, "floor")                                             \
    X(OP_CEIL, 3, "ceil")                                               \
    X(OP_ROUND, 4, "round")  /* halves away from zero */                \
    X(OP_SQRT, 5, "sqrt")    /* 0 and negatives unchanged */            \
    X(OP_SIN, 6, "sin")      /* of degrees */                           \
    X(OP_COS, 7, "cos")                                                 \
    X(OP_INC, 8, "inc")                                                 \
    X(OP_DEC, 9, "dec")                                                 \
    X(OP_NEG, 10, "-")                                                  \
    X(OP_FIXHEADING, 11, "FixHeading")  /* one turn toward -180..180 */ \
    X(OP_HOURS, 12, "hours")            /* of seconds */                \
    X(OP_MINUTES, 13, "minutes")                                        \
    X(OP_SECONDS, 14, "seconds")
#define QM_UNARY_OP_ENUM(name, value, text) name = value,
    enum gcOperation : int32_t { QM_UNARY_OPS(QM_UNARY_OP_ENUM) MAX_OPS = 15 };
#undef QM_UNARY_OP_ENUM

    gcValUnaryOp() = default;
    // Takes ownership of the operand (may be null).
    gcValUnaryOp(gcOperation op, gcValue* p) : operation(op), pOperand(p) {}
    // Copies the operand into the pool that holds this object.
    gcValUnaryOp(const gcValUnaryOp& other);
    gcValUnaryOp& operator=(const gcValUnaryOp&) = delete;
    ~gcValUnaryOp() override;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcValue block, the operation, the operand.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Evaluates the operand always; 0.0 outside the enumeration.
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // the operation's text
    // 4 (prefix) for "!" and "-", else 5 (function form).
    unsigned GetTextFlags() const override;
    int GetNumChildren() const override { return 1; }
    const gcValue* GetChildByIndex(int i) const override { return i == 0 ? pOperand : nullptr; }

    static const char* GetOpText(int op);  // "???" outside the enumeration

    gcOperation operation = OP_NOT;
    gcValue* pOperand = nullptr;
};
