#include "eEngine/eTextureExpInfo.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

eTextureExpInfo::eTextureExpInfo() : m_first(0.0f, 0.0f), m_second(0.0f, 0.0f), m_nValue(0) {}

// The block into *pOut; its end marker is read when rb goes, so the caller
// checks the file after this returns.
static bool ReadBlock(const cFile& file, eTextureExpInfo* pOut)
{
    cReadBlock rb(file, eTextureExpInfo::kVersion);
    if (rb.m_nVersion != eTextureExpInfo::kVersion)
        return rb.Reject("eTextureExpInfo", "version");
    pOut->m_name.Read(rb);
    rb.ReadFloats(pOut->m_first.v, 2);
    rb.ReadFloats(pOut->m_second.v, 2);
    pOut->m_nValue = rb.ReadUShort();
    return true;
}

bool eTextureExpInfo::Read(const cFile& file)
{
    eTextureExpInfo read;
    if (!ReadBlock(file, &read) || file.Failed())
        return false;  // a short file has been logged
    *this = read;
    return true;
}

void eTextureExpInfo::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    m_name.Write(wb);
    wb.WriteFloats(m_first.v, 2);
    wb.WriteFloats(m_second.v, 2);
    wb.WriteShort(m_nValue);
}
