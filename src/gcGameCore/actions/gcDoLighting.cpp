#include "gcGameCore/actions/gcDoLighting.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoLighting, gcAction, 241)

namespace {

void WriteColor(const cWriteBlock& wb, const mVec3& c)
{
    wb.WriteFloat(c.x);
    wb.WriteFloat(c.y);
    wb.WriteFloat(c.z);
}

mVec3 ReadColor(const cReadBlock& rb)
{
    const float r = rb.ReadFloat();
    const float g = rb.ReadFloat();
    return mVec3(r, g, rb.ReadFloat());
}

}  // namespace

cBase* gcDoLighting::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoLighting>(diffuseColor, ambientColor, bReset) : nullptr;
}

void gcDoLighting::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    WriteColor(wb, diffuseColor);
    WriteColor(wb, ambientColor);
    wb.WriteBool(bReset);
}

bool gcDoLighting::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    const mVec3 diffuse = ReadColor(rb);
    const mVec3 ambient = ReadColor(rb);
    const bool reset = rb.ReadBool();
    if (rb.Failed())
        return false;
    diffuseColor = diffuse;
    ambientColor = ambient;
    bReset = reset;
    return true;
}

void gcDoLighting::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, bReset ? "LightingReset( )" : "Lighting( )");
}

void gcDoLighting::DoAction(const gcEventParams&) const
{
    gcMap* pMap = gcMap::s_pMap;
    if (!pMap)
        return;
    if (bReset) {
        pMap->m_lightAmbient = pMap->m_originalLightAmbient;
        pMap->m_lightDiffuse = pMap->m_originalLightDiffuse;
    } else {
        pMap->m_lightDiffuse = diffuseColor;
        pMap->m_lightAmbient = ambientColor;
    }
}
