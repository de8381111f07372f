#include "datagen/blockWriter.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "cCore/cBase.h"
#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cName.h"

namespace datagen {

bool WriteObjectFile(const std::string& path, const cBase& object)
{
    // The console's files are big-endian: this little-endian host swaps.
    if (object.Save(path.c_str(), 0, cFile::kPlatformConsole, true))
        return true;
    cLogError_("datagen: cannot write \"%s\"", path.c_str());
    return false;
}

bool WriteBodyFile(const std::string& path, const cBase& object)
{
    return WriteBlocksWith(path, [&](const cFile& file) { object.Write(file); });
}

bool WriteBlocksWith(const std::string& path, const std::function<void(const cFile&)>& write)
{
    cFile file;
    bool ok = file.Create(path.c_str(), 0, cFile::kPlatformConsole, true);
    if (ok)
        write(file);
    file.Close();
    ok = ok && !file.Failed();
    if (!ok)
        cLogError_("datagen: cannot write \"%s\"", path.c_str());
    return ok;
}

BlockWriter& BlockWriter::Header(uint32_t magic, int32_t platformId)
{
    return Word(magic).Int(platformId);
}

BlockWriter& BlockWriter::Trailer()
{
    return Word(cFile::kTrailer);
}

void BlockWriter::Align()
{
    while (m_bytes.size() % 4 != 0)
        m_bytes.push_back(0);
}

BlockWriter& BlockWriter::Begin(uint32_t version)
{
    Align();
    Word(cFile::kBlockStart);
    m_openBlocks.push_back(m_bytes.size());
    return Word(0).Word(version);
}

BlockWriter& BlockWriter::End()
{
    Align();
    return EndAt(static_cast<uint32_t>(m_bytes.size()));
}

BlockWriter& BlockWriter::EndAt(uint32_t endOffset)
{
    Align();
    if (!m_openBlocks.empty()) {
        const size_t at = m_openBlocks.back();
        m_openBlocks.pop_back();
        for (int i = 0; i < 4; ++i)
            m_bytes[at + i] = static_cast<uint8_t>(endOffset >> (24 - 8 * i));
    }
    return Word(cFile::kBlockEnd);
}

BlockWriter& BlockWriter::Word(uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        m_bytes.push_back(static_cast<uint8_t>(value >> shift));
    return *this;
}

BlockWriter& BlockWriter::Float(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return Word(bits);
}

BlockWriter& BlockWriter::Half(uint16_t value)
{
    m_bytes.push_back(static_cast<uint8_t>(value >> 8));
    m_bytes.push_back(static_cast<uint8_t>(value));
    return *this;
}

BlockWriter& BlockWriter::Byte(uint8_t value)
{
    m_bytes.push_back(value);
    return *this;
}

BlockWriter& BlockWriter::Bytes(const void* data, size_t count)
{
    const uint8_t* p = static_cast<const uint8_t*>(data);
    m_bytes.insert(m_bytes.end(), p, p + count);
    return *this;
}

BlockWriter& BlockWriter::Name(const char* text, int16_t length, uint16_t crc)
{
    // Raw bytes as given: a hand-made name may fill all 20 bytes unterminated.
    char data[cName::kSize] = {};
    std::memcpy(data, text, strnlen(text, sizeof(data)));
    Word(cName::kSize).Bytes(data, sizeof(data));
    return Half(static_cast<uint16_t>(length)).Half(crc);
}

BlockWriter& BlockWriter::Name(const char* text)
{
    cName name;
    name.Set("%s", text);
    return Name(name.m_sData, name.m_nLength, name.m_nCRC);
}

std::vector<uint8_t> BlockWriter::Prefix(size_t count) const
{
    return std::vector<uint8_t>(m_bytes.begin(), m_bytes.begin() + static_cast<std::ptrdiff_t>(count < m_bytes.size() ? count : m_bytes.size()));
}

bool BlockWriter::Save(const std::string& path) const
{
    return WriteBytes(path, m_bytes);
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        cLogError_("datagen: cannot create \"%s\"", path.c_str());
        return false;
    }
    const bool bOk = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return (std::fclose(f) == 0) && bOk;
}

bool LayEngineObject(BlockWriter& w, const cBase& object, const std::string& scratch)
{
    const std::vector<uint8_t>& before = w.GetBytes();
    cFile file;
    bool ok = before.size() >= 8 && file.Create(scratch.c_str(), 0, cFile::kPlatformConsole, true);
    if (ok) {
        file.Write(before.data() + 8, static_cast<uint32_t>(before.size() - 8));  // after the header
        object.Write(file);
    }
    file.Close();
    ok = ok && !file.Failed();
    std::ifstream in(scratch, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    std::error_code ec;
    std::filesystem::remove(scratch, ec);
    ok = ok && bytes.size() >= before.size() + 4;  // the object, then the trailer
    if (!ok) {
        cLogError_("datagen: the engine's block could not be written through \"%s\"", scratch.c_str());
        return false;
    }
    w.Bytes(bytes.data() + before.size(), bytes.size() - before.size() - 4);
    return true;
}

}  // namespace datagen
