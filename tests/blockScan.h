#pragma once
// Damages one record of a whole block-format file in place, for tests of
// what the game makes of it: a record's block, or an event block that holds
// an action, is given a version no reader takes. Words are big-endian, as
// the files are stored; a block starts on a multiple of four.

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "datagen/blockWriter.h"

namespace blockscan {

constexpr size_t npos = std::string::npos;
constexpr uint32_t kBlockStart = 0xBBBBBBBB;
constexpr uint32_t kBlockEnd = 0xBEBEBEBE;
constexpr uint32_t kEventVersion = 3;
constexpr uint32_t kNoAction = 0xFFFFFFFF;  // an empty action list's first word

inline std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline uint32_t WordAt(const std::vector<uint8_t>& b, size_t i)
{
    return (uint32_t(b[i]) << 24) | (uint32_t(b[i + 1]) << 16) | (uint32_t(b[i + 2]) << 8) | b[i + 3];
}

// The offset of the block version of the first record of the type at or
// after from: its type id, then at the next multiple of four the block's
// start, end offset and version. nVersion 0 takes any version.
inline size_t RecordVersionAt(const std::vector<uint8_t>& b, uint32_t nType, uint32_t nVersion, size_t from = 0)
{
    for (size_t i = from; i + 4 <= b.size(); ++i) {
        const size_t block = (i + 4 + 3) & ~size_t{3};
        if (block + 12 <= b.size() && WordAt(b, i) == nType && WordAt(b, block) == kBlockStart &&
            (nVersion == 0 || WordAt(b, block + 8) == nVersion))
            return block + 8;
    }
    return npos;
}

// The offset of the version of the first event block at or after from that
// holds an action: its (empty) name block is followed by an action's type
// id where an empty event's list ends at once. The action's own block,
// which looks alike, comes after.
inline size_t EventWithActionsAt(const std::vector<uint8_t>& b, size_t from = 0)
{
    for (size_t i = (from + 3) & ~size_t{3}; i + 32 <= b.size(); i += 4)
        if (WordAt(b, i) == kBlockStart && WordAt(b, i + 8) == kEventVersion && WordAt(b, i + 12) == kBlockStart &&
            WordAt(b, i + 20) == 1 && WordAt(b, i + 24) == kBlockEnd && WordAt(b, i + 28) != kNoAction)
            return i + 8;
    return npos;
}

// The offset of the text at or after from.
inline size_t TextAt(const std::vector<uint8_t>& b, const std::string& text, size_t from = 0)
{
    const auto at = std::search(b.begin() + static_cast<std::ptrdiff_t>(std::min(from, b.size())), b.end(),
                                text.begin(), text.end());
    return at == b.end() ? npos : static_cast<size_t>(at - b.begin());
}

// The version word at the offset made one no reader takes, and the file
// written; false (the file as it was) when the offset is npos.
inline bool RefuseVersionAt(const std::string& path, std::vector<uint8_t>& b, size_t at)
{
    if (at == npos)
        return false;
    std::fill_n(b.begin() + static_cast<std::ptrdiff_t>(at), 4, 0xFF);
    return datagen::WriteBytes(path, b);
}

// The first record of the type (of the block version; 0: any) refused.
inline bool RefuseRecord(const std::string& path, uint32_t nType, uint32_t nVersion = 0)
{
    std::vector<uint8_t> b = ReadFile(path);
    return RefuseVersionAt(path, b, RecordVersionAt(b, nType, nVersion));
}

// The first event block holding an action past each of the texts in turn
// refused (so the object holding the event refuses its block too).
inline bool BreakEventWithActions(const std::string& path, std::initializer_list<std::string> after = {})
{
    std::vector<uint8_t> b = ReadFile(path);
    size_t from = 0;
    for (const std::string& text : after)
        if (from != npos)
            from = TextAt(b, text, from);
    return RefuseVersionAt(path, b, from == npos ? npos : EventWithActionsAt(b, from));
}

}  // namespace blockscan
