#include "datagen/sampleSounds.h"

#include <algorithm>
#include <cmath>

#include "datagen/creatureWriters.h"
#include "datagen/effectWriters.h"
#include "datagen/playerWriters.h"
#include "datagen/soundSynth.h"
#include "datagen/soundWriters.h"
#include "gcGameCore/creatures/gcNPCTemplate.h"
#include "gcGameCore/creatures/gcPlayerBipedTemplate.h"
#include "gcGameCore/actions/gcDoEntitySurfaceEffect.h"
#include "gcGameCore/creatures/gcPlayerFlyingTemplate.h"
#include "gcGameCore/entities/gcSurface.h"

namespace datagen {

namespace {

constexpr int kGameBegin = 20, kMenuBegin = 250, kPlayerBegin = 500, kMapBegin = 250;

// Each bank's sounds take its slots from its first on, without a gap. The
// steps are the game's: the maps' step effects load their instances, which
// need the sound's data, before the player's bank is read.
constexpr SampleSoundInfo kInfos[kSampleSoundCount] = {
    {"sm_StepStone", SampleSoundBank::kGame, kGameBegin + 5},
    {"sm_StepGrass", SampleSoundBank::kGame, kGameBegin + 6},
    {"sm_Jump", SampleSoundBank::kBiped, kPlayerBegin + 0},
    {"sm_Land", SampleSoundBank::kBiped, kPlayerBegin + 1},
    {"sm_Strike", SampleSoundBank::kBiped, kPlayerBegin + 2},
    {"sm_Hurt", SampleSoundBank::kBiped, kPlayerBegin + 3},
    {"sm_Felled", SampleSoundBank::kBiped, kPlayerBegin + 4},
    {"sm_GuardSwing", SampleSoundBank::kGame, kGameBegin + 0},
    {"sm_GuardHurt", SampleSoundBank::kGame, kGameBegin + 1},
    {"sm_GuardFelled", SampleSoundBank::kGame, kGameBegin + 2},
    {"sm_Key", SampleSoundBank::kGame, kGameBegin + 3},
    {"sm_Updraft", SampleSoundBank::kGame, kGameBegin + 4},
    {"sm_Lever", SampleSoundBank::kMap, kMapBegin + 0},
    {"sm_Door", SampleSoundBank::kMap, kMapBegin + 1},
    {"sm_Chest", SampleSoundBank::kMap, kMapBegin + 2},
    {"sm_Boost", SampleSoundBank::kFlyer, kPlayerBegin + 0},
    {"sm_Bump", SampleSoundBank::kFlyer, kPlayerBegin + 1},
    {"sm_MenuMove", SampleSoundBank::kMenu, kMenuBegin + 0},
    {"sm_MenuChoose", SampleSoundBank::kMenu, kMenuBegin + 1},
};

// Every record's check: 0x5000 above its slot, so a handle names its bank's
// sound and no other data's.
uint16_t CheckOf(int slot)
{
    return static_cast<uint16_t>(0x5000 + slot);
}

// A step: a knock of the heel (a low thump) and the scuff of the sole
// (noise bright on stone, dull and longer on grass).
void AddStep(SynthBuffer& b, double at, bool bGrass, uint32_t seed)
{
    if (bGrass) {
        b.AddNoise(at, 0.12, 1800.0, 150.0, 0.8, 0.01, 0.035, seed);
        b.AddTone(at, 0.06, 120.0, 90.0, 0.3, 0.002, 0.02);
    } else {
        b.AddNoise(at, 0.05, 9000.0, 1500.0, 0.9, 0.0005, 0.008, seed);
        b.AddTone(at, 0.08, 170.0, 110.0, 0.6, 0.001, 0.025);
    }
}

// One step: a walker's or runner's animation loops once a stride and sets
// it off at each loop, so that the steps stop with the feet.
std::vector<int16_t> Steps(bool bGrass)
{
    SynthBuffer b(0.15);
    AddStep(b, 0.002, bGrass, 11u);  // after the buffer's 1 ms fade in, which would dull the heel's knock
    return b.ToPcm(9000.0);
}

// A blow through the air: a swish whose brightness rises, with a thud at
// its end for the guard's heavier one.
std::vector<int16_t> Swing(bool bHeavy)
{
    SynthBuffer b(bHeavy ? 0.3 : 0.22);
    b.AddSwish(0.0, bHeavy ? 0.26 : 0.2, bHeavy ? 500.0 : 900.0, bHeavy ? 3000.0 : 6000.0, 1.0, bHeavy ? 23u : 29u);
    if (bHeavy)
        b.AddTone(0.2, 0.1, 140.0, 90.0, 0.4, 0.002, 0.03);
    return b.ToPcm(12000.0);
}

// A blow landing: the smack of the hit and a voice's cry gliding down.
std::vector<int16_t> Hurt(double cryHz)
{
    SynthBuffer b(0.35);
    b.AddNoise(0.0, 0.06, 4000.0, 300.0, 1.0, 0.0005, 0.012, 41u);
    b.AddTone(0.01, 0.3, cryHz, cryHz * 0.6, 0.5, 0.02, 0.12);
    b.AddTone(0.01, 0.3, 2.0 * cryHz, 1.2 * cryHz, 0.2, 0.02, 0.1);
    return b.ToPcm(12000.0);
}

// A body struck down: the blow's knock and a long cry sinking with it. One
// start only: a thump on the ground later in the sound is heard as a second
// sound of its own.
std::vector<int16_t> Felled(double cryHz)
{
    SynthBuffer b(0.9);
    b.AddTone(0.0, 0.35, 90.0, 55.0, 0.9, 0.002, 0.08);
    b.AddNoise(0.0, 0.15, 1200.0, 0.0, 0.5, 0.001, 0.04, 53u);
    // The crack of the felling blow, bright enough to be heard over the
    // striker's swish.
    b.AddNoise(0.002, 0.06, 9000.0, 2000.0, 1.5, 0.0005, 0.012, 59u);
    b.AddTone(0.0, 0.8, cryHz, cryHz * 0.3, 0.6, 0.01, 0.2);
    b.AddTone(0.0, 0.8, 1.5 * cryHz, 0.45 * cryHz, 0.25, 0.01, 0.2);
    return b.ToPcm(13000.0);
}

// The lever: a ratchet of clicks as it is pulled down, and the clack at
// the end of its travel, all within the pull (a tenth of a second and a
// little), so that the door it opens is heard after it.
std::vector<int16_t> Lever()
{
    SynthBuffer b(0.25);
    for (int i = 0; i < 3; ++i) {
        b.AddNoise(0.035 * i, 0.02, 8000.0, 2000.0, 0.7, 0.0003, 0.003, 61u + static_cast<uint32_t>(i));
        b.AddTone(0.035 * i, 0.03, 1400.0, 1300.0, 0.3, 0.0005, 0.006);
    }
    b.AddTone(0.1, 0.12, 220.0, 180.0, 0.8, 0.001, 0.025);
    b.AddNoise(0.1, 0.05, 5000.0, 500.0, 0.6, 0.0005, 0.008, 67u);
    return b.ToPcm(11000.0);
}

// The door: a hinge's creak as it swings, the sticking and slipping of the
// pin heard as a run of small ticks whose rate rises and falls (as a real
// creak's), over a low groan of the boards.
std::vector<int16_t> Door()
{
    constexpr double kSeconds = 0.8;
    SynthBuffer b(kSeconds + 0.05);
    uint32_t seed = 71u;
    for (double t = 0.0; t < kSeconds;) {
        const double swell = std::sin(3.14159265358979 * t / kSeconds);
        b.AddNoise(t, 0.006, 6000.0, 900.0, 0.25 + 0.75 * swell, 0.0003, 0.0015, seed++);
        t += 1.0 / (35.0 + 30.0 * swell);  // 35 ticks a second at the ends, 65 at the middle
    }
    b.AddTone(0.0, kSeconds, 110.0, 95.0, 0.5, 0.03, 0.0);
    return b.ToPcm(10000.0);
}

// The chest: its lid knocked open, a short creak.
std::vector<int16_t> Chest()
{
    SynthBuffer b(0.45);
    b.AddNoise(0.0, 0.05, 3000.0, 200.0, 0.9, 0.0005, 0.01, 83u);
    b.AddTone(0.0, 0.12, 260.0, 200.0, 0.6, 0.001, 0.04);
    b.AddTone(0.1, 0.3, 330.0, 290.0, 0.4, 0.02, 0.0);
    return b.ToPcm(11000.0);
}

// The key: bright pings, a jingle, as it is lifted out of the chest once
// the lid's knock (given with it) has sounded, so as not to be lost under
// it.
std::vector<int16_t> Key()
{
    constexpr double kLifted = 0.12;
    SynthBuffer b(kLifted + 0.5);
    b.AddTone(kLifted, 0.4, 2350.0, 2350.0, 0.7, 0.001, 0.08);
    b.AddTone(kLifted + 0.09, 0.4, 3100.0, 3100.0, 0.6, 0.001, 0.07);
    b.AddTone(kLifted + 0.18, 0.3, 2650.0, 2650.0, 0.5, 0.001, 0.06);
    return b.ToPcm(9000.0);
}

// The updraft: a gust's puff, then a rush of air rising in pitch.
std::vector<int16_t> Updraft()
{
    SynthBuffer b(1.2);
    b.AddNoise(0.0, 0.1, 6000.0, 600.0, 0.8, 0.001, 0.025, 89u);
    b.AddSwish(0.0, 1.2, 300.0, 4000.0, 1.0, 97u);
    return b.ToPcm(12000.0);
}

// The flyer's boost: a beat of the wings, then a swelling rush and a tone
// rising under it.
std::vector<int16_t> Boost()
{
    SynthBuffer b(0.6);
    b.AddNoise(0.0, 0.08, 5000.0, 400.0, 0.8, 0.001, 0.02, 107u);
    b.AddSwish(0.0, 0.6, 800.0, 6000.0, 0.8, 101u);
    b.AddTone(0.0, 0.5, 250.0, 900.0, 0.5, 0.03, 0.0);
    return b.ToPcm(12000.0);
}

// The flyer knocked back: a dull thud.
std::vector<int16_t> Bump()
{
    SynthBuffer b(0.3);
    b.AddTone(0.0, 0.25, 110.0, 70.0, 1.0, 0.001, 0.06);
    b.AddNoise(0.0, 0.08, 1500.0, 0.0, 0.5, 0.0005, 0.02, 103u);
    return b.ToPcm(12000.0);
}

// The menu: a short blip for a move, two rising notes for a choice.
std::vector<int16_t> MenuBlip(bool bChoose)
{
    SynthBuffer b(bChoose ? 0.18 : 0.07);
    if (bChoose) {
        b.AddTone(0.0, 0.08, 660.0, 660.0, 0.8, 0.002, 0.0);
        b.AddTone(0.08, 0.1, 990.0, 990.0, 0.8, 0.002, 0.04);
    } else {
        b.AddTone(0.0, 0.07, 1200.0, 1200.0, 0.8, 0.002, 0.02);
    }
    return b.ToPcm(9000.0);
}

}  // namespace

const SampleSoundInfo& GetSampleSoundInfo(SampleSound sound)
{
    return kInfos[sound >= 0 && sound < kSampleSoundCount ? sound : 0];
}

uint32_t SampleSoundHandle(SampleSound sound)
{
    const int slot = GetSampleSoundInfo(sound).slot;
    return static_cast<uint32_t>(slot) | static_cast<uint32_t>(CheckOf(slot)) << 16;
}

std::vector<int16_t> MakeSampleSound(SampleSound sound)
{
    switch (sound) {
    case kSoundStepStone: return Steps(false);
    case kSoundStepGrass: return Steps(true);
    case kSoundJump: {
        SynthBuffer b(0.2);
        b.AddTone(0.0, 0.16, 260.0, 620.0, 0.7, 0.005, 0.0);
        b.AddNoise(0.0, 0.08, 3000.0, 400.0, 0.4, 0.001, 0.02, 31u);
        return b.ToPcm(10000.0);
    }
    case kSoundLand: {
        SynthBuffer b(0.25);
        b.AddTone(0.0, 0.2, 120.0, 70.0, 1.0, 0.001, 0.05);
        b.AddNoise(0.0, 0.1, 2500.0, 200.0, 0.6, 0.0005, 0.02, 37u);
        return b.ToPcm(12000.0);
    }
    case kSoundStrike: return Swing(false);
    case kSoundHurt: return Hurt(420.0);
    case kSoundPlayerFelled: return Felled(380.0);
    case kSoundGuardSwing: return Swing(true);
    case kSoundGuardHurt: return Hurt(190.0);
    case kSoundGuardFelled: return Felled(170.0);
    case kSoundKey: return Key();
    case kSoundLever: return Lever();
    case kSoundDoor: return Door();
    case kSoundChest: return Chest();
    case kSoundUpdraft: return Updraft();
    case kSoundBoost: return Boost();
    case kSoundBump: return Bump();
    case kSoundMenuMove: return MenuBlip(false);
    case kSoundMenuChoose: return MenuBlip(true);
    default: return {};
    }
}

namespace {

// Both of the config's sounds (one is picked at random as it starts).
void Key(AnimationConfigDesc& config, SampleSound sound)
{
    config.hSounds[0] = config.hSounds[1] = SampleSoundHandle(sound);
}

void KeyAll(std::vector<AnimationConfigDesc>& configs, std::initializer_list<int> anims, SampleSound sound)
{
    for (int a : anims)
        if (a >= 0 && static_cast<size_t>(a) < configs.size())
            Key(configs[static_cast<size_t>(a)], sound);
}

}  // namespace

void SetSampleBipedSoundKeys(PlayerBipedTemplateDesc& t)
{
    using T = gcPlayerBipedTemplate;
    KeyAll(t.configs, {T::ANIM_SJUMPUP, T::ANIM_RJUMPUP, T::ANIM_DJUMP}, kSoundJump);
    KeyAll(t.configs, {T::ANIM_SLAND, T::ANIM_RLAND}, kSoundLand);
    KeyAll(t.configs,
           {T::ANIM_HIT, T::ANIM_HIT_LR, T::ANIM_HIT_RL, T::ANIM_HIT_BT, T::ANIM_HIT_TB, T::ANIM_HIT_FRONT,
            T::ANIM_HIT_INAIR, T::ANIM_HIT_BLOCK, T::ANIM_HIT_HARD, T::ANIM_RECOIL},
           kSoundHurt);
    KeyAll(t.configs, {T::ANIM_DYING}, kSoundPlayerFelled);
    for (std::optional<CreatureAttackDesc>& a : t.creature.attacks)
        if (a)
            Key(a->config, kSoundStrike);
}

EffectTemplateDesc SampleStepTemplate(bool bGrass)
{
    EffectTemplateDesc t;
    t.name = bGrass ? "GrassSteps" : "StoneSteps";
    t.sound = EffectSoundDesc{SampleSoundHandle(bGrass ? kSoundStepGrass : kSoundStepStone), 30.0f, 1.0f, false};
    t.lifeTicks = kBipedStrideTicks;  // the step, before the next
    t.maxInstances = 2;
    return t;
}

void SetSampleStepEffects(uint32_t (&effects)[15], uint32_t hTemplate)
{
    for (int size = 0; size < gcSurface::MAX_SIZES; ++size)
        effects[size * gcSurface::MAX_TYPES + static_cast<int>(kSampleStepEffectType)] = hTemplate;
}

void SetSampleBipedStepActions(PlayerBipedTemplateDesc& t,
                               const std::function<bool(BlockWriter&, const gcAction&)>& member, bool* pOk)
{
    using T = gcPlayerBipedTemplate;
    // The ray that finds the surface beneath meets only surfaces sharing a
    // bit of this mask (it steers no movement).
    t.creature.base.surfaceCollisionMask = 0xFFFFFFFF;
    for (int a : {T::ANIM_WALK, T::ANIM_RUN}) {
        if (a < 0 || static_cast<size_t>(a) >= t.configs.size())
            continue;
        t.configs[static_cast<size_t>(a)].actions = [member, pOk](BlockWriter& w, int index) {
            if (index != 0)  // OnStarted
                return;
            const gcDoEntitySurfaceEffect step(kSampleStepEffectType,
                                               gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR), cName());
            *pOk = member(w, step) && *pOk;
        };
    }
}

void SetSampleFlyerSoundKeys(PlayerFlyingTemplateDesc& t)
{
    using T = gcPlayerFlyingTemplate;
    KeyAll(t.configs, {T::ANIM_BOOST}, kSoundBoost);
    KeyAll(t.configs, {T::ANIM_HIT_FRONT}, kSoundBump);
}

void SetSampleGuardSoundKeys(NPCTemplateDesc& t)
{
    using T = gcNPCTemplate;
    for (int a = T::ANIM_HIT; a <= T::ANIM_HIT_FRONT; ++a)
        KeyAll(t.configs, {a}, kSoundGuardHurt);
    KeyAll(t.configs, {T::ANIM_HIT_HARD}, kSoundGuardHurt);
    KeyAll(t.configs, {T::ANIM_DYING}, kSoundGuardFelled);
    for (std::optional<CreatureAttackDesc>& a : t.creature.attacks)
        if (a)
            Key(a->config, kSoundGuardSwing);
}

bool WriteSampleSoundBank(const std::string& path, SampleSoundBank bank)
{
    std::vector<int> sounds;  // the bank's, in slot order
    for (int i = 0; i < kSampleSoundCount; ++i)
        if (kInfos[i].bank == bank)
            sounds.push_back(i);
    std::sort(sounds.begin(), sounds.end(), [](int a, int b) { return kInfos[a].slot < kInfos[b].slot; });
    std::vector<SoundRecord> records;
    for (int i : sounds) {
        SoundRecord r = MakeSoundRecord(kInfos[i].name, MakeSampleSound(static_cast<SampleSound>(i)), false);
        r.check = CheckOf(kInfos[i].slot);
        records.push_back(std::move(r));
    }
    return !sounds.empty() && WriteSoundDataGroupBodyFile(path, kInfos[sounds.front()].slot, records);
}

}  // namespace datagen
