#include "gcGameCore/actions/gcDoPlayMovie.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoPlayMovie, gcAction, 260)

cBase* gcDoPlayMovie::Copy(cMemPool* pPool) const
{
    gcDoPlayMovie* pCopy = pPool ? pPool->New<gcDoPlayMovie>() : nullptr;
    if (!pCopy)
        return nullptr;
    pCopy->movieName = movieName;
    pCopy->bCanSkip = bCanSkip;
    return pCopy;
}

void gcDoPlayMovie::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    movieName.Write(wb);
    wb.WriteBool(bCanSkip);
}

bool gcDoPlayMovie::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1 || rb.m_nVersion > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoPlayMovie", "version");
    cStr name;
    name.Read(rb);  // the last byte is forced to zero: the name becomes a path
    const bool bSkip = rb.m_nVersion >= 2 ? rb.ReadBool() : true;
    if (rb.Failed())
        return false;
    movieName = name;
    bCanSkip = bSkip;
    return true;
}

void gcDoPlayMovie::GetText(char* pBuf) const
{
    gcScriptText::AppendF(pBuf, "PlayMovie( [%s] )", movieName.m_sData);
}

void gcDoPlayMovie::DoAction(const gcEventParams&) const
{
    if (gcGame::s_pGame && movieName.m_sData[0])
        gcGame::s_pGame->PlayMovie(movieName.m_sData, bCanSkip);
}
