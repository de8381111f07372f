#include "gcGameCore/entities/gcStoredCount.h"

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"

gcStoredCount gcStoredCount::Read(const cReadBlock& rb, int nCapacity, const char* sClass, const char* sWhat)
{
    const int32_t nStored = rb.ReadInt();
    gcStoredCount count;
    // No writer writes a negative count: the file fails, nothing is read.
    if (nStored < 0) {
        rb.Reject(sClass, sWhat);
        return count;
    }
    if (nStored > nCapacity)
        cLogWarn_("%s: %s %d in \"%s\" is above %d; the rest is read over", sClass, sWhat, nStored,
                  rb.m_file.m_filename.m_sData, nCapacity);
    count.m_nStored = nStored;
    count.m_nRead = nStored < nCapacity ? nStored : nCapacity;
    return count;
}

void gcStoredCount::SkipSurplus(const cReadBlock& rb, int nBytes) const
{
    for (int i = m_nRead; i < m_nStored && !rb.Failed(); ++i)
        for (int b = 0; b < nBytes; b += 4)
            rb.ReadUInt();
}
