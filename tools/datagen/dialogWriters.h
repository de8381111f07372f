#pragma once
// Writers for the interface's dialogs: dialog groups through the engine's
// own Write code, hand-laid dialog and dialog-group blocks of the versions
// the engine only reads, and a builder of a dialog with a grid of controls.
// Offline tools and test fixtures; main thread.

#include <cstdint>
#include <string>
#include <vector>

#include "datagen/blockWriter.h"
#include "datagen/entityWriters.h"

class cMemPool;
class gcUIControl;
class gcUIDialog;

namespace datagen {

// One record of a dialog group (null: an empty record).
struct DialogRecord {
    gcUIDialog* pDialog;
    uint16_t check;
};
// A dialog group over beginSlot .. as a console data file; the manager's
// slots get their old contents back. False (logged) for a range outside the
// 300 slots or a failed write.
bool WriteDialogGroupFile(const std::string& path, int beginSlot, const std::vector<DialogRecord>& records);

// A dialog block's fields for the hand-laid versions 6 to 11. Its root group
// is an empty grid of rows x columns. Counts are written as given.
struct DialogDesc {
    std::string name = "dialog";
    uint32_t flags = 0x2;
    int32_t controlCount = 0;
    uint32_t initiallyFocused = 0;
    int32_t rows = 1, cols = 1;
    int32_t cellsCut = 0;              // cells left out of the root group (a damaged file)
    std::vector<uint32_t> controls;    // the handles of a control a cell, from the first; the rest empty
    int32_t layout = 0;                // version 7 on
    std::vector<uint32_t> sprites;     // handles; version 6 writes as many sprite objects
    int32_t origin = 5;
    float offset[2] = {0.0f, 0.0f};
    float fixedSize[2] = {320.0f, 240.0f};
    uint32_t hBackdropMaterial = 0;
    float backdropOpacity = 0.5f;
    // Event indices: 0 OnShown, 1 OnHidden, 2 OnConfirm, 3 OnBack, 4 OnUpdateUI,
    // 5 OnUpdate (version 9 on), 6 OnInitialUpdate (11), 7 OnFocused,
    // 8 OnUnFocused, 9 OnFocusChanged (version 10 on).
    EventActionsFunc actions;
    int refusedEvent = -1;  // that event's block takes a version no reader knows
};
BlockWriter& DialogBlock(BlockWriter& w, const DialogDesc& d, uint32_t version);
// A dialog group block of version 1 (32-bit checks) or 2 (16-bit checks)
// over [begin, end); each record a check (0: empty) and a dialog of the
// given block version as a polymorphic member.
struct DialogGroupRecord {
    DialogDesc dialog;
    uint16_t check;
};
BlockWriter& DialogGroupBlock(BlockWriter& w, uint32_t version, int32_t begin, int32_t end,
                              const std::vector<DialogGroupRecord>& records, uint32_t dialogVersion);

// A dialog in the pool whose root group is a grid of rows x columns of
// controls, linked as neighbours with wrapping; each control of size
// cellSize shows the enabled and focused sprites and the text given (0:
// none) in the font, or the cell's own text from texts (row by row) where
// given; in textColor, in textColorHi while focused. The first control is
// the initially focused one. Null (logged) when the pool is full.
struct GridDialogDesc {
    std::string name = "Grid";
    int rows = 2, cols = 3;
    float cellSize[2] = {96.0f, 64.0f};
    uint32_t hFont = 0;
    uint32_t hText = 0;
    std::vector<uint32_t> texts;
    uint32_t textColor = 0xFFFFFFFF;
    uint32_t textColorHi = 0xFFFFFF00;
    uint32_t hEnabledSprite = 0;
    uint32_t hFocusedSprite = 0;
    uint32_t flags = 0x2;
};
gcUIDialog* NewGridDialog(cMemPool* pPool, const GridDialogDesc& d);
// Gives a control a grid cell's look and the text hText: focusable, sized,
// d's font, colours and sprites.
void StyleGridCell(gcUIControl* pControl, const GridDialogDesc& d, uint32_t hText);

// A short message: a dialog of one control showing the text of d (d's
// size, font, colour and enabled sprite) that neither pauses the game nor
// takes the focus, and that fades out over fSeconds as soon as it is shown,
// then closes. hSelf is the handle the dialog will have. Null (logged) when
// the pool is full.
gcUIDialog* NewMessageDialog(cMemPool* pPool, GridDialogDesc d, uint32_t hSelf, float fSeconds);

}  // namespace datagen
