#pragma once
// What the value tests share: a pool for the values, a data directory, a
// number builder, the full text of a value, and loading a value from a
// hand-laid file.

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "cCore/cBase.h"
#include "cCore/cMemPool.h"
#include "datagen/blockWriter.h"
#include "datagen/modelWriters.h"
#include "datagen/valueWriters.h"
#include "gcGameCore/script/gcEventParams.h"
#include "gcGameCore/script/gcScriptTestObjects.h"
#include "gcGameCore/script/gcScriptText.h"
#include "gcGameCore/values/gcValNumber.h"

class gcValueTest : public testing::Test {
protected:
    gcValNumber* N(float f) { return m_pool.New<gcValNumber>(f); }

    static std::string Text(const gcValue& v)
    {
        char buf[gcScriptText::kSize] = {};
        v.GetTextRecursive(buf);
        return buf;
    }

    // The file holds one T whose block is fields after the base block.
    template <class T>
    T* LoadFields(uint32_t version, const std::function<void(datagen::BlockWriter&)>& fields)
    {
        const bool bAssignable = T::GetStaticType()->IsA(gcLValue::GetStaticType());
        const bool bSaved = datagen::WriteObjectBlocksFile(m_dir.HostPath("v.dat"), T::GetStaticType()->m_nTypeId,
                                                           [&](datagen::BlockWriter& w) {
                                                               datagen::ValueBlock(w, version, bAssignable);
                                                               fields(w);
                                                               w.End();
                                                           });
        return bSaved ? dcast<T>(cBase::Load("/v.dat", &m_pool, T::GetStaticType())) : nullptr;
    }

    // The value written and loaded again.
    template <class T>
    T* RoundTrip(const T& value)
    {
        if (!datagen::WriteValueFile(m_dir.HostPath("r.dat"), value))
            return nullptr;
        return dcast<T>(cBase::Load("/r.dat", &m_pool, T::GetStaticType()));
    }

    cMemPool m_pool{"gcValueTest", 0x40000, false};
    gcTestDataDir m_dir;
    gcEventParams m_params;
};
