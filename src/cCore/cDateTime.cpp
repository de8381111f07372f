#include "cCore/cDateTime.h"

#include <ctime>

void cDateTime::Now()
{
    m_nSecondsUTC = static_cast<uint32_t>(std::time(nullptr));
}
