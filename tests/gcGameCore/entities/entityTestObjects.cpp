#include "entityTestObjects.h"

#include <memory>

#include "cCore/cFile.h"
#include "eEngine/eZone.h"
#include "eEngine/modelTestSupport.h"
#include "gcGameCore/entities/gcRegionPath.h"

gcRegionPath* NewRegionPath(cMemPool* pPool, int16_t regionId, const std::vector<datagen::PathPointDesc>& points)
{
    gcRegionPath* p = pPool->New<gcRegionPath>();
    const ePath* built = datagen::BuildPath("p", points, pPool);
    p->m_path.m_nPoints = built->m_nPoints;
    p->m_path.m_pPoints = built->m_pPoints;
    p->m_path.m_fLength = built->m_fLength;
    p->m_nRegionId = regionId;
    return p;
}

void RecordStepMember(datagen::BlockWriter& w, int32_t tag)
{
    w.Word(kTestStepId).Begin(1);
    w.Begin(gcAction::kVersion).Begin(1).End().End();
    w.Int(gcDoTestStep::RECORD).Int(tag).Int(0).Int(-1);
    w.End();
}

int EntityTest::s_regionIds[gcEntityWorld::kMaxRegions];
bool EntityTest::s_bMap = false;
float EntityTest::s_lightHeading = 0.0f;
float EntityTest::s_lightPitch = 0.0f;

void EntityTest::SetUp()
{
    for (int& id : s_regionIds)
        id = -1;
    s_bMap = false;
    TestLog().clear();
    EntityLog().clear();
    gcEntityWorld::Funcs funcs;
    funcs.pGetRegionId = [](int slot) { return s_regionIds[slot]; };
    funcs.pGetMapLight = [](float* h, float* p) {
        *h = s_lightHeading;
        *p = s_lightPitch;
        return s_bMap;
    };
    funcs.pApplyTriggerEvent = [](cBase* pOwner, gcEntityWorld::gcTriggerList list, gcEntity*) {
        EntityLog().push_back({pOwner, 1000 + list, 0});
    };
    funcs.pSendToEffects = [](gcEffect* pFirst, const gcMsg& msg) {
        const int32_t t = msg.nMsgId == MSG_FADEOUT ? static_cast<const gcMsgFadeOut&>(msg).fadeOutTime.m_nTicks : 0;
        EntityLog().push_back({pFirst, msg.nMsgId, t});
    };
    m_oldFuncs = gcEntityWorld::Set(funcs);
}

void EntityTest::TearDown()
{
    for (gcEntity* p : m_entities)
        std::destroy_at(p);
    gcEntityWorld::Set(m_oldFuncs);
    for (int i = 0; i < gcEntityTemplateMgr::kSlots; ++i)
        gcEntityTemplateMgr::Remove(i);
    for (gcEntity*& p : gcEntityMgr::s_pInstances)
        p = nullptr;
    for (gcStateMachine*& p : gcStateMachineMgr::s_pInstances)
        p = nullptr;
    for (eZone*& z : eZone::s_pZones)
        z = nullptr;
    ClearModelManagers();
}

gcTestEntityTemplate* EntityTest::PlaceTemplate()
{
    gcTestEntityTemplate* p = m_pool.New<gcTestEntityTemplate>();
    gcEntityTemplateMgr::Add(kTemplateSlot, p, 0x77);
    return p;
}

gcTestEntity* EntityTest::NewEntity(const gcEntityTemplate* pTemplate)
{
    gcTestEntity* p = pTemplate ? static_cast<gcTestEntity*>(pTemplate->CreateInstance(&m_pool))
                                : m_pool.New<gcTestEntity>();
    if (p)
        m_entities.push_back(p);
    return p;
}

bool EntityTest::ReadBlock(const std::function<void(datagen::BlockWriter&)>& block, cBase* pObject)
{
    const bool bSaved = datagen::WriteObjectBlocksFile(m_data.HostPath("o.dat"), pObject->GetType()->m_nTypeId, block);
    return bSaved && ReadObjectFile("o.dat", pObject, &m_pool);
}

void EntityTest::ExpectCutsFail(const std::vector<uint8_t>& bytes, const cType* pType)
{
    gcTestLogCapture quiet;
    for (size_t len = 0; len + 8 < bytes.size(); ++len) {
        SCOPED_TRACE(len);
        ASSERT_TRUE(datagen::WriteBytes(m_data.HostPath("cut.dat"),
                                        std::vector<uint8_t>(bytes.begin(), bytes.begin() + len)));
        cBase* p = cBase::Load("/cut.dat", &m_pool, pType);
        EXPECT_EQ(p, nullptr);
    }
}

void EntityWorldTest::SetUp()
{
    EntityTest::SetUp();
    eOctree tree;
    tree.m_fSize = 100;
    tree.m_fLooseScale = 2;
    tree.m_nLevels = 4;
    int slot = 0;
    for (eZone* z : {&m_a, &m_b}) {
        z->m_localToWorld = MakeFrame(100.0f * static_cast<float>(slot), 0, 0);
        z->m_volume.minCorner.Set(-50, -50, -50);
        z->m_volume.maxCorner.Set(50, 50, 50);
        tree.m_volume = z->m_volume;
        ASSERT_TRUE(z->CreateVisOctree(tree, &m_pool));
        ASSERT_TRUE(z->CreateColOctree(tree, &m_pool));
        ASSERT_TRUE(z->CreateVolOctree(tree, &m_pool));
        ASSERT_TRUE(z->CreateSndOctree(tree, &m_pool));
        z->m_nZoneIndex = slot;
        eZone::s_pZones[slot] = z;
        s_regionIds[slot] = slot + 1;
        ++slot;
    }
    m_oldFiling = eSound::SetZoneFiling({[](eZone* z, eSound* s) { z->AddSound(s); },
                                          [](eZone* z, eSound* s) { z->RemoveSound(s); }});
}

void EntityWorldTest::TearDown()
{
    EntityTest::TearDown();  // the entities leave the zones first
    eSound::SetZoneFiling(m_oldFiling);
}

eVolume* EntityWorldTest::PlaceVolume(eZone* pZone, const mVec3& at)
{
    eVolume* v = m_pool.New<eVolume>();
    v->SetVolumeSphere(5.0f);
    v->m_pOwner = pZone == &m_a ? &m_triggerA : &m_triggerB;
    v->m_pZone = pZone;
    v->SetLocalToZone(MakeFrame(at.x, at.y, at.z));
    return v;
}

gcTestEntity* EntityWorldTest::PlacedEntity(gcEntityTemplate* pTemplate, const mVec3& at)
{
    gcTestEntity* e = NewEntity(pTemplate);
    e->m_nRegionId = 1;
    e->m_model.m_localToParent = MakeFrame(at.x, at.y, at.z);
    e->Reset(&m_pool);
    return e;
}
