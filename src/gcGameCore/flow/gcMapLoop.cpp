// The map loop: entering a map, its fixed frame step and leaving it.

#include "cCore/cLog.h"
#include "gcGameCore/flow/gcMap.h"

void gcMap::Run()
{
    cLogWarn_("gcMap: \"%s\" loaded; this build has no map loop yet, so the map ends at once", m_name.m_sData);
}
