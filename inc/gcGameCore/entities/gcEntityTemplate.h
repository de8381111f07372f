#pragma once
// What all entities of one kind share: mesh, materials per skin, surfaces,
// size, masks, shadow, stat maxima, tuning values, team, the template-level
// events and the script state machine. Abstract: every concrete entity kind
// has its template, which names the entity class it creates. Found by
// gcEntityTemplateHandle; lives in the pool of its group's load with its
// shadow configuration and events. Main thread. Type id 73.

#include <cstdint>

#include "cCore/cGroup.h"
#include "cCore/cHandle.h"
#include "cCore/cManager.h"
#include "cCore/cObject.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMesh.h"
#include "eEngine/eSurface.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/script/gcStateMachine.h"

class eShadowConfig;
class gcEntity;
class gcEntityTemplate;
using gcEntityTemplateHandle = cHandle<gcEntityTemplate>;

class gcEntityTemplate : public cObject {
    QM_DECLARE_ABSTRACT_TYPE(gcEntityTemplate)
public:
    static constexpr uint32_t kVersion = 20;
    static constexpr uint32_t kMinVersion = 6;
    static constexpr int kMaxSkins = 4;
    static constexpr int kMaxMaterials = 8;  // per skin
    static constexpr int kMaxSurfaces = 8;

    // nEntityTemplateFlags
    static constexpr uint32_t kTargetable = 0x1;        // creatures may target entities of this kind
    static constexpr uint32_t kBothSweeps = 0x2;        // reset turns the model's geometry flag 0x10 on
    static constexpr uint32_t kFullOrientation = 0x4;   // heading, pitch and roll; no path height

    enum gcEntityStat : int32_t {
        STAT_HEALTH = 0,
        STAT_ARMOR = 1,
        STAT_BLEND = 2,
        STAT_MOVEMENT_SCALE = 3,
        MAX_STATS = 4,
    };
    enum gcEntityValue : int32_t {
        VAL_INTERACTTOL = 0,      // degrees
        VAL_TURNRATE = 1,         // share of the turn left per call
        VAL_SOUNDRADIUSSCALE = 2, // times the model's visibility radius
        VAL_INTERACTDISTANCE = 3,
        MAX_VALUES = 4,
    };
    enum gcEntityTeam : int32_t { TEAM_UNFRIENDLY = -1, TEAM_NEUTRAL = 0, TEAM_FRIENDLY = 1 };

    // An editing range for tools.
    struct Range {
        float fMin, fMax, fStep;
        int nDecimals;
    };
    static const char* GetStatText(int32_t stat);    // "Health"...; "???" outside
    static const char* GetValueText(int32_t value);  // "InteractAngleTol"...
    static const char* GetTeamText(int32_t team);    // "Unfriendly", "Neutral", "Friendly"
    static bool StatHasMax(int32_t stat);            // only Health
    static Range GetStatRange(int32_t stat);
    static Range GetValueRange(int32_t value);

    gcEntityTemplate();
    // An empty template part whatever the source: handles none, events
    // without names or actions, defaults elsewhere. Derived copies fill it.
    gcEntityTemplate(const gcEntityTemplate&);
    gcEntityTemplate& operator=(const gcEntityTemplate&) = delete;
    // Destroys the shadow configuration (the events go with the object).
    ~gcEntityTemplate() override;

    // Version 20: see Read for the layout.
    void Write(const cFile& file) const override;
    // Versions 6 to 20 (others skipped, false), each with the fields it
    // holds. Material, surface, stat and value counts beyond the arrays are
    // read up to the array and the rest skipped; negative counts read
    // nothing. Unchanged unless the block was read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // The type record of the entity class this template creates.
    virtual const cType* GetEntityType() const = 0;

    // A new entity of GetEntityType in the pool, with this template's
    // handle; null (logged) for a type without factory or a full pool.
    gcEntity* CreateInstance(cMemPool* pPool) const;
    const gcStateMachine* GetStateMachine() const { return gcStateMachineMgr::GetPtr(hStateMachine); }

    gcEntityTemplateHandle m_handle;
    uint32_t nEntityTemplateFlags = kTargetable;
    eMeshHandle hMesh;
    eMaterialHandle hMaterials[kMaxSkins][kMaxMaterials];
    eSurfaceHandle hSurfaces[kMaxSurfaces];
    int32_t entitySize = 0;  // gcSurface::gcSurfaceSize: the row of the surfaces' impact effects
    uint32_t nSurfaceCollisionMask = 0;
    uint32_t nAttachItemMask = 0xFFFFFFFF;
    eShadowConfig* pShadowConfig = nullptr;  // owned; null: no shadow
    float fEntityStatsMax[MAX_STATS] = {100.0f, 0.0f, 1.0f, 1.0f};
    float fEntityValues[MAX_VALUES] = {45.0f, 0.85f, 15.0f, 1.0f};
    gcEvent onUpdate;
    gcEvent onInteract;
    gcEvent onCanInteract;
    gcEvent onDamageTaken;
    gcEvent onInitialUpdate;
    gcEvent onDeath;
    gcStateMachineHandle hStateMachine;
    int32_t team = TEAM_UNFRIENDLY;

protected:
    // Read with a second step for a derived class whose own part follows
    // the entity template block: readRest() (returning false on failure)
    // runs after the block and before anything changes, so that a failure
    // in either leaves the whole template as it was.
    template <class F>
    bool ReadThen(const cFile& file, cMemPool* pPool, F& readRest)
    {
        return ReadThen(file, pPool, [](void* p) { return (*static_cast<F*>(p))(); }, &readRest);
    }

private:
    bool ReadThen(const cFile& file, cMemPool* pPool, bool (*pReadRest)(void*), void* pContext);
};

// The slot table of entity templates: 50 slots, resolved by handle. Main
// thread, or the loader filling a group.
class gcEntityTemplateMgr : public cManager<gcEntityTemplate, 50> {};

// The file block that fills a range of gcEntityTemplateMgr's slots.
class gcEntityTemplateGroup : public cGroup {
    QM_DECLARE_GROUP(gcEntityTemplateGroup, gcEntityTemplateMgr)
};
