// The core's tests run in the locale of the environment, like the program, and with a HOME of their own.
#include "EnvironmentLocale.h"
#include "OwnHome.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    const tessaprint::test::OwnHome home;
    if (!tessaprint::test::TakeEnvironmentLocale()) {
        return tessaprint::test::kSkipped;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
