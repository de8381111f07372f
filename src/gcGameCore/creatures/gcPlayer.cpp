#include "gcGameCore/creatures/gcPlayer.h"

gcPlayer* gcPlayer::s_pPlayer = nullptr;
