#include "gcGameCore/script/gcCinematicEntry.h"

#include <utility>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

QM_DEFINE_TYPE(gcCinematicEntry, cBase, 209)

void gcCinematicEntry::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    { cWriteBlock base(file, 1); }
    description.Write(wb);
    wb.WriteInt(eventTime.m_nTicks);
    event.Write(file);
    hVoiceOver.Write(wb);
}

bool gcCinematicEntry::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1 || rb.m_nVersion > kVersion)
        return rb.Reject("gcCinematicEntry", "version");
    { cReadBlock base(file, 1); }
    cName name;
    name.Read(rb);
    const int32_t nTime = rb.ReadInt();
    gcEvent newEvent;
    if (rb.Failed() || !newEvent.Read(file, pPool))
        return rb.Reject("gcCinematicEntry", "event");
    gcVoiceOverHandle hVO;
    if (rb.m_nVersion >= 2)
        hVO.Read(rb, pPool);
    if (rb.Failed())
        return false;
    description = name;
    eventTime = cTimeValue(nTime);
    std::swap(event.pAction, newEvent.pAction);
    hVoiceOver = hVO;
    return true;
}
