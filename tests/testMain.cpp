// Test entry point: the OS layer is started first, so the test thread is the
// main thread that holds the virtual CPU, as the program's main thread does.
#include <gtest/gtest.h>
#include "platform/os.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    OSInit();
    return RUN_ALL_TESTS();
}
