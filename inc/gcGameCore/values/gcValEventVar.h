#pragma once
// A variable of the running event: its frame's return value, parameters or
// temporaries (through gcEvent::s_pCurEventStackData), or its parameters'
// handled flag, event id or message id. The frame variables read 0.0 and
// ignore assignments outside events; the ids are read-only. Read with its
// owner into its pool; main thread. Type id 179.

#include <cstdint>

#include "gcGameCore/script/gcLValue.h"

class gcValEventVar : public gcLValue {
    QM_DECLARE_TYPE(gcValEventVar)
public:
    static constexpr uint32_t kVersion = 2;

#define QM_EVENT_VAR_TYPES(X)                                                      \
    X(VAR_RETVAL, 0, "[RetVal]")                                                   \
    X(VAR_INVALUE, 1, "[Param%i]")    /* parameter nIndex, shown 1-based */        \
    X(VAR_TEMP, 2, "[Temp%i]")        /* temporary nIndex, shown 1-based */        \
    X(VAR_EVENTHANDLED, 3, "[EventHandled]")                                       \
    X(VAR_EVENTID, 4, "[EventId]")                                                 \
    X(VAR_MESSAGEID, 5, "[MessageId]")
#define QM_EVENT_VAR_ENUM(name, value, text) name = value,
    enum gcEventVarType : int32_t { QM_EVENT_VAR_TYPES(QM_EVENT_VAR_ENUM) MAX_VARTYPES = 6 };
#undef QM_EVENT_VAR_ENUM
    static constexpr int kIndexCount = 2;  // two parameters, two temporaries

    gcValEventVar() = default;
    gcValEventVar(gcEventVarType type, int32_t index) : varType(type), nIndex(index) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the gcLValue block, the variable, the index.
    void Write(const cFile& file) const override;
    // Versions 1 and 2 (others skipped, false); version 1 holds only the
    // index of a parameter. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 0.0 for a variable outside the enumeration and, for the parameters and
    // temporaries, for an index outside 0..1.
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "[Param2]"; "[???]" outside the enumeration
    // The handled flag becomes (value != 0.0), although params are const;
    // ids, unknown variables and indices outside 0..1 ignore the assignment.
    void Set(float fValue, const gcEventParams& params) override;

    // "[RetVal]", "[Param%i]"...: the text with its index format; "[???]"
    // outside the enumeration.
    static const char* GetVarTypeText(int type);

    gcEventVarType varType = VAR_INVALUE;
    int32_t nIndex = 0;

private:
    // The frame variable this value names; null without a frame, for another
    // variable or an index outside 0..1.
    float* FrameSlot() const;
};
