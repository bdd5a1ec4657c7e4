// The core's tests run in the locale of the environment, like the program.
#include "EnvironmentLocale.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (!tessaprint::test::TakeEnvironmentLocale()) {
        return tessaprint::test::kSkipped;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
