#include "cCore/cSaveRegion.h"

#include <cstring>

#include "platform/os.h"
#include "cCore/cLog.h"

static_assert(cSaveRegion::kBytes == OS_SAVE_REGION_SIZE);

uint32_t cSaveRegion::s_resetSaveRegion[kWords];
uint8_t cSaveRegion::s_preservedArea[kBytes];

void cSaveRegion::SetSaveRegionData(int index, uint32_t value)
{
    if (index < 0 || index >= kWords) {
        cLogError_("cSaveRegion: word %d is outside 0..%d", index, kWords - 1);
        return;
    }
    s_resetSaveRegion[index] = value;
}

uint32_t cSaveRegion::GetSaveRegionData(int index)
{
    if (index < 0 || index >= kWords) {
        cLogError_("cSaveRegion: word %d is outside 0..%d", index, kWords - 1);
        return 0;
    }
    return s_resetSaveRegion[index];
}

void cSaveRegion::HandleSaveSaveRegion()
{
    std::memcpy(s_preservedArea, s_resetSaveRegion, kBytes);
    OSSetSaveRegion(s_preservedArea, s_preservedArea + kBytes);
}

void cSaveRegion::HandleRestoreSaveRegion()
{
    std::memcpy(s_preservedArea, OSGetSavedRegionContents(), kBytes);
    std::memcpy(s_resetSaveRegion, s_preservedArea, kBytes);
}
