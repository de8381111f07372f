#include "gcGameCore/values/gcValRandomNumber.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"
#include "mMath/mRand.h"

QM_DEFINE_TYPE(gcValRandomNumber, gcValue, 116)

static gcDesiredValue Number(float f)
{
    gcDesiredValue d;
    d.desiredValue = gcDesiredValue::VAL_NUMBER;
    d.fConst = f;
    return d;
}

gcValRandomNumber::gcValRandomNumber() : a(Number(0.0f)), b(Number(1.0f)) {}

cBase* gcValRandomNumber::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValRandomNumber>(*this) : nullptr;
}

void gcValRandomNumber::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    a.Write(wb);
    b.Write(wb);
    wb.WriteInt(nFlags);
}

bool gcValRandomNumber::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    // Version 1 drew from 0 to 1 and stored nothing.
    gcValRandomNumber read;
    if (rb.m_nVersion >= 2) {
        read.a.Read(rb, pPool);
        read.b.Read(rb, pPool);
        read.nFlags = rb.ReadUInt();
    }
    if (rb.Failed())
        return false;
    a = read.a;
    b = read.b;
    nFlags = read.nFlags;
    return true;
}

// lo + trunc((hi - lo + 1) r), at most hi; 64-bit, so no span overflows.
static float WholeBetween(int64_t lo, int64_t hi)
{
    const double r = mRand();
    const int64_t n = lo + static_cast<int64_t>(static_cast<double>(hi - lo + 1) * r);
    return static_cast<float>(n < hi ? n : hi);
}

static float Draw(uint32_t nFlags, float fa, float fb)
{
    const bool bWhole = (nFlags & gcValRandomNumber::kWholeNumbers) != 0;
    switch (nFlags & gcValRandomNumber::kModeMask) {
    case gcValRandomNumber::kModeRange:
        return bWhole ? WholeBetween(gcValue::TruncToInt(fa), gcValue::TruncToInt(fb)) : fa + (fb - fa) * mRand();
    case gcValRandomNumber::kModeTolerance: {
        if (!bWhole)
            return fa + fb * mRandTol();
        const int64_t c = gcValue::TruncToInt(fa);
        const int64_t t = gcValue::TruncToInt(fb);
        return WholeBetween(c - t, c + t);
    }
    default:
        return 0.0f;
    }
}

float gcValRandomNumber::Get(const gcEventParams&) const
{
    const float fa = a.GetValue();
    const float fb = b.GetValue();
    const float x = Draw(nFlags, fa, fb);
    if (!(nFlags & kWholeNumbers))
        return x;
    // Halves away from zero, which leaves whole numbers as they are.
    return static_cast<float>(RoundToInt(x));
}

void gcValRandomNumber::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, "RandomNumber");
    const uint32_t nMode = nFlags & kModeMask;
    gcScriptText::Append(pBuf, nMode == kModeRange ? "Range( " : nMode == kModeTolerance ? "Tol( " : "");
    a.GetText(pBuf);
    gcScriptText::Append(pBuf, ", ");
    b.GetText(pBuf);
    gcScriptText::Append(pBuf, " )");
}
