#pragma once
// The game's collision surface: an engine surface with the events applied
// when an attack hits it and when it is touched, a table of impact effects
// (row: the size of the entity that hits, column: the kind of effect a
// script asks for) and an armour modifier. Made from data in eSurfaceMgr's
// slots; lives in the pool of its group's load. Main thread. Type id 102.

#include <cstdint>

#include "eEngine/eSurface.h"
#include "gcGameCore/script/gcEvent.h"

class gcEffectTemplate;  // built with the effects
using gcEffectTemplateHandle = cHandle<gcEffectTemplate>;

class gcSurface : public eSurface {
    QM_DECLARE_TYPE(gcSurface)
public:
    static constexpr uint32_t kVersion = 3;

    enum gcSurfaceSize : int32_t {
        SS_SMALL = 0,
        SS_MEDIUM = 1,
        SS_LARGE = 2,
        MAX_SIZES = 3,
    };
    static constexpr int MAX_TYPES = 5;  // impact effect kinds per size
    static const char* GetSizeText(int32_t size);  // "Small"...; "???" outside

    gcSurface();
    // The engine part, both events (deep), the effect handles and the armour
    // modifier.
    gcSurface(const gcSurface& other);
    gcSurface& operator=(const gcSurface&) = delete;

    // A copy holding every action of its two events, or null.
    cBase* Copy(cMemPool* pPool) const override;
    // Version 3: the engine surface block, the armour modifier, OnAttacked,
    // OnTouched, the 15 effect handles size by size.
    void Write(const cFile& file) const override;
    // Versions 1 to 3 (others skipped, false). Version 1 holds an unused
    // word before the armour modifier; below 3 there are no effect handles
    // (all none). Unchanged unless the block was read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    gcEvent onAttacked;
    gcEvent onTouched;
    gcEffectTemplateHandle m_hEffects[MAX_SIZES][MAX_TYPES];
    float m_fArmorMod = 0.0f;
};
