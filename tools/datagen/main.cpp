// datagen --sample DIR: writes the sample game below DIR.
// datagen --fuzz-seeds DIR: writes the fuzz targets' seed corpora below DIR.
#include <cstdio>
#include <cstring>

#include "datagen/datagen.h"
#include "datagen/fuzzSeeds.h"

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--sample") == 0)
        return datagen::WriteSampleGame(argv[2]) ? 0 : 1;
    if (argc == 3 && std::strcmp(argv[1], "--fuzz-seeds") == 0)
        return datagen::WriteFuzzSeeds(argv[2]) ? 0 : 1;
    std::fprintf(stderr, "usage: datagen --sample DIR | --fuzz-seeds DIR\n");
    return 2;
}
