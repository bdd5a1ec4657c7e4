#include "ScriptedDriver.h"

#include "link/ReceivePath.h"
#include "results/ResultsListing.h"
#include "text/Windows1252.h"
#include "util/ManualClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace tessaprint {
namespace {

using test::ScriptedDriver;
using Lines = std::vector<std::string>;

class ReceivePathTest : public ::testing::Test {
protected:
    ReceivePathTest()
    {
        driver.DrvSetCallback([this](int code) { return path.OnDriverEvent(code); });
    }

    // Bytes arrive and the driver raises one text event for them.
    void Text(const std::string& bytes)
    {
        driver.Arrive(bytes);
        driver.Raise(kTextEvent);
    }

    void Block(const std::string& bytes)
    {
        driver.Arrive(bytes);
        driver.Raise(kBlockEvent);
    }

    // 254 four-byte frames and a version frame "END" fill the receive buffer
    // to its last byte.
    static std::string FullBufferOfFrames()
    {
        std::string frames;
        for (int i = 0; i < 254; ++i) {
            frames += std::string("\x10\x04\x00\x14", 4);
        }
        return frames + std::string("\xF0\x08\x00\xF8"
                                    "END\x4F",
                                    8);
    }

    ScriptedDriver driver;
    ManualClock clock;
    ResultsTable table;
    ResultsListing listing;
    ReceivePath path{driver, table, listing, listing, clock};
};

TEST_F(ReceivePathTest, ByteRuleEndsLinesAtLineFeedAndPrompt)
{
    Text("A\r\n");
    Text("A\nB\n");
    Text("AB>");
    Text("\r\n");
    EXPECT_EQ(listing.lines(), (Lines{"A", "A", "B", "AB>", ""}));
    EXPECT_EQ(path.lineBuffer(), "");
}

TEST_F(ReceivePathTest, LineSplitOverTwoEventsIsDeliveredOnceWhole)
{
    Text("EquipmentI");
    EXPECT_TRUE(listing.lines().empty());
    Text("D: 7\n");
    EXPECT_EQ(listing.lines(), (Lines{"EquipmentID: 7"}));
    EXPECT_EQ(table.currentEquipmentId(), " 7");
    EXPECT_EQ(listing.selectorItems(), (Lines{" 7"}));
}

TEST_F(ReceivePathTest, LeadingNulsAreDroppedButLaterNulsStay)
{
    Text(std::string("\0XY\n", 4));
    Text(std::string("\0\0\0Z\n", 6));
    Text(std::string("A\0B\n", 4));
    EXPECT_EQ(listing.lines(), (Lines{"XY", "Z", std::string("A\0B", 3)}));
}

TEST_F(ReceivePathTest, BytesAreDecodedFromWindows1252AtDelivery)
{
    Text("\x96 10\xB5"
         "A \x85\n");
    EXPECT_EQ(listing.lines(), (Lines{"\u2013 10\u00B5A \u2026"}));
}

TEST_F(ReceivePathTest, TextModeReadsEveryByteThatTurnsUpDuringTheEventAndNeverPurges)
{
    // More bursts arrive while the handler reads than three passes would
    // collect; all of them must make it into lines.
    driver.Arrive("EquipmentID: 1\n");
    driver.ArriveDuringRead({"1.A 1 V\n", "2.B 2 V\n", "3.C 3 V\n", "4.D 4 V\n", "5.E 5 V\n", "6.F 6 V\n"});
    driver.Raise(kTextEvent);
    EXPECT_EQ(listing.lines().size(), 7u);
    EXPECT_EQ(table.ValueCount(0), 6);
    EXPECT_EQ(driver.purgeCount, 0);
    EXPECT_EQ(driver.pending(), "");
}

TEST_F(ReceivePathTest, ReadThatDeliversNothingEndsTheEventInsteadOfSpinning)
{
    driver.Arrive("ABC\n");
    driver.readDeliversNothing = true;
    driver.Raise(kTextEvent);
    EXPECT_TRUE(listing.lines().empty());
    EXPECT_LE(driver.readCalls, 2);
    driver.readDeliversNothing = false;
    driver.Raise(kTextEvent);
    EXPECT_EQ(listing.lines(), (Lines{"ABC"}));
}

TEST_F(ReceivePathTest, EventClassIsTheHighByteAndTheCodeComesBack)
{
    driver.Arrive("X\n");
    EXPECT_EQ(driver.Raise(0x15FF), 0x15FF);
    EXPECT_TRUE(listing.lines().empty());
    EXPECT_EQ(driver.Raise(0x16AB), 0x16AB);
    EXPECT_EQ(listing.lines(), (Lines{"X"}));
}

TEST_F(ReceivePathTest, QuietTimerFiresOnlyAfterTheLastLineOfABurst)
{
    for (int i = 0; i < 4; ++i) {
        Text("line " + std::to_string(i) + "\n");
        clock.Advance(500);
        EXPECT_EQ(listing.resultsReadyCount(), 0);
    }
    clock.Advance(249);
    EXPECT_EQ(listing.resultsReadyCount(), 0);
    clock.Advance(1);
    EXPECT_EQ(listing.resultsReadyCount(), 1);
    clock.Advance(5000);
    EXPECT_EQ(listing.resultsReadyCount(), 1);
    // A partial line does not restart the timer.
    Text("partial");
    clock.Advance(1000);
    EXPECT_EQ(listing.resultsReadyCount(), 1);
}

TEST_F(ReceivePathTest, VersionFramesAreCheckedAndDecoded)
{
    Block(std::string("\xF0\x09\x00\xF9"
                      "ABCD\x04",
                      9));
    EXPECT_EQ(listing.versionText(), "ABCD");
    EXPECT_EQ(driver.purgeCount, 0);

    Block(std::string("\xF0\x04\x00\xF4", 4));
    EXPECT_EQ(listing.versionText(), "");

    // Two whole frames in one block: both take effect in order.
    Block(std::string("\xF0\x06\x00\xF6X\x58"
                      "\xF0\x06\x00\xF6Y\x59",
                      12));
    EXPECT_EQ(listing.versionText(), "Y");

    // A NUL inside the payload ends the text.
    Block(std::string("\xF0\x08\x00\xF8"
                      "A\0B\x03",
                      8));
    EXPECT_EQ(listing.versionText(), "A");
    EXPECT_EQ(driver.purgeCount, 0);
}

TEST_F(ReceivePathTest, BadBlocksPurgeAndKeepWhatWasDecodedBefore)
{
    struct Case {
        const char* what;
        std::string block;
    };
    const std::vector<Case> cases = {
        {"payload check wrong", std::string("\xF0\x09\x00\xF9"
                                            "ABCD\x05",
                                            9)},
        {"header check wrong", std::string("\xF0\x04\x00\xF5", 4)},
        {"length beyond the bytes read", std::string("\xF0\x09\x00\xF9"
                                                     "AB",
                                                     6)},
        {"length below a header", std::string("\xF0\x02\x00\xF2", 4)},
        {"length zero", std::string("\x00\x00\x00\x00", 4)},
        {"one byte", std::string("\xF0", 1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        listing.SetVersionText("before");
        const int purges = driver.purgeCount;
        driver.Arrive("pending");
        Block(c.block);
        EXPECT_EQ(driver.purgeCount, purges + 1);
        EXPECT_EQ(listing.versionText(), "before");
        EXPECT_EQ(driver.pending(), "");
    }

    // One whole frame and half of a second: the first counts, then a purge.
    Block(std::string("\xF0\x06\x00\xF6Q\x51"
                      "\xF0\x06\x00",
                      9));
    EXPECT_EQ(listing.versionText(), "Q");
    EXPECT_EQ(driver.purgeCount, static_cast<int>(cases.size()) + 1);
}

TEST_F(ReceivePathTest, LongVersionTextIsCutToTheFieldSize)
{
    std::string payload(200, 'v');
    std::string frame = {'\xF0', static_cast<char>(205), '\0', static_cast<char>(0xF0 ^ 205)};
    frame += payload;
    frame.push_back('\0'); // 200 equal bytes XOR to 0
    Block(frame);
    EXPECT_EQ(listing.versionText(), std::string(99, 'v'));
}

TEST_F(ReceivePathTest, FullBufferOfFramesIsDecodedToItsLastByte)
{
    const std::string frames = FullBufferOfFrames();
    ASSERT_EQ(frames.size(), static_cast<std::size_t>(ReceivePath::kReceiveBufferSize));
    Block(frames);
    EXPECT_EQ(listing.versionText(), "END");
    EXPECT_EQ(driver.purgeCount, 0);
}

TEST_F(ReceivePathTest, CountBeyondTheBufferIsCutToIt)
{
    const std::string frames = FullBufferOfFrames();
    Block(frames);
    listing.SetVersionText("before");
    // A driver that claims more bytes than the buffer holds: the buffer's
    // frames are decoded again, nothing past them is read.
    path.DecodeFrames(5000);
    EXPECT_EQ(listing.versionText(), "END");
    EXPECT_EQ(driver.purgeCount, 0);
}

TEST_F(ReceivePathTest, NegativeCountDecodesNothing)
{
    Block(std::string("\xF0\x09\x00\xF9"
                      "ABCD\x04",
                      9));
    listing.SetVersionText("before");
    path.DecodeFrames(-3);
    EXPECT_EQ(listing.versionText(), "before");
    EXPECT_EQ(driver.purgeCount, 0);
}

TEST_F(ReceivePathTest, HugeLineWithoutLineFeedIsDeliveredInPiecesWithEveryByte)
{
    const std::string huge(1 << 20, 'x');
    Text(huge + "\n");
    std::size_t total = 0;
    for (const auto& line : listing.lines()) {
        EXPECT_LE(line.size(), ReceivePath::kMaxLineBytes);
        total += line.size();
    }
    EXPECT_EQ(total, huge.size());
    EXPECT_LE(path.lineBuffer().capacity(), 4 * ReceivePath::kMaxLineBytes);
}

TEST_F(ReceivePathTest, RandomBytesGiveOneValidLinePerLineEnd)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    std::size_t lineEnds = 0;
    for (int event = 0; event < 200; ++event) {
        std::string chunk(static_cast<std::size_t>(byte(random)) * 8, '\0');
        for (auto& c : chunk) {
            c = static_cast<char>(byte(random));
        }
        if (event % 3 == 0) {
            Block(chunk.substr(0, 1024));
        } else {
            lineEnds += static_cast<std::size_t>(std::count(chunk.begin(), chunk.end(), '\n') +
                                                 std::count(chunk.begin(), chunk.end(), '>'));
            Text(chunk);
        }
    }
    EXPECT_EQ(listing.lines().size(), lineEnds);
    for (const auto& line : listing.lines()) {
        EXPECT_TRUE(IsValidUtf8(line));
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
    }
}

} // namespace
} // namespace tessaprint
