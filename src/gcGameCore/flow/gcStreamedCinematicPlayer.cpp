#include "gcGameCore/flow/gcStreamedCinematicPlayer.h"

#include <memory>

#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "gcGameCore/flow/gcStreamedCinematic.h"
#include "gcGameCore/flow/gcStreamedCinematicLoader.h"
#include "gcGameCore/script/gcCinematic.h"

gcStreamedCinematicPlayer* gcStreamedCinematicPlayer::Get()
{
    static gcStreamedCinematicPlayer s_player;
    return &s_player;
}

void gcStreamedCinematicPlayer::Install()
{
    gcMapCinematics::s_pCinematics = Get();
}

bool gcStreamedCinematicPlayer::IsPlaying() const
{
    return gcCinematic::s_pCinematic != nullptr;
}

bool gcStreamedCinematicPlayer::IsSkippable() const
{
    const gcCinematic* p = gcCinematic::s_pCinematic;
    return p && (p->m_nFlags & gcCinematic::kSkippable);
}

void gcStreamedCinematicPlayer::Stop(bool bApplyEvents)
{
    if (gcCinematic* p = gcCinematic::s_pCinematic)
        p->Stop(bApplyEvents);
}

void gcStreamedCinematicPlayer::Send(const gcMsg& msg)
{
    if (gcCinematic* p = gcCinematic::s_pCinematic)
        p->Send(msg);
}

void gcStreamedCinematicPlayer::Play(cBase* pCinematic)
{
    if (gcCinematic* p = dcast<gcCinematic>(pCinematic))
        p->Play();
    else
        cLogError_("gcStreamedCinematicPlayer: asked to play something that is no cinematic");
}

void gcStreamedCinematicPlayer::StartStreamedLoad(int nIndex)
{
    gcStreamedCinematicLoader::Get()->Load(nIndex);
}

bool gcStreamedCinematicPlayer::IsStreamedLoading() const
{
    return gcStreamedCinematicLoader::Get()->IsRunning();
}

void gcStreamedCinematicPlayer::WaitForStreamedLoad()
{
    gcStreamedCinematicLoader::Get()->WaitForFinish();
}

cMemPool* gcStreamedCinematicPlayer::GetResidentStreamedPool() const
{
    const gcStreamedCinematic* p = gcStreamedCinematic::s_pStreamedCinematic;
    return p ? cMemPool::GetPoolFromPtr(p) : nullptr;
}

void gcStreamedCinematicPlayer::DeleteResidentStreamed()
{
    if (gcStreamedCinematic* p = gcStreamedCinematic::s_pStreamedCinematic)
        std::destroy_at(p);
}

bool gcStreamedCinematicPlayer::PlayResidentStreamed()
{
    gcStreamedCinematic* p = gcStreamedCinematic::s_pStreamedCinematic;
    if (!p || gcStreamedCinematicLoader::Get()->m_bLoadFailed)
        return false;
    p->m_cinematic.Play();
    return true;
}
