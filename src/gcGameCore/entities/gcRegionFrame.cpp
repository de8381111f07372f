#include "gcGameCore/entities/gcRegionFrame.h"

#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "mMath/mOCS.h"

void gcRegionFrame::Read(const cReadBlock& rb, int16_t* pRegionId, mOCS* pFrame)
{
    *pRegionId = rb.ReadShort();
    rb.ReadFloats(pFrame->origin.v, 3);
    rb.ReadFloats(pFrame->basis.right.v, 3);
    rb.ReadFloats(pFrame->basis.forward.v, 3);
    rb.ReadFloats(pFrame->basis.up.v, 3);
}

void gcRegionFrame::Write(const cWriteBlock& wb, int16_t nRegionId, const mOCS& frame)
{
    wb.WriteShort(nRegionId);
    wb.WriteFloats(frame.origin.v, 3);
    wb.WriteFloats(frame.basis.right.v, 3);
    wb.WriteFloats(frame.basis.forward.v, 3);
    wb.WriteFloats(frame.basis.up.v, 3);
}
