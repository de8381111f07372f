#include "cCore/cReadBlock.h"

#include <cstring>

#include "cCore/cBase.h"
#include "cCore/cLog.h"
#include "cCore/cType.h"

static uint32_t AlignUp4(uint32_t pos) { return (pos + 3u) & ~3u; }

// Blocks and their end markers start on 4-byte boundaries. A seek to where
// the file already is changes nothing, so it is left out. The position after.
static uint32_t SeekAligned(const cFile& file, uint32_t pos)
{
    file.SetCurrentPos(AlignUp4(pos));
    return file.GetCurrentPos();
}

static inline uint32_t AlignPos(const cFile& file)
{
    const uint32_t pos = file.GetCurrentPos();
    return (pos & 3u) ? SeekAligned(file, pos) : pos;
}

// The header where the inline path could not take it: aligns first, reads
// across buffers, and fails the file when the nesting is too deep or the
// header is cut off.
void cReadBlock::BeginChecked(int depth)
{
    if (depth > cFile::kMaxBlockDepth)
        m_file.Fail("blocks nested deeper than %d", cFile::kMaxBlockDepth);
    const uint32_t start = AlignPos(m_file);
    uint8_t copy[kHeaderSize];
    const uint8_t* header = Take(kHeaderSize);
    if (!header) {
        if (!m_file.Read(copy, sizeof(copy)))
            return;  // the file has failed; the version stays -1
        header = copy;
    }
    m_nEndOffset = ps::LoadU32BE(header + 4);
    m_nVersion = ps::LoadU32BE(header + 8);
    if (!Accept(start + kHeaderSize))
        RefuseEnd(start);
}

// The end marker must follow the header and fit in the enclosing block.
void cReadBlock::RefuseEnd(uint32_t start)
{
    m_file.Fail("block at %u has its end at %u, outside %u..%u", start, m_nEndOffset, start + kHeaderSize,
                m_nOuterLimit >= 4 ? m_nOuterLimit - 4 : 0);
}

// The end marker where the inline path could not take it.
void cReadBlock::EndChecked()
{
    AlignPos(m_file);
    if (!Take(4)) {
        uint8_t marker[4];
        m_file.Read(marker, sizeof(marker));
    }
}

bool cReadBlock::Failed() const
{
    return m_file.Failed();
}

uint32_t cReadBlock::ReadUIntChecked() const
{
    uint8_t b[4];
    m_file.Read(b, 4);
    return ps::LoadU32BE(b);
}

uint32_t cReadBlock::RefuseNonFinite(uint32_t bits) const
{
    m_file.Fail("a float that is not finite (%#010x) before %u", bits, m_file.GetCurrentPos());
    return 0;
}

uint16_t cReadBlock::ReadUShortChecked() const
{
    uint8_t b[2];
    m_file.Read(b, 2);
    return ps::LoadU16BE(b);
}

uint8_t cReadBlock::ReadUCharChecked() const
{
    uint8_t b = 0;
    m_file.Read(&b, 1);
    return b;
}

// Reads the elements in one go and turns them around where they landed.
template <class T>
void cReadBlock::ReadArrayChecked(T* dst, int count) const
{
    if (count < 0) {
        m_file.Fail("negative element count %d", count);
        return;
    }
    if (count == 0)
        return;
    if (static_cast<uint64_t>(count) * sizeof(T) > m_file.GetReadLimit()) {
        m_file.Fail("%d elements of %zu bytes cannot fit in the block", count, sizeof(T));
        return;
    }
    m_file.Read(dst, static_cast<uint32_t>(count) * sizeof(T));
    FromBigEndian(reinterpret_cast<const uint8_t*>(dst), dst, count);
}

template void cReadBlock::ReadArrayChecked(int32_t*, int) const;
template void cReadBlock::ReadArrayChecked(uint32_t*, int) const;
template void cReadBlock::ReadArrayChecked(float*, int) const;
template void cReadBlock::ReadArrayChecked(int16_t*, int) const;
template void cReadBlock::ReadArrayChecked(uint16_t*, int) const;

void cReadBlock::ReadCharsChecked(void* dst, int count) const
{
    if (count < 0) {
        m_file.Fail("negative byte count %d", count);
        return;
    }
    if (count > 0)
        m_file.Read(dst, static_cast<uint32_t>(count));
}

// Skips the block of an object that is not constructed.
static void SkipObjectBlock(const cFile& file)
{
    cReadBlock rb(file, 0);
    rb.SkipToEnd();
}

// The class of the member whose type id was just read, or null for -1 or a
// failed read. An id no class has is a damaged file (bDamages) or, for a
// member read over on purpose, a warning.
static const cType* MemberType(const cFile& file, int32_t nId, bool bDamages)
{
    if (nId == -1 || file.Failed())
        return nullptr;
    const cType* pType = cType::Find(nId);
    if (pType)
        return pType;
    if (bDamages)
        file.Fail("unknown type id %d before %u", nId, file.GetCurrentPos());
    else
        cLogWarn_("cReadBlock: unknown type id %d in \"%s\" before %u; object skipped", nId, file.m_filename.m_sData,
                  file.GetCurrentPos());
    return nullptr;
}

cBase* cReadBlock::CreateBase(cMemPool* pPool, const cType* pClass, const cType** ppForeign) const
{
    if (ppForeign)
        *ppForeign = nullptr;
    const int32_t nId = ReadInt();
    const cType* pType = MemberType(m_file, nId, true);
    if (!pType)
        return nullptr;
    // A member of another class is never built: reading it could register
    // it in a global table that outlives its drop. The file is damaged; a
    // caller that asks for the class says so itself, naming the member.
    if (!pType->IsA(pClass)) {
        if (ppForeign)
            *ppForeign = pType;
        else
            m_file.Fail("a %s before %u where a %s belongs", pType->m_sTypeName, m_file.GetCurrentPos(),
                        pClass->m_sTypeName);
        SkipObjectBlock(m_file);
        return nullptr;
    }
    // A member whose class has no factory is read over, as the format says.
    cBase* pObject = pType->m_pNewFunc ? pType->m_pNewFunc(pPool) : nullptr;
    if (!pObject)
        SkipObjectBlock(m_file);  // a full pool reported it, failing the file
    return pObject;
}

cBase* cReadBlock::ReadBase(cMemPool* pPool, const cType* pClass, const cType** ppForeign) const
{
    cBase* pObject = CreateBase(pPool, pClass, ppForeign);
    // A member that refuses its data is a damaged file; it keeps its
    // defaults until its owner's load fails.
    if (pObject && !pObject->Read(m_file, pPool))
        m_file.Fail("a %s before %u refused its data", pObject->GetType()->m_sTypeName, m_file.GetCurrentPos());
    return pObject;
}

const cType* cReadBlock::SkipBase() const
{
    const int32_t nId = ReadInt();
    const cType* pType = MemberType(m_file, nId, false);
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
    if (Failed())
        return false;
    m_file.Fail("%s: %s not accepted (block version %u, ending at %u)", sClass, sWhat, m_nVersion, m_nEndOffset);
    SkipToEnd();
    return false;
}

void cReadBlock::ReadOver(const char* sClass, const char* sWhat) const
{
    if (!Failed())
        cLogWarn_("%s: %s read over (block version %u, ending at %u in \"%s\")", sClass, sWhat, m_nVersion,
                  m_nEndOffset, m_file.m_filename.m_sData);
    SkipToEnd();
}
