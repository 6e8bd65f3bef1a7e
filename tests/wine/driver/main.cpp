#include <gtest/gtest.h>

#include "wine_env.h"

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new winetest::WineEnvironment);
    return RUN_ALL_TESTS();
}
