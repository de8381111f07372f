#include "gcGameCore/flow/gcGamePools.h"

#include "cCore/cBase.h"
#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cType.h"

bool gcGamePools::ReadFile(cBase& object, const cFile& file, cMemPool* pPool)
{
    const bool bRead = object.Read(file, pPool);
    if (file.Failed())
        return false;
    if (!bRead)
        cLogError_("%s: \"%s\" could not be read", object.GetType()->m_sTypeName, file.m_filename.m_sData);
    return bRead;
}
