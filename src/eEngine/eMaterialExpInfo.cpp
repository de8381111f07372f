#include "eEngine/eMaterialExpInfo.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

eMaterialExpInfo::eMaterialExpInfo() : m_nFirst(0), m_nSecond(0), m_nThird(0), m_fValue(0.0f) {}

// The block into *pOut; its end marker is read when rb goes, so the caller
// checks the file after this returns.
static bool ReadBlock(const cFile& file, eMaterialExpInfo* pOut)
{
    cReadBlock rb(file, eMaterialExpInfo::kVersion);
    if (rb.m_nVersion != eMaterialExpInfo::kVersion)
        return rb.Reject("eMaterialExpInfo", "version");
    pOut->m_name.Read(rb);
    pOut->m_nFirst = rb.ReadUInt();
    pOut->m_nSecond = rb.ReadUShort();
    pOut->m_nThird = rb.ReadUInt();
    pOut->m_fValue = rb.ReadFloat();
    for (eTextureExpInfo& t : pOut->m_textures) {
        if (!t.Read(file)) {
            rb.SkipToEnd();
            return false;
        }
    }
    return true;
}

bool eMaterialExpInfo::Read(const cFile& file)
{
    eMaterialExpInfo read;
    if (!ReadBlock(file, &read) || file.Failed())
        return false;  // a short file has been logged
    *this = read;
    return true;
}

void eMaterialExpInfo::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    m_name.Write(wb);
    wb.WriteInt(m_nFirst);
    wb.WriteShort(m_nSecond);
    wb.WriteInt(m_nThird);
    wb.WriteFloat(m_fValue);
    for (const eTextureExpInfo& t : m_textures)
        t.Write(file);
}
