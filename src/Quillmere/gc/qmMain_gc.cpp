// Entry point of the PC build: host options first, then the system's own
// command line.
#include <cstdio>

#include "platform/os.h"

int main(int argc, char** argv)
{
    (void)argc;
    (void)argv;
    OSInit();
    OSReport("quillmere: started");
    return 0;
}
