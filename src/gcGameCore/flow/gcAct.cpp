#include "gcGameCore/flow/gcAct.h"

gcAct* gcAct::s_pAct = nullptr;

gcAct::~gcAct()
{
    if (s_pAct == this)
        s_pAct = nullptr;
}
