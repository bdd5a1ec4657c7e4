#include "link/DriverInputQueue.h"
#include "link/InstrumentCommands.h"
#include "link/ReceivePath.h"
#include "link/Replay.h"
#include "results/CaptureFile.h"
#include "sim/SamplePrintouts.h"
#include "sim/SimulatedDriver.h"
#include "util/ManualClock.h"

#include <gtest/gtest.h>

namespace tessaprint {

// Test names and failure messages show the kind by name.
void PrintTo(InstrumentKind kind, std::ostream* out)
{
    *out << InstrumentKindName(kind);
}

namespace {

// The simulated instrument behind the driver, on a manual clock: the whole
// capture runs as it would on a port, without waiting.
class SimulatedCaptureTest : public ::testing::TestWithParam<InstrumentKind> {
protected:
    SimulatedCaptureTest()
    {
        EXPECT_EQ(driver.DrvOpen(0), 0);
        driver.DrvSetCallback([this](int code) { return path.OnDriverEvent(code); });
        driver.DrvEnable(1);
    }

    ManualClock clock;
    SimulatedInstrument instrument{GetParam(), 115200, 42};
    SimulatedDriver driver{instrument, clock};
    ResultsTable table;
    ResultsListing listing;
    ReceivePath path{driver, table, listing, listing, clock};
};

TEST_P(SimulatedCaptureTest, PrintoutArrivesWholeInBurstsAndEndsWithResultsReady)
{
    int events = 0;
    driver.DrvSetCallback([&](int code) {
        ++events;
        return path.OnDriverEvent(code);
    });
    SendCommand(driver, kPrintCommand);
    clock.RunUntilIdle();

    const auto expected = ParseCaptureFile(SamplePrintout(GetParam()));
    EXPECT_EQ(listing.lines(), expected);
    EXPECT_GT(events, 5); // bursts, not one block
    EXPECT_EQ(listing.resultsReadyCount(), 1);

    // Parsed exactly as the same bytes parsed offline.
    ResultsTable offlineTable;
    ResultsListing offline;
    ReplayTranscript(SamplePrintout(GetParam()), offlineTable, offline);
    EXPECT_EQ(listing.selectorItems(), offline.selectorItems());
    for (int r = 0; r <= offlineTable.recordIndex(); ++r) {
        EXPECT_EQ(table.EquipmentId(r), offlineTable.EquipmentId(r));
        EXPECT_EQ(table.ValueCount(r), offlineTable.ValueCount(r));
    }
}

TEST_P(SimulatedCaptureTest, VersionRequestGetsAFramedReply)
{
    SendVersionRequest(driver);
    clock.RunUntilIdle();
    EXPECT_EQ(listing.versionText(), instrument.VersionText());
    EXPECT_TRUE(listing.lines().empty());
}

TEST_P(SimulatedCaptureTest, EraseLeavesNothingToPrint)
{
    SendCommand(driver, kClearMemoryCommand);
    SendCommand(driver, kPrintCommand);
    clock.RunUntilIdle();
    EXPECT_TRUE(listing.lines().empty());
    EXPECT_EQ(listing.resultsReadyCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, SimulatedCaptureTest,
                         ::testing::Values(InstrumentKind::Quellmax, InstrumentKind::Kappa5100, InstrumentKind::Pactrx),
                         [](const auto& kind) { return std::string(InstrumentKindName(kind.param)); });

TEST(SimulatedInstrumentTest, BurstsArePacedAtTheLineSpeedAndPauseBelowTheQuietTime)
{
    SimulatedInstrument instrument(InstrumentKind::Quellmax, 9600, 3);
    instrument.Receive("print\r\n", 0);
    const auto bursts = instrument.TakeDue(1'000'000);
    ASSERT_FALSE(bursts.empty());
    std::string all;
    std::int64_t previous = 0;
    for (const auto& burst : bursts) {
        EXPECT_GE(burst.bytes.size(), 1u);
        EXPECT_LE(burst.bytes.size(), 400u);
        // At 9600 baud a byte takes about one millisecond on the line.
        EXPECT_GE(burst.dueMs - previous, static_cast<std::int64_t>(burst.bytes.size() * 10 * 1000 / 9600));
        EXPECT_LT(burst.dueMs - previous, ReceivePath::kResultsQuietMs);
        previous = burst.dueMs;
        all += burst.bytes;
    }
    EXPECT_EQ(all, SamplePrintout(InstrumentKind::Quellmax));
}

TEST(SimulatedInstrumentTest, CommandsSplitAcrossWritesAndNoiseAreUnderstood)
{
    SimulatedInstrument instrument(InstrumentKind::Kappa5100);
    instrument.SetPrintout("L1\r\n");
    instrument.Receive("garbage\r\npr", 0);
    instrument.Receive("int\r", 1);
    EXPECT_TRUE(instrument.Idle());
    instrument.Receive("\n", 2);
    EXPECT_FALSE(instrument.Idle());
    instrument.Receive(std::string(5000, '\xAA'), 3); // long noise is forgotten
    instrument.Receive(std::string("\xF0\x04", 2), 4);
    instrument.Receive(std::string("\x00\xF4", 2), 5);
    std::string text;
    int frames = 0;
    for (const auto& burst : instrument.TakeDue(10'000)) {
        if (burst.frame) {
            ++frames;
        } else {
            text += burst.bytes;
        }
    }
    EXPECT_EQ(text, "L1\r\n");
    EXPECT_EQ(frames, 1);
}

TEST(SimulatedDriverTest, BusyAndOutOfRangePortsFailToOpen)
{
    ManualClock clock;
    SimulatedInstrument instrument(InstrumentKind::Quellmax);
    SimulatedDriver driver(instrument, clock);
    driver.SetBusyPorts({3});
    EXPECT_NE(driver.DrvOpen(3), 0);
    EXPECT_NE(driver.DrvOpen(10), 0);
    EXPECT_NE(driver.DrvOpen(-1), 0);
    EXPECT_EQ(driver.DrvOpen(9), 0);
    EXPECT_EQ(driver.OpenPortIndex(), 9);
}

// Which event the waiting bytes make.
TEST(DriverInputQueueTest, ReplyFrameIsHeldWholeAndTextAfterItStaysText)
{
    DriverInputQueue queue;
    const std::uint8_t request[] = {0xF0, 0x04, 0x00, 0xF4};
    queue.NoteWrite(request, 4);
    const std::uint8_t part1[] = {0xF0, 0x07, 0x00};
    queue.Append(part1, 3);
    EXPECT_EQ(queue.PendingEvent(), 0); // incomplete reply: wait
    EXPECT_TRUE(queue.WaitingForReply());
    const std::uint8_t part2[] = {0xF7, 'A', 'B', 0x03, 'x', '\n'};
    queue.Append(part2, 6);
    EXPECT_EQ(queue.PendingEvent(), kBlockEvent);
    std::uint8_t buffer[1024];
    EXPECT_EQ(queue.Read(buffer, 1024), 7);
    EXPECT_EQ(queue.PendingEvent(), kTextEvent);
    EXPECT_EQ(queue.Read(buffer, 1024), 2);
    EXPECT_EQ(queue.PendingEvent(), 0);
}

TEST(DriverInputQueueTest, IncompleteReplyIsHandedOutWhenItTimesOut)
{
    DriverInputQueue queue;
    const std::uint8_t request[] = {0xF0, 0x04, 0x00, 0xF4};
    queue.NoteWrite(request, 4);
    const std::uint8_t part[] = {0xF0, 0x20, 0x00};
    queue.Append(part, 3);
    EXPECT_EQ(queue.PendingEvent(false), 0);
    EXPECT_EQ(queue.PendingEvent(true), kBlockEvent);
    std::uint8_t buffer[8];
    EXPECT_EQ(queue.Read(buffer, 8), 3);
    // Text commands expect text back.
    queue.NoteWrite(reinterpret_cast<const std::uint8_t*>("print\r\n"), 7);
    const std::uint8_t text[] = {0xF0, 'a'};
    queue.Append(text, 2);
    EXPECT_EQ(queue.PendingEvent(), kTextEvent);
}

} // namespace
} // namespace tessaprint
