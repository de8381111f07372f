#pragma once
// Music, as far as the game flow needs it today: the calls the game object
// and the top loop make. The sixteen music slots, loading "Music%02i.mus",
// playing, fading and looping are the music's own (built with the game
// state and configurations); until then no track loads and every update is
// empty. Main thread, loads on the loader thread.

class cMemPool;

class gcMusic {
public:
    static void Initialize();
    static void Uninitialize();
    // Loads music id into the pool and returns its slot; -1 when no slot
    // takes it (today: always, logged).
    static int LoadMusic(int nMusicId, cMemPool* pPool);
    static void FreeMusic(int nSlot);
    static void Update();
};
