#pragma once
// The rows of damaged display lists load as the rows of their files do: the
// table's own setups and loaders, handed over by loaderSuiteRows.cpp.

#include <functional>
#include <vector>

#include "datagen/mapWriters.h"
#include "loaderSuite.h"

struct DisplayListRowLoaders {
    std::function<void(LoaderEnv&)> playerSetup;
    std::function<cBase*(LoaderEnv&, const char*)> playerLoad;
    std::function<void(LoaderEnv&)> mapSetup;
    std::function<cBase*(LoaderEnv&, const char*)> mapLoad;
    std::function<void(LoaderEnv&)> regionSetup;
    std::function<cBase*(LoaderEnv&, const char*)> regionLoad;
    std::function<datagen::RegionDesc(LoaderEnv&)> regionDesc;
};

void AddDisplayListRows(std::vector<LoaderRow>& rows, const DisplayListRowLoaders& loaders);
