// The strict reader of a reading's numbers and units, which verdicts are
// judged on.
#include "verdict/ReadingValue.h"

#include <gtest/gtest.h>

namespace tessaprint::verdict {
namespace {

constexpr auto kQuellmax = InstrumentKind::Quellmax;

TEST(ReadingValueTest, KnowsEachUnitCaseSensitiveWithItsQuantityAndScale)
{
    struct Case {
        const char* printed;
        const char* name;
        Quantity quantity;
        double scale;
    };
    const char* micro = "\xC2\xB5"
                        "A";
    const char* ohm = "\xCE\xA9";
    for (const Case& c : {Case{"uA", micro, Quantity::Current, 1e-6},
                          Case{"\xB5"
                               "A",
                               micro, Quantity::Current, 1e-6},
                          Case{"\xC2\xB5"
                               "A",
                               micro, Quantity::Current, 1e-6},
                          Case{"\xCE\xBC"
                               "A",
                               micro, Quantity::Current, 1e-6},
                          Case{"mA", "mA", Quantity::Current, 1e-3},
                          Case{"A", "A", Quantity::Current, 1},
                          Case{"mOhm", "m\xCE\xA9", Quantity::Resistance, 1e-3},
                          Case{"Ohm", ohm, Quantity::Resistance, 1},
                          Case{"Ohms", ohm, Quantity::Resistance, 1},
                          Case{"\xCE\xA9", ohm, Quantity::Resistance, 1},
                          Case{"\xE2\x84\xA6", ohm, Quantity::Resistance, 1},
                          Case{"kOhm", "k\xCE\xA9", Quantity::Resistance, 1e3},
                          Case{"MOhm", "M\xCE\xA9", Quantity::Resistance, 1e6},
                          Case{"MOhms", "M\xCE\xA9", Quantity::Resistance, 1e6},
                          Case{"V", "V", Quantity::Voltage, 1},
                          Case{"mV", "mV", Quantity::Voltage, 1e-3},
                          Case{"J", "J", Quantity::Energy, 1},
                          Case{"mJ", "mJ", Quantity::Energy, 1e-3},
                          Case{"uJ", "\xC2\xB5J", Quantity::Energy, 1e-6},
                          Case{"s", "s", Quantity::Time, 1},
                          Case{"ms", "ms", Quantity::Time, 1e-3},
                          Case{"PPM", "PPM", Quantity::PerMinute, 1},
                          Case{"BPM", "BPM", Quantity::PerMinute, 1},
                          Case{"Hz", "Hz", Quantity::Frequency, 1}}) {
        SCOPED_TRACE(c.printed);
        const auto unit = UnitFromText(c.printed, kQuellmax);
        ASSERT_TRUE(unit);
        EXPECT_EQ(unit->name, c.name);
        EXPECT_EQ(unit->quantity, c.quantity);
        EXPECT_DOUBLE_EQ(unit->scale, c.scale);
    }
    for (const char* unknown : {"mohms", "MOHMS", "UA", "ua", "uV", "%", "", "Ohms.", "\xB5J", "kV"}) {
        EXPECT_FALSE(UnitFromText(unknown, kQuellmax)) << unknown;
    }
    // "mS" is milliseconds only where the pacemaker analyzer prints it so.
    EXPECT_FALSE(UnitFromText("mS", kQuellmax));
    EXPECT_FALSE(UnitFromText("mS", InstrumentKind::Kappa5100));
    const auto ms = UnitFromText("mS", InstrumentKind::Pactrx);
    ASSERT_TRUE(ms);
    EXPECT_EQ(ms->name, "ms");
    EXPECT_DOUBLE_EQ(ms->scale, 1e-3);
}

TEST(ReadingValueTest, ReadsSignsPointsComparisonsAndOverRange)
{
    struct Case {
        const char* reading;
        double value;
        const char* unit;
        bool below;
        bool atMost;
        bool overRange;
    };
    for (const Case& c :
         {Case{"0.123 Ohms", 0.123, "\xCE\xA9", false, false, false},
          Case{"-0.1 uA", -0.1,
               "\xC2\xB5"
               "A",
               false, false, false},
          Case{"+0.3 uA", 0.3,
               "\xC2\xB5"
               "A",
               false, false, false},
          Case{"-.4 uA", -0.4,
               "\xC2\xB5"
               "A",
               false, false, false},
          Case{".5 mA", 0.5, "mA", false, false, false}, Case{"12 V", 12, "V", false, false, false},
          Case{"0.5uA", 0.5,
               "\xC2\xB5"
               "A",
               false, false, false},
          Case{"<0.1 uA", 0.1,
               "\xC2\xB5"
               "A",
               true, false, false},
          Case{"< 0.5 Ohms", 0.5, "\xCE\xA9", true, false, false},
          Case{"<=0.2 uA", 0.2,
               "\xC2\xB5"
               "A",
               false, true, false},
          Case{"<= 0.2 uA", 0.2,
               "\xC2\xB5"
               "A",
               false, true, false},
          Case{"  48.6\tMOhms ", 48.6, "M\xCE\xA9", false, false, false}, Case{"OL", 0, "", false, false, true},
          Case{"O.L MOhms", 0, "M\xCE\xA9", false, false, true}, Case{"OVER", 0, "", false, false, true}}) {
        SCOPED_TRACE(c.reading);
        const ReadingFields fields = ReadReading(c.reading, kQuellmax);
        ASSERT_TRUE(fields.ok()) << fields.error;
        ASSERT_EQ(fields.numbers.size(), 1u);
        EXPECT_DOUBLE_EQ(fields.numbers[0].value, c.value);
        EXPECT_EQ(fields.numbers[0].unit.name, c.unit);
        EXPECT_EQ(fields.numbers[0].below, c.below);
        EXPECT_EQ(fields.numbers[0].atMost, c.atMost);
        EXPECT_EQ(fields.numbers[0].overRange, c.overRange);
        EXPECT_TRUE(fields.words.empty());
    }
    EXPECT_DOUBLE_EQ(ReadReading("500 uA", kQuellmax).numbers[0].Scaled(), 500e-6);

    // Several numbers in order, with the words between them.
    const ReadingFields aed = ReadReading("150.2 J 1519 V 30.4 A Biphasic Truncated", InstrumentKind::Kappa5100);
    ASSERT_TRUE(aed.ok());
    ASSERT_EQ(aed.numbers.size(), 3u);
    EXPECT_DOUBLE_EQ(aed.numbers[2].Scaled(), 30.4);
    EXPECT_EQ(aed.words, std::vector<std::string>{"Biphasic Truncated"});
    const ReadingFields cardio = ReadReading("100.1 J 38 ms NSR 1.0 mV", InstrumentKind::Kappa5100);
    ASSERT_TRUE(cardio.ok());
    EXPECT_EQ(cardio.numbers.size(), 3u);
    EXPECT_EQ(cardio.words, std::vector<std::string>{"NSR"});
    const ReadingFields trans =
        ReadReading("9.80 mJ 3.50 V 70.0 mA 40.0 ms 70.0 PPM 1.0 mV 250 mS 300 mS", InstrumentKind::Pactrx);
    ASSERT_TRUE(trans.ok()) << trans.error;
    ASSERT_EQ(trans.numbers.size(), 8u);
    EXPECT_DOUBLE_EQ(trans.numbers[7].Scaled(), 0.3);
}

TEST(ReadingValueTest, EachMalformedFormMakesTheWholeReadingUnreadable)
{
    struct Case {
        const char* reading;
        const char* error;
    };
    for (const Case& c : {Case{"1,5 uA", "decimal comma in 1,5"},
                          Case{"2.0 J 1,5 A", "decimal comma in 1,5"},
                          Case{"1e5 uA", "exponent in 1e5"},
                          Case{"1.5E-3 A", "exponent in 1.5E-3"},
                          Case{"1.2.3 V", "malformed number 1.2.3"},
                          Case{"12abc", "malformed number 12abc"},
                          Case{"12. V", "malformed number 12."},
                          Case{"0x10 V", "malformed number 0x10"},
                          Case{"12", "no unit after 12"},
                          Case{"12 34 uA", "no unit after 12"},
                          Case{"0.1 uV", "unknown unit \"uV\""},
                          Case{"0.1 mohms", "unknown unit \"mohms\""},
                          Case{"250 mS", "unknown unit \"mS\""},
                          Case{"", "empty reading"},
                          Case{"  ", "empty reading"},
                          Case{"Result PASS", "no number"},
                          Case{">500 MOhms", "\">\" before a number"},
                          Case{">= 2 MOhms", "\">=\" before a number"},
                          Case{"\xC2\xB1"
                               "0.5 uA",
                               "\"\xC2\xB1\" before a number"},
                          Case{"- 0.1 uA", "sign apart from its number"},
                          Case{"<OL", "\"<\" before OL"}}) {
        SCOPED_TRACE(c.reading);
        const ReadingFields fields = ReadReading(c.reading, kQuellmax);
        EXPECT_FALSE(fields.ok());
        EXPECT_NE(fields.error.find(c.error), std::string::npos) << fields.error;
    }
    EXPECT_NE(ReadReading(std::string(400, '9') + " V", kQuellmax).error.find("too large"), std::string::npos);
}

} // namespace
} // namespace tessaprint::verdict
