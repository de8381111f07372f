#pragma once
// Writers for the interface's widget data: controls and widget groups
// through the engine's own Write code and, for the versions the engine only
// reads and for damaged counts, hand-laid. Offline tools and test fixtures;
// main thread.

#include <cstdint>
#include <string>
#include <vector>

#include "datagen/blockWriter.h"

class gcUIControl;
class gcUIWidget;
class gcUIWidgetGroup;

namespace datagen {

// A control (version 8) as a console data file.
bool WriteControlFile(const std::string& path, const gcUIControl& control);
// A widget group (version 1) with every widget of its cells as a console
// data file.
bool WriteWidgetGroupFile(const std::string& path, const gcUIWidgetGroup& group);

// The widget block at version 1 to 3 with the widget's fields, empty events
// and nNeighbors neighbour handles (entries past the fourth hold 0x99).
BlockWriter& WidgetBlock(BlockWriter& w, const gcUIWidget& widget, uint32_t version, int32_t nNeighbors = 4);
// The control block at version 5 to 8 around a widget block of
// widgetVersion, with nSprites sprite entries: handles from version 6 (past
// the fourth 0x99), null objects at version 5.
BlockWriter& ControlBlock(BlockWriter& w, const gcUIControl& control, uint32_t version, uint32_t widgetVersion,
                          int32_t nSprites = 4);
// A group block (version 1) of rows x cols cells as given (the counts are
// written as they are, the cells row-major, each control at version 8); a
// strayTypeId other than 0 puts an object of that type id with an empty
// block before the first cell's controls.
BlockWriter& WidgetGroupBlock(BlockWriter& w, const gcUIWidget& group, int32_t rows, int32_t cols,
                              const std::vector<std::vector<const gcUIControl*>>& cells, int32_t strayTypeId = 0);

}  // namespace datagen
