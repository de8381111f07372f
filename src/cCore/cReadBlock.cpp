#include "cCore/cReadBlock.h"

#include <cstring>

#include "platform/ps.h"
#include "cCore/cBase.h"
#include "cCore/cFile.h"
#include "cCore/cFilePlatform.h"
#include "cCore/cLog.h"
#include "cCore/cType.h"

static uint32_t AlignUp4(uint32_t pos) { return (pos + 3u) & ~3u; }

// The common case of a value read, without a copy: the bytes lie in the disc
// buffer, short of its end and of the read limit, and the file is sound.
// Null otherwise, and cFile::Read's checked path takes the read.
static inline const uint8_t* ValueBytes(const cFile& file, uint32_t count)
{
    cFilePlatform* p = file.m_pFile;
    if (!p || !file.m_bReadOnly || file.Failed() || p->TransferFailed())
        return nullptr;
    const uint32_t pos = p->GetPos();
    const uint32_t limit = file.GetReadLimit();
    if (pos > limit || count > limit - pos)
        return nullptr;
    return p->TakeInBuffer(count);
}

cReadBlock::cReadBlock(const cFile& file, uint32_t /*version*/)
    : m_file(file), m_nOuterLimit(file.GetReadLimit())
{
    if (file.EnterBlock() > cFile::kMaxBlockDepth)
        file.Fail("blocks nested deeper than %d", cFile::kMaxBlockDepth);
    file.SetCurrentPos(AlignUp4(file.GetCurrentPos()));
    const uint32_t start = file.GetCurrentPos();
    uint8_t header[kHeaderSize];
    if (!file.Read(header, sizeof(header)))
        return;  // the file has failed; the version stays -1
    m_nEndOffset = ps::LoadU32BE(header + 4);
    m_nVersion = ps::LoadU32BE(header + 8);
    // The end marker must follow the header and fit in the enclosing block.
    const uint64_t markerEnd = static_cast<uint64_t>(m_nEndOffset) + 4;
    if (m_nEndOffset < start + kHeaderSize || markerEnd > m_nOuterLimit) {
        file.Fail("block at %u has its end at %u, outside %u..%u", start, m_nEndOffset,
                  start + kHeaderSize, m_nOuterLimit >= 4 ? m_nOuterLimit - 4 : 0);
        return;
    }
    m_bValid = true;
    file.SetReadLimit(m_nEndOffset);
}

cReadBlock::~cReadBlock()
{
    m_file.LeaveBlock();
    m_file.SetReadLimit(m_nOuterLimit);
    m_file.SetCurrentPos(AlignUp4(m_file.GetCurrentPos()));
    uint8_t marker[4];
    m_file.Read(marker, sizeof(marker));  // the end marker; its value is not examined
}

bool cReadBlock::Failed() const
{
    return m_file.Failed();
}

int32_t cReadBlock::ReadInt() const
{
    return static_cast<int32_t>(ReadUInt());
}

uint32_t cReadBlock::ReadUInt() const
{
    if (const uint8_t* p = ValueBytes(m_file, 4))
        return ps::LoadU32BE(p);
    uint8_t b[4];
    m_file.Read(b, 4);
    return ps::LoadU32BE(b);
}

float cReadBlock::ReadFloat() const
{
    if (const uint8_t* p = ValueBytes(m_file, 4))
        return ps::LoadF32BE(p);
    uint8_t b[4];
    m_file.Read(b, 4);
    return ps::LoadF32BE(b);
}

bool cReadBlock::ReadBool() const
{
    return ReadUInt() != 0;
}

int16_t cReadBlock::ReadShort() const
{
    return static_cast<int16_t>(ReadUShort());
}

uint16_t cReadBlock::ReadUShort() const
{
    if (const uint8_t* p = ValueBytes(m_file, 2))
        return ps::LoadU16BE(p);
    uint8_t b[2];
    m_file.Read(b, 2);
    return ps::LoadU16BE(b);
}

int8_t cReadBlock::ReadChar() const
{
    return static_cast<int8_t>(ReadUChar());
}

uint8_t cReadBlock::ReadUChar() const
{
    if (const uint8_t* p = ValueBytes(m_file, 1))
        return p[0];
    uint8_t b = 0;
    m_file.Read(&b, 1);
    return b;
}

// Big-endian elements at src into dst (which may be src itself).
template <class T>
static void FromBigEndian(const uint8_t* src, T* dst, int count)
{
    for (int i = 0; i < count; ++i) {
        if constexpr (sizeof(T) == 4) {
            const uint32_t bits = ps::LoadU32BE(src + 4 * i);
            std::memcpy(&dst[i], &bits, 4);
        } else {
            const uint16_t bits = ps::LoadU16BE(src + 2 * i);
            std::memcpy(&dst[i], &bits, 2);
        }
    }
}

// Converts the stored bytes in one pass, straight from the disc buffer when
// they lie in it; otherwise reads them in one go and turns them around.
template <class T>
static void ReadArray(const cFile& file, T* dst, int count)
{
    if (count < 0) {
        file.Fail("negative element count %d", count);
        return;
    }
    if (count == 0)
        return;
    if (static_cast<uint64_t>(count) * sizeof(T) > file.GetReadLimit()) {
        file.Fail("%d elements of %zu bytes cannot fit in the block", count, sizeof(T));
        return;
    }
    const uint32_t bytes = static_cast<uint32_t>(count) * sizeof(T);
    if (const uint8_t* src = ValueBytes(file, bytes)) {
        FromBigEndian(src, dst, count);
        return;
    }
    file.Read(dst, bytes);
    FromBigEndian(reinterpret_cast<const uint8_t*>(dst), dst, count);
}

void cReadBlock::ReadInts(int32_t* dst, int count) const { ReadArray(m_file, dst, count); }
void cReadBlock::ReadInts(uint32_t* dst, int count) const { ReadArray(m_file, dst, count); }
void cReadBlock::ReadFloats(float* dst, int count) const { ReadArray(m_file, dst, count); }
void cReadBlock::ReadShorts(int16_t* dst, int count) const { ReadArray(m_file, dst, count); }
void cReadBlock::ReadShorts(uint16_t* dst, int count) const { ReadArray(m_file, dst, count); }

void cReadBlock::ReadChars(void* dst, int count) const
{
    if (count < 0) {
        m_file.Fail("negative byte count %d", count);
        return;
    }
    if (count == 0)
        return;
    if (const uint8_t* p = ValueBytes(m_file, static_cast<uint32_t>(count)))
        std::memcpy(dst, p, static_cast<size_t>(count));
    else
        m_file.Read(dst, static_cast<uint32_t>(count));
}

// Skips the block of an object that is not constructed.
static void SkipObjectBlock(const cFile& file)
{
    cReadBlock rb(file, 0);
    rb.SkipToEnd();
}

// The class of the member whose type id was just read, or null (logged) for an
// id no class has; null and nothing logged for -1 or a failed read.
static const cType* MemberType(const cFile& file, int32_t nId)
{
    if (nId == -1 || file.Failed())
        return nullptr;
    const cType* pType = cType::Find(nId);
    if (!pType)
        cLogWarn_("cReadBlock: unknown type id %d in \"%s\" before %u; object skipped", nId, file.m_filename.m_sData,
                  file.GetCurrentPos());
    return pType;
}

cBase* cReadBlock::CreateBase(cMemPool* pPool, const cType* pClass, const cType** ppForeign) const
{
    if (ppForeign)
        *ppForeign = nullptr;
    const int32_t nId = ReadInt();
    const cType* pType = MemberType(m_file, nId);
    if (!pType) {
        if (nId != -1 && !Failed())
            SkipObjectBlock(m_file);
        return nullptr;
    }
    // A member of another class is never built: reading it could register
    // it in a global table that outlives its drop.
    if (!pType->IsA(pClass)) {
        if (ppForeign)
            *ppForeign = pType;
        SkipObjectBlock(m_file);
        return nullptr;
    }
    cBase* pObject = pType->m_pNewFunc ? pType->m_pNewFunc(pPool) : nullptr;
    if (!pObject) {
        if (pType->m_pNewFunc)
            cLogError_("cReadBlock: no room for a %s from \"%s\"; object skipped", pType->m_sTypeName,
                       m_file.m_filename.m_sData);
        SkipObjectBlock(m_file);
    }
    return pObject;
}

cBase* cReadBlock::ReadBase(cMemPool* pPool, const cType* pClass, const cType** ppForeign) const
{
    cBase* pObject = CreateBase(pPool, pClass, ppForeign);
    if (pObject)
        pObject->Read(m_file, pPool);  // accept or skip: the result is not needed
    return pObject;
}

const cType* cReadBlock::SkipBase() const
{
    const int32_t nId = ReadInt();
    const cType* pType = MemberType(m_file, nId);
    if (nId != -1 && !Failed())
        SkipObjectBlock(m_file);
    return pType;
}

void cReadBlock::SkipToEnd() const
{
    if (m_bValid)
        m_file.SetCurrentPos(m_nEndOffset);
}

bool cReadBlock::Reject(const char* sClass, const char* sWhat) const
{
    if (!Failed())
        cLogWarn_("%s: %s not accepted (block version %u, ending at %u in \"%s\"); block skipped", sClass, sWhat,
                  m_nVersion, m_nEndOffset, m_file.m_filename.m_sData);
    SkipToEnd();
    return false;
}
