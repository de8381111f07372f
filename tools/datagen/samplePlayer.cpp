#include "datagen/samplePlayer.h"

#include <cstdio>
#include <memory>

#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "datagen/actionWriters.h"
#include "datagen/creatureScriptWriters.h"
#include "datagen/playerWriters.h"
#include "datagen/sampleHud.h"
#include "datagen/scriptWriters.h"
#include "datagen/sampleSave.h"
#include "datagen/slotLease.h"
#include "gcGameCore/actions/gcDoCameraLookAt.h"
#include "gcGameCore/actions/gcDoCameraMovement.h"
#include "gcGameCore/actions/gcDoCameraParams.h"
#include "gcGameCore/actions/gcDoCreatureAction.h"
#include "gcGameCore/actions/gcDoEntityActivate.h"
#include "gcGameCore/actions/gcDoEntityDamage.h"
#include "gcGameCore/actions/gcDoEntityMoveTo.h"
#include "gcGameCore/actions/gcDoEvaluation.h"
#include "gcGameCore/actions/gcDoLog.h"
#include "gcGameCore/actions/gcDoPlayMusic.h"
#include "gcGameCore/actions/gcDoReturn.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/script/gcStateMachine.h"
#include "gcGameCore/values/gcValCreatureState.h"
#include "gcGameCore/values/gcValNumber.h"

namespace datagen {

namespace {

constexpr float kGroundZ = -3.0f;  // the sample regions' ground
constexpr int16_t kWest = 0, kEast = 2;

const gcDesiredEntity kPlayer = gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER);
const gcDesiredEntity kInitiator = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);

gcDoCameraLookAt LookAtPlayer(uint32_t flags)
{
    return gcDoCameraLookAt(gcDoCameraLookAt::CL_LOOKATENTITY, kPlayer, gcRegionPathHandle(), gcRegionPointHandle(),
                            gcDesiredValue(), gcDesiredValue(), flags);
}

}  // namespace

uint32_t SampleMapHandle(int slot)
{
    return static_cast<uint32_t>(slot) | static_cast<uint32_t>(0x100 + slot) << 16;
}

gcGameCameraParams SampleCameraParams()
{
    gcGameCameraParams p;
    using P = gcGameCameraParams;
    p.m_fOffsets[P::OFF_MINDIST] = kSampleCameraDistance;
    p.m_fOffsets[P::OFF_ENTITY] = kSampleCameraHeight;
    return p;
}

std::vector<RegionPointDesc> SamplePlayerPoints()
{
    RegionPointDesc start;
    start.name = "WestStart";
    start.regionId = kWest;
    // Right -y, forward +x, up +z: facing east along the road.
    start.frame = {kSamplePlayerStartX, 0.0f, kGroundZ, 0, -1, 0, 1, 0, 0, 0, 0, 1};
    RegionPointDesc shed;
    shed.name = "ShedFront";
    shed.regionId = kEast;
    shed.frame = {-2.0f, 9.0f, kGroundZ + 2.0f, 1, 0, 0, 0, 1, 0, 0, 0, 1};
    return {start, shed};
}

bool SamplePlayerStartActions(BlockWriter& w, const ActionMemberFunc& member, const char* mapName)
{
    cMemPool pool("datagen SamplePlayer", 0x1000, false);
    char text[gcDoLog::kMaxMsg + 1];
    std::snprintf(text, sizeof text, "%s: the player sets out", mapName);
    const gcDoLog* pLog = NewLog(&pool, gcDoLog::LOG_INFO, text, nullptr, nullptr);
    gcDoEntityMoveTo place(gcDoEntityMoveTo::EMT_REGIONPOINT, kPlayer,
                           gcDoEntityMoveTo::kSnap | gcDoEntityMoveTo::kOffsetHeight);
    place.hRegionPoint = gcRegionPointHandle(SampleMapHandle(kSampleStartPointSlot));
    const gcDoCameraMovement follow(gcDoCameraMovement::CM_FOLLOWENTITY, kPlayer, gcRegionPathHandle(),
                                    gcRegionPointHandle(), gcDoCameraMovement::kDefaultReorientFactor,
                                    gcDesiredValue(), gcDesiredValue(), gcDoCameraMovement::kSnap);
    // A new entity starts switched off; placed and switched on first, so
    // the camera snaps behind the player where it stands.
    const gcDoEntityActivate activate(kPlayer, gcDoEntityActivate::kActivate, 0);
    // Switched on, a flyer coasts in its gear, and gear 0's coast creeps:
    // told to stand, it brakes to a hover where it was placed. A biped
    // stands already.
    const gcDoCreatureAction stand(gcDoCreatureAction::CA_STAND, kPlayer);
    // The map's own track, looping, in place of whatever played before.
    gcDoPlayMusic stopGame;
    stopGame.nLevel = gcDoPlayMusic::LEVEL_GAME, stopGame.bStop = true;
    gcDoPlayMusic music;
    music.nLevel = gcDoPlayMusic::LEVEL_MAP;
    const bool ok = pLog && member(w, *pLog) && member(w, place) && member(w, activate) && member(w, stand) &&
                    member(w, gcDoCameraParams(SampleCameraParams())) && member(w, follow) &&
                    member(w, LookAtPlayer(gcDoCameraLookAt::kSnap)) && member(w, stopGame) && member(w, music) &&
                    SampleHudStartActions(w, member);
    if (pLog)
        std::destroy_at(pLog);
    return ok;
}

RegionTriggerDesc ShedViewTrigger(const ActionMemberFunc& member, bool* pOk)
{
    // A box across the road along the shed's front.
    RegionTriggerDesc t = BoxTrigger("ShedView", kEast, 12.0f, 6.0f, 4.0f, FrameAt(-2.0f, 0.0f, kGroundZ + 2.0f));
    t.actions = [member, pOk](BlockWriter& w, int index) {
        bool ok = true;
        if (index == 1) {
            // OnInside: a slow turn to the shed while the player stands, back
            // to the player while it moves. The stick steers relative to the
            // view, so a view held on the shed would pull a running player
            // off the road.
            cMemPool pool("datagen ShedView", 0x1000, false);
            gcDoCameraLookAt* pAtShed = pool.New<gcDoCameraLookAt>(
                gcDoCameraLookAt::CL_LOOKATPOINT, kPlayer, gcRegionPathHandle(),
                gcRegionPointHandle(SampleMapHandle(kSampleShedPointSlot)), gcDesiredValue(), gcDesiredValue(), 0u);
            gcDoCameraLookAt* pAtPlayer = pool.New<gcDoCameraLookAt>(LookAtPlayer(0));
            gcValCreatureState* pStanding = pool.New<gcValCreatureState>(gcValCreatureState::STATE_STANDING, kPlayer);
            gcDoEvaluation* pIf = pAtShed && pAtPlayer && pStanding
                                      ? NewEvaluation(&pool, pStanding, {pAtShed}, {pAtPlayer})
                                      : nullptr;
            ok = pIf && member(w, *pIf);
            if (pIf)
                std::destroy_at(pIf);
        } else if (index == 2) {  // OnExit: back to the player
            ok = member(w, LookAtPlayer(0));
        }
        *pOk = ok && *pOk;
    };
    return t;
}

bool WithSamplePlayerControl(cMemPool* pPool,
                             const std::function<bool(const std::function<void(gcGame&)>& fill)>& write)
{
    gcStateMachine* pControl = NewPlayerControlStateMachine(pPool, "PlayerControl");
    if (!pControl)
        return false;
    constexpr int slot = kSamplePlayerControlSlot;
    bool ok = AppendSamplePauseStep(pControl->onUpdate, pPool) && AppendSampleDeathStep(pControl->onEvent, pPool);
    if (ok) {
        SlotLease<gcStateMachineMgr, gcStateMachine> lease(slot, 1);
        lease.Place(0, pControl, static_cast<uint16_t>(SampleMapHandle(slot) >> 16));
        ok = write([](gcGame& game) {
            game.m_stateMachines.m_nBegin = slot;
            game.m_stateMachines.m_nEnd = slot + 1;
            game.m_stateMachines.m_bDeleteContained = false;  // the machine stays this writer's
        });
    }
    // Its actions hold heap memory of their own: destroyed, not just dropped with the pool.
    std::destroy_at(pControl);
    return ok;
}

bool WriteSampleBipedPlayer(const std::string& dir, uint32_t hMaterial)
{
    const std::string stem = dir + "/Game/PlayerConfig01";
    const std::string scratch = stem + ".part";
    cMemPool pool("datagen PlayerStrike", 0x1000, false);
    auto* pStrike = pool.New<gcDoEntityDamage>(kInitiator, kInitiator, 0u, int32_t{gcMsgDealDamage::DD_NONE}, false,
                                               true, kSamplePlayerStrikeReach);
    gcValue* pAmount = pStrike ? pool.New<gcValNumber>(kSamplePlayerStrikeDamage) : nullptr;
    gcAction* pReturn = pAmount ? NewReturn(&pool, pAmount) : nullptr;
    if (!pReturn) {
        cLogError_("datagen: no room for the player's strike");
        return false;
    }
    AppendAction(pStrike->calcDamage, pReturn);
    bool ok = true;
    const ActionMemberFunc member = [&scratch](BlockWriter& w, const gcAction& a) {
        w.Int(static_cast<int32_t>(a.GetType()->m_nTypeId));
        return LayEngineObject(w, a, scratch);
    };
    BipedPlayerDesc d;
    d.strike = CreatureAttackDesc();
    d.strike->name = "Strike";
    d.strike->config.actions = [&](BlockWriter& w, int index) {
        if (index == 0)  // OnStarted
            ok = member(w, *pStrike) && ok;
    };
    d.finish = [&](PlayerBipedTemplateDesc& t) {
        SetSampleBipedSoundKeys(t);
        SetSampleBipedStepActions(t, member, &ok);
    };
    const bool bWritten =
        WriteSamplePlayerFiles(stem, SampleSoundBank::kBiped, "Wanderer", hMaterial, &WriteBipedPlayerConfigFile, d);
    std::destroy_at(pStrike);  // its event's actions hold heap memory of their own
    std::remove(scratch.c_str());
    return bWritten && ok;
}

const char* SamplePlayerInputText()
{
    return "# The sample's scripted input: port 0 at rest, the main stick pushed\n"
           "# halfway forward from frame 1 (the player walks east along the road),\n"
           "# A tapped at frame 10 (a jump), the stick pushed fully from frame 20\n"
           "# (a run), pushed left at frame 310 (the player turns north, towards\n"
           "# the wall beside the road, and the camera swings round behind it to\n"
           "# the shed ahead), let go at frame 325 (the player stands in the middle\n"
           "# region until the run ends, however long).\n"
           "0    0  -\n"
           "1    0  -    0  36\n"
           "10   0  A    0  36\n"
           "16   0  -    0  36\n"
           "20   0  -    0  72\n"
           "310  0  -  -72   0\n"
           "325  0  -\n";
}

}  // namespace datagen
