#include "gcGameCore/entities/gcSurface.h"

#include <utility>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

QM_DEFINE_TYPE(gcSurface, eSurface, 102)

const char* gcSurface::GetSizeText(int32_t size)
{
    static const char* const kTexts[MAX_SIZES] = {"Small", "Medium", "Large"};
    return (size >= 0 && size < MAX_SIZES) ? kTexts[size] : "???";
}

gcSurface::gcSurface() : onAttacked("OnAttacked", m_name.m_sData), onTouched("OnTouched", m_name.m_sData) {}

gcSurface::gcSurface(const gcSurface& other)
    : eSurface(other), onAttacked(other.onAttacked, m_name.m_sData), onTouched(other.onTouched, m_name.m_sData),
      m_fArmorMod(other.m_fArmorMod)
{
    for (int s = 0; s < MAX_SIZES; ++s)
        for (int t = 0; t < MAX_TYPES; ++t)
            m_hEffects[s][t] = other.m_hEffects[s][t];
}

cBase* gcSurface::Copy(cMemPool* pPool) const
{
    return gcEvent::KeepWhole(pPool ? pPool->New<gcSurface>(*this) : nullptr, *this, &gcSurface::onAttacked,
                              &gcSurface::onTouched);
}

void gcSurface::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    eSurface::Write(file);
    wb.WriteFloat(m_fArmorMod);
    onAttacked.Write(file);
    onTouched.Write(file);
    for (const auto& row : m_hEffects)
        for (const gcEffectTemplateHandle& h : row)
            h.Write(wb);
}

bool gcSurface::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1 || rb.m_nVersion > kVersion)
        return rb.Reject("gcSurface", "version");
    // The engine part commits itself; keep it to put back on failure.
    const cName oldName = m_name;
    const uint32_t nOldMask = m_nCollisionMask, nOldFlags = m_flags, nOldColor = m_nDebugDrawColor;
    const float fOldFriction = m_fFriction;
    auto restore = [&] {
        m_name = oldName;
        m_nCollisionMask = nOldMask;
        m_flags = nOldFlags;
        m_nDebugDrawColor = nOldColor;
        m_fFriction = fOldFriction;
    };
    if (!eSurface::Read(file, pPool)) {
        if (!rb.Failed())
            rb.SkipToEnd();
        restore();
        return false;
    }
    if (rb.m_nVersion == 1)
        rb.ReadUInt();  // an unused word
    const float fArmor = rb.ReadFloat();
    gcEvent attacked, touched;
    const bool bEvents = attacked.Read(file, pPool) && touched.Read(file, pPool);
    gcEffectTemplateHandle hEffects[MAX_SIZES][MAX_TYPES];
    if (bEvents && rb.m_nVersion >= 3)
        for (auto& row : hEffects)
            for (gcEffectTemplateHandle& h : row)
                h.Read(rb, pPool);
    if (!bEvents || rb.Failed()) {
        restore();
        return rb.Reject("gcSurface", "event block");
    }
    m_fArmorMod = fArmor;
    std::swap(onAttacked.pAction, attacked.pAction);
    std::swap(onTouched.pAction, touched.pAction);
    for (int s = 0; s < MAX_SIZES; ++s)
        for (int t = 0; t < MAX_TYPES; ++t)
            m_hEffects[s][t] = hEffects[s][t];
    return true;
}
