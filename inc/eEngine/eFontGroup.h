#pragma once
// The file block that fills a range of eFontMgr's slots with fonts and their
// check values. Lives in the pool of its load; one made by the factory
// destroys its fonts with it.

#include "cCore/cGroup.h"
#include "eEngine/eFontMgr.h"

class eFontGroup : public cGroup {
    QM_DECLARE_GROUP(eFontGroup, eFontMgr)
};
