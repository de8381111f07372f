#pragma once
// 1.0 when the last memory-card operation ended with the given status. Read
// with its owner into its pool; main thread. Type id 167.

#include <cstdint>

#include "eEngine/eMemCard.h"
#include "gcGameCore/script/gcValue.h"

class gcValMemCardStatus : public gcValue {
    QM_DECLARE_TYPE(gcValMemCardStatus)
public:
    static constexpr uint32_t kVersion = 1;

    gcValMemCardStatus() = default;
    explicit gcValMemCardStatus(int32_t s) : status(s) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcValue block and the status.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "MemCard.Status == [No Card]"

    int32_t status = eMemCard::STATUS_READY;  // an eStatus as stored
};
