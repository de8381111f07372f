#pragma once
// The game's two seeded random streams. The main stream serves gameplay and
// returns to its start state on mRandReset; the second serves only the game
// camera and is never reset. Plain globals without locking: game thread only.

// Stream state: the seeds never change, only the call counters advance.
extern const unsigned int s_randSeed;   // 29179
extern unsigned int s_randCounter;      // 0 at start and after mRandReset
extern const unsigned int s_irandSeed;  // 16661
extern unsigned int s_irandCounter;     // 0 at start

float mRand();      // [0, 1) from the main stream; at most 0.99999982
float mRandTol();   // (-1, 1] from the main stream: 1 - 2 * mRand()
float mIRand();     // [0, 1) from the second stream
float mIRandTol();  // (-1, 1] from the second stream
void mRandReset();  // main stream back to its start state
