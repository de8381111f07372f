#pragma once
// What the map loop needs of the cinematics, built on their own: the
// playing cinematic, the map's cinematics, the streamed cinematic resident
// in its own pool and the thread that loads it. The cinematic classes
// install one implementation; while none is installed no cinematic plays
// and a request to play one is dropped with a log line. Main thread.

#include <cstdint>

class cBase;
class cMemPool;
class gcMsg;

class gcMapCinematics {
public:
    virtual ~gcMapCinematics() = default;

    // The playing cinematic (there is at most one).
    virtual bool IsPlaying() const = 0;
    virtual bool IsSkippable() const = 0;  // the playing one's skippable flag
    virtual void Stop(bool bApplyEvents) = 0;
    virtual void Send(const gcMsg& msg) = 0;
    // Starts a cinematic of the map.
    virtual void Play(cBase* pCinematic) = 0;

    // The streamed cinematic: its loader thread and the resident one.
    virtual void StartStreamedLoad(int nIndex) = 0;
    virtual bool IsStreamedLoading() const = 0;
    virtual void WaitForStreamedLoad() = 0;
    // The pool of the resident streamed cinematic; null when none.
    virtual cMemPool* GetResidentStreamedPool() const = 0;
    virtual void DeleteResidentStreamed() = 0;
    // Starts the resident streamed cinematic; false when none is resident.
    virtual bool PlayResidentStreamed() = 0;

    static gcMapCinematics* s_pCinematics;  // null: this build plays none
};
