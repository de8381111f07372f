// datagen --sample DIR: writes the sample game below DIR.
#include <cstdio>
#include <cstring>

#include "datagen/datagen.h"

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--sample") == 0)
        return datagen::WriteSampleGame(argv[2]) ? 0 : 1;
    std::fprintf(stderr, "usage: datagen --sample DIR\n");
    return 2;
}
