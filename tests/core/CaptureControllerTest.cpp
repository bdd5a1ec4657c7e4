// The main form's logic without a window: a scripted driver, the form kept
// in vectors, scripted answers and a manual clock.
#include "DepartmentLimits.h"
#include "FakeFormView.h"
#include "SamplePrintout.h"
#include "ScriptedDriver.h"
#include "ScriptedPrompts.h"
#include "TestFiles.h"

#include "MemoryHistoryStore.h"

#include "app/CaptureController.h"
#include "link/InstrumentCommands.h"
#include "util/ManualClock.h"

#include <gtest/gtest.h>

#include <fstream>

namespace tessaprint {
namespace {

using test::DepartmentLimits;
using test::kPrintout;

// Answers every lookup at once with the records it was given.
class AnsweringHistory : public HistorySink {
public:
    void Submit(history::HistoryCapture capture, std::vector<std::string>) override
    {
        submitted.push_back(std::move(capture));
    }
    void Lookup(const std::string& equipmentId, LookupDone done) override
    {
        asked.push_back(equipmentId);
        done(records);
    }

    std::vector<history::HistoryCapture> submitted;
    std::vector<std::string> asked;
    std::vector<history::HistoryRecord> records;
};

class CaptureControllerTest : public ::testing::Test {
protected:
    CaptureControllerTest()
    {
        controller.SetHistorySink(&history);
        controller.OnInitialUpdate();
    }

    // The instrument prints, the quiet time passes and the posted "results
    // ready" is handled, as the window's event loop would.
    void Receive(const std::string& bytes)
    {
        const int posted = view.postedResultsReady;
        driver.Arrive(bytes);
        driver.Raise(kTextEvent);
        clock.Advance(750);
        if (view.postedResultsReady > posted) {
            controller.OnResultsReady();
        }
    }

    void ReceiveThePrintout()
    {
        controller.OnResult();
        Receive(kPrintout);
    }

    test::ScriptedDriver driver;
    test::FakeFormView view;
    MemorySettingsStore settings;
    test::ScriptedPrompts prompts;
    ManualClock clock;
    AnsweringHistory history;
    CaptureController controller{driver, view, settings, prompts, clock, nullptr};
};

TEST_F(CaptureControllerTest, ACaptureFillsTheSelectorAndTheFirstIdsRowsAndGoesToTheHistory)
{
    ASSERT_TRUE(controller.IsPortOpen());
    EXPECT_FALSE(view.IsDataSheetEnabled());
    ReceiveThePrintout();
    EXPECT_EQ(driver.written, kPrintCommand);
    EXPECT_EQ(view.lines.size(), 7u);
    EXPECT_EQ(view.selector, (std::vector<std::string>{" 10234", " BIO-5521"})); // as printed
    EXPECT_EQ(view.current, 0);
    EXPECT_EQ(view.RowTexts(), (std::vector<std::string>{"1|Case Leakage|0.1 uA", "2|Ground Resistance|0.123 Ohms"}));
    EXPECT_EQ(view.resultsCaption, "Results");
    EXPECT_TRUE(view.IsDataSheetEnabled());
    EXPECT_EQ(view.status.rfind("Received 7 lines, 2 equipment IDs", 0), 0u) << view.status;
    ASSERT_EQ(history.submitted.size(), 1u);
    EXPECT_EQ(history.submitted[0].records.size(), 2u);
    EXPECT_EQ(history.submitted[0].port, "COM1");

    // RESULT again starts from an empty form.
    controller.OnResult();
    EXPECT_TRUE(view.lines.empty());
    EXPECT_TRUE(view.selector.empty());
    EXPECT_TRUE(view.rows.empty());
    EXPECT_FALSE(view.IsDataSheetEnabled());
    EXPECT_EQ(view.resultsCaption, "");
}

TEST_F(CaptureControllerTest, ClearScreenEmptiesTheLinesAndKeepsTheIdsAndTheirRows)
{
    ReceiveThePrintout();
    controller.OnClearScreen();
    EXPECT_TRUE(view.lines.empty());
    EXPECT_FALSE(view.IsDataSheetEnabled());
    EXPECT_EQ(view.selector.size(), 2u);
    EXPECT_EQ(view.rows.size(), 2u);
    EXPECT_EQ(controller.table().recordIndex(), 0);
    EXPECT_EQ(view.status, "Screen cleared; the equipment IDs and their readings stay listed.");
}

TEST_F(CaptureControllerTest, AChosenIdRefillsTheRowsAndEnablesDataSheetAndItsLastTimeIsLookedUp)
{
    ReceiveThePrintout();
    controller.OnClearScreen();
    history::HistoryRecord earlier;
    earlier.equipmentId = "BIO-5521";
    earlier.testDate = "03/14/2014";
    earlier.testDay = "2014-03-14";
    earlier.capturedAt = "2014-03-14T10:15:00";
    earlier.readings = {{1, "Line Voltage 119.7 V", "Line Voltage", "119.7 V"}};
    history.records = {earlier};

    view.SetSelectorCurrent(1);
    controller.OnSelectEquipment();
    EXPECT_EQ(view.RowTexts(), (std::vector<std::string>{"1|Line Voltage|119.8 V"}));
    EXPECT_TRUE(view.IsDataSheetEnabled());
    EXPECT_EQ(history.asked.back(), "BIO-5521");
    EXPECT_EQ(view.rows[0].lastTime, "119.7 V");
    EXPECT_FALSE(view.rows[0].sharp);
    EXPECT_EQ(view.selectorToolTip.rfind("Last tested 03/14/2014", 0), 0u) << view.selectorToolTip;
}

TEST_F(CaptureControllerTest, DataSheetIsOnlyEnabledByTheFormsCornerOrByReadings)
{
    controller.OnLButtonDblClk(CaptureController::kCornerX, CaptureController::kCornerY + 1);
    EXPECT_FALSE(view.IsDataSheetEnabled());
    controller.OnLButtonDblClk(CaptureController::kCornerX + 1, CaptureController::kCornerY + 1);
    EXPECT_TRUE(view.IsDataSheetEnabled());
    controller.OnClearScreen();
    EXPECT_FALSE(view.IsDataSheetEnabled());
    // Lines without an equipment ID list nothing to document.
    controller.OnResult();
    Receive("QUELLMAX TEST RESULTS\r\n1.Case Leakage 0.1 uA\r\n");
    EXPECT_FALSE(view.IsDataSheetEnabled());
    EXPECT_TRUE(history.submitted.empty());
}

// A limits file with a typo on its third line.
std::string BadLimitsFile(const test::TempFolder& folder)
{
    const std::string path = (folder.path() / "limits.json").string();
    std::ofstream(path) << "{\n  \"name\": \"dept\", \"version\": \"1\",\n  \"rulez\": []\n}\n";
    return path;
}

// Records what is submitted into a store, as the window's recorder does (the
// lines themselves standing for their hash).
class StoringHistory : public HistorySink {
public:
    void Submit(history::HistoryCapture capture, std::vector<std::string> lines) override
    {
        for (const std::string& line : lines) {
            capture.linesHash += line + "\n";
        }
        ASSERT_TRUE(store.Record(capture));
    }
    void Lookup(const std::string&, LookupDone done) override { done(std::vector<history::HistoryRecord>{}); }

    test::MemoryHistoryStore store;
};

std::shared_ptr<const verdict::VerdictEngine> LeakageEngine(const std::string& name, double max)
{
    verdict::Rule rule;
    rule.id = name + ".case";
    rule.kind = InstrumentKind::Quellmax;
    rule.test = "Case Leakage";
    rule.unit = "uA";
    rule.max = max;
    rule.source = "test figure";
    verdict::Profile profile{name, "1", "rules made for the test", {rule}};
    return std::make_shared<const verdict::VerdictEngine>(verdict::LimitsLibrary::FromProfiles({profile}, name),
                                                          verdict::EquipmentList());
}

// "profile version", then "item verdict limit rule" a reading.
std::vector<std::string> Stored(const history::HistoryRecord& record)
{
    std::vector<std::string> stored{record.verdictProfile + " " + record.verdictProfileVersion};
    for (const history::HistoryReading& reading : record.readings) {
        stored.push_back(std::to_string(reading.item) + " " + reading.verdict + "|" + reading.limit + "|" +
                         reading.rule);
    }
    return stored;
}

TEST_F(CaptureControllerTest, WithVerdictsOnTheHistoryKeepsEachReadingsVerdictAndALaterProfileRewritesNone)
{
    StoringHistory stored;
    controller.SetHistorySink(&stored);
    const std::string atMost = "\xE2\x89\xA4 ";
    const std::string micro = " \xC2\xB5"
                              "A";
    // Verdicts off: recorded without, as before.
    controller.OnResult();
    Receive("EquipmentID: OFF-1\r\n1.Case Leakage 0.1 uA\r\n");
    ASSERT_EQ(stored.store.Lookup("OFF-1").value().size(), 1u);
    EXPECT_EQ(Stored(stored.store.Lookup("OFF-1").value()[0]), (std::vector<std::string>{" ", "1 ||"}));

    controller.SetVerdictEngine(LeakageEngine("first", 100));
    controller.OnResult();
    Receive("EquipmentID: V-1\r\n1.Case Leakage 0.1 uA\r\n");
    // The printout goes on after a pause, while another profile came into use.
    controller.SetVerdictEngine(LeakageEngine("second", 0.05));
    Receive("2.Line Voltage 120 V\r\nEquipmentID: V-2\r\n1.Case Leakage 0.1 uA\r\n");
    ASSERT_EQ(stored.store.Captures().size(), 2u);
    const auto first = stored.store.Lookup("V-1").value();
    ASSERT_EQ(first.size(), 1u);
    // What was stored stays; what the record grew by is not judged by another profile.
    EXPECT_EQ(Stored(first[0]),
              (std::vector<std::string>{"first 1", "1 pass|" + atMost + "100" + micro + "|first.case", "2 ||"}));
    // A record the earlier part did not have: judged by the profile in use now.
    const auto added = stored.store.Lookup("V-2").value();
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(Stored(added[0]),
              (std::vector<std::string>{"second 1", "1 fail|" + atMost + "0.05" + micro + "|second.case"}));

    // A new capture is judged by the new profile; the old one's verdicts stay.
    controller.OnResult();
    Receive("EquipmentID: V-1\r\n1.Case Leakage 0.1 uA\r\n");
    const auto both = stored.store.Lookup("V-1").value();
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(Stored(both[0])[1], "1 pass|" + atMost + "100" + micro + "|first.case");
    EXPECT_EQ(Stored(both[1])[1], "1 fail|" + atMost + "0.05" + micro + "|second.case");
    EXPECT_EQ(Stored(stored.store.Lookup("OFF-1").value()[0])[0], " ");
}

TEST_F(CaptureControllerTest, VerdictsJudgeTheRecordShownAgainWhenTheIdTheKindOrTheEngineChange)
{
    using verdict::Outcome;
    ReceiveThePrintout();
    EXPECT_FALSE(view.verdictsShown);
    EXPECT_EQ(view.verdictsJudged, 0);

    controller.SetVerdictEngine(DepartmentLimits());
    EXPECT_TRUE(view.verdictsShown);
    ASSERT_TRUE(view.recordVerdict);
    EXPECT_EQ(view.recordVerdict->equipmentId, "10234");
    EXPECT_EQ(view.recordVerdict->outcome, verdict::RecordOutcome::Fail);
    EXPECT_EQ(view.recordVerdict->profileName, "department");
    ASSERT_EQ(view.recordVerdict->readings.size(), 2u);
    EXPECT_EQ(view.recordVerdict->readings[0].outcome, Outcome::Pass);
    EXPECT_EQ(view.recordVerdict->readings[1].outcome, Outcome::Fail);
    EXPECT_EQ(view.recordVerdict->readings[1].ruleId, "ground");

    // Another ID: its own rows, its own ID.
    view.SetSelectorCurrent(1);
    controller.OnSelectEquipment();
    ASSERT_TRUE(view.recordVerdict);
    EXPECT_EQ(view.recordVerdict->equipmentId, "BIO-5521");
    ASSERT_EQ(view.recordVerdict->readings.size(), 1u);
    EXPECT_EQ(view.recordVerdict->readings[0].outcome, Outcome::NoLimit);

    // The kind the radio buttons say: the defibrillator analyzer has no such rules.
    view.SetSelectorCurrent(0);
    controller.OnSelectEquipment();
    view.checkedKind = InstrumentKind::Kappa5100;
    controller.OnKindKappa();
    ASSERT_TRUE(view.recordVerdict);
    EXPECT_EQ(view.recordVerdict->readings[1].outcome, Outcome::NoLimit);
    EXPECT_EQ(view.recordVerdict->outcome, verdict::RecordOutcome::NotJudged);

    // Off again: no column, and nothing judged.
    controller.SetVerdictEngine(nullptr);
    EXPECT_FALSE(view.verdictsShown);
    const int judged = view.verdictsJudged;
    controller.OnSelectEquipment();
    EXPECT_EQ(view.verdictsJudged, judged);
    EXPECT_FALSE(view.recordVerdict);
}

TEST_F(CaptureControllerTest, OptionsLimitsIsTakenOnlyWhenItsFilesLoadAndAStoredFaultIsToldOnce)
{
    const test::TempFolder folder;
    const std::string bad = BadLimitsFile(folder);
    const LimitsChoice badChoice{true, {bad, "", ""}};
    const Result<void> refused = controller.ApplyLimits(badChoice);
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().message.find("limits.json:3:"), std::string::npos) << refused.error().message;
    EXPECT_EQ(controller.verdictEngine(), nullptr);
    EXPECT_FALSE(view.verdictsShown);
    EXPECT_FALSE(settings.Contains("Limits", "Verdicts"));

    // The shipped limits: taken and stored.
    ASSERT_TRUE(controller.ApplyLimits(LimitsChoice{true, {}}));
    const verdict::VerdictEngine* inUse = controller.verdictEngine();
    ASSERT_NE(inUse, nullptr);
    EXPECT_TRUE(view.verdictsShown);
    EXPECT_EQ(settings.Read(settings::kVerdicts), "1");
    // A bad file now leaves what is in use, stored and judging.
    EXPECT_FALSE(controller.ApplyLimits(badChoice));
    EXPECT_EQ(controller.verdictEngine(), inUse);
    EXPECT_EQ(settings.Read(settings::kLimitsFile), "");
    // Off is taken whatever the files hold.
    ASSERT_TRUE(controller.ApplyLimits(LimitsChoice{false, {bad, "", ""}}));
    EXPECT_EQ(controller.verdictEngine(), nullptr);
    EXPECT_FALSE(view.verdictsShown);

    // Stored on with the bad file: the next start says so once and judges nothing.
    settings.Write(settings::kVerdicts, "1");
    controller.OnInitialUpdate();
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_NE(prompts.errors[0].find("limits.json:3:"), std::string::npos) << prompts.errors[0];
    EXPECT_EQ(controller.verdictEngine(), nullptr);
    EXPECT_FALSE(view.verdictsShown);
    controller.OnInitialUpdate(); // File > New
    EXPECT_EQ(prompts.errors.size(), 1u);
    settings.Write(settings::kLimitsFile, "");
    controller.OnInitialUpdate();
    EXPECT_NE(controller.verdictEngine(), nullptr);
    EXPECT_TRUE(view.verdictsShown);
}

TEST_F(CaptureControllerTest, TheStoredEquipmentListJudgesWithoutAListFileAndDescribesTheChosenId)
{
    ReceiveThePrintout();
    EXPECT_EQ(view.deviceLine, ""); // no list read yet
    verdict::Device pump;
    pump.equipmentId = "10234";
    pump.deviceClass = verdict::DeviceClass::II;
    pump.appliedParts = {verdict::AppliedPart::BF};
    pump.intervalMonths = 6;
    controller.SetStoredEquipment(std::vector<verdict::Device>{pump});
    EXPECT_EQ(view.deviceLine, "Class II, applied parts BF, next test due 2015-09-14 (6 months after this test)");
    EXPECT_FALSE(view.deviceLineOffersAdd);
    view.SetSelectorCurrent(1);
    controller.OnSelectEquipment();
    EXPECT_EQ(view.deviceLine, "not in the equipment list");
    EXPECT_TRUE(view.deviceLineOffersAdd);
    EXPECT_EQ(controller.ChosenEquipmentId(), "BIO-5521");

    ASSERT_TRUE(controller.ApplyLimits(LimitsChoice{true, {}}));
    ASSERT_NE(controller.verdictEngine()->equipment().Find("10234"), nullptr);
    // A list file named in Options > Limits wins over the stored one.
    const test::TempFolder folder;
    const std::string list = (folder.path() / "equipment.csv").string();
    std::ofstream(list) << verdict::kEquipmentListHeader << "\nOTHER-1,,,I,,12,,,\n";
    ASSERT_TRUE(controller.ApplyLimits(LimitsChoice{true, {"", "", list}}));
    EXPECT_EQ(controller.verdictEngine()->equipment().Find("10234"), nullptr);
    ASSERT_TRUE(controller.ApplyLimits(LimitsChoice{true, {}}));
    // A change of the stored list judges by the new one at once.
    pump.equipmentId = "10235";
    controller.SetStoredEquipment(std::vector<verdict::Device>{pump});
    EXPECT_EQ(controller.verdictEngine()->equipment().Find("10234"), nullptr);
    EXPECT_NE(controller.verdictEngine()->equipment().Find("10235"), nullptr);
    controller.SetStoredEquipment(std::nullopt);
    EXPECT_EQ(view.deviceLine, "");
}

TEST_F(CaptureControllerTest, AllDataSheetsAndTheCsvExportGetTheVerdictsOnlyWhileTheyAreOn)
{
    ReceiveThePrintout();
    const test::TempFolder folder;
    const std::string csv = (folder.path() / "results.csv").string();
    const auto header = [&] {
        std::ifstream in(csv);
        std::string line;
        std::getline(in, line);
        return line;
    };
    EXPECT_EQ(controller.AllDataSheetsSnapshot().verdicts, nullptr);
    ASSERT_TRUE(controller.ExportCsvTo(csv));
    EXPECT_EQ(header(), "\xEF\xBB\xBF" + std::string(kCsvHeader) + "\r");

    const auto engine = DepartmentLimits();
    controller.SetVerdictEngine(engine);
    EXPECT_EQ(controller.AllDataSheetsSnapshot().verdicts, engine);
    ASSERT_TRUE(controller.ExportCsvTo(csv));
    EXPECT_EQ(header(), "\xEF\xBB\xBF" + std::string(kCsvHeader) + ",limit,verdict\r");
}

} // namespace
} // namespace tessaprint
