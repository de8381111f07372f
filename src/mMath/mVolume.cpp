#include "mMath/mVolume.h"

const char* mContainmentText(mContainment c)
{
    switch (c) {
    case mContainment::NONE: return "NONE";
    case mContainment::PARTIAL: return "PARTIAL";
    case mContainment::ALL: return "ALL";
    }
    return "???";
}
