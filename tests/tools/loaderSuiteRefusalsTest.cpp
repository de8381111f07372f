// Loader-suite rows of values no writer writes: a count below 0 or past
// what the writer stores, a negative time. Each is a damaged file: the load
// fails with one error, naming the file and what was refused, and nothing
// is kept of it.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cCore/cBase.h"
#include "cCore/cLog.h"
#include "datagen/blockWriter.h"
#include "datagen/creatureWriters.h"
#include "datagen/deviceWriters.h"
#include "datagen/dialogWriters.h"
#include "datagen/effectWriters.h"
#include "datagen/itemWriters.h"
#include "datagen/particleWriters.h"
#include "datagen/playerWriters.h"
#include "eEngine/eGeomTrailConfig.h"
#include "gcGameCore/creatures/gcNPCTemplate.h"
#include "gcGameCore/creatures/gcPlayerBipedTemplate.h"
#include "gcGameCore/creatures/gcPlayerFlyingTemplate.h"
#include "gcGameCore/entities/gcDeviceTemplate.h"
#include "gcGameCore/entities/gcEffectTemplate.h"
#include "gcGameCore/entities/gcItemTemplate.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/values/gcValFunction.h"
#include "loaderSuiteRowHelpers.h"

namespace {

using Block = std::function<void(datagen::BlockWriter&)>;

struct RefusedRow {
    const char* name;
    const cType* (*type)();
    Block block;
    const char* sError;  // what the one error says after the file's name
};

eGeomTrailConfig Trail(int32_t segments, int32_t steps)
{
    eGeomTrailConfig c;
    c.nMaxSegments = segments;
    c.nSubdivisions = steps;
    return c;
}

datagen::EffectTemplateDesc Effect(int32_t fadeOut, int32_t instances)
{
    datagen::EffectTemplateDesc d;
    d.name = "Spark";
    d.lifeTicks = 100;
    d.fadeOutTicks = fadeOut;
    d.maxInstances = instances;
    return d;
}

datagen::PlayerFlyingTemplateDesc Flyer(int32_t shiftCount, std::vector<int32_t> ticks)
{
    datagen::PlayerFlyingTemplateDesc d;
    d.shiftCount = shiftCount;
    d.shiftTicks = std::move(ticks);
    d.configs.resize(13);
    return d;
}

std::vector<RefusedRow> Rows()
{
    datagen::ItemTemplateDesc item;
    item.name = "Gem";
    item.maxCount = -1;
    datagen::DialogDesc dialog;
    dialog.name = "Pause";
    dialog.sprites = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    datagen::DeviceTemplateDesc device;
    device.configCount = -1;
    datagen::NPCTemplateDesc npc;
    npc.configCount = -1;
    datagen::PlayerBipedTemplateDesc biped;
    biped.configCount = -1;
    return {
        {"a trail of no segments", TypeOf<eGeomTrailConfig>,
         [](datagen::BlockWriter& w) { datagen::TrailConfigBlock(w, Trail(0, 3), 5); },
         "eGeomTrailConfig: maximum segments not accepted"},
        {"a trail of 1025 segments", TypeOf<eGeomTrailConfig>,
         [](datagen::BlockWriter& w) { datagen::TrailConfigBlock(w, Trail(1025, 3), 5); },
         "eGeomTrailConfig: maximum segments not accepted"},
        {"a trail of 257 subdivisions", TypeOf<eGeomTrailConfig>,
         [](datagen::BlockWriter& w) { datagen::TrailConfigBlock(w, Trail(7, 257), 5); },
         "eGeomTrailConfig: subdivisions not accepted"},
        {"an item template allowing -1 items", TypeOf<gcItemTemplate>,
         [item](datagen::BlockWriter& w) { datagen::ItemTemplateBlock(w, item, gcItemTemplate::kVersion); },
         "gcItemTemplate: item count not accepted"},
        {"an effect template fading out over -1 ticks", TypeOf<gcEffectTemplate>,
         [](datagen::BlockWriter& w) { datagen::EffectTemplateBlock(w, Effect(-1, 1), gcEffectTemplate::kVersion); },
         "gcEffectTemplate: fade-out time not accepted"},
        {"an effect template of -1 instances", TypeOf<gcEffectTemplate>,
         [](datagen::BlockWriter& w) { datagen::EffectTemplateBlock(w, Effect(0, -1), gcEffectTemplate::kVersion); },
         "gcEffectTemplate: instance count not accepted"},
        {"a dialog of ten sprites", TypeOf<gcUIDialog>,
         [dialog](datagen::BlockWriter& w) { datagen::DialogBlock(w, dialog, gcUIDialog::kVersion); },
         "gcUIDialog: sprite count not accepted"},
        {"a function of three parameters", TypeOf<gcValFunction>,
         [](datagen::BlockWriter& w) {
             datagen::ValueBlock(w, 2, false);
             w.Int(0x00110002).Int(3);
             for (int i = 0; i < 3; ++i)
                 datagen::NumberMember(w, static_cast<float>(i));
             w.End();
         },
         "gcValFunction: parameter count not accepted"},
        {"a flyer of no shift times", TypeOf<gcPlayerFlyingTemplate>,
         [](datagen::BlockWriter& w) { datagen::PlayerFlyingTemplateBlock(w, Flyer(0, {}), 4); },
         "gcPlayerFlyingTemplate: shift time count not accepted"},
        {"a flyer shifting after -1 ticks", TypeOf<gcPlayerFlyingTemplate>,
         [](datagen::BlockWriter& w) { datagen::PlayerFlyingTemplateBlock(w, Flyer(4, {10, -1, 30}), 4); },
         "gcPlayerFlyingTemplate: shift time not accepted"},
        {"a biped of -1 configurations", TypeOf<gcPlayerBipedTemplate>,
         [biped](datagen::BlockWriter& w) { datagen::PlayerBipedTemplateBlock(w, biped, gcPlayerBipedTemplate::kVersion); },
         "gcPlayerBipedTemplate: configuration count not accepted"},
        {"a device template of -1 configurations", TypeOf<gcDeviceTemplate>,
         [device](datagen::BlockWriter& w) { datagen::DeviceTemplateBlock(w, device, gcDeviceTemplate::kVersion); },
         "gcDeviceTemplate: configuration count not accepted"},
        {"an NPC template of -1 configurations", TypeOf<gcNPCTemplate>,
         [npc](datagen::BlockWriter& w) { datagen::NPCTemplateBlock(w, npc, gcNPCTemplate::kVersion); },
         "gcNPCTemplate: configuration count not accepted"},
    };
}

class ErrorLines {
public:
    ErrorLines() : m_old(cLogSetCallback(&Add, this)) {}
    ~ErrorLines() { cLogSetCallback(m_old, nullptr); }
    std::vector<std::string> m_lines;

private:
    static void Add(void* p, cLogType type, const char* s)
    {
        if (type == LOGTYPE_ERROR || type == LOGTYPE_WARNING)
            static_cast<ErrorLines*>(p)->m_lines.emplace_back(s);
    }
    cLogFunc m_old;
};

TEST(LoaderSuiteRefusals, AValueNoWriterWritesFailsTheFileWithOneError)
{
    for (const RefusedRow& row : Rows()) {
        SCOPED_TRACE(row.name);
        LoaderEnv env;
        ASSERT_TRUE(datagen::WriteObjectBlocksFile(env.HostPath("r.dat"), row.type()->m_nTypeId, row.block));
        ErrorLines log;
        cBase* pLoaded = cBase::Load("/r.dat", &env.m_loads, row.type());
        EXPECT_EQ(pLoaded, nullptr);
        if (pLoaded)
            std::destroy_at(pLoaded);
        ASSERT_EQ(log.m_lines.size(), 1u) << "one line, an error: " << (log.m_lines.empty() ? "" : log.m_lines[0]);
        EXPECT_EQ(log.m_lines[0].rfind(std::string("cFile: \"/r.dat\": ") + row.sError, 0), 0u) << log.m_lines[0];
    }
}

}  // namespace
