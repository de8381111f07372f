#pragma once
// A number named relative to the running event: one of its frame's
// parameters or temporaries, a literal, a named constant or a key value.
// Stored inline in the blocks of actions and values (no block of its own);
// a plain value embedded in its owner. Main thread.

#include <cstdint>

#include "gcGameCore/script/gcConstant.h"
#include "gcGameCore/script/gcKeyValue.h"

class cReadBlock;
class cWriteBlock;

struct gcDesiredValue {
    // Stored in data files.
    enum gcValueType : int32_t {
        VAL_INVALUE = 0,  // the frame's parameter nParamIndex
        VAL_TEMP = 1,     // the frame's temporary nParamIndex
        VAL_NUMBER = 2,   // fConst
        VAL_KEYVALUE = 32768,
        VAL_CONSTANT = 32769,
    };
    static constexpr int kNumParams = 2;  // parameters and temporaries of a frame

    // The selector, then the literal only for VAL_NUMBER, the key-value
    // handle always, the constant handle only for VAL_CONSTANT, and the index.
    void Read(const cReadBlock& rb, cMemPool* pPool);
    void Write(const cWriteBlock& wb) const;

    // The number against the running frame (gcEvent::s_pCurEventStackData).
    // 0.0 for a missing frame, an index outside 0..1 and a stale handle; any
    // type not listed reads the key value.
    float GetValue() const;
    // "[Param2]", "[Temp1]" (1-based), "%g", "{constant}", "[key value]";
    // "???" for a name that does not resolve.
    void GetText(char* pBuf) const;
    // "Param", "Temp", "Number", "Constant"; "KeyValue" for any other value.
    static const char* GetValueTypeText(int32_t type);

    int32_t desiredValue = VAL_NUMBER;  // a gcValueType as stored
    int32_t nParamIndex = 0;
    gcKeyValueHandle hSpecificKeyValue;
    gcConstantHandle hSpecificConstant;
    float fConst = 0.0f;
};
