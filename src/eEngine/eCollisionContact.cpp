#include "eEngine/eCollisionContact.h"

using TP = eCollisionContact::eColTriPos;

const char* eColTriPosText(TP pos)
{
    switch (pos) {
    case TP::TP_NONE: return "TP_NONE";
    case TP::TP_ONTRI: return "TP_ONTRI";
    case TP::TP_ONEDGE0_1: return "TP_ONEDGE0_1";
    case TP::TP_ONEDGE1_2: return "TP_ONEDGE1_2";
    case TP::TP_ONEDGE2_0: return "TP_ONEDGE2_0";
    case TP::TP_ONEDGE: return "TP_ONEDGE";
    case TP::TP_ONPOINT0: return "TP_ONPOINT0";
    case TP::TP_ONPOINT1: return "TP_ONPOINT1";
    case TP::TP_ONPOINT2: return "TP_ONPOINT2";
    case TP::TP_ONPOINT: return "TP_ONPOINT";
    case TP::TP_DEGENERATE: return "TP_DEGENERATE";
    }
    return "???";
}

bool eColTriPosEdge(TP pos, int* pFrom, int* pTo)
{
    switch (pos) {
    case TP::TP_ONEDGE0_1: *pFrom = 0, *pTo = 1; return true;
    case TP::TP_ONEDGE1_2: *pFrom = 1, *pTo = 2; return true;
    case TP::TP_ONEDGE2_0: *pFrom = 2, *pTo = 0; return true;
    default: return false;
    }
}

int eColTriPosCorner(TP pos)
{
    switch (pos) {
    case TP::TP_ONPOINT0: return 0;
    case TP::TP_ONPOINT1: return 1;
    case TP::TP_ONPOINT2: return 2;
    default: return -1;
    }
}
