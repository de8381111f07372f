#include "cCore/cManager.h"

#include "cCore/cCoreServices.h"
#include "cCore/cLog.h"

uint16_t cManagerBase::CheckFromRandom(uint32_t r)
{
    const uint16_t check = static_cast<uint16_t>((r >> 16) ^ r);
    return check != 0 ? check : 0x1234;
}

uint16_t cManagerBase::MakeCheck(uint16_t check)
{
    return check != 0 ? check : CheckFromRandom(cIRand());
}

void cManagerBase::ReportBadSlot(int slot, int nSlots, const cType* pType, const char* sCall)
{
    cLogError_("%sMgr::%s: slot %d outside 0..%d", pType ? pType->m_sTypeName : "?", sCall, slot, nSlots - 1);
}
