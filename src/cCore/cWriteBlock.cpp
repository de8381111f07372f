#include "cCore/cWriteBlock.h"

#include <cstring>

#include "platform/ps.h"
#include "cCore/cBase.h"
#include "cCore/cFile.h"

static uint32_t AlignUp4(uint32_t pos) { return (pos + 3u) & ~3u; }

cWriteBlock::cWriteBlock(const cFile& file, uint32_t version) : m_file(file)
{
    file.SetCurrentPos(AlignUp4(file.GetCurrentPos()));
    file.WriteWord(cFile::kBlockStart);
    m_nBeginOffset = file.GetCurrentPos();
    file.WriteWord(0);  // end offset, filled in by End
    file.WriteWord(version);
}

cWriteBlock::~cWriteBlock()
{
    End();
}

void cWriteBlock::End()
{
    if (m_bEnded)
        return;
    m_bEnded = true;
    // The gap bytes are not written: the position moves over them.
    const uint32_t endPos = AlignUp4(m_file.GetCurrentPos());
    m_file.SetCurrentPos(m_nBeginOffset);
    m_file.WriteWord(endPos);
    m_file.SetCurrentPos(endPos);
    m_file.WriteWord(cFile::kBlockEnd);
}

void cWriteBlock::WriteInt(int32_t value) const { m_file.WriteWord(static_cast<uint32_t>(value)); }
void cWriteBlock::WriteInt(uint32_t value) const { m_file.WriteWord(value); }
void cWriteBlock::WriteBool(bool value) const { m_file.WriteWord(value ? 1u : 0u); }
void cWriteBlock::WriteShort(int16_t value) const { m_file.WriteHalf(static_cast<uint16_t>(value)); }
void cWriteBlock::WriteShort(uint16_t value) const { m_file.WriteHalf(value); }
void cWriteBlock::WriteChar(int8_t value) const { m_file.Write(&value, 1); }
void cWriteBlock::WriteChar(uint8_t value) const { m_file.Write(&value, 1); }

void cWriteBlock::WriteFloat(float value) const
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    m_file.WriteWord(bits);
}

// Whole arrays at once when not swapping, element by element otherwise.
template <class T>
static void WriteArray(const cFile& file, const T* src, int count)
{
    if (count <= 0)
        return;
    if (!file.m_bSwapEndianess) {
        file.Write(src, static_cast<uint32_t>(count) * sizeof(T));
        return;
    }
    for (int i = 0; i < count; ++i) {
        if constexpr (sizeof(T) == 4) {
            uint32_t bits;
            std::memcpy(&bits, &src[i], 4);
            file.WriteWord(bits);
        } else {
            uint16_t bits;
            std::memcpy(&bits, &src[i], 2);
            file.WriteHalf(bits);
        }
    }
}

void cWriteBlock::WriteInts(const int32_t* src, int count) const { WriteArray(m_file, src, count); }
void cWriteBlock::WriteInts(const uint32_t* src, int count) const { WriteArray(m_file, src, count); }
void cWriteBlock::WriteFloats(const float* src, int count) const { WriteArray(m_file, src, count); }
void cWriteBlock::WriteShorts(const int16_t* src, int count) const { WriteArray(m_file, src, count); }
void cWriteBlock::WriteShorts(const uint16_t* src, int count) const { WriteArray(m_file, src, count); }

void cWriteBlock::WriteChars(const void* src, int count) const
{
    if (count > 0)
        m_file.Write(src, static_cast<uint32_t>(count));
}

void cWriteBlock::WriteBase(const cBase* pObject) const
{
    WriteInt(pObject ? static_cast<int32_t>(pObject->GetType()->m_nTypeId) : -1);
    if (pObject)
        pObject->Write(m_file);
}
