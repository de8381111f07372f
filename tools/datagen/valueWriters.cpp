#include "datagen/valueWriters.h"

#include "datagen/blockWriter.h"
#include "gcGameCore/script/gcValue.h"
#include "gcGameCore/values/gcValNumber.h"

namespace datagen {

bool WriteValueFile(const std::string& path, const gcValue& value)
{
    return WriteObjectFile(path, value);
}

BlockWriter& ValueBlock(BlockWriter& w, uint32_t version, bool bAssignable)
{
    w.Begin(version);
    if (bAssignable)
        w.Begin(1);
    w.Begin(1).Begin(1).End().End();
    return bAssignable ? w.End() : w;
}

BlockWriter& NumberMember(BlockWriter& w, float fValue)
{
    w.Int(static_cast<int32_t>(gcValNumber::GetStaticType()->m_nTypeId));
    return ValueBlock(w, gcValNumber::kVersion, false).Float(fValue).End();
}

}  // namespace datagen
