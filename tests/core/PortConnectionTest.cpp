#include "ScriptedDriver.h"
#include "ScriptedPrompts.h"

#include "link/PortConnection.h"

#include <gtest/gtest.h>

namespace tessaprint {
namespace {

class PortConnectionTest : public ::testing::Test {
protected:
    std::string StoredPort() const { return settings.GetProfileString("Serial", "Port", "<none>"); }

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

    // A failed open names the port tried and registers nothing.
    test::ScriptedDriver busyDriver;
    busyDriver.busy = {2};
    PortConnection other(busyDriver, settings, prompts, nullptr);
    busyDriver.errorText = "Device or resource busy";
    const Result<void> busy = other.OpenComPort(3);
    ASSERT_FALSE(busy);
    EXPECT_EQ(busy.error().message, "Device or resource busy"); // the system's reason travels with the failure
    EXPECT_EQ(other.currentPort(), 3);
    EXPECT_EQ(StoredPort(), "COM3");
    EXPECT_TRUE(busyDriver.options.empty());
    // Nothing outside COM1 to COM10 is ever opened.
    EXPECT_FALSE(other.OpenComPort(0));
    EXPECT_FALSE(other.OpenComPort(11));
    EXPECT_EQ(busyDriver.opened, (std::vector<int>{2}));
}

TEST_F(PortConnectionTest, FailedSwitchGoesBackToThePreviousPortAndSaysSo)
{
    ASSERT_TRUE(port.OpenComPort(1));
    driver.busy = {3};
    port.SwitchPort(4);
    EXPECT_EQ(port.currentPort(), 1);
    EXPECT_EQ(StoredPort(), "COM1");
    EXPECT_EQ(driver.openIndex, 0);
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_EQ(prompts.errors[0], "          Port COM4 is in use !");

    // The system's reason, when there is one, goes on a second line.
    driver.errorText = "Permission denied";
    port.SwitchPort(4);
    EXPECT_EQ(prompts.errors.back(), "          Port COM4 is in use !\nPermission denied");

    // Switching to the open port opens it again.
    const auto opens = driver.opened.size();
    port.SwitchPort(1);
    EXPECT_EQ(driver.opened.size(), opens + 1);
    EXPECT_EQ(prompts.errors.size(), 2u);
}

TEST_F(PortConnectionTest, FailedSwitchWithNoEarlierAttemptOpensNothingElse)
{
    driver.busy = {1};
    port.SwitchPort(2);
    EXPECT_EQ(port.currentPort(), 0);
    EXPECT_EQ(driver.opened, (std::vector<int>{1}));
    EXPECT_EQ(prompts.errors, (std::vector<std::string>{"          Port COM2 is in use !"}));
}

TEST_F(PortConnectionTest, StartUpOpensOnlyExactPortNames)
{
    port.OpenConfiguredPort();
    EXPECT_EQ(port.currentPort(), 1);
    EXPECT_EQ(StoredPort(), "COM1"); // the first open writes the default

    for (const char* name : {"com3", "COM12", "COM0", " COM3", ""}) {
        SCOPED_TRACE(name);
        test::ScriptedDriver other;
        MemorySettingsStore stored;
        stored.WriteProfileString("Serial", "Port", name);
        PortConnection connection(other, stored, prompts, nullptr);
        connection.OpenConfiguredPort();
        EXPECT_EQ(connection.currentPort(), 0);
        EXPECT_TRUE(other.opened.empty());
        EXPECT_EQ(stored.GetProfileString("Serial", "Port", "?"), name);
    }
    EXPECT_TRUE(prompts.errors.empty());

    test::ScriptedDriver busyDriver;
    busyDriver.busy = {2};
    MemorySettingsStore stored;
    stored.WriteProfileString("Serial", "Port", "COM3");
    PortConnection connection(busyDriver, stored, prompts, nullptr);
    connection.OpenConfiguredPort();
    EXPECT_EQ(connection.currentPort(), 3);
    EXPECT_EQ(prompts.errors, (std::vector<std::string>{"Port COM3 is in use !"}));
    EXPECT_EQ(stored.GetProfileString("Serial", "Port", "?"), "COM3");
}

} // namespace
} // namespace tessaprint
