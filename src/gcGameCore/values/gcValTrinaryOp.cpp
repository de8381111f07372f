#include "gcGameCore/values/gcValTrinaryOp.h"

#include <cmath>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValTrinaryOp, gcValue, 145)

gcValTrinaryOp::gcValTrinaryOp(const gcValTrinaryOp& other)
    : gcValue(other), operation(other.operation), nFlags(other.nFlags)
{
    cMemPool* pPool = cMemPool::GetPoolFromPtr(this);
    pOperand1 = CopyOperand(other.pOperand1, pPool);
    pOperand2 = CopyOperand(other.pOperand2, pPool);
    pOperand3 = CopyOperand(other.pOperand3, pPool);
}

gcValTrinaryOp::~gcValTrinaryOp()
{
    gcValue* operands[] = {pOperand1, pOperand2, pOperand3};
    DestroyOperands(operands, kOperands);
}

cBase* gcValTrinaryOp::Copy(cMemPool* pPool) const
{
    gcValTrinaryOp* pCopy = pPool ? pPool->New<gcValTrinaryOp>(*this) : nullptr;
    const gcValue* from[] = {pOperand1, pOperand2, pOperand3};
    const gcValue* to[] = {pCopy ? pCopy->pOperand1 : nullptr, pCopy ? pCopy->pOperand2 : nullptr,
                           pCopy ? pCopy->pOperand3 : nullptr};
    return WholeCopy(pCopy, from, to, kOperands);
}

void gcValTrinaryOp::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    wb.WriteInt(static_cast<int32_t>(operation));
    const gcValue* operands[] = {pOperand1, pOperand2, pOperand3};
    WriteOperands(wb, operands, kOperands);
    wb.WriteInt(nFlags);
}

bool gcValTrinaryOp::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    const int32_t op = rb.ReadInt();
    gcValue* operands[kOperands];
    if (!ReadOperands(rb, pPool, operands, kOperands))
        return rb.Reject("gcValTrinaryOp", "operand (pool full)");
    const uint32_t flags = rb.m_nVersion >= 2 ? rb.ReadUInt() : 0;
    if (rb.Failed()) {
        DestroyOperands(operands, kOperands);
        return false;
    }
    gcValue* old[] = {pOperand1, pOperand2, pOperand3};
    DestroyOperands(old, kOperands);
    operation = static_cast<gcOperation>(op);  // kept as stored: 0.0 and "???" outside
    pOperand1 = operands[0];
    pOperand2 = operands[1];
    pOperand3 = operands[2];
    nFlags = flags;
    return true;
}

static float Truth(bool b)
{
    return b ? 1.0f : 0.0f;
}

// Is heading b within tolerance c of heading a, across the 180 line.
static bool WithinHeading(float a, float b, float c)
{
    float d = b - a;
    if (std::fabs(d) > 180.0f)
        d = d >= 0.0f ? d - 360.0f : d + 360.0f;
    return std::fabs(d) <= c;
}

float gcValTrinaryOp::Get(const gcEventParams& params) const
{
    const float a = GetOperand(pOperand1, params);
    const float b = GetOperand(pOperand2, params);
    const float c = GetOperand(pOperand3, params);
    switch (operation) {
    case OP_CLAMP: return a <= b ? b : a >= c ? c : a;
    case OP_LERP: return b + a * (c - b);
    case OP_RANGE: {
        const bool bAbove = (nFlags & kLowerExclusive) ? a > b : a >= b;
        const bool bBelow = (nFlags & kUpperExclusive) ? a < c : a <= c;
        return Truth(bAbove && bBelow);
    }
    case OP_HEADINGTOL: return Truth(WithinHeading(a, b, c));
    case OP_WRAP: return a < b ? c : a > c ? b : a;
    default: return 0.0f;
    }
}

const char* gcValTrinaryOp::GetOpText(int op)
{
#define QM_TRINARY_OP_TEXT(name, value, text) text,
    static const char* const s_texts[MAX_OPS] = {QM_TRINARY_OPS(QM_TRINARY_OP_TEXT)};
#undef QM_TRINARY_OP_TEXT
    return op >= 0 && op < MAX_OPS ? s_texts[op] : "???";
}

void gcValTrinaryOp::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, GetOpText(operation));
}

unsigned gcValTrinaryOp::GetTextFlags() const
{
    return gcScriptText::kParentheses | gcScriptText::kFunction;
}

const gcValue* gcValTrinaryOp::GetChildByIndex(int i) const
{
    return i == 0 ? pOperand1 : i == 1 ? pOperand2 : i == 2 ? pOperand3 : nullptr;
}
