// Loader-suite row of the value that tells whether a map is loading.
#include <string>
#include <vector>

#include "datagen/valueWriters.h"
#include "gcGameCore/values/gcValLoading.h"
#include "loaderSuite.h"

void AddLoadingValueRows(std::vector<LoaderRow>& rows)
{
    rows.push_back({"gcValLoading v1", {"WriteValueFile"},
                    [](LoaderEnv&, const std::string& p) { return datagen::WriteValueFile(p, gcValLoading()); },
                    [] { return gcValLoading::GetStaticType(); }});
}
