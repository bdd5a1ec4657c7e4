// The names the settings are stored under and what they read as unset: the
// one place they are written out, so that a renamed key, which would make a
// user's settings unread, fails here.
#include "util/SettingsStore.h"

#include <gtest/gtest.h>

namespace tessaprint {
namespace {

std::string Stored(const settings::Entry& entry)
{
    return std::string(entry.section) + "/" + std::string(entry.key) + "=" + std::string(entry.defaultValue);
}

TEST(SettingsRegistryTest, EverySettingKeepsItsSectionKeyAndDefault)
{
    EXPECT_EQ(Stored(settings::kReports), "Directories/Reports=");
    EXPECT_EQ(Stored(settings::kWord2007), "Directories/Word2007=1");
    EXPECT_EQ(Stored(settings::kSavePdf), "Directories/SavePdf=0");
    EXPECT_EQ(Stored(settings::kUnitType), "Settings/szUnitType=Quellmax");
    EXPECT_EQ(Stored(settings::kTextEditor), "Settings/szTextEditor=");
    EXPECT_EQ(Stored(settings::kOfficeCommand), "Settings/szOfficeCommand=");
    EXPECT_EQ(Stored(settings::kPdfTimeLimitSeconds), "Settings/PdfTimeLimitSeconds=");
    EXPECT_EQ(Stored(settings::kPort), "Serial/Port=COM1");
    EXPECT_EQ(Stored(settings::kAnswerTimeoutMs), "Serial/AnswerTimeoutMs=");
    EXPECT_EQ(Stored(settings::kMaxCaptureBytes), "Serial/MaxCaptureBytes=");
    EXPECT_EQ(Stored(settings::kMaxCaptureSeconds), "Serial/MaxCaptureSeconds=");
    EXPECT_EQ(Stored(settings::kBaudRate), "Serial/BaudRate=115200");
    EXPECT_EQ(Stored(settings::kDataBits), "Serial/DataBits=8");
    EXPECT_EQ(Stored(settings::kParity), "Serial/Parity=None");
    EXPECT_EQ(Stored(settings::kStopBits), "Serial/StopBits=1");
    EXPECT_EQ(std::string(settings::kSerial) + "/" + settings::PortDeviceKey(10), "Serial/COM10Device");
    EXPECT_EQ(settings::kWorkOrder, "Work Order");
    EXPECT_EQ(Stored(settings::kCapturedLinesFolder), "Folders/CapturedLines=");
    EXPECT_EQ(Stored(settings::kCsvExportFolder), "Folders/CsvExport=");
    EXPECT_EQ(Stored(settings::kWindowGeometry), "Window/Geometry=");
    EXPECT_EQ(Stored(settings::kWindowSplitter), "Window/Splitter=");
    EXPECT_EQ(Stored(settings::kReadingColumns), "Window/ReadingColumns=");
    EXPECT_EQ(Stored(settings::kHistoryDatabase), "History/Database=");
    EXPECT_EQ(Stored(settings::kHistoryPasswordFile), "History/PasswordFile=");
    EXPECT_EQ(Stored(settings::kArchiveImported), "History/ArchiveImported=");
    EXPECT_EQ(Stored(settings::kVerdicts), "Limits/Verdicts=0");
    EXPECT_EQ(Stored(settings::kLimitsFile), "Limits/File=");
    EXPECT_EQ(Stored(settings::kLimitsProfile), "Limits/Profile=");
    EXPECT_EQ(Stored(settings::kEquipmentList), "Limits/EquipmentList=");
    EXPECT_EQ(settings::PathName(settings::kTextEditor), "Settings/szTextEditor");
    EXPECT_EQ(settings::QuotedName(settings::kMaxCaptureBytes), "\"Serial\"/\"MaxCaptureBytes\"");
}

TEST(SettingsRegistryTest, ReadGivesTheDefaultWithoutStoringItAndWriteStoresUnderSectionAndKey)
{
    MemorySettingsStore store;
    EXPECT_EQ(store.Read(settings::kPort), "COM1");
    EXPECT_EQ(store.Read(settings::kReports, "/fallback"), "/fallback");
    EXPECT_EQ(store.writes(), 0);
    store.Write(settings::kPort, "COM3");
    EXPECT_EQ(store.GetProfileString("Serial", "Port", ""), "COM3");
    EXPECT_EQ(store.Read(settings::kPort), "COM3");
}

} // namespace
} // namespace tessaprint
