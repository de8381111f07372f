#include "eEngine/eSoundConfig.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

QM_DEFINE_TYPE(eSoundConfig, cBase, 39)

static constexpr uint32_t kBaseVersion = 1;

eSoundConfig::eSoundConfig() : fRadius(0.0f), fVolume(1.0f), bLooping(false) {}

cBase* eSoundConfig::Copy(cMemPool* pPool) const
{
    eSoundConfig* p = pPool ? pPool->New<eSoundConfig>() : nullptr;
    if (p) {
        p->hSound = hSound;
        p->fRadius = fRadius;
        p->fVolume = fVolume;
        p->bLooping = bLooping;
    }
    return p;
}

void eSoundConfig::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    { cWriteBlock base(file, kBaseVersion); }
    hSound.Write(wb);
    wb.WriteFloat(fRadius);
    wb.WriteFloat(fVolume);
    wb.WriteBool(bLooping);
}

bool eSoundConfig::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion)
        return rb.Reject("eSoundConfig", "version");
    { cReadBlock base(file, kBaseVersion); }
    eSoundDataHandle h;
    h.Read(rb, pPool);
    const float fR = rb.ReadFloat();
    const float fV = rb.ReadFloat();
    const bool bLoop = rb.ReadBool();
    if (rb.Failed())
        return false;
    hSound = h;
    fRadius = fR;
    fVolume = fV;
    bLooping = bLoop;
    return true;
}
