#include "gcGameCore/entities/gcTemplateRead.h"

#include "cCore/cReadBlock.h"

bool gcTemplateRead::Fail(const cReadBlock& rb, bool bOwnPartReached, const char* sClass, const char* sWhat)
{
    if (rb.Failed())
        return false;
    if (bOwnPartReached)
        return rb.Reject(sClass, sWhat);
    rb.SkipToEnd();
    return false;
}
