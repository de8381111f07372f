#pragma once
// What the loader suite's row files share: the type a row loads, the names of
// versioned rows, action and value blocks laid out by hand after their base
// block, and the references the samples hold.

#include <cstdint>
#include <functional>
#include <string>

#include "datagen/actionWriters.h"
#include "datagen/blockWriter.h"
#include "datagen/modelWriters.h"
#include "datagen/valueWriters.h"
#include "gcGameCore/script/gcDesiredEffect.h"
#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcDesiredValue.h"
#include "gcGameCore/script/gcLValue.h"
#include "loaderSuite.h"

template <class T>
const cType* TypeOf()
{
    return T::GetStaticType();
}

// "gcDoFogSet v2".
inline std::string Named(const char* cls, uint32_t version)
{
    return std::string(cls) + " v" + std::to_string(version);
}

// A file of one T whose block of this version is laid out by hand: the
// action base block, then the fields.
template <class T>
std::function<bool(LoaderEnv&, const std::string&)> ActionFields(uint32_t version,
                                                                  std::function<void(datagen::BlockWriter&)> fields)
{
    return [version, fields](LoaderEnv&, const std::string& path) {
        return datagen::WriteObjectBlocksFile(path, T::GetStaticType()->m_nTypeId, [&](datagen::BlockWriter& w) {
            datagen::ActionBlock(w, version);
            fields(w);
            w.End();
        });
    };
}

// The same for a value: its base block (assignable or not), then the fields.
template <class T>
std::function<bool(LoaderEnv&, const std::string&)> ValueFields(uint32_t version,
                                                                 std::function<void(datagen::BlockWriter&)> fields)
{
    return [version, fields](LoaderEnv&, const std::string& path) {
        return datagen::WriteObjectBlocksFile(path, T::GetStaticType()->m_nTypeId, [&](datagen::BlockWriter& w) {
            datagen::ValueBlock(w, version, T::GetStaticType()->IsA(gcLValue::GetStaticType()));
            fields(w);
            w.End();
        });
    };
}

// The frame's temporary of this index.
inline gcDesiredValue Temp(int32_t index)
{
    gcDesiredValue v;
    v.desiredValue = gcDesiredValue::VAL_TEMP;
    v.nParamIndex = index;
    return v;
}

// A specific entity or effect by handle.
inline gcDesiredEntity SpecificEntity(uint32_t handle)
{
    gcDesiredEntity d = gcDesiredEntity::Selecting(gcDesiredEntity::SPECIFIC);
    d.hSpecificEntity = gcEntityHandle(handle);
    return d;
}

inline gcDesiredEffect SpecificEffect(uint32_t handle)
{
    gcDesiredEffect d;
    d.desiredEffect = gcDesiredEffect::SPECIFIC;
    d.hSpecificEffect = gcEffectHandle(handle);
    return d;
}
