#include "datagen/recordDamage.h"

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <iterator>

#include "datagen/blockWriter.h"

namespace datagen {

namespace {

constexpr size_t kNone = std::string::npos;
constexpr uint32_t kStart = 0xBBBBBBBB;
constexpr uint32_t kEnd = 0xBEBEBEBE;
constexpr uint32_t kRefusedVersion = 0;  // below every reader's first version
constexpr uint32_t kGameConfigTypeId = 100;
constexpr uint32_t kUnknownTypeId = 0x7777;
constexpr uint32_t kGroupVersion = 2;
constexpr uint32_t kEventVersion = 3;
constexpr uint32_t kNoAction = 0xFFFFFFFF;  // an empty action list's first word
// From an event block's version word to its first action's type id: past
// the version, its empty name block (16).
constexpr size_t kEventFirstAction = 20;
constexpr uint32_t kLastTypeId = 299;
constexpr size_t kFirstInnerBlock = 12;  // past the file header and the outermost block's start
// Group header (12), empty base block (16), begin and end (8).
constexpr size_t kGroupHead = 36;
constexpr size_t kGroupBegin = 28;  // the range's first word in the group
constexpr size_t kGroupEnd = 32;

uint32_t WordAt(const std::vector<uint8_t>& b, size_t i)
{
    return (uint32_t(b[i]) << 24) | (uint32_t(b[i + 1]) << 16) | (uint32_t(b[i + 2]) << 8) | b[i + 3];
}

// Whether the file holds the word at i.
bool HasWord(const std::vector<uint8_t>& b, size_t i, uint32_t word)
{
    return i + 4 <= b.size() && WordAt(b, i) == word;
}

size_t AlignUp(size_t i)
{
    return (i + 3) & ~size_t{3};
}

// Whether a whole block header (start, end offset, version) starts at i.
bool BlockAt(const std::vector<uint8_t>& b, size_t i)
{
    return i + 12 <= b.size() && WordAt(b, i) == kStart;
}

// Whether an empty block of version 1 (a base part or name holding
// nothing) starts at i.
bool EmptyBlockAt(const std::vector<uint8_t>& b, size_t i)
{
    return BlockAt(b, i) && WordAt(b, i + 8) == 1 && HasWord(b, i + 12, kEnd);
}

// The offset of the first group block (version 2, an empty base block) at
// or after from.
size_t GroupAt(const std::vector<uint8_t>& b, size_t from)
{
    for (size_t i = AlignUp(from); i + kGroupHead <= b.size(); i += 4)
        if (BlockAt(b, i) && WordAt(b, i + 8) == kGroupVersion && EmptyBlockAt(b, i + 12))
            return i;
    return kNone;
}

// The offset of the first group whose range holds a slot.
size_t GroupWithSlots(const std::vector<uint8_t>& b)
{
    for (size_t g = GroupAt(b, 0); g != kNone; g = GroupAt(b, g + 4))
        if (static_cast<int32_t>(WordAt(b, g + kGroupBegin)) < static_cast<int32_t>(WordAt(b, g + kGroupEnd)))
            return g;
    return kNone;
}

// The offset of the type id of the group's first record when it is in use:
// its check (2) is not 0, and the type id is followed by the record's block
// on the next multiple of four.
size_t RecordIdIn(const std::vector<uint8_t>& b, size_t group)
{
    const size_t check = group + kGroupHead;
    const size_t id = check + 2;
    if (!BlockAt(b, AlignUp(id + 4)) || (b[check] | b[check + 1]) == 0)
        return kNone;
    const uint32_t type = WordAt(b, id);
    return type == 0 || type > kLastTypeId ? kNone : id;
}

// The offset of the first record's type id in the first group that holds
// one in use.
size_t FirstGroupRecordId(const std::vector<uint8_t>& b)
{
    for (size_t g = GroupAt(b, 0); g != kNone; g = GroupAt(b, g + 4)) {
        const size_t id = RecordIdIn(b, g);
        if (id != kNone)
            return id;
    }
    return kNone;
}

// The offset of the version of the record block that follows the type id
// at id.
size_t RecordVersion(size_t id)
{
    return AlignUp(id + 4) + 8;
}

// The offset of the type id of the first record of the type at or after
// from whose block has the version (0: any).
size_t RecordIdAt(const std::vector<uint8_t>& b, uint32_t nType, uint32_t nVersion, size_t from)
{
    for (size_t i = from; i + 4 <= b.size(); ++i) {
        const size_t block = AlignUp(i + 4);
        if (WordAt(b, i) == nType && BlockAt(b, block) && (nVersion == 0 || WordAt(b, block + 8) == nVersion))
            return i;
    }
    return kNone;
}

// The offset of the version of the first inner block whose version is
// nVersion.
size_t BlockVersionAt(const std::vector<uint8_t>& b, uint32_t nVersion)
{
    for (size_t i = kFirstInnerBlock; i + 12 <= b.size(); i += 4)
        if (BlockAt(b, i) && WordAt(b, i + 8) == nVersion)
            return i + 8;
    return kNone;
}

// The offset of the version of the first event block at or after from that
// holds an action: its (empty) name block is followed by an action's type
// id where an empty event's list ends at once. The action's own block,
// which looks alike, comes after.
size_t EventWithActionsAt(const std::vector<uint8_t>& b, size_t from)
{
    for (size_t i = AlignUp(from); i + 32 <= b.size(); i += 4)
        if (BlockAt(b, i) && WordAt(b, i + 8) == kEventVersion && EmptyBlockAt(b, i + 12) &&
            WordAt(b, i + 28) != kNoAction)
            return i + 8;
    return kNone;
}

// The offset of the text at or after from.
size_t TextAt(const std::vector<uint8_t>& b, const std::string& text, size_t from)
{
    const auto at = std::search(b.begin() + static_cast<std::ptrdiff_t>(std::min(from, b.size())), b.end(),
                                text.begin(), text.end());
    return at == b.end() ? kNone : static_cast<size_t>(at - b.begin());
}

constexpr uint32_t kDialogTypeId = 152;
constexpr int kMaxWidgetDepth = 8;  // class blocks around a widget's own
constexpr uint32_t kCellEnd = 0xFFFFFFFF;
constexpr uint32_t kSlotMask = 0xFF;
constexpr size_t kNameSize = 20;
constexpr size_t kNameAt = 32;  // in an object block: header (12), empty base block (16), the size word

// The offset just past the end marker of the block at i, or kNone.
size_t PastBlock(const std::vector<uint8_t>& b, size_t i)
{
    if (!BlockAt(b, i))
        return kNone;
    const size_t end = WordAt(b, i + 4);
    return end > i && end + 4 <= b.size() ? end + 4 : kNone;
}

// Whether the object block at i holds the name.
bool NamedAt(const std::vector<uint8_t>& b, size_t i, const std::string& name)
{
    if (name.size() >= kNameSize || !BlockAt(b, i) || i + kNameAt + kNameSize > b.size())
        return false;
    std::string stored(b.begin() + static_cast<std::ptrdiff_t>(i + kNameAt),
                       b.begin() + static_cast<std::ptrdiff_t>(i + kNameAt + kNameSize));
    return stored == name + std::string(kNameSize - name.size(), '\0');
}

// The offset of the dialog block (past its type id) whose object part holds
// the name.
size_t DialogNamed(const std::vector<uint8_t>& b, const std::string& name)
{
    for (size_t i = RecordIdAt(b, kDialogTypeId, 0, 0); i != kNone; i = RecordIdAt(b, kDialogTypeId, 0, i + 1))
        if (NamedAt(b, AlignUp(i + 4) + 12, name))
            return AlignUp(i + 4);
    return kNone;
}

// The offset of the stored handle of the widget whose class block is at
// block: a derived class's block opens with its base class's, down to the
// widget's own, which opens with its object block (version 1, an empty base
// block first).
size_t WidgetHandleAt(const std::vector<uint8_t>& b, size_t block)
{
    for (int depth = 0; depth < kMaxWidgetDepth && BlockAt(b, block + 12); ++depth, block += 12)
        if (WordAt(b, block + 20) == 1 && EmptyBlockAt(b, block + 24))
            return PastBlock(b, block + 12);
    return kNone;
}

// The offsets of the stored handles of the root group's (at group) widgets
// in cell order; a nested group's own widgets are not walked.
std::vector<size_t> ControlHandles(const std::vector<uint8_t>& b, size_t group)
{
    std::vector<size_t> handles;
    size_t at = BlockAt(b, group) ? PastBlock(b, group + 12) : kNone;  // past the root's own widget block
    if (at == kNone || at + 8 > b.size())
        return handles;
    const uint64_t nCells = uint64_t{WordAt(b, at)} * WordAt(b, at + 4);
    at += 8;
    for (uint64_t cell = 0; cell < nCells && at + 4 <= b.size(); ++cell) {
        while (at + 8 <= b.size() && WordAt(b, at) != kCellEnd) {
            const size_t widget = at + 4;
            const size_t handle = WidgetHandleAt(b, widget);
            at = PastBlock(b, widget);
            if (handle == kNone || at == kNone)
                return handles;
            handles.push_back(handle);
        }
        at += 4;
    }
    return handles;
}

// The word at the offset replaced and the file written; false (the file as
// it was) when the offset is kNone.
bool Overwrite(const std::string& path, std::vector<uint8_t>& b, size_t at, uint32_t word)
{
    if (at == kNone)
        return false;
    for (size_t k = 0; k < 4; ++k)
        b[at + k] = static_cast<uint8_t>(word >> (24 - 8 * k));
    return WriteBytes(path, b);
}

}  // namespace

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool DamageFirstGroupRecord(const std::string& path, RecordDamage how)
{
    std::vector<uint8_t> b = ReadBytes(path);
    if (how == RecordDamage::kGroup) {
        const size_t group = GroupAt(b, 0);
        return Overwrite(path, b, group == kNone ? kNone : group + 8, kRefusedVersion);
    }
    if (how == RecordDamage::kEndsEarly) {
        const size_t group = GroupWithSlots(b);
        return Overwrite(path, b, group == kNone ? kNone : group + kGroupEnd,
                         group == kNone ? 0 : WordAt(b, group + kGroupBegin));
    }
    const size_t id = FirstGroupRecordId(b);
    if (id == kNone)
        return false;
    if (how == RecordDamage::kOtherClass)
        return Overwrite(path, b, id, kGameConfigTypeId);
    if (how == RecordDamage::kUnknownClass)
        return Overwrite(path, b, id, kUnknownTypeId);
    return Overwrite(path, b, RecordVersion(id), kRefusedVersion);
}

bool DamageFirstMember(const std::string& path, const std::function<bool(uint32_t)>& isMember)
{
    std::vector<uint8_t> b = ReadBytes(path);
    for (size_t i = kFirstInnerBlock; i + 16 <= b.size(); i += 4)
        if (isMember(WordAt(b, i)) && BlockAt(b, i + 4))
            return Overwrite(path, b, i, kGameConfigTypeId);
    return false;
}

bool DamageFirstAction(const std::string& path, const std::function<bool(uint32_t)>& isAction)
{
    std::vector<uint8_t> b = ReadBytes(path);
    for (size_t v = EventWithActionsAt(b, 0); v != kNone; v = EventWithActionsAt(b, v + 4)) {
        const size_t id = v + kEventFirstAction;
        if (isAction(WordAt(b, id)) && BlockAt(b, id + 4))
            return Overwrite(path, b, id, kGameConfigTypeId);
    }
    return false;
}

bool SetWordAfterName(const std::string& path, const std::string& text, int occurrence, size_t nWord,
                      uint32_t value)
{
    std::vector<uint8_t> b = ReadBytes(path);
    size_t at = occurrence > 0 ? TextAt(b, text, 0) : kNone;
    for (int n = 1; n < occurrence && at != kNone; ++n)
        at = TextAt(b, text, at + 1);
    size_t end = at;
    while (end != kNone && end + 4 <= b.size() && !HasWord(b, AlignUp(end), kEnd))
        end = AlignUp(end) + 4;
    const size_t word = end == kNone ? kNone : AlignUp(end) + 4 * (1 + nWord);
    return Overwrite(path, b, word + 4 <= b.size() ? word : kNone, value);
}

bool RefuseFirstBlockOfVersion(const std::string& path, uint32_t nVersion)
{
    std::vector<uint8_t> b = ReadBytes(path);
    return Overwrite(path, b, BlockVersionAt(b, nVersion), kRefusedVersion);
}

bool RefuseRecord(const std::string& path, uint32_t nType, uint32_t nVersion)
{
    std::vector<uint8_t> b = ReadBytes(path);
    const size_t id = RecordIdAt(b, nType, nVersion, 0);
    return Overwrite(path, b, id == kNone ? kNone : RecordVersion(id), kRefusedVersion);
}

bool DamageDialogControls(const std::string& path, const std::string& dialog, ControlTableDamage how)
{
    std::vector<uint8_t> b = ReadBytes(path);
    const size_t block = DialogNamed(b, dialog);
    const size_t fields = block == kNone ? kNone : PastBlock(b, block + 12);  // flags, count, focus
    if (fields == kNone || fields + 12 > b.size())
        return false;
    if (how != ControlTableDamage::kSlotTwice)
        return Overwrite(path, b, fields + 4, how == ControlTableDamage::kNoRoom ? 0 : 257);
    const std::vector<size_t> handles = ControlHandles(b, fields + 12);
    if (handles.size() < 2)
        return false;
    const uint32_t first = WordAt(b, handles[0]);
    const uint32_t second = WordAt(b, handles[1]);
    return Overwrite(path, b, handles[1], (second & ~kSlotMask) | (first & kSlotMask));
}

bool BreakEventWithActions(const std::string& path, std::initializer_list<std::string> after)
{
    std::vector<uint8_t> b = ReadBytes(path);
    size_t from = 0;
    for (const std::string& text : after)
        if (from != kNone)
            from = TextAt(b, text, from);
    return Overwrite(path, b, from == kNone ? kNone : EventWithActionsAt(b, from), kRefusedVersion);
}

}  // namespace datagen
