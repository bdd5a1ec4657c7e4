// The serial line's settings as stored, and what they read as when a stored
// value is not one of the choices.
#include "link/LineSettings.h"

#include <gtest/gtest.h>

namespace tessaprint {
namespace {

TEST(LineSettingsTest, UnsetTheyAre115200Baud8DataBitsNoParityAnd1StopBit)
{
    const MemorySettingsStore store;
    EXPECT_EQ(LineSettings::Read(store), LineSettings());
    EXPECT_EQ(LineSettings().Text(), "115200 baud, 8 data bits, no parity, 1 stop bit");
}

TEST(LineSettingsTest, WrittenSettingsReadBackAndSayThemselves)
{
    MemorySettingsStore store;
    const LineSettings line{9600, 7, LineSettings::Parity::Odd, 2};
    line.Write(store);
    EXPECT_EQ(store.Read(settings::kBaudRate), "9600");
    EXPECT_EQ(store.Read(settings::kParity), "Odd");
    EXPECT_EQ(LineSettings::Read(store), line);
    EXPECT_EQ(line.Advice(), "Check the instrument's serial settings: this program uses 9600 baud, 7 data bits, odd "
                             "parity, 2 stop bits (Port > Settings).");
}

TEST(LineSettingsTest, EachOddValueFallsBackToItsDefaultAlone)
{
    MemorySettingsStore store;
    LineSettings{2400, 7, LineSettings::Parity::Even, 2}.Write(store);
    for (const char* baud : {"9601", "115200 ", "-300", "", "1e5"}) {
        store.Write(settings::kBaudRate, baud);
        EXPECT_EQ(LineSettings::Read(store).baud, 115200) << baud;
    }
    store.Write(settings::kDataBits, "9");
    store.Write(settings::kParity, "even"); // as stored it is "Even"
    store.Write(settings::kStopBits, "1.5");
    EXPECT_EQ(LineSettings::Read(store), LineSettings());
}

} // namespace
} // namespace tessaprint
