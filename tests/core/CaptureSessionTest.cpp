#include "ScriptedDriver.h"
#include "TestFiles.h"

#include "app/CaptureSession.h"
#include "results/ResultsListing.h"
#include "util/ManualClock.h"
#include "util/Utf8Path.h"

#include <gtest/gtest.h>

namespace tessaprint {
namespace {

using Stop = CaptureSession::Stop;

// A session run as the command line runs it: its own limits, no archive.
class CaptureSessionTest : public ::testing::Test, public ResultsListing, public CaptureSession::Listener {
protected:
    CaptureSessionTest()
    {
        driver.DrvSetCallback([this](int code) { return receive.OnDriverEvent(code); });
        receive.SetTextTap([this](const std::uint8_t* data, std::size_t n) { session.TextBytes(data, n); });
        CaptureSettings limits;
        limits.answerTimeoutMs = 200; // shorter than the quiet time that ends a printout
        limits.maxBytes = 1024;
        session.UseLimits(limits);
        session.DoNotArchive();
    }

    void Text(const std::string& bytes)
    {
        driver.Arrive(bytes);
        driver.Raise(kTextEvent);
    }

    void AppendLine(const std::string& line) override
    {
        ResultsListing::AppendLine(line);
        session.AddLine(line);
    }
    CaptureSession::Origin CaptureOrigin() const override
    {
        return {1, "COM1", "Quellmax", PathToUtf8(reports.path())};
    }
    void CaptureCommandsEnabled(bool) override {}
    void CaptureStatus(const std::string&) override {}
    void CaptureError(const std::string& text) override { ADD_FAILURE() << text; }
    void CaptureCutOff() override {}
    void CaptureStopped(Stop why) override { stops.push_back(why); }

    test::TempFolder reports;
    test::ScriptedDriver driver;
    ManualClock clock;
    ResultsTable table;
    MemorySettingsStore settings;
    ReceivePath receive{driver, table, *this, *this, clock};
    CaptureSession session{receive, settings, clock, *this};
    std::vector<Stop> stops;
};

TEST_F(CaptureSessionTest, GivenAnswerTimeWaitsForTheFirstLineOnlyAndNothingIsArchived)
{
    session.Start();
    Text("EquipmentID: A\r\n1.Leakage 12 uA\r\n2.Lea");
    clock.Advance(500); // a pause mid-printout, longer than the answer time
    EXPECT_TRUE(session.InProgress());
    Text("kage 13 uA\r\n");
    clock.Advance(ReceivePath::kResultsQuietMs);
    ASSERT_EQ(resultsReadyCount(), 1);
    (void)session.ResultsReady();
    EXPECT_FALSE(session.InProgress());
    EXPECT_TRUE(stops.empty());
    EXPECT_TRUE(reports.Names().empty());

    session.Start();
    clock.Advance(200);
    EXPECT_EQ(stops, std::vector<Stop>{Stop::NoAnswer});
    EXPECT_FALSE(session.InProgress());
}

TEST_F(CaptureSessionTest, GivenByteLimitEndsTheCaptureAndSaysSo)
{
    session.Start();
    Text(std::string(1100, 'x') + "\r\n");
    clock.Advance(0);
    EXPECT_EQ(stops, std::vector<Stop>{Stop::ByteLimit});
    EXPECT_FALSE(session.InProgress());
    EXPECT_TRUE(reports.Names().empty());
}

} // namespace
} // namespace tessaprint
