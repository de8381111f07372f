#include "gcGameCore/script/gcDesiredWidget.h"

#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

void gcDesiredWidget::Read(const cReadBlock& rb, cMemPool* pPool)
{
    hDialog.Read(rb, pPool);
    hControl = rb.ReadUInt();
}

void gcDesiredWidget::Write(const cWriteBlock& wb) const
{
    hDialog.Write(wb);
    wb.WriteInt(hControl);
}
