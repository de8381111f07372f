#include "cTestObjects.h"

#include <cstdlib>
#include <filesystem>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "platform/dvd.h"

QM_DEFINE_TYPE(cTestThing, cObject, kTestThingId)
QM_DEFINE_GROUP(cTestThingGroup, kTestThingGroupId)
QM_DEFINE_TYPE(cTestHolder, cObject, kTestHolderId)
QM_DEFINE_ABSTRACT_TYPE(cTestAbstract, cObject, kTestAbstractId)

int cTestThing::s_nConstructed = 0;
int cTestThing::s_nDestroyed = 0;

cBase* cTestThing::Copy(cMemPool* pPool) const
{
    cTestThing* p = pPool ? pPool->New<cTestThing>() : nullptr;
    if (p) {
        p->m_name = m_name;
        p->m_nValue = m_nValue;
        p->m_nFlag = m_nFlag;
    }
    return p;
}

void cTestThing::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    wb.WriteInt(m_nValue);
    wb.WriteChar(m_nFlag);
}

bool cTestThing::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1 || rb.m_nVersion > kVersion)
        return rb.Reject("cTestThing", "version");
    if (!cObject::Read(file, pPool))
        return rb.Reject("cTestThing", "object part");
    const int32_t nValue = rb.ReadInt();
    const uint8_t nFlag = rb.m_nVersion >= 2 ? rb.ReadUChar() : 0;
    if (rb.Failed() || nValue == kRefusedValue)
        return false;
    m_nValue = nValue;
    m_nFlag = nFlag;
    return true;
}

void cTestHolder::Write(const cFile& file) const
{
    cWriteBlock wb(file, 1);
    cObject::Write(file);
    wb.WriteShort(m_nShort);
    wb.WriteBase(m_pFirst);
    wb.WriteBase(m_pSecond);
}

bool cTestHolder::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, 1);
    if (rb.m_nVersion != 1)
        return rb.Reject("cTestHolder", "version");
    cObject::Read(file, pPool);
    m_nShort = rb.ReadShort();
    m_pFirst = rb.ReadBase(pPool, cBase::GetStaticType());
    m_pSecond = rb.ReadBase(pPool, cBase::GetStaticType());
    return !rb.Failed();
}

void cTestAbstract::Write(const cFile& file) const
{
    cWriteBlock wb(file, 1);
    wb.WriteInt(7);
}

cTestDataDir::cTestDataDir()
{
    DVDSetDataDirectory(m_dir.c_str());
}

cTestDataDir::~cTestDataDir()
{
    DVDSetDataDirectory("");
}
