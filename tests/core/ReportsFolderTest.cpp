#include "results/ReportsFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace tessaprint {
namespace {

namespace fs = std::filesystem;

std::string Stamp(int year, int month, int day, int hour, int minute, int second)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return FormatFileStamp(t);
}

void WriteFile(const fs::path& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

// Every entry below root, as sorted relative paths.
std::vector<std::string> ListTree(const fs::path& root)
{
    std::vector<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        entries.push_back(entry.path().lexically_relative(root).generic_string());
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

// Each test gets its own temporary folder holding a home folder and the
// working folder, so anything that lands in the wrong place shows up and
// nothing of the real user is touched.
class ReportsFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = fs::temp_directory_path() /
                 ("tessaprint-reports-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                  "-" + std::to_string(std::random_device()()));
        m_work = m_root / "work";
        fs::create_directories(m_root / "home");
        fs::create_directories(m_work);
        m_oldWork = fs::current_path();
        fs::current_path(m_work);
#ifndef _WIN32
        if (const char* home = std::getenv("HOME")) {
            m_oldHome = home;
        }
        SetHome((m_root / "home").c_str());
#endif
    }

    void TearDown() override
    {
#ifndef _WIN32
        SetHome(m_oldHome ? m_oldHome->c_str() : nullptr);
#endif
        fs::current_path(m_oldWork);
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }

#ifndef _WIN32
    static void SetHome(const char* value)
    {
        if (value != nullptr) {
            setenv("HOME", value, 1);
        } else {
            unsetenv("HOME");
        }
    }
#endif

    fs::path DefaultFolder() const
    {
        return m_root / "home" / "Zelmor" / "Tessaprint" / "reports";
    }

    fs::path m_root;
    fs::path m_work;
    fs::path m_oldWork;
    std::optional<std::string> m_oldHome;
};

TEST(FileStampTest, MonthAndHourWithoutLeadingZeroHourOnTheTwelveHourClock)
{
    EXPECT_EQ(Stamp(2015, 3, 7, 21, 5, 8), "307201590508");
    EXPECT_EQ(Stamp(2026, 12, 7, 18, 5, 9), "1207202660509");
    EXPECT_EQ(Stamp(2021, 10, 1, 9, 0, 0), "1001202190000");
    EXPECT_EQ(Stamp(2020, 1, 1, 0, 30, 5), "1012020123005");   // just after midnight
    EXPECT_EQ(Stamp(2020, 1, 1, 12, 0, 0), "1012020120000");   // noon
    EXPECT_EQ(Stamp(2020, 1, 1, 1, 2, 3), "101202010203");     // 1 AM
    EXPECT_EQ(Stamp(2020, 1, 1, 23, 59, 59), "1012020115959"); // 11 PM
    // No AM/PM: 12 hours apart is the same stamp, so names need their own guard.
    EXPECT_EQ(Stamp(2020, 6, 15, 9, 5, 0), Stamp(2020, 6, 15, 21, 5, 0));
}

TEST(NamePartTest, IdsAndCompaniesAsTheyStandButNothingThatLeavesTheFolder)
{
    for (const std::string part : {" 10234", "  X", "trailing ", "Müller Medizintechnik GmbH", "Company, Inc. (Nord)",
                                   "...", "a.b", ".hidden"}) {
        EXPECT_TRUE(IsValidNamePart(part)) << part;
    }
    for (const std::string part : {"",    "   ", ".",    "..",  " .. ", "a/b", "../x", "a\\b", "..\\x", "C:",   "C:x",
                                   "a*b", "a?b", "a\"b", "a<b", "a>b",  "a|b", "a\tb", "a\nb", "a\x1F", "a\x7F"}) {
        EXPECT_FALSE(IsValidNamePart(part)) << ::testing::PrintToString(part);
    }
    EXPECT_FALSE(IsValidNamePart(std::string("a\0b", 3)));
}

TEST(NamePartTest, NamesWindowsKeepsForDevicesAreRefusedEverywhere)
{
    for (const std::string part : {"CON", "con", " Con ", "PRN", "AUX", "NUL", "nul.docx", "COM1", "com9", "LPT1",
                                   "lpt9.txt", "COM0", "COM\xC2\xB9", "CON.", "AUX .log", "CONIN$", "conout$"}) {
        EXPECT_FALSE(IsValidNamePart(part)) << part;
    }
    // Only the whole name before the extension counts.
    for (const std::string part : {"CONSOLE", "COM10", "COM", "LPT", "NULL", "PRN1", "XCON", "CON-2", "COMA"}) {
        EXPECT_TRUE(IsValidNamePart(part)) << part;
    }
    const Result<ReportPath> path = MakeReportPath("/tmp", " NUL", "-307201590508", "docx");
    EXPECT_FALSE(path.ok());
    EXPECT_NE(path.error().message.find("device"), std::string::npos) << path.error().message;
}

#ifdef _WIN32
TEST_F(ReportsFolderTest, DefaultFolderIsOnDriveC)
{
    EXPECT_EQ(DefaultReportsFolder(), "C:\\Zelmor\\Tessaprint\\reports");
}
#else
TEST_F(ReportsFolderTest, DefaultFolderIsBelowHomeAndAlwaysAbsolute)
{
    EXPECT_EQ(DefaultReportsFolder(), DefaultFolder().string());
    for (const char* home : {static_cast<const char*>(nullptr), "", "relative/home"}) {
        SetHome(home);
        const fs::path folder = DefaultReportsFolder();
        EXPECT_TRUE(folder.is_absolute()) << folder;
        EXPECT_EQ(folder.string().find("relative"), std::string::npos) << folder;
        EXPECT_TRUE(folder.string().ends_with("/Zelmor/Tessaprint/reports")) << folder;
    }
}

TEST_F(ReportsFolderTest, EmptyAndRelativeFoldersResolveBelowTheDefaultAbsoluteOnesStay)
{
    EXPECT_EQ(ResolveReportsFolder(""), DefaultFolder());
    EXPECT_EQ(ResolveReportsFolder("clinic/2024"), DefaultFolder() / "clinic" / "2024");
    EXPECT_EQ(ResolveReportsFolder("./clinic"), DefaultFolder() / "clinic");
    EXPECT_EQ(ResolveReportsFolder("../../../etc"), DefaultFolder() / "etc");
    EXPECT_EQ(ResolveReportsFolder(".."), DefaultFolder());
    EXPECT_EQ(ResolveReportsFolder("a/../../b"), DefaultFolder() / "b");
    EXPECT_EQ(ResolveReportsFolder("/srv/reports/"), fs::path("/srv/reports/"));
    EXPECT_EQ(ResolveReportsFolder("/"), fs::path("/"));
}

TEST_F(ReportsFolderTest, RelativeFoldersAreMadeAndFilledBelowTheDefaultNeverInTheWorkingFolder)
{
    EXPECT_TRUE(CreateReportsFolderTree(""));
    EXPECT_TRUE(CreateReportsFolderTree("site/reports"));
    EXPECT_TRUE(fs::is_directory(DefaultFolder() / "site" / "reports"));
    const Result<ReportPath> report = MakeReportPath("../site", "A-17", "-307201590508", "docx");
    ASSERT_TRUE(report.ok()) << report.error().message;
    EXPECT_EQ(report.value().path, DefaultFolder() / "site" / "A-17-307201590508.docx");
    EXPECT_TRUE(ListTree(m_work).empty());
}
#endif

TEST_F(ReportsFolderTest, CreatesEveryLevelOfADeepFolder)
{
    const fs::path deep = m_root / "a" / "b" / "c" / "d" / "e" / "f" / "g" / "h";
    EXPECT_TRUE(CreateReportsFolderTree(deep.string()));
    EXPECT_TRUE(fs::is_directory(deep));
    EXPECT_TRUE(CreateReportsFolderTree(deep.string())); // already there
    EXPECT_TRUE(CreateReportsFolderTree((m_root / "x" / "y").string() + "/"));
    EXPECT_TRUE(fs::is_directory(m_root / "x" / "y"));
}

TEST_F(ReportsFolderTest, FileInTheWayOfTheFolderIsNamedInTheError)
{
    WriteFile(m_root / "blocker", "not a folder");
    const fs::path blocked = m_root / "blocker" / "reports";
    const Result<void> made = CreateReportsFolderTree(blocked.string());
    ASSERT_FALSE(made);
    EXPECT_NE(made.error().message.find(blocked.string()), std::string::npos) << made.error().message;
    const Result<ReportPath> report = MakeReportPath((m_root / "blocker").string(), "A-17", "-307201590508", "docx");
    EXPECT_FALSE(report.ok());
    EXPECT_NE(report.error().message.find((m_root / "blocker").string()), std::string::npos) << report.error().message;
}

TEST_F(ReportsFolderTest, NamesTheFileInsideTheFolderAndCreatesTheFolder)
{
    const fs::path folder = m_root / "one" / "two" / "three" / "four" / "five" / "six";
    const Result<ReportPath> record = MakeReportPath(folder.string() + "/", " 10234", "-307201590508", "docx");
    ASSERT_TRUE(record.ok()) << record.error().message;
    EXPECT_EQ(record.value().path.lexically_normal(), folder / " 10234-307201590508.docx");
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_FALSE(fs::exists(record.value().path)); // the caller writes the document
}

TEST_F(ReportsFolderTest, WorkOrderIsNamedByTheCompanyAndItsExtensionMayComeWithTheDot)
{
    const fs::path folder = m_root / "one" / "two";
    const Result<ReportPath> order =
        MakeReportPath(folder.string(), "Acme Clinic", "-Work-Order-1207202660509", ".docx");
    ASSERT_TRUE(order.ok()) << order.error().message;
    EXPECT_EQ(order.value().path, folder / "Acme Clinic-Work-Order-1207202660509.docx");
}

TEST_F(ReportsFolderTest, DocumentsWithTheSameStampNeverOverwriteEachOther)
{
    const fs::path folder = m_root / "reports";
    std::vector<std::string> names;
    for (int i = 0; i < 3; ++i) {
        const Result<ReportPath> report = MakeReportPath(folder.string(), " 10234", "-307201590508", "docx");
        ASSERT_TRUE(report.ok()) << report.error().message;
        ASSERT_FALSE(fs::exists(report.value().path));
        WriteFile(report.value().path, "document " + std::to_string(i));
        names.push_back(report.value().path.filename().string());
    }
    EXPECT_EQ(names, (std::vector<std::string>{" 10234-307201590508.docx", " 10234-307201590508-2.docx",
                                               " 10234-307201590508-3.docx"}));
    auto sorted = names;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(ListTree(folder), sorted); // three files: nothing was written twice
}

#ifndef _WIN32
TEST_F(ReportsFolderTest, ALinkAtTheNameIsTakenEvenWhenItPointsNowhere)
{
    // A link at the name is taken too, even when it points nowhere yet.
    const fs::path folder = m_root / "reports";
    fs::create_directories(folder);
    fs::create_symlink(m_root / "outside.docx", folder / "A-17-1.docx");
    const Result<ReportPath> linked = MakeReportPath(folder.string(), "A-17", "-1", "docx");
    ASSERT_TRUE(linked.ok()) << linked.error().message;
    EXPECT_EQ(linked.value().path, folder / "A-17-1-2.docx");
}
#endif

TEST_F(ReportsFolderTest, BadNamePartIsRefusedAndNothingIsCreated)
{
    const fs::path folder = m_root / "reports";
    const auto before = ListTree(m_root);
    for (const std::string part : {"../escape", "..", "a/b", "/etc/x", "C:evil", "x\\y", "a|b", "", "  "}) {
        const Result<ReportPath> report = MakeReportPath(folder.string(), part, "-307201590508", "docx");
        EXPECT_FALSE(report.ok()) << part;
        EXPECT_NE(report.error().message.find("\"" + part + "\""), std::string::npos) << report.error().message;
    }
    const Result<ReportPath> tooLong = MakeReportPath(folder.string(), std::string(300, 'x'), "-307201590508", "docx");
    EXPECT_FALSE(tooLong.ok());
    EXPECT_FALSE(tooLong.error().message.empty());
    EXPECT_EQ(ListTree(m_root), before);
}

} // namespace
} // namespace tessaprint
