#include "datagen/recordDamage.h"

#include <cstddef>
#include <fstream>
#include <iterator>
#include <vector>

#include "datagen/blockWriter.h"

namespace datagen {

namespace {

constexpr uint32_t kStart = 0xBBBBBBBB;
constexpr uint32_t kEnd = 0xBEBEBEBE;
constexpr uint32_t kGameConfigTypeId = 100;

uint32_t WordAt(const std::vector<uint8_t>& b, size_t i)
{
    return (uint32_t(b[i]) << 24) | (uint32_t(b[i + 1]) << 16) | (uint32_t(b[i + 2]) << 8) | b[i + 3];
}

void PutWord(std::vector<uint8_t>& b, size_t i, uint32_t v)
{
    for (int k = 0; k < 4; ++k)
        b[i + k] = static_cast<uint8_t>(v >> (24 - 8 * k));
}

// Whether a group block (version 2, an empty base block) starts at i.
bool GroupAt(const std::vector<uint8_t>& b, size_t i)
{
    return i + 12 + 16 + 8 <= b.size() && WordAt(b, i) == kStart && WordAt(b, i + 8) == 2 &&
           WordAt(b, i + 12) == kStart && WordAt(b, i + 20) == 1 && WordAt(b, i + 24) == kEnd;
}

// The offset of the first record's type id in a group block at i (its start
// marker), or 0 when no group with a first record in use starts there.
size_t FirstRecordAt(const std::vector<uint8_t>& b, size_t i)
{
    // Group header (12), empty base block (16), begin and end (8), check (2),
    // type id (4), then the record's block on the next multiple of four.
    if (i + 12 + 16 + 8 + 2 + 4 + 4 + 12 > b.size() || !GroupAt(b, i))
        return 0;
    const size_t check = i + 36;
    const size_t id = check + 2;
    const size_t block = (id + 4 + 3) & ~size_t{3};
    if ((b[check] | b[check + 1]) == 0 || WordAt(b, id) == 0 || WordAt(b, id) >= 300 || WordAt(b, block) != kStart)
        return 0;
    return id;
}

}  // namespace

bool DamageFirstGroupRecord(const std::string& path, RecordDamage how)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    in.close();
    for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        if (how == RecordDamage::kGroup) {
            if (!GroupAt(bytes, i))
                continue;
            PutWord(bytes, i + 8, 0);
            return WriteBytes(path, bytes);
        }
        const size_t id = FirstRecordAt(bytes, i);
        if (id == 0)
            continue;
        if (how == RecordDamage::kOtherClass)
            PutWord(bytes, id, kGameConfigTypeId);
        else
            PutWord(bytes, ((id + 4 + 3) & ~size_t{3}) + 8, 0);
        return WriteBytes(path, bytes);
    }
    return false;
}

bool RefuseFirstBlockOfVersion(const std::string& path, uint32_t nVersion)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    in.close();
    // The outermost block starts after the 8-byte file header.
    for (size_t i = 12; i + 12 <= bytes.size(); i += 4) {
        if (WordAt(bytes, i) == kStart && WordAt(bytes, i + 8) == nVersion) {
            PutWord(bytes, i + 8, 0);
            return WriteBytes(path, bytes);
        }
    }
    return false;
}

}  // namespace datagen
