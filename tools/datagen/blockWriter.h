#pragma once
// Writers for files in the block format. WriteObjectFile saves a typed
// object through the engine's own cWriteBlock, as the console's files are
// stored. BlockWriter builds a file by hand, word by word, for fixtures the
// engine's writers cannot produce: other versions, damaged headers, wrong end
// offsets, truncations. Plain values; any thread.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class cBase;
class cFile;

namespace datagen {

// Saves the object as a console data file at a host path. False (logged)
// when the file cannot be written.
bool WriteObjectFile(const std::string& path, const cBase& object);

// Saves the object's block alone, without the type id of an object file, as
// the game-flow files and music tracks hold it. False (logged) when the file
// cannot be written.
bool WriteBodyFile(const std::string& path, const cBase& object);

// A console data file whose blocks the engine's own writers lay in it, for
// what is written without being an object. False (logged) when the file
// cannot be written.
bool WriteBlocksWith(const std::string& path, const std::function<void(const cFile&)>& write);

// Bytes big-endian, as the console stores them.
class BlockWriter {
public:
    // Magic and platform id; the defaults are those of a console file.
    BlockWriter& Header(uint32_t magic = 0xFBBFFBBF, int32_t platformId = 1);
    BlockWriter& Trailer();

    // Starts a block at the next multiple of 4 with a placeholder end offset.
    BlockWriter& Begin(uint32_t version);
    // Zero gap to the next multiple of 4, fills in the innermost open block's
    // end offset (or endOffset when given) and writes the end marker.
    BlockWriter& End();
    BlockWriter& EndAt(uint32_t endOffset);

    BlockWriter& Word(uint32_t value);
    BlockWriter& Int(int32_t value) { return Word(static_cast<uint32_t>(value)); }
    BlockWriter& Float(float value);
    BlockWriter& Half(uint16_t value);
    BlockWriter& Byte(uint8_t value);
    BlockWriter& Bytes(const void* data, size_t count);
    // A name as stored: the word 20, 20 text bytes, length and checksum as
    // given (so damaged names can be written too).
    BlockWriter& Name(const char* text, int16_t length, uint16_t crc);
    // A name as the engine stores it, checksum computed.
    BlockWriter& Name(const char* text);

    size_t Size() const { return m_bytes.size(); }
    const std::vector<uint8_t>& GetBytes() const { return m_bytes; }
    // The first count bytes, for truncated files.
    std::vector<uint8_t> Prefix(size_t count) const;
    bool Save(const std::string& path) const;

private:
    void Align();

    std::vector<uint8_t> m_bytes;
    std::vector<size_t> m_openBlocks;  // positions of their end-offset words
};

// Writes bytes to a host file. False when it cannot.
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// The block of an object written by the engine's own Write, laid in w at
// its current position: the engine writes a scratch file whose bytes up to
// here are w's, so the absolute end offsets of its blocks come out right.
// False (logged) when the scratch file cannot be written.
bool LayEngineObject(BlockWriter& w, const cBase& object, const std::string& scratch);

}  // namespace datagen
