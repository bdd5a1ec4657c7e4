// PDF copies of written documents: where the office program is found, the
// command it gets, what becomes of each way a conversion can end, and real
// programs run to their time limit (fake office scripts, and LibreOffice
// itself when it is installed).
#include "TestFiles.h"

#include "docs/DataSheet.h"
#include "docs/DocumentEngine.h"
#include "docs/OfficeLocator.h"
#include "docs/PdfConverter.h"
#include "docs/PdfCopySettings.h"
#include "link/Replay.h"
#include "util/ManualClock.h"
#include "util/PosixProcessRunner.h"

#include <cstring>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sys/stat.h>
#include <thread>

namespace tessaprint::docs {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempFolder;

// A made-up computer: its programs, environment variables and folders.
struct FakeComputer {
    std::set<std::string> programs;
    std::map<std::string, std::string> variables;
    std::map<std::string, std::vector<std::string>> folders;
    OfficeEnvironment::System system = OfficeEnvironment::System::Posix;

    OfficeEnvironment Environment() const
    {
        OfficeEnvironment environment;
        environment.system = system;
        environment.variable = [this](const std::string& name) {
            const auto it = variables.find(name);
            return it == variables.end() ? std::string() : it->second;
        };
        environment.isProgram = [this](const std::string& path) { return programs.count(path) > 0; };
        environment.folderNames = [this](const std::string& folder) {
            const auto it = folders.find(folder);
            return it == folders.end() ? std::vector<std::string>() : it->second;
        };
        return environment;
    }
    std::string Find(const std::string& setting = "") const
    {
        const Result<std::string> found = FindOffice(setting, Environment());
        return found ? found.value() : "error: " + found.error().message;
    }
};

TEST(OfficeLookupTest, TheSettingDecidesWhenItIsSet)
{
    FakeComputer computer;
    computer.variables["PATH"] = "/usr/local/bin:/usr/bin";
    computer.programs = {"/usr/bin/soffice", "/usr/local/bin/lo-7", "/home/t/LibreOffice 24/soffice"};
    EXPECT_EQ(computer.Find("lo-7"), "/usr/local/bin/lo-7");
    EXPECT_EQ(computer.Find("  \"/home/t/LibreOffice 24/soffice\" "), "/home/t/LibreOffice 24/soffice");
    // A setting that names nothing is an error, not a quiet fall-back to another program.
    EXPECT_EQ(computer.Find("/opt/gone/soffice"),
              "error: Settings/szOfficeCommand is \"/opt/gone/soffice\", which is not a program that can be started.");
    EXPECT_EQ(computer.Find("lo-8"), "error: Settings/szOfficeCommand names \"lo-8\", which was not found on PATH.");
    EXPECT_EQ(FindOffice("/nonexistent", computer.Environment(), "--office").error().message,
              "--office is \"/nonexistent\", which is not a program that can be started.");
}

TEST(OfficeLookupTest, WithoutTheSettingPathComesFirstThenTheInstallPlaces)
{
    FakeComputer computer;
    computer.variables["PATH"] = ":/home/t/bin::/usr/bin";
    computer.programs = {"/usr/bin/libreoffice", "/home/t/bin/soffice", "/usr/bin/soffice", "soffice"};
    EXPECT_EQ(computer.Find(), "/home/t/bin/soffice"); // the first on PATH; an empty entry is never the working folder
    computer.programs.erase("/home/t/bin/soffice");
    computer.programs.erase("/usr/bin/soffice");
    EXPECT_EQ(computer.Find(), "/usr/bin/libreoffice");

    computer.variables.clear();
    computer.programs = {"/usr/lib/libreoffice/program/soffice", "/snap/bin/libreoffice",
                         "/opt/libreoffice7.6/program/soffice", "/opt/libreoffice24.2/program/soffice"};
    computer.folders["/opt"] = {"libreoffice7.6", "google", "libreoffice24.2"};
    EXPECT_EQ(computer.Find(), "/usr/lib/libreoffice/program/soffice");
    computer.programs.erase("/usr/lib/libreoffice/program/soffice");
    EXPECT_EQ(computer.Find(), "/opt/libreoffice24.2/program/soffice"); // the newest, 24 being more than 7
    computer.programs.erase("/opt/libreoffice24.2/program/soffice");
    computer.programs.erase("/opt/libreoffice7.6/program/soffice");
    EXPECT_EQ(computer.Find(), "/snap/bin/libreoffice");
    computer.programs.clear();
    EXPECT_EQ(computer.Find(), "error: " + kOfficeNotFound);
    EXPECT_EQ(kOfficeNotFound, "LibreOffice (soffice) was not found on PATH or in its usual install places; set "
                               "Settings/szOfficeCommand to its path.");
}

TEST(OfficeLookupTest, WindowsLooksForSofficeExeOnPathAndInTheProgramFolders)
{
    FakeComputer computer;
    computer.system = OfficeEnvironment::System::Windows;
    computer.variables = {{"PATH", "C:\\Windows;C:\\Tools\\"},
                          {"ProgramFiles", "C:\\Program Files"},
                          {"ProgramFiles(x86)", "C:\\Program Files (x86)"}};
    computer.programs = {"C:\\Program Files (x86)\\LibreOffice\\program\\soffice.exe"};
    EXPECT_EQ(computer.Find(), "C:\\Program Files (x86)\\LibreOffice\\program\\soffice.exe");
    computer.programs.insert("C:\\Program Files\\LibreOffice\\program\\soffice.exe");
    EXPECT_EQ(computer.Find(), "C:\\Program Files\\LibreOffice\\program\\soffice.exe");
    computer.programs.insert("C:\\Tools\\soffice.exe");
    EXPECT_EQ(computer.Find(), "C:\\Tools\\soffice.exe");
    EXPECT_EQ(
        computer.Find("D:\\LO\\soffice.exe"),
        "error: Settings/szOfficeCommand is \"D:\\LO\\soffice.exe\", which is not a program that can be started.");
}

TEST(PdfCopySettingsTest, OnlyOneTurnsCopiesOnAndTheLimitIsAWholeNumberOfSecondsInRange)
{
    MemorySettingsStore settings;
    EXPECT_FALSE(PdfCopySettings::Read(settings).savePdf);
    settings.Write(settings::kSavePdf, "yes");
    EXPECT_FALSE(PdfCopySettings::Read(settings).savePdf);
    settings.Write(settings::kSavePdf, "1");
    settings.Write(settings::kOfficeCommand, "/x/soffice");
    settings.Write(settings::kPdfTimeLimitSeconds, "30");
    const PdfCopySettings read = PdfCopySettings::Read(settings);
    EXPECT_TRUE(read.savePdf);
    EXPECT_EQ(read.officeCommand, "/x/soffice");
    EXPECT_EQ(read.timeLimitSeconds, 30);
    EXPECT_EQ(settings.writes(), 4); // reading creates nothing
    for (const char* odd : {"", "0", "-5", "3601", " 30", "30s", "99999999999999999999"}) {
        EXPECT_EQ(PdfCopySettings::TimeLimitFrom(odd), 120) << odd;
    }
    EXPECT_EQ(PdfCopySettings::TimeLimitFrom("3600"), 3600);
}

TEST(PdfCommandTest, TheOfficeProgramGetsAPrivateProfileAndAFolderOfItsOwn)
{
    EXPECT_EQ(PdfConverter::Arguments("/tmp/w 1/profile", "/tmp/w 1/out", "/r/10234-1.docx"),
              (std::vector<std::string>{"-env:UserInstallation=file:///tmp/w%201/profile", "--headless", "--norestore",
                                        "--convert-to", "pdf", "--outdir", "/tmp/w 1/out", "/r/10234-1.docx"}));
    EXPECT_EQ(FileUrl("/tmp/Zoë #1/p"), "file:///tmp/Zo%C3%AB%20%231/p");
    EXPECT_EQ(FileUrl("C:\\Users\\A B\\Temp"), "file:///C:/Users/A%20B/Temp");
}

// An office program that does as the test says, without a process.
class FakeRunner : public ProcessRunner {
public:
    Result<ProcessOutcome> Run(const std::string& program, const std::vector<std::string>& arguments, int timeLimitMs,
                               std::stop_token, const ProcessWatch&) override
    {
        programs.push_back(program);
        calls.push_back(arguments);
        limitsMs.push_back(timeLimitMs);
        if (!act) {
            return Error{kErrorPathNotFound, "No such file or directory"};
        }
        return act(arguments);
    }
    std::function<ProcessOutcome(const std::vector<std::string>&)> act;
    std::vector<std::string> programs;
    std::vector<std::vector<std::string>> calls;
    std::vector<int> limitsMs;
};

// What the office program writes: <outdir>/<name>.pdf.
void Write(const std::vector<std::string>& arguments, const std::string& bytes)
{
    const fs::path document(arguments.at(7));
    std::ofstream(fs::path(arguments.at(6)) / (document.stem().string() + ".pdf"), std::ios::binary) << bytes;
}

ProcessOutcome Exited(int code, std::string output = {})
{
    return ProcessOutcome{ProcessOutcome::End::Exited, code, std::move(output)};
}

class PdfConverterTest : public ::testing::Test {
protected:
    PdfConverterTest()
    {
        fs::create_directories(reports.path() / "r");
        document = reports.path() / "r" / "10234-307201590508.docx";
        std::ofstream(document, std::ios::binary) << "the document";
    }
    Result<std::string> Convert(int limitSeconds = 120)
    {
        const PdfConverter converter(runner, temp.path().string());
        return converter.Convert(PdfJob{document.string(), "/usr/bin/soffice", limitSeconds});
    }
    std::string Failure(int limitSeconds = 120)
    {
        const Result<std::string> pdf = Convert(limitSeconds);
        EXPECT_FALSE(pdf) << pdf.value();
        return pdf ? std::string() : pdf.error().message;
    }
    // The document as it was, nothing beside it, nothing left in the temporary folder.
    void ExpectOnlyTheDocument() const
    {
        EXPECT_EQ(ReadFile(document), "the document");
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(document.parent_path())) {
            names.push_back(entry.path().filename().string());
        }
        EXPECT_EQ(names, std::vector<std::string>{document.filename().string()});
        EXPECT_TRUE(fs::is_empty(temp.path()));
    }

    TempFolder reports;
    TempFolder temp;
    fs::path document;
    FakeRunner runner;
};

TEST_F(PdfConverterTest, ThePdfGoesBesideTheDocumentUnderItsNameAndTheWorkFolderGoes)
{
    runner.act = [this](const std::vector<std::string>& arguments) {
        // During the conversion: its own folder, for this user alone.
        const fs::path out(arguments.at(6));
        EXPECT_EQ(out.parent_path().parent_path(), temp.path());
        EXPECT_EQ(fs::status(out.parent_path()).permissions() & fs::perms::all, fs::perms::owner_all);
        EXPECT_EQ(arguments.at(0), "-env:UserInstallation=" + FileUrl(out.parent_path() / "profile"));
        Write(arguments, "%PDF-1.6 body");
        return Exited(0);
    };
    const Result<std::string> pdf = Convert();
    ASSERT_TRUE(pdf) << pdf.error().message;
    EXPECT_EQ(pdf.value(), (reports.path() / "r" / "10234-307201590508.pdf").string());
    EXPECT_EQ(ReadFile(pdf.value()), "%PDF-1.6 body");
    EXPECT_EQ(ReadFile(document), "the document");
    EXPECT_EQ(runner.programs, std::vector<std::string>{"/usr/bin/soffice"});
    EXPECT_EQ(runner.calls.at(0).at(7), document.string());
    EXPECT_EQ(runner.limitsMs, std::vector<int>{120000});
    EXPECT_TRUE(fs::is_empty(temp.path()));

    // A second conversion has a profile of its own, and leaves the first PDF as it was.
    runner.act = [](const std::vector<std::string>& arguments) {
        Write(arguments, "%PDF-1.6 second");
        return Exited(0);
    };
    const Result<std::string> second = Convert();
    ASSERT_TRUE(second) << second.error().message;
    EXPECT_NE(runner.calls.at(1).at(0), runner.calls.at(0).at(0));
    EXPECT_EQ(second.value(), (reports.path() / "r" / "10234-307201590508-2.pdf").string());
    EXPECT_EQ(ReadFile(pdf.value()), "%PDF-1.6 body");
    EXPECT_EQ(PdfCopySavedText(second.value()), "PDF copy saved: " + second.value());
}

TEST_F(PdfConverterTest, EachWayAConversionFailsIsSaidAndTheDocumentStaysAlone)
{
    const std::string tail(5000, 'x');
    const struct {
        ProcessOutcome outcome;
        const char* writes; // nullptr: nothing
        std::string reason;
    } cases[] = {
        {{ProcessOutcome::End::TimedOut, 0, ""}, "%PDF-1.6 half", "LibreOffice did not finish within 120 s"},
        {{ProcessOutcome::End::Stopped, 0, ""}, nullptr, "the program was closed before the copy was made"},
        {{ProcessOutcome::End::Crashed, 11, "Segmentation fault\n"},
         nullptr,
         "LibreOffice ended abnormally (Segmentation fault)"},
        {Exited(81, "javaldx: no Java\nError: source file could not be loaded\r\n"), "%PDF-1.6",
         "LibreOffice ended with exit status 81 (Error: source file could not be loaded)"},
        {Exited(0, "convert " + tail + "\n\n"), nullptr,
         "LibreOffice wrote no PDF (convert " + tail.substr(0, 192) + "…)"},
        {Exited(0), "", "LibreOffice wrote an empty file"},
        {Exited(0), "<html>not a pdf</html>", "what LibreOffice wrote is not a PDF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        runner.act = [&c](const std::vector<std::string>& arguments) {
            if (c.writes) {
                Write(arguments, c.writes);
            }
            return c.outcome;
        };
        EXPECT_EQ(Failure(), c.reason);
        ExpectOnlyTheDocument();
    }
    runner.act = nullptr; // cannot be started
    EXPECT_EQ(Failure(), "LibreOffice (/usr/bin/soffice) could not be started: No such file or directory");
    EXPECT_EQ(PdfCopyFailedText(document.string(), Error{kErrorFail, "LibreOffice did not finish within 120 s"}),
              "PDF copy of 10234-307201590508.docx failed: LibreOffice did not finish within 120 s");
}

TEST_F(PdfConverterTest, AMissingDocumentIsSaidWithoutStartingAnything)
{
    fs::remove(document);
    EXPECT_EQ(Failure(), "the document is not there");
    EXPECT_TRUE(runner.calls.empty());
}

// Fake office programs, run for real.
class OfficeScriptTest : public PdfConverterTest {
protected:
    // A shell script as the office program; $out is its --outdir, $doc the document, $name its base name.
    std::string Script(const std::string& body)
    {
        const fs::path path = scripts.path() / ("office-" + std::to_string(++m_scripts));
        std::ofstream(path) << "#!/bin/sh\nout=$7\ndoc=$8\nname=$(basename \"$doc\" .docx)\n" << body << "\n";
        fs::permissions(path, fs::perms::owner_all);
        return path.string();
    }
    Result<std::string> Run(const std::string& office, int limitSeconds)
    {
        const PdfConverter converter(system, temp.path().string());
        return converter.Convert(PdfJob{document.string(), office, limitSeconds});
    }
    // Gone, or a zombie that nobody has collected yet: either way no longer running.
    static bool IsRunning(pid_t pid)
    {
        if (::kill(pid, 0) != 0) {
            return false;
        }
        const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
        const auto close = stat.rfind(')');
        return close == std::string::npos || stat.substr(close + 2, 1) != "Z";
    }

    TempFolder scripts;
    PosixProcessRunner system;

private:
    int m_scripts = 0;
};

TEST_F(OfficeScriptTest, AnOfficeProgramThatHangsIsEndedAtItsLimitWithWhatItStarted)
{
    const fs::path childPid = scripts.path() / "child.pid";
    const std::string office = Script("sleep 300 &\necho $! >'" + childPid.string() + "'\nsleep 300");
    const auto start = std::chrono::steady_clock::now();
    const Result<std::string> pdf = Run(office, 2);
    const auto took = std::chrono::steady_clock::now() - start;
    ASSERT_FALSE(pdf);
    EXPECT_EQ(pdf.error().message, "LibreOffice did not finish within 2 s");
    EXPECT_GE(took, std::chrono::seconds(2));
    EXPECT_LT(took, std::chrono::seconds(10));
    const pid_t child = std::stoi(ReadFile(childPid));
    // A kill is delivered, not awaited: on a busy machine the child may take a moment to go.
    const auto killed = std::chrono::steady_clock::now();
    while (IsRunning(child) && std::chrono::steady_clock::now() - killed < std::chrono::seconds(5)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(IsRunning(child)) << "the office program's own child " << child << " outlived it";
    ExpectOnlyTheDocument();
}

TEST_F(OfficeScriptTest, FailingScriptsAndAMissingProgramAreSaid)
{
    Result<std::string> pdf = Run(Script("echo 'Error: source file could not be loaded' >&2\nexit 3"), 20);
    ASSERT_FALSE(pdf);
    EXPECT_EQ(pdf.error().message, "LibreOffice ended with exit status 3 (Error: source file could not be loaded)");
    ExpectOnlyTheDocument();

    pdf = Run(Script("echo \"convert $doc\""), 20);
    ASSERT_FALSE(pdf);
    EXPECT_EQ(pdf.error().message, "LibreOffice wrote no PDF (convert " + document.string() + ")");
    ExpectOnlyTheDocument();

    pdf = Run((scripts.path() / "no-such-office").string(), 20);
    ASSERT_FALSE(pdf);
    EXPECT_EQ(pdf.error().message, "LibreOffice (" + (scripts.path() / "no-such-office").string() +
                                       ") could not be started: " + std::strerror(ENOENT));
    ExpectOnlyTheDocument();

    pdf = Run(Script("printf '%%PDF-1.4 from a script' >\"$out/$name.pdf\""), 20);
    ASSERT_TRUE(pdf) << pdf.error().message;
    EXPECT_EQ(ReadFile(pdf.value()), "%PDF-1.4 from a script");
}

TEST_F(OfficeScriptTest, TheRunnerKeepsTheEndOfTheOutputAndStopsWhenAsked)
{
    const std::string chatty = Script("i=0\nwhile [ $i -lt 2000 ]; do echo \"line $i\"; i=$((i+1)); done\nexit 7");
    const Result<ProcessOutcome> ran = system.Run(chatty, {}, 20000);
    ASSERT_TRUE(ran) << ran.error().message;
    EXPECT_EQ(ran.value().end, ProcessOutcome::End::Exited);
    EXPECT_EQ(ran.value().exitCode, 7);
    EXPECT_EQ(ran.value().output.size(), ProcessRunner::kOutputKept);
    EXPECT_TRUE(ran.value().output.ends_with("line 1998\nline 1999\n"));

    // The watch hears all of it, as it comes, and ends a job when it says so.
    std::string heard;
    int looks = 0;
    const Result<ProcessOutcome> watched = system.Run(chatty, {}, 20000, {}, [&](std::string_view said) {
        heard += said;
        ++looks;
        return true;
    });
    ASSERT_TRUE(watched) << watched.error().message;
    EXPECT_EQ(watched.value().exitCode, 7);
    EXPECT_EQ(std::count(heard.begin(), heard.end(), '\n'), 2000);
    EXPECT_TRUE(heard.starts_with("line 0\nline 1\n"));
    EXPECT_GE(looks, 1);
    const Result<ProcessOutcome> ended =
        system.Run(Script("echo ready\nsleep 300"), {}, 60000, {}, [&](std::string_view said) {
            heard += said;
            return said.find("ready") == said.npos;
        });
    ASSERT_TRUE(ended) << ended.error().message;
    EXPECT_EQ(ended.value().end, ProcessOutcome::End::Stopped);
    EXPECT_EQ(heard.substr(heard.size() - 6), "ready\n"); // each piece heard once
    EXPECT_EQ(std::count(heard.begin(), heard.end(), '\n'), 2001);

    std::stop_source stop;
    stop.request_stop();
    const auto start = std::chrono::steady_clock::now();
    const Result<ProcessOutcome> stopped = system.Run(Script("sleep 300"), {}, 60000, stop.get_token());
    ASSERT_TRUE(stopped) << stopped.error().message;
    EXPECT_EQ(stopped.value().end, ProcessOutcome::End::Stopped);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(LibreOfficePdfTest, ADataSheetBecomesAPdfThatShowsItsEquipmentId)
{
    const Result<std::string> office = FindOffice("", OfficeEnvironment::Current());
    if (!office) {
        GTEST_SKIP() << office.error().message << " (install libreoffice-writer-nogui)";
    }
    if (std::system("pdftotext -v >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "pdftotext is not installed (poppler-utils)";
    }
    TempFolder reports;
    TempFolder temp;
    ResultsTable table;
    ResultsListing listing;
    ReplayTranscript("EquipmentID: PDF-7731\r\n1.Case Leakage 0.1 uA\r\n2.Ground Resistance 0.123 Ohms\r\n", table,
                     listing);
    DataSheetRequest request;
    request.checkedKind = InstrumentKind::Quellmax;
    for (const auto& row : listing.ReadingsForItem(table, 0)) {
        request.rows.push_back({row.item, row.testName, row.reading});
    }
    request.selectorCurrent = 0;
    request.selectorItemText = listing.SelectorItemText(0);
    request.reportsFolder = reports.path().string();
    DocumentEngine engine;
    ManualClock clock;
    const Result<DataSheetDocument> written = DataSheetDispatch(table, engine, clock).OnDataSheet(request);
    ASSERT_TRUE(written) << ComErrorText(written.error());

    PosixProcessRunner runner;
    const Result<std::string> pdf =
        PdfConverter(runner, temp.path().string()).Convert(PdfJob{written.value().savedPath, office.value(), 120});
    ASSERT_TRUE(pdf) << pdf.error().message;
    EXPECT_EQ(fs::path(pdf.value()), fs::path(written.value().savedPath).replace_extension(".pdf"));
    EXPECT_TRUE(ReadFile(pdf.value()).starts_with("%PDF"));
    const fs::path text = temp.path() / "page.txt";
    ASSERT_EQ(std::system(("pdftotext '" + pdf.value() + "' '" + text.string() + "'").c_str()), 0);
    EXPECT_NE(ReadFile(text).find("PDF-7731"), std::string::npos) << ReadFile(text);
    EXPECT_EQ(reports.Names().size(), 2u); // the document and its copy
}

} // namespace
} // namespace tessaprint::docs
