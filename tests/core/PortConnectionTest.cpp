#include "ScriptedDriver.h"
#include "ScriptedPrompts.h"

#include "link/PortConnection.h"

#include <gtest/gtest.h>

namespace tessaprint {
namespace {

class PortConnectionTest : public ::testing::Test {
protected:
    std::string StoredPort() const { return settings.Read(settings::kPort, "<none>"); }
    // COM1 open, then a switch to COM4 while the driver's index 3 is busy.
    void FailToSwitchFromCom1ToCom4()
    {
        ASSERT_TRUE(port.OpenComPort(1));
        driver.busy = {3};
        port.SwitchPort(4);
    }

    test::ScriptedDriver driver;
    MemorySettingsStore settings;
    test::ScriptedPrompts prompts;
    int events = 0;
    PortConnection port{driver, settings, prompts, [this](int code) {
                            ++events;
                            return code;
                        }};
};

TEST_F(PortConnectionTest, OpenStoresTheNameFirstThenPurgesClosesOpensAndRegisters)
{
    EXPECT_TRUE(port.OpenComPort(10));
    EXPECT_EQ(StoredPort(), "COM10");
    EXPECT_EQ(port.currentPort(), 10);
    EXPECT_EQ(driver.opened, (std::vector<int>{9}));
    EXPECT_EQ(driver.purgeCount, 1);
    EXPECT_EQ(driver.closeCount, 1);
    EXPECT_EQ(driver.options, (std::vector<std::pair<int, int>>{{15, 1}, {11, 20000}}));
    EXPECT_EQ(driver.enabled, 1);
    driver.Raise(kTextEvent);
    EXPECT_EQ(events, 1);
}

TEST_F(PortConnectionTest, FailedOpenNamesThePortTriedAndRegistersNothing)
{
    driver.busy = {2};
    driver.errorText = "Device or resource busy";
    const Result<void> busy = port.OpenComPort(3);
    ASSERT_FALSE(busy);
    EXPECT_EQ(busy.error().message, "Device or resource busy"); // the system's reason travels with the failure
    EXPECT_EQ(port.currentPort(), 3);
    EXPECT_EQ(StoredPort(), "COM3");
    EXPECT_TRUE(driver.options.empty());
}

TEST_F(PortConnectionTest, NothingOutsideCom1ToCom10IsEverOpened)
{
    ASSERT_TRUE(port.OpenComPort(3));
    EXPECT_FALSE(port.OpenComPort(0));
    EXPECT_FALSE(port.OpenComPort(11));
    EXPECT_EQ(driver.opened, (std::vector<int>{2}));
}

TEST_F(PortConnectionTest, FailedSwitchGoesBackToThePreviousPortAndSaysSo)
{
    FailToSwitchFromCom1ToCom4();
    EXPECT_EQ(port.currentPort(), 1);
    EXPECT_EQ(StoredPort(), "COM1");
    EXPECT_EQ(driver.openIndex, 0);
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_EQ(prompts.errors[0], "          Port COM4 is in use !");
}

TEST_F(PortConnectionTest, FailedSwitchGivesTheSystemsReasonOnASecondLine)
{
    // The system's reason, when there is one, goes on a second line.
    driver.errorText = "Permission denied";
    FailToSwitchFromCom1ToCom4();
    EXPECT_EQ(prompts.errors.back(), "          Port COM4 is in use !\nPermission denied");
}

TEST_F(PortConnectionTest, SwitchingToTheOpenPortOpensItAgain)
{
    FailToSwitchFromCom1ToCom4();
    const auto opens = driver.opened.size();
    port.SwitchPort(1);
    EXPECT_EQ(driver.opened.size(), opens + 1);
    EXPECT_EQ(prompts.errors.size(), 1u); // the failed switch's, and no other
}

TEST_F(PortConnectionTest, FailedSwitchWithNoEarlierAttemptOpensNothingElse)
{
    driver.busy = {1};
    port.SwitchPort(2);
    EXPECT_EQ(port.currentPort(), 0);
    EXPECT_EQ(driver.opened, (std::vector<int>{1}));
    EXPECT_EQ(prompts.errors, (std::vector<std::string>{"          Port COM2 is in use !"}));
}

TEST_F(PortConnectionTest, StartUpWithoutASettingOpensCom1AndStoresIt)
{
    port.OpenConfiguredPort();
    EXPECT_EQ(port.currentPort(), 1);
    EXPECT_EQ(StoredPort(), "COM1"); // the first open writes the default
}

TEST_F(PortConnectionTest, StartUpOpensOnlyExactPortNames)
{
    for (const char* name : {"com3", "COM12", "COM0", " COM3", ""}) {
        SCOPED_TRACE(name);
        test::ScriptedDriver other;
        MemorySettingsStore stored;
        stored.Write(settings::kPort, name);
        PortConnection connection(other, stored, prompts, nullptr);
        connection.OpenConfiguredPort();
        EXPECT_EQ(connection.currentPort(), 0);
        EXPECT_TRUE(other.opened.empty());
        EXPECT_EQ(stored.Read(settings::kPort, "?"), name);
    }
    EXPECT_TRUE(prompts.errors.empty());
}

TEST_F(PortConnectionTest, StartUpOnABusyPortSaysSoAndKeepsTheSetting)
{
    driver.busy = {2};
    settings.Write(settings::kPort, "COM3");
    port.OpenConfiguredPort();
    EXPECT_EQ(port.currentPort(), 3);
    EXPECT_EQ(prompts.errors, (std::vector<std::string>{"Port COM3 is in use !"}));
    EXPECT_EQ(StoredPort(), "COM3");
}

} // namespace
} // namespace tessaprint
