#include "gcGameCore/script/gcString.h"

#include <algorithm>
#include <cstring>

#include "cCore/cDateTime.h"
#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

QM_DEFINE_TYPE(gcString, cObject, 183)

char* gcString::AllocBuffer(cMemPool* pPool, int nCapacity)
{
    if (!pPool)
        return nullptr;
    const size_t nBytes = (static_cast<size_t>(nCapacity) + 1 + 3) & ~static_cast<size_t>(3);
    return static_cast<char*>(pPool->Alloc(nBytes, 4));
}

void gcString::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    const int16_t nLength = m_sData ? m_nLength : 0;
    wb.WriteShort(nLength);
    wb.WriteChars(m_sData, nLength);
    wb.WriteInt(m_lastModified);
}

bool gcString::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1 || rb.m_nVersion > kVersion)
        return rb.Reject("gcString", "version");
    cObject name;
    if (!name.Read(file, pPool))
        return rb.Reject("gcString", "name block");
    const int16_t nLength = rb.ReadShort();
    if (rb.Failed())
        return false;
    if (nLength < 0)
        return rb.Reject("gcString", "length");
    char* pText = nullptr;
    if (nLength > 0) {
        if (static_cast<uint64_t>(file.GetCurrentPos()) + static_cast<uint64_t>(nLength) > rb.m_nEndOffset)
            return rb.Reject("gcString", "length past the block end");
        pText = AllocBuffer(pPool, nLength);
        if (!pText)
            return rb.Reject("gcString", "text (no pool memory)");
        rb.ReadChars(pText, nLength);
        pText[nLength] = '\0';
    }
    const uint32_t lastModified = rb.m_nVersion >= 2 ? rb.ReadUInt() : m_lastModified;
    if (rb.Failed())
        return false;  // the buffer stays behind in the pool
    m_name = name.m_name;
    m_sData = pText;
    m_nLength = nLength;
    m_nBuffer = nLength;
    m_lastModified = lastModified;
    return true;
}

void gcString::Set(const char* sText, cMemPool* pPool)
{
    cDateTime now;
    now.Now();
    const uint32_t previousStamp = m_lastModified;
    m_lastModified = now.m_nSecondsUTC;
    if (!sText || !*sText) {
        m_sData = nullptr;
        m_nLength = 0;
        m_nBuffer = 0;
        return;
    }
    size_t nLength = std::strlen(sText);
    if (nLength > static_cast<size_t>(kMaxLength)) {
        cLogWarn_("gcString: text of %zu characters for \"%s\" cut to %d", nLength, m_name.m_sData, kMaxLength);
        nLength = kMaxLength;
    }
    if (!m_sData || nLength > static_cast<size_t>(m_nBuffer)) {
        const int nCapacity = static_cast<int>(std::min<size_t>(nLength * 2, kMaxLength));
        char* pBuffer = AllocBuffer(pPool ? pPool : cMemPool::GetPoolFromPtr(this), nCapacity);
        if (!pBuffer) {
            cLogError_("gcString: no pool memory for %d characters of \"%s\"; the text is kept", nCapacity,
                       m_name.m_sData);
            m_lastModified = previousStamp;
            return;
        }
        m_sData = pBuffer;  // the old buffer stays behind in its pool
        m_nBuffer = static_cast<int16_t>(nCapacity);
    }
    std::memcpy(m_sData, sText, nLength);
    m_sData[nLength] = '\0';
    m_nLength = static_cast<int16_t>(nLength);
}

QM_DEFINE_GROUP(gcStringGroup, 184)
