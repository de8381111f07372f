#include <iterator>

#include "valueTestSupport.h"

namespace {

class gcValueRegistryTest : public gcValueTest {};

// The whole family: every value class is registered under its fixed id,
// name and base (assignable ones under gcLValue).
TEST_F(gcValueRegistryTest, EveryValueClassIsRegisteredWithItsIdNameAndBase)
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

}  // namespace
