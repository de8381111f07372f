// Loader-suite rows of the interface actions and values: each newest block
// written by the engine and each older block laid out by hand.
#include <functional>
#include <string>
#include <vector>

#include "datagen/actionWriters.h"
#include "datagen/blockWriter.h"
#include "datagen/modelWriters.h"
#include "datagen/valueWriters.h"
#include "gcGameCore/actions/gcDoUIFocus.h"
#include "gcGameCore/actions/gcDoUIItemListSelect.h"
#include "gcGameCore/actions/gcDoUIListScroll.h"
#include "gcGameCore/actions/gcDoUISetFont.h"
#include "gcGameCore/actions/gcDoUISetItem.h"
#include "gcGameCore/actions/gcDoUISetSprite.h"
#include "gcGameCore/actions/gcDoUISetText.h"
#include "gcGameCore/actions/gcDoUIShow.h"
#include "gcGameCore/actions/gcDoUIShowDialog.h"
#include "gcGameCore/script/gcLValue.h"
#include "gcGameCore/values/gcValNumber.h"
#include "gcGameCore/values/gcValUIChecked.h"
#include "gcGameCore/values/gcValUIDialogVar.h"
#include "gcGameCore/values/gcValUIEnabled.h"
#include "gcGameCore/values/gcValUIOpacity.h"
#include "gcGameCore/values/gcValUIPosition.h"
#include "gcGameCore/values/gcValUISize.h"
#include "gcGameCore/values/gcValUITexCoord.h"
#include "gcGameCore/values/gcValUITextParam.h"
#include "gcGameCore/values/gcValUIVisible.h"
#include "loaderSuiteRowHelpers.h"

namespace {

using Path = const std::string&;

template <class T>
auto Blocks(std::function<void(datagen::BlockWriter&)> block)
{
    return [block](LoaderEnv&, Path path) {
        return datagen::WriteObjectBlocksFile(path, T::GetStaticType()->m_nTypeId, block);
    };
}

const gcDesiredWidget kWidget{gcUIDialogHandle(0x00120003), 0x00000501};

// An event block with one log action, or none.
void EventBlock(datagen::BlockWriter& w, bool bAction)
{
    w.Begin(3).Begin(1).End();
    if (bAction) {
        w.Int(static_cast<int32_t>(gcDoUIFocus::GetStaticType()->m_nTypeId));
        datagen::ActionBlock(w, 1).Int(0x00120003).Int(0x0201).End();
    }
    w.Int(-1).End();
}

void AddShowDialogRows(std::vector<LoaderRow>& rows)
{
    rows.push_back({"gcDoUIShowDialog v5", {"WriteObjectFile"},
                    [](LoaderEnv& env, Path p) {
                        gcDoUIShowDialog action(gcUIDialogHandle(0x00120003), 0x1F);
                        action.transition = gcUIShowDialogData::TRANSITION_SCALE;
                        action.transitionTime.fConst = 0.5f;
                        action.hMaterial = eMaterialHandle(0x00040002);
                        action.startOffset = mVec2(1.0f, -2.0f);
                        action.endOffset = mVec2(3.0f, 4.5f);
                        action.inParam.fConst = 2.0f;
                        action.onShown.pAction = env.m_build.New<gcDoUIFocus>(kWidget);
                        return datagen::WriteObjectFile(p, action);
                    },
                    TypeOf<gcDoUIShowDialog>});
    for (uint32_t version : {1u, 2u, 3u, 4u})
        rows.push_back({Named("gcDoUIShowDialog", version), {"ActionBlock"},
                        ActionFields<gcDoUIShowDialog>(version,
                                                       [version](datagen::BlockWriter& w) {
                                                           w.Int(0x00120003).Int(0x15).Int(2);
                                                           if (version >= 3)
                                                               w.Int(450);
                                                           else
                                                               w.Float(0.75f);
                                                           w.Int(0).Float(0.0f).Float(1.0f).Float(2.0f).Float(3.0f);
                                                           if (version >= 4)
                                                               w.Int(0).Int(0).Int(1);
                                                           if (version >= 2) {
                                                               EventBlock(w, false);
                                                               EventBlock(w, true);
                                                           }
                                                       }),
                        TypeOf<gcDoUIShowDialog>, nullptr, false});
}

void AddControlActionRows(std::vector<LoaderRow>& rows)
{
    const gcDesiredItem item{gcDesiredItem::PARTICIPANT1, gcItemTemplateHandle(0x00080002)};
    rows.push_back({"gcDoUIFocus v1", {"WriteObjectFile"},
                    [](LoaderEnv&, Path p) { return datagen::WriteObjectFile(p, gcDoUIFocus(kWidget)); },
                    TypeOf<gcDoUIFocus>});
    rows.push_back({"gcDoUIShow v1", {"WriteObjectFile"},
                    [](LoaderEnv&, Path p) { return datagen::WriteObjectFile(p, gcDoUIShow(kWidget, false)); },
                    TypeOf<gcDoUIShow>});
    rows.push_back({"gcDoUIListScroll v1", {"WriteObjectFile"},
                    [](LoaderEnv&, Path p) { return datagen::WriteObjectFile(p, gcDoUIListScroll(kWidget, 1)); },
                    TypeOf<gcDoUIListScroll>});
    rows.push_back({"gcDoUISetFont v1", {"WriteObjectFile"},
                    [](LoaderEnv&, Path p) {
                        return datagen::WriteObjectFile(p, gcDoUISetFont(kWidget, eFontHandle(0x00020001)));
                    },
                    TypeOf<gcDoUISetFont>});
    rows.push_back({"gcDoUISetText v1", {"WriteObjectFile"},
                    [](LoaderEnv&, Path p) {
                        return datagen::WriteObjectFile(p, gcDoUISetText(kWidget, gcStringHandle(0x00300010)));
                    },
                    TypeOf<gcDoUISetText>});
    rows.push_back({"gcDoUISetSprite v2", {"WriteObjectFile"},
                    [](LoaderEnv&, Path p) {
                        return datagen::WriteObjectFile(p, gcDoUISetSprite(kWidget, 3, eSpriteHandle(0x00500020)));
                    },
                    TypeOf<gcDoUISetSprite>});
    rows.push_back({"gcDoUISetItem v2", {"WriteObjectFile"},
                    [=](LoaderEnv&, Path p) { return datagen::WriteObjectFile(p, gcDoUISetItem(kWidget, item)); },
                    TypeOf<gcDoUISetItem>});
    rows.push_back({"gcDoUIItemListSelect v2", {"WriteObjectFile"},
                    [=](LoaderEnv&, Path p) {
                        return datagen::WriteObjectFile(p, gcDoUIItemListSelect(kWidget, item));
                    },
                    TypeOf<gcDoUIItemListSelect>});
    const auto v1Item = [](datagen::BlockWriter& w) { w.Int(0x00120003).Int(0x0501).Int(0x00080002); };
    rows.push_back({"gcDoUISetItem v1", {"ActionBlock"}, ActionFields<gcDoUISetItem>(1, v1Item),
                    TypeOf<gcDoUISetItem>, nullptr, false});
    rows.push_back({"gcDoUIItemListSelect v1", {"ActionBlock"}, ActionFields<gcDoUIItemListSelect>(1, v1Item),
                    TypeOf<gcDoUIItemListSelect>, nullptr, false});
}

void AddValueRows(std::vector<LoaderRow>& rows)
{
    rows.push_back({"gcValUIChecked v1", {"WriteValueFile"},
                    [](LoaderEnv&, Path p) { return datagen::WriteValueFile(p, gcValUIChecked(kWidget)); },
                    TypeOf<gcValUIChecked>});
    rows.push_back({"gcValUIEnabled v1", {"WriteValueFile"},
                    [](LoaderEnv&, Path p) { return datagen::WriteValueFile(p, gcValUIEnabled(kWidget)); },
                    TypeOf<gcValUIEnabled>});
    rows.push_back({"gcValUIVisible v1", {"WriteValueFile"},
                    [](LoaderEnv&, Path p) { return datagen::WriteValueFile(p, gcValUIVisible(kWidget)); },
                    TypeOf<gcValUIVisible>});
    rows.push_back({"gcValUIOpacity v1", {"WriteValueFile"},
                    [](LoaderEnv&, Path p) { return datagen::WriteValueFile(p, gcValUIOpacity(kWidget)); },
                    TypeOf<gcValUIOpacity>});
    rows.push_back({"gcValUIPosition v1", {"WriteValueFile"},
                    [](LoaderEnv&, Path p) { return datagen::WriteValueFile(p, gcValUIPosition(kWidget, 0)); },
                    TypeOf<gcValUIPosition>});
    rows.push_back({"gcValUISize v2", {"WriteValueFile"},
                    [](LoaderEnv&, Path p) {
                        return datagen::WriteValueFile(p, gcValUISize(kWidget, 0, true, 0.7f));
                    },
                    TypeOf<gcValUISize>});
    rows.push_back({"gcValUISize v1", {"ValueBlock"},
                    ValueFields<gcValUISize>(1, [](datagen::BlockWriter& w) { w.Int(0x00120003).Int(0x0501); }),
                    TypeOf<gcValUISize>, nullptr, false});
    rows.push_back({"gcValUITexCoord v1", {"WriteValueFile"},
                    [](LoaderEnv&, Path p) { return datagen::WriteValueFile(p, gcValUITexCoord(kWidget, 1, 3)); },
                    TypeOf<gcValUITexCoord>});
    rows.push_back({"gcValUITextParam v2", {"WriteValueFile"},
                    [](LoaderEnv&, Path p) { return datagen::WriteValueFile(p, gcValUITextParam(kWidget, 2)); },
                    TypeOf<gcValUITextParam>});
    rows.push_back({"gcValUIDialogVar v2", {"WriteValueFile"},
                    [](LoaderEnv&, Path p) {
                        return datagen::WriteValueFile(p, gcValUIDialogVar(1, gcUIDialogHandle(0x00120003)));
                    },
                    TypeOf<gcValUIDialogVar>});
    rows.push_back({"gcValUIDialogVar v1", {"ValueBlock"},
                    ValueFields<gcValUIDialogVar>(1, [](datagen::BlockWriter& w) { w.Int(0x00120003); }),
                    TypeOf<gcValUIDialogVar>, nullptr, false});
}

}  // namespace

void AddInterfaceScriptRows(std::vector<LoaderRow>& rows)
{
    AddShowDialogRows(rows);
    AddControlActionRows(rows);
    AddValueRows(rows);
}
