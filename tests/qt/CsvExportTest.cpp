// File > Export Results as CSV from the window: what is shown goes out whole,
// with the time of its capture, and never while a capture is still arriving.
#include "MainWindowFixture.h"

#include "util/FileIo.h"

#include <QAction>
#include <QTemporaryDir>

#include <filesystem>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace tessaprint {
namespace {

class CsvExportTest : public test::MainWindowFixture {
protected:
    QAction* Export() const
    {
        return app->frame()->findChild<QAction*>(ControlName(ControlId::Command::FileExportCsv));
    }

    void ExportChoosing(const std::string& path)
    {
        prompts.files = {path};
        Export()->trigger();
    }

    static std::string Read(const std::string& path)
    {
        const Result<std::string> content = ReadWholeFile(path);
        return content ? content.value() : "(" + content.error().message + ")";
    }

    QTemporaryDir dir;
};

TEST_F(CsvExportTest, TheShownCaptureGoesOutWithItsTimeAndKind)
{
    std::tm arrival{};
    arrival.tm_year = 2026 - 1900;
    arrival.tm_mon = 11;
    arrival.tm_mday = 8;
    arrival.tm_hour = 14;
    arrival.tm_min = 5;
    arrival.tm_sec = 9;
    clock.SetLocalTime(arrival);
    Start();
    ShowAndActivate();
    ReceiveThePrintout();
    const std::string path = dir.filePath("round").toStdString();
    ExportChoosing(path);

    // The extension is added, as the maintenance system's import looks for it.
    const std::string stamp = ",Quellmax,2026-12-08T14:05:09\r\n";
    EXPECT_EQ(Read(path + ".csv"),
              "\xEF\xBB\xBF"
              "equipment_id,test_date,item,test,reading,value,instrument,captured_at\r\n"
              "10234,03/14/2015,1,Case Leakage,0.1 uA,Case Leakage 0.1 uA" +
                  stamp + "10234,03/14/2015,2,Ground Resistance,0.123 Ohms,Ground Resistance 0.123 Ohms" + stamp +
                  "BIO-5521,03/14/2015,1,Line Voltage,119.8 V,Line Voltage 119.8 V" + stamp);
    EXPECT_EQ(app->frame()->statusText().toStdString(), "Exported 3 readings of 2 equipment IDs to " + path + ".csv");
    EXPECT_TRUE(prompts.errors.empty());
}

TEST_F(CsvExportTest, AnOpenedCaptureCarriesTheTimeItsFileWasWritten)
{
    const std::string saved = dir.filePath("capture.txt").toStdString();
    ASSERT_TRUE(WriteWholeFile(saved, "EquipmentID: PUMP-7\r\nDate: 03/15/2026\r\n1.Line Voltage 120.0 V\r\n"));
    QFile file(QString::fromStdString(saved));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite)); // Qt sets a file's times only while it is open
    ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2025, 1, 2), QTime(3, 4, 5)), QFileDevice::FileModificationTime));
    file.close();
    Start();
    ShowAndActivate();
    PressCtrlChoosing(Qt::Key_O, saved);
    ExportChoosing(dir.filePath("opened.csv").toStdString());
    EXPECT_NE(Read(dir.filePath("opened.csv").toStdString()).find(",2025-01-02T03:04:05\r\n"), std::string::npos);
}

TEST_F(CsvExportTest, NothingToExportSaysSoAndAnUnwritablePlaceIsAnError)
{
    Start();
    ShowAndActivate();
    ExportChoosing(dir.filePath("empty.csv").toStdString());
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_NE(prompts.errors[0].find("no results to export"), std::string::npos);
    EXPECT_FALSE(QFile::exists(dir.filePath("empty.csv")));

    ReceiveThePrintout();
    ExportChoosing(dir.filePath("no-such-folder/x.csv").toStdString());
    ASSERT_EQ(prompts.errors.size(), 2u);
    EXPECT_EQ(prompts.errors[1].rfind("Cannot export the results to ", 0), 0u) << prompts.errors[1];
}

#ifndef Q_OS_WIN
TEST_F(CsvExportTest, SavedLinesAndTheCsvGoThroughALinkAndAFifoNobodyReadsIsAnErrorAtOnce)
{
    namespace fs = std::filesystem;
    const fs::path folder = dir.path().toStdString();
    fs::create_directory(folder / "kept");
    fs::create_symlink("kept/lines.txt", folder / "lines.txt");
    fs::create_symlink("kept/results.csv", folder / "results.csv");
    Start();
    ShowAndActivate();
    ReceiveThePrintout();
    PressCtrlChoosing(Qt::Key_S, (folder / "lines.txt").string());
    ExportChoosing((folder / "results.csv").string());
    ASSERT_TRUE(prompts.errors.empty()) << prompts.errors.front();
    EXPECT_TRUE(fs::is_symlink(folder / "lines.txt"));
    EXPECT_TRUE(fs::is_symlink(folder / "results.csv"));
    EXPECT_EQ(
        Read((folder / "kept" / "lines.txt").string()).rfind("QUELLMAX TEST RESULTS\r\nEquipmentID: 10234\r\n", 0), 0u);
    EXPECT_EQ(Read((folder / "kept" / "results.csv").string())
                  .rfind("\xEF\xBB\xBF"
                         "equipment_id,",
                         0),
              0u);

    ASSERT_EQ(::mkfifo((folder / "pipe.csv").c_str(), 0600), 0);
    ExportChoosing((folder / "pipe.csv").string());
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_NE(prompts.errors[0].find("it is a FIFO that no program is reading from"), std::string::npos)
        << prompts.errors[0];
    EXPECT_TRUE(fs::is_fifo(folder / "pipe.csv"));
}
#endif

TEST_F(CsvExportTest, WhileACaptureArrivesTheExportWaits)
{
    Start();
    ShowAndActivate();
    Click(ControlId::Form::Result);
    driver.Arrive("EquipmentID: 10234\r\n1.Case Leakage 0.1 uA\r\n");
    driver.Raise(kTextEvent);
    QCoreApplication::processEvents();
    EXPECT_FALSE(Export()->isEnabled());
    clock.Advance(750); // the quiet time: the results are ready
    QCoreApplication::processEvents();
    EXPECT_TRUE(Export()->isEnabled());
}

} // namespace
} // namespace tessaprint
