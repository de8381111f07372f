#include "gcGameCore/values/gcValUnaryOp.h"

#include <cmath>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValUnaryOp, gcValue, 144)

gcValUnaryOp::gcValUnaryOp(const gcValUnaryOp& other)
    : gcValue(other), operation(other.operation),
      pOperand(CopyOperand(other.pOperand, cMemPool::GetPoolFromPtr(this)))
{
}

gcValUnaryOp::~gcValUnaryOp()
{
    DestroyOperands(&pOperand, 1);
}

cBase* gcValUnaryOp::Copy(cMemPool* pPool) const
{
    gcValUnaryOp* pCopy = pPool ? pPool->New<gcValUnaryOp>(*this) : nullptr;
    const gcValue* to = pCopy ? pCopy->pOperand : nullptr;
    const gcValue* from = pOperand;
    return WholeCopy(pCopy, &from, &to, 1);
}

void gcValUnaryOp::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    wb.WriteInt(static_cast<int32_t>(operation));
    wb.WriteBase(pOperand);
}

bool gcValUnaryOp::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    const int32_t op = rb.ReadInt();
    gcValue* pNew;
    if (!ReadOperands(rb, pPool, &pNew, 1))
        return rb.Reject("gcValUnaryOp", "operand (pool full)");
    if (rb.Failed()) {
        DestroyOperands(&pNew, 1);
        return false;
    }
    DestroyOperands(&pOperand, 1);
    operation = static_cast<gcOperation>(op);  // kept as stored: 0.0 and "???" outside
    pOperand = pNew;
    return true;
}

static float FloorF(double d)
{
    return static_cast<float>(std::floor(d));
}

float gcValUnaryOp::Get(const gcEventParams& params) const
{
    const float x = GetOperand(pOperand, params);
    switch (operation) {
    case OP_NOT: return x == 0.0f ? 1.0f : 0.0f;
    case OP_ABS: return std::fabs(x);
    case OP_FLOOR: return FloorF(x);
    case OP_CEIL: return static_cast<float>(std::ceil(static_cast<double>(x)));
    case OP_ROUND: return static_cast<float>(RoundToInt(x));
    case OP_SQRT: return x > 0.0f ? std::sqrt(x) : x;
    case OP_SIN: return static_cast<float>(std::sin(static_cast<double>(x * kRadiansPerDegree)));
    case OP_COS: return static_cast<float>(std::cos(static_cast<double>(x * kRadiansPerDegree)));
    case OP_INC: return x + 1.0f;
    case OP_DEC: return x - 1.0f;
    case OP_NEG: return -x;
    case OP_FIXHEADING: return x > 180.0f ? x - 360.0f : x < -180.0f ? x + 360.0f : x;
    case OP_HOURS: return FloorF(x / 3600.0f);
    case OP_MINUTES: return FloorF(std::fmod(static_cast<double>(x / 60.0f), 60.0));
    case OP_SECONDS: return FloorF(std::fmod(static_cast<double>(x), 60.0));
    default: return 0.0f;
    }
}

const char* gcValUnaryOp::GetOpText(int op)
{
#define QM_UNARY_OP_TEXT(name, value, text) text,
    static const char* const s_texts[MAX_OPS] = {QM_UNARY_OPS(QM_UNARY_OP_TEXT)};
#undef QM_UNARY_OP_TEXT
    return op >= 0 && op < MAX_OPS ? s_texts[op] : "???";
}

void gcValUnaryOp::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, GetOpText(operation));
}

unsigned gcValUnaryOp::GetTextFlags() const
{
    if (operation == OP_NOT || operation == OP_NEG)
        return gcScriptText::kFunction;
    return gcScriptText::kParentheses | gcScriptText::kFunction;
}
