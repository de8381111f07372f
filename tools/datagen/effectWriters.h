#pragma once
// Writers for effect data: effect-template blocks of versions 11 to 18 with
// their polymorphic configurations, effect blocks, and the groups of both,
// written field by field. Offline tools and test fixtures; main thread.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "datagen/blockWriter.h"
#include "datagen/entityWriters.h"
#include "eEngine/eGeomTrailConfig.h"
#include "eEngine/eParticleEmitter.h"

namespace datagen {

struct EffectLightDesc {
    uint32_t hMaterial = 0;
    uint32_t color = 0xFFFFFFFF;
    float radius = 8.0f;
    float flicker = 0.0f;
    float damping = 0.75f;
};

struct EffectSoundDesc {
    uint32_t hSound = 0;
    float radius = 30.0f;
    float volume = 1.0f;
    bool looping = false;
};

struct EffectRumbleDesc {
    int32_t lifeTicks = 0;
    float start = 1.0f;
    float end = 1.0f;
    float falloff = 10.0f;
};

// A template block's fields. Counts are written as given.
struct EffectTemplateDesc {
    std::string name = "effect";
    uint32_t hMesh = 0;
    std::vector<uint32_t> materials;  // count then handles
    int32_t surfaceCount = 0;
    uint32_t surfaces[8] = {};
    uint32_t hAnimation = 0;
    std::optional<eParticleEmitter> emitters[4];
    std::optional<eGeomTrailConfig> trail;
    std::optional<EffectLightDesc> light;
    std::optional<EffectSoundDesc> sound;
    std::optional<EffectRumbleDesc> rumble;  // the projector is written as none
    bool wrongMember = false;  // a rumble configuration in the trail's place
    int32_t delays[9] = {};    // 4 particle systems, trail, light, sound, rumble, projector (18)
    int32_t lifeTicks = 600;
    int32_t fadeInTicks = 0;  // version 12 on
    int32_t fadeOutTicks = 0;
    float fadeInFraction = 0.0f;  // before version 12
    float fadeOutFraction = 0.0f;
    // Event indices: 0 OnTouched, 1 OnCollided, 2 OnInitialUpdate, 3 OnUpdate, 4 OnDeath.
    EventActionsFunc actions;
    int damagedEvent = -1;
    std::vector<float> values = {0.0f, 0.0f};  // version 15 on: count then values
    int32_t maxInstances = 0;
    uint32_t collisionMask = 0;
    uint32_t flags = 0;  // version 17 on
    float gravity = 0.0f, wind = 0.0f, initialSpeed = 0.0f;
};

struct EffectDesc {
    std::string name = "effect";
    bool active = false;
    uint32_t hTemplate = 0;
    int16_t regionId = -1;
    float placement[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};  // origin, right, forward, up
    uint32_t activationMask = 0;  // version 2
};

BlockWriter& EffectTemplateBlock(BlockWriter& w, const EffectTemplateDesc& desc, uint32_t version);
BlockWriter& EffectBlock(BlockWriter& w, const EffectDesc& desc, uint32_t version);

// Groups over slots beginSlot.. (check 0x100 + slot) as data files.
bool WriteEffectTemplateGroupFile(const std::string& path, int beginSlot,
                                  const std::vector<EffectTemplateDesc>& templates, uint32_t version);
bool WriteEffectGroupFile(const std::string& path, int beginSlot, const std::vector<EffectDesc>& effects,
                          uint32_t version);

}  // namespace datagen
