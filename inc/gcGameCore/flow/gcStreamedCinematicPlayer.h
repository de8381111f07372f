#pragma once
// The cinematics as the map loop drives them: the playing cinematic (a map
// cinematic or the resident streamed one), the streamed-cinematic loader and
// the resident streamed cinematic. The game installs the one instance as
// gcMapCinematics::s_pCinematics. Main thread.

#include "gcGameCore/flow/gcMapCinematics.h"

class gcStreamedCinematicPlayer : public gcMapCinematics {
public:
    static gcStreamedCinematicPlayer* Get();
    // Makes the map loop play cinematics through this instance.
    static void Install();

    bool IsPlaying() const override;
    bool IsSkippable() const override;
    void Stop(bool bApplyEvents) override;
    void Send(const gcMsg& msg) override;
    // Plays a gcCinematic; anything else is refused (logged).
    void Play(cBase* pCinematic) override;

    void StartStreamedLoad(int nIndex) override;
    bool IsStreamedLoading() const override;
    void WaitForStreamedLoad() override;
    cMemPool* GetResidentStreamedPool() const override;
    void DeleteResidentStreamed() override;
    // False when the last load failed or nothing is resident.
    bool PlayResidentStreamed() override;

private:
    gcStreamedCinematicPlayer() = default;
};
