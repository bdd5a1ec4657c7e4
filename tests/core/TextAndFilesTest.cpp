#include "results/CaptureFile.h"
#include "text/Windows1252.h"

#include <gtest/gtest.h>

namespace tessaprint {
namespace {

TEST(Windows1252Test, EveryByteDecodesToValidUtf8AndTheNamedCharactersAreRight)
{
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    const std::string utf8 = DecodeWindows1252(all);
    EXPECT_TRUE(IsValidUtf8(utf8));
    EXPECT_EQ(DecodeWindows1252("\x80\x96\x85\xB0\xFF\x81"), "\u20AC\u2013\u2026\u00B0\u00FF\u0081");
    EXPECT_EQ(DecodeWindows1252("plain"), "plain");
}

TEST(Windows1252Test, Utf8CheckRefusesBrokenSequences)
{
    EXPECT_TRUE(IsValidUtf8("\u00B5A \u2013 \U0001F600"));
    EXPECT_FALSE(IsValidUtf8("\xB5"));
    EXPECT_FALSE(IsValidUtf8("\xC3"));         // cut off
    EXPECT_FALSE(IsValidUtf8("\xE2\x80"));     // cut off
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));     // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80")); // surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));
}

TEST(CaptureFileTest, LinesRoundTripWithCrLfIncludingEmptyLines)
{
    const std::vector<std::string> lines = {"EquipmentID: A", "", "1.Leakage 5 \u00B5A", "last>"};
    const std::string file = FormatCaptureFile(lines);
    EXPECT_EQ(file, "EquipmentID: A\r\n\r\n1.Leakage 5 \u00B5A\r\nlast>\r\n");
    EXPECT_EQ(ParseCaptureFile(file), lines);
    EXPECT_TRUE(ParseCaptureFile("").empty());
    EXPECT_EQ(ParseCaptureFile("a\nb"), (std::vector<std::string>{"a", "b"}));
    // A file in the instrument's own code page is read as such.
    EXPECT_EQ(ParseCaptureFile("5 \xB5"
                               "A\r\n"),
              (std::vector<std::string>{"5 \u00B5A"}));
}

} // namespace
} // namespace tessaprint
