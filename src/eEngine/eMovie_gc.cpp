#include "eEngine/eMoviePlatform.h"

#include "cCore/cFile.h"

cMemPool eMoviePlatform::s_moviePool("", 0, false);

void eMoviePlatform::ReadCallback()
{
    const cFile::cFileStatus status = cFile::GetFileStatus();
    if (status != cFile::FS_OK && cFile::s_errorNotify)
        cFile::s_errorNotify(status);
}
