// The main of the recorder's GoogleTest executables: the recorder's window messages are
// registered first, as the recorder itself does at start-up.
#include "app/registered_messages.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    RegisterAppMessages();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
