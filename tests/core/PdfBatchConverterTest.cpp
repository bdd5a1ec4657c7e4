// PDF copies of many documents in one office run: when each copy is told,
// what becomes of the others when one fails, hangs or is cancelled, the kept
// office profiles (never shared, recreated when broken), with a scripted
// runner, fake office scripts run for real, and LibreOffice itself.
#include "TestFiles.h"

#include "docs/DataSheet.h"
#include "docs/DocumentEngine.h"
#include "docs/OfficeLocator.h"
#include "docs/PdfBatchConverter.h"
#include "docs/PdfConverter.h"
#include "link/Replay.h"
#include "util/ManualClock.h"
#include "util/PosixProcessRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>

namespace tessaprint::docs {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempFolder;

using Outcomes = std::vector<Result<std::string>>;

// The office program as the test plays it: it gets the arguments and the watch.
class ScriptedRunner : public ProcessRunner {
public:
    using Act = std::function<ProcessOutcome(const std::vector<std::string>&, const ProcessWatch&)>;
    Result<ProcessOutcome> Run(const std::string&, const std::vector<std::string>& arguments, int timeLimitMs,
                               std::stop_token, const ProcessWatch& watch) override
    {
        calls.push_back(arguments);
        limitsMs.push_back(timeLimitMs);
        return act(arguments, watch);
    }
    Act act;
    std::vector<std::vector<std::string>> calls;
    std::vector<int> limitsMs;
};

fs::path Profile(const std::vector<std::string>& arguments)
{
    const std::string url = arguments.at(0).substr(std::string("-env:UserInstallation=file://").size());
    return fs::path(url);
}

// Where the office program writes the PDF of its document number k.
fs::path Written(const std::vector<std::string>& arguments, std::size_t k)
{
    return fs::path(arguments.at(6)) / (fs::path(arguments.at(7 + k)).stem().string() + ".pdf");
}

void Write(const fs::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
}

ProcessOutcome Exited(int code, std::string output = {})
{
    return ProcessOutcome{ProcessOutcome::End::Exited, code, std::move(output)};
}

std::vector<std::string> Texts(const Outcomes& outcomes)
{
    std::vector<std::string> texts;
    for (const auto& outcome : outcomes) {
        texts.push_back(outcome ? "pdf " + fs::path(outcome.value()).filename().string() : outcome.error().message);
    }
    return texts;
}

class PdfBatchTest : public ::testing::Test {
protected:
    // Documents "<name>.docx" in the reports folder, with their text.
    void Documents(const std::vector<std::pair<std::string, std::string>>& named)
    {
        for (const auto& [name, text] : named) {
            const fs::path path = reports.path() / (name + ".docx");
            fs::create_directories(path.parent_path());
            Write(path, text);
            documents.push_back(path.string());
        }
    }
    Outcomes Convert(ProcessRunner& runner, int limitSeconds = 120, std::stop_token stop = {})
    {
        const PdfBatchConverter converter(runner, temp.path().string(), profiles.path().string(), clock);
        return converter.Convert(
            PdfBatchJob{documents, office, limitSeconds},
            [this](std::size_t index, const Result<std::string>& pdf) {
                told.push_back(index);
                if (onDone) {
                    onDone(index, pdf);
                }
            },
            stop);
    }
    // The reports folder's PDFs, sorted.
    std::vector<std::string> Pdfs() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(reports.path())) {
            if (entry.path().extension() == ".pdf") {
                names.push_back(fs::relative(entry.path(), reports.path()).string());
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TempFolder reports;
    TempFolder temp;
    TempFolder profiles;
    ManualClock clock;
    std::string office = "/usr/bin/soffice";
    std::vector<std::string> documents;
    std::vector<std::size_t> told;
    std::function<void(std::size_t, const Result<std::string>&)> onDone;
};

TEST(PdfBatchLimitTest, TheFirstDocumentHasTheSettingAndEachFurtherOneAQuarterOfItAtLeastTenSeconds)
{
    EXPECT_EQ(PdfBatchConverter::BatchTimeLimitSeconds(120, 1), 120);
    EXPECT_EQ(PdfBatchConverter::BatchTimeLimitSeconds(120, 0), 120);
    EXPECT_EQ(PdfBatchConverter::BatchTimeLimitSeconds(120, 50), 120 + 49 * 30);
    EXPECT_EQ(PdfBatchConverter::BatchTimeLimitSeconds(20, 3), 40);
    EXPECT_EQ(PdfBatchConverter::BatchTimeLimitSeconds(3600, 50), 4 * 3600);
    EXPECT_EQ(PdfBatchConverter::BatchTimeLimitSeconds(3600, std::size_t{1} << 40), 4 * 3600);
}

TEST_F(PdfBatchTest, EachCopyIsToldOnceTheOfficeProgramIsOnToTheNextDocumentAndAllInOneRun)
{
    Documents({{"a", "A"}, {"b", "B"}, {"c", "C"}});
    Write(reports.path() / "b.pdf", "an older report's copy");
    ScriptedRunner runner;
    runner.act = [&](const std::vector<std::string>& arguments, const ProcessWatch& watch) {
        EXPECT_EQ(std::vector<std::string>(arguments.begin() + 7, arguments.end()), documents);
        Write(Written(arguments, 0), "%PDF a");
        EXPECT_TRUE(watch("convert " + documents[0] + " -> " + Written(arguments, 0).string() + " using filter\n"));
        EXPECT_TRUE(told.empty()); // a's PDF may still be being written
        Write(Written(arguments, 1), "%PDF b");
        EXPECT_TRUE(watch(""));
        EXPECT_EQ(told, std::vector<std::size_t>{0});
        EXPECT_EQ(ReadFile(reports.path() / "a.pdf"), "%PDF a"); // beside its document when told
        EXPECT_FALSE(fs::exists(Written(arguments, 0)));
        Write(Written(arguments, 2), "%PDF c");
        EXPECT_TRUE(watch(""));
        EXPECT_EQ(told, (std::vector<std::size_t>{0, 1}));
        return Exited(0);
    };
    const Outcomes outcomes = Convert(runner, 20);
    EXPECT_EQ(Texts(outcomes), (std::vector<std::string>{"pdf a.pdf", "pdf b-2.pdf", "pdf c.pdf"}));
    EXPECT_EQ(told, (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_EQ(runner.limitsMs, std::vector<int>{40000});
    EXPECT_EQ(ReadFile(reports.path() / "b.pdf"), "an older report's copy");
    EXPECT_TRUE(fs::is_empty(temp.path()));
    // The profile is kept for the next batch.
    ASSERT_EQ(runner.calls.size(), 1u);
    EXPECT_EQ(Profile(runner.calls[0]), profiles.path() / "office-profile-1");
    EXPECT_TRUE(fs::is_directory(profiles.path() / "office-profile-1"));
}

TEST_F(PdfBatchTest, DocumentsOfOneNameGoInRunsOfTheirOwnAndAMissingOneStartsNothing)
{
    Documents({{"x/a", "1"}, {"y/a", "2"}, {"x/b", "3"}, {"z/A", "4"}});
    documents.insert(documents.begin() + 1, (reports.path() / "gone.docx").string());
    ScriptedRunner runner;
    runner.act = [&](const std::vector<std::string>& arguments, const ProcessWatch&) {
        for (std::size_t k = 0; k + 7 < arguments.size(); ++k) {
            Write(Written(arguments, k), "%PDF " + ReadFile(arguments[7 + k]));
        }
        return Exited(0);
    };
    const Outcomes outcomes = Convert(runner);
    EXPECT_EQ(Texts(outcomes), (std::vector<std::string>{"pdf a.pdf", "the document is not there", "pdf a.pdf",
                                                         "pdf b.pdf", "pdf A.pdf"}));
    ASSERT_EQ(runner.calls.size(), 3u);
    EXPECT_EQ(runner.calls[0].size(), 7u + 2); // x/a, x/b
    EXPECT_EQ(runner.calls[1].size(), 7u + 1); // y/a
    EXPECT_EQ(runner.calls[2].size(), 7u + 1); // z/A: a.pdf and A.pdf are one file to some file systems
    EXPECT_EQ(told.front(), 1u);
    EXPECT_EQ(ReadFile(reports.path() / "y" / "a.pdf"), "%PDF 2");

    documents = {(reports.path() / "gone.docx").string()};
    EXPECT_EQ(Texts(Convert(runner)), std::vector<std::string>{"the document is not there"});
    EXPECT_EQ(runner.calls.size(), 3u);
}

TEST_F(PdfBatchTest, ADocumentThatFailsIsSaidWithItsOwnLineWhileTheOthersGetTheirs)
{
    Documents({{"a", "A"}, {"b", "B"}, {"c", "C"}, {"d", "D"}, {"e", "E"}});
    ScriptedRunner runner;
    runner.act = [&](const std::vector<std::string>& arguments, const ProcessWatch& watch) {
        const auto convert = [&](std::size_t k) {
            return "convert " + arguments[7 + k] + " -> " + Written(arguments, k).string() +
                   " using filter : writer_pdf_Export\n";
        };
        watch("Warning: failed to launch javaldx - java may not function correctly\n" + convert(0));
        Write(Written(arguments, 0), "%PDF a");
        watch("Error: source file could not be loaded\n" + convert(2));
        Write(Written(arguments, 2), "");
        watch(convert(3));
        Write(Written(arguments, 3), "<html>");
        watch(convert(4) + "Error: Please verify input parameters... (impl_store failed)\n");
        return Exited(0, "Error: Please verify input parameters... (impl_store failed)\n");
    };
    EXPECT_EQ(
        Texts(Convert(runner)),
        (std::vector<std::string>{"pdf a.pdf", "LibreOffice wrote no PDF (Error: source file could not be loaded)",
                                  "LibreOffice wrote an empty file", "what LibreOffice wrote is not a PDF",
                                  "LibreOffice wrote no PDF (Error: Please verify input parameters... "
                                  "(impl_store failed))"}));
    EXPECT_EQ(Pdfs(), std::vector<std::string>{"a.pdf"});
}

TEST_F(PdfBatchTest, ARunWithoutNewsForOneDocumentsLimitIsEndedAndTheRestAreNotConverted)
{
    Documents({{"a", "A"}, {"b", "B"}, {"c", "C"}, {"d", "D"}});
    ScriptedRunner runner;
    runner.act = [&](const std::vector<std::string>& arguments, const ProcessWatch& watch) {
        clock.Advance(15000); // starting takes its time, then news
        Write(Written(arguments, 0), "%PDF a");
        EXPECT_TRUE(watch(""));
        clock.Advance(9000);
        Write(Written(arguments, 1), "%PDF b");
        EXPECT_TRUE(watch(""));
        Write(Written(arguments, 2), "%PDF half");
        EXPECT_TRUE(watch(""));
        for (int waited = 100; waited < 10000; waited += 100) {
            clock.Advance(100);
            EXPECT_TRUE(watch("")) << waited; // nothing new, but within the limit
        }
        clock.Advance(100);
        EXPECT_FALSE(watch("")); // hung
        return ProcessOutcome{ProcessOutcome::End::Stopped, 0, ""};
    };
    EXPECT_EQ(Texts(Convert(runner, 10)),
              (std::vector<std::string>{"pdf a.pdf", "pdf b.pdf", "LibreOffice did not finish within 10 s",
                                        "not converted: LibreOffice did not finish c.docx within 10 s"}));
    EXPECT_EQ(Pdfs(), (std::vector<std::string>{"a.pdf", "b.pdf"}));
    EXPECT_TRUE(fs::is_empty(temp.path()));

    // The whole run's limit; and no second run after it, for the documents of another.
    told.clear();
    Documents({{"x/a", "A2"}});
    runner.act = [&](const std::vector<std::string>& arguments, const ProcessWatch& watch) {
        Write(Written(arguments, 0), "%PDF a");
        Write(Written(arguments, 1), "%PDF b");
        watch("");
        return ProcessOutcome{ProcessOutcome::End::TimedOut, 0, ""};
    };
    EXPECT_EQ(Texts(Convert(runner, 10)),
              (std::vector<std::string>{"pdf a-2.pdf", "LibreOffice did not finish within 40 s",
                                        "not converted: LibreOffice did not finish b.docx within 40 s",
                                        "not converted: LibreOffice did not finish b.docx within 40 s",
                                        "not converted: LibreOffice did not finish b.docx within 40 s"}));
    EXPECT_EQ(runner.calls.size(), 2u);
    EXPECT_EQ(told.size(), 5u);

    // A run that ended by itself did not hang, however late the watch's last look.
    documents = {documents[0], documents[1]};
    runner.act = [&](const std::vector<std::string>& arguments, const ProcessWatch& watch) {
        Write(Written(arguments, 0), "%PDF a");
        Write(Written(arguments, 1), "%PDF b");
        EXPECT_TRUE(watch(""));
        clock.Advance(60000);
        watch(""); // after the end: its answer is not heard
        return Exited(0);
    };
    EXPECT_EQ(Texts(Convert(runner, 10)), (std::vector<std::string>{"pdf a-3.pdf", "pdf b-2.pdf"}));
}

TEST_F(PdfBatchTest, CancelledAreTheCopiesNotToldWhenTheCancelCame)
{
    Documents({{"a", "A"}, {"b", "B"}, {"c", "C"}, {"d", "D"}});
    std::stop_source stop;
    onDone = [&](std::size_t, const Result<std::string>&) { stop.request_stop(); };
    ScriptedRunner runner;
    runner.act = [&](const std::vector<std::string>& arguments, const ProcessWatch& watch) {
        Write(Written(arguments, 0), "%PDF a");
        Write(Written(arguments, 1), "%PDF b");
        Write(Written(arguments, 2), "%PDF c"); // a and b finished in one look
        EXPECT_TRUE(watch(""));
        Write(Written(arguments, 3), "%PDF d"); // before the office program is ended
        EXPECT_FALSE(watch(""));
        return ProcessOutcome{ProcessOutcome::End::Stopped, 0, ""};
    };
    EXPECT_EQ(Texts(Convert(runner, 120, stop.get_token())),
              (std::vector<std::string>{"pdf a.pdf", "cancelled before the copy was made",
                                        "cancelled before the copy was made", "cancelled before the copy was made"}));
    EXPECT_EQ(Pdfs(), std::vector<std::string>{"a.pdf"});
}

TEST_F(PdfBatchTest, AKeptProfileIsNeverSharedAndWithAllHeldAFreshOneIsUsed)
{
    Documents({{"a", "A"}});
    ScriptedRunner runner;
    std::vector<fs::path> used;
    // Each run starts another conversion while it holds its profile, as a
    // second window would, five deep.
    runner.act = [&](const std::vector<std::string>& arguments, const ProcessWatch&) {
        used.push_back(Profile(arguments));
        if (used.size() < 5) {
            const Outcomes inner = Convert(runner);
            EXPECT_TRUE(inner.at(0)) << inner.at(0).error().message;
        }
        Write(Written(arguments, 0), "%PDF");
        return Exited(0);
    };
    ASSERT_TRUE(Convert(runner).at(0));
    ASSERT_EQ(used.size(), 5u);
    for (int n = 0; n < PdfBatchConverter::kKeptProfiles; ++n) {
        EXPECT_EQ(used[n], profiles.path() / ("office-profile-" + std::to_string(n + 1)));
    }
    EXPECT_EQ(used[4].parent_path().parent_path(), temp.path());
    EXPECT_FALSE(fs::exists(used[4]));
    // All free again: the first is used again.
    used.clear();
    runner.act = [&](const std::vector<std::string>& arguments, const ProcessWatch&) {
        used.push_back(Profile(arguments));
        EXPECT_NE(std::system(("flock -n '" + profiles.path().string() + "/office-profile-1.lock' true").c_str()), 0)
            << "another program could take the profile in use";
        Write(Written(arguments, 0), "%PDF");
        return Exited(0);
    };
    ASSERT_TRUE(Convert(runner).at(0));
    EXPECT_EQ(used, std::vector<fs::path>{profiles.path() / "office-profile-1"});
}

TEST_F(PdfBatchTest, AKeptProfileWhoseRunFailedWithoutAnyPdfIsMadeAnewAndTriedOnceMore)
{
    Documents({{"a", "A"}, {"b", "B"}});
    ScriptedRunner runner;
    const fs::path kept = profiles.path() / "office-profile-1";
    runner.act = [&](const std::vector<std::string>& arguments, const ProcessWatch&) {
        if (runner.calls.size() == 1) {
            Write(kept / "broken", "x");
            return ProcessOutcome{ProcessOutcome::End::Crashed, 11, "Segmentation fault\n"};
        }
        EXPECT_TRUE(fs::is_empty(kept)); // made anew
        Write(Written(arguments, 0), "%PDF a");
        Write(Written(arguments, 1), "%PDF b");
        return Exited(0);
    };
    EXPECT_EQ(Texts(Convert(runner)), (std::vector<std::string>{"pdf a.pdf", "pdf b.pdf"}));
    EXPECT_EQ(runner.calls.size(), 2u);

    // Once only; not when a PDF came out; not after a time-out.
    const struct {
        ProcessOutcome outcome;
        bool writes;
        std::size_t runs;
        std::string reason;
    } cases[] = {
        {Exited(81, "Error: no\n"), false, 2, "LibreOffice ended with exit status 81 (Error: no)"},
        {{ProcessOutcome::End::Crashed, 6, "Aborted\n"}, true, 1, "LibreOffice ended abnormally (Aborted)"},
        {{ProcessOutcome::End::TimedOut, 0, ""}, false, 1, "LibreOffice did not finish within 150 s"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        runner.calls.clear();
        told.clear();
        runner.act = [&](const std::vector<std::string>& arguments, const ProcessWatch&) {
            if (c.writes) {
                Write(Written(arguments, 0), "%PDF cut short");
            }
            return c.outcome;
        };
        const Outcomes outcomes = Convert(runner);
        EXPECT_EQ(runner.calls.size(), c.runs);
        EXPECT_EQ(outcomes.at(0).error().message, c.reason);
        EXPECT_FALSE(outcomes.at(1));
        EXPECT_EQ(told.size(), 2u);
    }
    EXPECT_EQ(Pdfs(), (std::vector<std::string>{"a.pdf", "b.pdf"}));
}

// Fake office programs, run for real: each document's text says what the
// "office program" does with it, in the order given, as LibreOffice does.
class OfficeBatchScriptTest : public PdfBatchTest {
protected:
    OfficeBatchScriptTest()
    {
        const fs::path path = scripts.path() / "office";
        std::ofstream(path)
            << "#!/bin/sh\nout=$7\nshift 7\necho run >>'" << (scripts.path() / "runs").string()
            << "'\n"
               "for doc in \"$@\"; do\n"
               "  name=$(basename \"$doc\" .docx)\n"
               "  case $(cat \"$doc\") in\n"
               "  unloadable) echo 'Error: source file could not be loaded' >&2 ;;\n"
               "  hang) echo \"convert $doc -> $out/$name.pdf\"; printf '%%PDF-1.4 ha' >\"$out/$name.pdf\"; "
               "exec sleep 300 ;;\n"
               "  *) echo \"convert $doc -> $out/$name.pdf\"; printf '%%PDF-1.4 %s' \"$name\" "
               ">\"$out/$name.pdf\" ;;\n"
               "  esac\n"
               "done\n";
        fs::permissions(path, fs::perms::owner_all);
        office = path.string();
    }
    std::size_t Runs() const
    {
        const std::string runs = ReadFile(scripts.path() / "runs");
        return static_cast<std::size_t>(std::count(runs.begin(), runs.end(), '\n'));
    }

    TempFolder scripts;
    PosixProcessRunner system;
};

TEST_F(OfficeBatchScriptTest, AGoodBatchWithAnUnloadableDocumentIsOneRun)
{
    Documents({{"a", "ok"}, {"b", "unloadable"}, {"c", "ok"}, {"d", "ok"}});
    onDone = [&](std::size_t index, const Result<std::string>& pdf) {
        if (pdf) {
            EXPECT_EQ(ReadFile(pdf.value()), "%PDF-1.4 " + fs::path(pdf.value()).stem().string()) << index;
        }
    };
    EXPECT_EQ(
        Texts(Convert(system)),
        (std::vector<std::string>{"pdf a.pdf", "LibreOffice wrote no PDF (Error: source file could not be loaded)",
                                  "pdf c.pdf", "pdf d.pdf"}));
    EXPECT_EQ(told, (std::vector<std::size_t>{0, 1, 2, 3}));
    EXPECT_EQ(Runs(), 1u);
    EXPECT_TRUE(fs::is_empty(temp.path()));
}

TEST_F(OfficeBatchScriptTest, AHungDocumentEndsTheRunAfterOneDocumentsLimit)
{
    Documents({{"a", "ok"}, {"b", "ok"}, {"c", "hang"}, {"d", "ok"}});
    const PdfBatchConverter converter(system, temp.path().string(), profiles.path().string()); // the real clock
    const Outcomes outcomes = converter.Convert(PdfBatchJob{documents, office, 2});
    EXPECT_EQ(Texts(outcomes),
              (std::vector<std::string>{"pdf a.pdf", "pdf b.pdf", "LibreOffice did not finish within 2 s",
                                        "not converted: LibreOffice did not finish c.docx within 2 s"}));
    EXPECT_EQ(Pdfs(), (std::vector<std::string>{"a.pdf", "b.pdf"}));
    EXPECT_TRUE(fs::is_empty(temp.path()));
}

TEST_F(OfficeBatchScriptTest, CancellingMidBatchEndsTheRunAndLeavesNoHalfWrittenPdf)
{
    Documents({{"a", "ok"}, {"b", "hang"}, {"c", "ok"}});
    std::stop_source stop;
    onDone = [&](std::size_t, const Result<std::string>&) { stop.request_stop(); };
    EXPECT_EQ(Texts(Convert(system, 120, stop.get_token())),
              (std::vector<std::string>{"pdf a.pdf", "cancelled before the copy was made",
                                        "cancelled before the copy was made"}));
    EXPECT_EQ(Pdfs(), std::vector<std::string>{"a.pdf"});
    EXPECT_TRUE(fs::is_empty(temp.path()));
}

// LibreOffice itself, where it is installed.
class LibreOfficeBatchTest : public PdfBatchTest {
protected:
    void SetUp() override
    {
        const Result<std::string> found = FindOffice("", OfficeEnvironment::Current());
        if (!found) {
            GTEST_SKIP() << found.error().message << " (install libreoffice-writer-nogui)";
        }
        office = found.value();
        // Data Sheets of the 50-record capture, as the window writes them.
        ResultsTable table;
        ResultsListing listing;
        ReplayTranscript(test::ReadFile(TESSAPRINT_TEST_DATA_DIR "/quellmax-50-records.txt"), table, listing);
        DocumentEngine engine;
        ManualClock stamp;
        for (int k = 0; k < 5; ++k) {
            listing.ShowItem(table, k);
            const Result<DataSheetDocument> written =
                DataSheetDispatch(table, engine, stamp)
                    .OnDataSheet(
                        MakeDataSheetRequest(listing, listing, InstrumentKind::Quellmax, reports.path().string(), 1));
            ASSERT_TRUE(written) << ComErrorText(written.error());
            documents.push_back(written.value().savedPath);
        }
    }
    PosixProcessRunner system;
};

TEST_F(LibreOfficeBatchTest, ABatchWithACorruptDocumentGivesEveryOtherOneItsPdf)
{
    const fs::path corrupt = reports.path() / "corrupt.docx";
    Write(corrupt, std::string("PK\x03\x04", 4) + "not a document");
    documents.insert(documents.begin() + 2, corrupt.string());
    const Outcomes outcomes = Convert(system);
    ASSERT_EQ(outcomes.size(), 6u);
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        if (i == 2) {
            ASSERT_FALSE(outcomes[i]);
            EXPECT_EQ(outcomes[i].error().message, "LibreOffice wrote no PDF (Error: source file could not be loaded)");
            continue;
        }
        ASSERT_TRUE(outcomes[i]) << i << ": " << outcomes[i].error().message;
        EXPECT_EQ(fs::path(outcomes[i].value()), fs::path(documents[i]).replace_extension(".pdf"));
        EXPECT_TRUE(ReadFile(outcomes[i].value()).starts_with("%PDF")) << i;
    }
    EXPECT_EQ(told.size(), 6u);
    EXPECT_TRUE(fs::is_directory(profiles.path() / "office-profile-1" / "user"));

    // Again with the profile it kept: a copy of each, beside the first.
    documents.erase(documents.begin() + 2);
    for (const auto& pdf : Convert(system)) {
        ASSERT_TRUE(pdf) << pdf.error().message;
        EXPECT_TRUE(pdf.value().ends_with("-2.pdf")) << pdf.value();
    }
}

TEST_F(LibreOfficeBatchTest, CancellingAfterTheFirstPdfLeavesOnlyThatOne)
{
    std::stop_source stop;
    onDone = [&](std::size_t, const Result<std::string>&) { stop.request_stop(); };
    const Outcomes outcomes = Convert(system, 120, stop.get_token());
    ASSERT_TRUE(outcomes.at(0)) << outcomes.at(0).error().message;
    EXPECT_TRUE(ReadFile(outcomes.at(0).value()).starts_with("%PDF"));
    const std::vector<std::string> texts = Texts(outcomes);
    EXPECT_EQ(std::vector<std::string>(texts.begin() + 1, texts.end()),
              std::vector<std::string>(4, "cancelled before the copy was made"));
    EXPECT_EQ(Pdfs().size(), 1u);
    EXPECT_TRUE(fs::is_empty(temp.path()));
}

} // namespace
} // namespace tessaprint::docs
