#include "gcGameCore/values/gcValBinaryOp.h"

#include <cmath>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValBinaryOp, gcValue, 85)

gcValBinaryOp::gcValBinaryOp(const gcValBinaryOp& other) : gcValue(other), operation(other.operation)
{
    cMemPool* pPool = cMemPool::GetPoolFromPtr(this);
    pOperand1 = CopyOperand(other.pOperand1, pPool);
    pOperand2 = CopyOperand(other.pOperand2, pPool);
}

gcValBinaryOp::~gcValBinaryOp()
{
    gcValue* operands[] = {pOperand1, pOperand2};
    DestroyOperands(operands, 2);
}

cBase* gcValBinaryOp::Copy(cMemPool* pPool) const
{
    gcValBinaryOp* pCopy = pPool ? pPool->New<gcValBinaryOp>(*this) : nullptr;
    const gcValue* from[] = {pOperand1, pOperand2};
    const gcValue* to[] = {pCopy ? pCopy->pOperand1 : nullptr, pCopy ? pCopy->pOperand2 : nullptr};
    return WholeCopy(pCopy, from, to, 2);
}

void gcValBinaryOp::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    wb.WriteInt(static_cast<int32_t>(operation));
    const gcValue* operands[] = {pOperand1, pOperand2};
    WriteOperands(wb, operands, 2);
}

bool gcValBinaryOp::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    const int32_t op = rb.ReadInt();
    gcValue* operands[2];
    if (!ReadOperands(rb, pPool, operands, 2))
        return rb.Reject("gcValBinaryOp", "operand (pool full)");
    if (rb.Failed()) {
        DestroyOperands(operands, 2);
        return false;
    }
    gcValue* old[] = {pOperand1, pOperand2};
    DestroyOperands(old, 2);
    operation = static_cast<gcOperation>(op);  // kept as stored: 0.0 and "???" outside
    pOperand1 = operands[0];
    pOperand2 = operands[1];
    return true;
}

static float Truth(bool b)
{
    return b ? 1.0f : 0.0f;
}

// The operations that evaluate both operands.
static float Combine(int op, float a, float b)
{
    switch (op) {
    case gcValBinaryOp::OP_LESS: return Truth(a < b);
    case gcValBinaryOp::OP_LESSEQUAL: return Truth(a <= b);
    case gcValBinaryOp::OP_EQUAL: return Truth(a == b);
    case gcValBinaryOp::OP_GREATEREQUAL: return Truth(a >= b);
    case gcValBinaryOp::OP_GREATER: return Truth(a > b);
    case gcValBinaryOp::OP_NOTEQUAL: return Truth(!(a == b));
    case gcValBinaryOp::OP_ADD: return a + b;
    case gcValBinaryOp::OP_SUB: return a - b;
    case gcValBinaryOp::OP_MUL: return a * b;
    case gcValBinaryOp::OP_DIV: return std::fabs(b) <= gcValBinaryOp::kMinDivisor ? 0.0f : a / b;
    case gcValBinaryOp::OP_MIN: return a < b ? a : b;
    case gcValBinaryOp::OP_MAX: return a > b ? a : b;
    case gcValBinaryOp::OP_POW: return static_cast<float>(std::pow(static_cast<double>(a), static_cast<double>(b)));
    default: return 0.0f;
    }
}

float gcValBinaryOp::Get(const gcEventParams& params) const
{
    if (operation == OP_AND)
        return GetOperand(pOperand1, params) == 0.0f ? 0.0f : Truth(GetOperand(pOperand2, params) != 0.0f);
    if (operation == OP_OR)
        return GetOperand(pOperand1, params) != 0.0f ? 1.0f : Truth(GetOperand(pOperand2, params) != 0.0f);
    const float a = GetOperand(pOperand1, params);
    const float b = GetOperand(pOperand2, params);
    return Combine(operation, a, b);
}

const char* gcValBinaryOp::GetOpText(int op)
{
#define QM_BINARY_OP_TEXT(name, value, text) text,
    static const char* const s_texts[MAX_OPS] = {QM_BINARY_OPS(QM_BINARY_OP_TEXT)};
#undef QM_BINARY_OP_TEXT
    return op >= 0 && op < MAX_OPS ? s_texts[op] : "???";
}

void gcValBinaryOp::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, GetOpText(operation));
}

unsigned gcValBinaryOp::GetTextFlags() const
{
    // Numbers past the enumeration count as the function form, as the
    // comparison does.
    return operation < OP_FUNCTION ? gcScriptText::kParentheses
                                   : gcScriptText::kParentheses | gcScriptText::kFunction;
}

const gcValue* gcValBinaryOp::GetChildByIndex(int i) const
{
    return i == 0 ? pOperand1 : i == 1 ? pOperand2 : nullptr;
}
