#include "gcGameCore/values/gcValOpaque.h"

#include <cstring>

#include "standInTestTypes.h"
#include "valueTestSupport.h"

namespace {

class gcValOpaqueTest : public gcValueTest {};

// The whole family: every value class is registered under its fixed id,
// name and base, whether built or standing in.
TEST_F(gcValOpaqueTest, EveryValueClassIsRegisteredWithItsIdNameAndBase)
{
    const struct {
        uint32_t id;
        const char* name;
        bool bAssignable;
    } rows[] = {
        {78, "gcValNumber", false}, {85, "gcValBinaryOp", false}, {109, "gcValKeyValue", true},
        {110, "gcValEntityStat", true}, {114, "gcValLoading", false}, {116, "gcValRandomNumber", false},
        {119, "gcValEntityItemCount", false}, {124, "gcValCreatureHasTarget", false},
        {131, "gcValEntityFacing", false}, {132, "gcValEntityDistance", false}, {134, "gcValCreatureState", false},
        {139, "gcValCreatureTimeSince", false}, {144, "gcValUnaryOp", false}, {145, "gcValTrinaryOp", false},
        {161, "gcValUIEnabled", true}, {162, "gcValUIChecked", true}, {163, "gcValUIVisible", true},
        {164, "gcValUIPosition", true}, {165, "gcValUISize", true}, {166, "gcValUITextParam", true},
        {167, "gcValMemCardStatus", false}, {169, "gcValCinematicPlaying", false},
        {171, "gcValEntityPathPosition", false}, {176, "gcValEntityMode", true}, {177, "gcValFunction", false},
        {179, "gcValEventVar", true}, {185, "gcValUIOpacity", true}, {186, "gcValUITexCoord", true},
        {188, "gcValCameraOrientation", true}, {189, "gcValEntityAnimationFrame", false},
        {193, "gcValUIDialogVar", true}, {194, "gcValEntityCompare", false}, {197, "gcValEntityOrientation", true},
        {198, "gcValEntityOffsetPath", true}, {200, "gcValEntityVelocity", false}, {201, "gcValEntityValue", false},
        {202, "gcValCreatureStrafeDir", true}, {203, "gcValCreatureStat", true}, {204, "gcValCreatureValue", false},
        {205, "gcValEffectValue", false}, {211, "gcValSaveGameVar", false}, {212, "gcValAudioVolume", true},
        {213, "gcValRumbleEnabled", true}, {220, "gcValEntityState", false}, {221, "gcValEntityValid", false},
        {225, "gcValEntityTimeSince", false}, {231, "gcValEffectStat", true}, {233, "gcValLanguage", false},
        {234, "gcValEntityItemEquipped", false}, {236, "gcValEntityEffectCount", false},
        {243, "gcValEntityHasPath", false}, {248, "gcValEntityStateCompare", false},
        {249, "gcValEntityStateTimer", true}, {250, "gcValEventId", false}, {253, "gcValConstant", false},
        {258, "gcValConsoleInfo", false}, {261, "gcValSaveGameOption", true},
    };
    ASSERT_EQ(std::size(rows), 57u);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const cType* pType = cType::Find(static_cast<int32_t>(r.id));
        ASSERT_NE(pType, nullptr);
        EXPECT_STREQ(pType->m_sTypeName, r.name);
        EXPECT_EQ(pType->m_pParentType, r.bAssignable ? gcLValue::GetStaticType() : gcValue::GetStaticType());
        // The factory makes an object of this very class.
        cBase* pObject = pType->m_pNewFunc ? pType->m_pNewFunc(&m_pool) : nullptr;
        ASSERT_NE(pObject, nullptr);
        EXPECT_EQ(pObject->GetType(), pType);
        EXPECT_EQ(dcast<gcLValue>(pObject) != nullptr, r.bAssignable);
    }
    EXPECT_EQ(gcValue::GetStaticType()->m_nTypeId, 82u);
    EXPECT_EQ(gcLValue::GetStaticType()->m_nTypeId, 143u);
}

TEST_F(gcValOpaqueTest, StandInsReadZeroIgnoreAssignmentsAndKeepTheirBytes)
{
    const cType* pType = StandInValueType(true);
    auto* p = static_cast<gcLValue*>(pType->m_pNewFunc(&m_pool));
    ASSERT_TRUE(datagen::WriteObjectBlocksFile(m_dir.HostPath("o.dat"), kStandInLValueId, [](datagen::BlockWriter& w) {
        datagen::ValueBlock(w, 2, true).Int(3).Float(0.75f).End();
    }));
    auto* pLoaded = dcast<gcLValue>(cBase::Load("/o.dat", &m_pool, pType));
    ASSERT_NE(pLoaded, nullptr);
    pLoaded->Set(5.0f, m_params);
    EXPECT_EQ(pLoaded->Get(m_params), 0.0f);
    EXPECT_EQ(Text(*pLoaded), "TestStandInL");
    const auto& block = static_cast<gcLValOpaque*>(pLoaded)->m_block;
    EXPECT_EQ(block.nVersion, 2u);
    // The gcLValue base block (three headers and end markers), the two words.
    ASSERT_EQ(block.nBytes, 3 * 16u + 8u);
    const uint8_t tail[] = {0, 0, 0, 3, 0x3F, 0x40, 0, 0};
    EXPECT_EQ(std::memcmp(block.pBytes + 48, tail, sizeof(tail)), 0);

    const auto* pCopy = static_cast<const gcLValOpaque*>(pLoaded->Copy(&m_pool));
    ASSERT_NE(pCopy, nullptr);
    EXPECT_EQ(pCopy->GetType(), pType);
    EXPECT_NE(pCopy->m_block.pBytes, block.pBytes);
    EXPECT_EQ(std::memcmp(pCopy->m_block.pBytes, block.pBytes, block.nBytes), 0);
    EXPECT_EQ(static_cast<gcLValOpaque*>(p)->m_block.nBytes, 0u);  // a new one holds nothing
}

TEST_F(gcValOpaqueTest, VersionZeroIsSkippedWhole)
{
    ASSERT_TRUE(datagen::WriteObjectBlocksFile(m_dir.HostPath("z.dat"), kStandInValueId, [](datagen::BlockWriter& w) {
        datagen::ValueBlock(w, 0, false).Int(3).End();
    }));
    gcTestLogCapture log;
    EXPECT_EQ(cBase::Load("/z.dat", &m_pool, StandInValueType(false)), nullptr);
    EXPECT_EQ(log.Count(LOGTYPE_WARNING, "gcValTestStandIn: version not accepted"), 1);
}

}  // namespace
