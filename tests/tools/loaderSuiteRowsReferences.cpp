// Loader-suite rows of damaged files: a reference that leads nowhere, or a
// float that is not finite, where the file holds a measure. Each is the
// undamaged row of its class (dialog groups, maps) written with one thing
// changed, and its load is refused with one error naming the file and the
// record.
#include <cmath>
#include <string>
#include <vector>

#include "datagen/dialogWriters.h"
#include "datagen/mapWriters.h"
#include "datagen/slotLease.h"
#include "gcGameCore/actions/gcDoUIShow.h"
#include "gcGameCore/entities/gcDevice.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/interface/gcUIWidget.h"
#include "gcGameCore/script/gcDesiredWidget.h"
#include "loaderSuite.h"

namespace {

using Path = const std::string&;

constexpr int kDialogSlot = 30;
constexpr uint16_t kDialogCheck = 0x0A0A;
const char* const kDialogRecord0 = "\"/load.dat\": gcUIDialogGroup: record 0 (slot 30): ";
const char* const kDialogRecord2 = "\"/load.dat\": gcUIDialogGroup: record 2 (slot 32): ";
const char* const kMapFile = "cFile: \"/Game/Act01/Map01/Map01.map\": ";

const LoaderRow& Find(const std::vector<LoaderRow>& rows, const std::string& name)
{
    for (const LoaderRow& row : rows)
        if (row.name == name)
            return row;
    std::abort();  // the undamaged row is in the table, or the table is wrong
}

// The undamaged row's class, slots and load, with a damaged sample.
LoaderRow Damaged(const LoaderRow& like, const std::string& what,
                  std::function<bool(LoaderEnv&, const std::string&)> write, std::vector<std::string> refused)
{
    LoaderRow row = like;
    row.name = like.name + ", " + what;
    row.write = std::move(write);
    row.refusal = std::move(refused);
    return row;
}

gcDesiredWidget Binding(int slot, uint16_t check, uint32_t hControl)
{
    gcDesiredWidget w;
    w.hDialog = gcUIDialogHandle::Make(slot, check);
    w.hControl = hControl;
    return w;
}

// Two grid dialogs in slots 30 and 32, damaged by damage (given the first,
// the second and the pool) before they are written.
std::function<bool(LoaderEnv&, Path)> DialogPair(std::function<void(gcUIDialog&, gcUIDialog&, cMemPool&)> damage)
{
    return [damage](LoaderEnv& env, Path p) {
        datagen::GridDialogDesc grid;
        gcUIDialog* a = datagen::NewGridDialog(&env.m_build, grid);
        grid.name = "Small", grid.rows = 1;
        gcUIDialog* b = datagen::NewGridDialog(&env.m_build, grid);
        if (!a || !b)
            return false;
        damage(*a, *b, env.m_build);
        return datagen::WriteDialogGroupFile(p, kDialogSlot, {{a, kDialogCheck}, {nullptr, 0}, {b, 0x0B0B}});
    };
}

// A map whose entity group holds one lever of the template handle.
std::function<bool(LoaderEnv&, Path)> MapWithLever(const datagen::MapDesc& map, uint32_t hTemplate)
{
    return [map, hTemplate](LoaderEnv& env, Path p) {
        constexpr int kSlot = 40;
        datagen::SlotLease<gcEntityMgr, gcEntity> lease(kSlot, 1);
        gcDevice* pLever = env.m_build.New<gcDevice>();
        if (!pLever)
            return false;
        pLever->m_name.Set("Lever");
        pLever->m_hTemplate = gcEntityTemplateHandle(hTemplate);
        lease.Place(0, pLever, 0x0C0C);
        // The map written deletes its placed entities as it goes, the lever
        // among them.
        return datagen::WriteMapFile(p, map, &env.m_build, [](gcMap& m) {
            m.m_entities.m_nBegin = kSlot, m.m_entities.m_nEnd = kSlot + 1;
        });
    };
}

// The grid's first control, the one it focuses first.
gcUIWidget& First(gcUIDialog& d)
{
    return *d.GetControl(d.m_hInitiallyFocusedControl);
}

void AddDialogReferenceRows(std::vector<LoaderRow>& rows)
{
    const LoaderRow dialogs = Find(rows, "gcUIDialogGroup v2, gcUIDialog v11");  // a copy: rows grows
    rows.push_back(Damaged(dialogs, "a control's handle 0",
                           DialogPair([](gcUIDialog& a, gcUIDialog&, cMemPool&) { First(a).m_hWidgetHandle = 0; }),
                           {kDialogRecord0, "gcUIDialog \"Grid\": control ", " has handle 0, which no table gives"}));
    rows.push_back(Damaged(dialogs, "a control's handle of magic 0xFFFFFF",
                           DialogPair([](gcUIDialog& a, gcUIDialog&, cMemPool&) {
                               First(a).m_hWidgetHandle |= gcUIDialog::kMagicWrap << gcUIDialog::kMagicShift;
                           }),
                           {kDialogRecord0, " has handle 0xffffff00, which no table gives"}));
    rows.push_back(Damaged(dialogs, "a first focus naming no control",
                           DialogPair([](gcUIDialog& a, gcUIDialog&, cMemPool&) { a.m_hInitiallyFocusedControl = 0x7700; }),
                           {kDialogRecord0, "gcUIDialog \"Grid\": its first focus names control 0x7700, which it does not hold"}));
    rows.push_back(Damaged(dialogs, "a neighbour naming no control",
                           DialogPair([](gcUIDialog& a, gcUIDialog&, cMemPool&) {
                               First(a).SetNeighbor(gcUIWidget::NEIGHBOR_DOWN, 0x7701);
                           }),
                           {kDialogRecord0, "its Down neighbour names control 0x7701, which the dialog does not hold"}));
    // A binding to the dialog being read is asked once its table is placed;
    // one to a dialog read before, at once.
    rows.push_back(Damaged(dialogs, "a control's binding naming no control of its dialog",
                           DialogPair([](gcUIDialog& a, gcUIDialog&, cMemPool& pool) {
                               First(a).onConfirm.pAction =
                                   pool.New<gcDoUIShow>(Binding(kDialogSlot, kDialogCheck, 0x7702), true);
                           }),
                           {kDialogRecord0, "gcUIDialog \"Grid\": a binding names control 0x7702, which the dialog "
                                            "does not hold"}));
    rows.push_back(Damaged(dialogs, "a binding naming no control of a dialog read before",
                           DialogPair([](gcUIDialog&, gcUIDialog& b, cMemPool& pool) {
                               b.onShown.pAction = pool.New<gcDoUIShow>(Binding(kDialogSlot, kDialogCheck, 0x7703), true);
                           }),
                           {kDialogRecord2, "a binding names control 0x7703 of gcUIDialog \"Grid\", which holds no "
                                            "such control"}));
    rows.push_back(Damaged(dialogs, "a size that is not a number",
                           DialogPair([](gcUIDialog& a, gcUIDialog&, cMemPool&) { a.m_fixedSize.x = std::nanf(""); }),
                           {kDialogRecord0, "a float that is not finite (0x7fc00000)"}));
}

void AddMapReferenceRows(std::vector<LoaderRow>& rows)
{
    const LoaderRow maps = Find(rows, "gcMap v27");  // a copy: rows grows
    const auto mapRow = [&](const char* what, const std::function<void(datagen::MapDesc&)>& change, uint32_t hTemplate,
                            const char* sRefused) {
        datagen::MapDesc map;
        map.regionNames = {"West"};
        change(map);
        std::function<bool(LoaderEnv&, Path)> write = [map](LoaderEnv& env, Path p) {
            return datagen::WriteMapFile(p, map, &env.m_build);
        };
        if (hTemplate)
            write = MapWithLever(map, hTemplate);
        rows.push_back(Damaged(maps, what, write, {kMapFile, sRefused}));
    };
    mapRow("a music id past the game's", [](datagen::MapDesc& m) { m.tracks = {2, 48}; }, 0,
           "gcMap: map track 1 names music 48: ids are 0 to 47 (-1 for none)");
    mapRow("a music id below -1", [](datagen::MapDesc& m) { m.tracks = {-2}; }, 0,
           "gcMap: map track 0 names music -2");
    mapRow("an initial region past the 32", [](datagen::MapDesc& m) { m.initialRegion = 32; }, 0,
           "gcMap: initial region 33 outside 1..32");
    mapRow("a player configuration past the 8", [](datagen::MapDesc& m) { m.playerConfig = 8; }, 0,
           "gcMap: player configuration 9 outside 1..8");
    mapRow("an entity whose template does not resolve", [](datagen::MapDesc&) {}, 0x01290029,
           "gcEntityGroup: record 0 (slot 40): gcEntity \"Lever\": its template 0x1290029 does not resolve");
    mapRow("a far clip that is infinite", [](datagen::MapDesc& m) { m.farClip = INFINITY; }, 0,
           "a float that is not finite (0x7f800000)");
}

}  // namespace

void AddReferenceRows(std::vector<LoaderRow>& rows)
{
    AddDialogReferenceRows(rows);
    AddMapReferenceRows(rows);
}
