#pragma once
// The result of calling a script function: its two parameters are
// evaluated in the caller's event, then the function's OnCalled runs with
// the caller's parameters and a frame of its own. It owns its parameters,
// which live in its pool and die with it; an empty slot passes 0.0. Read
// with its owner into its pool; main thread. Type id 177.

#include <cstdint>

#include "gcGameCore/script/gcFunction.h"
#include "gcGameCore/script/gcValue.h"

class gcValFunction : public gcValue {
    QM_DECLARE_TYPE(gcValFunction)
public:
    static constexpr uint32_t kVersion = 2;
    static constexpr int kMaxParams = 2;

    gcValFunction() = default;
    explicit gcValFunction(gcFunctionHandle h) : hFunction(h) {}
    // Copies the parameters into the pool that holds this object.
    gcValFunction(const gcValFunction& other);
    gcValFunction& operator=(const gcValFunction&) = delete;
    ~gcValFunction() override;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the gcValue block, the handle, the count 2 and both slots
    // (an empty one as -1).
    void Write(const cFile& file) const override;
    // Versions 1 (exactly one parameter) and 2 (a count, then that many
    // members); others skipped, false. Members past the second are read and
    // dropped, so the block stays in step; a negative count reads none.
    // Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 0.0, and no parameter evaluated, while the handle does not resolve.
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "[Name]"; "[???]" when stale
    unsigned GetTextFlags() const override;   // 5: function form
    int GetNumChildren() const override { return kMaxParams; }
    const gcValue* GetChildByIndex(int i) const override;

    // Takes ownership of the value into the first empty slot; false (the
    // value not taken) when both are full.
    bool AddParam(gcValue* pValue);

    gcValue* pParams[kMaxParams] = {nullptr, nullptr};
    gcFunctionHandle hFunction;
};
