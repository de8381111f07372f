#include "cCore/cResetDisabler.h"

cResetDisabler::cResetDisabler()
    : m_previous(cSetResetNotify(nullptr))
{
}

cResetDisabler::~cResetDisabler()
{
    cSetResetNotify(m_previous);
}
