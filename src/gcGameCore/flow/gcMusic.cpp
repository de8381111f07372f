#include "gcGameCore/flow/gcMusic.h"

#include "cCore/cLog.h"

void gcMusic::Initialize() {}

void gcMusic::Uninitialize() {}

int gcMusic::LoadMusic(int nMusicId, cMemPool*)
{
    cLogWarn_("gcMusic: music %d not loaded: this build plays no music yet", nMusicId);
    return -1;
}

void gcMusic::FreeMusic(int) {}

void gcMusic::Update() {}
