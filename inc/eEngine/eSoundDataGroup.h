#pragma once
// The file block that fills a range of eSoundDataMgr's slots with sound data
// and their check values; the game's sound files are such groups. Lives in
// the pool of its load; one made by the factory destroys its sounds with it,
// last slot first, which releases audio memory in the reverse order of
// loading.

#include <cstdint>

#include "cCore/cGroup.h"
#include "eEngine/eSoundDataMgr.h"

class eSoundDataGroup : public cGroup
{
    QM_DECLARE_GROUP(eSoundDataGroup, eSoundDataMgr)
public:
    int32_t m_nMemSize = 0;  // kept, not used
};
