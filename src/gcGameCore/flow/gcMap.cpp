#include "gcGameCore/flow/gcMap.h"

gcMap* gcMap::s_pMap = nullptr;

gcMap::~gcMap()
{
    if (s_pMap == this)
        s_pMap = nullptr;
}
